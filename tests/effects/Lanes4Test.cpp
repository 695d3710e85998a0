// The four- and eight-lane helpers the effects share.  The run shifted one
// place on, which the delays use for their feedback: every length from none
// to a whole block, so that the wide part and the tail each meet every
// remainder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include <vector>

#include "effects/Lanes4.h"
#include "effects/Lanes8.h"
#include "platform/CpuFeatures.h"

namespace {

[[gnu::target("avx2")]] void flushEight(const float* from, float* to) {
    _mm256_storeu_ps(to, lanes8::flushTiny(_mm256_loadu_ps(from)));
}

}  // namespace

// Both widths, the eight-lane one where the processor has AVX2.
TEST(Lanes4, ShiftInMovesEveryValueOnePlaceAndPutsTheFirstInFront) {
    constexpr int32_t kMost = 16;
    float from[kMost];
    for (int32_t i = 0; i < kMost; ++i) from[i] = static_cast<float>(i + 1) * 0.5f;
    from[5] = std::nanf("");
    from[9] = -0.0f;
    using Shift = void (*)(float, const float*, float*, int32_t);
    std::vector<Shift> widths = {lanes4::shiftIn};
    if (platform::cpuHasAvx2()) widths.push_back(lanes8::shiftIn);
    for (size_t width = 0; width < widths.size(); ++width) {
        for (int32_t count = 0; count <= kMost; ++count) {
            float to[kMost + 1];
            std::fill_n(to, kMost + 1, 99.0f);
            widths[width](-7.0f, from, to, count);
            for (int32_t i = 0; i < count; ++i) {
                const float expected = i == 0 ? -7.0f : from[i - 1];
                EXPECT_EQ(std::memcmp(&to[i], &expected, sizeof(float)), 0)
                    << "width " << 4 * (width + 1) << " count " << count << " at " << i;
            }
            EXPECT_EQ(to[count], 99.0f) << "wrote past the run at count " << count;
        }
    }
}

// The eight-lane flush keeps what the four-lane one keeps, bit for bit: the
// tiny values of both signs go, the threshold itself, NaN, infinities and
// signed zeros stay as they were.
TEST(Lanes8, FlushTinyDoesLaneByLaneWhatTheFourLaneOneDoes) {
    if (!platform::cpuHasAvx2()) GTEST_SKIP() << "this processor has no AVX2";
    alignas(32) const float values[16] = {1e-21f, -1e-21f, 1e-20f, -1e-20f, 9.9e-21f, std::nanf(""), INFINITY, -0.0f,
                                          0.0f,   1e-45f,  -1e-38f, 0.5f,   -2.0f,    3e38f,        -INFINITY, 1.1e-20f};
    alignas(32) float four[16];
    alignas(32) float eight[16];
    for (int i = 0; i < 16; i += 4) lanes4::store(four + i, lanes4::flushTiny(lanes4::load(values + i)));
    flushEight(values, eight);
    flushEight(values + 8, eight + 8);
    EXPECT_EQ(std::memcmp(four, eight, sizeof four), 0);
    EXPECT_EQ(four[0], 0.0f);
    EXPECT_EQ(four[2], 1e-20f);
}

// A glide step in each lane, or a landing within the snap; the lanes that a
// step can no longer move count as still too, since the effects skip their
// glides while every lane is still.
TEST(Lanes4, GlideStepsLandsAndTellsWhichLanesAreStill) {
    constexpr float kFactor = 0.005f;
    constexpr float kSnap = 1e-7f;
    struct Case {
        float target, current;
        float step, after;  // the step and the value afterwards
        bool still;
    };
    const float nan = std::nanf("");
    const Case cases[] = {
        {100.0f, 0.0f, 0.5f, 0.0f, false},                   // far off: a step, the value held
        {-1.0f, 1.0f, -0.01f, 1.0f, false},                  // downwards
        {1.0f, 1.0f - 1e-6f, 0.0f, 1.0f, true},              // within the snap: landed
        {6607.0f, 6606.99951f, 0.0f, 6606.99951f, true},     // one place short: a step too small to move it
        {nan, 0.0f, nan, 0.0f, false},                       // NaN never rests
    };
    for (size_t first = 0; first < std::size(cases); first += 4) {
        alignas(16) float target[4] = {}, current[4] = {}, step[4] = {};
        for (size_t k = 0; k < 4 && first + k < std::size(cases); ++k) {
            target[k] = cases[first + k].target;
            current[k] = cases[first + k].current;
        }
        const int still = lanes4::glide(lanes4::load(target), current, step, kFactor, kSnap);
        for (size_t k = 0; k < 4 && first + k < std::size(cases); ++k) {
            const Case& c = cases[first + k];
            const float expectedStep = c.step == 0.0f ? (c.target - c.current) * kFactor : c.step;
            if (std::isnan(c.step)) {
                EXPECT_TRUE(std::isnan(step[k])) << first + k;
            } else if (c.still && c.after == c.target) {
                EXPECT_EQ(step[k], 0.0f) << first + k;
            } else {
                EXPECT_FLOAT_EQ(step[k], expectedStep) << first + k;
            }
            EXPECT_EQ(current[k], c.after) << first + k;
            EXPECT_EQ(((still >> k) & 1) != 0, c.still) << first + k;
        }
    }
}
