#pragma once
// One sound layer's eight voices as the render routine drives them once per
// tick: trigger edges from the sequencer's gates, note values with the
// layer's pitch offset and "Age" drift (the eight drifts at once, their
// random targets drawn eight at a time), voice starts on the zones that the
// layer's handler places on (key, layer), and the next tick rendered for
// every sounding voice.  The per-sample chain reads each voice's left buffer.
//
// Each voice holds its sample open (BWSampleData::beginRead) from its first
// readable tick for as long as it plays it, across host blocks: a tick costs
// one look at whether a writer of any sample waits, for all the voices, not
// a handshake per sample.  A writer waiting to replace a held sample gets it
// at the next tick.  A voice lets
// go when it ends, moves to another sample or is reset, so a sample is held
// only while a voice is bound to it and the library never waits on a voice
// that no longer plays.  When the render has stopped for good, a writer gets
// in by holding the engine first: the audio side is then out of its block,
// and the holder lets go for it (releaseSamples, or the voices' reset on an
// instrument change); the voices take their samples again when they next
// read them, and check them then.
//
// Audio thread, except construction and attach (host thread, at build) and
// releaseSamples and restore (a thread that holds the engine).

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
    // The tick in its two halves, which a chain of layers runs each for all
    // its layers in turn, so that the layers' notes and read steps are
    // worked out side by side before the first read waits on its steps:
    // first the gates and notes with their drift, and the read steps of the
    // sounding voices; then the voices started and the tick read.
    void followNotes(const VoiceValues& notes, const VoiceValues& gates, float pitchOffset, const AgeSetting& age);
    void playTick(BWRomplerHandler& handler);

    // Lets go of every sample the voices hold open.
    void releaseSamples();

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
    // The voices that a new note took over in the last tick: their buffers
    // hold the old sound played out, faded; the new note is heard from the
    // next tick on.
    uint32_t fadingVoices() const { return fading; }

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
    // Whether the voice may read its sample this tick: held and wanted by
    // no writer, or opened now.
    bool holdSample(Reader& voice);

    BWSystemInfo& system;
    std::array<Reader, kLayerVoices> readers;
    std::array<voicelanes::VoiceRead*, kLayerVoices> reads{};  // each reader's, for readClearTicks
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
    // The read steps of the voices sounding at followNotes, for playTick.
    alignas(32) float increments[kLayerVoices] = {};
    uint32_t sounding = 0;
    uint32_t fading = 0;
    bool triggered = false;  // a trigger new at followNotes
    bool factsStale = true;  // a sample was taken anew since zoneFacts were read
};
