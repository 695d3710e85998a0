// The sound page (page 1): the three sample layers and the filter.

#include "editor/LayoutRows.h"

namespace layout {
namespace {

constexpr uint8_t A = kAbsolute, H = kHorizontal, F = kFullFrameScale;
constexpr int8_t L1 = kImageLayer, L31 = kValueLayer, NL = kNoLayer;
constexpr float ND = kNoDefault;

constexpr KnobRow kKnobs[] = {
    {Tag::FilterReso, 1, {691, 61, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL,
     {Display::FilterReso}},
    {Tag::FilterPeak, 1, {727, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, ND, m(2), 0, true, NL,
     {Display::FilterPeak}},
    {Tag::Osc1Octave, 1, {14, 65, 67, 15}, Image::OctaveSelector, 5, 15, 1.0f, 0.0f, m(3), A | H | F, true, NL,
     {Display::Osc1Octave}},
    {Tag::Osc1Polycrush, 1, {122, 61, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(1), 0, true, NL,
     {Display::Osc1Polycrush}},
    {Tag::Osc1Age, 1, {85, 61, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {Display::Osc1Age}},
    {Tag::Osc1Decay, 1, {49, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, ND, none, 0, true, NL,
     {Display::Osc1Decay}},
    {Tag::Osc1Attack, 1, {13, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, none, 0, true, NL,
     {Display::Osc1Attack}},
    {Tag::Osc1Sustain, 1, {85, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, none, 0, true, NL,
     {Display::Osc1Sustain}},
    {Tag::Osc1Release, 1, {121, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, none, 0, true, NL,
     {Display::Osc1Release}},
    {Tag::Osc2Decay, 1, {239, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, ND, none, 0, true, NL,
     {Display::Osc2Decay}},
    {Tag::Osc2Attack, 1, {203, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, none, 0, true, NL,
     {Display::Osc2Attack}},
    {Tag::Osc2Sustain, 1, {275, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, none, 0, true, NL,
     {Display::Osc2Sustain}},
    {Tag::Osc2Release, 1, {311, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, none, 0, true, NL,
     {Display::Osc2Release}},
    {Tag::FilterDecay, 1, {619, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, ND, m(2), 0, true, NL,
     {Display::FilterDecay}},
    {Tag::FilterAttack, 1, {583, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL,
     {Display::FilterAttack}},
    {Tag::FilterSustain, 1, {655, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL,
     {Display::FilterSustain}},
    {Tag::FilterRelease, 1, {691, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL,
     {Display::FilterRelease}},
    {Tag::Osc2Level, 1, {350, 91, 25, 70}, Image::LevelFader, 57, 70, 1.0f, 0.0f, none, 0, true, NL,
     {Display::Osc2Level}},
    {Tag::Osc1Level, 1, {160, 91, 25, 70}, Image::LevelFader, 57, 70, 1.0f, 0.0f, none, 0, true, NL,
     {Display::Osc1Level}},
    {Tag::Osc1TrigEach, 1, {76, 146, 57, 13}, Image::TrigEachSelector, 8, 13, 1.0f, 0.0f, m(1), 0, false, NL, {}},
    {Tag::Osc3TrigEach, 1, {456, 146, 57, 13}, Image::TrigEachSelector, 8, 13, 1.0f, 0.0f, m(1), 0, false, NL, {}},
    {Tag::Osc2TrigEach, 1, {266, 146, 57, 13}, Image::TrigEachSelector, 8, 13, 1.0f, 0.0f, none, 0, false, NL, {}},
    {Tag::FilterTrigEach, 1, {588, 145, 57, 13}, Image::TrigEachSelector, 8, 13, 1.0f, 0.0f, m(1), 0, false, NL, {}},
    {Tag::Osc1KeyA, 1, {19, 135, 27, 11}, Image::KeyLowSlider, 128, 11, 0.3f, 0.0f, m(2), F, false, NL, {}},
    {Tag::Osc1KeyB, 1, {103, 135, 27, 11}, Image::KeyHighSlider, 128, 11, 0.3f, 0.0f, m(2), F, false, NL, {}},
    {Tag::Osc2KeyA, 1, {209, 135, 27, 11}, Image::KeyLowSlider, 128, 11, 0.3f, 0.0f, m(2), F, false, NL, {}},
    {Tag::Osc2KeyB, 1, {293, 135, 27, 11}, Image::KeyHighSlider, 128, 11, 0.3f, 0.0f, m(2), F, false, NL, {}},
    {Tag::Osc3KeyA, 1, {399, 135, 27, 11}, Image::KeyLowSlider, 128, 11, 0.3f, 0.0f, m(1), F, false, NL, {}},
    {Tag::Osc3KeyB, 1, {483, 135, 27, 11}, Image::KeyHighSlider, 128, 11, 0.3f, 0.0f, m(1), F, false, NL, {}},
    {Tag::FilterMix, 1, {729, 90, 25, 70}, Image::MixFader, 57, 70, 1.0f, ND, none, 0, true, NL, {Display::FilterMix}},
    {Tag::Osc3Level, 1, {541, 91, 25, 70}, Image::LevelFader, 57, 70, 1.0f, 0.0f, none, 0, true, NL,
     {Display::Osc3Level}},
    {Tag::Osc3Decay, 1, {429, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, ND, m(2), 0, true, NL,
     {Display::Osc3Decay}},
    {Tag::Osc3Attack, 1, {393, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL,
     {Display::Osc3Attack}},
    {Tag::Osc3Sustain, 1, {465, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL,
     {Display::Osc3Sustain}},
    {Tag::Osc3Release, 1, {501, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL,
     {Display::Osc3Release}},
    {Tag::Osc2Octave, 1, {204, 64, 67, 15}, Image::OctaveSelector, 5, 15, 1.5f, 0.0f, m(3), A | H | F, true, NL,
     {Display::Osc2Octave}},
    {Tag::Osc2Polycrush, 1, {311, 61, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(1), 0, true, NL,
     {Display::Osc2Polycrush}},
    {Tag::Osc2Age, 1, {275, 61, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {Display::Osc2Age}},
    {Tag::Osc3Polycrush, 1, {501, 61, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(1), 0, true, NL,
     {Display::Osc3Polycrush}},
    {Tag::Osc3Octave, 1, {394, 64, 67, 15}, Image::OctaveSelector, 5, 15, 1.5f, 0.0f, m(2), A | H | F, true, NL,
     {Display::Osc3Octave}},
    {Tag::Osc3Age, 1, {465, 61, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {Display::Osc3Age}},
    {Tag::Osc1Pan, 1, {157, 61, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, ND, m(1), 0, true, NL, {Display::Osc1Pan}},
    {Tag::Osc2Pan, 1, {347, 61, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, ND, m(1), 0, true, NL, {Display::Osc2Pan}},
    {Tag::Osc3Pan, 1, {537, 61, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, ND, m(1), 0, true, NL, {Display::Osc3Pan}},
    {Tag::FilterAge, 1, {655, 61, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL,
     {Display::FilterAge}},
    {Tag::FilterCutoff, 1, {667, 104, 43, 43}, Image::LargeKnob, 128, 43, 1.0f, ND, none, 0, true, L1,
     {Display::FilterCutoff}},
};

using K = DisplayKind;
using T = TextForm;
constexpr uint8_t R = kRawIndex, MO = kMouseOff, HID = kHiddenAtOpen;

// A value text of the sound page: hidden, on the top layer, in its box.
constexpr DisplayRow text(int32_t tag, int16_t x, int16_t y, TextForm form, int8_t width = 0, int8_t precision = 0) {
    return {tag, 1, K::valueText, {x, y, 52, 15}, Image::ValueBox, 0, 0, form, width, precision, "", HID, L31};
}
constexpr DisplayRow light(int32_t tag, int16_t x, int16_t y, int16_t w, int16_t h, int16_t image, uint8_t flags) {
    return {tag, 1, K::picture, {x, y, w, h}, image, 2, h, T::none, 0, 0, "", flags, NL};
}

constexpr DisplayRow kDisplays[] = {
    text(Display::Osc1Polycrush, 109, 90, T::percent),
    text(Display::Osc1Octave, 21, 80, T::number, 2, 0),
    text(Display::Osc1Age, 73, 90, T::percent),
    text(Display::Osc1Attack, 3, 211, T::time),
    text(Display::Osc1Decay, 38, 211, T::time),
    text(Display::Osc1Sustain, 75, 211, T::number, 2, 2),
    text(Display::Osc1Release, 110, 211, T::time),
    text(Display::Osc2Attack, 195, 211, T::time),
    text(Display::Osc2Decay, 230, 211, T::time),
    text(Display::Osc2Sustain, 267, 211, T::number, 2, 2),
    text(Display::Osc2Release, 302, 211, T::time),
    text(Display::FilterAttack, 575, 211, T::time),
    text(Display::FilterDecay, 610, 211, T::time),
    text(Display::FilterSustain, 647, 211, T::number, 2, 2),
    text(Display::FilterRelease, 682, 211, T::time),
    light(Display::Osc1KeysInverted, 67, 138, 17, 5, Image::RangeLight, 0),
    light(Display::Osc2KeysInverted, 257, 138, 17, 5, Image::RangeLight, 0),
    light(Display::Osc3KeysInverted, 447, 138, 17, 5, Image::RangeLight, 0),
    text(Display::Osc3Attack, 385, 211, T::time),
    text(Display::Osc3Decay, 420, 211, T::time),
    text(Display::Osc3Sustain, 457, 211, T::number, 2, 2),
    text(Display::Osc3Release, 492, 211, T::time),
    text(Display::Osc2Polycrush, 299, 90, T::percent),
    text(Display::Osc2Octave, 212, 80, T::number, 2, 0),
    text(Display::Osc2Age, 263, 90, T::percent),
    text(Display::Osc3Polycrush, 491, 90, T::percent),
    text(Display::Osc3Octave, 402, 80, T::number, 2, 0),
    text(Display::Osc3Age, 452, 90, T::percent),
    light(Display::FilterTypeLight0, 652, 89, 15, 15, Image::Light, MO),
    light(Display::FilterTypeLight1, 708, 88, 15, 15, Image::Light, MO),
    light(Display::FilterTypeLight2, 709, 148, 15, 15, Image::Light, MO),
    light(Display::FilterTypeLight3, 681, 148, 15, 15, Image::Light, MO),
    light(Display::FilterTypeLight4, 653, 148, 15, 15, Image::Light, R | MO),
    text(Display::Osc1Level, 147, 211, T::decibel),
    text(Display::Osc2Level, 339, 211, T::decibel),
    text(Display::Osc3Level, 529, 211, T::decibel),
    text(Display::Mastertune, 837, 119, T::number, 2, 2),
    text(Display::FilterAge, 643, 90, T::percent),
    text(Display::Osc1Pan, 146, 90, T::bipolarPercent),
    text(Display::Osc2Pan, 335, 90, T::bipolarPercent),
    text(Display::Osc3Pan, 525, 90, T::bipolarPercent),
    text(Display::FilterReso, 679, 90, T::percent),
    text(Display::FilterMix, 715, 162, T::percent),
    text(Display::FilterCutoff, 662, 162, T::frequency),
    text(Display::FilterPeak, 717, 211, T::frequency),
};

constexpr ButtonRow kButtons[] = {
    {Tag::Osc1SelectorA, 1, {135, 106, 17, 9}, Image::SelectorUpArrow, 0, 0, 5, true, m(4, 2, 4, 2), false, 0, false},
    {Tag::Osc1SelectorB, 1, {135, 139, 17, 9}, Image::SelectorDownArrow, 0, 0, 5, true, m(4, 2, 4, 2), false, 0, false},
    {Widget::Osc1InstrumentOpener, 1, {135, 118, 17, 17}, Image::Osc1MenuOpener, 0, 9, 2, false, none, false, 0, false},
    {Tag::Osc1TrigMode, 1, {18, 146, 57, 13}, Image::TrigModeSelector, 0, 1, 3, true, m(1), false, 0, false},
    {Tag::Osc2TrigMode, 1, {209, 146, 57, 13}, Image::TrigModeSelector, 0, 1, 3, true, none, false, 0, false},
    {Tag::Osc3TrigMode, 1, {399, 146, 57, 13}, Image::TrigModeSelector, 0, 1, 3, true, m(1), false, 0, false},
    {Tag::FilterTrigMode, 1, {588, 129, 57, 13}, Image::TrigModeSelector, 1, 1, 3, true, m(1), false, 0, false},
    {Tag::Osc2SelectorA, 1, {325, 106, 17, 9}, Image::SelectorUpArrow, 0, 0, 5, true, m(4, 2, 4, 2), false, 0, false},
    {Tag::Osc2SelectorB, 1, {325, 139, 17, 9}, Image::SelectorDownArrow, 0, 0, 5, true, m(4, 2, 4, 2), false, 0, false},
    {Widget::Osc2InstrumentOpener, 1, {325, 118, 17, 17}, Image::Osc2MenuOpener, 0, 9, 2, false, none, false, 0, false},
    {Tag::Osc3SelectorA, 1, {515, 105, 17, 9}, Image::SelectorUpArrow, 0, 0, 5, true, m(4, 2, 4, 2), false, 0, false},
    {Tag::Osc3SelectorB, 1, {515, 137, 17, 9}, Image::SelectorDownArrow, 0, 0, 5, true, m(4, 2, 4, 2), false, 0, false},
    {Widget::Osc3InstrumentOpener, 1, {515, 117, 17, 17}, Image::Osc3MenuOpener, 0, 9, 2, false, m(2, 1, 2, 1), false,
     0, false},
    {Tag::AssignOsc1, 1, {585, 65, 20, 21}, Image::Layer1Button, 0, 1, 2, true, m(1, 2, 1, 2), true, 0, false},
    {Tag::AssignOsc2, 1, {607, 65, 20, 21}, Image::Layer2Button, 1, 1, 2, true, m(1, 2, 1, 2), true, 0, false},
    {Tag::AssignOsc3, 1, {629, 65, 20, 21}, Image::Layer3Button, 0, 1, 2, true, m(1, 2, 1, 2), true, 0, false},
    {Tag::FilterInvert, 1, {729, 64, 25, 21}, Image::InvertButton, 0, 1, 2, true, m(3), true, 0, false},
};

}  // namespace

std::span<const KnobRow> soundPageKnobs() { return kKnobs; }
std::span<const DisplayRow> soundPageDisplays() { return kDisplays; }
std::span<const ButtonRow> soundPageButtons() { return kButtons; }

}  // namespace layout
