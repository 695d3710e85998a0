#pragma once
// Integer positions taken from floats of the core (bound values, levels,
// offsets): truncated toward zero as the drawing rules say, but never
// undefined and never outside the strip they choose a frame of.  A preset or
// host value out of range, or NaN, must not read past a bitmap.

#include <cmath>
#include <cstdint>

namespace VSTGUI {

// int() of a float, with NaN as 0 and values beyond the 32-bit range held at its ends.
inline int32_t truncated(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483520.0f) return INT32_MAX;
    if (value <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// The frame a float names, kept to 0 .. frameCount - 1.
inline int32_t stripFrame(float index, int32_t frameCount) {
    const int32_t frame = truncated(index);
    if (frameCount <= 0 || frame < 0) return 0;
    return frame >= frameCount ? frameCount - 1 : frame;
}

// Whether a followed float has moved (NaN staying NaN has not).
inline bool floatChanged(float now, float before) {
    return now != before && !(std::isnan(now) && std::isnan(before));
}

}  // namespace VSTGUI
