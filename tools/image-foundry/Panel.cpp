#include <cmath>
#include <string>

#include "image-foundry/Catalogue.h"
#include "image-foundry/Look.h"
#include "image-foundry/PanelLayout.h"

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

enum class Side { above, below, left, right };
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
    {0, "LEVEL", Side::above},      {83, "TUNE", Side::above},        {82, "TRANSP", Side::above},
    {3, "KICK", Side::above},       {4, "TONE", Side::above},         {5, "DUCK", Side::above},
    {1, "ATTACK", Side::above},     {2, "RELEASE", Side::above},      {6, "DEPTH", Side::above},
    {7, "SPEED", Side::below},      {339, "BARS", Side::left},        {395, "GLOBAL", Side::above},
    {396, "SOUND", Side::above},    {397, "SEQUENCE", Side::above},
    // sequencer column
    {366, "MOD LANE", Side::above}, {80, "GLIDE", Side::above},       {223, "TIE", Side::left},
    {217, "MODE", Side::above},     {328, "RESTART", Side::above},    {81, "SHIFT", Side::above},
    {337, "PATTERN", Side::above},  {285, "FILL", Side::above},       {79, "CHORD DIV", Side::above},
    {77, "SWING", Side::above},     {94, "MAX", Side::above},         {93, "MIN", Side::above},
    {280, "ALL", Side::left},       {327, "KEY", Side::above},        {326, "CHORDS", Side::above},
    {204, "FILL", Side::above},     {356, "VIEW", Side::above},
    // under the lanes
    {279, "RUN", Side::below},      {76, "RATE", Side::below},        {200, "TEMPO", Side::below},
    {276, "CLOCK", Side::below},    {355, "KEY OCT", Side::below},    {78, "PATTERN KEY", Side::below},
    {391, "CHORD BANK", Side::above}, {74, "CHORD SELECT", Side::above}, {75, "MANUAL CHORD", Side::above},
    {161, "KEY", Side::above},      {95, "CHORD", Side::above},
    // sound page
    {10, "OCTAVE", Side::above},    {12, "AGE", Side::above},         {11, "CRUSH", Side::above},
    {18, "PAN", Side::above},       {21, "OCTAVE", Side::above},      {23, "AGE", Side::above},
    {22, "CRUSH", Side::above},     {29, "PAN", Side::above},         {32, "OCTAVE", Side::above},
    {34, "AGE", Side::above},       {33, "CRUSH", Side::above},       {40, "PAN", Side::above},
    {13, "ATTACK", Side::below},    {14, "DECAY", Side::below},       {15, "SUSTAIN", Side::below, -kApart},
    {16, "RELEASE", Side::below, kApart},   {24, "ATTACK", Side::below},      {25, "DECAY", Side::below},
    {26, "SUSTAIN", Side::below, -kApart},   {27, "RELEASE", Side::below, kApart},     {35, "ATTACK", Side::below},
    {36, "DECAY", Side::below},     {37, "SUSTAIN", Side::below, -kApart},     {38, "RELEASE", Side::below, kApart},
    {46, "ATTACK", Side::below},    {47, "DECAY", Side::below},       {48, "SUSTAIN", Side::below, -kApart},
    {49, "RELEASE", Side::below, kApart},   {52, "PEAK", Side::below},        {45, "AGE", Side::above},
    {51, "RESO", Side::above},      {43, "INVERT", Side::above},      {233, "LAYERS", Side::above},
    {329, "CH", Side::left},        {330, "CH", Side::left},          {331, "CH", Side::left},
    {44, "VOICE", Side::above},
    // effects pages
    {54, "SIZE", Side::above},      {56, "XFADE", Side::above},       {55, "DECAY", Side::above},
    {57, "MIX", Side::above},       {58, "RATE", Side::above},        {60, "SHAPE", Side::above},
    {59, "DEPTH", Side::above},     {61, "MIX", Side::above},         {62, "RATE", Side::above},
    {63, "DEPTH", Side::above},     {64, "FEED", Side::above},        {65, "MIX", Side::above},
    {66, "TIME", Side::above},      {67, "WIDTH", Side::above},       {68, "FEED", Side::above},
    {69, "MIX", Side::above},       {358, "MODE", Side::above},       {70, "SIZE", Side::above},
    {71, "WIDTH", Side::above},     {72, "DAMP", Side::above},        {73, "MIX", Side::above},
    {84, "TIME L", Side::above},    {85, "TIME R", Side::above},      {86, "FEED", Side::above},
};

constexpr double kLabelSize = 7.5;
constexpr double kLabelHeight = 9;

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
        case PlaceKind::menu: return !(w.tag == 197 || w.tag == 198);  // the meters stand beside the level knob
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
