// The filter banks and the compressor curve, measured against the numbers
// of their tables.

#include "plugin/FilterBank.h"

#include <gtest/gtest.h>

#include <cmath>

#include "InstanceTestSupport.h"
#include "engine/FilterCoefficientTables.h"
#include "plugin/CompressorCurve.h"

namespace {

FilterBankContext contextAt(float rate) {
    return {filterCoefTableF().data(), filterCoefTableQ().data(), 20.0f / rate, rate * 0.001f,
            rate * 0.001f / 16.0f};
}

}  // namespace

TEST(FilterBank, SectionsReadTheTablesAtTheirColumnAndRowWeights) {
    const FilterBankContext context = contextAt(44100.0f);
    struct Case {
        float hz;         // section 1's frequency
        float resonance;  // the parameter value
        int32_t column;
        float columnWeight;
        float first;
        float second;
    } cases[] = {
        // x = 3.0: column trunc(2.5) = 2, weight x − 2 = 1, so all of column 3.
        {3.0f * 44100.0f / 20.0f, 0.0f, 2, 1.0f, 0.67389f, 1.32611f},
        // x = 10.6: the last column with no weight on the next.
        {10.6f * 44100.0f / 20.0f, 0.0f, 10, 0.0f, 1.0f, 1.0f},
        // Full resonance: R = 9.9, row 9 with weight 0.9 toward row 10.
        {3.0f * 44100.0f / 20.0f, 1.0f, 2, 1.0f, 0.1f * 0.86424f + 0.9f * 0.90798f,
         0.1f * 0.23231f + 0.9f * 0.0f},
        // Below the floor the frequency stays at 45 Hz: column 0, x ≈ 0.0204.
        {10.0f, 0.0f, 0, 45.0f * 20.0f / 44100.0f, 45.0f * 20.0f / 44100.0f * 0.28179f,
         2.0f - 45.0f * 20.0f / 44100.0f * 0.28179f},
    };
    for (const Case& c : cases) {
        FilterBankState bank;
        bank.resonance = filterResonanceRow(filterResonanceValue(c.resonance));
        updateFilterBank(bank, std::max(c.hz, kFilterFloorHz), context);
        const FilterSection& section = bank.sections[0];
        EXPECT_EQ(section.column, c.column) << c.hz;
        EXPECT_NEAR(section.columnWeight, c.columnWeight, 1e-4f) << c.hz;
        EXPECT_NEAR(section.first, c.first, 1e-4f) << c.hz << " r " << c.resonance;
        EXPECT_NEAR(section.second, c.second, 1e-4f) << c.hz << " r " << c.resonance;
    }
    // Every frequency and resonance the banks can see reads inside the tables.
    for (float hz = 1.0f; hz < 100000.0f; hz *= 1.37f) {
        for (float r = 0.0f; r <= 1.0f; r += 0.125f) {
            FilterBankState bank;
            bank.resonance = filterResonanceRow(filterResonanceValue(r));
            updateFilterBank(bank, hz, contextAt(22050.0f));
            for (const FilterSection& section : bank.sections) ASSERT_TRUE(std::isfinite(section.first));
        }
    }
}

TEST_F(InstanceTest, CutoffAtZeroSitsOnTheFloorAndTheCombGlidesToItsDelay) {
    set(52, 0.0f);
    set(45, 0.0f);
    set(50, 0.0f);
    const float expected[5] = {45.0f, 45.0f, 45.0f, 90.0f, 45.0f};
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(state.filter.bankA.sections[i].frequency, expected[i]) << i;
        EXPECT_FLOAT_EQ(state.filter.bankE.sections[i].frequency, expected[i]) << i;
    }
    // 500 / 45 ms of delay, approached over 56 ms of ticks.
    EXPECT_NEAR(state.filter.bankA.delayTarget, 500.0f / 45.0f * 44.1f, 1e-3f);
    EXPECT_NEAR(state.filter.bankA.delayStep * (44.1f / 16.0f * 56.0f),
                state.filter.bankA.delayCurrent - state.filter.bankA.delayTarget, 1e-3f);
}

TEST_F(InstanceTest, InvertSweepsTheRightChannelAgainstTheLeft) {
    set(50, 0.2f);
    set(52, 0.8f);
    for (float e : {0.0f, 0.25f, 1.0f}) {
        state.filter.envelopeLevel = e;
        set(43, 1.0f);
        EXPECT_FLOAT_EQ(state.filter.envelopedPosition, 0.2f + 0.6f * e);
        EXPECT_FLOAT_EQ(state.filter.effectivePosition, 0.2f + 0.6f * (1.0f - e));
        EXPECT_EQ(state.filter.cutoffVector, state.filter.invertedCutoff.data());
        set(43, 0.0f);
        EXPECT_FLOAT_EQ(state.filter.effectivePosition, state.filter.envelopedPosition);
        EXPECT_EQ(state.filter.cutoffVector, state.filter.envelopedCutoff.data());
    }
}

TEST(CompressorCurve, SpeedStepsRunFromSlowToFastWithATangentLikeSmoothing) {
    const float rate = 44100.0f;
    const float piOverRate = 3.14159f / rate;
    const float expectedPairs[5][2] = {{0.6f, 800.0f}, {0.5f, 600.0f}, {0.4f, 400.0f}, {0.35f, 200.0f}, {0.3f, 100.0f}};
    for (int32_t step = 0; step < 5; ++step) {
        const CompressorSpeed speed = compressorSpeed(step, 44.1f, rate, piOverRate);
        EXPECT_FLOAT_EQ(speed.attackFactor, expectedPairs[step][0]);
        EXPECT_FLOAT_EQ(speed.releaseMs, expectedPairs[step][1]);
        EXPECT_NEAR(speed.release * speed.releaseMs * 44.1f, 1.0f, 1e-6f);
        const double w = static_cast<double>(speed.frequency) * piOverRate;
        EXPECT_NEAR(speed.smoothing, w + w * w * w / 3.0 + 4.0 / 3.0 * std::pow(w, 5.0), 1e-6 * w);
    }
    // The frequency table between its points, and clamped at its ends.
    EXPECT_FLOAT_EQ(compressorFrequencyAt(6.4f), 0.84f);
    EXPECT_FLOAT_EQ(compressorFrequencyAt(11.2f), 9.6f);
    EXPECT_FLOAT_EQ(compressorFrequencyAt(16.0f), 256.0f);
    EXPECT_FLOAT_EQ(compressorFrequencyAt(99.0f), 256.0f);
    EXPECT_FLOAT_EQ(compressorFrequencyAt(-3.0f), 0.2f);
    const CompressorSpeed outside = compressorSpeed(7, 44.1f, rate, piOverRate);
    EXPECT_FLOAT_EQ(outside.attackFactor, 0.0f);
    EXPECT_FLOAT_EQ(outside.releaseMs, 0.0f);
    EXPECT_FLOAT_EQ(outside.frequency, 256.0f);
    EXPECT_FLOAT_EQ(compressorDepth(-1), 0.0f);
}
