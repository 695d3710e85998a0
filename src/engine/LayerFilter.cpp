#include "engine/LayerFilter.h"

#include <algorithm>

#include "core/BWSystemInfo.h"
#include "engine/Float4.h"

namespace {

constexpr float kEnvelopeGlideMs = 3.0f;

void follow(LinearGlide& glide, float level, float ticks) {
    glide.retarget(level, ticks);
    glide.advance();
}

}  // namespace

void LayerFilter::prepare(float sampleRate) {
    for (FilterChannel& channel : sharedChannels) channel.prepare(sampleRate);
    for (auto& pair : lanes)
        for (FilterChannel& channel : pair) channel.prepare(sampleRate);
}

void LayerFilter::setCombLine(int channel, std::span<float> storage) {
    if (channel < 0 || channel >= kChannels) return;
    if (channel < 2) return sharedChannels[channel].setLine(storage);
    lanes[(channel - 2) / 2][(channel - 2) % 2].setLine(storage);
}

void LayerFilter::clear() {
    for (FilterChannel& channel : sharedChannels) channel.clear();
    for (auto& pair : lanes)
        for (FilterChannel& channel : pair) channel.clear();
}

void LayerFilter::tickEnvelopes(const VoiceValues& gates, const EnvelopeTimes& times, float ticksPerMs) {
    float gateSum = 0.0f;
    for (float gate : gates) gateSum += gate;
    glideTicks = kEnvelopeGlideMs * ticksPerMs;
    sharedEnvelopeState.tick(gateSum, 1.0f, times.sustain, times, ticksPerMs);
    follow(sharedGlide, sharedEnvelopeState.getLevel(), glideTicks);
    for (int k = 0; k < kLayerVoices; ++k) {
        laneEnvelopes[k].tick(gates[k], 1.0f, times.sustain, times, ticksPerMs);
        follow(laneGlides[k], laneEnvelopes[k].getLevel(), glideTicks);
    }
}

bool LayerFilter::envelopesSteady() const {
    if (!sharedEnvelopeState.isSteady() || sharedGlide.value != sharedGlide.target) return false;
    for (int k = 0; k < kLayerVoices; ++k)
        if (!laneEnvelopes[k].isSteady() || laneGlides[k].value != laneGlides[k].target) return false;
    return true;
}

void LayerFilter::tickPair(std::array<FilterChannel, 2>& pair, float envelope, const FilterSettings& settings,
                           BWSystemInfo& system) {
    pair[0].tick(envelope, settings, system);
    pair[1].tick(settings.invert ? 1.0f - envelope : envelope, settings, system);
}

void LayerFilter::tickCoefficients(const FilterSettings& settings, bool perVoice, BWSystemInfo& system) {
    if (!perVoice) {
        tickPair(sharedChannels, sharedGlide.value, settings, system);
        return;
    }
    for (int k = 0; k < kLayerVoices; ++k) tickPair(lanes[k], laneGlides[k].value, settings, system);
}

void LayerFilter::processLanes(const LaneInputs& in, float (&sums)[2][kEngineTick], int32_t n, FilterType type) {
    if (type == FilterType::LowPass || type == FilterType::BandPass || type == FilterType::HighPass) {
        processCores(in, sums, n, type);
        return;
    }
    alignas(16) float lane[kEngineTick];
    alignas(16) float filtered[kEngineTick];
    std::fill(sums[0], sums[0] + n, 0.0f);
    std::fill(sums[1], sums[1] + n, 0.0f);
    for (int v = 0; v < kLayerVoices; ++v) {
        for (int c = 0; c < 2; ++c) {
            for (int32_t s = 0; s < n; ++s) lane[s] = in[c][s][v];
            lanes[v][c].process(lane, filtered, n, type);
            for (int32_t s = 0; s < n; ++s) sums[c][s] += filtered[s];
        }
    }
}

// The sixteen state-variable cores of the lanes four at a time (four lanes
// of one channel per vector), so that their sample-to-sample chains run side
// by side instead of one after another, and a sample's inputs are two loads.
void LayerFilter::processCores(const LaneInputs& in, float (&sums)[2][kEngineTick], int32_t n, FilterType type) {
    constexpr int kGroups = 4;  // left 0-3, left 4-7, right 0-3, right 4-7
    Float4 f[kGroups], q[kGroups], h[kGroups], b[kGroups], l[kGroups];
    for (int g = 0; g < kGroups; ++g) {
        for (int k = 0; k < 4; ++k) {
            const FilterChannel& channel = lanes[4 * (g % 2) + k][g / 2];
            f[g][k] = channel.main.f;
            q[g][k] = channel.main.q;
            h[g][k] = channel.hp;
            b[g][k] = channel.bp;
            l[g][k] = channel.lp;
        }
    }
    for (int32_t s = 0; s < n; ++s) {
        Float4 out[kGroups];
        for (int g = 0; g < kGroups; ++g) {
            const Float4 u = load4(&in[g / 2][s][4 * (g % 2)]);
            b[g] = f[g] * h[g] + b[g];
            l[g] = f[g] * b[g] + l[g];
            h[g] = u - (q[g] * b[g] + l[g]);
            out[g] = type == FilterType::LowPass ? l[g] : type == FilterType::BandPass ? b[g] : h[g];
        }
        const Float4 left = out[0] + out[1];
        const Float4 right = out[2] + out[3];
        sums[0][s] = (left[0] + left[1]) + (left[2] + left[3]);
        sums[1][s] = (right[0] + right[1]) + (right[2] + right[3]);
    }
    for (int g = 0; g < kGroups; ++g) {
        for (int k = 0; k < 4; ++k) {
            FilterChannel& channel = lanes[4 * (g % 2) + k][g / 2];
            channel.hp = h[g][k];
            channel.bp = b[g][k];
            channel.lp = l[g][k];
        }
    }
}
