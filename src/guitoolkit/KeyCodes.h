#pragma once
// The key record that the frame hands to views (a character, a virtual key and
// modifier bits), with the virtual key and modifier numbers the toolkit tests.

#include <cstdint>

#include "core/VstTypes.h"

namespace VSTGUI {

enum VirtualKey : uint8_t {
    kKeyBack = 1,
    kKeyTab = 2,
    kKeyReturn = 4,
    kKeyEscape = 6,
    kKeySpace = 7,
    kKeyEnd = 9,
    kKeyHome = 10,
    kKeyLeft = 11,
    kKeyUp = 12,
    kKeyRight = 13,
    kKeyDown = 14,
    kKeyEnter = 19,
    kKeyDelete = 22,
    kKeyNumpad0 = 24,
    kKeyAdd = 35,
    kKeySubtract = 37,
};

enum KeyModifier : uint8_t {
    kModifierShift = 1,
    kModifierAlt = 2,
    kModifierCommand = 4,
    kModifierControl = 8,
};

}  // namespace VSTGUI
