#include "editor/EditRoute.h"

namespace {

// A scale of 1/k a little above it, so that the last entry of a menu of k
// entries maps past the parameter's last step; summed in 32-bit float.
constexpr float above(float k) { return 1.0f / k + 0.00001f; }

constexpr float kThird = 1.0f / 3.0f;

EditRoute hostRoute(int32_t tag) {
    using A = EditRoute::Action;
    switch (tag) {
        case 6:
        case 7: return {A::Automated, 0.2f};
        case 8:
        case 19:
        case 30:
        case 41:
        case 74: return {A::Automated, kThird};
        case 78: return {A::MouseAreaAutomated, 1.0f};
        case 79: return {A::Automated, above(3.0f)};
        default: return {A::Automated, 1.0f};
    }
}

EditRoute internalRoute(int32_t tag) {
    using A = EditRoute::Action;
    switch (tag) {
        case 220:
        case 221:
        case 227:
        case 228:
        case 230:
        case 231:
        case 344:
        case 345:
        case 346:
        case 347:
        case 350: return {A::Parameter, 0.2f};
        case 312: return {A::LocateInstruments};
        case 313: return {A::OpenHookContainer};
        case 326:
        case 337: return {A::Parameter, above(8.0f)};
        case 327: return {A::Parameter, above(12.0f)};
        case 328:
        case 336: return {A::Parameter, above(6.0f)};
        case 329:
        case 330:
        case 331: return {A::Parameter, above(16.0f)};
        case 332:
        case 333:
        case 334:
        case 335: return {A::Parameter, above(10.0f)};
        case 338: return {A::Nothing};
        case 339: return {A::Parameter, above(14.0f)};
        case 365:
        case 366: return {A::MouseAreaParameter, 1.0f};
        case 391: return {A::ChordBankMenu};
        case 392:
        case 393:
        case 394: return {A::InstrumentMenu, 1.0f, tag - 392};
        case 395:
        case 396:
        case 397: return {A::PresetMenu, 1.0f, tag - 395};
        default: return {A::Parameter, 1.0f};
    }
}

}  // namespace

EditRoute routeOf(int32_t tag) {
    if (tag >= 0 && tag <= 86) return hostRoute(tag);
    if (tag >= 87 && tag <= 397) return internalRoute(tag);
    if (tag == kHiddenLearnMenuTag) return {EditRoute::Action::LearnMenu};
    if (tag == kMidiExportTag) return {EditRoute::Action::MidiExport};
    return {EditRoute::Action::Unscaled};
}
