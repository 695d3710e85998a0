#include "core/RandomFloat.h"

#include <gtest/gtest.h>

#include "platform/Framework.h"

TEST(RandomFloat, AddsTheOffsetThenStepsTheSharedSeed) {
    std::atomic<int32_t>& seed = patternRandomSeed();
    const int32_t saved = seed;
    seed = 1;
    EXPECT_EQ(randomFloat(0), 0x1.00008400p-1f);  // 0.5 + 16807 * 2^-32
    EXPECT_EQ(seed, 16807);
    EXPECT_EQ(randomFloat(0), 0x1.21ac76p-1f);
    EXPECT_EQ(seed, 282475249);
    // From here the 32-bit product wraps, so this is not textbook MINSTD.
    EXPECT_EQ(randomFloat(0), 0x1.c16f48p-1f);
    EXPECT_EQ(seed, 1622647863);
    EXPECT_EQ(randomFloat(0), 0x1.c3f0b8p-3f);
    EXPECT_EQ(seed, -1199696159);  // a negative seed gives a value below 0.5
    EXPECT_EQ(randomFloat(5), 0x1.bc22acp-1f);
    EXPECT_EQ(seed, 1578194442);
    EXPECT_EQ(randomFloat(-7), 0x1.10977cp-2f);
    EXPECT_EQ(seed, -1004151051);
    seed = saved;
}
