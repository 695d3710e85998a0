#pragma once
// The extended half of the VST2-style interface: dispatcher opcodes 25 to 79,
// the requests an effect may send its host, the extended properties with
// their defaults, and the speaker-arrangement helpers.  Adds no data.
//
// Threads: as AudioEffect.  Of the host requests, getTimeInfo and
// sendVstEventsToHost are sent from the audio thread, the others from the
// host/GUI thread.

#include <cstdint>

#include "core/AudioEffect.h"
#include "core/VstTypes.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams)
        : AudioEffect(audioMaster, numPrograms, numParams) {}

    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;
    // Asks the host for MIDI when the effect is a synthesizer or takes MIDI.
    void resume() override;

    virtual bool canParameterBeAutomated(int32_t /*index*/) { return true; }
    virtual bool string2parameter(int32_t /*index*/, const char* /*text*/) { return false; }
    virtual bool getParameterProperties(int32_t /*index*/, VstParameterProperties* /*properties*/) {
        return false;
    }
    virtual bool beginEdit(int32_t index);
    virtual bool endEdit(int32_t index);
    virtual bool getProgramNameIndexed(int32_t /*category*/, int32_t /*index*/, char* /*text*/) {
        return false;
    }
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    virtual int32_t beginLoadBank(void* /*chunkInfo*/) { return 0; }
    virtual int32_t beginLoadProgram(void* /*chunkInfo*/) { return 0; }

    virtual bool ioChanged();
    // Takes a positive rate from the host; answers the rate in use.
    virtual double updateSampleRate();
    // Takes a positive block size from the host; answers the size in use.
    virtual int32_t updateBlockSize();
    virtual int32_t getInputLatency();
    virtual int32_t getOutputLatency();
    virtual bool getInputProperties(int32_t /*index*/, VstPinProperties* /*properties*/) { return false; }
    virtual bool getOutputProperties(int32_t /*index*/, VstPinProperties* /*properties*/) { return false; }
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* /*input*/, VstSpeakerArrangement* /*output*/) {
        return false;
    }
    // Has no arrangement: answers null in whichever pointers it is given.
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output);
    virtual bool setBypass(bool /*on*/) { return false; }
    virtual bool setPanLaw(int32_t /*type*/, float /*value*/) { return false; }
    virtual bool setProcessPrecision(int32_t /*precision*/) { return false; }
    virtual int32_t getNumMidiInputChannels() { return 0; }
    virtual int32_t getNumMidiOutputChannels() { return 0; }

    // Audio thread: the host's transport, or null.
    virtual VstTimeInfo* getTimeInfo(int32_t filter);
    virtual int32_t getCurrentProcessLevel();
    virtual int32_t getAutomationState();

    // Audio thread: the host's MIDI input for the next block.
    virtual int32_t processEvents(VstEvents* /*events*/) { return 0; }
    virtual int32_t startProcess() { return 0; }
    virtual int32_t stopProcess() { return 0; }
    virtual bool processVariableIo(void* /*variableIo*/) { return false; }
    virtual int32_t setTotalSampleToProcess(int32_t value) { return value; }

    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual int32_t getHostVendorVersion();
    virtual intptr_t hostVendorSpecific(int32_t arg1, intptr_t arg2, void* ptrArg, float floatArg);
    virtual int32_t canHostDo(const char* text);
    virtual int32_t getHostLanguage();

    virtual void isSynth(bool state) { setFlag(EffectFlags::IsSynth, state); }
    virtual void noTail(bool state) { setFlag(EffectFlags::NoSoundInStop, state); }
    virtual int32_t getGetTailSize() { return 0; }
    virtual void* getDirectory();

    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual int32_t getVendorVersion() { return 0; }
    virtual intptr_t vendorSpecific(int32_t /*arg1*/, intptr_t /*arg2*/, void* /*ptrArg*/,
                                    float /*floatArg*/) {
        return 0;
    }
    // 1 yes, -1 no, 0 don't know.
    virtual int32_t canDo(const char* /*text*/) { return 0; }
    virtual int32_t getVstVersion() { return 2400; }
    virtual int32_t getPlugCategory();

    virtual int32_t getMidiProgramName(int32_t /*channel*/, void* /*programName*/) { return 0; }
    virtual int32_t getCurrentMidiProgram(int32_t /*channel*/, void* /*programName*/) { return -1; }
    virtual int32_t getMidiProgramCategory(int32_t /*channel*/, void* /*category*/) { return 0; }
    virtual bool hasMidiProgramsChanged(int32_t /*channel*/) { return false; }
    virtual bool getMidiKeyName(int32_t /*channel*/, void* /*keyName*/) { return false; }

    virtual bool updateDisplay();
    virtual bool sizeWindow(int32_t width, int32_t height);
    virtual bool openFileSelector(void* selector);
    virtual bool closeFileSelector(void* selector);
    virtual int32_t getNextShellPlugin(char* /*name*/) { return 0; }

    // Speaker arrangements are blocks of the runtime allocator.
    // Replaces *arrangement by a cleared one of nbChannels speakers; false,
    // leaving *arrangement null, when the block cannot be had.
    virtual bool allocateArrangement(VstSpeakerArrangement** arrangement, int32_t nbChannels);
    virtual bool deallocateArrangement(VstSpeakerArrangement** arrangement);
    virtual bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from);
    // Makes *to a copy of from, speaker by speaker.
    virtual bool matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from);

    virtual bool offlineRead(void* task, int32_t option, bool readSource);
    virtual bool offlineWrite(void* task, int32_t option);
    virtual bool offlineStart(void* files, int32_t numAudioFiles, int32_t numNewAudioFiles);
    virtual int32_t offlineGetCurrentPass();
    virtual int32_t offlineGetCurrentMetaPass();
    virtual bool offlineNotify(void* /*files*/, int32_t /*count*/, bool /*start*/) { return false; }
    virtual bool offlinePrepare(void* /*task*/, int32_t /*count*/) { return false; }
    virtual bool offlineRun(void* /*task*/, int32_t /*count*/) { return false; }
    virtual int32_t offlineGetNumPasses() { return 0; }
    virtual int32_t offlineGetNumMetaPasses() { return 0; }

    virtual void wantEvents(int32_t filter);
    virtual int32_t tempoAt(int32_t position);
    virtual int32_t getNumAutomatableParameters();
    virtual int32_t getParameterQuantization();
    virtual int32_t getNumCategories() { return 1; }
    virtual bool copyProgram(int32_t /*destination*/) { return false; }
    virtual bool needIdle();
    virtual AEffect* getPreviousPlug(int32_t input);
    virtual AEffect* getNextPlug(int32_t output);
    virtual void inputConnected(int32_t /*index*/, bool /*state*/) {}
    virtual void outputConnected(int32_t /*index*/, bool /*state*/) {}
    virtual int32_t willProcessReplacing();
    virtual void wantAsyncOperation(bool state) { setFlag(EffectFlags::AsyncOperation, state); }
    virtual void hasExternalBuffer(bool state) { setFlag(EffectFlags::ExternalBuffer, state); }
    virtual int32_t reportCurrentPosition() { return 0; }
    virtual float* reportDestinationBuffer() { return nullptr; }
    virtual void setOutputSamplerate(float rate);
    virtual VstSpeakerArrangement* getInputSpeakerArrangement();
    virtual VstSpeakerArrangement* getOutputSpeakerArrangement();
    virtual void* openWindow(void* window);
    virtual bool closeWindow(void* window);
    virtual void setBlockSizeAndSampleRate(int32_t size, float rate) {
        blockSize = size;
        sampleRate = rate;
    }
    virtual bool getErrorText(char* /*text*/) { return false; }
    virtual void* getIcon() { return nullptr; }
    virtual bool setViewPosition(int32_t /*x*/, int32_t /*y*/) { return false; }
    virtual int32_t fxIdle() { return 0; }
    virtual bool keysRequired() { return false; }
    virtual bool getChunkFile(void* nativePath);

    // Audio thread: hands the effect's MIDI output to the host.
    bool sendVstEventsToHost(VstEvents* events);

private:
    intptr_t dispatchEditorExtension(int32_t opcode, intptr_t value, int32_t index, float opt);
};
