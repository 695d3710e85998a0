#pragma once
// A draw context on a memory image of its own (the back buffer, containers'
// off-screen buffers, widgets' own buffers), filled with its background colour
// when made.  GUI thread only.

#include "guitoolkit/CDrawContext.h"

namespace VSTGUI {

class COffscreenContext : public CDrawContext {
public:
    // Negative sizes count by their magnitude.
    COffscreenContext(CFrame* frame, int32_t width, int32_t height, const CColor& background = colourBlack);

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    const CColor& getBackgroundColor() const { return backgroundColor; }

    // Copies the rectangle's size from the source point of this image to the
    // rectangle (plus the destination's drawing offset), within the
    // destination's clip.
    void copyFrom(CDrawContext* destination, const CRect& rect, const CPoint& sourcePoint = CPoint());

    // The pixel at (x, y) as stored (alpha, red, green, blue from the top
    // byte down); 0 outside the image.
    uint32_t getPixel(int32_t x, int32_t y) const;

private:
    int32_t width;
    int32_t height;
    CColor backgroundColor;
};

}  // namespace VSTGUI
