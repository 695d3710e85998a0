#include "effects/BWDoubleDelay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "support/AllocationCounter.h"
#include "EchoMeasurement.h"

namespace {

constexpr double kSecond = 1.0;

struct DoubleDelayRig {
    explicit DoubleDelayRig(float rate, double bpm = 120.0) : context(rate, bpm), delay(kDoubleDelayEffectId, &context.info) {}
    // Full level, settled: the glides have reached their targets.
    void openFully() {
        delay.setMix(1.0f);
        settle(delay, static_cast<size_t>(context.info.sampleRate * kSecond));
    }
    EffectTestContext context;
    BWDoubleDelay delay;
};

}  // namespace

TEST(BWDoubleDelay, NamesDefaultsAndDisplay) {
    DoubleDelayRig rig(44100.0f);
    const char* names[] = {"Time_Left", "Time_Right", "Diff", "Feedback", "Width"};
    const float defaults[] = {0.7697f, 0.6498f, 1.0f, 0.64f, 1.0f};
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_STREQ(rig.delay.getParameterName(i), names[i]);
        EXPECT_FLOAT_EQ(rig.delay.getParameterDefault(static_cast<int32_t>(i)), defaults[i]);
        char text[32] = "unchanged";
        rig.delay.getParameterDisplay(static_cast<int32_t>(i), 0.3f, text);
        EXPECT_STREQ(text, "todo");
    }
}

// The note table runs from 3/128 of a beat (value 1) to four beats (value 0);
// "Width" adds up to 32 samples to the left channel's time only.
TEST(BWDoubleDelay, TimesFeedbackAndWidthInSamples) {
    for (float rate : {44100.0f, 96000.0f}) {
        DoubleDelayRig rig(rate);
        const double beat = rate * 0.5;  // 120 bpm
        BWDoubleDelay& d = rig.delay;
        d.setParameter(BWDoubleDelay::kWidth, 0.0f);
        d.takeParameters();
        d.setParameter(BWDoubleDelay::kTimeLeft, 1.0f);
        d.takeParameters();
        d.setParameter(BWDoubleDelay::kTimeRight, 1.0f);
        d.takeParameters();
        EXPECT_NEAR(d.rightDelayTarget(), beat * 3.0 / 128.0, 1e-2) << rate;
        EXPECT_FLOAT_EQ(d.leftDelayTarget(), d.rightDelayTarget());
        d.setParameter(BWDoubleDelay::kTimeLeft, 0.0f);
        d.takeParameters();
        EXPECT_NEAR(d.rightDelayTarget(), beat * 4.0, 1e-2);
        d.setParameter(BWDoubleDelay::kTimeLeft, 0.7697f);  // the default: 1/16 beat
        d.takeParameters();
        EXPECT_NEAR(d.rightDelayTarget(), beat / 16.0, 1e-3);
        d.setParameter(BWDoubleDelay::kTimeRight, 0.6498f);  // the default: 1/8 beat
        d.setParameter(BWDoubleDelay::kWidth, 1.0f);
        d.takeParameters();
        EXPECT_NEAR(d.leftDelayTarget(), beat / 8.0 + 32.0, 1e-3);
        d.setParameter(BWDoubleDelay::kFeedback, 1.0f);
        d.takeParameters();
        EXPECT_FLOAT_EQ(d.feedbackGain(), 0.8f);
        d.setParameter(BWDoubleDelay::kFeedback, 0.0f);
        d.takeParameters();
        EXPECT_FLOAT_EQ(d.feedbackGain(), 0.0f);
        EXPECT_EQ(d.lineCapacity(), static_cast<uint32_t>(rate / 44100.0f * 250000.0f));
    }
}

// Echoes arrive at the set times (fractional ones included) and each repeat
// is the one before times the feedback, one sample later than a whole period
// since the loop feeds back the previous sample's read.  At full level the
// dry signal is gone but for the 1e-4 that the level stops short of 1.
TEST(BWDoubleDelay, ImpulseEchoesAtTheSetTimesWithTheFeedbackDecay) {
    for (float rate : {44100.0f, 96000.0f}) {
        DoubleDelayRig rig(rate);
        rig.openFully();
        const double right = rate * 0.5 / 16.0;       // "Time_Left" 0.7697
        const double left = rate * 0.5 / 8.0 + 32.0;  // "Time_Right" 0.6498, "Width" 1
        StereoSignal audio(static_cast<size_t>(left * 3.5));
        audio.left[0] = audio.right[0] = 1.0f;
        audio.render(rig.delay);
        EXPECT_NEAR(audio.left[0], 1e-4, 1e-6);
        EXPECT_EQ(firstAbove(audio.left, 1e-6f, 1), static_cast<size_t>(left));
        for (int k = 1; k <= 3; ++k) {
            // The right time glides in single precision and settles within
            // a few hundredths of a sample; the left one in double precision.
            const double expectedRight = k * right + (k - 1);
            const Echo r = findEcho(audio.right, static_cast<size_t>(expectedRight) - 3,
                                    static_cast<size_t>(expectedRight) + 4);
            EXPECT_NEAR(r.position, expectedRight, 0.03 * k) << rate << " echo " << k;
            EXPECT_NEAR(r.sum, 0.9999 * std::pow(0.512, k - 1), 1e-4);
            const double expectedLeft = k * left + (k - 1);
            const Echo l = findEcho(audio.left, static_cast<size_t>(expectedLeft) - 3,
                                    static_cast<size_t>(expectedLeft) + 4);
            EXPECT_NEAR(l.position, expectedLeft, 1e-3) << rate << " echo " << k;
            EXPECT_NEAR(l.sum, 0.9999 * std::pow(0.512, k - 1), 1e-4);
        }
    }
}

// At level 0 the signal passes untouched and the lines are overwritten with
// silence, so that opening the delay later brings back no old echoes.
TEST(BWDoubleDelay, LevelZeroIsDryBitForBitAndFlushesTheLines) {
    DoubleDelayRig rig(44100.0f);
    rig.openFully();
    StereoSignal noise = noiseSignal(44100, 0.5f, 7);
    noise.render(rig.delay);

    rig.delay.setMix(0.0f);
    settle(rig.delay, rig.delay.lineCapacity() + 44100);
    const StereoSignal input = noiseSignal(20000, 0.5f, 8);
    StereoSignal output = input;
    output.render(rig.delay);
    EXPECT_EQ(0, std::memcmp(output.left.data(), input.left.data(), input.size() * sizeof(float)));
    EXPECT_EQ(0, std::memcmp(output.right.data(), input.right.data(), input.size() * sizeof(float)));

    settle(rig.delay, rig.delay.lineCapacity());
    rig.delay.setMix(1.0f);
    StereoSignal silence(100000);
    silence.render(rig.delay);
    EXPECT_EQ(peakOf(silence.left), 0.0);
    EXPECT_EQ(peakOf(silence.right), 0.0);
}

// A tempo change moves the times over about 32 ms without clearing the lines:
// an echo on its way still arrives, at the new time, since the slide is over
// before it.  The read interpolates correctly, so a ramp read while the time
// glides comes out straight within each tick.
TEST(BWDoubleDelay, TempoChangeSlidesTheTimesAndKeepsTheEchoes) {
    DoubleDelayRig rig(44100.0f);
    rig.delay.setParameter(BWDoubleDelay::kFeedback, 0.0f);
    rig.openFully();
    StereoSignal audio(44100);
    audio.right[0] = 1.0f;
    render(rig.delay, audio.left.data(), audio.right.data(), 160);
    rig.context.changeTempo(60.0);
    EXPECT_NEAR(rig.delay.rightDelayTarget(), 44100.0 / 16.0, 1e-3);
    render(rig.delay, audio.left.data() + 160, audio.right.data() + 160, audio.size() - 160);
    const Echo echo = findEcho(audio.right, 1, audio.size());
    EXPECT_NEAR(echo.sum, 1.0, 0.02);
    EXPECT_NEAR(echo.position, 2756.25, 20.0);

    StereoSignal ramp(88200);
    for (size_t i = 0; i < ramp.size(); ++i) ramp.left[i] = ramp.right[i] = static_cast<float>(i) * 1e-6f;
    rig.context.changeTempo(90.0);
    ramp.render(rig.delay);
    EXPECT_LT(largestCurvatureWithinTicks(ramp.right, 8000, 1e-6), 0.25);
}

// The lines are laid out for 45 bpm when the rate is prepared; a tempo
// change only moves the times inside them.
TEST(BWDoubleDelay, ProcessTickAndTempoChangesAllocateNothing) {
    DoubleDelayRig rig(48000.0f);
    rig.openFully();
    const std::vector<const void*> blocks = listedBlocks(rig.context.resetList);
    EXPECT_EQ(blocks.size(), 4u);  // the two lines and their last reads
    StereoSignal noise = noiseSignal(4800, 0.5f, 3);
    AllocationCounter counter;
    noise.render(rig.delay);
    rig.context.changeTempo(45.0);
    noise.render(rig.delay);
    rig.context.changeTempo(300.0);
    noise.render(rig.delay);
    EXPECT_EQ(counter.count(), 0u);
    EXPECT_EQ(listedBlocks(rig.context.resetList), blocks);
}

// Values outside 0..1, NaN included, select the nearest end of the note
// table; no time leaves the line.
TEST(BWDoubleDelay, WildValuesStayInsideTheTableAndTheLines) {
    DoubleDelayRig rig(44100.0f);
    rig.openFully();
    for (float wild : {std::numeric_limits<float>::quiet_NaN(), 7.0f, -7.0f, 1e30f}) {
        for (uint32_t i = 0; i < BWDoubleDelay::kParameterCount; ++i) rig.delay.setParameter(i, wild);
        rig.delay.setMix(wild);
        EXPECT_LE(rig.delay.leftDelayTarget(), 4.0f * 22050.0f + 32.0f);
        EXPECT_GE(rig.delay.rightDelayTarget(), 22050.0f * 3.0f / 128.0f - 1e-3f);
        StereoSignal audio = noiseSignal(8820, 0.5f, 12);
        audio.render(rig.delay);
        EXPECT_TRUE(allFinite(audio.left)) << wild;
        EXPECT_TRUE(allFinite(audio.right)) << wild;
    }
}

TEST(BWDoubleDelay, LeavesTheListsWhenDestroyed) {
    EffectTestContext context(44100.0f);
    {
        BWDoubleDelay delay(kDoubleDelayEffectId, &context.info);
        EXPECT_EQ(context.listeners.size(), 1u);
        EXPECT_EQ(context.resetList.size(), 4u);
    }
    EXPECT_EQ(context.listeners.size(), 0u);
    EXPECT_EQ(context.resetList.size(), 0u);
}

// A minute of full-scale noise and one of silence, shared by the parameter
// corners: shortest times with the most feedback, longest times with none,
// and a mix of the two at the slowest tempo.
class BWDoubleDelayStability : public ::testing::TestWithParam<float> {};

TEST_P(BWDoubleDelayStability, StaysFiniteBoundedAndFreeOfDenormals) {
    EffectTestContext context(GetParam());
    BWDoubleDelay delay(kDoubleDelayEffectId, &context.info);
    const std::vector<Corner> corners = {
        {{{0, 1.0f}, {1, 1.0f}, {2, 1.0f}, {3, 1.0f}, {4, 1.0f}}, 1.0f, 120.0},
        {{{0, 0.0f}, {1, 0.0f}, {2, 0.0f}, {3, 0.0f}, {4, 0.0f}}, 1.0f, 120.0},
        {{{0, 0.0f}, {1, 1.0f}, {3, 1.0f}}, 0.5f, 45.0},
    };
    const StabilityReport report = runStability(delay, context, corners, 60.0);
    EXPECT_TRUE(report.finite);
    EXPECT_LE(report.peak, 5.0f);  // at most 1 / (1 - 0.8)
    EXPECT_EQ(report.subnormals, 0u);
    EXPECT_LT(report.silenceCpuSeconds, 2.0 * report.noiseCpuSeconds + 0.05);
}

INSTANTIATE_TEST_SUITE_P(Rates, BWDoubleDelayStability, ::testing::ValuesIn(stabilityRates()), StabilityRateName());
