// The chord-bank, instrument and preset menus, and the buttons that step
// and open them.

#include "editor/LayoutRows.h"

namespace layout {
namespace {

using P = PresetMenuKind;
constexpr uint32_t kChordBankStyle = 232;   // file menu, folder tree, file name shown, save entry
constexpr uint32_t kInstrumentStyle = 104;  // file menu, folder tree, file name shown
constexpr uint32_t kPresetStyle = 488;      // as the chord banks, with a title entry

constexpr PresetMenuRow kMenus[] = {
    {391, P::chordBanks, 0, {265, 619, 96, 15}, kChordBankStyle, 0, 1027, m(0, 5, 0, 5)},
    {392, P::instruments, 0, {17, 113, 113, 17}, kInstrumentStyle, 1, 1073, m(0, 3, 0, 3)},
    {393, P::instruments, 1, {207, 113, 113, 17}, kInstrumentStyle, 1, 1074, m(0, 3, 0, 3)},
    {394, P::instruments, 2, {397, 113, 113, 17}, kInstrumentStyle, 1, 1075, m(0, 3, 0, 3)},
    {395, P::presets, 0, {342, 19, 99, 15}, kPresetStyle, 0, 1072, m(-1, 5, -1, 5)},
    {396, P::presets, 1, {481, 20, 99, 15}, kPresetStyle, 0, 1072, m(0, 5, 0, 5)},
    {397, P::presets, 2, {621, 20, 99, 15}, kPresetStyle, 0, 1072, m(0, 5, 0, 5)},
};

constexpr CompanionRow kCompanions[] = {
    {395, 314, 315, 320}, {397, 318, 319, 322}, {396, 316, 317, 321}, {391, 214, 215, 216},
    {392, 221, 220, 222}, {393, 228, 227, 229}, {394, 231, 230, 232},
};

}  // namespace

std::span<const PresetMenuRow> presetMenus() { return kMenus; }
std::span<const CompanionRow> companions() { return kCompanions; }

}  // namespace layout
