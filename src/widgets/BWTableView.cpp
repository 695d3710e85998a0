#include "widgets/BWTableView.h"

#include <algorithm>
#include <cmath>

#include "core/BWTable.h"
#include "core/SharedFloat.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/CBitmap.h"
#include "platform/Framework.h"
#include "platform/GuiThread.h"
#include "widgets/BWOptionMenuBase.h"
#include "widgets/ModelUndo.h"
#include "widgets/StripFrames.h"
#include "widgets/TableViewUse.h"

namespace VSTGUI {

namespace {

constexpr int32_t kResizeCursor = 2;
constexpr CButtonState kHeldButtons = kLButton | kMButton | kRButton;
constexpr float kDragRate = 0.002f;
constexpr float kTableWheelStep = -0.05f;
constexpr float kWheelFactor = -0.35f;
constexpr float kFineWheelFactor = -0.0875f;

// A pixel position from a float: zoom and scroll values from outside never
// push it past what 32-bit sums can hold (NaN as 0).
int32_t pixelOf(float v) { return truncated(std::clamp(v, -16777216.0f, 16777216.0f)); }

// A mapping that met a zoom or scroll that is not a number answers 0.
float orZero(float v) { return std::isnan(v) ? 0.0f : v; }

void replaceBitmap(CBitmap*& slot, CBitmap* bitmap) {
    if (bitmap) bitmap->remember();
    if (slot) slot->forget();
    slot = bitmap;
}

}  // namespace

BWTableView::BWTableView(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner,
                         uint8_t layoutFlag)
    : BWControl(rect, listener, tag, owner), trackedLayoutBit(layoutFlag != 0) {
    CRect own = size;
    setViewSizeWithMargins(own);
}

BWTableView::~BWTableView() {
    for (BWControl*& companion : companions)
        if (companion) companion->forget();
    replaceBitmap(barBitmap, nullptr);
    replaceBitmap(stepBitmap, nullptr);
    replaceBitmap(currentStepBitmap, nullptr);
}

void BWTableView::setExtraPointer(void* pointer) { menu = static_cast<BWOptionMenuBase*>(pointer); }

void BWTableView::setBarBitmap(CBitmap* bitmap) {
    replaceBitmap(barBitmap, bitmap);
    setDirty(true);
}

void BWTableView::setStepBitmap(CBitmap* bitmap, uint64_t frames) {
    replaceBitmap(stepBitmap, bitmap);
    stepFrames = frames;
    setDirty(true);
}

void BWTableView::setCurrentStepBitmap(CBitmap* bitmap) {
    replaceBitmap(currentStepBitmap, bitmap);
    setDirty(true);
}

void BWTableView::setCompanion(int32_t slot, BWControl* control) {
    if (slot < 0 || slot >= kCompanions) return;
    if (companions[slot]) companions[slot]->forget();
    companions[slot] = control;
    if (control) control->setListener(this);
}

void BWTableView::setTable(BWTable* newTable) {
    table = newTable;
    layOut();
    if (table && has(kCacheValues)) cachedValues.assign(table->getCount(), 0.0f);
    if (table) lastPage = table->getCurrentPage();
    needsRecompute = true;
    setDirty(true);
}

// --- the table and its geometry ------------------------------------------------------

uint32_t BWTableView::flags() const { return table ? table->getFlags() : 0; }

uint64_t BWTableView::stepCount() const { return table ? table->getCount() : 0; }

float BWTableView::rangeEnd() const { return playRange.end < 0.0f ? static_cast<float>(stepCount()) : playRange.end; }

float BWTableView::gridLength() const {
    const float length = playRange.gridLength;
    return length > 0.0f && std::isfinite(length) ? length : static_cast<float>(stepCount()) / 4.0f;
}

BWTableView::Span BWTableView::visibleSpan() const {
    const uint64_t count = stepCount();
    if (continuousX()) return {0, count};
    const float zoomed = (1.0f - unitInterval(horizontalZoom)) * static_cast<float>(count);
    const uint64_t visible = std::clamp<uint64_t>(static_cast<uint64_t>(std::max(0, truncated(zoomed))), 1, count);
    const float scrolled = static_cast<float>(count - visible) * unitInterval(horizontalScroll);
    return {std::min<uint64_t>(static_cast<uint64_t>(std::max(0, truncated(scrolled))), count - visible), visible};
}

float BWTableView::positionAt(int32_t x) const {
    const uint64_t count = stepCount();
    if (count == 0 || x < stepArea.left) return 0.0f;
    if (x > stepArea.right) return static_cast<float>(count - 1);
    const float width = static_cast<float>(stepArea.width());
    if (!(width > 0.0f)) return 0.0f;
    const float dx = static_cast<float>(x - stepArea.left);
    if (continuousX()) return static_cast<float>(count) * dx / width;
    const Span span = visibleSpan();
    return orZero(dx * static_cast<float>(span.visible) / width + static_cast<float>(span.first));
}

float BWTableView::normalizedAt(int32_t y) const {
    if (y > stepArea.bottom) return 0.0f;
    if (y < stepArea.top) return 1.0f;
    const float h = static_cast<float>(stepArea.height());
    if (!(h > 0.0f)) return 0.0f;
    const float spanned = (1.0f + 5.0f * unitInterval(verticalZoom)) * h;
    return orZero((static_cast<float>(stepArea.bottom - y) + (spanned - h) * (1.0f - unitInterval(verticalScroll))) /
                  spanned);
}

uint64_t BWTableView::stepAt(int32_t x) const {
    const uint64_t count = stepCount();
    if (count == 0) return 0;
    // The right edge belongs to the last step.
    return std::min<uint64_t>(static_cast<uint64_t>(std::max(0, truncated(positionAt(x)))), count - 1);
}

int32_t BWTableView::xOfPosition(float position) const {
    const uint64_t count = stepCount();
    if (count == 0) return stepArea.left;
    const float width = static_cast<float>(stepArea.width());
    if (continuousX()) return pixelOf(static_cast<float>(stepArea.left) + position * width / static_cast<float>(count));
    const Span span = visibleSpan();
    return pixelOf(static_cast<float>(stepArea.left) +
                   (position - static_cast<float>(span.first)) * width / static_cast<float>(span.visible));
}

int32_t BWTableView::yOfNormalized(float normalized) const {
    const float h = static_cast<float>(stepArea.height());
    const float spanned = (1.0f + 5.0f * unitInterval(verticalZoom)) * h;
    return pixelOf(static_cast<float>(stepArea.bottom) -
                   (normalized * spanned - (spanned - h) * (1.0f - unitInterval(verticalScroll))));
}

void BWTableView::setViewSizeWithMargins(CRect& rect) {
    BWControl::setViewSizeWithMargins(rect);
    layOut();
}

void BWTableView::layOut() {
    stepArea = size;
    labelStrip = CRect();
    rangeBar = CRect();
    if (table && has(kLabelStrip)) {
        labelStrip = CRect(size.left, size.top, size.right, std::min(size.top + 8, size.bottom));
        stepArea.top = labelStrip.bottom;
    }
    if (table && has(kRangeBar)) {
        const int32_t h = static_cast<int32_t>(std::min<uint32_t>(playRange.barHeight, static_cast<uint32_t>(stepArea.height())));
        stepArea.bottom -= h;
        rangeBar = CRect(std::min(stepArea.left, stepArea.right), size.bottom - h, std::max(stepArea.left, stepArea.right),
                         size.bottom);
    }
    curveBuffer.setSize(stepArea);
    needsRecompute = true;
}

// --- edits ---------------------------------------------------------------------------

void BWTableView::setPoint(uint64_t step, float normalized) {
    TableViewUse use(table);
    table->setNormalized(step, normalized);
}

void BWTableView::noteTouch(float v) {
    if (touchFlag) storeShared(*touchFlag, v);
}

void BWTableView::recomputeIfBuffered() {
    if (has(kPixelBuffer)) computeCurveBuffer();
}

void BWTableView::openMenu(const CPoint& where) {
    const uint64_t step = stepAt(where.x);
    menu->setVisible(true);
    menu->setExtraInt1(tag);
    menu->setExtraInt2(static_cast<int32_t>(std::min<uint64_t>(step, INT32_MAX)));
    const float position = static_cast<float>(step);
    const CRect cell(xOfPosition(position), size.top, xOfPosition(position + 1.0f), size.bottom);
    CPoint at = where;
    menu->popup(2, &at, tag, cell, false);
}

int32_t BWTableView::pressOnRangeBar(const CPoint& where) {
    rangeDrag = true;
    const float p = positionAt(where.x), start = rangeStart(), end = rangeEnd();
    dragging = true;
    if (p < start || p > end) {
        // Outside the range the nearer edge follows the pointer.
        (p < start ? startEdgeDrag : endEdgeDrag) = true;
        if (owner) owner->setCursor(kResizeCursor);
        return kMouseEventHandled;
    }
    const float f = end > start ? (p - start) / (end - start) : 0.5f;
    if (f < 0.2f) {
        startEdgeDrag = true;
    } else if (f <= 0.8f) {
        rangeMove = true;
        anchor = truncated(p);
    } else {
        endEdgeDrag = true;
    }
    return kMouseEventHandled;
}

void BWTableView::pressToPaint(const CPoint& where, const CButtonState& buttons) {
    pressStep = stepAt(where.x);
    pressValue = normalizedAt(where.y);
    if (buttons & kAlt) {
        offset = 0.0f;
        TableViewUse use(table);
        scratch.resize(stepCount());
        for (uint64_t i = 0; i < scratch.size(); ++i) scratch[i] = table->getNormalized(i);
        shiftAll = true;
    } else {
        setPoint(pressStep, pressValue);
    }
    showHint();
    dragging = true;
    fineDrag = (buttons & kShift) != 0;
    lineDrag = (buttons & kControl) != 0;
    if (fineDrag) {
        TableViewUse use(table);
        offset = table->getNormalizedAt(positionAt(where.x));
    }
    noteTouch(1.0f);
    recomputeIfBuffered();
    setDirty(true);
}

int32_t BWTableView::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!size.pointInside(where) || !isVisible() || !table || !has(kEditable) || has(kLocked))
        return kMouseEventNotHandled;
    lastMouse = where;
    if ((buttons & (kRButton | kApple)) && menu) {
        openMenu(where);
        return kMouseHandledNoMoves;
    }
    recordModelUndo(*this, table);
    accumulated = where;
    paintedMin = paintedMax = where.x;
    rangeDrag = false;
    if (has(kRangeBar) && rangeBar.pointInside(where)) return pressOnRangeBar(where);
    if (has(kToggle)) {
        const uint64_t step = stepAt(where.x);
        {
            TableViewUse use(table);
            table->setNormalized(step, table->getNormalized(step) == 0.0f ? 1.0f : 0.0f);
        }
        setDirty(true);
        recomputeIfBuffered();
        return kMouseHandledNoMoves;
    }
    for (BWControl* companion : companions)
        if (companion && companion->hitTest(where, buttons)) {
            const int32_t result = companion->onMouseDown(where, buttons, index);
            if (result == kMouseEventHandled) pressedCompanion = companion;
            return result;
        }
    pressToPaint(where, buttons);
    return kMouseEventHandled;
}

void BWTableView::clearRangeDrag() {
    startEdgeDrag = rangeMove = endEdgeDrag = false;
    anchor = 0;
}

void BWTableView::storeRange(float start, float end) {
    const auto count = static_cast<float>(stepCount());
    const float minimum = std::min(static_cast<float>(playRange.minimumLength), count);
    if (end - start < minimum) {
        if (start + minimum > count) {
            end = count;
            start = std::max(count - minimum, 0.0f);
        } else if (endEdgeDrag && end >= minimum) {
            // The edge under the pointer stays; the other gives way.
            start = end - minimum;
        } else {
            end = start + minimum;
        }
    }
    playRange.start = start;
    playRange.end = end;
}

void BWTableView::dragRange(const CPoint& where) {
    const auto count = static_cast<float>(stepCount());
    const float p = static_cast<float>(truncated(positionAt(where.x)));
    auto inside = [count](float v) { return v >= 0.0f && v <= count; };
    float start = rangeStart(), end = rangeEnd();
    if (startEdgeDrag && inside(p)) start = p;
    if (endEdgeDrag && inside(p)) end = p;
    if (rangeMove) {
        const int32_t d = truncated(p) - anchor;
        anchor += d;
        if (inside(start + static_cast<float>(d))) start += static_cast<float>(d);
        if (inside(end + static_cast<float>(d))) end += static_cast<float>(d);
    }
    storeRange(start, end);
    setValue(0.0f);
    reportValue();
}

void BWTableView::paintTo(const CPoint& previous, const CPoint& where) {
    if (lineDrag) {
        const uint64_t s = stepAt(accumulated.x);
        const float v = normalizedAt(accumulated.y);
        if (s == pressStep) {
            pressValue = v;
            table->setNormalized(pressStep, v);
            return;
        }
        // The line always starts at the press point, however the pointer wandered.
        const double run = static_cast<double>(s) - static_cast<double>(pressStep);
        const uint64_t from = std::min(s, pressStep), to = std::max(s, pressStep);
        for (uint64_t i = from; i <= to; ++i) {
            if (i == pressStep) continue;
            const double t = (static_cast<double>(i) - static_cast<double>(pressStep)) / run;
            table->setNormalized(i, static_cast<float>(pressValue + (v - pressValue) * t));
        }
        return;
    }
    const float v = normalizedAt(where.y);
    const uint64_t a = stepAt(previous.x), b = stepAt(where.x);
    for (uint64_t i = std::min(a, b); i <= std::max(a, b); ++i) table->setNormalizedAt(static_cast<float>(i), v);
}

int32_t BWTableView::onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) {
    if (pressedCompanion) return pressedCompanion->onMouseMoved(where, buttons, index);
    if (!dragging || !table) return kMouseEventHandled;
    const CPoint previous = lastMouse;
    const int32_t dx = where.x - lastMouse.x, dy = where.y - lastMouse.y;
    lastMouse = where;
    accumulated.offset(dx, dy);
    const bool held = (buttons & kHeldButtons) != 0;
    if (shiftAll) {
        offset -= kDragRate * static_cast<float>(dy);
        TableViewUse use(table);
        const uint64_t n = std::min<uint64_t>(scratch.size(), stepCount());
        for (uint64_t i = 0; i < n; ++i) table->setNormalized(i, std::clamp(scratch[i] + offset, 0.0f, 1.0f));
    } else if (fineDrag) {
        offset -= kDragRate * static_cast<float>(dy);
        setPoint(pressStep, offset);
    } else if (rangeDrag) {
        if (!held) {
            clearRangeDrag();
            return kMouseEventHandled;
        }
        dragRange(where);
    } else {
        paintedMin = std::min(paintedMin, where.x);
        paintedMax = std::max(paintedMax, where.x);
        TableViewUse use(table);
        if (has(kLocked)) return kMouseEventHandled;
        if (!held) {
            clearRangeDrag();
            dragging = false;
        }
        paintTo(previous, where);
    }
    setDirty(true);
    recomputeIfBuffered();
    return kMouseEventHandled;
}

int32_t BWTableView::onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) {
    if (BWControl* companion = pressedCompanion) {
        pressedCompanion = nullptr;
        return companion->onMouseUp(where, buttons, index);
    }
    dragging = false;
    shiftAll = false;
    hintHideDeadline = frameTime() + (owner ? owner->hintHideDelay : 0);
    const bool held = (buttons & kHeldButtons) != 0;
    if (rangeDrag && !held) {
        clearRangeDrag();
        rangeDrag = false;
        if (owner) owner->setCursor(0);
        return kMouseEventHandled;
    }
    if (!held) clearRangeDrag();
    noteTouch(0.0f);
    setDirty(true);
    recomputeIfBuffered();
    return kMouseEventHandled;
}

void BWTableView::onMouseCancel(int32_t index) {
    if (BWControl* companion = pressedCompanion) {
        pressedCompanion = nullptr;
        companion->onMouseCancel(index);
    }
    dragging = false;
    shiftAll = false;
}

int32_t BWTableView::onMouseEntered(CPoint&, const CButtonState&) {
    armHintShow();
    return 1;
}

int32_t BWTableView::onMouseExited(CPoint&, const CButtonState&) {
    if (!dragging) armHintHide();
    hintShowDeadline = -1;
    return 1;
}

bool BWTableView::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    if (!size.pointInside(where) || !isVisible() || !table || !has(kEditable)) return false;
    const uint64_t step = stepAt(where.x);
    {
        TableViewUse use(table);
        if (has(kInteger)) {
            // One whole unit per event, whatever the distance.
            const float low = std::min(table->min, table->max), high = std::max(table->min, table->max);
            const float moved = std::trunc(table->getValue(step) + (distance > 0.0f ? 1.0f : -1.0f));
            table->setValue(step, std::clamp(moved, low, high));
        } else {
            const float factor = (buttons & kShift) ? kFineWheelFactor : kWheelFactor;
            const float moved = table->getNormalized(step) + distance * kTableWheelStep * factor;
            table->setNormalized(step, std::clamp(moved, 0.0f, 1.0f));
        }
    }
    setDirty(true);
    recomputeIfBuffered();
    return true;
}

// --- companions and idle -------------------------------------------------------------

void BWTableView::valueChanged(CControl* control) {
    if (table && control && control->getValue() == 1.0f) {
        switch (control->getTag()) {
            case kCopyTag: table->copyTable(); break;
            case kPasteTag: table->pasteTable(); break;
            case kRandomTag: table->randomize(); break;
            case kResetTag: table->reset(); break;
            default: AlertPrintf("unknown value innBWTableView valuechanged : val:"); break;
        }
        recomputeIfBuffered();
    }
    setDirty(true);
}

void BWTableView::followTable() {
    if (has(kLayoutBit) == trackedLayoutBit) {
        trackedLayoutBit = !trackedLayoutBit;
        layOut();
        setDirty(true);
    }
    if (has(kWatchPlay)) {
        const float position = table->readPosition.load(std::memory_order_relaxed);
        if (floatChanged(position, lastPosition)) {
            lastPosition = position;
            recomputeIfBuffered();
            setDirty(true);
        }
    }
    const float watched = watchedValue ? loadShared(*watchedValue) : 0.0f;
    if (floatChanged(watched, watchedLast)) {
        watchedLast = watched;
        recomputeIfBuffered();
        setDirty(true);
    }
    if (const uint64_t page = table->getCurrentPage(); page != lastPage) {
        lastPage = page;
        setDirty(true);
    }
}

void BWTableView::idle(int32_t argument) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (isVisible() && table) {
        followTable();
        for (BWControl* companion : companions)
            if (companion) companion->idle(argument);
    }
    BWControl::idle(argument);
    if (!isVisible() || !table || !has(kCacheValues)) return;
    // Normalised reads leave the table's play position alone.
    TableViewUse use(table);
    if (cachedValues.size() != table->getCount()) cachedValues.assign(table->getCount(), -1.0f);
    bool changed = false;
    for (uint64_t i = 0; i < cachedValues.size(); ++i) {
        const float v = table->getNormalized(i);
        if (v != cachedValues[i]) {
            cachedValues[i] = v;
            changed = true;
        }
    }
    if (changed) setDirty(true);
}

}  // namespace VSTGUI
