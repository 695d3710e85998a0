// The main page (page 0, always shown): master stage, kick and compressor,
// the sequencer's global settings, meters, tempo, the top bar's preset
// buttons and the MIDI export.

#include "editor/LayoutRows.h"

namespace layout {
namespace {

constexpr uint8_t A = kAbsolute, H = kHorizontal, F = kFullFrameScale;
constexpr int8_t L1 = kImageLayer, L31 = kValueLayer, NL = kNoLayer;

constexpr ImageRow kImages[] = {
    {Display::KeyMarker, 0, {668, 584, 8, 8}, Image::KeyMarker, ImageSource::keyMarker, NL},
    {Display::LanePlayBar, 0, {193, 224, 18, 255}, Image::PlayBar, ImageSource::lanePlayBar, L1},
};

constexpr KnobRow kKnobs[] = {
    {Tag::ManualChordSel, 0, {543, 618, 319, 17}, Image::ManualChordStrip, 16, 17, 0.25f, 0.0f, m(5), A | H | F, false,
     NL, {}},
    {Tag::ShiftArp, 0, {143, 391, 40, 15}, Image::ShiftSelector, 8, 15, 1.0f, 0.0f, m(2), 0, true, NL, {}},
    {Tag::Glide, 0, {58, 322, 83, 19}, Image::GlideSlider, 69, 19, 1.0f, 0.0f, m(1), H, true, NL, {Display::GlideTime}},
    {Tag::Mastertune, 0, {845, 90, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, kNoDefault, m(2), 0, true, NL,
     {Display::Mastertune}},
    {Tag::Transpose, 0, {846, 135, 27, 27}, Image::TransposeKnob, 49, 27, 1.0f, kNoDefault, m(2), F, true, NL, {}},
    {Tag::MasterLevel, 0, {893, 104, 43, 43}, Image::LargeKnob, 128, 43, 1.0f, kNoDefault, m(3), 0, true, NL,
     {Display::MasterLevel}},
    {Tag::KickTone, 0, {809, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, kNoDefault, m(2), 0, true, NL,
     {Display::KickTone}},
    {Tag::Swingfactor, 0, {16, 576, 62, 19}, Image::SwingSlider, 48, 19, 1.0f, 0.0f, m(2), H, true, NL,
     {Display::Swingfactor}},
    {Tag::ClockDivide, 0, {293, 572, 40, 17}, Image::ClockDivideSelector, 3, 17, 1.0f, 0.0f, m(5), 0, true, NL, {}},
    {Tag::RandomMinimal, 0, {120, 575, 21, 21}, Image::RandomRangeKnob, 127, 21, 0.4f, 0.0f, m(3), 0, false, NL,
     {Display::RandomMinimal}},
    {Tag::RandomMaximal, 0, {85, 575, 21, 21}, Image::RandomRangeKnob, 127, 21, 0.4f, 0.0f, m(3), 0, false, NL,
     {Display::RandomMaximal}},
    {Tag::KickLevel, 0, {773, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL,
     {Display::KickLevel}},
    {Tag::MasterAttack, 0, {881, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, false, NL,
     {Display::MasterAttack}},
    {Tag::MasterRelease, 0, {917, 166, 31, 31}, Image::SmallKnob, 128, 31, 1.0f, 0.0f, m(2), 0, false, NL,
     {Display::MasterRelease}},
};

using K = DisplayKind;
using T = TextForm;
constexpr uint8_t R = kRawIndex, MO = kMouseOff, TR = kTransparent, HID = kHiddenAtOpen, W = kWhiteText;

constexpr DisplayRow kDisplays[] = {
    {95, 0, K::picture, {883, 644, 45, 25}, Image::ChordNumbers, 17, 25, T::none, 0, 0, "", R | MO | TR | W, NL},
    {97, 0, K::valueText, {142, 324, 52, 15}, Image::ValueBox, 0, 0, T::time, 0, 0, "", HID, L31},
    {149, 0, K::valueText, {799, 211, 52, 15}, Image::ValueBox, 0, 0, T::number, 2, 0, "", HID, L31},
    {155, 0, K::picture, {15, 256, 104, 21}, Image::LanePicture, 5, 21, T::none, 0, 0, "", R, NL},
    {156, 0, K::picture, {16, 14, 8, 9}, Image::BeatLight, 11, 9, T::none, 0, 0, "", 0, NL},
    {157, 0, K::valueText, {22, 597, 52, 15}, Image::ValueBox, 0, 0, T::percent, 0, 0, "", HID, L31},
    {158, 0, K::valueText, {107, 597, 52, 15}, Image::ValueBox, 0, 0, T::percent, 0, 0, "", HID, L31},
    {159, 0, K::valueText, {70, 597, 52, 15}, Image::ValueBox, 0, 0, T::percent, 0, 0, "", HID, L31},
    {161, 0, K::picture, {890, 572, 31, 17}, Image::PatternKeyNumbers, 24, 17, T::none, 0, 0, "", R | MO | TR | W, NL},
    {163, 0, K::picture, {779, 107, 7, 38}, Image::ReductionMeter, 14, 38, T::none, 0, 0, "", 0, NL},
    {190, 0, K::valueText, {859, 211, 52, 15}, Image::ValueBox, 0, 0, T::time, 0, 0, "", HID, L31},
    {195, 0, K::valueText, {889, 195, 52, 15}, Image::ValueBox, 0, 0, T::decibel, 0, 0, "", HID, L31},
    {196, 0, K::valueText, {757, 211, 52, 15}, Image::ValueBox, 0, 0, T::decibel, 0, 0, "", HID, L31},
    {197, 0, K::levelMeter, {884, 95, 36, 55}, Image::LeftMeter, 17, 0, T::none, 0, 0, "", MO | TR, NL},
    {198, 0, K::levelMeter, {908, 95, 36, 55}, Image::RightMeter, 17, 0, T::none, 0, 0, "", MO | TR, NL},
    {200, 0, K::tempo, {347, 575, 50, 11}, 0, 0, 0, T::none, 0, 0, "", MO, NL},
    {202, 0, K::valueText, {898, 211, 52, 15}, Image::ValueBox, 0, 0, T::time, 0, 0, "", HID, L31},
};

constexpr int8_t FF_HOVER = 2;  // frameFlags of button 313: a hover frame per state

constexpr ButtonRow kButtons[] = {
    {Tag::EventTableFill, 0, {118, 663, 20, 21}, Image::FillButton, 0, 0, 2, true, m(1, 4, 1, 4), false, 0, false},
    {Tag::ChordListRotationUp, 0, {47, 664, 10, 17}, Image::RightArrow, 0, 0, 2, true, m(1, 3, 1, 3), false, 0, false},
    {Tag::ChordListRotationDown, 0, {16, 664, 10, 17}, Image::LeftArrow, 0, 0, 2, true, m(1, 3, 1, 3), false, 0, false},
    {Tag::ChordListPageUp, 0, {110, 664, 10, 17}, Image::RightArrow, 0, 0, 2, true, m(1, 3, 1, 3), false, 0, false},
    {Tag::ChordListPageDown, 0, {58, 664, 10, 17}, Image::LeftArrow, 0, 0, 2, true, m(1, 3, 1, 3), false, 0, false},
    {Tag::ChordSelect, 0, {451, 618, 89, 17}, Image::ChordSelectButton, 0, 1, 3, true, m(0, 5, 0, 5), false, 0, false},
    {Tag::EventTableCopy, 0, {114, 633, 13, 13}, Image::CopyButton, 0, 0, 2, true, m(2, 4, 2, 4), true, 0, false},
    {Tag::EventTablePaste, 0, {130, 633, 13, 13}, Image::PasteButton, 0, 0, 2, true, m(2, 4, 2, 4), true, 0, false},
    {Tag::EventTableLeft, 0, {150, 661, 14, 23}, Image::StepLeftArrow, 0, 0, 2, true, m(1, 3, 1, 3), true, 0, false},
    {Tag::EventTableRight, 0, {166, 661, 14, 23}, Image::StepRightArrow, 0, 0, 2, true, m(1, 3, 1, 3), true, 0, false},
    {Tag::EventTableInit, 0, {169, 633, 13, 13}, Image::ClearButton, 0, 0, 2, true, m(3), true, 0, false},
    {Tag::InterfaceSwitch1, 0, {392, 617, 9, 17}, Image::NextArrow, 0, 0, 2, true, m(1, 4, 1, 4), false, 0, false},
    {Tag::InterfaceSwitch2, 0, {362, 617, 9, 17}, Image::PreviousArrow, 0, 0, 2, true, m(1, 4, 1, 4), false, 0, false},
    {Widget::ChordBankOpener, 0, {373, 617, 17, 17}, Image::MenuOpener, 0, 9, 2, false, m(1, 4, 1, 4), false, 0, false},
    {Tag::Arpmode, 0, {24, 391, 45, 15}, Image::ArpModeButton, 1, 1, 2, true, m(5), false, 0, false},
    {Tag::RestartArpUp, 0, {131, 390, 10, 17}, Image::RightArrow, 0, 0, 2, true, m(2, 4, 2, 4), false, 0, false},
    {Tag::RestartArpDown, 0, {79, 390, 10, 17}, Image::LeftArrow, 0, 0, 2, true, m(2, 4, 2, 4), false, 0, false},
    {Tag::TieOsc1, 0, {58, 343, 20, 21}, Image::Layer1Button, 0, 1, 2, true, m(1), false, 0, false},
    {Tag::TieOsc2, 0, {78, 343, 20, 21}, Image::Layer2Button, 0, 1, 2, true, m(1), false, 0, false},
    {Tag::TieOsc3, 0, {99, 343, 20, 21}, Image::Layer3Button, 0, 1, 2, true, m(1), false, 0, false},
    {Tag::TieExtra, 0, {121, 343, 20, 21}, Image::TieExtraButton, 1, 1, 2, true, m(1), false, 0, false},
    {Tag::Clocksource, 0, {453, 572, 70, 17}, Image::ClockSourceButton, 1, 1, 2, true, m(5, 4, 5, 4), false, 0, false},
    {Tag::ChordSeqDivideUp, 0, {68, 511, 10, 17}, Image::RightArrow, 0, 0, 2, true, m(2, 4, 2, 4), false, 0, false},
    {Tag::ChordSeqDivideDown, 0, {16, 511, 10, 17}, Image::LeftArrow, 0, 0, 2, true, m(2, 4, 2, 4), false, 0, false},
    {Tag::RunSwitch, 0, {193, 571, 20, 20}, Image::RunButton, 0, 1, 2, true, none, false, 0, false},
    {Tag::PatternCopy, 0, {114, 546, 13, 13}, Image::PatternCopyButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::PatternPaste, 0, {130, 546, 13, 13}, Image::PasteButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::PatternLeft, 0, {150, 574, 14, 23}, Image::StepLeftArrow, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::PatternRight, 0, {166, 574, 14, 23}, Image::StepRightArrow, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::PatternInit, 0, {169, 546, 13, 13}, Image::ClearButton, 0, 0, 2, true, m(3, 6, 3, 6), true, 0, false},
    {Tag::GateTableFill, 0, {121, 444, 20, 21}, Image::FillButton, 0, 0, 2, true, m(1, 4, 1, 4), false, 0, false},
    {Tag::GateTableCopy, 0, {114, 414, 13, 13}, Image::CopyButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::GateTablePaste, 0, {130, 414, 13, 13}, Image::PasteButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::GateTableLeft, 0, {150, 442, 14, 23}, Image::StepLeftArrow, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::GateTableRight, 0, {166, 442, 14, 23}, Image::StepRightArrow, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::GateTableInit, 0, {169, 414, 13, 13}, Image::ClearButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::StepLinesCopy, 0, {114, 304, 13, 13}, Image::CopyButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::StepLinesPaste, 0, {130, 304, 13, 13}, Image::PasteButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::StepLinesLeft, 0, {150, 332, 14, 23}, Image::StepLeftArrow, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::StepLinesRight, 0, {166, 332, 14, 23}, Image::StepRightArrow, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::StepLinesInit, 0, {169, 304, 13, 13}, Image::ClearButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::ChordTableCopy, 0, {114, 480, 13, 13}, Image::CopyButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::ChordTablePaste, 0, {130, 480, 13, 13}, Image::PasteButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::ChordTableLeft, 0, {150, 507, 14, 23}, Image::StepLeftArrow, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::ChordTableRight, 0, {166, 507, 14, 23}, Image::StepRightArrow, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::ChordTableInit, 0, {169, 480, 13, 13}, Image::ClearButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::FactoryPatternsUp, 0, {110, 445, 10, 17}, Image::RightArrow, 0, 0, 2, true, m(1, 4, 1, 4), false, 0, false},
    {Tag::FactoryPatternsDown, 0, {16, 445, 10, 17}, Image::LeftArrow, 0, 0, 2, true, m(1, 4, 1, 4), false, 0, false},
    {Tag::StepLinesRandom, 0, {154, 304, 13, 13}, Image::RandomButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::GateTableRandom, 0, {154, 414, 13, 13}, Image::RandomButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::ChordTableRandom, 0, {154, 480, 13, 13}, Image::RandomButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::PatternRandom, 0, {154, 546, 13, 13}, Image::RandomButton, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {Tag::CompressorSpeed, 0, {789, 127, 45, 19}, Image::CompressorSpeedSelector, 1, 1, 5, true, m(1), false, 0, false},
    {Tag::CompressorDepth, 0, {789, 106, 45, 19}, Image::CompressorDepthSelector, 1, 1, 5, true, m(1), false, 0, false},
    {Tag::KickToSidechain, 0, {853, 171, 15, 15}, Image::Light, 0, 1, 2, true, m(6, 5, 6, 5), true, 0, false},
    // Beside the library path in the locate panel, where its plate is.
    {Tag::SelectPath, 0, {228, 155, 68, 21}, Image::LocateButton, 0, 0, 2, false, none, true, 0, false, true},
    {Tag::InterfaceSwitch3, 0, {771, 4, 177, 32}, Image::NameButton, 0, 0, 2, false, none, false, FF_HOVER, false},
    {Tag::InterfaceSwitch4, 0, {469, 18, 9, 17}, Image::NextArrow, 0, 0, 2, true, m(1, 5, 1, 5), false, 0, false},
    {Tag::InterfaceSwitch5, 0, {441, 18, 9, 17}, Image::PreviousArrow, 0, 0, 2, true, m(1, 5, 1, 5), false, 0, false},
    {Tag::InterfaceSwitch6, 0, {609, 18, 9, 17}, Image::NextArrow, 0, 0, 2, true, m(1, 5, 1, 5), false, 0, false},
    {Tag::InterfaceSwitch7, 0, {581, 18, 9, 17}, Image::PreviousArrow, 0, 0, 2, true, m(1, 5, 1, 5), false, 0, false},
    {Tag::InterfaceSwitch8, 0, {749, 18, 9, 17}, Image::NextArrow, 0, 0, 2, true, m(1, 5, 1, 5), false, 0, false},
    {Tag::InterfaceSwitch9, 0, {721, 18, 9, 17}, Image::PreviousArrow, 0, 0, 2, true, m(1, 5, 1, 5), false, 0, false},
    {Widget::GlobalPresetOpener, 0, {451, 18, 17, 17}, Image::MenuOpener, 0, 9, 2, false, m(0, 5, 0, 5), false, 0,
     false},
    {Widget::SoundPresetOpener, 0, {591, 18, 17, 17}, Image::MenuOpener, 0, 9, 2, false, m(0, 5, 0, 5), false, 0,
     false},
    {Widget::SequencePresetOpener, 0, {731, 18, 17, 17}, Image::MenuOpener, 0, 9, 2, false, m(0, 5, 0, 5), false, 0,
     false},
    {kExportButtonTag, 0, {841, 56, 111, 33}, Image::MidiExportButton, 0, 0, 2, false, none, false, 0, false},
    {Tag::ExportLengthUp, 0, {825, 65, 11, 8}, Image::TinyUpArrow, 0, 0, 2, true, m(1), false, 0, false},
    {Tag::ExportLengthDown, 0, {825, 74, 11, 8}, Image::TinyDownArrow, 0, 0, 2, true, m(1), false, 0, false},
};

}  // namespace

std::span<const ImageRow> mainPageImages() { return kImages; }
std::span<const KnobRow> mainPageKnobs() { return kKnobs; }
std::span<const DisplayRow> mainPageDisplays() { return kDisplays; }
std::span<const ButtonRow> mainPageButtons() { return kButtons; }

}  // namespace layout
