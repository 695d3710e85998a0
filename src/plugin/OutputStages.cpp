#include "plugin/OutputStages.h"

#include <algorithm>
#include <cmath>

#include "core/LargestMagnitude.h"

void DcBlocker::run(float* x, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        const float y = x[i] - x1 + kPole * y1;
        x1 = x[i];
        y1 = y;
        x[i] = y;
    }
}

void DcBlocker::runPair(DcBlocker& left, DcBlocker& right, float* l, float* r, int32_t n) {
    if (l == r) {  // a mono host's one buffer goes through both, in turn
        left.run(l, n);
        right.run(r, n);
        return;
    }
    float lx1 = left.x1, ly1 = left.y1, rx1 = right.x1, ry1 = right.y1;
    for (int32_t i = 0; i < n; ++i) {
        const float ly = l[i] - lx1 + kPole * ly1;
        const float ry = r[i] - rx1 + kPole * ry1;
        lx1 = l[i];
        rx1 = r[i];
        ly1 = l[i] = ly;
        ry1 = r[i] = ry;
    }
    left.x1 = lx1, left.y1 = ly1, right.x1 = rx1, right.y1 = ry1;
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

float peakOf(const float* x, int32_t n) { return largestMagnitude(x, n); }

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
