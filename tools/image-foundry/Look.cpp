#include "image-foundry/Look.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace foundry {
namespace {

constexpr double kPi = 3.14159265358979323846;
// The knob's arc: 270 degrees from 7:30 to 4:30 o'clock (cairo angles run
// clockwise from 3 o'clock).
constexpr double kArcStart = 0.75 * kPi;
constexpr double kArcSweep = 1.5 * kPi;

}  // namespace

void setColour(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

Rgb lighter(Rgb c, double amount) {
    return {c.r + (1 - c.r) * amount, c.g + (1 - c.g) * amount, c.b + (1 - c.b) * amount};
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
    radius = std::min({radius, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -kPi / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, kPi / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, kPi / 2, kPi);
    cairo_arc(cr, x + radius, y + radius, radius, kPi, 1.5 * kPi);
    cairo_close_path(cr);
}

double fittedSize(cairo_t* cr, const std::string& s, double width, double size) {
    cairo_save(cr);
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    cairo_restore(cr);
    return e.width > width && e.width > 0 ? size * width / e.width : size;
}

void text(cairo_t* cr, const std::string& s, double x, double y, double w, double h, double size, Rgb colour,
          Align align, bool bold) {
    if (s.empty()) return;
    cairo_save(cr);
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    double tx = x - e.x_bearing;
    if (align == Align::centre) tx = x + (w - e.width) / 2 - e.x_bearing;
    if (align == Align::right) tx = x + w - e.width - e.x_bearing;
    const double ty = y + (h + size * 0.72) / 2;  // cap height centred
    setColour(cr, colour);
    cairo_move_to(cr, std::round(tx), std::round(ty));
    cairo_show_text(cr, s.c_str());
    cairo_restore(cr);
}

void knob(cairo_t* cr, double w, double h, double value) {
    const double cx = w / 2, cy = h / 2;
    const double r = std::min(w, h) / 2 - 0.5;
    const double track = std::max(1.5, r * 0.14);
    // Track and value arc around a dark disc with a soft rim.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, track);
    setColour(cr, palette::off);
    cairo_arc(cr, cx, cy, r - track / 2, kArcStart, kArcStart + kArcSweep);
    cairo_stroke(cr);
    const double angle = kArcStart + kArcSweep * value;
    if (value > 0) {
        setColour(cr, palette::accent);
        cairo_arc(cr, cx, cy, r - track / 2, kArcStart, angle);
        cairo_stroke(cr);
    }
    const double disc = r - track - std::max(1.0, r * 0.08);
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, cy - disc, 0, cy + disc);
    cairo_pattern_add_color_stop_rgb(shade, 0, 0.27, 0.29, 0.32);
    cairo_pattern_add_color_stop_rgb(shade, 1, 0.11, 0.12, 0.14);
    cairo_set_source(cr, shade);
    cairo_arc(cr, cx, cy, disc, 0, 2 * kPi);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(shade);
    cairo_set_line_width(cr, 1);
    setColour(cr, hex(0x0C0D0F), 0.8);
    cairo_stroke(cr);
    // The pointer, from near the centre to the rim of the disc.
    cairo_set_line_width(cr, std::max(1.5, r * 0.12));
    setColour(cr, lighter(palette::accent, 0.2));
    cairo_move_to(cr, cx + std::cos(angle) * disc * 0.3, cy + std::sin(angle) * disc * 0.3);
    cairo_line_to(cr, cx + std::cos(angle) * disc * 0.95, cy + std::sin(angle) * disc * 0.95);
    cairo_stroke(cr);
}

void horizontalSlider(cairo_t* cr, double w, double h, double value) {
    const double slotH = std::max(3.0, h * 0.3);
    const double y = (h - slotH) / 2;
    setColour(cr, palette::well);
    roundedRect(cr, 1, y, w - 2, slotH, slotH / 2);
    cairo_fill(cr);
    const double capW = std::max(5.0, h * 0.45);
    const double x = 1 + (w - 2 - capW) * value;
    setColour(cr, palette::accent, 0.85);
    roundedRect(cr, 1, y, x + capW / 2, slotH, slotH / 2);
    cairo_fill(cr);
    setColour(cr, hex(0xB9BEC6));
    roundedRect(cr, x, 1, capW, h - 2, 2);
    cairo_fill(cr);
    if (h >= 15) {  // a grip line; on the smallest caps it would read as a glyph
        setColour(cr, palette::panel);
        cairo_rectangle(cr, x + capW / 2 - 0.5, 3, 1, h - 6);
        cairo_fill(cr);
    }
}

void fader(cairo_t* cr, double w, double h, double value) {
    const double slotW = 4;
    const double capH = 11;
    const double x = (w - slotW) / 2;
    setColour(cr, palette::well);
    roundedRect(cr, x, 3, slotW, h - 6, 2);
    cairo_fill(cr);
    for (int i = 0; i <= 8; ++i) {  // scale marks
        const double my = 3 + capH / 2 + (h - 6 - capH) * i / 8.0;
        setColour(cr, palette::off);
        cairo_rectangle(cr, 2, std::round(my), 3, 1);
        cairo_rectangle(cr, w - 5, std::round(my), 3, 1);
        cairo_fill(cr);
    }
    const double top = 3 + (h - 6 - capH) * (1 - value);
    setColour(cr, palette::accent, 0.8);
    cairo_rectangle(cr, x + 1, top + capH / 2, slotW - 2, h - 3 - (top + capH / 2));
    cairo_fill(cr);
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, top, 0, top + capH);
    cairo_pattern_add_color_stop_rgb(shade, 0, 0.78, 0.80, 0.83);
    cairo_pattern_add_color_stop_rgb(shade, 1, 0.45, 0.47, 0.51);
    cairo_set_source(cr, shade);
    roundedRect(cr, 3, top, w - 6, capH, 2);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);
    setColour(cr, palette::panel);
    cairo_rectangle(cr, 4, std::round(top + capH / 2), w - 8, 1);
    cairo_fill(cr);
}

void segments(cairo_t* cr, double w, double h, int count, int active, const char* const* names) {
    setColour(cr, palette::well);
    roundedRect(cr, 0, 0, w, h, 2);
    cairo_fill(cr);
    const double cell = (w - 1) / count;
    for (int i = 0; i < count; ++i) {
        const double x = 1 + i * cell;
        setColour(cr, i == active ? palette::accent : palette::off, i == active ? 1.0 : 0.7);
        roundedRect(cr, x, 1, cell - 1, h - 2, 1.5);
        cairo_fill(cr);
        if (names && names[i])
            text(cr, names[i], x, 0, cell - 1, h, fittedSize(cr, names[i], cell - 1 - 2 * kCaptionMargin, std::min(9.0, h - 4)),
                 i == active ? palette::panel : palette::title);
    }
}

void arrow(cairo_t* cr, double x, double y, double w, double h, Symbol direction, Rgb colour) {
    const double s = std::min(w, h) * 0.5;
    const double cx = x + w / 2, cy = y + h / 2;
    setColour(cr, colour);
    switch (direction) {
        case Symbol::left:
            cairo_move_to(cr, cx - s / 2, cy);
            cairo_line_to(cr, cx + s / 2, cy - s * 0.7);
            cairo_line_to(cr, cx + s / 2, cy + s * 0.7);
            break;
        case Symbol::right:
            cairo_move_to(cr, cx + s / 2, cy);
            cairo_line_to(cr, cx - s / 2, cy - s * 0.7);
            cairo_line_to(cr, cx - s / 2, cy + s * 0.7);
            break;
        case Symbol::up:
            cairo_move_to(cr, cx, cy - s / 2);
            cairo_line_to(cr, cx - s * 0.7, cy + s / 2);
            cairo_line_to(cr, cx + s * 0.7, cy + s / 2);
            break;
        default:
            cairo_move_to(cr, cx, cy + s / 2);
            cairo_line_to(cr, cx - s * 0.7, cy - s / 2);
            cairo_line_to(cr, cx + s * 0.7, cy - s / 2);
            break;
    }
    cairo_close_path(cr);
    cairo_fill(cr);
}

namespace {

void drawSymbol(cairo_t* cr, double w, double h, Symbol symbol, Rgb ink) {
    switch (symbol) {
        case Symbol::left:
        case Symbol::right:
        case Symbol::up:
        case Symbol::down:
            arrow(cr, 0, 0, w, h, symbol, ink);
            break;
        case Symbol::menu:
            arrow(cr, 0, 1, w, h - 2, Symbol::down, ink);
            break;
        case Symbol::power: {
            const double r = std::min(w, h) * 0.26;
            setColour(cr, ink);
            cairo_set_line_width(cr, 1.5);
            cairo_arc(cr, w / 2, h / 2 + 0.5, r, -kPi / 2 + 0.7, 1.5 * kPi - 0.7);
            cairo_stroke(cr);
            cairo_move_to(cr, w / 2, h / 2 - r - 1);
            cairo_line_to(cr, w / 2, h / 2);
            cairo_stroke(cr);
            break;
        }
        case Symbol::led:
            setColour(cr, ink);
            cairo_arc(cr, w / 2, h / 2, std::min(w, h) * 0.22, 0, 2 * kPi);
            cairo_fill(cr);
            break;
        case Symbol::restart:
            setColour(cr, ink);
            cairo_set_line_width(cr, 1.5);
            cairo_arc(cr, w / 2, h / 2, std::min(w, h) * 0.27, 0, 1.5 * kPi);
            cairo_stroke(cr);
            arrow(cr, w / 2 - 1, h / 2 - std::min(w, h) * 0.27 - 3, 6, 6, Symbol::right, ink);
            break;
        case Symbol::copy:  // two sheets, one over the other
            setColour(cr, ink);
            cairo_set_line_width(cr, 1);
            cairo_rectangle(cr, 2.5, 2.5, w - 7, h - 7);
            cairo_stroke(cr);
            cairo_rectangle(cr, 4.5, 4.5, w - 7, h - 7);
            cairo_fill(cr);
            break;
        case Symbol::paste:  // a sheet with a downward arrow into it
            setColour(cr, ink);
            cairo_set_line_width(cr, 1);
            cairo_rectangle(cr, 2.5, h / 2 - 0.5, w - 5, h / 2 - 2);
            cairo_stroke(cr);
            arrow(cr, w / 2 - 3, 1, 6, 6, Symbol::down, ink);
            break;
        case Symbol::random:  // a die's five
            setColour(cr, ink);
            for (auto [dx, dy] : {std::pair{0.3, 0.3}, {0.7, 0.3}, {0.5, 0.5}, {0.3, 0.7}, {0.7, 0.7}}) {
                cairo_arc(cr, w * dx, h * dy, 1.1, 0, 2 * kPi);
                cairo_fill(cr);
            }
            break;
        case Symbol::clear:  // back to the start: a bar
            setColour(cr, ink);
            cairo_rectangle(cr, 3, h / 2 - 1, w - 6, 2);
            cairo_fill(cr);
            break;
        case Symbol::none:
            break;
    }
}

}  // namespace

void button(cairo_t* cr, double w, double h, bool on, bool hover, Symbol symbol, const std::string& caption) {
    Rgb fill = on ? palette::accent : palette::section;
    Rgb edge = on ? lighter(palette::accent, 0.15) : palette::off;
    if (hover) {
        fill = lighter(fill, 0.1);
        edge = lighter(edge, 0.1);
    }
    const double radius = std::min({3.0, w / 4, h / 4});
    setColour(cr, fill);
    roundedRect(cr, 0.5, 0.5, w - 1, h - 1, radius);
    cairo_fill_preserve(cr);
    setColour(cr, edge);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    const Rgb ink = on ? palette::panel : palette::title;
    drawSymbol(cr, w, h, symbol, ink);
    if (!caption.empty()) text(cr, caption, 0, 0, w, h, std::min(10.0, h - 5), ink, Align::centre, true);
}

void plate(cairo_t* cr, double x, double y, double w, double h) {
    // Sunken: dark inside, a lighter lip along the bottom edge.
    setColour(cr, lighter(palette::separator, 0.08));
    roundedRect(cr, x - 1, y - 1, w + 2, h + 2, 2.5);
    cairo_fill(cr);
    setColour(cr, palette::well);
    roundedRect(cr, x - 1, y - 1, w + 2, h + 1, 2.5);
    cairo_fill(cr);
}

void sectionBox(cairo_t* cr, double x, double y, double w, double h, const std::string& title) {
    setColour(cr, palette::section);
    roundedRect(cr, x + 1, y + 1, w - 2, h - 2, 4);
    cairo_fill_preserve(cr);
    setColour(cr, palette::separator);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (!title.empty()) text(cr, title, x + 8, y + 2, w - 16, 12, 10, palette::title, Align::left, true);
}

}  // namespace foundry
