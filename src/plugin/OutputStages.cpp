#include "plugin/OutputStages.h"

#include <algorithm>
#include <cmath>

void DcBlocker::run(float* x, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        const float y = x[i] - x1 + kPole * y1;
        x1 = x[i];
        y1 = y;
        x[i] = y;
    }
}

float rampGain(float* left, float* right, int32_t n, float current, float target) {
    if (n <= 0) return target;
    if (target == current) {
        if (target == 1.0f) return target;
        for (int32_t i = 0; i < n; ++i) {
            left[i] *= target;
            right[i] *= target;
        }
        return target;
    }
    const float step = (target - current) / static_cast<float>(n);
    for (int32_t i = 0; i < n; ++i) {
        current += step;
        left[i] *= current;
        right[i] *= current;
    }
    return target;
}

float peakOf(const float* x, int32_t n) {
    float peak = 0.0f;
    for (int32_t i = 0; i < n; ++i) peak = std::max(peak, std::fabs(x[i]));
    return peak;
}

void BypassFade::setRate(float sampleRate) {
    const int32_t samples = static_cast<int32_t>(sampleRate * 0.01f);
    step = samples > 0 ? 1.0f / static_cast<float>(samples) : 1.0f;
}

void BypassFade::follow(bool bypassed) {
    if (bypassed == (state == 1) || fading) return;
    position = 0.0f;
    fading = true;
}

void BypassFade::run(float* left, float* right, int32_t n) {
    if (state == 0) {
        if (!fading) return;
        for (int32_t i = 0; i < n; ++i) {
            const float gain = 1.0f - position;
            left[i] *= gain;
            right[i] *= gain;
            position += step;
            if (position >= 1.0f) {
                state = 1;
                fading = false;
                std::fill(left + i + 1, left + n, 0.0f);
                std::fill(right + i + 1, right + n, 0.0f);
                return;
            }
        }
        return;
    }
    if (!fading) {
        std::fill(left, left + n, 0.0f);
        std::fill(right, right + n, 0.0f);
        return;
    }
    for (int32_t i = 0; i < n; ++i) {
        left[i] *= position;
        right[i] *= position;
        position += step;
        if (position >= 1.0f) {
            state = 0;
            fading = false;
            position = 1.0f;
            return;
        }
    }
}
