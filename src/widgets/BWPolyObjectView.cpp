#include "widgets/BWPolyObjectView.h"

#include <algorithm>
#include <cmath>

#include "core/SharedFloat.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "platform/GuiThread.h"
#include "widgets/RunTimeColours.h"
#include "widgets/StripFrames.h"

namespace VSTGUI {

namespace {

// Far more objects than any view shows; a count from the core beyond it is
// held there, so that a stray float never sizes the caches.
constexpr int32_t kMaxObjects = 1024;
// The widest and tallest ellipse drawn, in pixels: many times the largest
// view, small enough that its outline flattens at once.
constexpr int64_t kLargestEllipse = 16384;
// Line widths come from the alpha input, whose values stay within a byte; a
// wider one (bad data) would have cairo stroke for seconds.
constexpr int32_t kWidestLine = 255;

// Cached values are held to this magnitude, far beyond any pixel of the view,
// so that sums of positions and sizes never leave 32 bits.
constexpr int32_t kCoordinateLimit = 1 << 24;

int32_t cacheValue(float value) { return std::clamp(truncated(value), -kCoordinateLimit, kCoordinateLimit); }

uint8_t byteOf(int32_t value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

// The part of the line from a to b inside the box (Liang-Barsky); false when
// none is.  Lines are drawn pixel by pixel, so an object far outside the view
// must not cost a walk along all of it.
bool clipLine(const CRect& box, CPoint& a, CPoint& b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    double t0 = 0.0, t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {double(a.x) - box.left, double(box.right) - a.x, double(a.y) - box.top, double(box.bottom) - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const CPoint from = a;
    a = CPoint(static_cast<int32_t>(std::lround(from.x + t0 * dx)), static_cast<int32_t>(std::lround(from.y + t0 * dy)));
    b = CPoint(static_cast<int32_t>(std::lround(from.x + t1 * dx)), static_cast<int32_t>(std::lround(from.y + t1 * dy)));
    return true;
}

CRect ordered(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return CRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
}

}  // namespace

float BWPolyInput::at(size_t i) const {
    if (!values) return 0.0f;
    if (shared) return loadShared(values[0]);
    return i < length ? loadShared(values[i]) : 0.0f;
}

BWPolyObjectView::BWPolyObjectView(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner)
    : BWControl(rect, listener, tag, owner) {
    setBackground(nullptr);
    setTransparency(false);
    alphaDraw = false;
    resizeObjects();
}

BWPolyObjectView::~BWPolyObjectView() {
    if (sheet) sheet->forget();
    if (offscreenImage) offscreenImage->forget();
}

void BWPolyObjectView::setSheet(CBitmap* image) {
    if (image) image->remember();
    if (sheet) sheet->forget();
    sheet = image;
    recomposite = true;
    setDirty(true);
}

void BWPolyObjectView::setOffscreenImage(CBitmap* image) {
    if (image) image->remember();
    if (offscreenImage) offscreenImage->forget();
    offscreenImage = image;
    recomposite = true;
    setDirty(true);
}

// --- inputs --------------------------------------------------------------------------

int32_t BWPolyObjectView::boundObjectCount() const {
    int32_t n = countSource ? truncated(loadShared(*countSource)) : 0;
    n = std::clamp(n, 0, kMaxObjects);
    for (const BWPolyInput& input : inputs)
        if (input.bound() && !input.shared) n = static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(n), input.length));
    return n;
}

void BWPolyObjectView::growCaches(int32_t count) {
    for (size_t k = 0; k < caches.size(); ++k)
        caches[k].resize(static_cast<size_t>(count), inputs[k].bound() ? 0 : lastCopied[k]);
    recomposite = true;
}

void BWPolyObjectView::resizeObjects() {
    const int32_t n = boundObjectCount();
    if (static_cast<size_t>(n) > caches[0].size()) growCaches(n);
    cachedCount = n;
    for (size_t k = 0; k < inputs.size(); ++k) {
        if (!inputs[k].bound() || n == 0) continue;
        for (int32_t i = 0; i < n; ++i) caches[k][static_cast<size_t>(i)] = cacheValue(inputs[k].at(static_cast<size_t>(i)));
        lastCopied[k] = caches[k][static_cast<size_t>(n - 1)];
    }
}

bool BWPolyObjectView::inputsChanged() const {
    if (boundObjectCount() != cachedCount) return true;
    for (size_t k = 0; k < inputs.size(); ++k) {
        if (!inputs[k].bound()) continue;
        for (int32_t i = 0; i < cachedCount; ++i)
            if (cacheValue(inputs[k].at(static_cast<size_t>(i))) != caches[k][static_cast<size_t>(i)]) return true;
    }
    return false;
}

void BWPolyObjectView::idle(int32_t argument) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (isVisible() && inputsChanged()) {
        resizeObjects();
        if (offscreenImage && !throttle) recomposite = true;
        setDirty(true);
    }
    BWControl::idle(argument);
}

void BWPolyObjectView::setViewSizeWithMargins(CRect& rect) {
    BWControl::setViewSizeWithMargins(rect);
    if (widthOutput) storeShared(*widthOutput, static_cast<float>(size.width()));
    if (heightOutput) storeShared(*heightOutput, static_cast<float>(size.height()));
}

// --- geometry ------------------------------------------------------------------------

CRect BWPolyObjectView::objectRect(int32_t i) const {
    const int32_t x = cached(kX, i), y = cached(kY, i), w = cached(kWidth, i), h = cached(kHeight, i);
    if (drawMode <= kRects) return ordered(size.left + x, size.bottom - y - h, size.left + x + w, size.bottom - y);
    return CRect(size.left + x, size.top + y, size.left + w, size.top + h);
}

CColor BWPolyObjectView::colourOf(int32_t i) const {
    return CColor{byteOf(cached(kRed, i)), byteOf(cached(kGreen, i)), byteOf(cached(kBlue, i)), 255};
}

// --- drawing -------------------------------------------------------------------------

void BWPolyObjectView::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    paint(context, size);
}

void BWPolyObjectView::drawRect(CDrawContext* context, const CRect& updateRect) {
    CRect area = size;
    area.bound(updateRect);
    if (area.isEmpty() || !context) return;
    ScopedClip clip(*context, area);
    paint(context, area);
}

void BWPolyObjectView::paint(CDrawContext* context, const CRect& area) {
    if (!context || !isVisible() || !countSource || cachedCount <= 0) return;
    if (offscreenImage) {
        paintOffscreen(context);
    } else {
        if (drawBackground) {
            if (background) {
                drawBitmap(context, background, size, CPoint());
            } else {
                context->setFillColor(runTimeColours::kPanel);
                context->drawRect(size, kDrawFilled);
            }
        }
        drawObjects(context, area);
    }
    setDirty(false);
}

void BWPolyObjectView::paintOffscreen(CDrawContext* context) {
    if (!throttle) {
        if (recomposite) {
            recomposite = false;
            composite();
        }
        offscreenImage->drawAlphaBlend(context, size, CPoint(), 255);
        return;
    }
    const int64_t tick = frameTime();
    if (tick != throttle->lastTick) {
        throttle->counter = 0;
        throttle->lastTick = tick;
        composite();
    } else {
        for (int32_t i = 0; i < cachedCount; ++i) compositeObject(i);
        offscreenImage->setPixelsHaveAlpha(true);
    }
    if (++throttle->counter == throttle->period) offscreenImage->drawAlphaBlend(context, size, CPoint(), 255);
}

void BWPolyObjectView::drawSprite(CDrawContext* context, int32_t i, const CRect& rect, const CRect& area) {
    if (!sheet) return;
    const CPoint source(cached(kSpriteX, i), cached(kSpriteY, i));
    if (transparent) {
        sheet->drawTransparent(context, rect, source);
        return;
    }
    if (!rect.rectOverlap(area)) return;
    if (alphaBound())
        sheet->drawAlphaBlend(context, rect, source, byteOf(cached(kAlpha, i)));
    else
        sheet->draw(context, rect, source);
}

void BWPolyObjectView::drawObjects(CDrawContext* context, const CRect& area) {
    const int32_t previousStyle = context->getLineStyle();
    const bool lineWidths = inputs[kAlpha].bound();
    for (int32_t i = 0; i < cachedCount; ++i) {
        const CRect rect = objectRect(i);
        const CColor colour = colourOf(i);
        if (drawMode >= kLines && lineWidths)
            context->setLineWidth(std::clamp(cached(kAlpha, drawMode == kLines ? 0 : i), 1, kWidestLine));
        switch (drawMode) {
            case kSprites: drawSprite(context, i, rect, area); break;
            case kRects:
                context->setFillColor(colour);
                context->drawRect(rect, kDrawFilled);
                break;
            case kLines:
            case kDottedLines:
            {
                context->setLineStyle(drawMode == kDottedLines ? kLineOnOffDash : kLineSolid);
                context->setFrameColor(colour);
                CPoint from = rect.getTopLeft(), to = rect.getBottomRight();
                const int32_t reach = context->getLineWidth() + 1;
                if (!clipLine(CRect(area.left - reach, area.top - reach, area.right + reach, area.bottom + reach), from,
                              to))
                    break;
                context->moveTo(from);
                context->lineTo(to);
                break;
            }
            default: {
                const CRect box = ordered(rect.left, rect.top, rect.right, rect.bottom);
                // Only what can show is drawn: an ellipse off the area, or one
                // so large that flattening its outline would take seconds, is
                // left out (objects are sprite-sized; such values come only
                // from bad data).
                const int32_t reach = context->getLineWidth() + 1;
                if (!box.rectOverlap(CRect(area.left - reach, area.top - reach, area.right + reach, area.bottom + reach)) ||
                    int64_t{box.right} - box.left > kLargestEllipse || int64_t{box.bottom} - box.top > kLargestEllipse)
                    break;
                context->setLineStyle(drawMode == kDottedEllipses ? kLineOnOffDash : kLineSolid);
                context->setFrameColor(colour);
                context->setFillColor(colour);
                context->drawArc(box, 90.0f, 90.0f, drawMode >= kFilledEllipses ? kDrawFilled : kDrawStroked);
                break;
            }
        }
    }
    context->setLineStyle(previousStyle);
    if (drawMode >= kLines) context->setLineWidth(1);
}

void BWPolyObjectView::composite() {
    if (!offscreenImage || offscreenImage->getWidth() != size.width() || offscreenImage->getHeight() != size.height())
        return;
    uint32_t* pixels = offscreenImage->getPixels();
    std::fill(pixels, pixels + static_cast<size_t>(size.width()) * static_cast<size_t>(size.height()), 0u);
    for (int32_t i = 0; i < cachedCount; ++i) compositeObject(i);
    offscreenImage->setPixelsHaveAlpha(true);
}

void BWPolyObjectView::compositeObject(int32_t i) {
    if (!sheet || !sheet->isLoaded() || !offscreenImage) return;
    const int32_t viewW = size.width(), viewH = size.height();
    if (offscreenImage->getWidth() != viewW || offscreenImage->getHeight() != viewH) return;
    int32_t dx = cached(kX, i), dy = cached(kY, i);
    int32_t sx = cached(kSpriteX, i), sy = cached(kSpriteY, i);
    if (sx < 0 || sy < 0) return;
    int32_t w = cached(kWidth, i), h = cached(kHeight, i);
    // Parts left of or above the view come off the sprite's start.
    if (dx < 0) {
        w += dx;
        sx -= dx;
        dx = 0;
    }
    if (dy < 0) {
        h += dy;
        sy -= dy;
        dy = 0;
    }
    const int32_t sheetW = sheet->getWidth(), sheetH = sheet->getHeight();
    w = std::min({w, viewW - dx, sheetW - sx});
    h = std::min({h, viewH - dy, sheetH - sy});
    if (w <= 0 || h <= 0) return;
    const int32_t a = alphaBound() ? std::clamp(cached(kAlpha, i), 0, 255) : 255;
    const uint32_t* from = sheet->getPixels();
    uint32_t* to = offscreenImage->getPixels();
    const CColor tint = colourOf(i);
    for (int32_t row = 0; row < h; ++row) {
        const uint32_t* s = from + static_cast<size_t>(sy + row) * static_cast<size_t>(sheetW) + static_cast<size_t>(sx);
        uint32_t* d = to + static_cast<size_t>(dy + row) * static_cast<size_t>(viewW) + static_cast<size_t>(dx);
        for (int32_t col = 0; col < w; ++col) {
            const uint32_t src = s[col], dst = d[col];
            const int32_t sa = static_cast<int32_t>(src >> 24);
            if (sa <= 0) continue;
            auto channel = [](uint32_t p, int shift) { return static_cast<int32_t>((p >> shift) & 0xFF); };
            uint32_t out = 0;
            if (drawMode == kTint) {
                const int32_t e = sa * a / 256;
                if (e <= 0) continue;
                const int32_t colour[3] = {tint.blue, tint.green, tint.red};
                for (int c = 0; c < 3; ++c)
                    out |= static_cast<uint32_t>((colour[c] * e + channel(dst, 8 * c) * (256 - e)) / 256) << (8 * c);
                out |= static_cast<uint32_t>(channel(dst, 24) * (256 - e) / 256 + e) << 24;
            } else {
                for (int c = 0; c < 4; ++c)
                    out |= static_cast<uint32_t>((channel(src, 8 * c) * a + channel(dst, 8 * c) * (256 - sa)) / 256)
                           << (8 * c);
            }
            d[col] = out;
        }
    }
}

// --- mouse ---------------------------------------------------------------------------

void BWPolyObjectView::report() {
    if (listener) listener->valueChanged(this);
}

int32_t BWPolyObjectView::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!size.pointInside(where) || !isVisible() || !countSource || !objectsTakeMouse) return kMouseEventNotHandled;
    lastMouse = where;
    for (int32_t i = 0; i < cachedCount; ++i) {
        const int32_t x = cached(kX, i), y = cached(kY, i), w = cached(kWidth, i), h = cached(kHeight, i);
        // The bounds in the order the drawing uses, so that either sign of
        // the sizes is hit where the object shows.
        const CRect box = ordered(size.left + x, size.bottom - y, size.left + x + w, size.bottom - y - h);
        if (!box.pointInside(where)) continue;
        pressedIndex = i;
        event[kPressed] = 1.0f;
        event[kRightButton] = (buttons & kRButton) ? 1.0f : 0.0f;
        event[kObjectIndex] = static_cast<float>(i);
        event[kDeltaX] = event[kDeltaY] = 0.0f;
        report();
        return kMouseEventHandled;
    }
    return kMouseEventNotHandled;
}

int32_t BWPolyObjectView::onMouseMoved(CPoint& where, const CButtonState&, int32_t) {
    if (pressedIndex < 0 && objectsTakeMouse) return kMouseEventNotHandled;
    event[kDeltaX] = static_cast<float>(where.x - lastMouse.x);
    event[kDeltaY] = static_cast<float>(where.y - lastMouse.y);
    lastMouse = where;
    report();
    setDirty(true);
    return kMouseEventHandled;
}

int32_t BWPolyObjectView::onMouseUp(CPoint&, const CButtonState&, int32_t) {
    if (pressedIndex < 0 && objectsTakeMouse) return kMouseEventNotHandled;
    pressedIndex = -1;
    std::fill(std::begin(event), std::end(event), 0.0f);
    report();
    return kMouseEventHandled;
}

void BWPolyObjectView::onMouseCancel(int32_t) {
    pressedIndex = -1;
    setDirty(true);
}

}  // namespace VSTGUI
