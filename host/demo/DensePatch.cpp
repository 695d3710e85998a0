#include "host/demo/DensePatch.h"

#include <string>
#include <utility>
#include <vector>

#include "core/VstTypes.h"
#include "plugin/BWUniClient.h"

namespace {

// The factory instruments by name: keys, pad and bass sustain.
constexpr const char* kInstruments[3] = {"Soft Keys", "Warm Pad", "Round Bass"};

void holdKeys(BWUniClient& client, const std::vector<int>& keys) {
    std::vector<VstMidiEvent> notes(keys.size());
    std::vector<VstEvent*> list(keys.size() + 2);
    auto* events = reinterpret_cast<VstEvents*>(list.data());
    events->numEvents = static_cast<int32_t>(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        notes[i] = {};
        notes[i].type = kVstMidiType;
        notes[i].byteSize = sizeof(VstMidiEvent);
        notes[i].midiData[0] = char(0x90);
        notes[i].midiData[1] = char(keys[i]);
        notes[i].midiData[2] = 100;
        events->events[i] = reinterpret_cast<VstEvent*>(&notes[i]);
    }
    client.processEvents(events);
}

}  // namespace

void densePatch(BWUniClient& client, bool voices) {
    for (int layer = 0; layer < 3; ++layer) {
        if (voices) client.soundLayer(layer).loadInstrument(kInstruments[layer], false);
        client.setParameter(341 + layer, 1.0f);
        client.setParameter(233 + layer, 1.0f);      // through the filter
        client.setParameter(8 + 11 * layer, 0.0f);   // trigger pair 0: the chord
        client.setParameter(11 + 11 * layer, 0.3f);  // polycrush
        client.setParameter(12 + 11 * layer, 0.2f);  // age
        client.setParameter(17 + 11 * layer, 0.3f);
    }
    for (auto [index, value] : {std::pair{276, 0.0f}, {74, 1.0f}, {76, 0.5f}, {44, 1.0f}, {53, 0.8f}, {50, 0.3f},
                                {52, 0.7f}, {51, 0.6f}, {45, 0.3f}, {3, 0.5f}, {6, 0.5f}, {7, 0.5f}}) {
        client.setParameter(index, value);
    }
    for (int32_t effectSwitch = 307; effectSwitch <= 311; ++effectSwitch) client.setParameter(effectSwitch, 1.0f);
    for (int32_t mix : {57, 61, 65, 69, 73}) client.setParameter(mix, 0.5f);
    for (uint64_t step = 0; step < 32; ++step) {
        client.patterns().stepLine(0).setStepOnLine(0, step, 1.0f);
        client.patterns().stepLine(1).setStepOnLine(0, step, 0.0f);
    }
    holdKeys(client, {48, 52, 55, 59, 62, 65, 69, 72});
}

bool denseInstrumentsLoaded(BWUniClient& client) {
    for (int layer = 0; layer < 3; ++layer)
        if (client.soundLayer(layer).getInstrumentName() != kInstruments[layer]) return false;
    return true;
}
