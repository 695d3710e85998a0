#pragma once
// The one visual design of the interface images: a dark instrument panel, one
// palette, one knob, one fader, one button style with its states, labels in
// Liberation Sans.  Every image is drawn from these, never with colours or
// shapes of its own.

#include <cairo.h>

#include <string>

namespace foundry {

struct Rgb {
    double r, g, b;
};
constexpr Rgb hex(unsigned v) { return {(v >> 16 & 255) / 255.0, (v >> 8 & 255) / 255.0, (v & 255) / 255.0}; }

namespace palette {
inline constexpr Rgb panel = hex(0x1E2024);
inline constexpr Rgb section = hex(0x26292E);
inline constexpr Rgb separator = hex(0x34383F);
inline constexpr Rgb title = hex(0xC9CDD3);
inline constexpr Rgb label = hex(0x8A9099);
inline constexpr Rgb accent = hex(0xF2A541);
inline constexpr Rgb teal = hex(0x4FB3BF);
inline constexpr Rgb off = hex(0x4A4F57);
inline constexpr Rgb well = hex(0x15171A);
inline constexpr Rgb listFill = hex(0x363633);  // the open lists' own fill (54, 54, 51)
inline constexpr Rgb hoverRow = hex(0x3A3D42);
inline constexpr Rgb meterGreen = hex(0x5CC86B);
inline constexpr Rgb meterRed = hex(0xE0504A);
inline constexpr Rgb highlight = hex(0xFFFF00);  // the preset menus' text colour
inline constexpr Rgb key = hex(0xFFFFFF);       // the see-through colour of keyed images
inline constexpr Rgb laneFloor = hex(0x1A1C20);  // under the step lines' cells
inline constexpr Rgb cellLine = hex(0x25282D);   // between steps
inline constexpr Rgb barLine = hex(0x33373E);    // between bars of four steps
inline constexpr Rgb padFill = hex(0x212429);    // the filter type pad
inline constexpr Rgb unlit = hex(0x2A2D31);      // unlit meter segments, black keys
inline constexpr Rgb whiteKey = hex(0x9DA2AA);
}  // namespace palette

void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);
Rgb lighter(Rgb c, double amount);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);

enum class Align { left, centre, right };
// Text whose baseline sits so that it is vertically centred in the box.
void text(cairo_t* cr, const std::string& s, double x, double y, double w, double h, double size, Rgb colour,
          Align align = Align::centre, bool bold = false);
// The size at most `size` at which the text is no wider than `width`, so
// that captions side by side keep a gap.
double fittedSize(cairo_t* cr, const std::string& s, double width, double size);
// The clear space a caption keeps on either side within its cell.
inline constexpr double kCaptionMargin = 1.0;

// A value in 0..1 at each size and shape.
void knob(cairo_t* cr, double w, double h, double value);
void horizontalSlider(cairo_t* cr, double w, double h, double value);
void fader(cairo_t* cr, double w, double h, double value);
// n cells side by side, the active one lit (a stepped selector).
void segments(cairo_t* cr, double w, double h, int count, int active, const char* const* names = nullptr);

enum class Symbol { none, left, right, up, down, menu, power, led, restart, copy, paste, random, clear };
// A button face: off, on (accent), each with a hover form (lighter).
void button(cairo_t* cr, double w, double h, bool on, bool hover, Symbol symbol = Symbol::none,
            const std::string& caption = "");
void arrow(cairo_t* cr, double x, double y, double w, double h, Symbol direction, Rgb colour);

// A sunken plate where a widget sits, with its label above or beside it.
void plate(cairo_t* cr, double x, double y, double w, double h);
void sectionBox(cairo_t* cr, double x, double y, double w, double h, const std::string& title);

}  // namespace foundry
