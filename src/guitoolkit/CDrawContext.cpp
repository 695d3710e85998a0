#include "guitoolkit/CDrawContext.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "guitoolkit/AnsiText.h"
#include "guitoolkit/CFontDesc.h"
#include "guitoolkit/CFrame.h"

namespace VSTGUI {

namespace {

constexpr CRect kClipWithoutFrame(0, 0, 1000, 1000);

bool isImage(cairo_surface_t* surface) {
    return surface && cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE &&
           cairo_image_surface_get_data(surface) != nullptr;
}

}  // namespace

CDrawContext::CDrawContext(CFrame* frame, cairo_surface_t* target, void* window) : window(window), frame(frame) {
    clipRect = frame ? frame->getViewSize() : kClipWithoutFrame;
    font = standardFonts()[0];
    font->remember();
    if (target) attachSurface(target);
}

CDrawContext::~CDrawContext() {
    if (font) font->forget();
    if (cr) cairo_destroy(cr);
    if (surface) cairo_surface_destroy(surface);
}

void CDrawContext::attachSurface(cairo_surface_t* target) {
    surface = cairo_surface_reference(target);
    cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    applyClip();
}

// --- state ------------------------------------------------------------------------

void CDrawContext::setFrameColor(const CColor& color) { frameColor = color; }
void CDrawContext::setFillColor(const CColor& color) { fillColor = color; }

void CDrawContext::setFontColor(const CColor& color) {
    if (!fontColorFixed) fontColor = color;
}

void CDrawContext::setLineWidth(int32_t width) { lineWidth = std::max(1, width); }
void CDrawContext::setLineStyle(int32_t style) { lineStyle = style == kLineOnOffDash ? kLineOnOffDash : kLineSolid; }

void CDrawContext::setFont(CFontDesc* newFont, int32_t size, int32_t style) {
    if (!newFont) return;
    CFontDesc* chosen = nullptr;
    if ((size >= 1 && size != newFont->getSize()) || (style != -1 && style != newFont->getStyle())) {
        chosen = new CFontDesc(newFont->getName(), size >= 1 ? size : newFont->getSize(),
                               style != -1 ? style : newFont->getStyle());
    } else {
        chosen = newFont;
        chosen->remember();
    }
    if (font) font->forget();
    font = chosen;
}

void CDrawContext::setClipRect(const CRect& rect) {
    CRect device = rect;
    device.offset(drawOffset.x, drawOffset.y);
    if (device == clipRect) return;
    clipRect = device;
    applyClip();
}

CRect& CDrawContext::getClipRect(CRect& rect) const {
    rect = clipRect;
    rect.offset(-drawOffset.x, -drawOffset.y);
    return rect;
}

void CDrawContext::resetClipRect() {
    clipRect = frame ? frame->getViewSize() : kClipWithoutFrame;
    applyClip();
}

void CDrawContext::applyClip() {
    if (!cr) return;
    cairo_reset_clip(cr);
    const int32_t w = std::max(0, clipRect.width());
    const int32_t h = std::max(0, clipRect.height());
    cairo_rectangle(cr, clipRect.left, clipRect.top, w, h);
    cairo_clip(cr);
}

void CDrawContext::setSourceColor(const CColor& color) {
    cairo_set_source_rgb(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0);
}

// --- lines and shapes ---------------------------------------------------------------

void CDrawContext::moveTo(const CPoint& point) {
    penPosition = CPoint(point.x + drawOffset.x, point.y + drawOffset.y);
}

CPoint CDrawContext::getPenPosition() const {
    return CPoint(penPosition.x - drawOffset.x, penPosition.y - drawOffset.y);
}

void CDrawContext::lineTo(const CPoint& point) {
    const CPoint to(point.x + drawOffset.x, point.y + drawOffset.y);
    deviceLine(penPosition, to);
    penPosition = to;
}

void CDrawContext::deviceLine(CPoint from, CPoint to) {
    if (!cr) return;
    if (lineWidth == 1 && isImage(surface)) {
        plotPixelLine(from, to);
        return;
    }
    cairo_save(cr);
    setSourceColor(frameColor);
    cairo_set_line_width(cr, lineWidth);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    if (lineStyle == kLineOnOffDash) {
        const double dash = lineWidth;
        cairo_set_dash(cr, &dash, 1, 0);
    }
    cairo_move_to(cr, from.x + 0.5, from.y + 0.5);
    cairo_line_to(cr, to.x + 0.5, to.y + 0.5);
    cairo_stroke(cr);
    cairo_restore(cr);
}

// Bresenham steps from the start point towards the end point, which is left
// out, so that a closed outline draws each corner once.
void CDrawContext::plotPixelLine(CPoint from, CPoint to) {
    cairo_surface_flush(surface);
    auto* data = cairo_image_surface_get_data(surface);
    const int32_t stride = cairo_image_surface_get_stride(surface);
    CRect bounds(0, 0, cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface));
    bounds.bound(clipRect);
    const uint32_t pixel = frameColor.opaquePixel();

    const int64_t dx = std::llabs(int64_t{to.x} - from.x);
    const int64_t dy = -std::llabs(int64_t{to.y} - from.y);
    const int32_t sx = from.x < to.x ? 1 : -1;
    const int32_t sy = from.y < to.y ? 1 : -1;
    int64_t error = dx + dy;
    int64_t x = from.x, y = from.y;
    bool on = true;
    while (x != to.x || y != to.y) {
        if (on && x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom)
            reinterpret_cast<uint32_t*>(data + y * stride)[x] = pixel;
        if (lineStyle == kLineOnOffDash) on = !on;
        const int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
    cairo_surface_mark_dirty(surface);
}

void CDrawContext::drawRect(const CRect& rect, int32_t style) {
    if (!cr) return;
    CRect r = rect;
    r.offset(drawOffset.x, drawOffset.y);
    if (style == kDrawFilled || style == kDrawFilledAndFramed) {
        if (!r.isEmpty()) {
            setSourceColor(fillColor);
            cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
            cairo_fill(cr);
        }
    }
    if (style == kDrawStroked || style == kDrawFilledAndFramed) {
        const CPoint corners[5] = {{r.left, r.top},
                                   {r.right - 1, r.top},
                                   {r.right - 1, r.bottom - 1},
                                   {r.left, r.bottom - 1},
                                   {r.left, r.top}};
        for (int i = 0; i < 4; ++i) deviceLine(corners[i], corners[i + 1]);
    }
}

void CDrawContext::drawArc(const CRect& rect, float startAngle, float endAngle, int32_t style) {
    if (!cr) return;
    CRect r = rect;
    r.offset(drawOffset.x, drawOffset.y);
    // The ellipse of the box whose right and bottom are one larger (the
    // rectangle's right and bottom pixels included), where the interface's
    // round art expects its arcs; cairo approximates its pixels.
    const double rx = (r.width() + 1) / 2.0;
    const double ry = (r.height() + 1) / 2.0;
    if (rx <= 0 || ry <= 0) return;
    const double cx = r.left + rx;
    const double cy = r.top + ry;
    const double toRadians = std::numbers::pi / 180.0;
    // Angle 0 is the top; positive angles turn counter-clockwise on screen,
    // which in cairo's downward y is the negative direction.
    const double a0 = -(startAngle + 90.0) * toRadians;
    double a1 = -(endAngle + 90.0) * toRadians;
    while (a1 >= a0) a1 -= 2 * std::numbers::pi;

    auto ellipsePath = [&](bool pie) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        if (pie) cairo_move_to(cr, 0, 0);
        cairo_arc_negative(cr, 0, 0, 1.0, a0, a1);
        if (pie) cairo_close_path(cr);
        cairo_restore(cr);
    };
    if (style == kDrawFilled || style == kDrawFilledAndFramed) {
        setSourceColor(fillColor);
        ellipsePath(true);
        cairo_fill(cr);
    }
    if (style == kDrawStroked || style == kDrawFilledAndFramed) {
        setSourceColor(frameColor);
        cairo_set_line_width(cr, lineWidth);
        ellipsePath(false);
        cairo_stroke(cr);
    }
}

// --- text -------------------------------------------------------------------------------

bool CDrawContext::selectFont() {
    if (!cr || !font) return false;
    const SystemFont* made = font->getFont();
    if (!made || !made->face) return false;
    cairo_set_font_face(cr, made->face);
    cairo_set_font_size(cr, font->getSize());
    return true;
}

double CDrawContext::measure(const char* text, size_t length) {
    if (!selectFont() || length == 0) return 0.0;
    const std::string utf8 = ansiToUtf8(std::string_view(text, length), font->getFont()->symbolCharset);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, utf8.c_str(), &extents);
    return std::round(extents.x_advance) + std::trunc(characterSpacing) * static_cast<double>(length);
}

int32_t CDrawContext::getStringWidth(const char* text) {
    if (!text) return 0;
    return static_cast<int32_t>(measure(text, std::strlen(text)));
}

int32_t CDrawContext::getFontHeight() {
    if (!selectFont()) return 0;
    cairo_font_extents_t extents;
    cairo_font_extents(cr, &extents);
    return static_cast<int32_t>(std::round(extents.ascent) + std::round(extents.descent));
}

void CDrawContext::drawTextLine(const char* text, size_t length, double x, double baseline, bool opaque,
                                int32_t lineHeight) {
    const SystemFont* made = font->getFont();
    const std::string utf8 = ansiToUtf8(std::string_view(text, length), made->symbolCharset);
    cairo_scaled_font_t* scaled = cairo_get_scaled_font(cr);
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    if (cairo_scaled_font_text_to_glyphs(scaled, x, baseline, utf8.c_str(), static_cast<int>(utf8.size()), &glyphs,
                                         &count, nullptr, nullptr, nullptr) != CAIRO_STATUS_SUCCESS)
        return;
    const double spacing = std::trunc(characterSpacing);
    for (int i = 0; i < count; ++i) glyphs[i].x += spacing * i;
    const double width = measure(text, length);
    cairo_font_extents_t extents;
    cairo_font_extents(cr, &extents);
    if (opaque) {
        setSourceColor(fillColor);
        cairo_rectangle(cr, std::floor(x), std::round(baseline - std::round(extents.ascent)), width, lineHeight);
        cairo_fill(cr);
    }
    setSourceColor(fontColor);
    cairo_show_glyphs(cr, glyphs, count);
    if (made->underline) {
        cairo_rectangle(cr, std::floor(x), baseline + 1, width, 1);
        cairo_fill(cr);
    }
    cairo_glyph_free(glyphs);
}

void CDrawContext::drawString(const char* text, const CRect& rect, bool opaque, int32_t alignment) {
    if (!text || !*text || !selectFont()) return;
    CRect r = rect;
    r.offset(drawOffset.x, drawOffset.y);
    const int32_t style = font->getStyle();
    const size_t length = std::strlen(text);
    cairo_font_extents_t extents;
    cairo_font_extents(cr, &extents);
    const double ascent = std::round(extents.ascent);
    const int32_t lineHeight = getFontHeight();
    const double width = measure(text, length);

    cairo_save(cr);
    if (style & (kRotateUpFace | kRotateDownFace)) {
        // Rotated text is placed in the rectangle's top-left corner, running
        // up from the end of its measured length (or down from the top).
        const double along = width + lineHeight + characterSpacing * static_cast<double>(length - 1);
        if (style & kRotateUpFace) {
            cairo_translate(cr, r.left + ascent, r.top + along);
            cairo_rotate(cr, -std::numbers::pi / 2);
        } else {
            cairo_translate(cr, r.left + lineHeight - ascent, r.top);
            cairo_rotate(cr, std::numbers::pi / 2);
        }
        drawTextLine(text, length, 0, 0, opaque, lineHeight);
        cairo_restore(cr);
        return;
    }

    cairo_rectangle(cr, r.left, r.top, std::max(0, r.width()), std::max(0, r.height()));
    cairo_clip(cr);
    auto lineX = [&](double lineWidth) {
        if (alignment == kCenterText) return r.left + std::floor((r.width() - lineWidth) / 2);
        if (alignment == kRightText) return r.right - lineWidth;
        return r.left + 1.0;
    };
    if (style & kWordWrapFace) {
        // Words go on while they fit; a word wider than the line stands alone.
        double baseline = r.top + ascent;
        size_t start = 0;
        while (start < length) {
            size_t end = start, fit = start;
            while (end < length) {
                size_t next = end;
                while (next < length && text[next] == ' ') ++next;
                while (next < length && text[next] != ' ' && text[next] != '\n') ++next;
                if (fit != start && measure(text + start, next - start) > r.width()) break;
                fit = end = next;
                if (end < length && text[end] == '\n') break;
            }
            drawTextLine(text + start, fit - start, lineX(measure(text + start, fit - start)), baseline, opaque,
                         lineHeight);
            baseline += lineHeight;
            start = fit;
            while (start < length && (text[start] == ' ' || text[start] == '\n')) ++start;
        }
    } else {
        const double top = r.top + std::floor((r.height() - lineHeight) / 2.0);
        drawTextLine(text, length, lineX(width), top + ascent, opaque, lineHeight);
    }
    cairo_restore(cr);
}

// --- pixels -------------------------------------------------------------------------------

void CDrawContext::copyPixelsFrom(CDrawContext& source, const CRect& rect, const CPoint& sourcePoint) {
    if (!cr || !source.surface || rect.isEmpty()) return;
    CRect r = rect;
    r.offset(drawOffset.x, drawOffset.y);
    const int32_t sx = sourcePoint.x + source.drawOffset.x;
    const int32_t sy = sourcePoint.y + source.drawOffset.y;
    cairo_surface_flush(source.surface);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, source.surface, r.left - sx, r.top - sy);
    cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace VSTGUI
