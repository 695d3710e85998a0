#include "platform/DenormalGuard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Through volatile, so that the compiler cannot fold the arithmetic.
float halve(float x) {
    volatile float v = x;
    return v * 0.5f;
}

float addZero(float x) {
    volatile float v = x;
    return v + 0.0f;
}

}  // namespace

TEST(DenormalGuard, FlushesResultsAndInputsInsideItsScopeAndRestoresTheModeAfter) {
    const float smallest = std::numeric_limits<float>::min();
    const float denormal = std::numeric_limits<float>::denorm_min() * 1000.0f;
    ASSERT_EQ(std::fpclassify(halve(smallest)), FP_SUBNORMAL);
    const unsigned before = _mm_getcsr();
    {
        platform::DenormalGuard outer;
        EXPECT_EQ(halve(smallest), 0.0f);    // a result flushed
        EXPECT_EQ(addZero(denormal), 0.0f);  // an input taken as zero
        {
            platform::DenormalGuard inner;
            EXPECT_EQ(halve(smallest), 0.0f);
        }
        EXPECT_EQ(halve(smallest), 0.0f);  // the inner scope kept the outer's mode
    }
    EXPECT_EQ(_mm_getcsr(), before);
    EXPECT_EQ(std::fpclassify(halve(smallest)), FP_SUBNORMAL);
    EXPECT_EQ(addZero(denormal), denormal);
}
