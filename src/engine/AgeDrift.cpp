#include "engine/AgeDrift.h"

#include <cmath>

#include "core/BWSystemInfo.h"

namespace {

float steppedAmount(float value) { return std::trunc(100.0f * value) / 100.0f; }

float driftTime(float amount) { return 100.0f - 100.0f * std::pow(std::fmax(amount, 0.0f), 0.6f); }

}  // namespace

AgeSetting AgeSetting::forLayer(float value) {
    const float amount = steppedAmount(value);
    return {driftTime(amount), 100.0f * amount * 0.04f};
}

AgeSetting AgeSetting::forFilter(float value) {
    return {driftTime(steppedAmount(value)), std::trunc(100.0f * value) * 0.0002f};
}

void AgeDrift::tick(BWSystemInfo& system, const AgeSetting& setting) {
    const float target = system.nextRandomValue();
    glide.retarget(target, setting.timeMs * system.samplesPerMsPerTick);
    glide.advance();
}
