#include "image-foundry/Catalogue.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "image-foundry/Look.h"

namespace foundry {
namespace {

using Draw = std::function<void(cairo_t*, int)>;

double fraction(int frame, int frames) { return frames > 1 ? double(frame) / (frames - 1) : 0.0; }

Draw knobStrip(int w, int h, int frames) {
    return [=](cairo_t* cr, int f) { knob(cr, w, h, fraction(f, frames)); };
}
Draw sliderStrip(int w, int h, int frames) {
    return [=](cairo_t* cr, int f) { horizontalSlider(cr, w, h, fraction(f, frames)); };
}
Draw faderStrip(int w, int h, int frames) {
    return [=](cairo_t* cr, int f) { fader(cr, w, h, fraction(f, frames)); };
}
Draw selector(int w, int h, int count, std::vector<const char*> names = {}) {
    return [=](cairo_t* cr, int f) { segments(cr, w, h, count, f, names.empty() ? nullptr : names.data()); };
}

// Two-state (or more) buttons: frame 0 off, then on; more states light the
// caption of each state.
Draw toggle(int w, int h, Symbol symbol, std::vector<std::string> captions = {}) {
    return [=](cairo_t* cr, int f) {
        const std::string caption = captions.empty() ? "" : captions[std::min<size_t>(f, captions.size() - 1)];
        button(cr, w, h, f > 0, false, symbol, caption);
    };
}
// Up/down and left/right buttons: frame 0 at rest, later frames pressed.
Draw press(int w, int h, Symbol symbol) {
    return [=](cairo_t* cr, int f) {
        setColour(cr, palette::section);
        cairo_paint(cr);
        arrow(cr, 0, 0, w, h, symbol, f > 0 ? palette::accent : palette::title);
    };
}

Draw menuPicture(int w, int h, std::vector<const char*> names) {
    return [=](cairo_t* cr, int f) {
        setColour(cr, palette::well);
        roundedRect(cr, 0, 0, w, h, 2);
        cairo_fill(cr);
        text(cr, names[f], 1, 0, w - 2, h, std::min(10.0, h - 3.0), palette::accent);
    };
}
Draw numberPicture(int w, int h, std::vector<int> numbers) {
    return [=](cairo_t* cr, int f) {
        setColour(cr, palette::well);
        cairo_paint(cr);
        text(cr, std::to_string(numbers[f]), 0, 0, w, h, 8.5, palette::accent);
    };
}
Draw box(int w, int h) {
    return [=](cairo_t* cr, int) {
        setColour(cr, palette::well);
        cairo_paint(cr);
        setColour(cr, palette::separator);
        cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    };
}

// A step of a table lane: a column as high as the value, accent or teal.
Draw stepCell(int w, int h, int frames, Rgb colour) {
    return [=](cairo_t* cr, int f) {
        setColour(cr, hex(0x242424));
        cairo_paint(cr);
        const double level = double(f + 1) / frames;
        const double top = 1 + (h - 2) * (1 - level);
        setColour(cr, colour, 0.35 + 0.65 * level);
        cairo_rectangle(cr, 2, top, w - 4, h - 1 - top);
        cairo_fill(cr);
        setColour(cr, lighter(colour, 0.3));
        cairo_rectangle(cr, 2, std::floor(top), w - 4, 1);
        cairo_fill(cr);
    };
}
Draw lineCell(int w, int h, int frames) {
    return [=](cairo_t* cr, int f) {
        setColour(cr, hex(0x242424));
        cairo_paint(cr);
        for (int i = 0; i <= f; ++i) {  // value v shows v blocks
            const double bw = (w - 4.0) / frames;
            setColour(cr, palette::teal, 0.5 + 0.5 * (i + 1) / frames);
            roundedRect(cr, 2 + i * bw, 3, bw - 1, h - 6, 1.5);
            cairo_fill(cr);
        }
    };
}

// Meters and gauges: frame f lights f of count segments, bottom up.
Draw meter(int w, int h, int frames, bool keyed) {
    return [=](cairo_t* cr, int f) {
        if (keyed) {
            setColour(cr, palette::key);
            cairo_paint(cr);
        }
        const int count = frames - 1;
        const double seg = (h - 2.0) / count;
        const double x = keyed ? w / 2.0 - 5 : 1;
        const double bw = keyed ? 10 : w - 2;
        for (int i = 0; i < count; ++i) {
            const double y = h - 1 - (i + 1) * seg;
            Rgb c = i >= count - 2 ? palette::meterRed : i >= count - 5 ? palette::accent : palette::meterGreen;
            const bool lit = i < f;
            setColour(cr, lit ? c : hex(0x2A2D31));
            cairo_rectangle(cr, std::round(x), std::round(y), bw, std::max(1.0, std::round(seg) - 1));
            cairo_fill(cr);
        }
    };
}
Draw horizontalGauge(int w, int h, int frames) {
    return [=](cairo_t* cr, int f) {
        setColour(cr, palette::well);
        cairo_paint(cr);
        setColour(cr, palette::accent);
        cairo_rectangle(cr, 1, 2, (w - 2) * fraction(f, frames), h - 4);
        cairo_fill(cr);
    };
}
Draw keyedNumber(int w, int h) {
    return [=](cairo_t* cr, int f) {
        setColour(cr, palette::key);
        cairo_paint(cr);
        text(cr, std::to_string(f), 0, 0, w, h, std::min(13.0, h - 3.0), palette::accent, Align::centre, true);
    };
}
Draw glyphStrip(int font, int glyphHeight) {
    return [=](cairo_t* cr, int f) {
        if (font == 9) {
            setColour(cr, palette::key);
            cairo_paint(cr);
        }
        drawGlyph(cr, font, 32 + f, glyphHeight);
    };
}

void hookPanel(cairo_t* cr, int w, int h, const std::string& title, const std::string& line) {
    setColour(cr, palette::panel);
    cairo_paint(cr);
    sectionBox(cr, 0, 0, w, h, title);
    text(cr, line, 8, 18, w - 16, 14, 9, palette::label, Align::left);
}

std::vector<ImageRecipe> buttonsAndStrips() {
    using S = Storage;
    std::vector<ImageRecipe> r = {
        {1002, 177, 32, 4, S::bitmap,
         [](cairo_t* cr, int f) {  // normal-off, hover-off, normal-on, hover-on
             button(cr, 177, 32, f >= 2, f % 2 == 1, Symbol::none, "");
             text(cr, "ZORVANE", 0, 0, 177, 32, 17, f >= 2 ? palette::panel : palette::title, Align::centre, true);
         }},
        {1004, 45, 15, 2, S::bitmap, toggle(45, 15, Symbol::none, {"ARP", "ARP"})},
        {1007, 41, 15, 2, S::bitmap, toggle(41, 15, Symbol::none, {"DOUBLE", "1/16"})},
        {1008, 13, 13, 2, S::bitmap, toggle(13, 13, Symbol::led)},
        {1009, 17, 9, 5, S::bitmap, press(17, 9, Symbol::down)},
        {1010, 20, 21, 2, S::bitmap, toggle(20, 21, Symbol::led)},
        {1011, 21, 21, 2, S::bitmap, toggle(21, 21, Symbol::power)},
        {1012, 15, 15, 2, S::bitmap, toggle(15, 15, Symbol::led)},
        {1013, 14, 23, 2, S::bitmap, press(14, 23, Symbol::up)},
        {1014, 14, 23, 2, S::bitmap, press(14, 23, Symbol::down)},
        {1015, 17, 9, 5, S::bitmap, press(17, 9, Symbol::up)},
        {1016, 20, 21, 2, S::bitmap, toggle(20, 21, Symbol::led)},
        {1019, 13, 13, 2, S::bitmap, toggle(13, 13, Symbol::led)},
        {1020, 89, 17, 3, S::bitmap, toggle(89, 17, Symbol::none, {"MANUAL", "SEQUENCE", "MIDI"})},
        {1023, 70, 17, 2, S::bitmap, toggle(70, 17, Symbol::none, {"INTERNAL", "HOST"})},
        {1025, 13, 13, 2, S::bitmap, toggle(13, 13, Symbol::led)},
        {1026, 13, 13, 2, S::bitmap, toggle(13, 13, Symbol::led)},
        {1036, 111, 33, 2, S::bitmap, toggle(111, 33, Symbol::none, {"DRAG MIDI", "DRAG MIDI"})},
        {1041, 25, 21, 2, S::bitmap, toggle(25, 21, Symbol::none, {"INV", "INV"})},
        {1051, 9, 17, 2, S::bitmap, press(9, 17, Symbol::right)},
        {1052, 9, 17, 2, S::bitmap, press(9, 17, Symbol::left)},
        {1053, 17, 17, 2, S::bitmap, toggle(17, 17, Symbol::menu)},
        {1054, 13, 13, 2, S::bitmap, toggle(13, 13, Symbol::led)},
        {1055, 17, 17, 2, S::bitmap, toggle(17, 17, Symbol::menu)},
        {1056, 17, 17, 2, S::bitmap, toggle(17, 17, Symbol::menu)},
        {1057, 17, 17, 2, S::bitmap, toggle(17, 17, Symbol::menu)},
        {1065, 69, 69, 2, S::bitmap,
         [](cairo_t* cr, int f) {
             setColour(cr, palette::panel);
             cairo_paint(cr);
             setColour(cr, f ? palette::accent : palette::section);
             cairo_arc(cr, 34.5, 34.5, 30, 0, 2 * M_PI);
             cairo_fill_preserve(cr);
             setColour(cr, palette::off);
             cairo_stroke(cr);
             text(cr, "?", 0, 4, 69, 40, 28, f ? palette::panel : palette::accent, Align::centre, true);
             text(cr, "MANUAL", 0, 40, 69, 14, 8, f ? palette::panel : palette::label);
         }},
        {1067, 11, 8, 2, S::bitmap, press(11, 8, Symbol::down)},
        {1068, 11, 8, 2, S::bitmap, press(11, 8, Symbol::up)},
        {1079, 10, 17, 2, S::bitmap, press(10, 17, Symbol::right)},
        {1080, 10, 17, 2, S::bitmap, press(10, 17, Symbol::left)},
        {1088, 13, 13, 2, S::bitmap, toggle(13, 13, Symbol::led)},
        {1089, 68, 21, 2, S::bitmap, toggle(68, 21, Symbol::none, {"LOCATE", "LOCATE"})},
        {1092, 30, 17, 2, S::bitmap, toggle(30, 17, Symbol::none, {"OCT", "OCT"})},
        {1093, 17, 5, 2, S::bitmap, toggle(17, 5, Symbol::none)},
        {1097, 20, 20, 2, S::bitmap, toggle(20, 20, Symbol::restart)},
        {1102, 14, 23, 2, S::bitmap, press(14, 23, Symbol::up)},
        {1103, 14, 23, 2, S::bitmap, press(14, 23, Symbol::down)},
        {1104, 128, 11, 2, S::bitmap, toggle(128, 11, Symbol::none, {"OPTIONS", "OPTIONS"})},
        {1106, 45, 19, 5, S::bitmap, selector(45, 19, 5)},
        {1107, 45, 19, 5, S::bitmap, selector(45, 19, 5)},
        {1109, 57, 13, 3, S::bitmap, selector(57, 13, 3, {"ONE", "EACH", "LEG"})},
        {1110, 20, 21, 2, S::bitmap, toggle(20, 21, Symbol::none, {"1", "1"})},
        {1111, 20, 21, 2, S::bitmap, toggle(20, 21, Symbol::none, {"2", "2"})},
        {1112, 20, 21, 2, S::bitmap, toggle(20, 21, Symbol::none, {"3", "3"})},
        {1113, 57, 13, 2, S::bitmap, toggle(57, 13, Symbol::none, {"POLY", "MONO"})},
    };
    return r;
}

std::vector<ImageRecipe> knobsAndDisplays() {
    using S = Storage;
    return {
        {1021, 43, 43, 128, S::rgbaPng, knobStrip(43, 43, 128)},
        {1022, 40, 17, 3, S::rgbaPng, selector(40, 17, 3, {"1", "2", "4"})},
        {1034, 31, 31, 128, S::rgbaPng, knobStrip(31, 31, 128)},
        {1035, 31, 31, 128, S::rgbaPng, knobStrip(31, 31, 128)},
        {1039, 62, 19, 48, S::rgbaPng, sliderStrip(62, 19, 48)},
        {1040, 27, 27, 49, S::rgbaPng, knobStrip(27, 27, 49)},
        {1049, 83, 19, 69, S::rgbaPng, sliderStrip(83, 19, 69)},
        {1061, 21, 21, 127, S::rgbaPng, knobStrip(21, 21, 127)},
        {1062, 43, 43, 128, S::rgbaPng, knobStrip(43, 43, 128)},
        {1063, 31, 31, 128, S::rgbaPng, knobStrip(31, 31, 128)},
        {1066, 319, 17, 16, S::rgbaPng,
         selector(319, 17, 16, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16"})},
        {1087, 25, 70, 57, S::rgbaPng, faderStrip(25, 70, 57)},
        {1101, 40, 15, 8, S::rgbaPng, selector(40, 15, 8)},
        {1108, 57, 13, 8, S::rgbaPng, selector(57, 13, 8)},
        {1114, 25, 70, 57, S::rgbaPng, faderStrip(25, 70, 57)},
        {1115, 67, 15, 5, S::rgbaPng, selector(67, 15, 5, {"-2", "-1", "0", "+1", "+2"})},
        {1118, 27, 11, 128, S::rgbaPng, sliderStrip(27, 11, 128)},
        {1119, 27, 11, 128, S::rgbaPng, sliderStrip(27, 11, 128)},
        {1081, 8, 9, 11, S::rgbaPng, [](cairo_t* cr, int f) { meter(8, 9, 11, false)(cr, f); }},
        {1105, 39, 11, 27, S::rgbaPng, horizontalGauge(39, 11, 27)},
        {1116, 7, 38, 14, S::rgbaPng, meter(7, 38, 14, false)},
        {1121, 104, 21, 5, S::rgbaPng, menuPicture(104, 21, {"LANE OSC 1", "LANE OSC 2", "LANE OSC 3", "LANE FILTER", "LANE FX"})},
        {1030, 45, 25, 17, S::keyedBitmap, keyedNumber(45, 25)},
        {1032, 36, 55, 17, S::keyedBitmap, meter(36, 55, 17, true)},
        {1033, 36, 55, 17, S::keyedBitmap, meter(36, 55, 17, true)},
        {1091, 31, 17, 24, S::keyedBitmap, keyedNumber(31, 17)},
        {1031, 52, 15, 1, S::bitmap, box(52, 15)},
    };
}

std::vector<ImageRecipe> menusAndLanes() {
    using S = Storage;
    const int cell = 42;  // 672 / 16 steps
    return {
        {1005, 45, 15, 6, S::bitmap, menuPicture(45, 15, {"play", "wrap", "block", "style", "chord", "midi"})},
        {1018, 40, 15, 8, S::bitmap,
         menuPicture(40, 15, {"major", "maj 6", "maj 7", "maj 9", "minor", "min 6", "min 7", "min 9"})},
        {1024, 14, 11, 14, S::bitmap, numberPicture(14, 11, {1, 2, 3, 4, 5, 6, 7, 8, 12, 16, 24, 32, 48, 64})},
        {1028, 42, 15, 3, S::bitmap, menuPicture(42, 15, {"1/1", "1/2", "1/4"})},
        {1047, 83, 15, 8, S::bitmap,
         menuPicture(83, 15,
                     {"quarter feel", "eight feel", "triple feel", "standard", "broken", "crazy", "upward", "downward"})},
        {1076, 12, 11, 16, S::bitmap, numberPicture(12, 11, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})},
        {1082, 83, 15, 10, S::bitmap,
         menuPicture(83, 15, {"off", "cutoff", "reso", "peak", "mix", "age", "attack", "decay", "sustain", "release"})},
        {1083, 83, 15, 10, S::bitmap,
         menuPicture(83, 15, {"off", "level", "pan", "octave", "crush", "age", "attack", "decay", "sustain", "release"})},
        {1084, 83, 15, 6, S::bitmap,
         menuPicture(83, 15, {"off", "reverse mix", "chorus mix", "phaser mix", "delay mix", "reverb mix"})},
        {1100, 15, 15, 12, S::bitmap,
         menuPicture(15, 15, {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "Bb", "B"})},
        {1027, 96, 15, 1, S::bitmap, box(96, 15)},
        {1072, 99, 15, 1, S::bitmap, box(99, 15)},
        {1073, 113, 17, 1, S::bitmap, box(113, 17)},
        {1074, 113, 17, 1, S::bitmap, box(113, 17)},
        {1075, 113, 17, 1, S::bitmap, box(113, 17)},
        {1077, 120, 15, 2, S::bitmap,
         [](cairo_t* cr, int f) {
             setColour(cr, palette::listFill);
             cairo_paint(cr);
             text(cr, f ? "Clear" : "Midi Learn", 6, 0, 110, 15, 10, hex(0xDDE0E4), Align::left);
         }},
        {1078, 120, 15, 2, S::bitmap,
         [](cairo_t* cr, int f) {
             setColour(cr, palette::hoverRow);
             cairo_paint(cr);
             text(cr, f ? "Clear" : "Midi Learn", 6, 0, 110, 15, 10, palette::accent, Align::left);
         }},
        {1003, cell, 21, 4, S::bitmap, lineCell(cell, 21, 4)},
        {1006, cell, 21, 4, S::bitmap, lineCell(cell, 21, 4)},
        {1050, cell, 21, 4, S::bitmap, lineCell(cell, 21, 4)},
        {1086, cell, 21, 4, S::bitmap, lineCell(cell, 21, 4)},
        {1117, cell, 21, 4, S::bitmap, lineCell(cell, 21, 4)},
        {1038, cell, 86, 16, S::bitmap, stepCell(cell, 86, 16, hex(0xFFFF00))},
        {1048, cell, 61, 59, S::bitmap, stepCell(cell, 61, 59, hex(0x2C6B8D))},
        {1085, cell, 61, 59, S::bitmap, stepCell(cell, 61, 59, hex(0x40683E))},
        {1058, 672, 34, 1, S::bitmap,
         [](cairo_t* cr, int) {
             setColour(cr, hex(0x242424));
             cairo_paint(cr);
             for (int i = 0; i <= 32; ++i) {
                 setColour(cr, i % 4 ? hex(0x2E2E2E) : hex(0x3A3A3A));
                 cairo_rectangle(cr, i * 21, 0, 1, 34);
                 cairo_fill(cr);
             }
         }},
        {1059, 672, 7, 1, S::bitmap,
         [](cairo_t* cr, int) {
             setColour(cr, palette::well);
             cairo_paint(cr);
         }},
        {1060, 672, 34, 1, S::keyedBitmap,
         [](cairo_t* cr, int) {  // a bar that starts 3 rows down; the white above shows through
             setColour(cr, hex(0x41A428));
             cairo_rectangle(cr, 0, 3, 672, 31);
             cairo_fill(cr);
             setColour(cr, hex(0x7ED35F));
             cairo_rectangle(cr, 0, 3, 672, 2);
             cairo_fill(cr);
         }},
        {1090, 8, 8, 1, S::greyPng,
         [](cairo_t* cr, int) {
             setColour(cr, hex(0xF0F0F0));
             arrow(cr, 0, 0, 8, 8, Symbol::down, hex(0xF0F0F0));
         }},
        {1099, 18, 255, 1, S::greyPng,
         [](cairo_t* cr, int) {
             cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 18, 0);
             cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0);
             cairo_pattern_add_color_stop_rgba(p, 0.5, 1, 1, 1, 0.45);
             cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0);
             cairo_set_source(cr, p);
             cairo_paint(cr);
             cairo_pattern_destroy(p);
         }},
        {1120, 84, 12, 2, S::greyPng,
         [](cairo_t* cr, int f) {  // single, first, inner, last; row 1 selected
             for (int piece = 0; piece < 4; ++piece) {
                 const double x = piece * 21;
                 const bool openLeft = piece >= 2, openRight = piece == 1 || piece == 2;
                 cairo_set_source_rgba(cr, 1, 1, 1, f ? 0.85 : 0.55);
                 cairo_rectangle(cr, x + (openLeft ? 0 : 1), 1, 21 - (openLeft ? 0 : 1) - (openRight ? 0 : 1), 10);
                 cairo_fill(cr);
             }
         }},
        {1098, 64, 7, 4, S::rgbaPng,
         [](cairo_t* cr, int f) {  // sprites picked by row: note, accent, tie, glide
             const Rgb colours[4] = {palette::accent, palette::highlight, palette::teal, palette::title};
             setColour(cr, colours[f]);
             roundedRect(cr, 0, 1, 64, 5, 2);
             cairo_fill(cr);
         }},
        {1017, 671, 87, 1, S::rgbaPng,
         [](cairo_t* cr, int) {
             for (int i = 0; i <= 16; ++i) {
                 cairo_set_source_rgba(cr, 1, 1, 1, i % 4 ? 0.06 : 0.16);
                 cairo_rectangle(cr, std::min(670, i * 42), 0, 1, 87);
                 cairo_fill(cr);
             }
             cairo_set_source_rgba(cr, 0.95, 0.65, 0.25, 0.10);
             cairo_rectangle(cr, 0, 0, 671, 87);
             cairo_fill(cr);
         }},
    };
}

}  // namespace

std::vector<ImageRecipe> catalogue() {
    using S = Storage;
    std::vector<ImageRecipe> all = {
        {1000, 960, 697, 1, S::bitmap, [](cairo_t* cr, int) { drawPanel(cr); }},
        {1001, 300, 300, 1, S::bitmap,
         [](cairo_t* cr, int) { hookPanel(cr, 300, 300, "ZORVANE", "Chord-driven phrase instrument by Brindlewick"); }},
        {1064, 300, 184, 1, S::bitmap,
         [](cairo_t* cr, int) {
             hookPanel(cr, 300, 184, "LOCATE INSTRUMENTS", "Choose the folder that holds the instrument library.");
             text(cr, "Library folder", 8, 140, 200, 14, 9, palette::label, Align::left);
             plate(cr, 7, 156, 218, 19);
             plate(cr, 228, 155, 68, 21);  // where the locate button would sit inside the container
         }},
        {1037, 763, 182, 1, S::bitmap, [](cairo_t* cr, int) { drawEffectsPanel(cr); }},
        {1029, 144, 114, 1, S::bitmap, [](cairo_t* cr, int) { drawSixteenthDelayPanel(cr); }},
    };
    for (auto part : {buttonsAndStrips(), knobsAndDisplays(), menusAndLanes()})
        all.insert(all.end(), part.begin(), part.end());
    // The picture fonts: 96 glyphs from the space upward, one band each.
    const struct {
        int id, font;
    } fonts[] = {{1071, 0}, {1070, 1}, {1069, 2}, {1046, 3}, {1045, 4}, {1044, 5},
                 {1096, 6}, {1095, 7}, {1094, 8}, {1043, 10}};
    for (auto [id, font] : fonts) all.push_back({id, 11, 11, 96, S::rgbaPng, glyphStrip(font, 11)});
    all.push_back({1042, 15, 15, 96, S::keyedBitmap, glyphStrip(9, 15)});
    std::sort(all.begin(), all.end(), [](const ImageRecipe& a, const ImageRecipe& b) { return a.id < b.id; });
    return all;
}

}  // namespace foundry
