#pragma once
// Renders a value curve pixel by pixel into a 32-bit buffer, for the
// step-table views: one value (0..1) per pixel column, a fill below the curve
// (or towards the middle row for bipolar tables), gradient-shaded slopes from
// two tables of 256 colours (the first for rising, the second for falling
// segments) and a line colour at peaks and valleys.  The owner fills the
// tables and colours.
//
// Rows outside the buffer are clamped to its edges, so values outside 0..1
// (or NaN, drawn as 0) never write outside it.  GUI thread only.

#include <cstdint>
#include <vector>

#include "guitoolkit/BWRawBlit.h"
#include "guitoolkit/CColor.h"
#include "guitoolkit/CRect.h"

namespace VSTGUI {

class CDrawContext;

class BWBufferDraw {
public:
    // The buffer takes the rectangle's size; the value series is remade
    // (zeroed, width + 1 entries) only when the width changes.
    void setSize(const CRect& rect);
    const CRect& getViewRect() const { return viewRect; }

    void setGradient(int32_t table, int32_t index, const CColor& color);
    const CColor& getGradient(int32_t table, int32_t index) const { return gradients[table & 1][index & 255]; }
    void setLineColor(const CColor& color) { lineColor = color; }
    void setBackColor(const CColor& color) { backColor = color; }
    void setFillColor(const CColor& color) { fillColor = color; }

    // Values per column, width + 1 of them.
    float* getValues() { return values.data(); }
    size_t getValueCount() const { return values.size(); }

    void drawCurve(int32_t startColumn = 0);
    void drawBipolar();
    void blitTo(CDrawContext* context, const CRect& rect, const CPoint& sourcePoint = CPoint());

    const BWRawBlit& getBuffer() const { return buffer; }

private:
    struct Row {
        float exact;  // the value's row before truncation (clamped)
        int32_t row;
    };
    Row rowOf(int32_t column) const;
    void put(int32_t x, int32_t y, uint32_t pixel);
    // The table entry at a fraction of 255, truncated.
    uint32_t entry(bool secondTable, float scaled) const;
    void drawColumns(int32_t startColumn, bool bipolar);

    CColor gradients[2][256] = {};
    CColor lineColor = colourWhite;
    CColor backColor = colourBlack;
    CColor fillColor = colourGrey;
    std::vector<float> values;
    CRect viewRect;
    BWRawBlit buffer;
};

}  // namespace VSTGUI
