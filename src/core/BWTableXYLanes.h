#pragma once
// The ten step lanes of the sequencer as the instance sets them up: points per
// page, group id, pages, range 0..max, flag word and clipboard keys.  Lanes
// with the same shared key (3 and 6 to 10) exchange pages through the shared
// clipboard.

#include <array>
#include <cstdint>

class BWTableXY;

struct TableXYLane {
    uint64_t points;        // points per page (constructor)
    int64_t id;             // group id (constructor); 1 joins the pattern-wide edits
    uint64_t pages;
    float max;              // the range is 0..max
    uint32_t flags;         // none interpolates; lanes 1, 4 and 5 hold whole numbers
    int64_t sharedKey;      // −1: no shared clipboard
    int64_t ownKey;
};

// Lanes 1 to 10 at indices 0 to 9.
const std::array<TableXYLane, 10>& tableXYLanes();

// Gives a table built with the lane's points and id its range, flag word,
// pages and keys.  Every page takes the range and the flag word, the first
// one included.  GUI/host thread.
void configureLane(BWTableXY& table, const TableXYLane& lane);
