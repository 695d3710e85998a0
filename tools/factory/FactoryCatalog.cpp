#include "factory/FactoryCatalog.h"

#include <initializer_list>

namespace {

// Zones on the given roots, each reaching halfway to its neighbours; the
// outer ones reach the ends of the keyboard.
std::vector<FactoryZone> zonesAround(std::initializer_list<int32_t> roots) {
    std::vector<FactoryZone> zones;
    for (int32_t root : roots) {
        FactoryZone zone{root, 0, 127};
        if (!zones.empty()) {
            FactoryZone& below = zones.back();
            below.keyHigh = (below.rootKey + root) / 2;
            zone.keyLow = below.keyHigh + 1;
        }
        zones.push_back(zone);
    }
    return zones;
}

}  // namespace

const std::vector<FactoryInstrument>& factoryInstruments() {
    static const std::vector<FactoryInstrument> instruments = {
        {"Soft Keys", FactoryVoice::Keys, zonesAround({36, 52, 67, 84})},
        {"Warm Pad", FactoryVoice::Pad, zonesAround({48, 60, 72, 84})},
        {"Nylon Pluck", FactoryVoice::Pluck, zonesAround({40, 52, 64, 76})},
        {"Round Bass", FactoryVoice::Bass, zonesAround({28, 40, 52})},
    };
    return instruments;
}

std::string factorySampleName(const FactoryInstrument& instrument, const FactoryZone& zone) {
    static const char* const kNotes[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    return instrument.name + " " + kNotes[zone.rootKey % 12] + std::to_string(zone.rootKey / 12 - 1);
}
