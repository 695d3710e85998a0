#include "guitoolkit/BWRawBlit.h"

#include <cairo.h>

#include <algorithm>

#include "guitoolkit/CDrawContext.h"

namespace VSTGUI {

BWRawBlit::~BWRawBlit() {
    if (section) cairo_surface_destroy(section);
}

void BWRawBlit::setSize(int32_t w, int32_t h) {
    w = std::max(0, w);
    h = std::max(0, h);
    if (w == width && h == height) return;
    if (section) cairo_surface_destroy(section);
    section = nullptr;
    width = w;
    height = h;
    count = w * h;
    pixels.assign(static_cast<size_t>(count), 0u);
}

uint32_t BWRawBlit::getPixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
}

void BWRawBlit::blitTo(CDrawContext* context, const CRect& rect, const CPoint& sourcePoint) {
    if (!context || !context->getCairo() || count == 0 || rect.isEmpty()) return;
    if (!section)
        section = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                      CAIRO_FORMAT_ARGB32, width, height, width * 4);
    cairo_surface_mark_dirty(section);
    cairo_t* cr = context->getCairo();
    CRect r = rect;
    r.offset(context->getOffset().x, context->getOffset().y);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, section, r.left - sourcePoint.x, r.top - sourcePoint.y);
    cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace VSTGUI
