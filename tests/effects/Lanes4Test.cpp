// The run shifted one place on, which the delays use for their feedback: every
// length from none to a whole block, so that the four-wide part and the tail
// each meet every remainder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "effects/Lanes4.h"

TEST(Lanes4, ShiftInMovesEveryValueOnePlaceAndPutsTheFirstInFront) {
    constexpr int32_t kMost = 16;
    float from[kMost];
    for (int32_t i = 0; i < kMost; ++i) from[i] = static_cast<float>(i + 1) * 0.5f;
    from[5] = std::nanf("");
    from[9] = -0.0f;
    for (int32_t count = 0; count <= kMost; ++count) {
        float to[kMost + 1];
        std::fill_n(to, kMost + 1, 99.0f);
        lanes4::shiftIn(-7.0f, from, to, count);
        for (int32_t i = 0; i < count; ++i) {
            const float expected = i == 0 ? -7.0f : from[i - 1];
            EXPECT_EQ(std::memcmp(&to[i], &expected, sizeof(float)), 0) << "count " << count << " at " << i;
        }
        EXPECT_EQ(to[count], 99.0f) << "wrote past the run at count " << count;
    }
}
