#pragma once
// The layer voice chain and mix: per layer its sound switch, "Polycrush" (a
// sample-and-hold that tracks each voice's pitch, holding every second
// sample at 0), the voices' envelopes times the layer level, the pan, and the
// routing through or around the filter with the filter's dry/wet mix.  Two
// filter modes: one stereo filter for the routed sum, or one lane per voice
// index.  Targets change once per tick and reach the signal as 16-sample
// ramps; render works on a span of the tick, so a tick may be split over two
// host blocks.
//
// The eight voices of a layer are worked on at once (VoiceKernels): their
// envelopes, hold rates and gain ramps once a tick, their holds and gains a
// sample at a time over a span.  A layer whose voices hold and play nothing
// only moves its phases and gains, and the filter lanes rest while nothing
// reaches them and they have rung out.  Audio thread; no allocation.

#include <array>
#include <bit>
#include <cstdint>

#include "engine/Envelope.h"
#include "engine/LayerFilter.h"
#include "engine/SampleRamp.h"
#include "engine/VoiceLanes.h"
#include "engine/VoiceLayer.h"

constexpr int kLayerCount = voicelanes::kLayers;

struct LayerMixSettings {
    bool soundOn = false;
    float crush = 0.0f;  // "Polycrush", 0..1
    float level = 0.0f;  // linear
    float pan = 0.5f;    // 0 left .. 1 right
    bool routed = false; // through the filter
    EnvelopeTimes envelope;
};

// √(1 − p) and √p, 0 below the smallest normal float.
std::array<float, 2> panGains(float pan);

// The smallest phase p with p + rate rounding to 2 or more: a hold's phase
// wraps on its next step exactly from there up (NaN for a NaN rate).
float holdWrapPoint(float rate);
// The hold cycles of the mix's rates and wrap points (LayerMix::cycle); no
// phase's place in them is known until it wraps.
void takeHoldCycles(voicelanes::LayerMix& mix);
// The phases a resting layer left in its cycles (LayerMix::phasesInCycle)
// written out into its phases; the kernels settle them themselves.
void settleHoldPhases(voicelanes::LayerMix& mix);

// No bit but a sign set in any of the eight values: all are ±0.
inline bool allZero(const float (&values)[kLayerVoices]) {
    uint32_t bits = 0;
    for (float value : values) bits |= std::bit_cast<uint32_t>(value) & 0x7fffffffu;
    return bits == 0;
}

// Gates equal to the envelopes' last: envelopes that hold still (idle,
// sustaining or finished) under them would stay as they are.
bool gatesAsBefore(const voicelanes::Envelopes& envelopes, const VoiceValues& gates);

class LayerChain {
public:
    LayerChain();

    // After the step lanes: the voices' amplitude envelopes (peak = gate).
    void tickEnvelopes(const VoiceValues& gates, const EnvelopeTimes& times, float ticksPerMs);
    // After the voices rendered: hold rates, gain and pan targets.
    void tick(const VoiceLayer& layer, const LayerMixSettings& settings, bool perVoiceFilter,
              const BWSystemInfo& system);

    float envelopeLevel(int voice) const { return envelopes.level[voice]; }
    Envelope::State envelopeState(int voice) const { return static_cast<Envelope::State>(envelopes.state[voice]); }
    float holdRate(int voice) const { return mix.rate[voice]; }
    // No voice changes its level until a gate moves, and none plays a
    // sample to its end meanwhile.
    bool isSteady(const VoiceLayer& layer) const;

private:
    friend class VoiceMix;
    struct GainInputs {
        float level = 0.0f;
        float pan = 0.0f;
        float tickReciprocal = 0.0f;
        bool perVoice = false;
    };

    // The voices' samples of frames [from, from + n), frame by frame, as
    // they stand when the span renders.
    void takeSamples(const VoiceLayer& layer, int32_t from, int32_t n);
    // The hold rates' wrap points, after the rates moved.
    void takeWrapPoints();
    // The gains and pan ramps stand still at what the inputs aim them at.
    bool gainsStandStill(const GainInputs& inputs) const;
    void aimGains(const GainInputs& inputs);
    // The voices a new note took over play their old sound out in this
    // tick, faded over it (BWRomplerReader): at the gain they had, which the
    // new note's envelope takes from the next tick on, with the new sound,
    // and through a hold renewed on every frame, so that the fade reaches the
    // mix whole.  (The new envelope lifted the fading sound, a released note
    // even from silence, and a hold renewed every few frames, as at 96 and
    // 192 kHz, cut the fade into a few steps of a quarter of the old sound
    // and dropped the rest at the next tick: steps of 0.02 to 0.05 at
    // onsets, and a sample standing alone where two of them met.)
    void playOut(uint32_t fading);
    // The hold rates of the voices played out in the last tick, back.
    void endPlayOut();

    voicelanes::Envelopes envelopes{};
    bool envelopesStill = true;  // all eight held still after their last tick
    voicelanes::LayerMix mix{};
    // What the hold rates were last worked out from.
    struct RateInputs {
        VoiceValues notes{};
        float crush = -1.0f;
        float sampleRate = 0.0f;
    } ratesFor;
    std::array<SampleRamp, 2> panRamps;
    float panFor = -1.0f;  // the pan the gains below stand for
    std::array<float, 2> pansNow{};
    // What the voice gains and pan ramps were last aimed from, and whether
    // they then stood at their targets with no step left to take (and hold
    // exactly there, as numbers that adding a zero step leaves alone): a
    // tick with the same inputs and envelopes that did not move would leave
    // them as they are.
    GainInputs gainsFor;
    bool gainsSettled = false;
    // The voices played out in the last tick, and their own hold rates,
    // wrap points and phases, which the next tick puts back.
    uint32_t playedOut = 0;
    float ownRate[kLayerVoices] = {};
    float ownWrapAt[kLayerVoices] = {};
    float ownPhase[kLayerVoices] = {};
    bool soundOn = false;
    bool routed = false;
    bool quiet = true;  // no sample in the span's rows, none held
};

class VoiceMix {
public:
    struct Settings {
        std::array<LayerMixSettings, kLayerCount> layers;
        bool perVoiceFilter = false;  // "FilterVoiceMode"
        float mix = 0.0f;             // "Filter Mix", 0..0.97
        FilterSettings filter;
    };

    explicit VoiceMix(BWSystemInfo& system) : system(system) {}

    // "Filter Mix" v: trunc(9700 v) × 0.0001.
    static float filterMix(float v);

    void prepare(float sampleRate) { filter.prepare(sampleRate); }

    // Once per tick, after the voices and their envelopes: chain targets and
    // filter coefficients.
    void tick(const std::array<const VoiceLayer*, kLayerCount>& layers, const Settings& settings);
    // Samples [from, from + n) of the tick into left and right (n of each).
    void render(const std::array<const VoiceLayer*, kLayerCount>& layers, const Settings& settings, int32_t from,
                int32_t n, float* left, float* right);

    // Off, a span that can only give silence still takes the whole path:
    // the twin that the shortcut is held to.
    void setRestShortcut(bool on) { restShortcut = on; }

    LayerChain& chain(int layer) { return chains[layer]; }
    const LayerChain& chain(int layer) const { return chains[layer]; }
    // Lets go of every held sample, all that the mix keeps of the voices'
    // sound from one sample to the next.
    void silenceHolds();
    LayerFilter& getFilter() { return filter; }
    const LayerFilter& getFilter() const { return filter; }

private:
    void rolesOf(voicelanes::LayerMix* (&mixes)[kLayerCount], voicelanes::LayerRole (&roles)[kLayerCount]);
    bool feedsLanes(const std::array<const VoiceLayer*, kLayerCount>& layers) const;
    void renderShared(const Settings& settings, const voicelanes::VoiceKernels& kernels, int32_t from, int32_t n,
                      float (&dry)[2][kEngineTick], float (&in)[2][kEngineTick]);
    bool renderPerVoice(const Settings& settings, const voicelanes::VoiceKernels& kernels, int32_t from, int32_t n,
                        float (&dry)[2][kEngineTick], float (&in)[2][kEngineTick]);

    BWSystemInfo& system;
    std::array<LayerChain, kLayerCount> chains;
    LayerFilter filter;
    // Span buffers: the filter lanes' inputs and the filter's outputs.
    alignas(32) voicelanes::LaneRows laneIn[2] = {};
    alignas(32) float filtered[2][kEngineTick] = {};
    bool laneInWritten = false;  // a layer wrote the lane rows since they were cleared
    bool restShortcut = true;
};
