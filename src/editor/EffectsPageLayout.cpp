// The effects page (page 11) with its two delay panels: the double delay on
// page 2 and the sixteenth-note delay on page 3, in one place.

#include "editor/LayoutRows.h"

namespace layout {
namespace {

constexpr int8_t L31 = kValueLayer, NL = kNoLayer;
constexpr float ND = kNoDefault;

constexpr ImageRow kImages[] = {
    {Display::EffectsPanel, 11, {0, 38, 763, 182}, Image::EffectsPanel, ImageSource::none, NL},
    {Display::SixteenthDelayPanel, 3, {466, 82, 144, 114}, Image::SixteenthDelayPanel, ImageSource::none, NL},
};

constexpr KnobRow big(int32_t tag, int16_t page, int16_t x, int16_t y, float defaultValue,
                      int16_t image = Image::LargeKnob) {
    return {tag, page, {x, y, 43, 43}, image, 128, 43, 1.0f, defaultValue, m(5), 0, true, NL, {}};
}
constexpr KnobRow small(int32_t tag, int16_t page, int16_t x, int16_t y, float defaultValue,
                        int16_t image = Image::SmallKnob) {
    return {tag, page, {x, y, 31, 31}, image, 128, 31, 1.0f, defaultValue, m(5), 0, true, NL, {}};
}
constexpr KnobRow fader(int32_t tag, int16_t x) {
    return {tag, 11, {x, 91, 25, 70}, Image::LevelFader, 57, 70, 1.0f, ND, m(2), 0, true, NL, {}};
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
    shows(small(Tag::DlyFeed, 2, 533, 165, 0.25f), Display::DlyFeed),
    shows(big(Tag::DlyTime, 2, 475, 101, 0.75f), Display::DlyTime),
    shows(small(Tag::DlyWidth, 2, 533, 113, ND, Image::DelayWidthKnob), Display::DlyWidth),
    shows(big(Tag::RvbSize, 11, 653, 101, ND), Display::RvbSize),
    shows(small(Tag::RvbWidth, 11, 633, 165, ND), Display::RvbWidth),
    shows(small(Tag::RvbDamp, 11, 685, 165, ND), Display::RvbDamp),
    shows(fader(Tag::RvbMix, 731), Display::RvbMix),
    shows(fader(Tag::DlyMix, 579), Display::DlyMix),
    shows(big(Tag::ChsRate, 11, 196, 101, 0.25f), Display::ChsRatePlate, Display::ChsRate),
    shows(small(Tag::ChsDepth, 11, 229, 165, ND), Display::ChsDepth),
    shows(fader(Tag::ChsMix, 275), Display::ChsMix),
    shows(small(Tag::ChsShape, 11, 177, 165, ND), Display::ChsShape),
    shows(small(Tag::PhsFeed, 11, 381, 165, 0.25f), Display::PhsFeed),
    shows(big(Tag::PhsRate, 11, 348, 101, 0.25f), Display::PhsRatePlate, Display::PhsRate),
    shows(small(Tag::PhsDepth, 11, 329, 165, 1.0f), Display::PhsDepth),
    shows(fader(Tag::PhsMix, 427), Display::PhsMix),
    shows(big(Tag::RvsSize, 11, 44, 101, 1.0f), Display::RvsSize),
    shows(fader(Tag::RvsMix, 123), Display::RvsMix),
    shows(small(Tag::RvsDecay, 11, 77, 165, 1.0f), Display::RvsDecay),
    shows(small(Tag::RvsXfade, 11, 25, 165, ND), Display::RvsXfade),
    shows(plain(big(Tag::Dly16TimeR, 3, 527, 101, 0.75f, Image::DelayTimeKnob)), Display::Dly16TimeR),
    shows(plain(big(Tag::Dly16TimeL, 3, 475, 101, 0.75f, Image::DelayTimeKnob)), Display::Dly16TimeL),
    shows(plain(small(Tag::Dly16Feed, 3, 533, 165, 0.25f, Image::SixteenthFeedKnob)), Display::Dly16Feed),
};

using K = DisplayKind;
using T = TextForm;
constexpr uint8_t R = kRawIndex, HID = kHiddenAtOpen;

constexpr DisplayRow text(int32_t tag, int16_t page, int16_t x, int16_t y, TextForm form) {
    return {tag, page, K::valueText, {x, y, 52, 15}, Image::ValueBox, 0, 0, form, 0, 0, "", HID, L31};
}
constexpr DisplayRow sixteenths(int32_t tag, int16_t x) {
    return {tag, 3, K::valueText, {x, 146, 52, 15}, Image::ValueBox, 0, 0, T::number, 2, 0, "  /16th", R | HID, L31};
}
constexpr DisplayRow box(int32_t tag, int16_t x) {
    return {tag, 11, K::imageOnly, {x, 148, 52, 15}, Image::ValueBox, 0, 0, T::none, 0, 0, "", HID, L31};
}
constexpr DisplayRow gauge(int32_t tag, int16_t x) {
    return {tag, 11, K::picture, {x, 150, 39, 11}, Image::RateGauge, 27, 11, T::none, 0, 0, "", HID, L31};
}

constexpr DisplayRow kDisplays[] = {
    text(Display::RvsSize, 11, 40, 148, T::listName),
    text(Display::RvsDecay, 11, 67, 197, T::time),
    text(Display::RvsXfade, 11, 13, 197, T::percent),
    text(Display::RvsMix, 11, 110, 197, T::percent),
    text(Display::ChsDepth, 11, 219, 197, T::percent),
    text(Display::ChsShape, 11, 164, 197, T::percent),
    text(Display::ChsMix, 11, 262, 197, T::percent),
    box(Display::PhsRatePlate, 344),
    text(Display::PhsDepth, 11, 372, 197, T::percent),
    text(Display::PhsFeed, 11, 317, 197, T::percent),
    text(Display::PhsMix, 11, 415, 197, T::percent),
    text(Display::DlyTime, 2, 473, 147, T::listName),
    text(Display::DlyFeed, 2, 524, 197, T::percent),
    text(Display::DlyWidth, 2, 524, 147, T::percent),
    text(Display::DlyMix, 11, 567, 197, T::percent),
    text(Display::RvbSize, 11, 649, 148, T::percent),
    text(Display::RvbDamp, 11, 676, 197, T::percent),
    text(Display::RvbWidth, 11, 621, 197, T::percent),
    text(Display::RvbMix, 11, 719, 197, T::percent),
    gauge(Display::PhsRate, 351),
    box(Display::ChsRatePlate, 191),
    gauge(Display::ChsRate, 198),
    sixteenths(Display::Dly16TimeR, 525),
    sixteenths(Display::Dly16TimeL, 468),
    text(Display::Dly16Feed, 3, 523, 197, T::percent),
};

constexpr ButtonRow power(int32_t tag, int16_t x) {
    return {tag, 11, {x, 167, 21, 21}, Image::PowerButton, 0, 1, 2, true, m(4), true, 0, false};
}
constexpr ButtonRow kButtons[] = {power(Tag::RvsOnOff, 125), power(Tag::ChsOnOff, 277), power(Tag::RvbOnOff, 733),
                                  power(Tag::PhsOnOff, 429), power(Tag::DlyOnOff, 581)};

}  // namespace

std::span<const ImageRow> effectsPageImages() { return kImages; }
std::span<const KnobRow> effectsPageKnobs() { return kKnobs; }
std::span<const DisplayRow> effectsPageDisplays() { return kDisplays; }
std::span<const ButtonRow> effectsPageButtons() { return kButtons; }

}  // namespace layout
