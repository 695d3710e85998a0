#include "plugin/OutputStages.h"

#include <algorithm>
#include <cmath>

#include "core/LargestMagnitude.h"
#include "engine/Float4.h"

namespace {

// y[i] = x[i] − x[i−1] + kPole × y[i−1], four samples a step: within the
// step the differences are summed in two doubling passes, and only the step's
// last output waits on the one before (a multiply and an add for four
// samples, where one at a time waits on both for each).
struct DcLanes {
    static constexpr float p = DcBlocker::kPole;
    static constexpr float p2 = p * p;
    const Float4 powers{p, p2, p2 * p, p2 * p2};

    // `last` holds the step before's samples (its last lane x[i-1]).
    Float4 step(Float4 x, Float4& last, float& y1) const {
        const Float4 zero{};
        Float4 d = x - __builtin_shufflevector(last, x, 3, 4, 5, 6);
        last = x;
        d += p * __builtin_shufflevector(zero, d, 0, 4, 5, 6);
        d += p2 * __builtin_shufflevector(zero, d, 0, 1, 4, 5);
        d += powers * y1;
        y1 = d[3];
        return d;
    }
    static float step(float x, float& x1, float& y1) {
        y1 = x - x1 + p * y1;
        x1 = x;
        return y1;
    }
};

}  // namespace

void DcBlocker::run(float* x, int32_t n) {
    const DcLanes lanes;
    Float4 last{x1, x1, x1, x1};
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) store4(x + i, lanes.step(load4(x + i), last, y1));
    x1 = last[3];
    for (; i < n; ++i) x[i] = DcLanes::step(x[i], x1, y1);
}

// The two channels' chains are independent: run side by side, each hides
// the other's wait.
void DcBlocker::runPair(DcBlocker& left, DcBlocker& right, float* l, float* r, int32_t n) {
    if (l == r) {  // a mono host's one buffer goes through both, in turn
        left.run(l, n);
        right.run(r, n);
        return;
    }
    const DcLanes lanes;
    Float4 lLast{left.x1, left.x1, left.x1, left.x1}, rLast{right.x1, right.x1, right.x1, right.x1};
    float ly1 = left.y1, ry1 = right.y1;
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        store4(l + i, lanes.step(load4(l + i), lLast, ly1));
        store4(r + i, lanes.step(load4(r + i), rLast, ry1));
    }
    float lx1 = lLast[3], rx1 = rLast[3];
    for (; i < n; ++i) {
        l[i] = DcLanes::step(l[i], lx1, ly1);
        r[i] = DcLanes::step(r[i], rx1, ry1);
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
