#pragma once
// The layer voice chain and mix: per layer its sound switch, "Polycrush" (a
// sample-and-hold that tracks each voice's pitch, holding every second
// sample at 0), the voices' envelopes times the layer level, the pan, and the
// routing through or around the filter with the filter's dry/wet mix.  Two
// filter modes: one stereo filter for the routed sum, or one lane per voice
// index.  Targets change once per tick and reach the signal as 16-sample
// ramps; render works on a span of the tick, so a tick may be split over two
// host blocks.  Audio thread; no allocation.

#include <array>
#include <cstdint>

#include "engine/Envelope.h"
#include "engine/LayerFilter.h"
#include "engine/SampleRamp.h"
#include "engine/VoiceLayer.h"

constexpr int kLayerCount = 3;

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

// The eight voices' per-sample state of one layer, one array per quantity,
// so that a sample's work over the eight voices runs as vector operations.
struct LayerVoiceState {
    alignas(16) float phase[kLayerVoices] = {};  // of the sample-and-hold
    alignas(16) float rate[kLayerVoices] = {1, 1, 1, 1, 1, 1, 1, 1};
    alignas(16) float held[kLayerVoices] = {};
    alignas(16) float gainLeft[kLayerVoices] = {};  // the voice gain in the shared mode
    alignas(16) float stepLeft[kLayerVoices] = {};
    alignas(16) float gainRight[kLayerVoices] = {};  // per-voice mode only
    alignas(16) float stepRight[kLayerVoices] = {};
};

class LayerChain {
public:
    // After the step lanes: the voices' amplitude envelopes (peak = gate).
    void tickEnvelopes(const VoiceValues& gates, const EnvelopeTimes& times, float ticksPerMs);
    // After the voices rendered: hold rates, gain and pan targets.
    void tick(const VoiceValues& clampedNotes, const LayerMixSettings& settings, bool perVoiceFilter,
              const BWSystemInfo& system);

    float envelopeLevel(int voice) const { return envelopes[voice].getLevel(); }
    // No voice changes its level until a gate moves, and none plays a
    // sample to its end meanwhile.
    bool isSteady(const VoiceLayer& layer) const;
    float holdRate(int voice) const { return state.rate[voice]; }

private:
    friend class VoiceMix;
    std::array<Envelope, kLayerVoices> envelopes;
    LayerVoiceState state;
    std::array<SampleRamp, 2> panRamps;
    bool soundOn = false;
    bool routed = false;
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

    LayerChain& chain(int layer) { return chains[layer]; }
    LayerFilter& getFilter() { return filter; }

private:
    void renderLayerShared(LayerChain& chain, const VoiceLayer& layer, int32_t from, int32_t n, float* toLeft,
                           float* toRight);
    void renderLayerPerVoice(LayerChain& chain, const VoiceLayer& layer, int32_t from, int32_t n, float* dryLeft,
                             float* dryRight);

    BWSystemInfo& system;
    std::array<LayerChain, kLayerCount> chains;
    LayerFilter filter;
    // Span buffers: the filter's inputs and outputs, one tick long.
    alignas(16) LayerFilter::LaneInputs laneIn = {};
    alignas(16) float laneOut[2][kEngineTick] = {};
};
