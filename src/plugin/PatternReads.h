#pragma once
// What the sequencer and the step lanes read from the pattern models at the
// current step, kept from tick to tick.  Every read of a model goes through
// its gate (two locked instructions and a fence), yet the values change only
// when the step or the pattern moves or someone edits a pattern.  A group of
// values is read again at its place in the tick once it is stale: when the
// step, the chord step or the pattern moved (the values at the step), when
// the engine applied a parameter (its own edits, loads and programs pass
// through there, and a page it selects counts at once), when a holder had
// the engine, and, for the groups read from the step tables, when the
// tables' edit count moved (every edit of a table moves it, whichever thread
// makes it), so that an edit is heard at the very next tick.  The loop zone
// and the step grids keep no such count: they are read again every
// kRefreshTicks ticks (kIdleRefreshTicks while the engine idles), so that an
// edit the interface makes straight into them is heard within that many.
//
// Audio thread only.

#include <array>
#include <cstdint>

struct PatternReads {
    static constexpr int32_t kRefreshTicks = 8;
    // While the engine idles nothing is heard: the lanes may follow an edit
    // a little later.
    static constexpr int32_t kIdleRefreshTicks = 32;
    static constexpr int kChordCells = 48;

    enum Group : uint32_t {
        kLoop = 1,        // the loop zone of the sequencer
        kStepLines = 2,   // the five step grids at the step
        kChord = 4,       // the chord sequence at the chord step
        kGate = 8,        // the velocity table at the step
        kCells = 16,      // the chord page's cells
        kLanes = 32,      // the five step lanes at the step
        kAtStep = kStepLines | kChord | kGate | kLanes,
        kFromTables = kChord | kGate | kCells | kLanes,
        kUncounted = kLoop | kStepLines,
        kAll = 63,
    };

    // Once per tick, first, with the tables' edit count.
    void beginTick(uint32_t tableEdits, int32_t period = kRefreshTicks) {
        if (tableEdits != seenTableEdits) {
            seenTableEdits = tableEdits;
            stale |= kFromTables;
        }
        if (--countdown > 0) return;
        countdown = period;
        stale |= kUncounted;
    }
    // The place the values at the step stand for.
    void moveTo(int32_t pattern, int32_t step, int32_t chordStep) {
        if (pattern == atPattern && step == atStep && chordStep == atChordStep) return;
        atPattern = pattern;
        atStep = step;
        atChordStep = chordStep;
        stale |= kAtStep;
    }
    void invalidate() { stale = kAll; }
    // Whether the group is to be read now; it counts as read afterwards.
    bool take(Group group) {
        if ((stale & group) == 0) return false;
        stale &= ~static_cast<uint32_t>(group);
        return true;
    }

    std::array<float, 5> stepLines{};  // NaN read as 0
    std::array<float, 5> lanes{};
    std::array<float, kChordCells> chordCells{};
    float chord = 0.0f;
    float gate = 0.0f;
    bool haveLoop = false;
    float loopStart = 0.0f;
    float loopEnd = 0.0f;

private:
    uint32_t stale = kAll;
    uint32_t seenTableEdits = 0;
    int32_t countdown = kRefreshTicks;
    int32_t atPattern = -1;
    int32_t atStep = -1;
    int32_t atChordStep = -1;
};
