#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "guitoolkit/PictureFontWidths.h"
#include "image-foundry/Catalogue.h"
#include "image-foundry/Look.h"

namespace foundry {

namespace {

// The ink of each font: light text for list rows, the highlight yellow for
// hover and title rows, the accent for values.
Rgb colourOf(int font) {
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

// The outline's ink box of one character at the face and size set on cr:
// exact, where the text extents of a hinted glyph are not.
struct Ink {
    double left, width;
};
Ink inkOf(cairo_t* cr, const std::string& s) {
    cairo_new_path(cr);
    cairo_move_to(cr, 0, 0);
    cairo_text_path(cr, s.c_str());
    double x1, y1, x2, y2;
    cairo_fill_extents(cr, &x1, &y1, &x2, &y2);
    cairo_new_path(cr);
    return {x1, x2 - x1};
}

// A single stem ('I') keeps its own width: stretched it would read bold.
constexpr double kStemWidth = 2.0;
// The most a letter is widened to reach across its cell.
constexpr double kMostStretch = 1.7;
constexpr int kBaseline = 9;
constexpr int kCondensedBaseline = 12;

// The condensed face of table B: each glyph centred in its cell less one
// column, squeezed where it is wider.
void drawCondensedGlyph(cairo_t* cr, int code, int width, int glyphHeight) {
    const std::string s(1, static_cast<char>(code));
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, width, glyphHeight);
    cairo_clip(cr);
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 14);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    const double room = width - 1;
    const double scale = e.width > room && e.width > 0 ? room / e.width : 1.0;
    const double left = std::max(0.0, (room - e.width * scale) / 2);
    cairo_translate(cr, std::round(left * 2) / 2, kCondensedBaseline);
    cairo_scale(cr, scale, 1);
    setColour(cr, colourOf(9));
    cairo_move_to(cr, -e.x_bearing, 0);
    cairo_show_text(cr, s.c_str());
    cairo_restore(cr);
}

}  // namespace

void drawGlyph(cairo_t* cr, int font, int code, int glyphHeight) {
    if (code == 127 || code == ' ') return;
    if (font == 9) return drawCondensedGlyph(cr, code, VSTGUI::kPictureFontWidthsB[code - 32], glyphHeight);
    int width = VSTGUI::kPictureFontWidthsA[code - 32];
    if (code == '%' && (font == 1 || font == 4 || font == 7)) width = VSTGUI::kPictureFontPercentWidth;
    // Table A gives the lower-case letters the capitals' widths: it is a
    // small-capitals face, so those cells get a capital drawn smaller rather
    // than a narrow lower-case letter floating in a wide cell.
    const bool smallCapital = code >= 'a' && code <= 'z';
    const std::string s(1, static_cast<char>(smallCapital ? code - 'a' + 'A' : code));
    // The last column of every cell stays blank: it is the spacing between
    // two glyphs.  A letter or digit reaches from the cell's first column to
    // that one, so the blank between two letters is that one column and a
    // word space (table A gives it two) reads as three: the space shows
    // between words however narrow it is.  Other signs keep their shape,
    // centred, and are squeezed only where they are wider than the room.
    const double room = width - 1;
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, room, glyphHeight);
    cairo_clip(cr);
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           font == 2 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, smallCapital ? 9 : 11);
    const Ink ink = inkOf(cr, s);
    double scale = ink.width > room ? room / ink.width : 1.0;
    double left = std::max(0.0, (room - ink.width * scale) / 2);
    if (std::isalnum(static_cast<unsigned char>(code))) {
        left = 0;
        if (ink.width >= kStemWidth) scale = std::min(room / ink.width, kMostStretch);
    }
    cairo_translate(cr, left, kBaseline);  // one baseline for every glyph
    cairo_scale(cr, scale, 1);
    cairo_move_to(cr, -ink.left, 0);
    cairo_text_path(cr, s.c_str());
    setColour(cr, colourOf(font));
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace foundry
