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

// BWEffect::glide for four values at once, lane by lane as it rounds.
// Answers a bit for each lane left still: landed on its target, or with a
// step too small to move it (a glide in float can end a fraction short of
// its target, where every later tick computes the same step again).
inline int glide(Floats target, float* current, float* step, float factor, float snap) {
    const Floats c = load(current);
    const Floats s = mul(sub(target, c), splat(factor));
    const Floats snapped = _mm_and_ps(_mm_cmpgt_ps(s, splat(-snap)), _mm_cmplt_ps(s, splat(snap)));
    store(step, _mm_andnot_ps(snapped, s));
    store(current, _mm_or_ps(_mm_and_ps(snapped, target), _mm_andnot_ps(snapped, c)));
    return _mm_movemask_ps(_mm_or_ps(snapped, _mm_cmpeq_ps(add(c, s), c)));
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

// to[i] = from[i - 1], to[0] = first, for `count` values: a run shifted one
// place on.  The values go through registers four at a time, each four of
// `from` loaded just as a vectorised loop stored them: a load straddling two
// earlier stores cannot take its value from them and waits until both reach
// the cache, a stall of over a dozen cycles for each four.
inline void shiftIn(float first, const float* from, float* to, int32_t count) {
    Floats before = splat(first);
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const Floats now = load(from + i);
        // [before3 before3 now0 now0], then [before3 now0 now1 now2].
        const Floats joint = _mm_shuffle_ps(before, now, _MM_SHUFFLE(0, 0, 3, 3));
        store(to + i, _mm_shuffle_ps(joint, now, _MM_SHUFFLE(2, 1, 2, 0)));
        before = now;
    }
    for (; i < count; ++i) to[i] = i == 0 ? first : from[i - 1];
}

}  // namespace lanes4
