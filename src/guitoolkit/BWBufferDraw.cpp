#include "guitoolkit/BWBufferDraw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace VSTGUI {

void BWBufferDraw::setSize(const CRect& rect) {
    const int32_t oldWidth = buffer.getWidth();
    buffer.setSize(rect.width(), rect.height());
    if (buffer.getWidth() != oldWidth || values.empty())
        values.assign(static_cast<size_t>(std::max(0, rect.width())) + 1, 0.0f);
    viewRect = rect;
}

void BWBufferDraw::setGradient(int32_t table, int32_t index, const CColor& color) {
    if ((table == 0 || table == 1) && index >= 0 && index < 256) gradients[table][index] = color;
}

void BWBufferDraw::blitTo(CDrawContext* context, const CRect& rect, const CPoint& sourcePoint) {
    buffer.blitTo(context, rect, sourcePoint);
}

BWBufferDraw::Row BWBufferDraw::rowOf(int32_t column) const {
    const int32_t h = buffer.getHeight();
    float v = column >= 0 && static_cast<size_t>(column) < values.size() ? values[static_cast<size_t>(column)] : 0.0f;
    if (std::isnan(v)) v = 0.0f;
    float exact = static_cast<float>(h - 2) - v * static_cast<float>(h - 4);
    exact = std::clamp(exact, 0.0f, static_cast<float>(std::max(0, h - 1)));
    return {exact, static_cast<int32_t>(exact)};
}

void BWBufferDraw::put(int32_t x, int32_t y, uint32_t pixel) {
    if (x < 0 || y < 0 || x >= buffer.getWidth() || y >= buffer.getHeight()) return;
    buffer.getPixels()[static_cast<size_t>(y) * static_cast<size_t>(buffer.getWidth()) + static_cast<size_t>(x)] =
        pixel;
}

uint32_t BWBufferDraw::entry(bool secondTable, float scaled) const {
    const auto index = static_cast<int32_t>(std::clamp(scaled, 0.0f, 255.0f));
    return gradients[secondTable ? 1 : 0][index].pixel();
}

void BWBufferDraw::drawCurve(int32_t startColumn) { drawColumns(std::max(0, startColumn), false); }

void BWBufferDraw::drawBipolar() { drawColumns(0, true); }

void BWBufferDraw::drawColumns(int32_t startColumn, bool bipolar) {
    const int32_t w = buffer.getWidth();
    const int32_t h = buffer.getHeight();
    if (w <= 0 || h <= 0) return;
    uint32_t* pixels = buffer.getPixels();
    std::fill(pixels, pixels + buffer.getCount(), backColor.pixel());
    const int32_t middle = (h - 2) - (h - 4) / 2;

    for (int32_t x = startColumn; x < w; ++x) {
        const Row here = rowOf(x);
        const int32_t cur = here.row;
        const int32_t prev = x == 0 ? cur : rowOf(x - 1).row;
        const int32_t next = x == w - 1 ? cur : rowOf(x + 1).row;

        if (bipolar) {
            for (int32_t y = std::min(cur, middle); y < std::max(cur, middle); ++y) put(x, y, fillColor.pixel());
        } else {
            for (int32_t y = cur; y < h; ++y) put(x, y, fillColor.pixel());
        }

        const bool holds = (prev > cur) == (next < cur);
        int32_t start = prev;
        if (!holds) start = std::abs(prev - cur) > std::abs(next - cur) ? prev : next;
        if (start != cur) {
            const int32_t d = std::abs(start - cur);
            const int32_t step = cur > start ? 1 : -1;
            for (int32_t k = 1; k <= d; ++k) {
                const int32_t y = start + (k - 1) * step;
                const bool second = bipolar ? (cur < prev) != (middle < y) : cur < prev;
                put(x, y, entry(second, static_cast<float>(k) / static_cast<float>(d + 1) * 255.0f));
            }
        }
        if (holds) {
            const int32_t span = std::abs(next - cur);
            const int32_t step = next >= cur ? 1 : -1;
            const float fall = 1.0f / static_cast<float>(span + 1);
            float t = 1.0f;
            for (int32_t i = 0; i <= span; ++i, t -= fall) {
                const int32_t y = cur + i * step;
                const bool second = bipolar ? (next < cur) != (y < middle) : cur <= next;
                put(x, y, entry(second, t * 255.0f));
            }
        } else {
            put(x, cur, lineColor.pixel());
        }

        if (std::abs(cur - prev) < 2) {
            const float f = here.exact - static_cast<float>(cur);
            if (cur - 1 <= next) put(x, cur - 1, entry(bipolar && middle < cur - 1, 255.0f - f * 255.0f));
            if (next <= cur + 1) put(x, cur + 1, entry(bipolar ? cur + 1 < middle : true, f * 255.0f));
        }
    }
    if (bipolar)
        for (int32_t x = 0; x < w; ++x) put(x, middle, lineColor.pixel());
}

}  // namespace VSTGUI
