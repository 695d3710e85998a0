#include "plugin/PatternModels.h"

#include "core/BWBtnLineGrids.h"

namespace {

constexpr uint64_t kZoneLanes = 8;

}  // namespace

PatternModels::PatternModels(BWSystemInfo* context)
    : zones(context, 0, kZoneLanes, false),
      patternKeysArea(0.01f),
      chordTable(context, 32, 1, false),
      factoryPatternTable(context, 8, 0, false),
      gateTable(context, 32, 1, false),
      stepLines{{{context, kBtnLineGridSteps, kBtnLineGridLines},
                 {context, kBtnLineGridSteps, kBtnLineGridLines},
                 {context, kBtnLineGridSteps, kBtnLineGridLines},
                 {context, kBtnLineGridSteps, kBtnLineGridLines},
                 {context, kBtnLineGridSteps, kBtnLineGridLines}}},
      chordList(context, 48, 0, false),
      eventTable(context, 48, 2, false),
      cutoffLanes{{{context, 32, 1, false},
                   {context, 32, 1, false},
                   {context, 32, 1, false},
                   {context, 32, 1, false},
                   {context, 32, 1, false}}} {}

BWTableXY& PatternModels::table(int lane) {
    switch (lane) {
        case 1: return chordTable;
        case 2: return factoryPatternTable;
        case 3: return gateTable;
        case 4: return chordList;
        case 5: return eventTable;
        default: return cutoffLanes[static_cast<size_t>(lane - 6) % kCutoffLanes];
    }
}
