#include "widgets/BWScrollbarY.h"

#include <algorithm>
#include <cmath>

#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "platform/GuiThread.h"
#include "widgets/StripFrames.h"

namespace VSTGUI {

namespace {

// Drawn without pictures the thumb lives inside the 2-pixel frame lines.
constexpr int32_t kFrameInset = 2;
constexpr int32_t kSmallestThumb = 5;

float unit(float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); }

}  // namespace

BWScrollbarY::BWScrollbarY(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner,
                           float* thumbSize, float* position)
    : BWControl(rect, listener, tag, owner), thumbSizeRef(thumbSize), positionRef(position) {}

float BWScrollbarY::thumbSize() const { return thumbSizeRef ? unit(*thumbSizeRef) : 0.0f; }
float BWScrollbarY::position() const { return positionRef ? unit(*positionRef) : 0.0f; }

int32_t BWScrollbarY::thumbHeight(int32_t track) const {
    return truncated(static_cast<float>(track - kSmallestThumb) * (1.0f - thumbSize()) + kSmallestThumb);
}

int32_t BWScrollbarY::thumbOffset(int32_t track) const {
    return truncated(static_cast<float>(track - thumbHeight(track)) * position());
}

int32_t BWScrollbarY::trackHeight() const {
    return thumbTopPicture ? size.height() : size.height() - 2 * kFrameInset;
}

void BWScrollbarY::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!context) return;
    if (thumbTopPicture) {
        drawPictureThumb(context);
        return;
    }
    context->setFillColor(fillColour);
    context->setFrameColor(thumbColour);
    context->drawRect(size, kDrawFilledAndFramed);
    const CRect inner(size.left + kFrameInset, size.top + kFrameInset, size.right - kFrameInset,
                      size.bottom - kFrameInset);
    const int32_t h = inner.height();
    thumbTop = inner.top + thumbOffset(h);
    thumbBottom = thumbTop + thumbHeight(h);
    context->setFillColor(thumbColour);
    context->drawRect(CRect(inner.left, thumbTop, inner.right, thumbBottom), kDrawFilled);
    setDirty(false);
}

void BWScrollbarY::drawPictureThumb(CDrawContext* context) {
    const int32_t h = size.height(), t = thumbHeight(h);
    setDirty(false);
    if (t >= h) return;  // the whole list shows: no thumb
    thumbTop = size.top + thumbOffset(h);
    thumbBottom = thumbTop + t;
    const int32_t topHeight = thumbTopPicture->getHeight();
    const int32_t bottomHeight = thumbBottomPicture ? thumbBottomPicture->getHeight() : 0;
    thumbTopPicture->draw(context, CRect(size.left, thumbTop, size.right, std::min(thumbTop + topHeight, thumbBottom)));
    const int32_t middleEnd = thumbBottom - bottomHeight;
    const int32_t step = thumbMiddlePicture ? thumbMiddlePicture->getHeight() : 0;
    for (int32_t y = thumbTop + topHeight; step > 0 && y < middleEnd; y += step)
        thumbMiddlePicture->draw(context, CRect(size.left, y, size.right, std::min(y + step, middleEnd)));
    if (thumbBottomPicture)
        thumbBottomPicture->draw(context, CRect(size.left, std::max(middleEnd, thumbTop), size.right, thumbBottom));
}

int32_t BWScrollbarY::onMouseDown(CPoint& where, const CButtonState&, int32_t) {
    ZORVANE_ASSERT_GUI_THREAD();
    lastPoint = where;
    dragging = true;
    setDirty(true);
    return kMouseEventHandled;
}

int32_t BWScrollbarY::onMouseUp(CPoint&, const CButtonState&, int32_t) {
    setDirty(true);
    dragging = false;
    return kMouseEventHandled;
}

int32_t BWScrollbarY::onMouseMoved(CPoint& where, const CButtonState&, int32_t) {
    if (!dragging) return kMouseEventNotHandled;
    const float sizeBefore = thumbSize(), positionBefore = position();
    if (sizeDraggable && thumbSizeRef)
        *thumbSizeRef = std::clamp(sizeBefore + 0.005f * static_cast<float>(where.x - lastPoint.x), 0.0f, 1.0f);
    const int32_t h = trackHeight();
    const int32_t track = h - thumbHeight(h);
    // A thumb as tall as its track has nowhere to go.
    if (track > 0 && positionRef) {
        const float moved = static_cast<float>(truncated(positionBefore * static_cast<float>(track)) +
                                               (where.y - lastPoint.y)) /
                            static_cast<float>(track);
        *positionRef = std::clamp(moved, 0.0f, 1.0f);
    }
    lastPoint = where;
    if (thumbSize() != sizeBefore || position() != positionBefore) reportValue();
    setDirty(true);
    return kMouseEventHandled;
}

}  // namespace VSTGUI
