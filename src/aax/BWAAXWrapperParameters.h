#pragma once
// The effect-parameters object the host creates for each plug-in instance.
// It owns one plug-in core and drives it only through the core's effect
// record and virtual operations: parameters both ways, the state chunk
// "BWZv" (and presets of each kind set as chunks of their own), host
// MIDI in, generated notes out, the transport, and the editor through the
// custom view.
//
// Threads: construction, EffectInit, Uninitialize, destruction, parameter
// and chunk calls on the host's main thread (chunk calls and parameter
// values from any host thread: a chunk call takes the instance's turn,
// core/StateTurn.h, so it never meets the editor at work, nor waits on the
// editor's dialogs or its MIDI export); GenerateCoefficients on the host's
// coefficient thread; process() on the host's audio thread; the host
// callback on whichever thread the core calls it from.  The host parameter
// objects are made once, in EffectInit, and live as long as the instance:
// the idle changes their values (and names) in place, so no pointer that
// another thread looked up is ever freed under it.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "aax/AAX_CEffectParameters.h"
#include "aax/AlgorithmContext.h"
#include "aax/MidiEventBuffer.h"
#include "aax/MidiOutputRing.h"
#include "core/VstTypes.h"

struct AEffect;
class BWUniClient;

class BWAAXWrapperParameters : public AAX_CEffectParameters {
public:
    class BWAAXWrapperCustomView;

    static constexpr uint32_t kChunkID = fourCharID("BWZv");
    // Chunk ids a host may set, and never gets, for a preset file's bytes:
    // a global ("BWZp"), sound ("BWZq") or sequence ("BWZk") preset.  They
    // are applied as the preset menus and program changes apply presets
    // ("Chord Select" stays as the player set it), where the state chunk
    // restores everything; the state chunk is the only one the instance
    // reports.
    static constexpr uint32_t kGlobalPresetID = fourCharID("BWZp");
    static constexpr uint32_t kSoundPresetID = fourCharID("BWZq");
    static constexpr uint32_t kSequencePresetID = fourCharID("BWZk");
    // GetChunk on a thread that has nothing cached: a positive code, as
    // hosts have always been answered.
    static constexpr AAX_Result kNothingCached = 20700;
    // A chunk call the instance could not serve because a load or a save
    // kept its state for seconds (plug-in defined): a save that gives no
    // bytes, a restore that changed nothing.
    static constexpr AAX_Result kStateBusy = -20600;
    static constexpr int32_t kInitialBlockSize = 1024;

    // Creation procedure 0: a new instance as the host's IACFUnknown, null
    // when it cannot be built.
    static IACFUnknown* Create();

    BWAAXWrapperParameters();
    // Tears the core down when the host never called Uninitialize.
    ~BWAAXWrapperParameters() override;

    AAX_Result Uninitialize() override;
    AAX_Result UpdateParameterNormalizedValue(const char* id, double value, int32_t source) override;
    AAX_Result GetChunkIDFromIndex(int32_t index, uint32_t* chunkID) const override;
    AAX_Result GetChunkSize(uint32_t chunkID, uint32_t* size) override;
    AAX_Result GetChunk(uint32_t chunkID, AAX_SPlugInChunk* chunk) override;
    AAX_Result SetChunk(uint32_t chunkID, const AAX_SPlugInChunk* chunk) override;
    AAX_Result EffectInit() override;
    // The host's idle call on the effect: idle(), so that a host without a
    // view sees new values too (the view's timer does the same).
    AAX_Result TimerWakeup() override;
    // Answers the render readiness block (aax/RenderReadiness.h); other
    // blocks hold nothing.  Any host thread.
    AAX_Result GetCustomData(uint32_t blockID, uint32_t size, void* data, uint32_t* written) const override;
    // The host side's idle: lets the core derive what waits when the host
    // stopped processing, then makes each parameter follow the value (and,
    // when the core asked for a display update, the name and the default)
    // the core holds
    // (loads, the step lanes and learned controllers move some), telling the
    // host the current value without asking it to record anything.  Host
    // main thread.
    void idle();

    // Handler of the "effc" packet: the instance's address, 8 bytes.
    AAX_Result postEffectPointer(AAX_CPacket& packet);
    // Makes the host parameters from the core's current values, once; later
    // calls update their names and defaults in place.  Host main thread.
    void createParameters();
    // Fills the transport record from the host and answers it.
    VstTimeInfo* updateTimeInfo();
    // The host callback's answer for this instance's core.
    intptr_t answerHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

    // Audio thread: one host buffer for this instance.
    void process(const AlgorithmContext& context, bool stereo);

    BWUniClient* getCore() const { return core.get(); }
    AEffect* getEffect() const { return effect; }
    BWAAXWrapperCustomView* getView() const { return view; }
    void setView(BWAAXWrapperCustomView* newView) { view = newView; }
    bool rebuildRequested() const { return rebuildParameters.load(); }
    int32_t preparedBlockSize() const { return maxBlockSize; }

private:
    void destroyCore();
    void followCoreValues();
    void refreshParameters();
    double defaultOf(int32_t index);
    void traceMissingInstruments();
    void traceUnplayedRate(float rate);
    intptr_t copyEventsToHost(const VstEvents* events);
    intptr_t sizeWindow();
    void passMidiIn(const AAX_CMidiStream* stream, int32_t from, int32_t to, bool last);
    void postMidiOut(AAX_IMIDINode* node, int32_t offset);

    AEffect* effect = nullptr;
    MidiEventBuffer inEvents;
    MidiOutputRing outEvents;
    // Asked for by the core's display update, from whichever thread loaded.
    std::atomic<bool> rebuildParameters{false};
    bool bypassPacketRegistered = false;
    bool effectPacketRegistered = false;
    std::unique_ptr<BWUniClient> core;
    int32_t maxBlockSize = kInitialBlockSize;
    // The mono procedure's two channels for the core, maxBlockSize each.
    std::vector<float> monoScratch[2];
    // Samples into the host buffer where the slice being processed starts;
    // the transport the core reads is advanced by as much.
    int32_t sliceOffset = 0;
    bool inSampleRateCall = false;
    VstTimeInfo timeInfo{};
    BWAAXWrapperCustomView* view = nullptr;

    // The state chunk: each host thread gets its own copy of the core's
    // bytes between GetChunkSize and GetChunk.  One lock covers the core's
    // chunk calls and the cache, so a save never reads bytes that a load or
    // another save is changing.
    std::mutex chunkLock;
    std::map<std::thread::id, std::vector<uint8_t>> chunkCache;
};

// The core's host callback: finds the instance through the effect record's
// back-pointer; 0 for a core without an instance.
intptr_t hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

// Native process procedures of the mono and stereo components.
void AlgorithmProcess_Mono(void* const instancesBegin[], const void* instancesEnd);
void AlgorithmProcess_Stereo(void* const instancesBegin[], const void* instancesEnd);
