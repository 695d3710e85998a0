#pragma once
// The process-wide lists of musical note values that tempo-synced controls
// (effect times and rates, clock divisions) choose from, each entry a display
// label and a length in beats.  Built once, before any instance exists, and
// only read afterwards, so every thread may read them without a lock.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

struct ValueEntry {
    double beats;    // length in quarter notes
    char label[16];  // zero-terminated
};

struct ValueList {
    std::vector<ValueEntry> entries;
    int32_t count = 0;
    float countF = 0.0f;    // count as float and its inverse: a control maps
    float invCount = 0.0f;  // its 0..1 value onto an entry with one multiply

    // The entry a control position 0..1 selects: trunc((count - 1) * p + 0.5).
    // Positions outside 0..1 pick the nearest end and NaN the first entry, so
    // a value from a preset or the host never reads past the list.  Any thread.
    int32_t indexFor(float position) const;
    const ValueEntry& entryFor(float position) const { return entries[indexFor(position)]; }
};

// A list seen through three families: only straight values, straight and
// triplet values, straight and dotted values.
struct NoteDivisionLists {
    const ValueList* parent = nullptr;
    ValueList straight;
    ValueList withTriplets;
    ValueList withDotted;

    void build(const ValueList& parentList);
    // The list an effect's list index selects: 0 the parent, 1 straight,
    // 2 with triplets, 3 with dotted; any other index the parent.  Any thread.
    const ValueList& select(int32_t index) const;
};

class ValueLists {
public:
    static constexpr int kListCount = 12;
    static constexpr int kDividedListCount = 3;  // lists 1 to 3 have family views

    static const ValueLists& instance();

    const ValueList& list(int number) const;                // 1 .. 12
    const NoteDivisionLists& divisions(int number) const;   // 1 .. 3

    ValueLists(const ValueLists&) = delete;
    ValueLists& operator=(const ValueLists&) = delete;

private:
    ValueLists();

    std::array<ValueList, kListCount> lists;
    std::array<NoteDivisionLists, kDividedListCount> divisionLists;
};

// The family views of list 2: the reverser's sizes and the editor's choices.
// (The phaser's synced rates use those of list 1: instance().divisions(1).)
const NoteDivisionLists* valueLists();
// Straight note lengths in bars: 0.25, then 1/1 down to 1/128.
std::span<const double> noteLengthTable();
