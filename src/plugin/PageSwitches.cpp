#include "plugin/PageSwitches.h"

#include <array>

#include "plugin/ParameterTags.h"

namespace {

constexpr int32_t kEnd = -1;
constexpr PageResend kNone = {-1, {kEnd, kEnd, kEnd, kEnd}};

// Pages shown per state, as bits over the controlled pages in ascending order.
const std::array<PageSwitch, 11> kSwitches = {{
    {Tag::ChordModePages, 2, 0, 30, 32, {-1, -1}, {0b110, 0b001}, {kNone, kNone, kNone, kNone, kNone}},
    {Tag::ModulationPage1, 2, 20, 25, 25, {-1, -1}, {0b1, 0b0}, {kNone, kNone, kNone, kNone, kNone}},
    {Tag::ModulationPage2, 2, 21, 26, 26, {-1, -1}, {0b1, 0b0}, {kNone, kNone, kNone, kNone, kNone}},
    {Tag::ModulationTracks, 5, 0, 20, 24, {-1, -1}, {0b00001, 0b00010, 0b00100, 0b01000, 0b10000},
     {{20, {Tag::ModulationPage1, kEnd, kEnd, kEnd}},
      {21, {Tag::ModulationPage2, kEnd, kEnd, kEnd}},
      {22, {Tag::ModulationPage3, kEnd, kEnd, kEnd}},
      {23, {Tag::ModulationPage4, kEnd, kEnd, kEnd}},
      {24, {Tag::ModulationPage5, kEnd, kEnd, kEnd}}}},
    {Tag::ModulationPage3, 2, 22, 27, 27, {-1, -1}, {0b1, 0b0}, {kNone, kNone, kNone, kNone, kNone}},
    {Tag::ModulationPage4, 2, 23, 28, 28, {-1, -1}, {0b1, 0b0}, {kNone, kNone, kNone, kNone, kNone}},
    {Tag::ModulationPage5, 2, 24, 29, 29, {-1, -1}, {0b1, 0b0}, {kNone, kNone, kNone, kNone, kNone}},
    {Tag::SoundDelayPages, 2, 0, -1, -1, {1, 11}, {0b01, 0b10},
     {{1, {Tag::Osc1Sound, Tag::Osc2Sound, Tag::Osc3Sound, Tag::FilterVoiceMode}},
      {11, {Tag::DelaySwitch, kEnd, kEnd, kEnd}},
      kNone,
      kNone,
      kNone}},
    {Tag::OctavePages, 2, 0, 12, 13, {-1, -1}, {0b10, 0b01}, {kNone, kNone, kNone, kNone, kNone}},
    {Tag::PatternOctavePage, 2, 0, 14, 14, {-1, -1}, {0b1, 0b0},
     {{14, {Tag::PatternOctave, kEnd, kEnd, kEnd}}, kNone, kNone, kNone, kNone}},
    {Tag::DelaySwitch, 2, 11, 2, 3, {-1, -1}, {0b01, 0b10}, {kNone, kNone, kNone, kNone, kNone}},
}};

}  // namespace

std::span<const PageSwitch> pageSwitches() { return kSwitches; }

const PageSwitch* findPageSwitch(int32_t index) {
    for (const PageSwitch& entry : kSwitches) {
        if (entry.index == index) return &entry;
    }
    return nullptr;
}
