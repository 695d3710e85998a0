#pragma once
// The five step grids of the instance as its parameter set-up configures
// them: 24 lines of 32 steps each, the randomiser's largest value and rest
// chance, the group id and the clipboard keys.  Grids 2 and 3 share the
// shared clipboard key 5 and so exchange lines.

#include <array>
#include <cstdint>

class BWBtnLine;

struct BtnLineGrid {
    float maxValue;
    float restProbability;
    int64_t id;         // 1 joins the pattern-wide edits
    int64_t sharedKey;
    int64_t ownKey;
};

constexpr uint64_t kBtnLineGridSteps = 32;
constexpr uint64_t kBtnLineGridLines = 24;

// Grids 1 to 5 at indices 0 to 4.
const std::array<BtnLineGrid, 5>& btnLineGrids();

// Gives a grid its settings and fills its current line once.  GUI/host thread.
void configureGrid(BWBtnLine& grid, const BtnLineGrid& settings);
