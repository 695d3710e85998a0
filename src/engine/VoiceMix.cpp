#include "engine/VoiceMix.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/BWSystemInfo.h"
#include "engine/Float4.h"

namespace {

float rootOrZero(float x) { return x < std::numeric_limits<float>::min() ? 0.0f : std::sqrt(x); }

// SampleRamp's rule for one voice's gain.
void setRamp(float& current, float& step, float target, float tickReciprocal) {
    step = (target - current) * tickReciprocal;
    if (std::fabs(step) < 1e-7f) {
        step = 0.0f;
        current = target;
    }
}

// One sample of the eight voices: the hold renews when its phase passes 2
// (no carry), then each gain takes its step.  x holds the voices' current
// samples; left and right get held × gain.  Four voices at a time in vector
// registers, with selects instead of branches: the renewals come in no
// pattern a branch predictor could follow.

inline void stepVoices(LayerVoiceState& st, const float* x, float* left, float* right) {
    const Float4 zero = {0.0f, 0.0f, 0.0f, 0.0f};
    const Float4 two = {2.0f, 2.0f, 2.0f, 2.0f};
    for (int v = 0; v < kLayerVoices; v += 4) {
        Float4 phase = load4(st.phase + v) + load4(st.rate + v);
        phase = phase >= two ? zero : phase;
        const Float4 held = phase == zero ? load4(x + v) : load4(st.held + v);
        const Float4 gainLeft = load4(st.gainLeft + v) + load4(st.stepLeft + v);
        const Float4 gainRight = load4(st.gainRight + v) + load4(st.stepRight + v);
        store4(st.phase + v, phase);
        store4(st.held + v, held);
        store4(st.gainLeft + v, gainLeft);
        store4(st.gainRight + v, gainRight);
        store4(left + v, gainLeft * held);
        store4(right + v, gainRight * held);
    }
}

// The gains move on while the layer is off; its sound does not.
inline void stepGainsOnly(LayerVoiceState& st) {
    for (int v = 0; v < kLayerVoices; ++v) {
        st.gainLeft[v] += st.stepLeft[v];
        st.gainRight[v] += st.stepRight[v];
    }
}

}  // namespace

std::array<float, 2> panGains(float pan) { return {rootOrZero(1.0f - pan), rootOrZero(pan)}; }

float VoiceMix::filterMix(float v) { return std::trunc(9700.0f * v) * 0.0001f; }

bool LayerChain::isSteady(const VoiceLayer& layer) const {
    for (int v = 0; v < kLayerVoices; ++v) {
        const Envelope& envelope = envelopes[v];
        if (!envelope.isSteady()) return false;
        const VoiceLayer::Reader& reader = layer.reader(v);
        if (envelope.getLevel() != 0.0f && reader.isActive() && !reader.isLooping()) return false;
    }
    return true;
}

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
        for (int v = 0; v < kLayerVoices; ++v)
            state.rate[v] = k > 0.0f ? system.noteFrequency(clampedNotes[v]) * scale : 1.0f;
    }
    const std::array<float, 2> pans = panGains(settings.pan);
    const float tickReciprocal = system.tickReciprocal;
    for (int v = 0; v < kLayerVoices; ++v) {
        const float gain = envelopes[v].getLevel() * settings.level;
        setRamp(state.gainLeft[v], state.stepLeft[v], perVoiceFilter ? gain * pans[0] : gain, tickReciprocal);
        if (perVoiceFilter) setRamp(state.gainRight[v], state.stepRight[v], gain * pans[1], tickReciprocal);
    }
    panRamps[0].setTarget(pans[0], tickReciprocal);
    panRamps[1].setTarget(pans[1], tickReciprocal);
}

void VoiceMix::tick(const std::array<const VoiceLayer*, kLayerCount>& layers, const Settings& settings) {
    for (int layer = 0; layer < kLayerCount; ++layer)
        chains[layer].tick(layers[layer]->clampedNotes(), settings.layers[layer], settings.perVoiceFilter, system);
    filter.tickCoefficients(settings.filter, settings.perVoiceFilter, system);
}

// Written as selects, so that the loop over a span has no branch.
// The loops run over the samples with the eight voices inside, on a copy of
// the layer's state that nothing else can reach.
void VoiceMix::renderLayerShared(LayerChain& chain, const VoiceLayer& layer, int32_t from, int32_t n, float* toLeft,
                                 float* toRight) {
    LayerVoiceState st = chain.state;
    alignas(16) float x[kLayerVoices], gained[kLayerVoices], unused[kLayerVoices];
    for (int32_t s = 0; s < n; ++s) {
        float sum = 0.0f;
        if (chain.soundOn) {
            for (int v = 0; v < kLayerVoices; ++v) x[v] = layer.output(v)[from + s];
            stepVoices(st, x, gained, unused);
            for (int v = 0; v < kLayerVoices; ++v) sum += gained[v];
        } else {
            stepGainsOnly(st);
        }
        toLeft[s] += sum * chain.panRamps[0].next();
        toRight[s] += sum * chain.panRamps[1].next();
    }
    chain.state = st;
}

void VoiceMix::renderLayerPerVoice(LayerChain& chain, const VoiceLayer& layer, int32_t from, int32_t n,
                                   float* dryLeft, float* dryRight) {
    LayerVoiceState st = chain.state;
    alignas(16) float x[kLayerVoices], voiceLeft[kLayerVoices], voiceRight[kLayerVoices];
    for (int32_t s = 0; s < n; ++s) {
        chain.panRamps[0].next();
        chain.panRamps[1].next();
        if (!chain.soundOn) {
            stepGainsOnly(st);
            continue;
        }
        for (int v = 0; v < kLayerVoices; ++v) x[v] = layer.output(v)[from + s];
        stepVoices(st, x, voiceLeft, voiceRight);
        if (chain.routed) {
            for (int v = 0; v < kLayerVoices; ++v) {
                laneIn[0][s][v] += voiceLeft[v];
                laneIn[1][s][v] += voiceRight[v];
            }
        } else {
            float sumLeft = 0.0f, sumRight = 0.0f;
            for (int v = 0; v < kLayerVoices; ++v) sumLeft += voiceLeft[v], sumRight += voiceRight[v];
            dryLeft[s] += sumLeft;
            dryRight[s] += sumRight;
        }
    }
    chain.state = st;
}

void VoiceMix::render(const std::array<const VoiceLayer*, kLayerCount>& layers, const Settings& settings,
                      int32_t from, int32_t n, float* left, float* right) {
    n = std::clamp(n, 0, kEngineTick - std::clamp(from, 0, kEngineTick));
    alignas(16) float dry[2][kEngineTick] = {};
    alignas(16) float in[2][kEngineTick] = {};
    const FilterType type = settings.filter.type;
    if (!settings.perVoiceFilter) {
        for (int layer = 0; layer < kLayerCount; ++layer) {
            LayerChain& chain = chains[layer];
            float (*target)[kEngineTick] = chain.routed ? in : dry;
            renderLayerShared(chain, *layers[layer], from, n, target[0], target[1]);
        }
        for (int c = 0; c < 2; ++c) filter.shared(c).process(in[c], laneOut[c], n, type);
    } else {
        for (auto& channel : laneIn) std::fill(&channel[0][0], &channel[0][0] + n * kLayerVoices, 0.0f);
        for (int layer = 0; layer < kLayerCount; ++layer)
            renderLayerPerVoice(chains[layer], *layers[layer], from, n, dry[0], dry[1]);
        filter.processLanes(laneIn, laneOut, n, type);
        for (int c = 0; c < 2; ++c) {
            for (int32_t s = 0; s < n; ++s) {
                const Float4 sum = load4(&laneIn[c][s][0]) + load4(&laneIn[c][s][4]);
                in[c][s] += (sum[0] + sum[1]) + (sum[2] + sum[3]);
            }
        }
    }
    const float mix = settings.mix;
    for (int32_t s = 0; s < n; ++s) {
        left[s] = dry[0][s] + in[0][s] + mix * (laneOut[0][s] - in[0][s]);
        right[s] = dry[1][s] + in[1][s] + mix * (laneOut[1][s] - in[1][s]);
    }
}
