#include "widgets/BWImage.h"

#include <algorithm>
#include <cmath>

#include "core/SharedFloat.h"
#include "guitoolkit/CBitmap.h"
#include "platform/GuiThread.h"
#include "widgets/StripFrames.h"

namespace VSTGUI {

float* getDummyValuePointer() {
    static float dummy = 0.0f;
    return &dummy;
}

BWImage::BWImage(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner, CBitmap* image,
                 CBitmap* hover)
    : BWControl(rect, listener, tag, owner), bitmap(image ? image : hover), hoverBitmap(hover), originRect(rect) {
    controlType = kImage;
    styleFlags = 0;
}

void BWImage::applySources() {
    lastX = loadShared(*xSource);
    lastY = loadShared(*ySource);
    lastWidth = loadShared(*widthSource);
    lastHeight = loadShared(*heightSource);
    const CRect target(originRect.left + truncated(lastX), originRect.top + truncated(lastY),
                       originRect.right + truncated(lastX + lastWidth),
                       originRect.bottom + truncated(lastY + lastHeight));
    if (target != size) {
        CRect changed = size;
        CRect moved = target;
        setViewSizeWithMargins(moved);
        changed.unite(target);
        invalidRect(CRect(changed.left - 1, changed.top - 1, changed.right + 1, changed.bottom + 1));
    }
    const int32_t x = truncated(loadShared(*xOffsetSource)), y = truncated(loadShared(*yOffsetSource));
    if (x != sourceX || y != sourceY) {
        sourceX = x;
        sourceY = y;
        setDirty(true);
    }
}

void BWImage::idle(int32_t argument) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!frozen && isVisible()) {
        applySources();
        if (alphaSource && floatChanged(loadShared(*alphaSource), lastAlpha)) {
            lastAlpha = loadShared(*alphaSource);
            setDirty(true);
        }
    }
    BWControl::idle(argument);
}

void BWImage::setViewSizeWithMargins(CRect& rect) {
    CView::setViewSize(rect, true);
    setMouseableArea(CRect(rect.left - margins[0], rect.top - margins[1], rect.right + margins[2],
                           rect.bottom + margins[3]));
    if (!frozen) applySources();
}

void BWImage::setViewSizeAndArea(const CRect& rect) {
    originRect = rect;
    setMouseableArea(rect);
    CRect copy = rect;
    setViewSizeWithMargins(copy);
}

bool BWImage::movePicture(const CPoint& topLeft) {
    originRect.moveTo(topLeft.x, topLeft.y);
    return true;
}

void BWImage::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    paint(context, nullptr);
}

void BWImage::drawRect(CDrawContext* context, const CRect& updateRect) { paint(context, &updateRect); }

void BWImage::paint(CDrawContext* context, const CRect* update) {
    if (!context || !isVisible() || sourceX < 0 || sourceY < 0) return;
    CBitmap* image = hover && hoverBitmap ? hoverBitmap : bitmap;
    if (!image) return;
    CRect target = size;
    CPoint offset(sourceX, sourceY);
    if (update) {
        target.bound(*update);
        if (target.isEmpty()) return;
        offset.offset(target.left - size.left, target.top - size.top);
    }
    if (alphaDraw && alphaSource) {
        const auto alpha = static_cast<uint8_t>(std::clamp(truncated(loadShared(*alphaSource)), 0, 255));
        image->drawAlphaBlend(context, target, offset, alpha);
    } else if (transparent) {
        image->drawTransparent(context, target, offset);
    } else if (tileWidth > 0) {
        // Tiles from the widget's left edge, each from the same source offset.
        for (int32_t x = size.left; x < size.right; x += tileWidth) {
            CRect tile(x, size.top, std::min(x + tileWidth, size.right), size.bottom);
            tile.bound(target);
            if (!tile.isEmpty())
                image->draw(context, tile, CPoint(sourceX + tile.left - x, sourceY + tile.top - size.top));
        }
    } else {
        image->draw(context, target, offset);
    }
    setDirty(false);
}

bool BWImage::hitTest(const CPoint& where, const CButtonState&) { return clickable && size.pointInside(where); }

int32_t BWImage::onMouseDown(CPoint& where, const CButtonState&, int32_t) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!clickable || !mouseableArea.pointInside(where)) return kMouseEventNotHandled;
    if (observer) observer->notify(this, kMsgMouseDown);
    return kMouseEventHandled;
}

int32_t BWImage::onMouseEntered(CPoint&, const CButtonState&) {
    hover = true;
    if (hoverBitmap) setDirty(true);
    return 1;
}

int32_t BWImage::onMouseExited(CPoint&, const CButtonState&) {
    hover = false;
    if (hoverBitmap) setDirty(true);
    return 1;
}

// --- level meter ---------------------------------------------------------------------

namespace {
constexpr float kLoudest = 1.414f;
constexpr float kPeakFall = 0.055f;
constexpr float kAboveUnityStretch = 2.41f;
constexpr float kTinyLevel = 1e-12f;
}  // namespace

BWLevelMeterPic::BWLevelMeterPic(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner,
                                 CBitmap* strip, int32_t frames, float* level)
    : BWControl(rect, listener, tag, owner, strip), levelSource(level), frameCount(frames), unityFrame(frames) {}

float BWLevelMeterPic::getLevel() const { return levelSource ? loadShared(*levelSource) : 0.0f; }

void BWLevelMeterPic::resetLevel() {
    if (levelSource) storeShared(*levelSource, 0.0f);
}

float BWLevelMeterPic::framePosition(float level) const {
    if (level <= 1.0f) return level * static_cast<float>(unityFrame);
    return static_cast<float>(unityFrame) +
           (level - 1.0f) * static_cast<float>(frameCount - unityFrame) * kAboveUnityStretch;
}

void BWLevelMeterPic::idle(int32_t argument) {
    ZORVANE_ASSERT_GUI_THREAD();
    const float level = getLevel();
    const float s = level > kTinyLevel ? std::min(std::sqrt(level), kLoudest) : 0.0f;
    if (truncated(static_cast<float>(frameCount) * s) != lastFrame) {
        current = s;
        peak = std::max(peak, s);
        resetLevel();
        float shown = s;
        if (s < peak) {
            peak = std::max(0.0f, peak - kPeakFall);
            shown = peak;
        }
        const bool first = lastFrame < 0;
        lastFrame = stripFrame(framePosition(shown), frameCount);
        const CPoint offset = horizontalStrip ? CPoint(lastFrame * size.width(), 0) : CPoint(0, lastFrame * size.height());
        // A level that moves within the frame shown (the peak still holds
        // it) repaints nothing.
        if (first || offset != stripOffset) setDirty(true);
        stripOffset = offset;
    }
    BWControl::idle(argument);
}

void BWLevelMeterPic::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!context || !isVisible()) return;
    if (background) drawBitmap(context, background, size, stripOffset);
    setDirty(false);
}

}  // namespace VSTGUI
