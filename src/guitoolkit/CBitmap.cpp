#include "guitoolkit/CBitmap.h"

#include <cairo.h>

#include <algorithm>

#include "guitoolkit/CDrawContext.h"
#include "guitoolkit/DibDecoder.h"
#include "guitoolkit/PngDecoder.h"
#include "platform/ReadableFile.h"
#include "platform/ResourceTable.h"

namespace VSTGUI {
namespace {

// Far beyond any picture of the interface; a larger file is not one of ours.
constexpr uint64_t kLargestImageFile = uint64_t(256) << 20;

std::vector<uint8_t> readFile(const std::string& name) {
    std::string bytes;
    if (!platform::readRegularFile(name, kLargestImageFile, bytes)) return {};
    return {bytes.begin(), bytes.end()};
}

}  // namespace

CBitmap::CBitmap(const CResourceDescription& desc, int32_t deferred, const CColor* colour) : description(desc) {
    if (deferred != 0 && !colour) return;
    loadFromResource(description);
    if (colour) colorize(*colour);
}

CBitmap::CBitmap(int32_t w, int32_t h)
    : pixels(static_cast<size_t>(std::max(0, w)) * static_cast<size_t>(std::max(0, h)), 0xFF000000u),
      width(std::max(0, w)),
      height(std::max(0, h)),
      handle(true) {}

CBitmap::~CBitmap() { dropSurface(); }

void CBitmap::dropSurface() {
    if (surface) cairo_surface_destroy(surface);
    if (keyedSurface) cairo_surface_destroy(keyedSurface);
    surface = keyedSurface = nullptr;
    keyedPixels.clear();
}

void CBitmap::dispose() {
    dropSurface();
    pixels.clear();
    pixels.shrink_to_fit();
    handle = false;
}

void CBitmap::unload() {
    dispose();
    width = height = 0;
}

void CBitmap::take(DecodedImage&& image, bool alpha) {
    pixels = std::move(image.pixels);
    width = image.width;
    height = image.height;
    noAlpha = !alpha;
    handle = true;
}

bool CBitmap::loadFromResource(const CResourceDescription& desc) {
    dispose();
    width = height = 0;
    description = desc;
    const platform::ResourceTable& resources = platform::moduleResources();
    const bool byNumber = desc.type == CResourceDescription::kIntegerType;
    std::vector<uint8_t> file;
    std::span<const uint8_t> png;
    if (byNumber)
        png = resources.find(platform::ResourceType::png, desc.id);
    else if (desc.type == CResourceDescription::kStringType && !desc.name.empty())
        png = file = readFile(desc.name);
    DecodedImage image;
    if (!png.empty()) {
        if (!decodePng(png.data(), png.size(), image)) return false;
        take(std::move(image), true);
        return true;
    }
    if (!byNumber) return false;  // the module has no named bitmap resources
    const std::span<const uint8_t> dib = resources.find(platform::ResourceType::bitmap, desc.id);
    if (dib.empty() || !decodeDib(dib.data(), dib.size(), image)) return false;
    take(std::move(image), false);
    return true;
}

bool CBitmap::isLoaded() {
    if (!handle) loadFromResource(description);
    return handle;
}

void CBitmap::colorize(const CColor& colour) {
    if (!isLoaded()) return;
    for (uint32_t& p : pixels) {
        if (p >> 24 != 0) p = premultipliedPixel(p >> 24, colour.red, colour.green, colour.blue);
    }
    dropSurface();
}

void CBitmap::setPixelsHaveAlpha(bool alpha) {
    noAlpha = !alpha;
    dropSurface();
}

cairo_surface_t* CBitmap::imageSurface() {
    if (!surface && width > 0 && height > 0 && handle) {
        // Without per-pixel alpha the fourth byte is ignored, whatever it
        // holds: such a bitmap always draws opaque.
        surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                      noAlpha ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, width,
                                                      height, width * 4);
    }
    if (surface) cairo_surface_mark_dirty(surface);
    return surface;
}

// A copy in which the transparent colour's pixels are fully transparent and
// all others opaque; kept until the pixels or the colour change, since meters
// and keyed strips are drawn this way at every refresh.
cairo_surface_t* CBitmap::keyedImage() {
    const uint32_t key = transparentColor.opaquePixel() & 0x00FFFFFFu;
    if (keyedSurface && key == keyedColour) return keyedSurface;
    if (keyedSurface) cairo_surface_destroy(keyedSurface);
    keyedSurface = nullptr;
    if (width <= 0 || height <= 0 || !handle) return nullptr;
    keyedPixels.resize(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i)
        keyedPixels[i] = (pixels[i] & 0x00FFFFFFu) == key ? 0u : (pixels[i] | 0xFF000000u);
    keyedColour = key;
    keyedSurface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(keyedPixels.data()),
                                                       CAIRO_FORMAT_ARGB32, width, height, width * 4);
    return keyedSurface;
}

void CBitmap::drawWith(CDrawContext* context, const CRect& rect, const CPoint& offset, bool replace, double alpha,
                       bool keyed) {
    if (!context || rect.isEmpty() || !context->getCairo()) return;
    cairo_surface_t* source = keyed ? keyedImage() : imageSurface();
    if (!source) return;
    cairo_t* cr = context->getCairo();
    CRect r = rect;
    r.offset(context->getOffset().x, context->getOffset().y);
    // Only the part of the rectangle that the image covers is drawn: beyond
    // the image's edge cairo's source operator would clear the destination.
    const CPoint origin(r.left - offset.x, r.top - offset.y);
    r.bound(CRect(origin, CPoint(width, height)));
    if (r.isEmpty()) return;
    cairo_save(cr);
    cairo_set_operator(cr, replace ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
    cairo_set_source_surface(cr, source, origin.x, origin.y);
    cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
    cairo_clip(cr);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset) {
    if (rect.isEmpty() || !isLoaded()) return;
    if (noAlpha)
        drawWith(context, rect, offset, true, 1.0);
    else
        drawAlphaBlend(context, rect, offset, 255);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset) {
    if (rect.isEmpty() || !isLoaded()) return;
    if (!noAlpha) {
        drawAlphaBlend(context, rect, offset, 255);
        return;
    }
    drawWith(context, rect, offset, false, 1.0, true);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, uint8_t alpha) {
    if (offset.x < 0 || offset.y < 0 || rect.isEmpty() || !isLoaded()) return;
    drawWith(context, rect, offset, false, alpha / 255.0);
}

}  // namespace VSTGUI
