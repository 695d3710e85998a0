#include "guitoolkit/CBitmap.h"

#include <cairo.h>

#include <algorithm>

#include "guitoolkit/CDrawContext.h"

namespace VSTGUI {

CBitmap::CBitmap(int32_t w, int32_t h)
    : pixels(static_cast<size_t>(std::max(0, w)) * static_cast<size_t>(std::max(0, h)), 0xFF000000u),
      width(std::max(0, w)),
      height(std::max(0, h)) {}

CBitmap::~CBitmap() { dispose(); }

void CBitmap::dispose() {
    if (surface) cairo_surface_destroy(surface);
    surface = nullptr;
}

bool CBitmap::loadFromResource(int32_t) { return false; }

void CBitmap::unload() {
    dispose();
    pixels.clear();
    width = height = 0;
}

void CBitmap::setPixelsHaveAlpha(bool alpha) {
    noAlpha = !alpha;
    dispose();
}

cairo_surface_t* CBitmap::imageSurface() {
    if (!surface && width > 0 && height > 0) {
        // Without per-pixel alpha the fourth byte is ignored, as for the
        // original's bitmaps.
        surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                      noAlpha ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, width,
                                                      height, width * 4);
    }
    if (surface) cairo_surface_mark_dirty(surface);
    return surface;
}

void CBitmap::drawWith(CDrawContext* context, const CRect& rect, const CPoint& offset, bool replace, double alpha) {
    if (!context || rect.isEmpty() || !context->getCairo()) return;
    cairo_surface_t* image = imageSurface();
    if (!image) return;
    cairo_t* cr = context->getCairo();
    CRect r = rect;
    r.offset(context->getOffset().x, context->getOffset().y);
    cairo_save(cr);
    cairo_set_operator(cr, replace ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
    cairo_set_source_surface(cr, image, r.left - offset.x, r.top - offset.y);
    cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
    cairo_clip(cr);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset) {
    if (noAlpha)
        drawWith(context, rect, offset, true, 1.0);
    else
        drawAlphaBlend(context, rect, offset, 255);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset) {
    if (!noAlpha) {
        drawAlphaBlend(context, rect, offset, 255);
        return;
    }
    // A colour-keyed copy: the key colour's pixels become fully transparent.
    CBitmap keyed(width, height);
    const uint32_t key = transparentColor.opaquePixel() & 0x00FFFFFFu;
    for (size_t i = 0; i < pixels.size(); ++i)
        keyed.pixels[i] = (pixels[i] & 0x00FFFFFFu) == key ? 0u : (pixels[i] | 0xFF000000u);
    keyed.noAlpha = false;
    keyed.drawWith(context, rect, offset, false, 1.0);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, uint8_t alpha) {
    if (offset.x < 0 || offset.y < 0) return;
    drawWith(context, rect, offset, false, alpha / 255.0);
}

}  // namespace VSTGUI
