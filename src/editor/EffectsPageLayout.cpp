// The effects page (page 11) with its two delay panels: the double delay on
// page 2 and the sixteenth-note delay on page 3, in one place.

#include "editor/LayoutRows.h"

namespace layout {
namespace {

constexpr int8_t L31 = kValueLayer, NL = kNoLayer;
constexpr float ND = kNoDefault;

constexpr ImageRow kImages[] = {
    {361, 11, {0, 38, 763, 182}, 1037, ImageSource::none, NL},
    {362, 3, {466, 82, 144, 114}, 1029, ImageSource::none, NL},
};

constexpr KnobRow big(int32_t tag, int16_t page, int16_t x, int16_t y, float defaultValue, int16_t image = 1062) {
    return {tag, page, {x, y, 43, 43}, image, 128, 43, 1.0f, defaultValue, m(5), 0, true, NL, {}};
}
constexpr KnobRow small(int32_t tag, int16_t page, int16_t x, int16_t y, float defaultValue, int16_t image = 1063) {
    return {tag, page, {x, y, 31, 31}, image, 128, 31, 1.0f, defaultValue, m(5), 0, true, NL, {}};
}
constexpr KnobRow fader(int32_t tag, int16_t x) {
    return {tag, 11, {x, 91, 25, 70}, 1087, 57, 70, 1.0f, ND, m(2), 0, true, NL, {}};
}
constexpr KnobRow shows(KnobRow row, int16_t first, int16_t second = 0) {
    row.displays[0] = first;
    row.displays[1] = second;
    return row;
}
constexpr KnobRow plain(KnobRow row) {
    row.margins = none;
    return row;
}

constexpr KnobRow kKnobs[] = {
    shows(small(68, 2, 533, 165, 0.25f), 176),
    shows(big(66, 2, 475, 101, 0.75f), 175),
    shows(small(67, 2, 533, 113, ND, 1035), 177),
    shows(big(70, 11, 653, 101, ND), 179),
    shows(small(71, 11, 633, 165, ND), 181),
    shows(small(72, 11, 685, 165, ND), 180),
    shows(fader(73, 731), 182),
    shows(fader(69, 579), 178),
    shows(big(58, 11, 196, 101, 0.25f), 184, 185),
    shows(small(59, 11, 229, 165, ND), 168),
    shows(fader(61, 275), 170),
    shows(small(60, 11, 177, 165, ND), 169),
    shows(small(64, 11, 381, 165, 0.25f), 173),
    shows(big(62, 11, 348, 101, 0.25f), 171, 183),
    shows(small(63, 11, 329, 165, 1.0f), 172),
    shows(fader(65, 427), 174),
    shows(big(54, 11, 44, 101, 1.0f), 164),
    shows(fader(57, 123), 167),
    shows(small(55, 11, 77, 165, 1.0f), 165),
    shows(small(56, 11, 25, 165, ND), 166),
    shows(plain(big(85, 3, 527, 101, 0.75f, 1021)), 186),
    shows(plain(big(84, 3, 475, 101, 0.75f, 1021)), 187),
    shows(plain(small(86, 3, 533, 165, 0.25f, 1034)), 188),
};

using K = DisplayKind;
using T = TextForm;
constexpr uint8_t R = kRawIndex, HID = kHiddenAtOpen;

constexpr DisplayRow text(int32_t tag, int16_t page, int16_t x, int16_t y, TextForm form) {
    return {tag, page, K::valueText, {x, y, 52, 15}, 1031, 0, 0, form, 0, 0, "", HID, L31};
}
constexpr DisplayRow sixteenths(int32_t tag, int16_t x) {
    return {tag, 3, K::valueText, {x, 146, 52, 15}, 1031, 0, 0, T::number, 2, 0, "  /16th", R | HID, L31};
}
constexpr DisplayRow box(int32_t tag, int16_t x) {
    return {tag, 11, K::imageOnly, {x, 148, 52, 15}, 1031, 0, 0, T::none, 0, 0, "", HID, L31};
}
constexpr DisplayRow gauge(int32_t tag, int16_t x) {
    return {tag, 11, K::picture, {x, 150, 39, 11}, 1105, 27, 11, T::none, 0, 0, "", HID, L31};
}

constexpr DisplayRow kDisplays[] = {
    text(164, 11, 40, 148, T::listName), text(165, 11, 67, 197, T::time),     text(166, 11, 13, 197, T::percent),
    text(167, 11, 110, 197, T::percent), text(168, 11, 219, 197, T::percent), text(169, 11, 164, 197, T::percent),
    text(170, 11, 262, 197, T::percent), box(171, 344),                       text(172, 11, 372, 197, T::percent),
    text(173, 11, 317, 197, T::percent), text(174, 11, 415, 197, T::percent), text(175, 2, 473, 147, T::listName),
    text(176, 2, 524, 197, T::percent),  text(177, 2, 524, 147, T::percent),  text(178, 11, 567, 197, T::percent),
    text(179, 11, 649, 148, T::percent), text(180, 11, 676, 197, T::percent), text(181, 11, 621, 197, T::percent),
    text(182, 11, 719, 197, T::percent), gauge(183, 351),                     box(184, 191),
    gauge(185, 198),                     sixteenths(186, 525),                sixteenths(187, 468),
    text(188, 3, 523, 197, T::percent),
};

constexpr ButtonRow power(int32_t tag, int16_t x) {
    return {tag, 11, {x, 167, 21, 21}, 1011, 0, 1, 2, true, m(4), true, 0, false};
}
constexpr ButtonRow kButtons[] = {power(307, 125), power(308, 277), power(309, 733), power(310, 429), power(311, 581)};

}  // namespace

std::span<const ImageRow> effectsPageImages() { return kImages; }
std::span<const KnobRow> effectsPageKnobs() { return kKnobs; }
std::span<const DisplayRow> effectsPageDisplays() { return kDisplays; }
std::span<const ButtonRow> effectsPageButtons() { return kButtons; }

}  // namespace layout
