#include "core/BWBtnLineGrids.h"

#include "core/BWBtnLine.h"

const std::array<BtnLineGrid, 5>& btnLineGrids() {
    static const std::array<BtnLineGrid, 5> grids = {{
        {3.0f, 0.8f, 1, 6, 331},
        {3.0f, 0.8f, 1, 5, 387},
        {2.0f, 0.8f, 1, 5, 392},
        {1.0f, 0.8f, 1, 4, 395},
        {1.0f, 0.8f, 1, 7, 397},
    }};
    return grids;
}

void configureGrid(BWBtnLine& grid, const BtnLineGrid& settings) {
    grid.maxValue = settings.maxValue;
    grid.restProbability = settings.restProbability;
    grid.setId(settings.id);
    grid.sharedClipboardKey = settings.sharedKey;
    grid.clipboardKey = settings.ownKey;
    grid.fill();
}
