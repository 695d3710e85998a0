#include "image-foundry/Catalogue.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "guitoolkit/InterfaceImages.h"
#include "image-foundry/Look.h"

namespace foundry {
namespace {

using Draw = std::function<void(cairo_t*, const Frame&)>;

void knobStrip(cairo_t* cr, const Frame& f) { knob(cr, f.width, f.height, f.fraction()); }
void sliderStrip(cairo_t* cr, const Frame& f) { horizontalSlider(cr, f.width, f.height, f.fraction()); }
void faderStrip(cairo_t* cr, const Frame& f) { fader(cr, f.width, f.height, f.fraction()); }
Draw selector(std::vector<const char*> names = {}) {
    return [=](cairo_t* cr, const Frame& f) {
        segments(cr, f.width, f.height, f.count, f.index, names.empty() ? nullptr : names.data());
    };
}

// Two-state (or more) buttons: frame 0 off, then on; more states light the
// caption of each state.
Draw toggle(Symbol symbol, std::vector<std::string> captions = {}) {
    return [=](cairo_t* cr, const Frame& f) {
        const std::string caption = captions.empty() ? "" : captions[std::min<size_t>(f.index, captions.size() - 1)];
        button(cr, f.width, f.height, f.index > 0, false, symbol, caption);
    };
}
// Up/down and left/right buttons: frame 0 at rest, later frames pressed.
Draw press(Symbol symbol) {
    return [=](cairo_t* cr, const Frame& f) {
        setColour(cr, palette::section);
        cairo_paint(cr);
        arrow(cr, 0, 0, f.width, f.height, symbol, f.index > 0 ? palette::accent : palette::title);
    };
}

Draw menuPicture(std::vector<const char*> names) {
    return [=](cairo_t* cr, const Frame& f) {
        setColour(cr, palette::well);
        roundedRect(cr, 0, 0, f.width, f.height, 2);
        cairo_fill(cr);
        text(cr, names[f.index], 1, 0, f.width - 2, f.height, std::min(10.0, f.height - 3.0), palette::accent);
    };
}
// The MIDI-learn menu's row, at rest and under the pointer.
Draw learnRow(Rgb fill, Rgb ink) {
    return [=](cairo_t* cr, const Frame& f) {
        setColour(cr, fill);
        cairo_paint(cr);
        text(cr, f.index ? "Clear" : "Midi Learn", 6, 0, 110, 15, 10, ink, Align::left);
    };
}
Draw numberPicture(std::vector<int> numbers) {
    return [=](cairo_t* cr, const Frame& f) {
        setColour(cr, palette::well);
        cairo_paint(cr);
        text(cr, std::to_string(numbers[f.index]), 0, 0, f.width, f.height, 8.5, palette::accent);
    };
}
void box(cairo_t* cr, const Frame& f) {
    setColour(cr, palette::well);
    cairo_paint(cr);
    setColour(cr, palette::separator);
    cairo_rectangle(cr, 0.5, 0.5, f.width - 1, f.height - 1);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

// A step of a table lane: a column as high as the value, accent or teal.
Draw stepCell(Rgb colour) {
    return [=](cairo_t* cr, const Frame& f) {
        setColour(cr, hex(0x242424));
        cairo_paint(cr);
        const double level = double(f.index + 1) / f.count;
        const double top = 1 + (f.height - 2) * (1 - level);
        setColour(cr, colour, 0.35 + 0.65 * level);
        cairo_rectangle(cr, 2, top, f.width - 4, f.height - 1 - top);
        cairo_fill(cr);
        setColour(cr, lighter(colour, 0.3));
        cairo_rectangle(cr, 2, std::floor(top), f.width - 4, 1);
        cairo_fill(cr);
    };
}
void lineCell(cairo_t* cr, const Frame& f) {
    setColour(cr, hex(0x242424));
    cairo_paint(cr);
    const double bw = (f.width - 4.0) / f.count;
    for (int i = 0; i <= f.index; ++i) {  // value v shows v blocks
        setColour(cr, palette::teal, 0.5 + 0.5 * (i + 1) / f.count);
        roundedRect(cr, 2 + i * bw, 3, bw - 1, f.height - 6, 1.5);
        cairo_fill(cr);
    }
}

// Meters and gauges: frame f lights f of count segments, bottom up.  The
// keyed ones are narrow bars at one edge of the key colour (which the
// foundry has painted already), so that what they stand over shows.
enum class MeterBar { full, left, right };
Draw meter(MeterBar bar) {
    return [=](cairo_t* cr, const Frame& f) {
        const int count = f.count - 1;
        const double seg = (f.height - 2.0) / count;
        const double x = bar == MeterBar::left ? 2 : bar == MeterBar::right ? f.width - 9 : 1;
        const double bw = bar == MeterBar::full ? f.width - 2 : 7;
        for (int i = 0; i < count; ++i) {
            const double y = f.height - 1 - (i + 1) * seg;
            Rgb c = i >= count - 2 ? palette::meterRed : i >= count - 5 ? palette::accent : palette::meterGreen;
            const bool lit = i < f.index;
            setColour(cr, lit ? c : palette::unlit);
            cairo_rectangle(cr, std::round(x), std::round(y), bw, std::max(1.0, std::round(seg) - 1));
            cairo_fill(cr);
        }
    };
}
void horizontalGauge(cairo_t* cr, const Frame& f) {
    setColour(cr, palette::well);
    cairo_paint(cr);
    setColour(cr, palette::accent);
    cairo_rectangle(cr, 1, 2, (f.width - 2) * f.fraction(), f.height - 4);
    cairo_fill(cr);
}
void keyedNumber(cairo_t* cr, const Frame& f) {
    text(cr, std::to_string(f.index), 0, 0, f.width, f.height, std::min(13.0, f.height - 3.0), palette::accent,
         Align::centre, true);
}
Draw glyphStrip(int font) {
    return [=](cairo_t* cr, const Frame& f) { drawGlyph(cr, font, 32 + f.index, f.height); };
}

void hookPanel(cairo_t* cr, const Frame& f, const std::string& title, const std::string& line) {
    setColour(cr, palette::panel);
    cairo_paint(cr);
    sectionBox(cr, 0, 0, f.width, f.height, title);
    text(cr, line, 8, 18, f.width - 16, 14, 9, palette::label, Align::left);
}

std::vector<ImageRecipe> buttonsAndStrips() {
    using S = Storage;
    std::vector<ImageRecipe> r = {
        {Image::NameButton, 177, 32, 4, S::bitmap,
         [](cairo_t* cr, const Frame& f) {  // normal-off, hover-off, normal-on, hover-on
             button(cr, 177, 32, f.index >= 2, f.index % 2 == 1, Symbol::none, "");
             text(cr, "ZORVANE", 0, 0, 177, 32, 17, f.index >= 2 ? palette::panel : palette::title, Align::centre, true);
         }},
        {Image::ArpModeButton, 45, 15, 2, S::bitmap, toggle(Symbol::none, {"ARP", "ARP"})},
        {Image::DelayKindButton, 41, 15, 2, S::bitmap, toggle(Symbol::none, {"DOUBLE", "1/16"})},
        {Image::RandomButton, 13, 13, 2, S::bitmap, toggle(Symbol::random)},
        {Image::SelectorDownArrow, 17, 9, 5, S::bitmap, press(Symbol::down)},
        {Image::TieExtraButton, 20, 21, 2, S::bitmap, toggle(Symbol::led)},
        {Image::PowerButton, 21, 21, 2, S::bitmap, toggle(Symbol::power)},
        {Image::Light, 15, 15, 2, S::bitmap, toggle(Symbol::led)},
        {Image::StepLeftArrow, 14, 23, 2, S::bitmap, press(Symbol::left)},  // the lanes' steps turn left
        {Image::StepRightArrow, 14, 23, 2, S::bitmap, press(Symbol::right)},
        {Image::SelectorUpArrow, 17, 9, 5, S::bitmap, press(Symbol::up)},
        {Image::FillButton, 20, 21, 2, S::bitmap, toggle(Symbol::led)},
        {Image::OctaveLight, 13, 13, 2, S::bitmap, toggle(Symbol::led)},
        // "Chord Select": 0 follows the chord sequence, 1 the manual chord, 2 the keys.
        {Image::ChordSelectButton, 89, 17, 3, S::bitmap, toggle(Symbol::none, {"SEQUENCE", "MANUAL", "MIDI"})},
        {Image::ClockSourceButton, 70, 17, 2, S::bitmap, toggle(Symbol::none, {"INTERNAL", "HOST"})},
        {Image::CopyButton, 13, 13, 2, S::bitmap, toggle(Symbol::copy)},
        {Image::PatternCopyButton, 13, 13, 2, S::bitmap, toggle(Symbol::copy)},
        {Image::MidiExportButton, 111, 33, 2, S::bitmap, toggle(Symbol::none, {"DRAG MIDI", "DRAG MIDI"})},
        {Image::InvertButton, 25, 21, 2, S::bitmap, toggle(Symbol::none, {"INV", "INV"})},
        {Image::NextArrow, 9, 17, 2, S::bitmap, press(Symbol::right)},
        {Image::PreviousArrow, 9, 17, 2, S::bitmap, press(Symbol::left)},
        {Image::MenuOpener, 17, 17, 2, S::bitmap, toggle(Symbol::menu)},
        {Image::ClearButton, 13, 13, 2, S::bitmap, toggle(Symbol::clear)},
        {Image::Osc1MenuOpener, 17, 17, 2, S::bitmap, toggle(Symbol::menu)},
        {Image::Osc2MenuOpener, 17, 17, 2, S::bitmap, toggle(Symbol::menu)},
        {Image::Osc3MenuOpener, 17, 17, 2, S::bitmap, toggle(Symbol::menu)},
        {Image::ManualLink, 69, 69, 2, S::bitmap,
         [](cairo_t* cr, const Frame& f) {
             setColour(cr, palette::section);  // the about panel's own fill
             cairo_paint(cr);
             setColour(cr, f.index ? palette::accent : palette::section);
             cairo_arc(cr, 34.5, 34.5, 30, 0, 2 * M_PI);
             cairo_fill_preserve(cr);
             setColour(cr, palette::off);
             cairo_stroke(cr);
             text(cr, "?", 0, 4, 69, 40, 28, f.index ? palette::panel : palette::accent, Align::centre, true);
             text(cr, "MANUAL", 0, 40, 69, 14, 8, f.index ? palette::panel : palette::label);
         }},
        {Image::TinyDownArrow, 11, 8, 2, S::bitmap, press(Symbol::down)},
        {Image::TinyUpArrow, 11, 8, 2, S::bitmap, press(Symbol::up)},
        {Image::RightArrow, 10, 17, 2, S::bitmap, press(Symbol::right)},
        {Image::LeftArrow, 10, 17, 2, S::bitmap, press(Symbol::left)},
        {Image::PasteButton, 13, 13, 2, S::bitmap, toggle(Symbol::paste)},
        {Image::LocateButton, 68, 21, 2, S::bitmap, toggle(Symbol::none, {"LOCATE", "LOCATE"})},
        {Image::OctaveButton, 30, 17, 2, S::bitmap, toggle(Symbol::none, {"OCT", "OCT"})},
        {Image::RangeLight, 17, 5, 2, S::bitmap, toggle(Symbol::none)},
        {Image::RunButton, 20, 20, 2, S::bitmap, toggle(Symbol::restart)},
        {Image::LaneLeftArrow, 14, 23, 2, S::bitmap, press(Symbol::left)},
        {Image::LaneRightArrow, 14, 23, 2, S::bitmap, press(Symbol::right)},
        {Image::PageSelector, 128, 11, 2, S::bitmap, selector({"SOUND", "EFFECTS"})},  // which page the top area shows
        {Image::CompressorDepthSelector, 45, 19, 5, S::bitmap, selector()},
        {Image::CompressorSpeedSelector, 45, 19, 5, S::bitmap, selector()},
        {Image::TrigModeSelector, 57, 13, 3, S::bitmap, selector({"ALL", "ARP", "CHD"})},  // what triggers: arp and chords, arp, chords
        {Image::Layer1Button, 20, 21, 2, S::bitmap, toggle(Symbol::none, {"1", "1"})},
        {Image::Layer2Button, 20, 21, 2, S::bitmap, toggle(Symbol::none, {"2", "2"})},
        {Image::Layer3Button, 20, 21, 2, S::bitmap, toggle(Symbol::none, {"3", "3"})},
        {Image::PolyMonoButton, 57, 13, 2, S::bitmap, toggle(Symbol::none, {"POLY", "MONO"})},
    };
    return r;
}

std::vector<ImageRecipe> knobsAndDisplays() {
    using S = Storage;
    return {
        {Image::DelayTimeKnob, 43, 43, 128, S::rgbaPng, knobStrip},
        {Image::ClockDivideSelector, 40, 17, 3, S::rgbaPng, selector({"1", "2", "4"})},
        {Image::SixteenthFeedKnob, 31, 31, 128, S::rgbaPng, knobStrip},
        {Image::DelayWidthKnob, 31, 31, 128, S::rgbaPng, knobStrip},
        {Image::SwingSlider, 62, 19, 48, S::rgbaPng, sliderStrip},
        {Image::TransposeKnob, 27, 27, 49, S::rgbaPng, knobStrip},
        {Image::GlideSlider, 83, 19, 69, S::rgbaPng, sliderStrip},
        {Image::RandomRangeKnob, 21, 21, 127, S::rgbaPng, knobStrip},
        {Image::LargeKnob, 43, 43, 128, S::rgbaPng, knobStrip},
        {Image::SmallKnob, 31, 31, 128, S::rgbaPng, knobStrip},
        {Image::ManualChordStrip, 319, 17, 16, S::rgbaPng,
         selector({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16"})},
        {Image::LevelFader, 25, 70, 57, S::rgbaPng, faderStrip},
        {Image::ShiftSelector, 40, 15, 8, S::rgbaPng, selector()},
        {Image::TrigEachSelector, 57, 13, 8, S::rgbaPng, selector({"1", "2", "3", "4", "5", "6", "7", "8"})},
        {Image::MixFader, 25, 70, 57, S::rgbaPng, faderStrip},
        {Image::OctaveSelector, 67, 15, 5, S::rgbaPng, selector({"-2", "-1", "0", "+1", "+2"})},
        {Image::KeyLowSlider, 27, 11, 128, S::rgbaPng, sliderStrip},
        {Image::KeyHighSlider, 27, 11, 128, S::rgbaPng, sliderStrip},
        {Image::BeatLight, 8, 9, 11, S::rgbaPng, meter(MeterBar::full)},
        {Image::RateGauge, 39, 11, 27, S::rgbaPng, horizontalGauge},
        {Image::ReductionMeter, 7, 38, 14, S::rgbaPng, meter(MeterBar::full)},
        {Image::LanePicture, 104, 21, 5, S::rgbaPng, menuPicture({"LANE OSC 1", "LANE OSC 2", "LANE OSC 3", "LANE FILTER", "LANE FX"})},
        {Image::ChordNumbers, 45, 25, 17, S::keyedBitmap, keyedNumber},
        // The two meters flank the level knob: their bars at the outer edges.
        {Image::LeftMeter, 36, 55, 17, S::keyedBitmap, meter(MeterBar::left)},
        {Image::RightMeter, 36, 55, 17, S::keyedBitmap, meter(MeterBar::right)},
        {Image::PatternKeyNumbers, 31, 17, 24, S::keyedBitmap, keyedNumber},
        {Image::ValueBox, 52, 15, 1, S::bitmap, box},
    };
}

std::vector<ImageRecipe> menusAndLanes() {
    using S = Storage;
    const int cell = 21;  // 672 / 32 steps
    return {
        {Image::RestartMenuPicture, 45, 15, 6, S::bitmap, menuPicture({"play", "wrap", "block", "style", "chord", "midi"})},
        {Image::ChordMenuPicture, 40, 15, 8, S::bitmap,
         menuPicture({"major", "maj 6", "maj 7", "maj 9", "minor", "min 6", "min 7", "min 9"})},
        {Image::BarsMenuPicture, 14, 11, 14, S::bitmap, numberPicture({1, 2, 3, 4, 5, 6, 7, 8, 12, 16, 24, 32, 48, 64})},
        {Image::ChordDivideMenuPicture, 42, 15, 3, S::bitmap, menuPicture({"off", "2/1", "4/1"})},
        {Image::FeelMenuPicture, 83, 15, 8, S::bitmap,
         menuPicture({"quarter feel", "eight feel", "triple feel", "standard", "broken", "crazy", "upward", "downward"})},
        {Image::ChannelMenuPicture, 12, 11, 16, S::bitmap, numberPicture({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})},
        {Image::FilterTargetMenuPicture, 83, 15, 10, S::bitmap,
         menuPicture({"off", "cutoff", "reso", "peak", "mix", "age", "attack", "decay", "sustain", "release"})},
        {Image::LayerTargetMenuPicture, 83, 15, 10, S::bitmap,
         menuPicture({"off", "level", "pan", "octave", "crush", "age", "attack", "decay", "sustain", "release"})},
        {Image::EffectTargetMenuPicture, 83, 15, 6, S::bitmap,
         menuPicture({"off", "reverse mix", "chorus mix", "phaser mix", "delay mix", "reverb mix"})},
        {Image::KeyMenuPicture, 15, 15, 12, S::bitmap,
         menuPicture({"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "Bb", "B"})},
        {Image::ChordBankMenuBox, 96, 15, 1, S::bitmap, box},
        {Image::PresetMenuBox, 99, 15, 1, S::bitmap, box},
        {Image::Osc1MenuBox, 113, 17, 1, S::bitmap, box},
        {Image::Osc2MenuBox, 113, 17, 1, S::bitmap, box},
        {Image::Osc3MenuBox, 113, 17, 1, S::bitmap, box},
        {Image::LearnRow, 120, 15, 2, S::bitmap, learnRow(palette::listFill, hex(0xDDE0E4))},
        {Image::LearnRowHover, 120, 15, 2, S::bitmap, learnRow(palette::hoverRow, palette::accent)},
        // Step lines: one frame per value up to the line's maximum.
        {Image::AccentLineCell, cell, 21, 3, S::bitmap, lineCell},
        {Image::ArpLineCell, cell, 21, 3, S::bitmap, lineCell},
        {Image::GlideLineCell, cell, 21, 1, S::bitmap, lineCell},
        {Image::OctaveLineCell, cell, 21, 2, S::bitmap, lineCell},
        {Image::TieLineCell, cell, 21, 1, S::bitmap, lineCell},
        {Image::ChordTableStep, cell, 86, 16, S::bitmap, stepCell(hex(0xFFFF00))},
        {Image::GateTableStep, cell, 61, 59, S::bitmap, stepCell(hex(0x2C6B8D))},
        {Image::LaneTableStep, cell, 61, 59, S::bitmap, stepCell(hex(0x40683E))},
        {Image::EventTableGrid, 672, 34, 1, S::bitmap,
         [](cairo_t* cr, const Frame&) {
             setColour(cr, hex(0x242424));
             cairo_paint(cr);
             for (int i = 0; i <= 32; ++i) {
                 setColour(cr, i % 4 ? hex(0x2E2E2E) : hex(0x3A3A3A));
                 cairo_rectangle(cr, i * 21, 0, 1, 34);
                 cairo_fill(cr);
             }
         }},
        {Image::SpriteStripBackground, 672, 7, 1, S::bitmap,
         [](cairo_t* cr, const Frame&) {
             setColour(cr, palette::well);
             cairo_paint(cr);
         }},
        {Image::EventTableBars, 672, 34, 1, S::keyedBitmap,
         [](cairo_t* cr, const Frame&) {  // a bar that starts 3 rows down; the white above shows through
             setColour(cr, hex(0x41A428));
             cairo_rectangle(cr, 0, 3, 672, 31);
             cairo_fill(cr);
             setColour(cr, hex(0x7ED35F));
             cairo_rectangle(cr, 0, 3, 672, 2);
             cairo_fill(cr);
         }},
        {Image::KeyMarker, 8, 8, 1, S::greyPng,
         [](cairo_t* cr, const Frame&) {
             setColour(cr, hex(0xF0F0F0));
             arrow(cr, 0, 0, 8, 8, Symbol::down, hex(0xF0F0F0));
         }},
        {Image::PlayBar, 18, 255, 1, S::greyPng,
         [](cairo_t* cr, const Frame&) {
             cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 18, 0);
             cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0);
             cairo_pattern_add_color_stop_rgba(p, 0.5, 1, 1, 1, 0.45);
             cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0);
             cairo_set_source(cr, p);
             cairo_paint(cr);
             cairo_pattern_destroy(p);
         }},
        {Image::ZoneBar, 84, 12, 2, S::greyPng,
         [](cairo_t* cr, const Frame& f) {  // single, first, inner, last; row 1 selected
             for (int part = 0; part < 4; ++part) {
                 const double x = part * 21;
                 const bool openLeft = part >= 2, openRight = part == 1 || part == 2;
                 cairo_set_source_rgba(cr, 1, 1, 1, f.index ? 0.85 : 0.55);
                 cairo_rectangle(cr, x + (openLeft ? 0 : 1), 1, 21 - (openLeft ? 0 : 1) - (openRight ? 0 : 1), 10);
                 cairo_fill(cr);
             }
         }},
        {Image::NoteSprites, 64, 7, 4, S::rgbaPng,
         [](cairo_t* cr, const Frame& f) {  // sprites picked by row: note, accent, tie, glide
             const Rgb colours[4] = {palette::accent, palette::highlight, palette::teal, palette::title};
             setColour(cr, colours[f.index]);
             roundedRect(cr, 0, 1, 64, 5, 2);
             cairo_fill(cr);
         }},
        {Image::LanePageImage, 671, 87, 1, S::rgbaPng,
         [](cairo_t* cr, const Frame&) {
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
        {Image::Background, 960, 697, 1, S::bitmap, [](cairo_t* cr, const Frame&) { drawPanel(cr); }},
        {Image::HookPanel, 300, 300, 1, S::bitmap,
         [](cairo_t* cr, const Frame& f) { hookPanel(cr, f, "ZORVANE", "Chord-driven phrase instrument by Brindlewick"); }},
        {Image::LocatePanel, 300, 184, 1, S::bitmap,
         [](cairo_t* cr, const Frame& f) {
             hookPanel(cr, f, "LOCATE INSTRUMENTS", "Zorvane plays its sounds from an instrument library.");
             text(cr, "Press LOCATE and pick any instrument (.bwr)", 8, 34, 284, 14, 9, palette::label, Align::left);
             text(cr, "in the library's folder.", 8, 48, 284, 14, 9, palette::label, Align::left);
             text(cr, "Library folder", 8, 140, 200, 14, 9, palette::label, Align::left);
             plate(cr, 7, 156, 218, 19);
             plate(cr, 228, 155, 68, 21);  // where the locate button would sit inside the container
         }},
        {Image::EffectsPanel, 763, 182, 1, S::bitmap, [](cairo_t* cr, const Frame&) { drawEffectsPanel(cr); }},
        {Image::SixteenthDelayPanel, 144, 114, 1, S::bitmap, [](cairo_t* cr, const Frame&) { drawSixteenthDelayPanel(cr); }},
    };
    for (auto part : {buttonsAndStrips(), knobsAndDisplays(), menusAndLanes()})
        all.insert(all.end(), part.begin(), part.end());
    // The picture fonts: 96 glyphs from the space upward, one band each.
    const struct {
        int id, font;
    } fonts[] = {{Image::Font0Glyphs, 0}, {Image::Font1Glyphs, 1}, {Image::Font2Glyphs, 2}, {Image::Font3Glyphs, 3},
                 {Image::Font4Glyphs, 4}, {Image::Font5Glyphs, 5}, {Image::Font6Glyphs, 6}, {Image::Font7Glyphs, 7},
                 {Image::Font8Glyphs, 8}, {Image::Font10Glyphs, 10}};
    for (auto [id, font] : fonts) all.push_back({id, 11, 11, 96, S::rgbaPng, glyphStrip(font)});
    all.push_back({Image::Font9Glyphs, 15, 15, 96, S::keyedBitmap, glyphStrip(9)});
    std::sort(all.begin(), all.end(), [](const ImageRecipe& a, const ImageRecipe& b) { return a.id < b.id; });
    return all;
}

}  // namespace foundry
