#include "engine/LayerFilter.h"

#include "core/BWSystemInfo.h"

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
