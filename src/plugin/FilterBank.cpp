#include "plugin/FilterBank.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kColumns = 11;
constexpr int32_t kLastColumn = kColumns - 1;
constexpr int32_t kLastRow = 10;

// Bilinear read over (row, column) .. (row + 1, column + 1).  Rows and
// columns are limited to the grid, so a weight that reaches past an edge
// reads the edge instead of the next row or the guard entry; such a weight is
// zero anyway for every position the bank produces.
float bilinear(const ValueSlope* table, int32_t row, int32_t column, float rowWeight, float columnWeight) {
    const int32_t r0 = std::clamp(row, 0, kLastRow);
    const int32_t r1 = std::min(r0 + 1, kLastRow);
    const int32_t c0 = std::clamp(column, 0, kLastColumn);
    const int32_t c1 = std::min(c0 + 1, kLastColumn);
    const float low = (1.0f - rowWeight) * ((1.0f - columnWeight) * table[r0 * kColumns + c0].value +
                                            columnWeight * table[r0 * kColumns + c1].value);
    const float high = rowWeight * ((1.0f - columnWeight) * table[r1 * kColumns + c0].value +
                                    columnWeight * table[r1 * kColumns + c1].value);
    return low + high;
}

void updateSection(FilterSection& section, const FilterResonance& resonance,
                   const FilterBankContext& context) {
    const float x = section.frequency * context.twentyOverRate;
    const int32_t ip = static_cast<int32_t>(std::clamp(x - 0.5f, -1.0f, 64.0f));
    section.column = std::clamp(ip, 0, kLastColumn);
    // The weight is taken from x itself, not x − 0.5: between 0 and 1.5.
    section.columnWeight = ip < kLastColumn ? x - static_cast<float>(ip) : 0.0f;
    const int32_t row = static_cast<int32_t>(resonance.row);
    section.first = bilinear(context.frequencyTable, row, section.column, resonance.rowWeight,
                             section.columnWeight);
    section.second = bilinear(context.dampingTable, row, section.column, resonance.rowWeight,
                              section.columnWeight);
}

}  // namespace

float filterResonanceValue(float v) {
    return static_cast<float>(static_cast<int32_t>(10000.0f * v)) * 0.0001f;
}

FilterResonance filterResonanceRow(float r) {
    FilterResonance resonance;
    const float q = std::pow(std::max(r, 0.0f), 0.9f);
    resonance.rowPosition = 9.8999996f * q;
    resonance.row = static_cast<float>(static_cast<int32_t>(resonance.rowPosition - 0.5f));
    resonance.rowWeight = resonance.rowPosition - resonance.row;
    resonance.rowWeightInverse = 1.0f - resonance.rowWeight;
    resonance.rowBase = static_cast<float>(static_cast<int32_t>(11.0f * resonance.row));
    return resonance;
}

float filterFrequency(float position, float depth, float modulation) {
    const float x = position + depth * modulation;
    return std::max(20000.0f * (x * x), kFilterFloorHz);
}

void updateFilterSections(FilterBankState& bank, const FilterBankContext& context) {
    for (FilterSection& section : bank.sections) updateSection(section, bank.resonance, context);
}

void updateFilterBank(FilterBankState& bank, float frequency, const FilterBankContext& context) {
    bank.frequency = frequency;
    const float f = frequency;
    const float fs[5] = {f, f, f, std::min(std::max(2.0f * f, 0.0f), 16000.0f),
                         std::max(0.5f * f, kFilterFloorHz)};
    for (int i = 0; i < 5; ++i) bank.sections[i].frequency = fs[i];
    updateFilterSections(bank, context);

    const float target = 500.0f / std::max(f, kFilterDelayFloorHz) * context.samplesPerMs;
    if (target != bank.delayTarget) {
        bank.delayTarget = target;
        const float glideTicks = context.ticksPerMs * 56.0f;
        bank.delayStep = glideTicks > 0.0f ? (bank.delayCurrent - target) / glideTicks : 0.0f;
    }
}
