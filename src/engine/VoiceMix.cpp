#include "engine/VoiceMix.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/BWSystemInfo.h"

namespace {

float rootOrZero(float x) { return x < std::numeric_limits<float>::min() ? 0.0f : std::sqrt(x); }

}  // namespace

std::array<float, 2> panGains(float pan) { return {rootOrZero(1.0f - pan), rootOrZero(pan)}; }

float VoiceMix::filterMix(float v) { return std::trunc(9700.0f * v) * 0.0001f; }

void LayerChain::tickEnvelopes(const VoiceValues& gates, const EnvelopeTimes& times, float ticksPerMs) {
    for (int k = 0; k < kLayerVoices; ++k) envelopes[k].tick(gates[k], gates[k], times.sustain * gates[k], times, ticksPerMs);
}

// The hold is renewed f(note) × 8 / (k² + 0.1) times a second, so the
// crush follows each voice's pitch; at 0 it holds every second sample.
void LayerChain::tick(const VoiceValues& clampedNotes, const LayerMixSettings& settings, bool perVoiceFilter,
                      const BWSystemInfo& system) {
    soundOn = settings.soundOn;
    routed = settings.routed;
    if (soundOn) {
        const float k = settings.crush;
        const float scale = 16.0f / ((k * k + 0.1f) * system.sampleRate);
        for (int v = 0; v < kLayerVoices; ++v) rate[v] = k > 0.0f ? system.noteFrequency(clampedNotes[v]) * scale : 1.0f;
    }
    const std::array<float, 2> pans = panGains(settings.pan);
    const float tickReciprocal = system.tickReciprocal;
    for (int v = 0; v < kLayerVoices; ++v) {
        const float gain = envelopes[v].getLevel() * settings.level;
        gainLeft[v].setTarget(perVoiceFilter ? gain * pans[0] : gain, tickReciprocal);
        if (perVoiceFilter) gainRight[v].setTarget(gain * pans[1], tickReciprocal);
    }
    panRamps[0].setTarget(pans[0], tickReciprocal);
    panRamps[1].setTarget(pans[1], tickReciprocal);
}

void VoiceMix::tick(const std::array<const VoiceLayer*, kSoundLayers>& layers, const Settings& settings) {
    for (int layer = 0; layer < kSoundLayers; ++layer)
        chains[layer].tick(layers[layer]->clampedNotes(), settings.layers[layer], settings.perVoiceFilter, system);
    filter.tickCoefficients(settings.filter, system);
}

inline float VoiceMix::heldSample(LayerChain& chain, int voice, float current) {
    float& phase = chain.phase[voice];
    phase += chain.rate[voice];
    if (phase >= 2.0f) phase = 0.0f;  // no carry
    if (phase == 0.0f) chain.held[voice] = current;
    return chain.held[voice];
}

void VoiceMix::renderLayerShared(LayerChain& chain, const VoiceLayer& layer, int32_t from, int32_t n, float* toLeft,
                                 float* toRight) {
    alignas(16) float sum[kEngineTick] = {};
    for (int v = 0; v < kLayerVoices; ++v) {
        SampleRamp& gain = chain.gainLeft[v];
        const float* voice = layer.output(v) + from;
        if (chain.soundOn) {
            for (int32_t s = 0; s < n; ++s) sum[s] += gain.next() * heldSample(chain, v, voice[s]);
        } else {
            for (int32_t s = 0; s < n; ++s) gain.next();
        }
    }
    for (int32_t s = 0; s < n; ++s) {
        toLeft[s] += sum[s] * chain.panRamps[0].next();
        toRight[s] += sum[s] * chain.panRamps[1].next();
    }
}

void VoiceMix::renderLayerPerVoice(LayerChain& chain, const VoiceLayer& layer, int32_t from, int32_t n,
                                   float* dryLeft, float* dryRight) {
    for (int v = 0; v < kLayerVoices; ++v) {
        SampleRamp& gainL = chain.gainLeft[v];
        SampleRamp& gainR = chain.gainRight[v];
        const float* voice = layer.output(v) + from;
        float* toLeft = chain.routed ? laneIn[v][0] : dryLeft;
        float* toRight = chain.routed ? laneIn[v][1] : dryRight;
        for (int32_t s = 0; s < n; ++s) {
            const float x = chain.soundOn ? heldSample(chain, v, voice[s]) : 0.0f;
            toLeft[s] += gainL.next() * x;
            toRight[s] += gainR.next() * x;
        }
    }
    for (int32_t s = 0; s < n; ++s) {
        chain.panRamps[0].next();
        chain.panRamps[1].next();
    }
}

void VoiceMix::render(const std::array<const VoiceLayer*, kSoundLayers>& layers, const Settings& settings,
                      int32_t from, int32_t n, float* left, float* right) {
    n = std::clamp(n, 0, kEngineTick - std::clamp(from, 0, kEngineTick));
    alignas(16) float dry[2][kEngineTick] = {};
    alignas(16) float in[2][kEngineTick] = {};
    const FilterType type = settings.filter.type;
    if (!settings.perVoiceFilter) {
        for (int layer = 0; layer < kSoundLayers; ++layer) {
            LayerChain& chain = chains[layer];
            float (*target)[kEngineTick] = chain.routed ? in : dry;
            renderLayerShared(chain, *layers[layer], from, n, target[0], target[1]);
        }
        for (int c = 0; c < 2; ++c) filter.shared(c).process(in[c], laneOut[c], n, type);
    } else {
        for (auto& lane : laneIn)
            for (auto& channel : lane) std::fill(channel, channel + n, 0.0f);
        for (int layer = 0; layer < kSoundLayers; ++layer)
            renderLayerPerVoice(chains[layer], *layers[layer], from, n, dry[0], dry[1]);
        alignas(16) float filtered[kEngineTick];
        std::fill(laneOut[0], laneOut[0] + n, 0.0f);
        std::fill(laneOut[1], laneOut[1] + n, 0.0f);
        for (int v = 0; v < kLayerVoices; ++v) {
            for (int c = 0; c < 2; ++c) {
                filter.lane(v, c).process(laneIn[v][c], filtered, n, type);
                for (int32_t s = 0; s < n; ++s) {
                    in[c][s] += laneIn[v][c][s];
                    laneOut[c][s] += filtered[s];
                }
            }
        }
    }
    const float mix = settings.mix;
    for (int32_t s = 0; s < n; ++s) {
        left[s] = dry[0][s] + in[0][s] + mix * (laneOut[0][s] - in[0][s]);
        right[s] = dry[1][s] + in[1][s] + mix * (laneOut[1][s] - in[1][s]);
    }
}
