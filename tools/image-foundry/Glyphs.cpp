#include <algorithm>
#include <cmath>
#include <string>

#include "guitoolkit/PictureFontWidths.h"
#include "image-foundry/Catalogue.h"
#include "image-foundry/Look.h"

namespace foundry {

namespace {

// The ink of each font: light text for list rows, the highlight yellow for
// hover and title rows, the accent for values.
Rgb inkOf(int font) {
    switch (font) {
        case 1: return palette::highlight;
        case 2: return palette::accent;
        case 4: return palette::title;
        case 7: return palette::accent;  // the value font (its '%' is 8 wide)
        case 8: return palette::title;
        case 9: return hex(0xD8DBDF);
        case 10: return palette::teal;
        default: return hex(0xDDE0E4);
    }
}

}  // namespace

void drawGlyph(cairo_t* cr, int font, int code, int glyphHeight) {
    const bool condensed = font == 9;
    if (code == 127 || code == ' ') return;
    const uint8_t* widths = condensed ? VSTGUI::kPictureFontWidthsB : VSTGUI::kPictureFontWidthsA;
    int width = widths[code - 32];
    if (code == '%' && (font == 1 || font == 4 || font == 7)) width = VSTGUI::kPictureFontPercentWidth;
    // Table A gives the lower-case letters the capitals' widths: it is a
    // small-capitals face, so those cells get a capital drawn smaller rather
    // than a narrow lower-case letter floating in a wide cell.
    const bool smallCapital = !condensed && code >= 'a' && code <= 'z';
    const std::string s(1, static_cast<char>(smallCapital ? code - 'a' + 'A' : code));
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, width, glyphHeight);
    cairo_clip(cr);
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           font == 2 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    const double size = condensed ? 14 : smallCapital ? 9 : 11;
    cairo_set_font_size(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    // The ink centred in the cell less one column of spacing; glyphs wider
    // than that are squeezed so that they stay inside it.
    const double room = width - 1;
    // Small capitals widen a little towards their cell so that the spacing of
    // a word stays even.
    double scale = e.width > room && e.width > 0 ? room / e.width : 1.0;
    if (smallCapital && e.width > 0 && e.width < room) scale = std::min(room / e.width, 1.25);
    const double left = std::max(0.0, (room - e.width * scale) / 2);
    cairo_translate(cr, std::round(left * 2) / 2, condensed ? 12 : 9);  // one baseline for every glyph
    cairo_scale(cr, scale, 1);
    setColour(cr, inkOf(font));
    cairo_move_to(cr, -e.x_bearing, 0);
    cairo_show_text(cr, s.c_str());
    cairo_restore(cr);
}

}  // namespace foundry
