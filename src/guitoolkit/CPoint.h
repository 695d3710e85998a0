#pragma once
// A point of the view toolkit: 32-bit pixel coordinates, y growing downwards.

#include <cstdint>

namespace VSTGUI {

struct CPoint {
    int32_t x = 0;
    int32_t y = 0;

    constexpr CPoint() = default;
    constexpr CPoint(int32_t x, int32_t y) : x(x), y(y) {}

    constexpr CPoint& offset(int32_t dx, int32_t dy) {
        x += dx;
        y += dy;
        return *this;
    }
    constexpr bool operator==(const CPoint&) const = default;
};

}  // namespace VSTGUI
