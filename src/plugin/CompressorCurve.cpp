#include "plugin/CompressorCurve.h"

#include <algorithm>

#include "plugin/SteppedValue.h"

namespace {

constexpr float kDepths[5] = {0.0f, 0.2f, 0.3f, 0.6f, 0.8f};

struct SpeedPair {
    float attackFactor;
    float releaseMs;
};
constexpr SpeedPair kSpeeds[5] = {{0.3f, 100.0f}, {0.35f, 200.0f}, {0.4f, 400.0f}, {0.5f, 600.0f}, {0.6f, 800.0f}};

struct FrequencyPoint {
    float value;
    float slope;
};
constexpr FrequencyPoint kFrequencies[17] = {
    {0.2f, 0.1f}, {0.3f, 0.1f}, {0.4f, 0.1f}, {0.5f, 0.1f}, {0.6f, 0.1f}, {0.7f, 0.1f},
    {0.8f, 0.1f}, {0.9f, 0.1f}, {1.0f, 1.0f}, {2.0f, 2.0f}, {4.0f, 4.0f}, {8.0f, 8.0f},
    {16.0f, 16.0f}, {32.0f, 32.0f}, {64.0f, 64.0f}, {128.0f, 128.0f}, {256.0f, 0.0f}};

}  // namespace

float compressorDepth(int32_t step) { return tableEntry(kDepths, step, 0.0f); }

float compressorFrequencyAt(float y) {
    const float position = std::clamp(y, 0.0f, 16.0f);
    const int32_t i = static_cast<int32_t>(position);
    return kFrequencies[i].value + (position - static_cast<float>(i)) * kFrequencies[i].slope;
}

CompressorSpeed compressorSpeed(int32_t step, float samplesPerMs, float sampleRate, float piOverRate) {
    const SpeedPair pair = tableEntry(kSpeeds, 4 - step, SpeedPair{0.0f, 0.0f});
    CompressorSpeed speed{};
    speed.attackFactor = pair.attackFactor;
    speed.releaseMs = pair.releaseMs;
    speed.release = 1.0f / (pair.releaseMs * samplesPerMs + 1e-9f);
    speed.frequency = std::clamp(compressorFrequencyAt((1.0f - pair.attackFactor) * 16.0f), 0.0f, sampleRate);
    const float w = speed.frequency * piOverRate;
    const float w3 = w * w * w;
    speed.smoothing = w3 * 0.33333299f + (w * w * w3) * 1.333333f + w;
    return speed;
}
