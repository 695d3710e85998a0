#pragma once
// What was made invalid in a window since its last paint, as separate
// rectangles (window pixels), so that a meter in one corner and a light in
// the other repaint and present two small areas, not the box around both.
// Rectangles that overlap or touch become one; past the capacity the region
// gives up and the whole box is taken, as it is when the box holds more than
// the region knows of.  No allocation; GUI thread only.

#include <array>
#include <cstddef>

#include "platform/WindowSystem.h"

namespace platform {

class PaintRegion {
public:
    static constexpr size_t kCapacity = 16;
    using Pieces = std::array<WindowRect, kCapacity>;

    void add(const WindowRect& rect);
    void clear();
    // The parts of the region inside `box` into `pieces`, their number the
    // result; 0 when they do not reach every edge of `box` (it was made
    // invalid by more than this region) or the region overflowed.
    size_t piecesOf(const WindowRect& box, Pieces& pieces) const;

private:
    Pieces rects{};
    size_t count = 0;
    bool overflowed = false;
};

}  // namespace platform
