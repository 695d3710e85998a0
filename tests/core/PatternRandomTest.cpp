#include "core/PatternRandom.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "platform/Framework.h"
#include "core/RandomFloat.h"

TEST(PatternRandom, ParkMillerSequenceFromTheLoadSeed) {
    patternRandomSeed() = 645637;
    // Worked out by hand from the wrapping product and the signed remainder;
    // the unit values are the single-precision words.
    const int32_t seeds[] = {-2033680829, -723951435, 190581523, -941945755};
    const uint32_t units[] = {0x3cd90fd0u, 0x3ea9b2c2u, 0x3f0b5c0bu, 0x3e8fb619u};
    for (int i = 0; i < 4; ++i) {
        const int32_t seed = nextPatternSeed();
        EXPECT_EQ(seed, seeds[i]) << "draw " << i;
        EXPECT_EQ(std::bit_cast<uint32_t>(patternUnit(seed)), units[i]) << "draw " << i;
    }
    EXPECT_EQ(patternRandomSeed(), -941945755);
}

TEST(PatternRandom, SmallSeedsAndTheUnitRange) {
    patternRandomSeed() = 1;
    EXPECT_EQ(nextPatternSeed(), 16807);
    EXPECT_EQ(patternUnit(16807), 0.5f + 16807.0f * 0x1p-32f);
    // The extremes of the seed stay inside 0..1.
    EXPECT_EQ(patternUnit(-2147483646), 0.0f);
    EXPECT_EQ(patternUnit(2147483646), 1.0f);
    patternRandomSeed() = 0;
    EXPECT_EQ(nextPatternSeed(), 0);  // the generator's fixed point
}

TEST(PatternRandom, RandomFloatSharesTheSequence) {
    patternRandomSeed() = 645637;
    EXPECT_EQ(std::bit_cast<uint32_t>(randomFloat(0)), 0x3cd90fd0u);
    EXPECT_EQ(std::bit_cast<uint32_t>(nextPatternUnit()), 0x3ea9b2c2u);  // the next draw of one generator
    EXPECT_EQ(std::bit_cast<uint32_t>(randomFloat(0)), 0x3f0b5c0bu);

    // The offset joins the seed before the product: (1 + 5) × 16807.
    patternRandomSeed() = 1;
    EXPECT_EQ(randomFloat(5), 100842.0f * 0x1p-32f + 0.5f);
    EXPECT_EQ(patternRandomSeed(), 100842);
}
