#include "widgets/BWKnob.h"

#include <algorithm>
#include <cstdio>

#include "core/SharedFloat.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "platform/GuiThread.h"
#include "widgets/BWOptionMenuBase.h"
#include "widgets/StripFrames.h"

namespace VSTGUI {

namespace {
constexpr float kDragStep = -0.01f;
constexpr float kFineDragStep = -0.0005f;  // with Shift: 20 times finer
constexpr float kWheelStep = -0.05f;
constexpr float kWheelFactor = -0.35f;
constexpr float kFineWheelFactor = -0.11f;
constexpr int32_t kBarCap = 5;
}  // namespace

BWKnob::BWKnob(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner, CBitmap* filmstrip,
               int32_t frameHeight, int32_t frameCount, float dragScale)
    : BWControl(rect, listener, tag, owner),
      bitmap(filmstrip),
      frameHeight(frameHeight),
      frameCount(frameCount),
      dragScale(dragScale) {
    controlType = kKnob;
}

BWKnob::~BWKnob() = default;

void BWKnob::setExtraPointer(void* menu) { learnMenu = static_cast<BWOptionMenuBase*>(menu); }

float BWKnob::position() const {
    if (!boundValue) return value;
    return (loadShared(*boundValue) - boundMin) / (boundMax - boundMin);
}

int32_t BWKnob::frameIndex(float v) const {
    if (fullFrameScale) return stripFrame(static_cast<float>(frameCount) * v, frameCount);
    return stripFrame(static_cast<float>(frameCount - 1) * v, frameCount);
}

float BWKnob::clamped(float v) const {
    v = std::min(v, getMax());
    return std::max(v, getMin());
}

void BWKnob::setTouch(float v) {
    if (touchFlag) storeShared(*touchFlag, v);
}

void BWKnob::armHintHideOnly() { hintHideDeadline = frameTime() + (owner ? owner->hintHideDelay : 0); }

// --- drawing -------------------------------------------------------------------------

void BWKnob::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    paint(context, nullptr);
}

void BWKnob::drawRect(CDrawContext* context, const CRect& updateRect) { paint(context, &updateRect); }

// Draws part of an image at the target; with an update rectangle only what
// lies inside it, its source offset moved by what was cut.
void BWKnob::blit(CBitmap* image, CDrawContext* context, const CRect& target, CPoint offset, const CRect* update,
                  bool byDrawMode) const {
    if (!image) return;
    CRect r = target;
    if (update) {
        r.bound(*update);
        if (r.isEmpty()) return;
        offset.offset(r.left - target.left, r.top - target.top);
    }
    if (!byDrawMode) {
        drawBitmap(context, image, r, offset);
    } else if (drawMode == kAlphaBlend) {
        image->drawAlphaBlend(context, r, offset, static_cast<uint8_t>(alpha));
    } else if (drawMode == kTransparent) {
        image->drawTransparent(context, r, offset);
    } else {
        image->draw(context, r, offset);
    }
}

void BWKnob::paint(CDrawContext* context, const CRect* update) {
    if (!context || !isVisible() || hidden) return;
    if (style == 1) {
        paintBar(context);
        setDirty(false);
        return;
    }
    const bool byDrawMode = update != nullptr;
    blit(backgroundBitmap, context, size, CPoint(), update, byDrawMode);
    const float v = position();
    if (bitmap && positionMode == kAbsoluteHandle) {
        const int32_t w = bitmap->getWidth(), h = bitmap->getHeight();
        CRect handle(size.getTopLeft(), CPoint(w, h));
        if (orientation == kHorizontal) handle.offset(truncated(static_cast<float>(size.width() - w) * v), 0);
        if (orientation == kVertical) handle.offset(0, truncated((1.0f - v) * static_cast<float>(size.height() - h)));
        blit(bitmap, context, handle, CPoint(), update, byDrawMode);
    } else if (bitmap) {
        const int32_t offset = frameIndex(v) * frameHeight;
        blit(bitmap, context, size, horizontalStrip ? CPoint(offset, 0) : CPoint(0, offset), update, byDrawMode);
    } else {
        paintText(context);
    }
    paintOverlay(context, update, v);
    setDirty(false);
}

void BWKnob::paintBar(CDrawContext* context) {
    context->setFillColor(colourBlack);
    context->setFrameColor(colourBlack);
    context->drawRect(size, kDrawFilledAndFramed);
    const int32_t rise = truncated(static_cast<float>(size.height() - kBarCap) * value);
    context->setFillColor(colourWhite);
    context->drawRect(CRect(size.left, size.bottom - rise - kBarCap, size.right, size.bottom - rise), kDrawFilled);
}

void BWKnob::paintText(CDrawContext* context) {
    context->setFillColor(colourWhite);
    context->drawRect(size, kDrawFilled);
    if (font) context->setFont(font, fontSize);
    context->setFontColor(colourBlack);
    char text[64];
    std::snprintf(text, sizeof(text), "%2.2f", static_cast<double>(boundValue ? loadShared(*boundValue) : value));
    context->drawString(text, size, false, kCenterText);
}

void BWKnob::paintOverlay(CDrawContext* context, const CRect* update, float v) {
    if (!overlayBitmap || orientation == kNoOrientation || !overlayValue) return;
    const float o = loadShared(*overlayValue);
    if (!(o >= 0.0f) || o == v) return;
    lastOverlay = o;
    if (owner && owner->overlaySuppress && loadShared(*owner->overlaySuppress) == 1.0f) return;
    CRect target = size;
    CPoint offset;
    if (orientation == kFilmstrip) {
        offset.y = stripFrame(static_cast<float>(frameCount - 1) * o, frameCount) * frameHeight;
    } else if (orientation == kVertical) {
        const int32_t h = overlayBitmap->getHeight();
        target.top += truncated(static_cast<float>(size.height() - h) * o);
        target.bottom = target.top + h;
    } else {
        const int32_t w = overlayBitmap->getWidth();
        target.left += truncated(static_cast<float>(size.width() - w) * o);
        target.right = target.left + w;
    }
    blit(overlayBitmap, context, target, offset, update, true);
}

// --- mouse ---------------------------------------------------------------------------

float BWKnob::absoluteValue(const CPoint& where) const {
    if (dragAxis == kDragHorizontal) {
        if (where.x > size.right) return 1.0f;
        if (where.x < size.left) return 0.0f;
        return static_cast<float>(where.x - size.left) / static_cast<float>(size.width());
    }
    if (where.y > size.bottom) return 0.0f;
    if (where.y < size.top) return 1.0f;
    return 1.0f - static_cast<float>(where.y - size.top) / static_cast<float>(size.height());
}

int32_t BWKnob::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!mouseableArea.pointInside(where) || !isVisible()) return kMouseEventNotHandled;
    if ((buttons & (kRButton | kApple)) && learnMenu) {
        const int32_t identifier = learnIndex < 0 ? tag : learnIndex;
        learnMenu->setExtraInt1(identifier);
        learnMenu->setExtraInt2(0);
        learnMenu->popup(2, menuAtPointer ? &where : nullptr, identifier, size, true);
        setDirty(true);
        armHintHideOnly();
        pressed = false;
        return kMouseHandledNoMoves;
    }
    recordUndoStep();
    if ((buttons & kControl) || ((buttons & kDoubleClick) && !isAbsolute())) {
        beginEditIfNotified();
        value = getDefaultValue();
        if (touchFlag) {
            setTouch(1.0f);
            reportValue();
            setTouch(0.0f);
        }
        reportValue();
        endEditIfNotified();
        armHintHideOnly();
        return kMouseHandledNoMoves;
    }
    showHint();
    pressed = true;
    lastPoint = where;
    if (touchFlag) {
        setTouch(1.0f);
        reportValue();
    }
    beginEditIfNotified();
    if (!isAbsolute()) return kMouseEventHandled;
    setValue(clamped(absoluteValue(where)));
    reportValue();
    setDirty(true);
    return kMouseEventHandled;
}

int32_t BWKnob::onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t) {
    if (!(buttons & (kLButton | kRButton)) || !pressed) return kMouseEventNotHandled;
    float next = 0.0f;
    if (isAbsolute()) {
        next = absoluteValue(where);
    } else {
        const int32_t dx = where.x - lastPoint.x, dy = where.y - lastPoint.y;
        lastPoint = where;
        const int32_t d = dragAxis == kDragVertical     ? dy
                          : dragAxis == kDragHorizontal ? -dx
                          : dragAxis == kDragBoth       ? dy - dx
                                                        : 0;
        next = value + static_cast<float>(d) * ((buttons & kShift) ? kFineDragStep : kDragStep) * dragScale;
    }
    value = clamped(next);
    reportValue();
    setDirty(true);
    return kMouseEventHandled;
}

int32_t BWKnob::onMouseUp(CPoint& where, const CButtonState&, int32_t) {
    // Inside, the pointer's exit arms the hide later.
    if (!size.pointInside(where)) armHintHideOnly();
    pressed = false;
    if (springBack) {
        value = 0.5f;
        reportValue();
    } else if (touchFlag) {
        setTouch(0.0f);
        reportValue();
    }
    endEditIfNotified();
    setDirty(true);
    return kMouseEventHandled;
}

void BWKnob::onMouseCancel(int32_t) {
    CPoint outside(size.left - 1, size.top - 1);
    onMouseUp(outside, 0, 0);
}

int32_t BWKnob::onMouseEntered(CPoint&, const CButtonState&) {
    armHintShow();
    return 1;
}

int32_t BWKnob::onMouseExited(CPoint&, const CButtonState&) {
    if (!pressed) armHintHideOnly();
    hintShowDeadline = -1;
    return 1;
}

bool BWKnob::onWheel(const CPoint&, float distance, const CButtonState& buttons) {
    if (!isVisible() || springBack) return false;
    const float factor = (buttons & kShift) ? kFineWheelFactor : kWheelFactor;
    value = clamped(value + distance * kWheelStep * factor);
    if (touchHoldMs != 0 && touchFlag) {
        setTouch(1.0f);
        touchDeadline = frameTime() + touchHoldMs;
    }
    beginEditIfNotified();
    reportValue();
    endEditIfNotified();
    setDirty(true);
    return true;
}

// --- idle ----------------------------------------------------------------------------

void BWKnob::idle(int32_t argument) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (isVisible()) {
        if (boundValue && !pressed) {
            const float v = position();
            if (floatChanged(v, value)) {
                value = v;
                setDirty(true);
            }
        }
        if (overlayBitmap && orientation != kNoOrientation && overlayValue) {
            const float o = loadShared(*overlayValue);
            if (floatChanged(o, lastOverlay)) {
                lastOverlay = o;
                setDirty(true);
            }
        }
        if (touchDeadline != -1 && !pressed && frameTime() > touchDeadline) {
            touchDeadline = -1;
            setTouch(0.0f);
        }
    }
    BWControl::idle(argument);
}

void BWKnob::setViewSizeAndArea(const CRect& rect) {
    CRect copy = rect;
    setViewSizeWithMargins(copy);
}

}  // namespace VSTGUI
