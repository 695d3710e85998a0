#pragma once
// The engine's soft clip, y = x (1 − |x| / 4): 1.0 becomes 0.75.  The curve
// peaks at |x| = 2 with |y| = 1 and turns back beyond, where a louder input
// would come out inverted and louder still; inputs beyond ±2 are held at ±2,
// so the clip saturates at ±1 instead.  Audio thread.

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Float4.h"

inline float softClip(float x) {
    x = std::clamp(x, -2.0f, 2.0f);
    return x * (1.0f - 0.25f * std::fabs(x));
}

// softClip on four samples at once, lane by lane the same arithmetic: the
// clamp's two comparisons in its order, then x (1 - |x| / 4).  The clamp is
// the processor's maximum and minimum, which keep their second operand
// unless the first compares greater (smaller): max(-2, x) is x < -2 ? -2 : x
// and min(2, x) is 2 < x ? 2 : x, NaN and signed zeros included, in two
// instructions where the selects take eight.
inline Float4 softClip4(Float4 x) {
    const __m128 low = _mm_set1_ps(-2.0f);
    const __m128 high = _mm_set1_ps(2.0f);
    x = (Float4)_mm_min_ps(high, _mm_max_ps(low, (__m128)x));
    Int4 bits;
    std::memcpy(&bits, &x, sizeof bits);
    bits &= 0x7fffffff;
    Float4 magnitude;
    std::memcpy(&magnitude, &bits, sizeof magnitude);
    return x * (1.0f - 0.25f * magnitude);
}
