#pragma once
// The body of a state chunk or preset of one kind, read and checked as a
// whole before anything of it is applied: the stored bindings (id, where
// their words lie, the first word as a float), the MIDI-learn map, the
// preset names, the program position and the learn targets.
//
// Every count is checked against the words the chunk holds, and every
// object record is stepped over by its stored length, so a record that lies
// about its size can neither make the reader run past the data nor shift
// what follows it.  Controller numbers outside 0..127 are read and dropped.
// Host/GUI thread or the program loader; the chunk belongs to the caller.

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/MidiLearnMap.h"

class BWChunk;

namespace StateFormat {
inline constexpr int32_t kBodyVersion = 9;
inline constexpr int32_t kBodyMarker = 290908;
inline constexpr int32_t kTailVersion = 22;
inline constexpr int32_t kEndWord = 2620001;
inline constexpr int32_t kStringMarker = 2620000;
inline constexpr int32_t kBlockStart = 66;
inline constexpr int32_t kBlockEnd = 670000;
inline constexpr int32_t kEndOfBindings = -1;
inline constexpr int32_t kEndOfController = -2;
inline constexpr int32_t kEndOfMap = -3;
inline constexpr int32_t kEndOfTargets = -4;
inline constexpr int32_t kNameCount = 4;
}  // namespace StateFormat

struct StoredBinding {
    int32_t id;
    uint32_t start;  // the word after the count
    uint32_t count;
    float firstValue;
};

struct StoredLearnEntry {
    int32_t controller;
    LearnEntry entry;
};

struct StateBody {
    int32_t version = 0;  // V, the body version
    int32_t tail = 0;     // T, the tail version
    std::vector<StoredBinding> bindings;
    bool hasLearnMap = false;
    std::vector<StoredLearnEntry> learnMap;
    std::vector<std::string> names;  // kind 0: the names of kinds 0 to 3; others: their own
    bool hasProgram = false;
    bool hasBank = false;
    int32_t program = 0;
    int32_t bank = 0;
    bool hasTargets = false;
    std::vector<LearnEntry> targets;
};

enum class StateRefusal {
    None,
    Format,         // "\t This is no valid %s format!"
    PluginVersion,  // "wrong plugin version"
    NotOurs,        // "This is not a %s file": wrong body version or marker, or words that do not add up
};

// Parses the header (a preset description is stepped over, a compressed
// body inflated) and the whole body of a chunk of the given kind.
// StateRefusal::None when every part was there and consistent.
StateRefusal parseStateBody(BWChunk& chunk, int32_t kind, StateBody& body);
