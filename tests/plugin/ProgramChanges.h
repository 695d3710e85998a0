#pragma once
// One block's MIDI as the host hands it to processEvents: program changes,
// in order.

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "core/VstTypes.h"

struct ProgramChanges {
    std::vector<VstMidiEvent> midi;
    std::vector<unsigned char> block;
    explicit ProgramChanges(std::initializer_list<int> programs) : block(sizeof(VstEvents) + 8 * programs.size()) {
        for (int p : programs) midi.push_back({kVstMidiType, int32_t(sizeof(VstMidiEvent)), 0, 0, 0, 0, {char(0xC0), char(p)}, 0, 0, 0, 0});
        events()->numEvents = int32_t(midi.size());
        for (size_t i = 0; i < midi.size(); ++i) events()->events[i] = reinterpret_cast<VstEvent*>(&midi[i]);
    }
    VstEvents* events() { return reinterpret_cast<VstEvents*>(block.data()); }
};
