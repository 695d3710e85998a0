#pragma once
// One sound layer's eight voices as the render routine drives them once per
// tick: trigger edges from the sequencer's gates, note values with the
// layer's pitch offset and "Age" drift (the eight drifts at once, their
// random targets drawn eight at a time), voice starts on the zones that the
// layer's handler places on (key, layer), and the next tick rendered for
// every sounding voice.  The per-sample chain reads each voice's left buffer.
//
// The samples the voices read are held open (BWSampleData::beginRead) from
// the first tick that reads each until endBlock, which the render calls at
// the end of every host block: a tick then costs a look-up among the held
// samples instead of a handshake per sample.  A writer waiting to replace a
// held sample gets it back at the next tick, and a render that stopped
// between blocks holds nothing.  A sample taken again in the next block
// with its change count as it was is known unchanged, so its voices keep
// their checked reads however short the host's blocks are.
//
// Audio thread, except construction and attach (host thread, at build).

#include <array>
#include <cstdint>

#include "engine/AgeDrift.h"
#include "engine/BWRomplerReader.h"
#include "engine/VoiceLanes.h"

class BWRomplerHandler;
class BWSystemInfo;

constexpr int kEngineTick = 16;
constexpr int kLayerVoices = 8;

using VoiceValues = std::array<float, kLayerVoices>;

class VoiceLayer {
public:
    using Reader = BWRomplerReader<kEngineTick>;

    explicit VoiceLayer(BWSystemInfo& system);
    ~VoiceLayer();
    VoiceLayer(const VoiceLayer&) = delete;
    VoiceLayer& operator=(const VoiceLayer&) = delete;

    // Hands the voices to the layer's handler, which resets them when it
    // switches instruments.  Host thread, once.
    void attachTo(BWRomplerHandler& handler);

    // One tick: sequencer notes and gates per voice, the layer's pitch offset
    // (octave, transpose and master tune, in semitones) and its "Age".  Voice
    // starts run inside one zone access of the handler; none when the
    // handler is switching instruments.
    void tick(BWRomplerHandler& handler, const VoiceValues& notes, const VoiceValues& gates, float pitchOffset,
              const AgeSetting& age);

    // Lets go of every sample the ticks since the last call held open.
    void releaseSamples();
    // The same at the end of a host block, remembering what each sample's
    // change count was, so that the next block's first tick can take back
    // an unchanged sample without the voices checking it again.
    void endBlock();

    const float* output(int voice) const { return readers[voice].left; }
    const Reader& reader(int voice) const { return readers[voice]; }
    // A voice handed out for changes may be made to play or have its buffers
    // written: it counts as sounding until the next tick looks at it.
    Reader& reader(int voice) {
        sounding |= 1u << voice;
        return readers[voice];
    }
    // The note of each voice before drift, 0..127: the sample-and-hold of the
    // mix tracks it.
    const VoiceValues& clampedNotes() const { return clamped; }
    const VoiceValues& noteValues() const { return notesNow; }
    const VoiceValues& triggerValues() const { return trigger; }
    // The voices that may sound (bit k for voice k): those playing after the
    // last tick, as only a tick starts a voice.  A voice outside it is idle
    // and its buffers hold silence.
    uint32_t soundingVoices() const { return sounding; }

    // What the layer keeps from tick to tick besides its voices, as a copy.
    // Restoring it also makes every voice idle and unbound, as a new voice
    // is.  Host thread, with no tick in progress.
    struct Running {
        voicelanes::Glides drift;
        VoiceValues clamped, notesNow, trigger, triggerSeen, gateSeen;
    };
    Running running() const { return {drift, clamped, notesNow, trigger, triggerSeen, gateSeen}; }
    void restore(const Running& saved);

private:
    // Takes the tick's gates into the triggers; answers whether one is new.
    bool takeGates(const VoiceValues& gates);
    // Binds the voices whose trigger is new; answers which did.
    uint32_t startVoices(const BWRomplerHandler::ZoneAccess& access);
    void renderVoices(const voicelanes::VoiceKernels& kernels, uint32_t started);
    // Whether the sample may be read this tick: held already, or opened now.
    bool holdSample(BWSampleData* sample);
    bool wasLetGoUnchanged(const BWSampleData* sample, uint32_t changes) const;
    bool retake(Reader& voice);
    // Lets go of the held samples a writer waits for.
    void yieldToWriters();

    BWSystemInfo& system;
    std::array<Reader, kLayerVoices> readers;
    voicelanes::Glides drift{};
    // Each voice's zone's root key and tune and its data's rate, as its last
    // render left them: what its increment is worked out from.
    struct ZoneFacts {
        alignas(32) float root[kLayerVoices];
        alignas(32) float tune[kLayerVoices];
        alignas(32) float rate[kLayerVoices];
    } zoneFacts{};
    VoiceValues clamped{};
    VoiceValues notesNow{};
    VoiceValues trigger{};         // 0 before the first trigger, then 1.0 and 0.99999899 in turn
    VoiceValues triggerSeen{};     // the trigger value the last tick acted on
    VoiceValues gateSeen{};
    uint32_t sounding = 0;
    // Enough for every voice moving to another sample a few times between
    // two releases; when full, all are let go and taken again as read.
    static constexpr int32_t kMaxHeld = 2 * kLayerVoices;
    std::array<BWSampleData*, kMaxHeld> held{};
    std::array<uint32_t, kMaxHeld> heldChanges{};  // each one's change count when taken
    int32_t heldCount = 0;
    // What endBlock let go, until the first tick of the next block.
    std::array<BWSampleData*, kMaxHeld> letGo{};
    std::array<uint32_t, kMaxHeld> letGoChanges{};
    int32_t letGoCount = 0;
    bool factsStale = true;
    // Counts every change to the held samples, so that a voice tells whether
    // its sample stayed held, unchanged, since it last checked its facts.
    uint64_t holdTurn = 1;  // a sample was taken anew since zoneFacts were read
};
