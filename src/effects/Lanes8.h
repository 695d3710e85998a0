#pragma once
// Eight float lanes (AVX2) for the effects' kernels built for it: each helper
// does lane by lane exactly what its four-lane counterpart in Lanes4.h does,
// so results stay the same bit for bit.  Only code built for AVX2 may call
// them.  Inline; audio thread.

#include <immintrin.h>

#include <cstdint>

namespace lanes8 {

// lanes4::flushTiny, eight at a time.
[[gnu::target("avx2")]] inline __m256 flushTiny(__m256 x) {
    const __m256 magnitude = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), x);
    return _mm256_and_ps(_mm256_cmp_ps(magnitude, _mm256_set1_ps(1e-20f), _CMP_NLT_US), x);
}

// lanes4::shiftIn, eight at a time: to[i] = from[i - 1], to[0] = first,
// each eight of `from` loaded as a vectorised loop stored them.
[[gnu::target("avx2")]] inline void shiftIn(float first, const float* from, float* to, int32_t count) {
    const __m256i oneOn = _mm256_setr_epi32(7, 0, 1, 2, 3, 4, 5, 6);
    __m256 before = _mm256_set1_ps(first);
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256 now = _mm256_permutevar8x32_ps(_mm256_loadu_ps(from + i), oneOn);
        // now: [from7 from0 .. from6]; lane 0 takes the last of the eight before.
        _mm256_storeu_ps(to + i, _mm256_blend_ps(now, before, 0x01));
        before = now;
    }
    for (; i < count; ++i) to[i] = i == 0 ? first : from[i - 1];
}

}  // namespace lanes8
