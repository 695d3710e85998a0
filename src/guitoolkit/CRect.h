#pragma once
// A rectangle of the view toolkit: left, top, right, bottom as 32-bit
// integers.  Fills cover [left, right) x [top, bottom), but every hit test of
// the toolkit counts all four edges as inside (pointInside), which views and
// stored layouts rely on.

#include <algorithm>
#include <cstdint>

#include "guitoolkit/CPoint.h"

namespace VSTGUI {

struct CRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
        : left(left), top(top), right(right), bottom(bottom) {}
    constexpr CRect(CPoint topLeft, CPoint size)
        : left(topLeft.x), top(topLeft.y), right(topLeft.x + size.x), bottom(topLeft.y + size.y) {}

    constexpr int32_t width() const { return right - left; }
    constexpr int32_t height() const { return bottom - top; }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }

    constexpr CPoint getTopLeft() const { return {left, top}; }
    constexpr CPoint getBottomRight() const { return {right, bottom}; }

    constexpr CRect& offset(int32_t dx, int32_t dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    constexpr CRect& moveTo(int32_t x, int32_t y) { return offset(x - left, y - top); }

    // Edges count as inside.
    constexpr bool pointInside(const CPoint& p) const {
        return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
    }
    // Touching edges count as overlapping.
    constexpr bool rectOverlap(const CRect& r) const {
        return r.right >= left && r.left <= right && r.bottom >= top && r.top <= bottom;
    }

    // Intersection that never leaves a negative size: an empty result sits at
    // the larger left and top.
    constexpr CRect& bound(const CRect& other) {
        left = std::max(left, other.left);
        top = std::max(top, other.top);
        right = std::max(left, std::min(right, other.right));
        bottom = std::max(top, std::min(bottom, other.bottom));
        return *this;
    }
    constexpr CRect& unite(const CRect& other) {
        left = std::min(left, other.left);
        top = std::min(top, other.top);
        right = std::max(right, other.right);
        bottom = std::max(bottom, other.bottom);
        return *this;
    }

    constexpr bool operator==(const CRect&) const = default;
};

}  // namespace VSTGUI
