#pragma once
// Four float lanes (SSE, which every x86-64 machine has) for the effects that
// run four lines side by side: the reverb's sections and the chorus voices.
// Each helper does lane by lane exactly what its scalar counterpart in the
// effects does, so results stay the same bit for bit.  Inline; audio thread.

#include <immintrin.h>

#include <cstdint>

namespace lanes4 {

using Floats = __m128;

inline Floats load(const float* from) { return _mm_loadu_ps(from); }
inline void store(float* to, Floats x) { _mm_storeu_ps(to, x); }
inline Floats splat(float x) { return _mm_set1_ps(x); }
inline Floats add(Floats a, Floats b) { return _mm_add_ps(a, b); }
inline Floats sub(Floats a, Floats b) { return _mm_sub_ps(a, b); }
inline Floats mul(Floats a, Floats b) { return _mm_mul_ps(a, b); }
inline float lane0(Floats x) { return _mm_cvtss_f32(x); }

// Values below 1e-20 in magnitude become 0, with a mask instead of a branch;
// NaN stays NaN, as in BWEffect::flushTiny.
inline Floats flushTiny(Floats x) {
    const Floats magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), x);
    return _mm_and_ps(_mm_cmpnlt_ps(magnitude, _mm_set1_ps(1e-20f)), x);
}

// Lanes rotated so that lane k takes lane (k + 1) % 4 of x, or (k + 3) % 4.
inline Floats rotateDown(Floats x) { return _mm_shuffle_ps(x, x, _MM_SHUFFLE(0, 3, 2, 1)); }
inline Floats rotateUp(Floats x) { return _mm_shuffle_ps(x, x, _MM_SHUFFLE(2, 1, 0, 3)); }

// The whole samples behind the write that four lengths reach in rings of
// `size`: each length held within 0..size-1 (NaN as 0), then truncated.
inline __m128i wholeSamplesBehind(Floats length, uint32_t size) {
    const Floats held = _mm_min_ps(_mm_max_ps(length, _mm_setzero_ps()),
                                   _mm_set1_ps(static_cast<float>(size - 1)));
    return _mm_cvttps_epi32(held);
}

}  // namespace lanes4
