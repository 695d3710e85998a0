// The five step lanes: once per tick each reads its value at the current
// step of the active pattern into the row it drives, and every row whose
// value changed since it was last sent is set as if the user had moved that
// control, and published so that host and editor read it.  Audio thread.

#include "plugin/Engine.h"
#include "plugin/PatternModels.h"

namespace {

struct LaneRows {
    int32_t rows;
    int32_t tags[9];    // by row
    int32_t order[9];   // rows in the order they are sent
    int32_t selector;   // the parameter that picks the driven row
};

using namespace Tag;
constexpr LaneRows kLanes[5] = {
    {9,
     {Osc1Level, Osc1Pan, Osc1Octave, Osc1Polycrush, Osc1Age, Osc1Attack, Osc1Decay, Osc1Sustain, Osc1Release},
     {0, 1, 2, 4, 3, 6, 5, 7, 8},
     Lane1Row},
    {9,
     {Osc2Level, Osc2Pan, Osc2Octave, Osc2Polycrush, Osc2Age, Osc2Attack, Osc2Decay, Osc2Sustain, Osc2Release},
     {0, 1, 2, 3, 5, 4, 6, 7, 8},
     Lane2Row},
    {9,
     {Osc3Level, Osc3Pan, Osc3Octave, Osc3Polycrush, Osc3Age, Osc3Attack, Osc3Decay, Osc3Sustain, Osc3Release},
     {0, 1, 2, 3, 5, 4, 6, 7, 8},
     Lane3Row},
    {9,
     {FilterCutoff, FilterReso, FilterPeak, FilterMix, FilterAge, FilterAttack, FilterDecay, FilterSustain,
      FilterRelease},
     {0, 1, 2, 3, 4, 6, 5, 7, 8},
     Lane4Row},
    {5, {RvsMix, ChsMix, PhsMix, DlyMix, RvbMix}, {0, 1, 2, 3, 4}, Lane5Row},
};

}  // namespace

// After a pass every row equals what was last sent for it, so a tick whose
// lane values and row selections are those of the last pass has nothing to
// send.
void Engine::stepLanes() {
    PatternReads& reads = patternReads;
    bool moved = false;
    if (reads.take(PatternReads::kLanes)) {
        moved = true;
        for (int lane = 0; lane < PatternModels::kCutoffLanes; ++lane) {
            reads.lanes[lane] = models.cutoffLane(lane).selectPageAndGetValue(
                static_cast<uint64_t>(sequencer.activePattern), static_cast<uint64_t>(sequencer.stepIndex));
        }
    }
    for (int lane = 0; lane < 5; ++lane) {
        const int32_t selected = engine.patterns.records[kLanes[lane].selector].stepIndex;
        moved |= selected != laneSelections[lane];
        laneSelections[lane] = selected;
    }
    if (!moved) return;
    for (int lane = 0; lane < 5; ++lane) {
        const LaneRows& rows = kLanes[lane];
        StepLaneState& state = sequencer.lanes[lane];
        state.current = reads.lanes[lane];
        // The selectors have a step more than the lane has rows: that one
        // drives nothing.
        const int32_t selected = laneSelections[lane];
        if (selected >= 0 && selected < rows.rows) state.rows[selected] = state.current;
        for (int k = 0; k < rows.rows; ++k) {
            const int32_t row = rows.order[k];
            if (state.rows[row] == state.sent[row]) continue;
            state.sent[row] = state.rows[row];
            send(rows.tags[row], state.rows[row]);
        }
    }
}
