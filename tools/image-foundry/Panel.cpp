#include <string>
#include <utility>

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
// three sound layers, the filter, master and kick, the sequencer column and
// the lanes.
constexpr Section kMainSections[] = {
    {0, 38, 192, 190, "OSC 1"},          {192, 38, 190, 190, "OSC 2"},   {382, 38, 190, 190, "OSC 3"},
    {572, 38, 194, 190, "FILTER"},       {766, 38, 194, 190, "MASTER"},  {0, 228, 190, 469, "SEQUENCER"},
    {190, 228, 680, 469, "PATTERN"},     {870, 228, 90, 469, "OUTPUT"},
};
constexpr Section kEffectSections[] = {
    {0, 0, 160, 182, "REVERSER"}, {160, 0, 150, 182, "CHORUS"}, {310, 0, 150, 182, "PHASER"},
    {460, 0, 156, 182, "DELAY"},  {616, 0, 147, 182, "REVERB"},
};

// "Osc1 Attack" reads "ATTACK" inside the OSC 1 section; long parameter
// names get the short word a panel would print.
std::string shortLabel(std::string label) {
    static const std::pair<const char*, const char*> kShort[] = {
        {"ManualChordSel", "CHORD"},      {"ClockDivide", "DIVIDE"},     {"Swingfactor", "SWING"},
        {"Kicklevel", "KICK"},            {"Kicktone", "TONE"},          {"CompressorDepth", "DEPTH"},
        {"CompressorSpeed", "SPEED"},     {"FilterVoiceMode", "VOICE"},  {"Factorypatterns", "PATTERNS"},
        {"ChordSeqDivide", "DIVIDE"},     {"RestartArp", "RESTART"},     {"Chord BanksPath", "CHORD BANK"},
        {"Clocksource", "CLOCK"},         {"PatternOctave", "OCTAVE"},   {"Osc2 Ocatve", "OCTAVE"},
        {"Osc3 Deacy", "DECAY"},          {"Random Minimal A", "MIN"},   {"Random Maximal A", "MAX"},
        {"Mastertune", "TUNE"},           {"Transpose", "TRANSP"},       {"Arpmode", "ARP"},
        {"Chordlist", "CHORDS"},          {"ShiftArp", "SHIFT"},         {"Filter Type", "TYPE"},
        {"Osc1 TrigMode", "TRIG"},        {"Osc2 TrigMode", "TRIG"},     {"Osc3 TrigMode", "TRIG"},
        {"Filter TrigMode", "TRIG"},      {"Osc1 TrigEach", "EACH"},     {"Osc2 TrigEach", "EACH"},
        {"Osc3 TrigEach", "EACH"},        {"Filter TrigEach", "EACH"},   {"Dly Feed 16", "FEED"},
        {"DLY16Time L", "TIME L"},        {"DLY16Time R", "TIME R"},     {"Delay Switch", "MODE"},
        {"PatternKeys", "KEYS"},         {"off", "TARGET"},
    };
    for (const auto& [name, word] : kShort)
        if (label == name) return word;
    for (const char* prefix : {"Osc1 ", "Osc2 ", "Osc3 ", "Filter ", "RVS ", "CHS ", "PHS ", "DLY ", "RVB ", "Master"})
        if (label.rfind(prefix, 0) == 0 && label.size() > std::string(prefix).size())
            label = label.substr(std::string(prefix).size());
    for (char& c : label) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return label;
}

// The sixteenth-note delay's widgets sit on its own panel over the delay's.
bool onSixteenthPanel(int32_t tag) { return tag == 84 || tag == 85 || tag == 86 || (tag >= 186 && tag <= 188); }

void platesAndLabels(cairo_t* cr, bool effects, double dx, double dy, double minX, double maxX,
                     bool sixteenth = false) {
    // Value boxes (52 x 15, 39 x 11) appear only while a knob is held; they
    // get no plate.
    auto shown = [&](const WidgetPlace& w) {
        return w.effectsPage == effects && w.x >= minX && w.x < maxX && onSixteenthPanel(w.tag) == sixteenth &&
               !(w.width == 52 && w.height == 15) &&
               !(w.width == 39 && w.height == 11);
    };
    for (const WidgetPlace& w : widgetPlaces())
        if (shown(w)) plate(cr, w.x - dx, w.y - dy, w.width, w.height);
    for (const WidgetPlace& w : widgetPlaces()) {
        if (!shown(w) || !*w.label) continue;
        if (w.width < 25 || w.width > 120 || w.height > 80) continue;  // lanes and menus label themselves
        text(cr, shortLabel(w.label), w.x - dx - 12, w.y - dy - 10, w.width + 24, 9, 7.5, palette::label);
    }
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
    text(cr, "ZORVANE", 32, 8, 120, 22, 18, palette::title, Align::left, true);
    text(cr, "GLOBAL", 342, 4, 99, 12, 7.5, palette::label, Align::left);
    text(cr, "SOUND", 481, 4, 99, 12, 7.5, palette::label, Align::left);
    text(cr, "SEQUENCE", 621, 4, 99, 12, 7.5, palette::label, Align::left);
}

}  // namespace

void drawPanel(cairo_t* cr) {
    setColour(cr, palette::panel);
    cairo_paint(cr);
    topBar(cr);
    for (const Section& s : kMainSections) sectionBox(cr, s.x, s.y, s.w, s.h, s.title);
    const char* lanes[] = {"OCTAVE", "GLIDE", "TIE", "ARP", "ACCENT", "GATE", "CHORD"};
    const double laneY[] = {304, 326, 348, 370, 392, 416, 481};
    for (int i = 0; i < 7; ++i) text(cr, lanes[i], 868, laneY[i], 40, 21, 7.5, palette::label, Align::left);
    platesAndLabels(cr, false, 0, 0, 0, 960);
}

void drawEffectsPanel(cairo_t* cr) {
    setColour(cr, palette::panel);
    cairo_paint(cr);
    for (const Section& s : kEffectSections) sectionBox(cr, s.x, s.y, s.w, s.h, s.title);
    platesAndLabels(cr, true, 0, 38, 0, 960);
}

void drawSixteenthDelayPanel(cairo_t* cr) {
    setColour(cr, palette::panel);
    cairo_paint(cr);
    sectionBox(cr, 0, 0, 144, 114, "");
    text(cr, "1/16 DELAY", 8, 92, 60, 14, 10, palette::title, Align::left, true);  // the top holds labels
    platesAndLabels(cr, true, 466, 82, 466, 610, true);
}

}  // namespace foundry
