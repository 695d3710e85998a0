#pragma once
// What the sequencer and the step lanes read from the pattern models at the
// current step, kept from tick to tick.  Every read of a model goes through
// its gate (two locked instructions and a fence), yet the values change only
// when the step or the pattern moves or someone edits a pattern.  A group of
// values is read again at its place in the tick once it is stale: when the
// step, the chord step or the pattern moved (the values at the step), when
// a holder had the engine, and when the edit count of the models it comes
// from moved (the tables', the step grids' or the loop zone's: every edit
// moves its owner's count once it is made, whichever thread makes it), so
// that an edit is heard at the very next tick.  The counts are looked at
// once a tick, first, and after every parameter the engine applies: a page
// it selects or a step it enters counts within the same tick.
//
// One group stands for no read of a model: the engine's own settings that
// the trigger stages and note outputs work from.  Those change only through
// an applied parameter, a restore or a hold, so the stages learn from it
// whether they may pass over their comparisons.
//
// Audio thread only.

#include <array>
#include <cstdint>

// The models' edit counts, as loaded at one moment.
struct PatternEditCounts {
    uint32_t tables = 0;
    uint32_t grids = 0;
    uint32_t zones = 0;
};

struct PatternReads {
    static constexpr int kChordCells = 48;

    enum Group : uint32_t {
        kLoop = 1,        // the loop zone of the sequencer
        kStepLines = 2,   // the five step grids at the step
        kChord = 4,       // the chord sequence at the chord step
        kGate = 8,        // the velocity table at the step
        kCells = 16,      // the chord page's cells
        kLanes = 32,      // the five step lanes at the step
        kSettings = 64,   // a parameter was applied
        kAtStep = kStepLines | kChord | kGate | kLanes,
        kFromTables = kChord | kGate | kCells | kLanes,
        kAll = 127,
    };

    // The groups whose models were edited since the counts last seen.
    void noteEdits(const PatternEditCounts& now) {
        if (now.tables != seen.tables) stale |= kFromTables;
        if (now.grids != seen.grids) stale |= kStepLines;
        if (now.zones != seen.zones) stale |= kLoop;
        seen = now;
    }
    // After a parameter was applied, with the counts it left.
    void noteApplied(const PatternEditCounts& now) {
        stale |= kSettings;
        noteEdits(now);
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
    PatternEditCounts seen{};
    int32_t atPattern = -1;
    int32_t atStep = -1;
    int32_t atChordStep = -1;
};
