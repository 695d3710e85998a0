#pragma once
// Test doubles of the plug-in object.  MinimalEffect keeps every default of
// the bases.  ProbeEffect logs each virtual operation that the dispatchers and
// the record's entry points reach, with its arguments, and answers `answer`
// widened to the operation's result type (bool: answer != 0).

#include "core/AudioEffectX.h"
#include "support/CallLog.h"

class MinimalEffect : public AudioEffectX {
public:
    using AudioEffectX::AudioEffectX;
    void processReplacing(float**, float**, int32_t) override {}
};

class ProbeEffect : public AudioEffectX {
public:
    ProbeEffect(audioMasterCallback host, CallLog& log, int32_t programs = 4, int32_t params = 8)
        : AudioEffectX(host, programs, params), log(log) {}
    ~ProbeEffect() override { log.push_back("~effect"); }

    intptr_t answer = -5;

    // AudioEffect
    void open() override { note("open()"); }
    void close() override { note("close()"); }
    void suspend() override { note("suspend()"); }
    void resume() override {
        note("resume()");
        AudioEffectX::resume();
    }
    void setSampleRate(float rate) override { note(describeCall("setSampleRate", rate)); }
    void setBlockSize(int32_t size) override { note(describeCall("setBlockSize", size)); }
    void processReplacing(float** in, float** out, int32_t n) override {
        note(describeCall("processReplacing", in, out, n));
    }
    void processDoubleReplacing(double** in, double** out, int32_t n) override {
        note(describeCall("processDoubleReplacing", in, out, n));
    }
    void process(float** in, float** out, int32_t n) override { note(describeCall("process", in, out, n)); }
    void undo() override { note("undo()"); }
    void redo() override { note("redo()"); }
    void openHookMenu() override { note("openHookMenu()"); }
    void openManual() override { note("openManual()"); }
    void hook5() override { note("hook5()"); }
    bool isKeyInputBlocked() override { return flag("isKeyInputBlocked()"); }
    bool isPageVisible(int32_t page) override { return flag(describeCall("isPageVisible", page)); }
    void setParameter(int32_t index, float value) override { note(describeCall("setParameter", index, value)); }
    float getParameter(int32_t index) override {
        note(describeCall("getParameter", index));
        return 0.25f;
    }
    int32_t getProgram() override { return number("getProgram()"); }
    void setProgram(int32_t program) override { note(describeCall("setProgram", program)); }
    void setProgramName(const char* name) override { note(describeCall("setProgramName", name)); }
    void getProgramName(char* name) override { note(describeCall("getProgramName", name)); }
    void getParameterLabel(int32_t i, char* text) override { note(describeCall("getParameterLabel", i, text)); }
    void getParameterDisplay(int32_t i, char* text) override { note(describeCall("getParameterDisplay", i, text)); }
    void getParameterName(int32_t i, char* text) override { note(describeCall("getParameterName", i, text)); }
    int32_t getChunk(void** data, bool preset) override { return number(describeCall("getChunk", data, preset)); }
    int32_t setChunk(void* data, int32_t size, bool preset) override {
        return number(describeCall("setChunk", data, size, preset));
    }

    // AudioEffectX
    int32_t processEvents(VstEvents* events) override { return number(describeCall("processEvents", events)); }
    bool canParameterBeAutomated(int32_t i) override { return flag(describeCall("canParameterBeAutomated", i)); }
    bool string2parameter(int32_t i, const char* text) override {
        return flag(describeCall("string2parameter", i, text));
    }
    bool getProgramNameIndexed(int32_t category, int32_t i, char* text) override {
        return flag(describeCall("getProgramNameIndexed", category, i, text));
    }
    bool getInputProperties(int32_t i, VstPinProperties* p) override {
        return flag(describeCall("getInputProperties", i, p));
    }
    bool getOutputProperties(int32_t i, VstPinProperties* p) override {
        return flag(describeCall("getOutputProperties", i, p));
    }
    int32_t getPlugCategory() override { return number("getPlugCategory()"); }
    bool offlineNotify(void* files, int32_t count, bool start) override {
        return flag(describeCall("offlineNotify", files, count, start));
    }
    bool offlinePrepare(void* task, int32_t count) override { return flag(describeCall("offlinePrepare", task, count)); }
    bool offlineRun(void* task, int32_t count) override { return flag(describeCall("offlineRun", task, count)); }
    bool processVariableIo(void* io) override { return flag(describeCall("processVariableIo", io)); }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override {
        return flag(describeCall("setSpeakerArrangement", in, out));
    }
    bool setBypass(bool on) override { return flag(describeCall("setBypass", on)); }
    bool getEffectName(char* text) override { return flag(describeCall("getEffectName", text)); }
    bool getVendorString(char* text) override { return flag(describeCall("getVendorString", text)); }
    bool getProductString(char* text) override { return flag(describeCall("getProductString", text)); }
    int32_t getVendorVersion() override { return number("getVendorVersion()"); }
    intptr_t vendorSpecific(int32_t a, intptr_t b, void* p, float f) override {
        return note(describeCall("vendorSpecific", a, b, p, f));
    }
    int32_t canDo(const char* text) override { return number(describeCall("canDo", text)); }
    int32_t getGetTailSize() override { return number("getGetTailSize()"); }
    bool getParameterProperties(int32_t i, VstParameterProperties* p) override {
        return flag(describeCall("getParameterProperties", i, p));
    }
    int32_t getVstVersion() override { return number("getVstVersion()"); }
    int32_t getMidiProgramName(int32_t c, void* p) override { return number(describeCall("getMidiProgramName", c, p)); }
    int32_t getCurrentMidiProgram(int32_t c, void* p) override {
        return number(describeCall("getCurrentMidiProgram", c, p));
    }
    int32_t getMidiProgramCategory(int32_t c, void* p) override {
        return number(describeCall("getMidiProgramCategory", c, p));
    }
    bool hasMidiProgramsChanged(int32_t c) override { return flag(describeCall("hasMidiProgramsChanged", c)); }
    bool getMidiKeyName(int32_t c, void* p) override { return flag(describeCall("getMidiKeyName", c, p)); }
    bool beginSetProgram() override { return flag("beginSetProgram()"); }
    bool endSetProgram() override { return flag("endSetProgram()"); }
    bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) override {
        return flag(describeCall("getSpeakerArrangement", in, out));
    }
    int32_t getNextShellPlugin(char* name) override { return number(describeCall("getNextShellPlugin", name)); }
    int32_t startProcess() override { return number("startProcess()"); }
    int32_t stopProcess() override { return number("stopProcess()"); }
    int32_t setTotalSampleToProcess(int32_t v) override { return number(describeCall("setTotalSampleToProcess", v)); }
    bool setPanLaw(int32_t type, float v) override { return flag(describeCall("setPanLaw", type, v)); }
    int32_t beginLoadBank(void* p) override { return number(describeCall("beginLoadBank", p)); }
    int32_t beginLoadProgram(void* p) override { return number(describeCall("beginLoadProgram", p)); }
    bool setProcessPrecision(int32_t v) override { return flag(describeCall("setProcessPrecision", v)); }
    int32_t getNumMidiInputChannels() override { return number("getNumMidiInputChannels()"); }
    int32_t getNumMidiOutputChannels() override { return number("getNumMidiOutputChannels()"); }

private:
    intptr_t note(const std::string& call) {
        log.push_back(call);
        return answer;
    }
    bool flag(const std::string& call) { return note(call) != 0; }
    int32_t number(const std::string& call) { return static_cast<int32_t>(note(call)); }

    CallLog& log;
};
