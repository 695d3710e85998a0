#pragma once
// What the filter's parameters leave for the render routine: trigger choice,
// envelope, positions, age drift depth, resonance, mix, type and the two
// coefficient banks (left channel A, right channel E).

#include <array>
#include <cstdint>

#include "plugin/FilterBank.h"
#include "plugin/LayerState.h"
#include "plugin/SteppedValue.h"

// The resonance part of one of the four sections of the render routine's two
// further filter records.
struct FilterFeedbackSection {
    FilterResonance resonance;
    float feedback = 0.0f;          // r^0.6
    float negativeFeedback = 0.0f;  // −(r^0.6)
};

struct FilterState {
    SteppedValue triggerMode;            // 3 steps
    const float* trigger = nullptr;      // second array of the chosen source
    float triggerDivider = 1.0f;
    SteppedValue invert;                 // 2 steps
    SteppedValue voiceMode;              // 2 steps

    float ageAmount = 0.0f;              // drift time, ms
    float ageDepth = 0.0f;               // D
    std::array<float, 2> furtherAgeAmount{};
    std::array<float, 2> furtherAgeDepth{};

    float attackMs = 0.0f;
    float decayMs = 0.0f;
    float sustain = 0.0f;
    float releaseMs = 0.0f;

    float cut = 0.0f;
    float peak = 0.0f;
    float oneMinusPeak = 1.0f;
    float envelopedPosition = 0.0f;      // left: cut + (peak − cut) e
    float invertedPosition = 0.0f;       // right with invert: cut + (peak − cut)(1 − e)
    float effectivePosition = 0.0f;      // right channel
    const float* cutoffVector = nullptr; // per voice: enveloped, or inverted
    VoiceFloats envelopedCutoff{};       // the render routine fills both
    VoiceFloats invertedCutoff{};

    float resonance = 0.0f;              // r
    float mix = 0.0f;                    // 0 .. 0.97

    // Kept by the render routine; the banks read them.
    float envelopeLevel = 0.0f;          // e, 0 .. 1
    float ageModulationA = 0.0f;
    float ageModulationE = 0.0f;

    FilterBankState bankA;
    FilterBankState bankE;
    std::array<std::array<FilterFeedbackSection, 4>, 2> feedbackRecords{};

    // Filter type (index 365) and the selectors it drives (344 .. 347).
    std::array<float, 5> typeFlags{1.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    float typeCompanion = 0.0f;          // w, written by the interface
    float lastTypeSentA = -1234.1234f;   // to 344 and 345
    float lastTypeSentB = -1234.1234f;   // to 346 and 347
    std::array<int32_t, 2> typeSources{};  // entries chosen by 344 and 345
};
