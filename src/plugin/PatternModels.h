#pragma once
// The pattern models of one instance, in the order it builds them: the zone
// lanes, the three mouse areas, the ten paged tables and the five step grids.
// Each takes part in the pattern-wide edits through the audio context's
// init-interface list, in construction order.
//
// Threads, by the rule of core/StateTurn.h: off the audio thread the models
// are read and changed only in the instance's turn (restores and saves on
// any host thread, the program loader, the editor's timer calls); the
// render reads them, and writes what it learns, without the turn, through
// the models' own atomics and gates.

#include <array>
#include <cstdint>

#include "core/BWBtnLine.h"
#include "core/BWFloatZoneHandler.h"
#include "core/BWMouseAreaChunk.h"
#include "core/BWTableXY.h"
#include "core/BWZoneHandlerContainer.h"

class BWSystemInfo;

struct PatternModels {
    static constexpr int kTables = 10;
    static constexpr int kStepLines = 5;
    static constexpr int kCutoffLanes = 5;

    explicit PatternModels(BWSystemInfo* context);
    PatternModels(const PatternModels&) = delete;
    PatternModels& operator=(const PatternModels&) = delete;

    // Tables by lane number 1 to 10 (BWTableXYLanes.h).
    BWTableXY& table(int lane);
    // Lanes 6 to 10: the five modulation lanes ("CUTOFF").
    BWTableXY& cutoffLane(int n) { return cutoffLanes[n]; }
    BWBtnLine& stepLine(int n) { return stepLines[n]; }  // grids 1 to 5 at 0 to 4

    BWZoneHandlerContainer<BWFloatZoneHandler> zones;
    BWMouseAreaChunk patternKeysArea;
    BWTableXY chordTable;           // lane 1 "CHORD"
    BWTableXY factoryPatternTable;  // lane 2, 8 steps
    BWTableXY gateTable;            // lane 3 "GATE"
    std::array<BWBtnLine, kStepLines> stepLines;
    BWTableXY chordList;            // lane 4
    BWTableXY eventTable;           // lane 5: the chord sequence
    BWMouseAreaChunk filterTypeArea;
    BWMouseAreaChunk modulationArea;
    std::array<BWTableXY, kCutoffLanes> cutoffLanes;  // lanes 6 to 10
};
