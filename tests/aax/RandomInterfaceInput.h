#pragma once
// Random input for the interface in a headless view, as a restless user
// gives it: clicks on the page switches, strokes across the step tables
// (painting their points) and along the step lines (setting their steps),
// clicks on the step lines' edit buttons (copy, paste, random, clear and the
// rotations, and the pattern-wide copy and paste, which the render runs),
// right clicks, wheel turns and clicks anywhere, from one seed.

#include <array>
#include <cstdint>

#include "host/HeadlessView.h"
#include "platform/WindowSystem.h"

// Where the interface's pages and pattern editors lie at zoom 1: the
// sound/effects switch, the lane strip's five lanes, the delay panels'
// switch, a point inside the locate panel; the step tables' boxes (the lane
// table of every lane page, the two chord tables and the bottom table).
struct TableArea {
    int32_t x, y, width, height;
};
inline constexpr std::array<std::array<int32_t, 2>, 8> kPageClicks = {
    {{270, 26}, {25, 265}, {46, 265}, {67, 265}, {88, 265}, {109, 265}, {495, 176}, {400, 223}}};
inline constexpr std::array<TableArea, 4> kStepTables = {{{192, 240, 672, 61}, {192, 416, 672, 61}, {192, 481, 672, 86}, {193, 644, 672, 34}}};
// The five step lines, one above the other, and the middles of the step
// lines' copy, paste, random, clear, left and right buttons and of the
// pattern-wide copy and paste.
inline constexpr TableArea kStepLines = {192, 304, 672, 110};
inline constexpr int32_t kStepLineRows = 5;
inline constexpr std::array<std::array<int32_t, 2>, 8> kLineEditClicks = {
    {{120, 310}, {136, 310}, {160, 310}, {175, 310}, {157, 343}, {173, 343}, {120, 552}, {136, 552}}};

// The input, from one seed.
class RandomInterfaceInput {
public:
    explicit RandomInterfaceInput(uint32_t seed) : state(seed) {}
    uint32_t next(uint32_t below) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    }

    void sendOne(HeadlessView& view) {
        const int32_t x = int32_t(next(uint32_t(view.width())));
        const int32_t y = int32_t(next(uint32_t(view.height())));
        switch (next(13)) {
            case 0: {
                const auto& page = kPageClicks[next(kPageClicks.size())];
                view.click(page[0], page[1]);
                break;
            }
            case 1:
            case 2:
            case 3:
            case 4: paintStepTable(view); break;
            case 5: view.click(x, y, 2); break;
            case 6: view.wheel(x, y, int32_t(next(5)) - 2); break;
            case 10:
            case 11: strokeStepLine(view); break;
            case 12: {
                const auto& button = kLineEditClicks[next(kLineEditClicks.size())];
                view.click(button[0], button[1]);
                break;
            }
            default: view.click(x, y, 0, next(4) == 0 ? platform::kStateShift : 0u); break;
        }
    }

private:
    // A stroke across a table: the points it passes over are painted.
    void paintStepTable(HeadlessView& view) {
        const TableArea& box = kStepTables[next(kStepTables.size())];
        const int32_t fromX = box.x + int32_t(next(uint32_t(box.width)));
        const int32_t toX = box.x + int32_t(next(uint32_t(box.width)));
        view.drag(fromX, box.y + int32_t(next(uint32_t(box.height))), toX, box.y + int32_t(next(uint32_t(box.height))));
    }

    // A stroke along one step line: the steps it passes take the value of
    // the step it started on.
    void strokeStepLine(HeadlessView& view) {
        const int32_t rowHeight = kStepLines.height / kStepLineRows;
        const int32_t y = kStepLines.y + int32_t(next(uint32_t(kStepLineRows))) * rowHeight + rowHeight / 2;
        const int32_t fromX = kStepLines.x + int32_t(next(uint32_t(kStepLines.width)));
        const int32_t toX = kStepLines.x + int32_t(next(uint32_t(kStepLines.width)));
        view.drag(fromX, y, toX, y);
    }

    uint32_t state;
};

