#pragma once
// A 32-bit pixel buffer, top row first, that is copied unchanged into a draw
// context.  A pixel is alpha, red, green, blue from the top byte down (blue,
// green, red, alpha in memory).  GUI thread only.

#include <cstdint>
#include <vector>

#include "guitoolkit/CRect.h"

typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {

class CDrawContext;

class BWRawBlit {
public:
    BWRawBlit() = default;
    ~BWRawBlit();
    BWRawBlit(const BWRawBlit&) = delete;
    BWRawBlit& operator=(const BWRawBlit&) = delete;

    // Resizes the buffer (pixels zeroed when the size changes).
    void setSize(int32_t width, int32_t height);
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    int32_t getCount() const { return count; }
    uint32_t* getPixels() { return pixels.data(); }
    const uint32_t* getPixels() const { return pixels.data(); }
    uint32_t getPixel(int32_t x, int32_t y) const;

    // Copies the rectangle's size from sourcePoint of the buffer to rect plus
    // the context's drawing offset, bytes unchanged, within the context's clip.
    // The image section is made on first use and kept.
    void blitTo(CDrawContext* context, const CRect& rect, const CPoint& sourcePoint = CPoint());

private:
    std::vector<uint32_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    int32_t count = 0;
    cairo_surface_t* section = nullptr;
};

}  // namespace VSTGUI
