#pragma once
// What the filter's parameters leave for the render routine: trigger choice,
// envelope, age drift, mix, type and the settings the engine's filter works
// its coefficients out from once per tick (cutoff and peak, resonance row,
// type, invert, drift).

#include <array>
#include <cstdint>

#include "engine/FilterChannel.h"
#include "plugin/LayerState.h"
#include "plugin/SteppedValue.h"

struct FilterState {
    SteppedValue triggerMode;            // 3 steps
    const float* trigger = nullptr;      // second array of the chosen source
    float triggerDivider = 1.0f;
    SteppedValue invert;                 // 2 steps
    SteppedValue voiceMode;              // 2 steps

    float ageAmount = 0.0f;              // drift time, ms
    float ageDepth = 0.0f;               // D

    float attackMs = 0.0f;
    float decayMs = 0.0f;
    float sustain = 0.0f;
    float releaseMs = 0.0f;

    float resonance = 0.0f;              // r
    float mix = 0.0f;                    // 0 .. 0.97

    // Cutoff, peak, resonance row and comb feedback, type, invert and age as
    // the engine's filter reads them.
    FilterSettings settings;

    // Filter type (index 365) and the selectors it drives (344 .. 347).
    std::array<float, 5> typeFlags{1.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    float lastTypeSentA = -1234.1234f;   // to 344 and 345
    float lastTypeSentB = -1234.1234f;   // to 346 and 347
    std::array<int32_t, 2> typeSources{};  // entries chosen by 344 and 345
};
