#pragma once
// The engine's soft clip, y = x (1 − |x| / 4): 1.0 becomes 0.75.  The curve
// peaks at |x| = 2 with |y| = 1 and turns back beyond, where a louder input
// would come out inverted and louder still; inputs beyond ±2 are held at ±2,
// so the clip saturates at ±1 instead.  Audio thread.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Float4.h"

inline float softClip(float x) {
    x = std::clamp(x, -2.0f, 2.0f);
    return x * (1.0f - 0.25f * std::fabs(x));
}

// softClip on four samples at once, lane by lane the same arithmetic: the
// clamp's two comparisons in its order, then x (1 - |x| / 4).
inline Float4 softClip4(Float4 x) {
    const Float4 low = {-2.0f, -2.0f, -2.0f, -2.0f};
    const Float4 high = {2.0f, 2.0f, 2.0f, 2.0f};
    x = x < low ? low : (high < x ? high : x);
    Int4 bits;
    std::memcpy(&bits, &x, sizeof bits);
    bits &= 0x7fffffff;
    Float4 magnitude;
    std::memcpy(&magnitude, &bits, sizeof magnitude);
    return x * (1.0f - 0.25f * magnitude);
}
