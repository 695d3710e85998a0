#pragma once
// The filter's coefficient banks.  A bank turns a cutoff position (0..1,
// squared onto 45 Hz .. 20 kHz) and the resonance into five sections of two
// coefficients, each a bilinear read of the engine's two 11 × 11 tables, and
// into the delay the comb glides to.  Bank A follows the enveloped position
// (left channel), bank E the effective one (right channel).
//
// Everything here is arithmetic on the caller's records: no allocation, no
// lock, safe on the audio thread.

#include <array>
#include <cstdint>

#include "core/BWSystemInfo.h"

// The resonance row of the tables: R = 9.9 r^0.9, its whole row and weight.
struct FilterResonance {
    float rowPosition = 0.0f;   // R
    float row = 0.0f;           // ri
    float rowWeight = 0.0f;     // R − ri
    float rowWeightInverse = 1.0f;
    float rowBase = 0.0f;       // 11 ri
};

struct FilterSection {
    float frequency = 0.0f;
    int32_t column = 0;
    float columnWeight = 0.0f;
    float first = 0.0f;         // from the frequency table
    float second = 0.0f;        // from the damping table
};

struct FilterBankState {
    float frequency = 0.0f;
    std::array<FilterSection, 5> sections{};
    FilterResonance resonance;
    float delayTarget = 0.0f;   // samples
    float delayCurrent = 0.0f;  // moved by delayStep each tick
    float delayStep = 0.0f;
};

// What a bank update reads besides its own record.
struct FilterBankContext {
    const ValueSlope* frequencyTable;  // 122 entries, row by row
    const ValueSlope* dampingTable;
    float twentyOverRate;              // 20 / sampleRate: table columns per Hz
    float samplesPerMs;
    float ticksPerMs;                  // samplesPerMsPerTick
};

constexpr float kFilterFloorHz = 45.0f;
constexpr float kFilterDelayFloorHz = 25.0f;

// The resonance value r = trunc(10000 v) × 0.0001 and its row.
float filterResonanceValue(float v);
FilterResonance filterResonanceRow(float r);

// 20000 × (position + depth × modulation)², at least 45 Hz.
float filterFrequency(float position, float depth, float modulation);

// Recomputes the bank's five sections for the frequency and its resonance,
// and its comb delay target (with the glide toward it).
void updateFilterBank(FilterBankState& bank, float frequency, const FilterBankContext& context);
// The coefficients alone, after a change of resonance.
void updateFilterSections(FilterBankState& bank, const FilterBankContext& context);
