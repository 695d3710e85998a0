#include "guitoolkit/PaintRegion.h"

namespace VSTGUI {

void PaintRegion::add(const CRect& rect) {
    if (rect.isEmpty() || overflowed) return;
    CRect merged = rect;
    // A merge can make the rectangle reach others it missed before: look
    // again from the start until none overlaps.
    for (size_t i = 0; i < count;) {
        if (rects[i].rectOverlap(merged)) {
            merged.unite(rects[i]);
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

size_t PaintRegion::piecesOf(const CRect& paintRect, Pieces& pieces) const {
    if (overflowed || paintRect.isEmpty()) return 0;
    size_t made = 0;
    CRect bounds;
    for (size_t i = 0; i < count; ++i) {
        CRect piece = rects[i];
        piece.bound(paintRect);
        if (piece.isEmpty()) continue;
        bounds = made == 0 ? piece : bounds.unite(piece);
        pieces[made++] = piece;
    }
    return made > 0 && bounds == paintRect ? made : 0;
}

}  // namespace VSTGUI
