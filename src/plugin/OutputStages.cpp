#include "plugin/OutputStages.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>

#include "core/LargestMagnitude.h"

float DcBlocker::poleAt(float sampleRate) {
    if (!(sampleRate > 0.0f) || !std::isfinite(sampleRate)) return kPole;
    return static_cast<float>(std::pow(static_cast<double>(kPole), kPoleRate / static_cast<double>(sampleRate)));
}

void DcBlocker::run(float* x, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        const float y = x[i] - x1 + pole * y1;
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
    const float pole = left.pole;
    float lx1 = left.x1, ly1 = left.y1, rx1 = right.x1, ry1 = right.y1;
    for (int32_t i = 0; i < n; ++i) {
        const float ly = l[i] - lx1 + pole * ly1;
        const float ry = r[i] - rx1 + pole * ry1;
        lx1 = l[i];
        rx1 = r[i];
        ly1 = l[i] = ly;
        ry1 = r[i] = ry;
    }
    left.x1 = lx1, left.y1 = ly1, right.x1 = rx1, right.y1 = ry1;
}

void rampGain(float* left, float* right, int32_t n, const TickRamp& gain, int32_t first) {
    if (n <= 0) return;
    if (gain.steady()) {
        const float target = gain.target;
        if (target == 1.0f) return;
        for (int32_t i = 0; i < n; ++i) {
            left[i] *= target;
            right[i] *= target;
        }
        return;
    }
    for (int32_t i = 0; i < n; ++i) {
        const float g = gain.at(first + i);
        left[i] *= g;
        right[i] *= g;
    }
}

float peakOf(const float* x, int32_t n) { return largestMagnitude(x, n); }

namespace {

// How the master gain meets a sample: not at all (at rest at 1), at rest,
// or ramping through its tick.
enum class GainCourse { Unity, Held, Ramp };

// A NaN magnitude leaves the peak as it is, as in largestMagnitude.
inline float largerMagnitude(float peak, float x) {
    const float m = std::fabs(x);
    return m > peak ? m : peak;
}

template <GainCourse course>
OutputEnd finishPair(DcBlocker& left, DcBlocker& right, float* l, float* r, int32_t n, const TickRamp& gain,
                     int32_t first) {
    const float pole = left.pole;
    const float held = gain.target;
    float lx1 = left.x1, ly1 = left.y1, rx1 = right.x1, ry1 = right.y1;
    float lPeak = 0.0f, rPeak = 0.0f;
    for (int32_t i = 0; i < n; ++i) {
        float lx = l[i], rx = r[i];
        if constexpr (course == GainCourse::Ramp) {
            const float g = gain.at(first + i);
            lx *= g;
            rx *= g;
        } else if constexpr (course == GainCourse::Held) {
            lx *= held;
            rx *= held;
        }
        lPeak = largerMagnitude(lPeak, lx);
        rPeak = largerMagnitude(rPeak, rx);
        const float ly = lx - lx1 + pole * ly1;
        const float ry = rx - rx1 + pole * ry1;
        lx1 = lx;
        rx1 = rx;
        ly1 = l[i] = ly;
        ry1 = r[i] = ry;
    }
    left.x1 = lx1, left.y1 = ly1, right.x1 = rx1, right.y1 = ry1;
    return {lPeak, rPeak};
}

// Frames of a steady gain's pass taken at once.
constexpr int32_t kSteadyFrames = 4;

// The four samples before x's: `before`'s last, then x's first three.
inline __m128 shiftedIn(__m128 before, __m128 x) {
    const __m128 lastAndFirst = _mm_shuffle_ps(before, x, _MM_SHUFFLE(1, 0, 3, 3));  // b3 b3 x0 x1
    return _mm_shuffle_ps(lastAndFirst, x, _MM_SHUFFLE(2, 1, 2, 0));                 // b3 x0 x1 x2
}

inline float lastOf(__m128 x) { return _mm_cvtss_f32(_mm_shuffle_ps(x, x, _MM_SHUFFLE(3, 3, 3, 3))); }

inline float largestLane(__m128 x) {
    x = _mm_max_ps(x, _mm_movehl_ps(x, x));
    return _mm_cvtss_f32(_mm_max_ps(x, _mm_shuffle_ps(x, x, _MM_SHUFFLE(1, 1, 1, 1))));
}

// finishPair with the gain at rest (Unity or Held), four frames at a time
// wherever no sample waits on another: the gain, the peaks (the vector
// maximum keeps its second operand when either is NaN, as largerMagnitude
// keeps the peak) and the blocker's x − x1 go in vectors, and only the
// recursion's d + pole × y1 is left a sample at a time: the same operations
// on the same values, so the same bits, at half the instructions of the
// loop that does it all a sample at a time.  The last frames that fill no
// vector go through that loop.
template <GainCourse course>
OutputEnd finishSteadyPair(DcBlocker& left, DcBlocker& right, float* l, float* r, int32_t n, const TickRamp& gain) {
    static_assert(course != GainCourse::Ramp);
    const float target = gain.target;
    const float pole = left.pole;
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    const __m128 held = _mm_set1_ps(target);
    __m128 lPeak = _mm_setzero_ps(), rPeak = _mm_setzero_ps();
    __m128 lBefore = _mm_set1_ps(left.x1), rBefore = _mm_set1_ps(right.x1);
    float ly1 = left.y1, ry1 = right.y1;
    int32_t i = 0;
    for (; i + kSteadyFrames <= n; i += kSteadyFrames) {
        __m128 lx = _mm_loadu_ps(l + i), rx = _mm_loadu_ps(r + i);
        if constexpr (course == GainCourse::Held) {
            lx = _mm_mul_ps(lx, held);
            rx = _mm_mul_ps(rx, held);
        }
        lPeak = _mm_max_ps(_mm_and_ps(lx, magnitude), lPeak);
        rPeak = _mm_max_ps(_mm_and_ps(rx, magnitude), rPeak);
        alignas(16) float ld[kSteadyFrames], rd[kSteadyFrames];
        _mm_store_ps(ld, _mm_sub_ps(lx, shiftedIn(lBefore, lx)));
        _mm_store_ps(rd, _mm_sub_ps(rx, shiftedIn(rBefore, rx)));
        lBefore = lx;
        rBefore = rx;
        for (int32_t k = 0; k < kSteadyFrames; ++k) {
            ly1 = l[i + k] = ld[k] + pole * ly1;
            ry1 = r[i + k] = rd[k] + pole * ry1;
        }
    }
    left.y1 = ly1, right.y1 = ry1;
    if (i > 0) left.x1 = lastOf(lBefore), right.x1 = lastOf(rBefore);
    const OutputEnd tail = finishPair<course>(left, right, l + i, r + i, n - i, gain, 0);
    return {std::max(largestLane(lPeak), tail.peakLeft), std::max(largestLane(rPeak), tail.peakRight)};
}

}  // namespace

OutputEnd gainMeterAndBlockDc(DcBlocker& left, DcBlocker& right, float* l, float* r, int32_t n, const TickRamp& gain,
                              int32_t first) {
    if (l == r) {
        rampGain(l, r, n, gain, first);
        const float peak = peakOf(l, n);
        DcBlocker::runPair(left, right, l, r, n);
        return {peak, peak};
    }
    if (n <= 0) return {0.0f, 0.0f};
    if (!gain.steady()) return finishPair<GainCourse::Ramp>(left, right, l, r, n, gain, first);
    if (gain.target == 1.0f) return finishSteadyPair<GainCourse::Unity>(left, right, l, r, n, gain);
    return finishSteadyPair<GainCourse::Held>(left, right, l, r, n, gain);
}

void BypassFade::stepFor(float sampleRate) {
    stepRate = sampleRate;
    const int32_t samples = static_cast<int32_t>(sampleRate * 0.01f);
    step = samples > 0 ? 1.0f / static_cast<float>(samples) : 1.0f;
}

void BypassFade::follow(bool bypassed) {
    if (bypassed == (state == 1) || fading) return;
    position = 0.0f;
    fading = true;
}

void BypassFade::fade(float* left, float* right, int32_t n) {
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
