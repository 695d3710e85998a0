#include "core/PatternRandom.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <set>
#include <thread>
#include <vector>

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

// Instances draw on their own threads, the render's among them: every draw
// is one whole step, so two threads' draws together leave the seed where as
// many draws on one thread leave it, and no two draws give the same seed.
TEST(PatternRandom, DrawsOfSeveralThreadsAreWholeSteps) {
    constexpr int kDraws = 20000;
    patternRandomSeed() = 645637;
    for (int i = 0; i < 2 * kDraws; ++i) nextPatternSeed();
    const int32_t expected = patternRandomSeed();

    patternRandomSeed() = 645637;
    std::array<std::vector<int32_t>, 2> drawn;
    std::vector<std::thread> threads;
    for (int n = 0; n < 2; ++n) {
        threads.emplace_back([&drawn, n] {
            for (int i = 0; i < kDraws; ++i) drawn[n].push_back(n == 0 ? nextPatternSeed() : stepPatternSeed(0));
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(patternRandomSeed(), expected);
    std::set<int32_t> distinct(drawn[0].begin(), drawn[0].end());
    distinct.insert(drawn[1].begin(), drawn[1].end());
    EXPECT_EQ(distinct.size(), size_t{2 * kDraws});
}
