#include "core/CurveTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

float sineAt(float phase) { return lookupWave(getLookupTable0(), getLookupTable9(), phase); }

}  // namespace

TEST(CurveTables, SineTableHoldsOnePeriodWithAGuard) {
    const SineTables& tables = sineTables();
    EXPECT_EQ(getLookupTable0(), tables.sineTable.data());
    EXPECT_EQ(getLookupTable9(), tables.sineSlopeTable.data());
    EXPECT_EQ(tables.sineTable[0], 0.0f);
    EXPECT_EQ(tables.sineTable[256], 1.0f);
    EXPECT_EQ(tables.sineTable[768], -1.0f);
    EXPECT_EQ(tables.sineTable[1024], tables.sineTable[0]);
    EXPECT_NEAR(tables.sineSlopeTable[0], 0.006136f, 1e-6f);
    EXPECT_EQ(tables.sineSlopeTable[1024], tables.sineSlopeTable[0]);
    EXPECT_EQ(tables.sineSlopeTable[1023], tables.sineTable[1024] - tables.sineTable[1023]);
}

TEST(CurveTables, LookupInterpolatesAndWrapsByTheMask) {
    const SineTables& tables = sineTables();
    const float peak = sineAt(256.5f);
    EXPECT_EQ(peak, 1.0f + 0.5f * (tables.sineTable[257] - tables.sineTable[256]));
    EXPECT_LT(peak, 1.0f);
    EXPECT_EQ(sineAt(1024.0f), 0.0f);
    EXPECT_EQ(sineAt(1024.0f + 256.0f), 1.0f);
    EXPECT_EQ(sineAt(-256.0f), -1.0f);  // the mask wraps negative phases too
    // Linear interpolation keeps the wave within a few millionths of a sine
    // over several periods.
    for (float phase = 0.0f; phase < 4096.0f; phase += 0.37f) {
        const double exact = std::sin(2.0 * std::numbers::pi * phase / 1024.0);
        ASSERT_NEAR(sineAt(phase), exact, 1e-5) << phase;
    }
}

TEST(CurveTables, PhasesBeyondAnIntegerStayInsideTheTable) {
    EXPECT_EQ(sineAt(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(sineAt(std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_EQ(sineAt(-std::numeric_limits<float>::infinity()), 0.0f);
    for (float phase : {3.0e9f, -3.0e9f, 1.0e30f}) {
        const float value = sineAt(phase);
        EXPECT_GE(value, -1.0f) << phase;
        EXPECT_LE(value, 1.0f) << phase;
    }
}
