#pragma once
// What the frame made invalid since its last paint, as separate rectangles
// (window pixels), so that a meter in one corner and a light in the other
// repaint two small areas, not the box around both that the window layer
// reports.  Rectangles that overlap or touch become one; past the capacity
// the region gives up and the paint covers the window layer's rectangle, as
// it does when the window layer's rectangle holds more than the frame asked
// for (an expose, a resize).  No allocation; GUI thread only.

#include <array>
#include <cstddef>

#include "guitoolkit/CRect.h"

namespace VSTGUI {

class PaintRegion {
public:
    static constexpr size_t kCapacity = 16;
    using Pieces = std::array<CRect, kCapacity>;

    void add(const CRect& rect);
    void clear();
    // The parts of the region inside `paintRect` into `pieces`, their number
    // the result; 0 when they do not reach every edge of `paintRect` (it was
    // made invalid by more than this region) or the region overflowed.
    size_t piecesOf(const CRect& paintRect, Pieces& pieces) const;

private:
    Pieces rects{};
    size_t count = 0;
    bool overflowed = false;
};

}  // namespace VSTGUI
