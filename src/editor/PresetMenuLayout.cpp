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
    {Widget::ChordBankMenu, P::chordBanks, 0, {265, 619, 96, 15}, kChordBankStyle, 0, Image::ChordBankMenuBox,
     m(0, 5, 0, 5)},
    {Widget::Osc1InstrumentMenu, P::instruments, 0, {17, 113, 113, 17}, kInstrumentStyle, 1, Image::Osc1MenuBox,
     m(0, 3, 0, 3)},
    {Widget::Osc2InstrumentMenu, P::instruments, 1, {207, 113, 113, 17}, kInstrumentStyle, 1, Image::Osc2MenuBox,
     m(0, 3, 0, 3)},
    {Widget::Osc3InstrumentMenu, P::instruments, 2, {397, 113, 113, 17}, kInstrumentStyle, 1, Image::Osc3MenuBox,
     m(0, 3, 0, 3)},
    {Widget::GlobalPresetMenu, P::presets, 0, {342, 19, 99, 15}, kPresetStyle, 0, Image::PresetMenuBox,
     m(-1, 5, -1, 5)},
    {Widget::SoundPresetMenu, P::presets, 1, {481, 20, 99, 15}, kPresetStyle, 0, Image::PresetMenuBox, m(0, 5, 0, 5)},
    {Widget::SequencePresetMenu, P::presets, 2, {621, 20, 99, 15}, kPresetStyle, 0, Image::PresetMenuBox,
     m(0, 5, 0, 5)},
};

constexpr CompanionRow kCompanions[] = {
    {Widget::GlobalPresetMenu, Tag::InterfaceSwitch4, Tag::InterfaceSwitch5, Widget::GlobalPresetOpener},
    {Widget::SequencePresetMenu, Tag::InterfaceSwitch8, Tag::InterfaceSwitch9, Widget::SequencePresetOpener},
    {Widget::SoundPresetMenu, Tag::InterfaceSwitch6, Tag::InterfaceSwitch7, Widget::SoundPresetOpener},
    {Widget::ChordBankMenu, Tag::InterfaceSwitch1, Tag::InterfaceSwitch2, Widget::ChordBankOpener},
    {Widget::Osc1InstrumentMenu, Tag::Osc1SelectorB, Tag::Osc1SelectorA, Widget::Osc1InstrumentOpener},
    {Widget::Osc2InstrumentMenu, Tag::Osc2SelectorB, Tag::Osc2SelectorA, Widget::Osc2InstrumentOpener},
    {Widget::Osc3InstrumentMenu, Tag::Osc3SelectorB, Tag::Osc3SelectorA, Widget::Osc3InstrumentOpener},
};

}  // namespace

std::span<const PresetMenuRow> presetMenus() { return kMenus; }
std::span<const CompanionRow> companions() { return kCompanions; }

}  // namespace layout
