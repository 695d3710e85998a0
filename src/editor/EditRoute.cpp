#include "editor/EditRoute.h"

#include "editor/DisplayTags.h"
#include "plugin/BindingTable.h"

namespace {

// A scale of 1/k a little above it, so that the last entry of a menu of k
// entries maps past the parameter's last step; summed in 32-bit float.
constexpr float above(float k) { return 1.0f / k + 0.00001f; }

// Menus report the entry picked: entry k of a parameter's n choices.
float entryScale(int32_t tag) { return above(static_cast<float>(stepCount(tag))); }
// Buttons that step through states report the state: state k of n.
float stateScale(int32_t tag) { return 1.0f / static_cast<float>(stepCount(tag)); }

EditRoute hostRoute(int32_t tag) {
    using A = EditRoute::Action;
    switch (tag) {
        case Tag::CompressorDepth:
        case Tag::CompressorSpeed:
        case Tag::Osc1TrigMode:
        case Tag::Osc2TrigMode:
        case Tag::Osc3TrigMode:
        case Tag::FilterTrigMode:
        case Tag::ChordSelect: return {A::Automated, stateScale(tag)};
        case Tag::PatternKeys: return {A::MouseAreaAutomated, 1.0f};
        case Tag::ChordSeqDivide: return {A::Automated, entryScale(tag)};
        default: return {A::Automated, 1.0f};
    }
}

EditRoute internalRoute(int32_t tag) {
    using A = EditRoute::Action;
    switch (tag) {
        case Tag::Osc1SelectorA:
        case Tag::Osc1SelectorB:
        case Tag::Osc2SelectorA:
        case Tag::Osc2SelectorB:
        case Tag::Osc3SelectorA:
        case Tag::Osc3SelectorB:
        case Tag::FilterTypeSourceA:
        case Tag::FilterTypeSourceB:
        case Tag::FilterTypeSelectorC:
        case Tag::FilterTypeSelectorD:
        case Tag::ModulationTracks: return {A::Parameter, stateScale(tag)};
        case Tag::SelectPath: return {A::LocateInstruments};
        case Tag::InterfaceSwitch3: return {A::OpenHookContainer};
        case Tag::Chordlist:
        case Tag::Factorypatterns:
        case Tag::ChordListRotation:
        case Tag::RestartArp:
        case Tag::Lane5Row:
        case Tag::Osc1Channel:
        case Tag::Osc2Channel:
        case Tag::Osc3Channel:
        case Tag::Lane1Row:
        case Tag::Lane2Row:
        case Tag::Lane3Row:
        case Tag::Lane4Row:
        case Tag::ExportLength: return {A::Parameter, entryScale(tag)};
        case Tag::InterfaceSwitch11: return {A::Nothing};
        case Tag::FilterType:
        case Tag::ModulationTrackArea: return {A::MouseAreaParameter, 1.0f};
        case Widget::ChordBankMenu: return {A::ChordBankMenu};
        case Widget::Osc1InstrumentMenu:
        case Widget::Osc2InstrumentMenu:
        case Widget::Osc3InstrumentMenu: return {A::InstrumentMenu, 1.0f, tag - Widget::Osc1InstrumentMenu};
        case Widget::GlobalPresetMenu:
        case Widget::SoundPresetMenu:
        case Widget::SequencePresetMenu: return {A::PresetMenu, 1.0f, tag - Widget::GlobalPresetMenu};
        default: return {A::Parameter, 1.0f};
    }
}

}  // namespace

EditRoute routeOf(int32_t tag) {
    if (tag >= 0 && tag < kHostParameterCount) return hostRoute(tag);
    if (tag >= kHostParameterCount && tag <= Widget::SequencePresetMenu) return internalRoute(tag);
    if (tag == kHiddenLearnMenuTag) return {EditRoute::Action::LearnMenu};
    if (tag == kMidiExportTag) return {EditRoute::Action::MidiExport};
    return {EditRoute::Action::Unscaled};
}
