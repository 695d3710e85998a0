// The option menus of the sequencer, chord, channel and lane areas, and the
// hidden list menus whose values the page switches follow.

#include "editor/LayoutRows.h"

namespace layout {
namespace {

constexpr const char* kChords[] = {"major", "maj 6", "maj 7", "maj 9", "minor", "min 6", "min 7", "min 9"};
constexpr const char* kKeys[] = {"c", "c#", "d", "d#", "e", "f", "f#", "g", "g#", "a", "b flat", "b"};
constexpr const char* kRestarts[] = {"play", "wrap", "block", "style", "chord", "midi"};
constexpr const char* kChannels[] = {"Channel 1",  "Channel 2",  "Channel 3",  "Channel 4",
                                     "Channel 5",  "Channel 6",  "Channel 7",  "Channel 8",
                                     "Channel 9",  "Channel 10", "Channel 11", "Channel 12",
                                     "Channel 13", "Channel 14", "Channel 15", "Channel 16"};
constexpr const char* kLayerTargets[] = {"off", "level", "pan",    "octave",  "crush",
                                         "age", "attack", "decay", "sustain", "release"};
constexpr const char* kFilterTargets[] = {"off", "cutoff", "reso",  "peak",    "mix",
                                          "age", "attack", "decay", "sustain", "release"};
constexpr const char* kEffectTargets[] = {"off", "reverse mix", "chorus mix", "phaser mix", "delay mix", "reverb mix"};
constexpr const char* kDivides[] = {"no divide", "2/1", "4/1"};
constexpr const char* kFeels[] = {"quarter feel", "eight feel", "triple feel", "standard",
                                  "broken",       "crazy",      "upward",      "downward"};
constexpr const char* kBars[] = {"1 bar",  "2 Bars",  "3 Bars",  "4 bars",  "5 bars",  "6 bars",  "7 bars",
                                 "8 bars", "12 bars", "16 bars", "24 bars", "32 bars", "48 bars", "64 bars"};

constexpr int8_t kNoFont = -1;

constexpr MenuRow channel(int32_t tag, int16_t x, float start) {
    return {tag, 1, {x, 93, 12, 11}, m(6, 1, 6, 1), 0, 14, Image::ChannelMenuPicture, 11, 15, 8, start, kChannels};
}
constexpr MenuRow target(int32_t tag, int16_t page, int16_t picture, std::span<const char* const> entries) {
    return {tag, page, {37, 281, 83, 15}, m(3), 0, 16, picture, 15, 15, kNoFont, 0.0f, entries};
}

constexpr MenuRow kVisible[] = {
    {Tag::Chordlist, 0, {67, 665, 40, 15}, m(1, 5, 1, 5), -9, -120, Image::ChordMenuPicture, 15, 15, kNoFont, 0.0f,
     kChords},
    {Tag::ChordListRotation, 0, {29, 665, 15, 15}, m(2, 4, 2, 4), -23, -180, Image::KeyMenuPicture, 15, 15, kNoFont,
     0.0f, kKeys},
    {Tag::RestartArp, 0, {87, 391, 45, 15}, m(0, 4, 0, 4), -18, 18, Image::RestartMenuPicture, 15, 15, kNoFont, 0.0f,
     kRestarts},
    channel(Tag::Osc1Channel, 123, 0.0f),
    channel(Tag::Osc2Channel, 313, 1.0f),
    channel(Tag::Osc3Channel, 502, 0.0f),
    target(Tag::Lane1Row, 25, Image::LayerTargetMenuPicture, kLayerTargets),
    target(Tag::Lane2Row, 26, Image::LayerTargetMenuPicture, kLayerTargets),
    target(Tag::Lane3Row, 27, Image::LayerTargetMenuPicture, kLayerTargets),
    target(Tag::Lane4Row, 28, Image::FilterTargetMenuPicture, kFilterTargets),
    target(Tag::Lane5Row, 29, Image::EffectTargetMenuPicture, kEffectTargets),
    {Tag::ChordSeqDivide, 0, {25, 512, 42, 15}, m(-1, 4, -1, 4), -9, 16, Image::ChordDivideMenuPicture, 15, 15,
     kNoFont, 1.0f, kDivides},
    {Tag::Factorypatterns, 0, {27, 446, 83, 15}, none, 0, 17, Image::FeelMenuPicture, 15, 15, kNoFont, 0.0f, kFeels},
    {Tag::ExportLength, 0, {811, 68, 14, 11}, m(1, 4, 1, 4), 0, 0, Image::BarsMenuPicture, 11, 12, 1, 0.0f, kBars},
};

constexpr HiddenMenuRow kHidden[] = {
    {Tag::ChordModePages, {183, 32, 40, 20}, 2},
    {Tag::FilterTypeSourceA, {0, 0, 40, 20}, 5},
    {Tag::FilterTypeSourceB, {0, 0, 40, 20}, 5},
    {Tag::FilterTypeSelectorC, {0, 0, 40, 20}, 5},
    {Tag::FilterTypeSelectorD, {0, 0, 40, 20}, 5},
    {Tag::ModulationPage1, {0, 0, 40, 20}, 2},
    {Tag::ModulationPage2, {0, 0, 40, 20}, 2},
    {Tag::ModulationTracks, {2, 646, 40, 20}, 5},
    {Tag::ModulationPage3, {0, 0, 40, 20}, 2},
    {Tag::ModulationPage4, {0, 0, 40, 20}, 2},
    {Tag::ModulationPage5, {0, 0, 40, 20}, 2},
    {Tag::PatternOctavePage, {0, 0, 40, 20}, 2},
};

constexpr int32_t kResent[] = {Tag::ChordModePages,      Tag::FilterTypeSourceA, Tag::FilterTypeSourceB,
                               Tag::FilterTypeSelectorC, Tag::FilterTypeSelectorD, Tag::ModulationTracks,
                               Tag::SoundDelayPages,     Tag::OctavePages,       Tag::PatternOctavePage};

}  // namespace

std::span<const MenuRow> visibleMenus() { return kVisible; }
std::span<const HiddenMenuRow> hiddenMenus() { return kHidden; }
std::span<const int32_t> resentTags() { return kResent; }

}  // namespace layout
