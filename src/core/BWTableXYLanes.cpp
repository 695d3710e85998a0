#include "core/BWTableXYLanes.h"

#include "core/BWTableXY.h"

const std::array<TableXYLane, 10>& tableXYLanes() {
    static const std::array<TableXYLane, 10> lanes = {{
        {32, 1, 24, 15.0f, 0x28300, 2, 231},
        {8, 0, 8, 1.0f, 0x60300, -1, 288},
        {32, 1, 24, 1.0f, 0x20300, 3, 322},
        {48, 0, 16, 1.0f, 0x48200, -1, 484},
        {48, 2, 16, 1.0f, 0x628A00, 1, 496},
        {32, 1, 48, 1.0f, 0x20300, 3, 1304},
        {32, 1, 48, 1.0f, 0x20300, 3, 1340},
        {32, 1, 48, 1.0f, 0x20300, 3, 1373},
        {32, 1, 48, 1.0f, 0x20300, 3, 1406},
        {32, 1, 48, 1.0f, 0x20300, 3, 1439},
    }};
    return lanes;
}

void configureLane(BWTableXY& table, const TableXYLane& lane) {
    // Range and flags first, so that the pages the page count adds take them.
    table.setRange(0.0f, lane.max);
    table.setFlags(lane.flags);
    table.setPageCount(lane.pages);
    table.sharedClipboardKey = lane.sharedKey;
    table.clipboardKey = lane.ownKey;
}
