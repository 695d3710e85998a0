// The table view's three displays (pixel-buffer curve, step strip, drawn
// bars or curve with grid, ruler and play range) and its curve buffer.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>

#include "core/BWTable.h"
#include "core/SharedFloat.h"
#include "core/ValueLists.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "widgets/BWTableView.h"
#include "widgets/CurveColumns.h"
#include "widgets/RunTimeColours.h"
#include "widgets/StripFrames.h"
#include "widgets/TableViewUse.h"

namespace VSTGUI {

namespace {

constexpr CColor kMinorLabel{25, 25, 25, 255};
constexpr double kMinorGridSpacing = 16.0;
constexpr double kLeastGridSpacing = 8.0;

CColor blend(const CColor& from, const CColor& to, float t) {
    auto mix = [t](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>(static_cast<float>(a) + (static_cast<float>(b) - static_cast<float>(a)) * t);
    };
    return CColor{mix(from.red, to.red), mix(from.green, to.green), mix(from.blue, to.blue), 255};
}

void verticalLine(CDrawContext* context, int32_t x, int32_t y1, int32_t y2) {
    context->moveTo(CPoint(x, y1));
    context->lineTo(CPoint(x, y2));
}

}  // namespace

// --- curve buffer --------------------------------------------------------------------

void BWTableView::computeCurveBuffer() {
    needsRecompute = false;
    const uint64_t count = stepCount();
    if (count == 0 || stepArea.isEmpty()) return;
    const float ramp = watchedValue ? loadShared(*watchedValue) : 0.0f;
    {
        TableViewUse use(table);
        fillCurveColumns(curveBuffer.getValues(), curveBuffer.getValueCount(), count,
                         [this](uint64_t step) { return table->getNormalized(step); }, ramp);
    }
    curveBuffer.setBackColor(backgroundColour);
    curveBuffer.setFillColor(barColour);
    curveBuffer.setLineColor(highlightColour);
    for (int32_t i = 0; i < 256; ++i) {
        const float t = static_cast<float>(i) / 255.0f;
        curveBuffer.setGradient(0, i, blend(barColour, highlightColour, t));
        curveBuffer.setGradient(1, i, blend(highlightColour, barColour, t));
    }
    if (has(kBipolar))
        curveBuffer.drawBipolar();
    else
        curveBuffer.drawCurve();
}

// --- drawing -------------------------------------------------------------------------

int64_t BWTableView::playingStep() const { return truncated(table->readPosition.load(std::memory_order_relaxed)); }

void BWTableView::draw(CDrawContext* context) {
    if (!context) return;
    ScopedClip clip(*context, size);
    paint(context);
}

void BWTableView::drawRect(CDrawContext* context, const CRect& updateRect) {
    if (!context) return;
    CRect area = size;
    area.bound(updateRect);
    if (area.isEmpty()) return;
    ScopedClip clip(*context, area);
    paint(context);
}

void BWTableView::paint(CDrawContext* context) {
    if (!isVisible() || !table || has(kLocked) || stepCount() == 0) return;
    if (!drawnOnce) {
        drawnOnce = true;
        idle(0);
    }
    TableViewUse use(table);
    if (has(kPixelBuffer)) {
        if (needsRecompute) computeCurveBuffer();
        curveBuffer.blitTo(context, stepArea);
    } else if (stepBitmap) {
        drawStepBitmaps(context);
    } else {
        drawBackground(context);
        if (secondTable && secondTable != table) {
            TableViewUse second(secondTable);
            drawCurve(context, *secondTable, lineColour, 1, false, false);
        }
        if (has(kCurve))
            drawCurve(context, *table, barColour, 2, has(kCurveFilled), true);
        else
            drawBars(context);
        if (has(kBarGap2)) drawGrid(context);
        if (has(kLabelStrip)) drawRuler(context);
        drawRangeAndPlay(context);
    }
    setDirty(false);
}

void BWTableView::drawStepBitmaps(CDrawContext* context) {
    const uint64_t count = stepCount();
    const int64_t cell = size.width() / static_cast<int64_t>(count);
    if (cell <= 0 || !stepBitmap->isLoaded()) return;
    const float range = table->max - table->min;
    const bool wholeFrames = has(kInteger) && range > 1.0f;
    const int64_t playing = playingStep();
    const int32_t height = size.height();
    const float frames = static_cast<float>(stepFrames > 0 ? stepFrames - 1 : 0);
    context->setFrameColor(rulerColour);
    int32_t previousTop = size.bottom;
    for (uint64_t i = 0; i < count && size.left + static_cast<int64_t>(i) * cell < size.right; ++i) {
        const float n = table->getNormalized(i);
        const int64_t frame = wholeFrames ? std::lround(n * std::fabs(range)) : truncated(frames * n);
        CBitmap* image = currentStepBitmap && static_cast<int64_t>(i) == playing ? currentStepBitmap : stepBitmap;
        const auto x = static_cast<int32_t>(size.left + static_cast<int64_t>(i) * cell);
        const int64_t source = frame * (horizontalStrip ? cell : height);
        // A frame past the strip leaves its cell empty.
        if (image->isLoaded() && source < (horizontalStrip ? image->getWidth() : image->getHeight())) {
            const CPoint from = horizontalStrip ? CPoint(static_cast<int32_t>(source), 0)
                                                : CPoint(0, static_cast<int32_t>(source));
            const CRect target(x, size.top, static_cast<int32_t>(x + cell), size.bottom);
            if (transparent)
                image->drawTransparent(context, target, from);
            else
                image->draw(context, target, from);
        }
        if (!has(kJoinTops)) continue;
        int32_t top = size.bottom - truncated(n * static_cast<float>(height));
        if (wholeFrames) {
            if (!heightLookup || frame < 0 || static_cast<uint64_t>(frame) >= heightLookupLength) continue;
            top = size.bottom - truncated(loadShared(heightLookup[frame]));
        }
        if (i > 0) verticalLine(context, x, previousTop, top);
        previousTop = top;
    }
}

void BWTableView::drawBackground(CDrawContext* context) {
    if (has(kNoBackground)) return;
    if (background) {
        drawBitmap(context, background, size, CPoint());
        return;
    }
    context->setFillColor(backgroundColour);
    context->drawRect(size, kDrawFilled);
}

void BWTableView::drawCurve(CDrawContext* context, BWTable& source, const CColor& colour, int32_t width, bool filled,
                            bool notePlay) {
    context->setLineWidth(width);
    context->setFrameColor(colour);
    const float play = notePlay ? table->readPosition.load(std::memory_order_relaxed) : -1.0f;
    float nearest = -1.0f;
    if (notePlay) playColumn = -1;
    for (int32_t x = stepArea.left; x < stepArea.right; ++x) {
        const float position = positionAt(x);
        const int32_t y = std::clamp(yOfNormalized(source.getNormalizedAt(position)), stepArea.top, stepArea.bottom);
        if (x == stepArea.left)
            context->moveTo(CPoint(x, y));
        else
            context->lineTo(CPoint(x, y));
        if (filled) {
            verticalLine(context, x, y, stepArea.bottom);
            context->moveTo(CPoint(x, y));
        }
        if (notePlay && (nearest < 0.0f || std::fabs(position - play) < nearest)) {
            nearest = std::fabs(position - play);
            playColumn = x;
        }
    }
    context->setLineWidth(1);
}

void BWTableView::drawBars(CDrawContext* context) {
    const Span span = visibleSpan();
    const auto n = static_cast<int64_t>(span.visible);
    const int64_t width = stepArea.width();
    const int32_t gap = has(kBarGap2) ? 2 : 1;
    const int64_t barWidth = has(kBarGap2) ? (width - 2 * n + 2) / n : width / n - 1;
    if (barWidth <= 0) return;
    const int32_t h = stepArea.height();
    const int32_t middle = stepArea.top + h / 2;
    const int64_t playing = has(kWatchPlay) ? playingStep() : -1;
    context->setLineWidth(1);
    int32_t previousTop = stepArea.bottom;
    for (int64_t k = 0; k < n; ++k) {
        const uint64_t i = span.first + static_cast<uint64_t>(k);
        const int32_t x = stepArea.left + static_cast<int32_t>(k * (barWidth + gap));
        const int32_t top = stepArea.bottom - truncated(table->getNormalized(i) * static_cast<float>(h));
        const CRect bar = has(kBipolar) ? CRect(x, std::min(top, middle), static_cast<int32_t>(x + barWidth), std::max(top, middle))
                                        : CRect(x, top, static_cast<int32_t>(x + barWidth), stepArea.bottom);
        if (barBitmap) {
            if (has(kBarBitmapAlternative))
                barBitmap->drawTransparent(context, bar, CPoint());
            else
                barBitmap->draw(context, bar, CPoint());
        } else if (has(kDottedOutline)) {
            context->setFillColor(backgroundColour);
            context->drawRect(bar, kDrawFilled);
            context->setLineStyle(kLineOnOffDash);
            context->setFrameColor(static_cast<int64_t>(i) == playing ? highlightColour : barColour);
            context->drawRect(bar, kDrawStroked);
            context->setLineStyle(kLineSolid);
        } else {
            context->setFillColor(static_cast<int64_t>(i) == playing ? highlightColour : barColour);
            context->drawRect(bar, kDrawFilled);
        }
        if (has(kJoinTops) && k > 0) {
            context->setFrameColor(barColour);
            verticalLine(context, x, previousTop, top);
        }
        if (has(kContinuousX) && k > 0) {
            context->setFrameColor(lineColour);
            verticalLine(context, x - 1, stepArea.top, stepArea.bottom);
        }
        previousTop = top;
    }
}

void BWTableView::drawGrid(CDrawContext* context) {
    const double length = gridLength();
    const double visible = (1.0 - unitInterval(horizontalZoom)) * length;
    const double width = stepArea.width();
    if (!(visible > 0.0) || !(width > 0.0)) return;
    const double first = (length - visible) * unitInterval(horizontalScroll);
    const std::span<const double> divisions = noteLengthTable();
    if (divisions.size() < 8) return;
    double d = divisions[0];
    for (size_t entry = 7; entry >= 1; --entry)
        if (divisions[entry] * width / visible >= kMinorGridSpacing) {
            d = divisions[entry];
            break;
        }
    while (d * width / visible < kLeastGridSpacing) d *= 2.0;
    context->setFrameColor(lineColour);
    int32_t lines = 0;
    for (double p = std::ceil(first / d) * d; p <= first + visible && lines <= stepArea.width(); p += d, ++lines) {
        const int32_t x = stepArea.left + static_cast<int32_t>((p - first) * width / visible);
        if (x >= stepArea.right) break;
        verticalLine(context, x, stepArea.top, stepArea.bottom);
    }
}

void BWTableView::drawRuler(CDrawContext* context) {
    context->setFillColor(runTimeColours::kRuler);
    context->drawRect(labelStrip, kDrawFilled);
    const double length = gridLength();
    const double visible = (1.0 - unitInterval(horizontalZoom)) * length;
    const double unit = visible > 0.0 ? labelStrip.width() / visible : 0.0;
    if (unit >= 1.0) {
        context->setFont(font, fontSize);
        const double first = (length - visible) * unitInterval(horizontalScroll);
        for (auto n = static_cast<int64_t>(std::ceil(first)); n <= first + visible; ++n) {
            const int32_t x = labelStrip.left + static_cast<int32_t>((static_cast<double>(n) - first) * unit);
            CRect label(x - 3, labelStrip.top, x + 16, labelStrip.bottom);
            label.bound(labelStrip);
            char text[32];
            if (n % 4 == 0) {
                context->setFontColor(runTimeColours::kText);
                std::snprintf(text, sizeof(text), "%d", static_cast<int>(n / 4 + 1));
            } else if (unit > 20.0) {
                context->setFontColor(kMinorLabel);
                if (unit > 30.0)
                    std::snprintf(text, sizeof(text), "%d.%d", static_cast<int>(n / 4 + 1), static_cast<int>(n % 4 + 1));
                else
                    std::snprintf(text, sizeof(text), "%d", static_cast<int>(n % 4 + 1));
            } else {
                continue;
            }
            context->drawString(text, label, false, kLeftText);
        }
    }
    context->setFrameColor(runTimeColours::kText);
    context->drawRect(labelStrip, kDrawStroked);
}

void BWTableView::drawRangeAndPlay(CDrawContext* context) {
    const auto count = static_cast<float>(stepCount());
    if (has(kRangeBar) && !rangeBar.isEmpty()) {
        const float w = static_cast<float>(rangeBar.width());
        const int32_t x1 = rangeBar.left + truncated(std::clamp(rangeStart() / count, 0.0f, 1.0f) * w);
        const int32_t x2 = rangeBar.left + truncated(std::clamp(rangeEnd() / count, 0.0f, 1.0f) * w);
        context->setFillColor(highlightColour);
        context->drawRect(CRect(x1, rangeBar.top, x2, rangeBar.bottom), kDrawFilled);
    }
    if (!has(kWatchPlay)) return;
    const float play = table->readPosition.load(std::memory_order_relaxed);
    const int32_t x = has(kCurve) ? playColumn : xOfPosition(std::trunc(play));
    if (x < stepArea.left || x >= stepArea.right) return;
    context->setFrameColor(highlightColour);
    verticalLine(context, x, stepArea.top + 1, stepArea.bottom - 1);
}

}  // namespace VSTGUI
