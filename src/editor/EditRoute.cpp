#include "editor/EditRoute.h"

#include "editor/DisplayTags.h"
#include "plugin/BindingTable.h"

namespace {

// A scale of 1/k a little above it, so that the last entry of a menu of k
// entries maps past the parameter's last step; summed in 32-bit float.
constexpr float above(float k) { return 1.0f / k + 0.00001f; }

constexpr float kThird = 1.0f / 3.0f;

EditRoute hostRoute(int32_t tag) {
    using A = EditRoute::Action;
    switch (tag) {
        case Tag::CompressorDepth:
        case Tag::CompressorSpeed: return {A::Automated, 0.2f};
        case Tag::Osc1TrigMode:
        case Tag::Osc2TrigMode:
        case Tag::Osc3TrigMode:
        case Tag::FilterTrigMode:
        case Tag::ChordSelect: return {A::Automated, kThird};
        case Tag::PatternKeys: return {A::MouseAreaAutomated, 1.0f};
        case Tag::ChordSeqDivide: return {A::Automated, above(3.0f)};
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
        case Tag::ModulationTracks: return {A::Parameter, 0.2f};
        case Tag::SelectPath: return {A::LocateInstruments};
        case Tag::InterfaceSwitch3: return {A::OpenHookContainer};
        case Tag::Chordlist:
        case Tag::Factorypatterns: return {A::Parameter, above(8.0f)};
        case Tag::ChordListRotation: return {A::Parameter, above(12.0f)};
        case Tag::RestartArp:
        case Tag::Lane5Row: return {A::Parameter, above(6.0f)};
        case Tag::Osc1Channel:
        case Tag::Osc2Channel:
        case Tag::Osc3Channel: return {A::Parameter, above(16.0f)};
        case Tag::Lane1Row:
        case Tag::Lane2Row:
        case Tag::Lane3Row:
        case Tag::Lane4Row: return {A::Parameter, above(10.0f)};
        case Tag::InterfaceSwitch11: return {A::Nothing};
        case Tag::ExportLength: return {A::Parameter, above(14.0f)};
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
