#pragma once
// The largest magnitude in a run of samples: the output meters and the
// host's render summary.  Eight samples a step in two running maxima, then
// the four lanes folded into one.  A NaN sample is passed over (the vector
// maximum keeps its second operand when either is NaN), as a comparison
// that keeps the larger one would; 0 for an empty run.  Inline, no state:
// any thread.

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

inline float largestMagnitude(const float* x, int32_t n) {
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    __m128 a = _mm_setzero_ps();
    __m128 b = _mm_setzero_ps();
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        a = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(x + i), magnitude), a);
        b = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(x + i + 4), magnitude), b);
    }
    a = _mm_max_ps(a, b);
    a = _mm_max_ps(a, _mm_movehl_ps(a, a));
    a = _mm_max_ps(a, _mm_shuffle_ps(a, a, _MM_SHUFFLE(1, 1, 1, 1)));
    float peak = _mm_cvtss_f32(a);
    for (; i < n; ++i) peak = std::max(peak, std::fabs(x[i]));
    return peak;
}
