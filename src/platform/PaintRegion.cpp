#include "platform/PaintRegion.h"

#include <algorithm>

namespace platform {

namespace {

// Touching edges count as meeting: the two paint as one.
bool meet(const WindowRect& a, const WindowRect& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

WindowRect united(const WindowRect& a, const WindowRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

WindowRect intersected(const WindowRect& a, const WindowRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

}  // namespace

void PaintRegion::add(const WindowRect& rect) {
    if (rect.isEmpty() || overflowed) return;
    WindowRect merged = rect;
    // A merge can make the rectangle reach others it missed before: look
    // again from the start until none meets it.
    for (size_t i = 0; i < count;) {
        if (meet(rects[i], merged)) {
            merged = united(merged, rects[i]);
            rects[i] = rects[--count];
            i = 0;
        } else {
            ++i;
        }
    }
    if (count == kCapacity) {
        overflowed = true;
        return;
    }
    rects[count++] = merged;
}

void PaintRegion::clear() {
    count = 0;
    overflowed = false;
}

size_t PaintRegion::piecesOf(const WindowRect& box, Pieces& pieces) const {
    if (overflowed || box.isEmpty()) return 0;
    size_t made = 0;
    WindowRect bounds;
    for (size_t i = 0; i < count; ++i) {
        const WindowRect piece = intersected(rects[i], box);
        if (piece.isEmpty()) continue;
        bounds = made == 0 ? piece : united(bounds, piece);
        pieces[made++] = piece;
    }
    return made > 0 && bounds == box ? made : 0;
}

}  // namespace platform
