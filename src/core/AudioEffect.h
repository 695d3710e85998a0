#pragma once
// The root of the plug-in object: what every effect instance needs to be
// driven through the VST2-style interface.  It owns the effect record that the
// host adapter calls through, answers the basic dispatcher opcodes 0 to 24,
// asks the host a few questions and formats numbers for display.
//
// Threads: the dispatcher and the setters run on the host/GUI thread unless a
// line says otherwise; the process operations run on the audio thread.

#include <cstdint>

#include "core/AEffEditor.h"
#include "core/AEffect.h"
#include "core/RelaxedAtomic.h"

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams);
    // Closes an open editor, then deletes it.
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Host thread, except opcodes that the host sends from its audio thread.
    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(int32_t size) { blockSize = size; }

    // Audio thread.
    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) = 0;
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                        int32_t /*sampleFrames*/) {}

    // Editor hooks, reached through the record's extension entries.  GUI thread.
    virtual void undo() {}
    virtual void redo() {}
    virtual void openHookMenu() {}
    virtual void openManual() {}
    virtual void hook5() {}
    virtual bool isKeyInputBlocked() { return false; }
    virtual bool isPageVisible(int32_t /*page*/) { return false; }
    // Hooks without an entry in the record.
    virtual int32_t hook8() { return 0; }
    virtual int32_t hook9() { return 0; }
    virtual int32_t hook10() { return 0; }
    virtual int32_t hook11() { return 0; }

    // Any thread: the editor, automation and the audio thread all set values.
    virtual void setParameter(int32_t /*index*/, float /*value*/) {}
    virtual float getParameter(int32_t /*index*/) { return 0.0f; }
    // Sets the value, then tells the host of the change.
    virtual void setParameterAutomated(int32_t index, float value);

    virtual int32_t getProgram() { return curProgram; }
    virtual void setProgram(int32_t program) { curProgram = program; }
    virtual void setProgramName(const char* /*name*/) {}
    virtual void getProgramName(char* name) { name[0] = 0; }
    virtual void getParameterLabel(int32_t /*index*/, char* text) { text[0] = 0; }
    virtual void getParameterDisplay(int32_t /*index*/, char* text) { text[0] = 0; }
    virtual void getParameterName(int32_t /*index*/, char* text) { text[0] = 0; }
    // Answers the size in bytes of the state whose address goes into *data.
    virtual int32_t getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual int32_t setChunk(void* /*data*/, int32_t /*byteSize*/, bool /*isPreset*/) { return 0; }

    // Properties written into the effect record.
    virtual void setUniqueID(int32_t id) { cEffect.uniqueID = id; }
    virtual void setNumInputs(int32_t inputs) { cEffect.numInputs = inputs; }
    virtual void setNumOutputs(int32_t outputs) { cEffect.numOutputs = outputs; }
    virtual void canProcessReplacing(bool state) { setFlag(EffectFlags::CanReplacing, state); }
    virtual void canDoubleReplacing(bool state) { setFlag(EffectFlags::CanDoubleReplacing, state); }
    virtual void programsAreChunks(bool state) { setFlag(EffectFlags::ProgramChunks, state); }
    virtual void setInitialDelay(int32_t delay) { cEffect.initialDelay = delay; }

    virtual AEffEditor* getEditor() { return editor; }
    virtual AEffect* getAeffect() { return &cEffect; }
    virtual float getSampleRate() { return sampleRate; }
    virtual int32_t getBlockSize() { return blockSize; }

    // Host queries; each answers a fixed default when there is no host callback.
    virtual int32_t getMasterVersion();
    virtual int32_t getCurrentUniqueId();
    virtual void masterIdle();
    virtual bool isInputConnected(int32_t input);
    virtual bool isOutputConnected(int32_t output);

    // Display texts of maxLen characters into buffers of maxLen + 1 bytes.
    // Any thread.
    virtual void dB2string(float value, char* text, int32_t maxLen);
    virtual void Hz2string(float samples, char* text, int32_t maxLen);
    virtual void ms2string(float samples, char* text, int32_t maxLen);
    virtual void float2string(float value, char* text, int32_t maxLen);
    virtual void int2string(int32_t value, char* text, int32_t maxLen);

    // Audio thread.
    virtual void process(float** /*inputs*/, float** /*outputs*/, int32_t /*sampleFrames*/) {}

    virtual float getVu() { return 0.0f; }
    virtual void hasVu(bool state) { setFlag(EffectFlags::HasVu, state); }
    virtual void hasClip(bool state) { setFlag(EffectFlags::HasClip, state); }
    virtual void canMono(bool state) { setFlag(EffectFlags::CanMono, state); }
    virtual void setRealtimeQualities(int32_t qualities) { cEffect.realQualities = qualities; }
    virtual void setOfflineQualities(int32_t qualities) { cEffect.offQualities = qualities; }

    // Takes ownership of the editor (the destructor deletes it); an editor that
    // it replaces stays with whoever made it.
    void setEditor(AEffEditor* newEditor);

protected:
    // Calls the host with this object's record; 0 when there is no host.
    intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void setFlag(int32_t flag, bool state);
    bool hasFlag(int32_t flag) const { return (cEffect.flags & flag) != 0; }

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    // Written by a rate change on a host thread while any thread may read it
    // (the display texts, a save, the host's queries).
    RelaxedAtomic<float> sampleRate = 44100.0f;
    int32_t blockSize = 1024;
    int32_t numPrograms;
    int32_t numParams;
    int32_t curProgram = 0;
    AEffect cEffect;

private:
    intptr_t dispatchToEditor(int32_t opcode, int32_t index, intptr_t value, void* ptr);
};

// The record's entry points: each fetches the object from the record and calls
// the virtual operation of the same meaning.
intptr_t dispatchEffectClass(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                             void* ptr, float opt);
void processClass(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
void setParameterClass(AEffect* effect, int32_t index, float value);
float getParameterClass(AEffect* effect, int32_t index);
void processClassReplacing(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
void processClassDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                 int32_t sampleFrames);
void undoClass(AEffect* effect);
void redoClass(AEffect* effect);
void openHookMenuClass(AEffect* effect);
void openManualClass(AEffect* effect);
void hook5Class(AEffect* effect);
bool isKeyInputBlockedClass(AEffect* effect);
bool isPageVisibleClass(AEffect* effect, int32_t page);
