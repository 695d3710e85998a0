#include <cmath>
#include <string>

#include "editor/DisplayTags.h"
#include "image-foundry/Catalogue.h"
#include "image-foundry/Look.h"
#include "image-foundry/PanelLayout.h"
#include "plugin/ParameterTags.h"

namespace foundry {
namespace {

struct Section {
    double x, y, w, h;
    const char* title;
};

// The panel's sections, following where the widgets sit: the top bar, the
// sound page's three layers and filter over the same place as the effects
// panel (which covers 0..763 x 38..220), the master column, the sequencer
// column, the pattern lanes and the lane names on the right.
constexpr double kTopAreaBottom = 220;
constexpr double kLowerTop = 222;
constexpr Section kMainSections[] = {
    {0, 38, 192, 182, "OSC 1"},          {192, 38, 190, 182, "OSC 2"},      {382, 38, 190, 182, "OSC 3"},
    {572, 38, 194, 182, "FILTER"},       {766, 38, 194, 182, "MASTER"},     {0, kLowerTop, 190, 475, "SEQUENCER"},
    {190, kLowerTop, 678, 475, ""},      {868, kLowerTop, 92, 475, ""},
};
constexpr Section kEffectSections[] = {
    {0, 0, 160, 182, "REVERSER"}, {160, 0, 150, 182, "CHORUS"}, {310, 0, 150, 182, "PHASER"},
    {460, 0, 156, 182, "DELAY"},  {616, 0, 147, 182, "REVERB"},
};

// `rising`: in the narrow column left of the widget, reading upwards, where
// no row above or beside it is free.
enum class Side { above, below, left, right, rising };
struct Label {
    int32_t tag;
    const char* text;
    Side side;
    double shift = 0;  // sideways, where two long words under neighbouring knobs would touch
};

// "SUSTAIN" and "RELEASE" are each wider than the envelope knobs' pitch
// allows for a gap: they lean apart.
constexpr double kApart = 2.5;

// What the panel prints beside each widget: the words a musician reads, on
// the side where it stays clear of the widget's neighbours.
constexpr Label kLabels[] = {
    // master column and top bar
    {Tag::MasterLevel, "LEVEL", Side::above},
    // The MIDI export button stands right over the tune knob, and the
    // compressor's switches and the level meter close in on its sides: its
    // label runs up the column between the switches and the knob.
    {Tag::Mastertune, "TUNE", Side::rising},
    {Tag::Transpose, "TRANSP", Side::above},
    {Tag::KickLevel, "KICK", Side::above},
    {Tag::KickTone, "TONE", Side::above},
    {Tag::KickToSidechain, "DUCK", Side::above},
    {Tag::MasterAttack, "ATTACK", Side::above},
    {Tag::MasterRelease, "RELEASE", Side::above},
    {Tag::CompressorDepth, "DEPTH", Side::above},
    {Tag::CompressorSpeed, "SPEED", Side::below},
    {Tag::ExportLength, "BARS", Side::left},
    {Widget::GlobalPresetMenu, "GLOBAL", Side::above},
    {Widget::SoundPresetMenu, "SOUND", Side::above},
    {Widget::SequencePresetMenu, "SEQUENCE", Side::above},
    // sequencer column
    {Tag::ModulationTrackArea, "MOD LANE", Side::above},
    {Tag::Glide, "GLIDE", Side::above},
    {Tag::TieOsc1, "TIE", Side::left},
    {Tag::Arpmode, "MODE", Side::above},
    {Tag::RestartArp, "RESTART", Side::above},
    {Tag::ShiftArp, "SHIFT", Side::above},
    {Tag::Factorypatterns, "PATTERN", Side::above},
    {Tag::GateTableFill, "FILL", Side::above},
    {Tag::ChordSeqDivide, "CHORD DIV", Side::above},
    {Tag::Swingfactor, "SWING", Side::above},
    {Tag::RandomMaximal, "MAX", Side::above},
    {Tag::RandomMinimal, "MIN", Side::above},
    {Tag::PatternCopy, "ALL", Side::left},
    {Tag::ChordListRotation, "KEY", Side::above},
    {Tag::Chordlist, "CHORDS", Side::above},
    {Tag::EventTableFill, "FILL", Side::above},
    {Tag::OctavePages, "VIEW", Side::above},
    // under the lanes
    {Tag::RunSwitch, "RUN", Side::below},
    {Tag::ClockDivide, "RATE", Side::below},
    {Display::Tempo, "TEMPO", Side::below},
    {Tag::Clocksource, "CLOCK", Side::below},
    {Tag::PatternOctave, "KEY OCT", Side::below},
    {Tag::PatternKeys, "PATTERN KEY", Side::below},
    {Widget::ChordBankMenu, "CHORD BANK", Side::above},
    {Tag::ChordSelect, "CHORD SELECT", Side::above},
    {Tag::ManualChordSel, "MANUAL CHORD", Side::above},
    {Display::PatternKey, "KEY", Side::above},
    {Display::ChordNumber, "CHORD", Side::above},
    // sound page
    {Tag::Osc1Octave, "OCTAVE", Side::above},
    {Tag::Osc1Age, "AGE", Side::above},
    {Tag::Osc1Polycrush, "CRUSH", Side::above},
    {Tag::Osc1Pan, "PAN", Side::above},
    {Tag::Osc2Octave, "OCTAVE", Side::above},
    {Tag::Osc2Age, "AGE", Side::above},
    {Tag::Osc2Polycrush, "CRUSH", Side::above},
    {Tag::Osc2Pan, "PAN", Side::above},
    {Tag::Osc3Octave, "OCTAVE", Side::above},
    {Tag::Osc3Age, "AGE", Side::above},
    {Tag::Osc3Polycrush, "CRUSH", Side::above},
    {Tag::Osc3Pan, "PAN", Side::above},
    {Tag::Osc1Attack, "ATTACK", Side::below},
    {Tag::Osc1Decay, "DECAY", Side::below},
    {Tag::Osc1Sustain, "SUSTAIN", Side::below, -kApart},
    {Tag::Osc1Release, "RELEASE", Side::below, kApart},
    {Tag::Osc2Attack, "ATTACK", Side::below},
    {Tag::Osc2Decay, "DECAY", Side::below},
    {Tag::Osc2Sustain, "SUSTAIN", Side::below, -kApart},
    {Tag::Osc2Release, "RELEASE", Side::below, kApart},
    {Tag::Osc3Attack, "ATTACK", Side::below},
    {Tag::Osc3Decay, "DECAY", Side::below},
    {Tag::Osc3Sustain, "SUSTAIN", Side::below, -kApart},
    {Tag::Osc3Release, "RELEASE", Side::below, kApart},
    {Tag::FilterAttack, "ATTACK", Side::below},
    {Tag::FilterDecay, "DECAY", Side::below},
    {Tag::FilterSustain, "SUSTAIN", Side::below, -kApart},
    {Tag::FilterRelease, "RELEASE", Side::below, kApart},
    {Tag::FilterPeak, "PEAK", Side::below},
    {Tag::FilterAge, "AGE", Side::above},
    {Tag::FilterReso, "RESO", Side::above},
    {Tag::FilterInvert, "INVERT", Side::above},
    {Tag::AssignOsc1, "LAYERS", Side::above},
    {Tag::Osc1Channel, "CH", Side::left},
    {Tag::Osc2Channel, "CH", Side::left},
    {Tag::Osc3Channel, "CH", Side::left},
    {Tag::FilterVoiceMode, "VOICE", Side::above},
    // effects pages
    {Tag::RvsSize, "SIZE", Side::above},
    {Tag::RvsXfade, "XFADE", Side::above},
    {Tag::RvsDecay, "DECAY", Side::above},
    {Tag::RvsMix, "MIX", Side::above},
    {Tag::ChsRate, "RATE", Side::above},
    {Tag::ChsShape, "SHAPE", Side::above},
    {Tag::ChsDepth, "DEPTH", Side::above},
    {Tag::ChsMix, "MIX", Side::above},
    {Tag::PhsRate, "RATE", Side::above},
    {Tag::PhsDepth, "DEPTH", Side::above},
    {Tag::PhsFeed, "FEED", Side::above},
    {Tag::PhsMix, "MIX", Side::above},
    {Tag::DlyTime, "TIME", Side::above},
    {Tag::DlyWidth, "WIDTH", Side::above},
    {Tag::DlyFeed, "FEED", Side::above},
    {Tag::DlyMix, "MIX", Side::above},
    {Tag::DelaySwitch, "MODE", Side::above},
    {Tag::RvbSize, "SIZE", Side::above},
    {Tag::RvbWidth, "WIDTH", Side::above},
    {Tag::RvbDamp, "DAMP", Side::above},
    {Tag::RvbMix, "MIX", Side::above},
    {Tag::Dly16TimeL, "TIME L", Side::above},
    {Tag::Dly16TimeR, "TIME R", Side::above},
    {Tag::Dly16Feed, "FEED", Side::above},
};

constexpr double kLabelSize = 7.5;
constexpr double kLabelHeight = 9;
// The column a rising label stands in, left of its widget.
constexpr double kRisingColumn = 11;

void label(cairo_t* cr, const Label& l, double dx, double dy) {
    const WidgetPlace* w = findPlace(l.tag);
    if (!w) return;
    const double x = w->x - dx + l.shift, y = w->y - dy;
    switch (l.side) {
        case Side::above:
            text(cr, l.text, x - 20, y - kLabelHeight - 1, w->width + 40, kLabelHeight, kLabelSize, palette::label);
            break;
        case Side::below:
            text(cr, l.text, x - 20, y + w->height + 1, w->width + 40, kLabelHeight, kLabelSize, palette::label);
            break;
        case Side::left:
            text(cr, l.text, x - 42, y, 40, w->height, kLabelSize, palette::label, Align::right);
            break;
        case Side::right:
            text(cr, l.text, x + w->width + 2, y, 40, w->height, kLabelSize, palette::label, Align::left);
            break;
        case Side::rising:
            // Turned a quarter left about the column's bottom-left corner:
            // the text's width runs up the widget's height.
            cairo_save(cr);
            cairo_translate(cr, x - kRisingColumn, y + w->height);
            cairo_rotate(cr, -M_PI / 2);
            text(cr, l.text, 0, 0, w->height, kRisingColumn, kLabelSize, palette::label);
            cairo_restore(cr);
            break;
    }
}

// Plates under what has no surround of its own: buttons, menus, strips,
// pictures and the tempo.  Knobs and faders stand on the section itself;
// value boxes show only while a knob is held.
bool hasPlate(const WidgetPlace& w) {
    switch (w.kind) {
        case PlaceKind::strip:
        case PlaceKind::picture:
        case PlaceKind::tempo:
        case PlaceKind::button:
        case PlaceKind::menu:  // the meters stand beside the level knob
            return !(w.tag == Display::PeakLeft || w.tag == Display::PeakRight);
        default: return false;
    }
}

void platesAndLabels(cairo_t* cr, PanelArea area, double dx, double dy) {
    for (const WidgetPlace& w : widgetPlaces())
        if (w.area == area && hasPlate(w)) plate(cr, w.x - dx, w.y - dy, w.width, w.height);
    for (const Label& l : kLabels)
        if (const WidgetPlace* w = findPlace(l.tag); w && w->area == area) label(cr, l, dx, dy);
}

void topBar(cairo_t* cr) {
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, 0, 0, 38);
    cairo_pattern_add_color_stop_rgb(shade, 0, 0.16, 0.17, 0.19);
    cairo_pattern_add_color_stop_rgb(shade, 1, 0.10, 0.11, 0.12);
    cairo_set_source(cr, shade);
    cairo_rectangle(cr, 0, 0, 960, 38);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);
    setColour(cr, palette::separator);
    cairo_rectangle(cr, 0, 37, 960, 1);
    cairo_fill(cr);
    text(cr, "ZORVANE", 32, 5, 120, 22, 18, palette::title, Align::left, true);
    text(cr, "by Brindlewick", 33, 25, 120, 9, 7, palette::label, Align::left);
}

// The sequencer column's rows stand beside the lanes they edit.
void sequencerRows(cairo_t* cr) {
    constexpr double kRowBorders[] = {301, 368, 410, 477, 540, 608};
    setColour(cr, palette::separator);
    for (double y : kRowBorders) {
        cairo_rectangle(cr, 6, y, 178, 1);
        cairo_fill(cr);
    }
}

void laneNames(cairo_t* cr) {
    const struct {
        double y, h;
        const char* name;
    } kLanes[] = {{224, 12, "ZONES"}, {240, 61, "MOD"},   {304, 21, "OCTAVE"}, {326, 21, "GLIDE"},
                  {348, 21, "TIE"},   {370, 21, "ARP"},   {392, 21, "ACCENT"}, {416, 61, "GATE"},
                  {481, 86, "CHORD"}};
    for (const auto& lane : kLanes) text(cr, lane.name, 872, lane.y, 80, lane.h, kLabelSize, palette::label, Align::left);
}

// The step lines draw only the steps that are set: the panel shows every
// cell under them, each bar of four a little brighter.
void stepLineCells(cairo_t* cr) {
    for (const WidgetPlace& w : widgetPlaces()) {
        if (w.tag < 373 || w.tag > 377) continue;
        setColour(cr, palette::laneFloor);
        cairo_rectangle(cr, w.x, w.y, w.width, w.height);
        cairo_fill(cr);
        for (int step = 0; step <= 32; ++step) {
            setColour(cr, step % 4 ? palette::cellLine : palette::barLine);
            cairo_rectangle(cr, w.x + step * 21, w.y + 1, 1, w.height - 2);
            cairo_fill(cr);
        }
    }
}

// Twenty-four keys over the pattern-key strip, the marker running below.
void patternKeyboard(cairo_t* cr) {
    const WidgetPlace* keys = findPlace(78);
    if (!keys) return;
    const double keyWidth = keys->width / 24.0;
    const double top = keys->y, height = 13;
    setColour(cr, palette::well);
    roundedRect(cr, keys->x - 1, top - 1, keys->width + 2, keys->height + 2, 2.5);
    cairo_fill(cr);
    for (int k = 0; k < 24; ++k) {
        const bool black = (0x54A >> (k % 12)) & 1;  // C# D# F# G# A#
        setColour(cr, black ? palette::unlit : palette::whiteKey);
        cairo_rectangle(cr, std::round(keys->x + k * keyWidth) + 0.5, top + 0.5, std::round(keyWidth) - 1, height);
        cairo_fill(cr);
    }
}

// The filter type pad: five lights around the cutoff knob.
void filterPad(cairo_t* cr) {
    const WidgetPlace* pad = findPlace(365);
    if (!pad) return;
    setColour(cr, palette::padFill);
    roundedRect(cr, pad->x, pad->y, pad->width, pad->height, 5);
    cairo_fill_preserve(cr);
    setColour(cr, palette::separator);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    text(cr, "TYPE", pad->x, pad->y + pad->height - 10, pad->width, 9, 6.5, palette::label);
}

}  // namespace

void drawPanel(cairo_t* cr) {
    setColour(cr, palette::panel);
    cairo_paint(cr);
    topBar(cr);
    for (const Section& s : kMainSections) sectionBox(cr, s.x, s.y, s.w, s.h, s.title);
    sequencerRows(cr);
    laneNames(cr);
    stepLineCells(cr);
    filterPad(cr);
    patternKeyboard(cr);
    platesAndLabels(cr, PanelArea::main, 0, 0);
    // The view switch draws nothing itself (its text list is empty): the
    // panel shows where it is.
    if (const WidgetPlace* w = findPlace(356)) {
        cairo_save(cr);
        cairo_translate(cr, w->x, w->y);
        button(cr, w->width, w->height, false, false, Symbol::led);
        cairo_restore(cr);
    }
}

void drawEffectsPanel(cairo_t* cr) {
    setColour(cr, palette::panel);
    cairo_paint(cr);
    for (const Section& s : kEffectSections) sectionBox(cr, s.x, s.y, s.w, s.h, s.title);
    platesAndLabels(cr, PanelArea::effects, 0, 38);
}

void drawSixteenthDelayPanel(cairo_t* cr) {
    setColour(cr, palette::section);
    cairo_paint(cr);
    platesAndLabels(cr, PanelArea::sixteenth, 466, 82);
    // The delay's mode switch stands on this panel too.
    for (const Label& l : kLabels)
        if (l.tag == 358) label(cr, l, 466, 82);
}

}  // namespace foundry
