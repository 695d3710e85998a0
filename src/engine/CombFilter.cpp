#include "engine/CombFilter.h"

#include <numbers>

#include "core/BWSystemInfo.h"

namespace {

constexpr float kGlideMs = 56.0f;

float bilinearOneStep(float x) { return x + 0.333333f * x * x * x + 1.333333f * x * x * x * x * x; }

}  // namespace

void CombFilter::setLine(std::span<float> storage) {
    // Fewer than four samples leave no room for the interpolated read.
    const bool usable = storage.size() >= 4 && storage.size() < (size_t{1} << 30);
    line = usable ? storage.data() : nullptr;
    lineLength = usable ? static_cast<int32_t>(storage.size()) : 0;
    if (writeIndex >= lineLength) writeIndex = 0;
}

void CombFilter::prepare(float sampleRate) {
    const float w = std::numbers::pi_v<float> / sampleRate * std::min(sampleRate, 6000.0f);
    g = bilinearOneStep(w);
    invOnePlusG = 1.0f / (1.0f + g);
    gMinusOne = g - 1.0f;
    clear();
}

void CombFilter::clear() {
    if (line) std::fill_n(line, lineLength, 0.0f);
    writeIndex = 0;
    previousOutput = lowPassState = 0.0f;
}

void CombFilter::follow(float hz, const BWSystemInfo& system) {
    const float target = 500.0f / hz * system.samplesPerMs;
    if (target == delayTarget) return;
    delayTarget = target;
    delayTicks = kGlideMs * system.samplesPerMsPerTick;
    delayStep = (target - delay) / (delayTicks * system.tickLength);
}
