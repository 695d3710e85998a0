#include "plugin/PageSwitches.h"

#include <array>

namespace {

constexpr PageResend kNone = {-1, {-1, -1, -1, -1}};

// Pages shown per state, as bits over the controlled pages in ascending order.
const std::array<PageSwitch, 11> kSwitches = {{
    {340, 2, 0, 30, 32, {-1, -1}, {0b110, 0b001}, {kNone, kNone, kNone, kNone, kNone}},
    {348, 2, 20, 25, 25, {-1, -1}, {0b1, 0b0}, {kNone, kNone, kNone, kNone, kNone}},
    {349, 2, 21, 26, 26, {-1, -1}, {0b1, 0b0}, {kNone, kNone, kNone, kNone, kNone}},
    {350, 5, 0, 20, 24, {-1, -1}, {0b00001, 0b00010, 0b00100, 0b01000, 0b10000},
     {{20, {348, -1, -1, -1}}, {21, {349, -1, -1, -1}}, {22, {351, -1, -1, -1}},
      {23, {352, -1, -1, -1}}, {24, {353, -1, -1, -1}}}},
    {351, 2, 22, 27, 27, {-1, -1}, {0b1, 0b0}, {kNone, kNone, kNone, kNone, kNone}},
    {352, 2, 23, 28, 28, {-1, -1}, {0b1, 0b0}, {kNone, kNone, kNone, kNone, kNone}},
    {353, 2, 24, 29, 29, {-1, -1}, {0b1, 0b0}, {kNone, kNone, kNone, kNone, kNone}},
    {354, 2, 0, -1, -1, {1, 11}, {0b01, 0b10},
     {{1, {341, 342, 343, 44}}, {11, {358, -1, -1, -1}}, kNone, kNone, kNone}},
    {356, 2, 0, 12, 13, {-1, -1}, {0b10, 0b01}, {kNone, kNone, kNone, kNone, kNone}},
    {357, 2, 0, 14, 14, {-1, -1}, {0b1, 0b0}, {{14, {355, -1, -1, -1}}, kNone, kNone, kNone, kNone}},
    {358, 2, 11, 2, 3, {-1, -1}, {0b01, 0b10}, {kNone, kNone, kNone, kNone, kNone}},
}};

}  // namespace

std::span<const PageSwitch> pageSwitches() { return kSwitches; }

const PageSwitch* findPageSwitch(int32_t index) {
    for (const PageSwitch& entry : kSwitches) {
        if (entry.index == index) return &entry;
    }
    return nullptr;
}
