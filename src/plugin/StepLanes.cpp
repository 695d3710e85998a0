// The five step lanes: once per tick each reads its value at the current
// step of the active pattern into the row it drives, and every row whose
// value changed since it was last sent goes through setParameter, as if the
// user had moved that control.  Audio thread.

#include "plugin/BWUniClient.h"

namespace {

struct LaneRows {
    int32_t rows;
    int32_t tags[9];    // by row
    int32_t order[9];   // rows in the order they are sent
    int32_t selector;   // the parameter that picks the driven row
};

constexpr LaneRows kLanes[5] = {
    {9, {17, 18, 10, 11, 12, 13, 14, 15, 16}, {0, 1, 2, 4, 3, 6, 5, 7, 8}, 332},
    {9, {28, 29, 21, 22, 23, 24, 25, 26, 27}, {0, 1, 2, 3, 5, 4, 6, 7, 8}, 333},
    {9, {39, 40, 32, 33, 34, 35, 36, 37, 38}, {0, 1, 2, 3, 5, 4, 6, 7, 8}, 334},
    {9, {50, 51, 52, 53, 45, 46, 47, 48, 49}, {0, 1, 2, 3, 4, 6, 5, 7, 8}, 335},
    {5, {57, 61, 65, 69, 73}, {0, 1, 2, 3, 4}, 336},
};

}  // namespace

void BWUniClient::stepLanes() {
    for (int lane = 0; lane < 5; ++lane) {
        const LaneRows& rows = kLanes[lane];
        StepLaneState& state = sequencer.lanes[lane];
        BWTableXY& table = models.cutoffLane(lane);
        state.current = table.selectPageAndGetValue(static_cast<uint64_t>(sequencer.activePattern),
                                                    static_cast<uint64_t>(sequencer.stepIndex));
        // The selectors have a step more than the lane has rows: that one
        // drives nothing.
        const int32_t selected = engine.patterns.records[rows.selector].stepIndex;
        if (selected >= 0 && selected < rows.rows) state.rows[selected] = state.current;
        for (int k = 0; k < rows.rows; ++k) {
            const int32_t row = rows.order[k];
            if (state.rows[row] == state.sent[row]) continue;
            state.sent[row] = state.rows[row];
            setParameter(rows.tags[row], state.rows[row]);
        }
    }
}
