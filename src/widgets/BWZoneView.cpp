#include "widgets/BWZoneView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/BWZone.h"
#include "core/BWZoneHandlerInterface.h"
#include "core/SharedFloat.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "platform/GuiThread.h"
#include "widgets/BWOptionMenuBase.h"
#include "widgets/ModelUndo.h"
#include "widgets/RunTimeColours.h"
#include "widgets/StripFrames.h"

namespace VSTGUI {

namespace {

constexpr int32_t kMoveCursor = 9;
constexpr int32_t kEdgeCursor = 2;
constexpr uint8_t kGhostAlpha = 128;

int32_t zoneLength(const BWZone& zone) { return zone.end - zone.start + 1; }

uint8_t blendByte(uint8_t from, uint8_t to, float t) {
    const float v = static_cast<float>(from) + (static_cast<float>(to) - static_cast<float>(from)) * t;
    return static_cast<uint8_t>(std::clamp(truncated(v), 0, 255));
}

}  // namespace

BWZoneView::BWZoneView(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner,
                       BWZoneHandlerInterface* handler)
    : BWControl(rect, listener, tag, owner),
      handler(handler),
      zoneColourFrom(runTimeColours::kZoneFrom),
      zoneColourTo(runTimeColours::kZoneTo),
      frameColour(runTimeColours::kZoneFrame) {}

BWZoneView::~BWZoneView() {
    if (zoneBitmap) zoneBitmap->forget();
}

void BWZoneView::setExtraPointer(void* pointer) { menu = static_cast<BWOptionMenuBase*>(pointer); }

void BWZoneView::setZoneBitmap(CBitmap* bitmap) {
    if (bitmap) bitmap->remember();
    if (zoneBitmap) zoneBitmap->forget();
    zoneBitmap = bitmap;
    setDirty(true);
}

void BWZoneView::valueChanged(CControl* control) {
    if (handler && control && control->getValue() == 1.0f) {
        switch (control->getTag()) {
            case kDeleteAllTag: handler->deleteAllZones(false); break;
            case kCopyTag: handler->copyAll(0, 0); break;
            case kPasteTag: handler->pasteAll(0, 0); break;
            default: break;
        }
    }
    setDirty(true);
    if (owner) owner->setDirty(true);
}

// --- keys and cells ------------------------------------------------------------------

// Far beyond the keys a zone may hold, so that key sums stay in 32 bits.
constexpr int32_t kKeyReach = 1 << 20;

int32_t BWZoneView::firstVisibleKey() const {
    return scroll ? std::clamp(truncated(loadShared(*scroll)), -kKeyReach, kKeyReach) : 0;
}

int32_t BWZoneView::visibleCount() const { return std::clamp(visibleKeys, 0, kKeyReach); }

float BWZoneView::cellWidth() const {
    const int32_t keys = visibleCount();
    return keys > 0 ? static_cast<float>(size.width()) / static_cast<float>(keys) : 0.0f;
}

CRect BWZoneView::keyCell(int32_t cell) const {
    const float w = cellWidth();
    const int32_t left = size.left + truncated(static_cast<float>(cell) * w);
    return CRect(left, size.top, left + truncated(w), size.bottom);
}

bool BWZoneView::keyAt(const CPoint& where, int32_t& key) const {
    const float w = cellWidth();
    if (!(w > 0.0f) || where.x < size.left) return false;
    const int32_t guess = truncated(static_cast<float>(where.x - size.left) / w);
    // Cells share their edges: the earlier cell takes a point on one.
    for (int32_t cell = std::max(0, guess - 1); cell <= guess + 1 && cell < visibleCount(); ++cell) {
        const CRect r = keyCell(cell);
        if (where.x >= r.left && where.x <= r.right) {
            key = cell + firstVisibleKey();
            return true;
        }
    }
    return false;
}

int32_t BWZoneView::lowKey() const { return std::max(lowestKey, BWZone::kFirstPosition); }

int32_t BWZoneView::highKey() const { return std::min(keyLimit - 1, BWZone::kLastPosition); }

bool BWZoneView::ownedByOther(int32_t key, BWZone* except) const {
    BWZone* zone = handler->zoneAt(key);
    return zone && zone != except;
}

// --- edits ---------------------------------------------------------------------------

void BWZoneView::report(float v) {
    setValue(v);
    reportValue();
}

BWZone* BWZoneView::createZoneAt(int32_t key) {
    if (key < lowKey() || key > highKey()) return nullptr;
    std::unique_ptr<BWZone> zone = handler->createZone(static_cast<int32_t>(newZoneKind));
    if (!zone) return nullptr;
    zone->setRange(key, key);
    // The handler owns the zone from here on, and drops it when it cannot
    // take it: only a zone it took may be dragged.
    BWZone* added = zone.get();
    return handler->insertZone(std::move(zone)) ? added : nullptr;
}

void BWZoneView::growToKey(BWZone* zone, int32_t key) {
    if (lowKey() > highKey()) return;  // limits that leave no key
    key = std::clamp(key, lowKey(), highKey());
    if (key < zone->start)
        zone->setStart(key);
    else if (key > zone->end)
        zone->setEnd(key);
}

void BWZoneView::startDrag(BWZone* zone, int32_t key, const CButtonState& buttons) {
    dragged = zone;
    currentKey = key;
    dragStartEdge = key < zone->start + zoneLength(*zone) / 2;
    moveMode = (buttons & kControl) || (zoneLength(*zone) >= 2 && key != zone->start && key != zone->end);
    grabOffset = key - zone->start;
    pushNeighbours = pushAlways || (buttons & kShift);
    if (owner) owner->setCursor(moveMode ? kMoveCursor : kEdgeCursor);
    report(1.0f);
    setDirty(true);
}

int32_t BWZoneView::pressOutsideCells(const CPoint& where, const CButtonState& buttons) {
    if (createOnClick) return kMouseEventHandled;
    BWZone* zone = handler->visibleZone(0);
    if (!zone) return kMouseEventHandled;
    int32_t key = 0;
    if (where.x < size.left)
        key = firstVisibleKey();
    else if (where.x > size.left)
        key = firstVisibleKey() - 1 + visibleCount();
    else
        return kMouseEventHandled;
    recordModelUndo(*this, handler->chunkable());
    growToKey(zone, key);
    startDrag(zone, key, buttons);
    return kMouseEventHandled;
}

int32_t BWZoneView::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!size.pointInside(where) || !isVisible() || !handler) return kMouseEventNotHandled;
    int32_t key = 0;
    if (!keyAt(where, key)) return pressOutsideCells(where, buttons);
    showHint();
    BWZone* zone = handler->zoneAt(key);
    if (menu && (buttons & (kRButton | kApple))) {
        invalid();
        CRect at = menu->getViewSize();
        at.moveTo(where.x, where.y);
        menu->setViewSizeWithMargins(at);
        menu->popup(2, &where, tag, CRect(), false);
        menu->setExtraInt1(key);
        menu->setExtraInt2(0);
        return kMouseHandledNoMoves;
    }
    recordModelUndo(*this, handler->chunkable());
    if (deleteEnabled && zone && ((buttons & kRButton) || ((buttons & kDoubleClick) && doubleClickDeletes))) {
        handler->deleteZone(zone);
        report(1.0f);
        setDirty(true);
        return kMouseEventHandled;
    }
    if (!zone) {
        if (!(buttons & kLButton)) return kMouseHandledNoMoves;
        if (createOnClick) {
            zone = createZoneAt(key);
            setDirty(true);
            if (!zone) return kMouseHandledNoMoves;
        } else {
            zone = handler->visibleZone(0);
            if (!zone) return kMouseHandledNoMoves;
            growToKey(zone, key);
        }
    }
    startDrag(zone, key, buttons);
    return kMouseEventHandled;
}

void BWZoneView::dragStartEdgeTo(BWZone* zone, int32_t k) {
    BWZone* neighbour = pushNeighbours && zone->start - 1 >= lowKey() ? handler->zoneAt(zone->start - 1) : nullptr;
    if (neighbour == zone || (neighbour && neighbour->start >= k)) neighbour = nullptr;
    for (int32_t key = k; key < zone->start; ++key)
        if (ownedByOther(key, zone) && handler->zoneAt(key) != neighbour) return;
    if (k == zone->start || k >= zone->end) return;
    // A pushed neighbour keeps to the edge, so it never overlaps the zone.
    if (neighbour && neighbour->end != k - 1) neighbour->setEnd(k - 1);
    zone->setStart(k);
}

void BWZoneView::dragEndEdgeTo(BWZone* zone, int32_t k) {
    BWZone* neighbour = pushNeighbours && zone->end + 1 <= highKey() ? handler->zoneAt(zone->end + 1) : nullptr;
    if (neighbour == zone || (neighbour && neighbour->end <= k)) neighbour = nullptr;
    for (int32_t key = zone->end + 1; key <= k; ++key)
        if (ownedByOther(key, zone) && handler->zoneAt(key) != neighbour) return;
    if (k == zone->end) return;
    if (neighbour && neighbour->start != k + 1) neighbour->setStart(k + 1);
    zone->setEnd(k);
}

void BWZoneView::moveTo(BWZone* zone, int32_t k) {
    currentKey = k;
    const int32_t length = zoneLength(*zone);
    const int32_t start = k - grabOffset;
    if (start == zone->start || start < lowKey() || start + length - 1 > highKey()) return;
    for (int32_t key = start; key < start + length; ++key)
        if (ownedByOther(key, zone)) return;
    zone->setRange(start, start + length - 1);
}

int32_t BWZoneView::onMouseMoved(CPoint& where, const CButtonState&, int32_t) {
    int32_t k = 0;
    if (!dragged || !handler || !keyAt(CPoint(where.x, size.top), k)) return kMouseEventHandled;
    // A zone that left the list under the drag (a reset, a preset) is not touched.
    if (handler->visibleIndexOf(dragged) < 0) {
        dragged = nullptr;
        return kMouseEventHandled;
    }
    if (moveMode) {
        moveTo(dragged, k);
    } else if (lowKey() <= highKey()) {
        k = std::clamp(k, lowKey(), highKey());
        if (!dragStartEdge && k < dragged->start) dragStartEdge = true;
        else if (dragStartEdge && k > dragged->end) dragStartEdge = false;
        if (dragStartEdge)
            dragStartEdgeTo(dragged, k);
        else
            dragEndEdgeTo(dragged, k);
    }
    setDirty(true);
    return kMouseEventHandled;
}

void BWZoneView::endEdit() {
    dragged = nullptr;
    report(0.0f);
    hideHint();
}

int32_t BWZoneView::onMouseUp(CPoint&, const CButtonState&, int32_t) {
    hintHideDeadline = frameTime() + (owner ? owner->hintHideDelay : 0);
    if (owner) owner->setCursor(0);
    endEdit();
    setDirty(true);
    return kMouseEventHandled;
}

void BWZoneView::onMouseCancel(int32_t) {
    endEdit();
    if (owner) owner->setCursor(0);
}

// --- idle ----------------------------------------------------------------------------

void BWZoneView::idle(int32_t argument) {
    ZORVANE_ASSERT_GUI_THREAD();
    BWControl::idle(argument);
    if (!handler) return;
    handler->processPendingDeletes();
    if (const uint64_t lane = handler->currentLane(); lane != lastLane) {
        lastLane = lane;
        setDirty(true);
    } else if (handler->changed) {
        handler->changed = 0;
        setDirty(true);
    }
}

void BWZoneView::invalid() {
    setDirty(false);
    invalidRect(CRect(size.left, size.top - 1, size.right, size.bottom + 1));
}

// --- drawing -------------------------------------------------------------------------

void BWZoneView::drawZoneFill(CDrawContext* context, BWZone* zone, size_t index, const CRect& rect) {
    const float middle = static_cast<float>(zone->start + zoneLength(*zone) / 2);
    const float t = middle / static_cast<float>(std::max(visibleCount(), 1));
    const CColor colour{blendByte(zoneColourFrom.red, zoneColourTo.red, t),
                        blendByte(zoneColourFrom.green, zoneColourTo.green, t),
                        blendByte(zoneColourFrom.blue, zoneColourTo.blue, t), zoneColourFrom.alpha};
    context->setFillColor(colour);
    context->drawRect(rect, kDrawFilled);
    char text[32];
    std::snprintf(text, sizeof(text), "%zu", index);
    context->drawString(text, rect, false, kCenterText);
    if (frameZones) {
        context->setFrameColor(frameColour);
        context->drawRect(rect, kDrawStroked);
    }
}

void BWZoneView::drawZonePieces(CDrawContext* context, BWZone* zone, size_t index, int32_t first, int32_t last,
                                uint8_t pieceAlpha) {
    const int32_t pieceWidth = zoneBitmap->getWidth() / 4;
    const int64_t row = (handler->isMarked(static_cast<uint32_t>(index)) ? 1 : 0) + int64_t{handler->marker()};
    const int64_t sourceTop = row * size.height();
    // A style row past the image draws nothing.
    if (pieceWidth <= 0 || sourceTop >= zoneBitmap->getHeight()) return;
    const int32_t origin = firstVisibleKey();
    for (int32_t key = first; key <= last; ++key) {
        const int32_t piece = first == last ? 0 : key == first ? 1 : key == last ? 3 : 2;
        const CRect cell = keyCell(key - origin);
        const CPoint source(piece * pieceWidth, static_cast<int32_t>(sourceTop));
        if (pieceAlpha == 0)
            zoneBitmap->draw(context, cell, source);
        else
            zoneBitmap->drawAlphaBlend(context, cell, source, pieceAlpha);
    }
    if (afterZone) {
        CRect rect = keyCell(first - origin);
        rect.unite(keyCell(last - origin));
        afterZone(context, zone, rect, first, last - first + 1);
    }
}

void BWZoneView::drawZones(CDrawContext* context) {
    if (!zoneBitmap) {
        context->setFont(font, fontSize);
        context->setFontColor(runTimeColours::kText);
        context->setFrameColor(runTimeColours::kText);
    }
    const float w = cellWidth();
    const int32_t origin = firstVisibleKey();
    // Empty while the handler changes its list.
    const BWZoneHandlerInterface::ZoneList& zones = handler->activeZoneList();
    for (size_t j = 0; j < zones.size(); ++j) {
        BWZone* zone = zones[j].get();
        if (zone->isHidden()) continue;
        if (customDraw) {
            customDraw(context, zone);
            continue;
        }
        const int64_t s = int64_t{zone->start} - origin, e = int64_t{zone->end} - origin;
        if (e < 0 || s >= visibleCount()) continue;
        if (zoneBitmap) {
            const auto first = static_cast<int32_t>(std::max<int64_t>(s, 0) + origin);
            const auto last = static_cast<int32_t>(std::min<int64_t>(e, visibleCount() - 1) + origin);
            drawZonePieces(context, zone, j, first, last, alpha);
            continue;
        }
        const int32_t x1 = size.left + std::max(0, truncated(static_cast<float>(s) * w));
        const int32_t x2 = e < visibleCount() ? size.left + truncated(static_cast<float>(e + 1) * w) : size.right;
        drawZoneFill(context, zone, j, CRect(x1, size.top, x2, size.bottom));
    }
}

void BWZoneView::drawGhost(CDrawContext* context) {
    if (!moveMode || !zoneBitmap || !dragged || handler->visibleIndexOf(dragged) < 0) return;
    const int32_t start = currentKey - grabOffset;
    if (start == dragged->start) return;
    const int32_t origin = firstVisibleKey();
    const int32_t first = std::max(start, origin);
    const int32_t last = std::min({start + zoneLength(*dragged) - 1, highKey(), origin + visibleCount() - 1});
    if (first > last) return;
    const auto index = static_cast<size_t>(std::max<int64_t>(handler->visibleIndexOf(dragged), 0));
    drawZonePieces(context, dragged, index, first, last, kGhostAlpha);
}

void BWZoneView::drawPreview(CDrawContext* context) {
    if (previewStart < 0 || previewEnd < 0) return;
    const int32_t origin = firstVisibleKey();
    CRect rect = keyCell(previewStart - origin);
    rect.unite(keyCell(previewEnd - origin));
    rect.bound(size);
    context->setFillColor(runTimeColours::kHighlight);
    context->drawRect(rect, kDrawFilled);
    context->setFont(font, fontSize);
    context->setFontColor(runTimeColours::kPanel);  // dark on the highlight
    context->drawString(handler->name(), rect, false, kCenterText);
}

void BWZoneView::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!context || !isVisible()) return;
    if (background) drawBitmap(context, background, size, CPoint());
    if (handler) {
        ScopedClip clip(*context, size);
        drawZones(context);
        drawGhost(context);
        drawPreview(context);
    }
    setDirty(false);
}

}  // namespace VSTGUI
