// The main page (page 0, always shown): master stage, kick and compressor,
// the sequencer's global settings, meters, tempo, the top bar's preset
// buttons and the MIDI export.

#include "editor/LayoutRows.h"

namespace layout {
namespace {

constexpr uint8_t A = kAbsolute, H = kHorizontal, F = kFullFrameScale;
constexpr int8_t L1 = kImageLayer, L31 = kValueLayer, NL = kNoLayer;

constexpr ImageRow kImages[] = {
    {360, 0, {668, 584, 8, 8}, 1090, ImageSource::keyMarker, NL},
    {363, 0, {193, 224, 18, 255}, 1099, ImageSource::lanePlayBar, L1},
};

constexpr KnobRow kKnobs[] = {
    {75, 0, {543, 618, 319, 17}, 1066, 16, 17, 0.25f, 0.0f, m(5), A | H | F, false, NL, {}},
    {81, 0, {143, 391, 40, 15}, 1101, 8, 15, 1.0f, 0.0f, m(2), 0, true, NL, {}},
    {80, 0, {58, 322, 83, 19}, 1049, 69, 19, 1.0f, 0.0f, m(1), H, true, NL, {97}},
    {83, 0, {845, 90, 31, 31}, 1063, 128, 31, 1.0f, kNoDefault, m(2), 0, true, NL, {140}},
    {82, 0, {846, 135, 27, 27}, 1040, 49, 27, 1.0f, kNoDefault, m(2), F, true, NL, {}},
    {0, 0, {893, 104, 43, 43}, 1062, 128, 43, 1.0f, kNoDefault, m(3), 0, true, NL, {195}},
    {4, 0, {809, 166, 31, 31}, 1063, 128, 31, 1.0f, kNoDefault, m(2), 0, true, NL, {149}},
    {77, 0, {16, 576, 62, 19}, 1039, 48, 19, 1.0f, 0.0f, m(2), H, true, NL, {157}},
    {76, 0, {293, 572, 40, 17}, 1022, 3, 17, 1.0f, 0.0f, m(5), 0, true, NL, {}},
    {93, 0, {120, 575, 21, 21}, 1061, 127, 21, 0.4f, 0.0f, m(3), 0, false, NL, {158}},
    {94, 0, {85, 575, 21, 21}, 1061, 127, 21, 0.4f, 0.0f, m(3), 0, false, NL, {159}},
    {3, 0, {773, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {196}},
    {1, 0, {881, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, false, NL, {190}},
    {2, 0, {917, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, false, NL, {202}},
};

using K = DisplayKind;
using T = TextForm;
constexpr uint8_t R = kRawIndex, MO = kMouseOff, TR = kTransparent, HID = kHiddenAtOpen, W = kWhiteText;

constexpr DisplayRow kDisplays[] = {
    {95, 0, K::picture, {883, 644, 45, 25}, 1030, 17, 25, T::none, 0, 0, "", R | MO | TR | W, NL},
    {97, 0, K::valueText, {142, 324, 52, 15}, 1031, 0, 0, T::time, 0, 0, "", HID, L31},
    {149, 0, K::valueText, {799, 211, 52, 15}, 1031, 0, 0, T::number, 2, 0, "", HID, L31},
    {155, 0, K::picture, {15, 256, 104, 21}, 1121, 5, 21, T::none, 0, 0, "", R, NL},
    {156, 0, K::picture, {16, 14, 8, 9}, 1081, 11, 9, T::none, 0, 0, "", 0, NL},
    {157, 0, K::valueText, {22, 597, 52, 15}, 1031, 0, 0, T::percent, 0, 0, "", HID, L31},
    {158, 0, K::valueText, {107, 597, 52, 15}, 1031, 0, 0, T::percent, 0, 0, "", HID, L31},
    {159, 0, K::valueText, {70, 597, 52, 15}, 1031, 0, 0, T::percent, 0, 0, "", HID, L31},
    {161, 0, K::picture, {890, 572, 31, 17}, 1091, 24, 17, T::none, 0, 0, "", R | MO | TR | W, NL},
    {163, 0, K::picture, {779, 107, 7, 38}, 1116, 14, 38, T::none, 0, 0, "", 0, NL},
    {190, 0, K::valueText, {859, 211, 52, 15}, 1031, 0, 0, T::time, 0, 0, "", HID, L31},
    {195, 0, K::valueText, {889, 195, 52, 15}, 1031, 0, 0, T::decibel, 0, 0, "", HID, L31},
    {196, 0, K::valueText, {757, 211, 52, 15}, 1031, 0, 0, T::decibel, 0, 0, "", HID, L31},
    {197, 0, K::levelMeter, {884, 95, 36, 55}, 1032, 17, 0, T::none, 0, 0, "", MO | TR, NL},
    {198, 0, K::levelMeter, {908, 95, 36, 55}, 1033, 17, 0, T::none, 0, 0, "", MO | TR, NL},
    {200, 0, K::tempo, {347, 575, 50, 11}, 0, 0, 0, T::none, 0, 0, "", MO, NL},
    {202, 0, K::valueText, {898, 211, 52, 15}, 1031, 0, 0, T::time, 0, 0, "", HID, L31},
};

constexpr int8_t FF_HOVER = 2;  // frameFlags of button 313: a hover frame per state

constexpr ButtonRow kButtons[] = {
    {204, 0, {118, 663, 20, 21}, 1016, 0, 0, 2, true, m(1, 4, 1, 4), false, 0, false},
    {205, 0, {47, 664, 10, 17}, 1079, 0, 0, 2, true, m(1, 3, 1, 3), false, 0, false},
    {206, 0, {16, 664, 10, 17}, 1080, 0, 0, 2, true, m(1, 3, 1, 3), false, 0, false},
    {207, 0, {110, 664, 10, 17}, 1079, 0, 0, 2, true, m(1, 3, 1, 3), false, 0, false},
    {208, 0, {58, 664, 10, 17}, 1080, 0, 0, 2, true, m(1, 3, 1, 3), false, 0, false},
    {74, 0, {451, 618, 89, 17}, 1020, 0, 1, 3, true, m(0, 5, 0, 5), false, 0, false},
    {209, 0, {114, 633, 13, 13}, 1025, 0, 0, 2, true, m(2, 4, 2, 4), true, 0, false},
    {210, 0, {130, 633, 13, 13}, 1088, 0, 0, 2, true, m(2, 4, 2, 4), true, 0, false},
    {211, 0, {150, 661, 14, 23}, 1013, 0, 0, 2, true, m(1, 3, 1, 3), true, 0, false},
    {212, 0, {166, 661, 14, 23}, 1014, 0, 0, 2, true, m(1, 3, 1, 3), true, 0, false},
    {213, 0, {169, 633, 13, 13}, 1054, 0, 0, 2, true, m(3), true, 0, false},
    {214, 0, {392, 617, 9, 17}, 1051, 0, 0, 2, true, m(1, 4, 1, 4), false, 0, false},
    {215, 0, {362, 617, 9, 17}, 1052, 0, 0, 2, true, m(1, 4, 1, 4), false, 0, false},
    {216, 0, {373, 617, 17, 17}, 1053, 0, 9, 2, false, m(1, 4, 1, 4), false, 0, false},
    {217, 0, {24, 391, 45, 15}, 1004, 1, 1, 2, true, m(5), false, 0, false},
    {218, 0, {131, 390, 10, 17}, 1079, 0, 0, 2, true, m(2, 4, 2, 4), false, 0, false},
    {219, 0, {79, 390, 10, 17}, 1080, 0, 0, 2, true, m(2, 4, 2, 4), false, 0, false},
    {223, 0, {58, 343, 20, 21}, 1110, 0, 1, 2, true, m(1), false, 0, false},
    {224, 0, {78, 343, 20, 21}, 1111, 0, 1, 2, true, m(1), false, 0, false},
    {225, 0, {99, 343, 20, 21}, 1112, 0, 1, 2, true, m(1), false, 0, false},
    {226, 0, {121, 343, 20, 21}, 1010, 1, 1, 2, true, m(1), false, 0, false},
    {276, 0, {453, 572, 70, 17}, 1023, 1, 1, 2, true, m(5, 4, 5, 4), false, 0, false},
    {277, 0, {68, 511, 10, 17}, 1079, 0, 0, 2, true, m(2, 4, 2, 4), false, 0, false},
    {278, 0, {16, 511, 10, 17}, 1080, 0, 0, 2, true, m(2, 4, 2, 4), false, 0, false},
    {279, 0, {193, 571, 20, 20}, 1097, 0, 1, 2, true, none, false, 0, false},
    {280, 0, {114, 546, 13, 13}, 1026, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {281, 0, {130, 546, 13, 13}, 1088, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {282, 0, {150, 574, 14, 23}, 1013, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {283, 0, {166, 574, 14, 23}, 1014, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {284, 0, {169, 546, 13, 13}, 1054, 0, 0, 2, true, m(3, 6, 3, 6), true, 0, false},
    {285, 0, {121, 444, 20, 21}, 1016, 0, 0, 2, true, m(1, 4, 1, 4), false, 0, false},
    {286, 0, {114, 414, 13, 13}, 1025, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {287, 0, {130, 414, 13, 13}, 1088, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {288, 0, {150, 442, 14, 23}, 1013, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {289, 0, {166, 442, 14, 23}, 1014, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {290, 0, {169, 414, 13, 13}, 1054, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {291, 0, {114, 304, 13, 13}, 1025, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {292, 0, {130, 304, 13, 13}, 1088, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {293, 0, {150, 332, 14, 23}, 1013, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {294, 0, {166, 332, 14, 23}, 1014, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {295, 0, {169, 304, 13, 13}, 1054, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {296, 0, {114, 480, 13, 13}, 1025, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {297, 0, {130, 480, 13, 13}, 1088, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {298, 0, {150, 507, 14, 23}, 1013, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {299, 0, {166, 507, 14, 23}, 1014, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {300, 0, {169, 480, 13, 13}, 1054, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {301, 0, {110, 445, 10, 17}, 1079, 0, 0, 2, true, m(1, 4, 1, 4), false, 0, false},
    {302, 0, {16, 445, 10, 17}, 1080, 0, 0, 2, true, m(1, 4, 1, 4), false, 0, false},
    {303, 0, {154, 304, 13, 13}, 1008, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {304, 0, {154, 414, 13, 13}, 1008, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {305, 0, {154, 480, 13, 13}, 1008, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {306, 0, {154, 546, 13, 13}, 1008, 0, 0, 2, true, m(1, 4, 1, 4), true, 0, false},
    {7, 0, {789, 127, 45, 19}, 1107, 1, 1, 5, true, m(1), false, 0, false},
    {6, 0, {789, 106, 45, 19}, 1106, 1, 1, 5, true, m(1), false, 0, false},
    {5, 0, {853, 171, 15, 15}, 1012, 0, 1, 2, true, m(6, 5, 6, 5), true, 0, false},
    // Beside the library path in the locate panel, where its plate is.
    {312, 0, {228, 155, 68, 21}, 1089, 0, 0, 2, false, none, true, 0, false, true},
    {313, 0, {771, 4, 177, 32}, 1002, 0, 0, 2, false, none, false, FF_HOVER, false},
    {314, 0, {469, 18, 9, 17}, 1051, 0, 0, 2, true, m(1, 5, 1, 5), false, 0, false},
    {315, 0, {441, 18, 9, 17}, 1052, 0, 0, 2, true, m(1, 5, 1, 5), false, 0, false},
    {316, 0, {609, 18, 9, 17}, 1051, 0, 0, 2, true, m(1, 5, 1, 5), false, 0, false},
    {317, 0, {581, 18, 9, 17}, 1052, 0, 0, 2, true, m(1, 5, 1, 5), false, 0, false},
    {318, 0, {749, 18, 9, 17}, 1051, 0, 0, 2, true, m(1, 5, 1, 5), false, 0, false},
    {319, 0, {721, 18, 9, 17}, 1052, 0, 0, 2, true, m(1, 5, 1, 5), false, 0, false},
    {320, 0, {451, 18, 17, 17}, 1053, 0, 9, 2, false, m(0, 5, 0, 5), false, 0, false},
    {321, 0, {591, 18, 17, 17}, 1053, 0, 9, 2, false, m(0, 5, 0, 5), false, 0, false},
    {322, 0, {731, 18, 17, 17}, 1053, 0, 9, 2, false, m(0, 5, 0, 5), false, 0, false},
    {kExportButtonTag, 0, {841, 56, 111, 33}, 1036, 0, 0, 2, false, none, false, 0, false},
    {324, 0, {825, 65, 11, 8}, 1068, 0, 0, 2, true, m(1), false, 0, false},
    {325, 0, {825, 74, 11, 8}, 1067, 0, 0, 2, true, m(1), false, 0, false},
};

}  // namespace

std::span<const ImageRow> mainPageImages() { return kImages; }
std::span<const KnobRow> mainPageKnobs() { return kKnobs; }
std::span<const DisplayRow> mainPageDisplays() { return kDisplays; }
std::span<const ButtonRow> mainPageButtons() { return kButtons; }

}  // namespace layout
