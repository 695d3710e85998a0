#pragma once
// One plug-in instance as the host stand-in runs it: the host context the
// effect is initialised with (controller with sample rate and packet
// posting into the context fields, transport, automation delegate that
// applies set-value requests back through the effect), the MIDI nodes, the
// view container, and the algorithm context each process call is given.
// One thread drives an instance: the host's main and audio work happen on
// the caller's thread, in the order a host would call them.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "aax/AAX_IACFEffectGUI.h"
#include "aax/AAX_IACFEffectParameters.h"
#include "aax/AlgorithmContext.h"
#include "host/HostObject.h"
#include "platform/HostWindow.h"

class HostEffectDescriptor;
class HostPageTable;
class HostComponentDescriptor;

struct HostTransportState {
    double tempo = 120.0;
    int32_t numerator = 4;
    int32_t denominator = 4;
    bool playing = true;
    int64_t tick = 0;                    // advanced by each block while playing
    uint32_t ticksPerQuarter = 960000;
    bool looping = false;
    int64_t loopStart = 0;
    int64_t loopEnd = 0;
};

class HostMidiNode final : public AAX_IMIDINode {
public:
    AAX_CMidiStream* GetNodeBuffer() override;
    AAX_Result PostMIDIPacket(AAX_CMidiPacket* packet) override;

    std::vector<AAX_CMidiPacket> pending;  // the input for the next block
    std::vector<AAX_CMidiPacket> posted;   // everything the plug-in sent
    int64_t blockStart = 0;                // posted packets get it added
    std::vector<std::pair<int64_t, AAX_CMidiPacket>> timeline;  // (sample, packet)

private:
    AAX_CMidiStream stream{};
};

// The host's window as the plug-in's view sees it: the record of
// platform/HostWindow.h (GetPtr) and its kind (GetType); none, 0 and null,
// when the host opened the view without a window.
class HostViewContainer final : public HostObject<AAX_IACFViewContainer> {
public:
    ACFRESULT QueryInterface(const acfIID& iid, void** out) override;
    int32_t GetType() override { return window ? static_cast<int32_t>(window->kind) : 0; }
    void* GetPtr() override { return window; }
    AAX_Result GetModifiers(uint32_t* modifiers) override;
    AAX_Result SetViewSize(AAX_Point& size) override;

    platform::HostWindow* window = nullptr;
    std::vector<AAX_Point> sizes;  // every size the plug-in asked for
    // The host's window takes a size (the view's at the open, and every
    // size the plug-in asks for).
    std::function<void(int32_t width, int32_t height)> resized;
};

class HostInstance final : public HostObject<AAX_IACFController>,
                           public AAX_IACFTransport,
                           public AAX_IACFAutomationDelegate {
public:
    // Creates the effect (creation procedure 0) and initialises it at `rate`
    // with the component of `channels` (1 or 2).  ok() tells whether it worked.
    HostInstance(const HostEffectDescriptor& effect, int channels, float rate, double tempo = 120.0);
    ~HostInstance();
    HostInstance(const HostInstance&) = delete;
    HostInstance& operator=(const HostInstance&) = delete;

    bool ok() const { return parameters != nullptr && process != nullptr; }
    AAX_IACFEffectParameters_V4* effect() const { return parameters; }

    // Runs one block of `frames` samples into `outputs` (channels() buffers);
    // the host's packets are posted first, as the coefficient thread would.
    void runBlock(float* const* outputs, int32_t frames);
    int channels() const { return channelCount; }
    // Whether a block run now would play: false while the plug-in loads a
    // program or a state (aax/RenderReadiness.h).  A plug-in that does not
    // answer is taken as ready.
    bool readyToRender() const;
    // Sends the instance a MIDI message at a sample offset of the next block.
    void queueMidi(uint32_t offset, uint8_t status, uint8_t data1, uint8_t data2);

    // Parameters and state through the effect's host interface.
    std::string parameterID(int32_t index) const;
    bool setParameter(const std::string& id, double normalized);
    // A value as the host's automation plays it back: not a request of
    // the plug-in's, so nothing is posted back.
    bool automate(const std::string& id, double normalized);
    double parameter(const std::string& id) const;
    std::string parameterText(const std::string& id) const;
    // The state chunk "BWZv": empty when the instance gave none.
    std::vector<uint8_t> saveState();
    AAX_Result loadState(const std::vector<uint8_t>& bytes);
    // A preset file's bytes, set as the chunk of its kind ("BWZp" global,
    // "BWZq" sound, "BWZk" sequence), which the plug-in applies as its preset
    // menus apply such a file ("Chord Select" stays as the player set it);
    // the name (cut to the record's 31 characters) becomes the kind's preset
    // name.
    enum class PresetKind { Global, Sound, Sequence };
    AAX_Result loadPreset(const std::vector<uint8_t>& bytes, PresetKind kind, const std::string& name);

    // Asks the effect to fill a control-surface page table.
    AAX_Result updatePageTable(uint32_t tableType, int32_t pageSize, HostPageTable& table);

    // Opens the view (creation procedure 1) in the host's window (null:
    // without one) and gives that window the view's size; sizes and closes it.
    AAX_Result openView(platform::HostWindow* window);
    AAX_Result viewTimer();
    void closeView();

    ACFRESULT QueryInterface(const acfIID& iid, void** out) override;
    uint32_t AddRef() override { return HostObject<AAX_IACFController>::AddRef(); }
    uint32_t Release() override { return HostObject<AAX_IACFController>::Release(); }

    // controller
    AAX_Result GetEffectID(AAX_IString* id) const override;
    AAX_Result GetSampleRate(float* rate) const override;
    AAX_Result GetInputStemFormat(int32_t* format) const override;
    AAX_Result GetOutputStemFormat(int32_t* format) const override;
    AAX_Result GetSignalLatency(int32_t* samples) const override;
    AAX_Result SetSignalLatency(int32_t) override { return AAX_SUCCESS; }
    AAX_Result PostPacket(uint32_t fieldIndex, const void* data, uint32_t size) override;
    AAX_Result GetCurrentMeterValue(uint32_t, float* value) const override;

    // transport
    AAX_Result GetCurrentTempo(double* bpm) const override;
    AAX_Result GetCurrentMeter(int32_t* numerator, int32_t* denominator) const override;
    AAX_Result IsTransportPlaying(bool* playing) const override;
    AAX_Result GetCurrentTickPosition(int64_t* ticks) const override;
    AAX_Result GetCurrentLoopPosition(bool* looping, int64_t* startTick, int64_t* endTick) const override;
    AAX_Result GetCurrentNativeSampleLocation(int64_t* sample) const override;
    AAX_Result GetCustomTickPosition(int64_t* ticks, int64_t sample) const override;
    AAX_Result GetBarBeatPosition(int32_t* bars, int32_t* beats, int64_t* displayTicks, int64_t sample) const override;
    AAX_Result GetTicksPerQuarter(uint32_t* ticks) const override;
    AAX_Result GetCurrentTicksPerBeat(uint32_t* ticks) const override;

    // automation
    AAX_Result RegisterParameter(const char* id) override;
    AAX_Result UnregisterParameter(const char* id) override;
    AAX_Result PostSetValueRequest(const char* id, double normalized) const override;
    AAX_Result PostCurrentValue(const char* id, double normalized) const override;
    AAX_Result PostTouchRequest(const char* id) override;
    AAX_Result PostReleaseRequest(const char* id) override;
    AAX_Result GetTouchState(const char* id, bool* touched) override;

    HostTransportState transport;
    float sampleRate;
    HostMidiNode midiIn;
    HostMidiNode midiOut;
    HostViewContainer viewContainer;
    int64_t samplePosition = 0;
    bool watchAllocations = false;       // counts operator new inside process calls
    size_t processAllocations = 0;
    mutable std::vector<std::string> automationLog;  // "touch 12", "set 12 0.75", ...
    int32_t registeredParameters = 0;

private:
    AAX_Result setChunk(uint32_t id, const std::vector<uint8_t>& bytes, const std::string& name);

    const HostEffectDescriptor& description;
    int channelCount;
    AAX_IACFEffectParameters_V4* parameters = nullptr;
    AAX_IACFEffectGUI* gui = nullptr;
    AAX_ProcessProc process = nullptr;
    int32_t bypassField = 0;
    BWAAXWrapperParameters* instanceField = nullptr;
    bool instancePosted = false;
    int32_t bufferLength = 0;
    int64_t playedSamples = 0;
    // ticksAt(playedSamples) as the last block worked it out, and the scale
    // it was worked out at (none before the first block).
    int64_t endTicks = 0;
    double endTicksTempo = -1.0;
    uint32_t endTicksPerQuarter = 0;
    std::vector<float> inputSilence;
    float* inputs[2] = {};
};
