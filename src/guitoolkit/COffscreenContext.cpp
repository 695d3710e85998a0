#include "guitoolkit/COffscreenContext.h"

#include <cairo.h>

#include <cstdlib>

namespace VSTGUI {

COffscreenContext::COffscreenContext(CFrame* frame, int32_t w, int32_t h, const CColor& background)
    : CDrawContext(frame, nullptr),
      width(static_cast<int32_t>(std::labs(w))),
      height(static_cast<int32_t>(std::labs(h))),
      backgroundColor(background) {
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    attachSurface(image);
    cairo_surface_destroy(image);  // the context holds its own reference
    setClipRect(CRect(0, 0, width, height));
    setFillColor(background);
    setFrameColor(background);
    drawRect(CRect(0, 0, width, height), kDrawFilledAndFramed);
}

void COffscreenContext::copyFrom(CDrawContext* destination, const CRect& rect, const CPoint& sourcePoint) {
    if (!destination) return;
    const CPoint saved = getOffset();
    setOffset(CPoint());
    destination->copyPixelsFrom(*this, rect, sourcePoint);
    setOffset(saved);
}

uint32_t COffscreenContext::getPixel(int32_t x, int32_t y) const {
    cairo_surface_t* image = getSurface();
    if (!image || x < 0 || y < 0 || x >= width || y >= height) return 0;
    cairo_surface_flush(image);
    const auto* row = cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
    return reinterpret_cast<const uint32_t*>(row)[x];
}

}  // namespace VSTGUI
