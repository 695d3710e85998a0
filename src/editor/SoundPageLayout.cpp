// The sound page (page 1): the three sample layers and the filter.

#include "editor/LayoutRows.h"

namespace layout {
namespace {

constexpr uint8_t A = kAbsolute, H = kHorizontal, F = kFullFrameScale;
constexpr int8_t L1 = kImageLayer, L31 = kValueLayer, NL = kNoLayer;
constexpr float ND = kNoDefault;

constexpr KnobRow kKnobs[] = {
    {51, 1, {691, 61, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {145}},
    {52, 1, {727, 166, 31, 31}, 1063, 128, 31, 1.0f, ND, m(2), 0, true, NL, {148}},
    {10, 1, {14, 65, 67, 15}, 1115, 5, 15, 1.0f, 0.0f, m(3), A | H | F, true, NL, {100}},
    {11, 1, {122, 61, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(1), 0, true, NL, {99}},
    {12, 1, {85, 61, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {102}},
    {14, 1, {49, 166, 31, 31}, 1063, 128, 31, 1.0f, ND, none, 0, true, NL, {104}},
    {13, 1, {13, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, none, 0, true, NL, {103}},
    {15, 1, {85, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, none, 0, true, NL, {105}},
    {16, 1, {121, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, none, 0, true, NL, {106}},
    {25, 1, {239, 166, 31, 31}, 1063, 128, 31, 1.0f, ND, none, 0, true, NL, {108}},
    {24, 1, {203, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, none, 0, true, NL, {107}},
    {26, 1, {275, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, none, 0, true, NL, {109}},
    {27, 1, {311, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, none, 0, true, NL, {110}},
    {47, 1, {619, 166, 31, 31}, 1063, 128, 31, 1.0f, ND, m(2), 0, true, NL, {112}},
    {46, 1, {583, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {111}},
    {48, 1, {655, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {113}},
    {49, 1, {691, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {114}},
    {28, 1, {350, 91, 25, 70}, 1087, 57, 70, 1.0f, 0.0f, none, 0, true, NL, {138}},
    {17, 1, {160, 91, 25, 70}, 1087, 57, 70, 1.0f, 0.0f, none, 0, true, NL, {137}},
    {9, 1, {76, 146, 57, 13}, 1108, 8, 13, 1.0f, 0.0f, m(1), 0, false, NL, {}},
    {31, 1, {456, 146, 57, 13}, 1108, 8, 13, 1.0f, 0.0f, m(1), 0, false, NL, {}},
    {20, 1, {266, 146, 57, 13}, 1108, 8, 13, 1.0f, 0.0f, none, 0, false, NL, {}},
    {42, 1, {588, 145, 57, 13}, 1108, 8, 13, 1.0f, 0.0f, m(1), 0, false, NL, {}},
    {87, 1, {19, 135, 27, 11}, 1118, 128, 11, 0.3f, 0.0f, m(2), F, false, NL, {}},
    {88, 1, {103, 135, 27, 11}, 1119, 128, 11, 0.3f, 0.0f, m(2), F, false, NL, {}},
    {89, 1, {209, 135, 27, 11}, 1118, 128, 11, 0.3f, 0.0f, m(2), F, false, NL, {}},
    {90, 1, {293, 135, 27, 11}, 1119, 128, 11, 0.3f, 0.0f, m(2), F, false, NL, {}},
    {91, 1, {399, 135, 27, 11}, 1118, 128, 11, 0.3f, 0.0f, m(1), F, false, NL, {}},
    {92, 1, {483, 135, 27, 11}, 1119, 128, 11, 0.3f, 0.0f, m(1), F, false, NL, {}},
    {53, 1, {729, 90, 25, 70}, 1114, 57, 70, 1.0f, ND, none, 0, true, NL, {146}},
    {39, 1, {541, 91, 25, 70}, 1087, 57, 70, 1.0f, 0.0f, none, 0, true, NL, {139}},
    {36, 1, {429, 166, 31, 31}, 1063, 128, 31, 1.0f, ND, m(2), 0, true, NL, {119}},
    {35, 1, {393, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {118}},
    {37, 1, {465, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {120}},
    {38, 1, {501, 166, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {121}},
    {21, 1, {204, 64, 67, 15}, 1115, 5, 15, 1.5f, 0.0f, m(3), A | H | F, true, NL, {124}},
    {22, 1, {311, 61, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(1), 0, true, NL, {123}},
    {23, 1, {275, 61, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {126}},
    {33, 1, {501, 61, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(1), 0, true, NL, {128}},
    {32, 1, {394, 64, 67, 15}, 1115, 5, 15, 1.5f, 0.0f, m(2), A | H | F, true, NL, {129}},
    {34, 1, {465, 61, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {131}},
    {18, 1, {157, 61, 31, 31}, 1063, 128, 31, 1.0f, ND, m(1), 0, true, NL, {142}},
    {29, 1, {347, 61, 31, 31}, 1063, 128, 31, 1.0f, ND, m(1), 0, true, NL, {143}},
    {40, 1, {537, 61, 31, 31}, 1063, 128, 31, 1.0f, ND, m(1), 0, true, NL, {144}},
    {45, 1, {655, 61, 31, 31}, 1063, 128, 31, 1.0f, 0.0f, m(2), 0, true, NL, {141}},
    {50, 1, {667, 104, 43, 43}, 1062, 128, 43, 1.0f, ND, none, 0, true, L1, {147}},
};

using K = DisplayKind;
using T = TextForm;
constexpr uint8_t R = kRawIndex, MO = kMouseOff, HID = kHiddenAtOpen;

// A value text of the sound page: hidden, on the top layer, in its box.
constexpr DisplayRow text(int32_t tag, int16_t x, int16_t y, TextForm form, int8_t width = 0, int8_t precision = 0) {
    return {tag, 1, K::valueText, {x, y, 52, 15}, 1031, 0, 0, form, width, precision, "", HID, L31};
}
constexpr DisplayRow light(int32_t tag, int16_t x, int16_t y, int16_t w, int16_t h, int16_t image, uint8_t flags) {
    return {tag, 1, K::picture, {x, y, w, h}, image, 2, h, T::none, 0, 0, "", flags, NL};
}

constexpr DisplayRow kDisplays[] = {
    text(99, 109, 90, T::percent),         text(100, 21, 80, T::number, 2, 0),
    text(102, 73, 90, T::percent),         text(103, 3, 211, T::time),
    text(104, 38, 211, T::time),           text(105, 75, 211, T::number, 2, 2),
    text(106, 110, 211, T::time),          text(107, 195, 211, T::time),
    text(108, 230, 211, T::time),          text(109, 267, 211, T::number, 2, 2),
    text(110, 302, 211, T::time),          text(111, 575, 211, T::time),
    text(112, 610, 211, T::time),          text(113, 647, 211, T::number, 2, 2),
    text(114, 682, 211, T::time),          light(115, 67, 138, 17, 5, 1093, 0),
    light(116, 257, 138, 17, 5, 1093, 0),  light(117, 447, 138, 17, 5, 1093, 0),
    text(118, 385, 211, T::time),          text(119, 420, 211, T::time),
    text(120, 457, 211, T::number, 2, 2),  text(121, 492, 211, T::time),
    text(123, 299, 90, T::percent),        text(124, 212, 80, T::number, 2, 0),
    text(126, 263, 90, T::percent),        text(128, 491, 90, T::percent),
    text(129, 402, 80, T::number, 2, 0),   text(131, 452, 90, T::percent),
    light(132, 652, 89, 15, 15, 1012, MO), light(133, 708, 88, 15, 15, 1012, MO),
    light(134, 709, 148, 15, 15, 1012, MO), light(135, 681, 148, 15, 15, 1012, MO),
    light(136, 653, 148, 15, 15, 1012, R | MO),
    text(137, 147, 211, T::decibel),       text(138, 339, 211, T::decibel),
    text(139, 529, 211, T::decibel),       text(140, 837, 119, T::number, 2, 2),
    text(141, 643, 90, T::percent),        text(142, 146, 90, T::bipolarPercent),
    text(143, 335, 90, T::bipolarPercent), text(144, 525, 90, T::bipolarPercent),
    text(145, 679, 90, T::percent),        text(146, 715, 162, T::percent),
    text(147, 662, 162, T::frequency),     text(148, 717, 211, T::frequency),
};

constexpr ButtonRow kButtons[] = {
    {220, 1, {135, 106, 17, 9}, 1015, 0, 0, 5, true, m(4, 2, 4, 2), false, 0, false},
    {221, 1, {135, 139, 17, 9}, 1009, 0, 0, 5, true, m(4, 2, 4, 2), false, 0, false},
    {222, 1, {135, 118, 17, 17}, 1055, 0, 9, 2, false, none, false, 0, false},
    {8, 1, {18, 146, 57, 13}, 1109, 0, 1, 3, true, m(1), false, 0, false},
    {19, 1, {209, 146, 57, 13}, 1109, 0, 1, 3, true, none, false, 0, false},
    {30, 1, {399, 146, 57, 13}, 1109, 0, 1, 3, true, m(1), false, 0, false},
    {41, 1, {588, 129, 57, 13}, 1109, 1, 1, 3, true, m(1), false, 0, false},
    {227, 1, {325, 106, 17, 9}, 1015, 0, 0, 5, true, m(4, 2, 4, 2), false, 0, false},
    {228, 1, {325, 139, 17, 9}, 1009, 0, 0, 5, true, m(4, 2, 4, 2), false, 0, false},
    {229, 1, {325, 118, 17, 17}, 1056, 0, 9, 2, false, none, false, 0, false},
    {230, 1, {515, 105, 17, 9}, 1015, 0, 0, 5, true, m(4, 2, 4, 2), false, 0, false},
    {231, 1, {515, 137, 17, 9}, 1009, 0, 0, 5, true, m(4, 2, 4, 2), false, 0, false},
    {232, 1, {515, 117, 17, 17}, 1057, 0, 9, 2, false, m(2, 1, 2, 1), false, 0, false},
    {233, 1, {585, 65, 20, 21}, 1110, 0, 1, 2, true, m(1, 2, 1, 2), true, 0, false},
    {234, 1, {607, 65, 20, 21}, 1111, 1, 1, 2, true, m(1, 2, 1, 2), true, 0, false},
    {235, 1, {629, 65, 20, 21}, 1112, 0, 1, 2, true, m(1, 2, 1, 2), true, 0, false},
    {43, 1, {729, 64, 25, 21}, 1041, 0, 1, 2, true, m(3), true, 0, false},
};

}  // namespace

std::span<const KnobRow> soundPageKnobs() { return kKnobs; }
std::span<const DisplayRow> soundPageDisplays() { return kDisplays; }
std::span<const ButtonRow> soundPageButtons() { return kButtons; }

}  // namespace layout
