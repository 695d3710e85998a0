#pragma once
// The engine's soft clip, y = x (1 − |x| / 4): 1.0 becomes 0.75.  The curve
// peaks at |x| = 2 with |y| = 1 and turns back beyond, where a louder input
// would come out inverted and louder still; inputs beyond ±2 are held at ±2,
// so the clip saturates at ±1 instead.  Audio thread.

#include <algorithm>
#include <cmath>

inline float softClip(float x) {
    x = std::clamp(x, -2.0f, 2.0f);
    return x * (1.0f - 0.25f * std::fabs(x));
}
