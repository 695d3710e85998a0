#include "effects/BWDelay16.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "support/AllocationCounter.h"
#include "EchoMeasurement.h"

namespace {

struct Delay16Rig {
    explicit Delay16Rig(float rate, double bpm = 120.0) : context(rate, bpm), delay(kDelay16EffectId, &context.info) {}
    void openFully() {
        delay.setMix(1.0f);
        settle(delay, static_cast<size_t>(context.info.sampleRate));
    }
    EffectTestContext context;
    BWDelay16 delay;
};

double saturated(double x) { return x * (1.0 - std::fabs(x) * 0.25); }

}  // namespace

TEST(BWDelay16, NamesDefaultsAndDisplay) {
    Delay16Rig rig(44100.0f);
    EXPECT_STREQ(rig.delay.getEffectName(), "Delay16");
    const char* names[] = {"Delay_Left", "Delay_Right", "Feedback"};
    const float defaults[] = {0.5f, 0.5f, 0.78f};
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_STREQ(rig.delay.getParameterName(i), names[i]);
        EXPECT_FLOAT_EQ(rig.delay.getParameterDefault(static_cast<int32_t>(i)), defaults[i]);
        char text[BWEffect::kDisplayTextSize] = "unchanged";
        rig.delay.getParameterDisplay(static_cast<int32_t>(i), 0.3f, text);
        EXPECT_STREQ(text, "todo");
    }
}

// One to sixteen sixteenth notes; the ring holds four beats and four samples.
TEST(BWDelay16, TimesInSixteenthsAndFeedback) {
    for (float rate : {44100.0f, 96000.0f}) {
        Delay16Rig rig(rate);
        const double sixteenth = rate * 0.5 / 4.0;  // 120 bpm
        BWDelay16& d = rig.delay;
        EXPECT_EQ(d.ringSamples(), static_cast<uint32_t>(rate * 0.5 * 4.0 + 4.0));
        d.setParameter(BWDelay16::kDelayLeft, 0.0f);
        d.takeParameters();
        EXPECT_DOUBLE_EQ(d.leftDelayTarget(), sixteenth);
        d.setParameter(BWDelay16::kDelayLeft, 1.0f);
        d.takeParameters();
        EXPECT_DOUBLE_EQ(d.leftDelayTarget(), 16.0 * sixteenth);
        d.setParameter(BWDelay16::kDelayRight, 0.5f);
        d.takeParameters();
        EXPECT_DOUBLE_EQ(d.rightDelayTarget(), 9.0 * sixteenth);
        d.setParameter(BWDelay16::kFeedback, 1.0f);
        d.takeParameters();
        EXPECT_FLOAT_EQ(d.feedbackGain(), 0.99f);
        d.setParameter(BWDelay16::kFeedback, 0.78f);
        d.takeParameters();
        EXPECT_FLOAT_EQ(d.feedbackGain(), 0.78f * 0.99f);
    }
}

// At full level only the delayed signal comes out; each echo is the one
// before through the feedback and the saturator, one sample later than a
// whole period since the loop feeds back the previous sample's read.
TEST(BWDelay16, ImpulseEchoesAtWholeSixteenthsWithTheFeedbackDecay) {
    for (float rate : {44100.0f, 96000.0f}) {
        Delay16Rig rig(rate);
        rig.delay.setParameter(BWDelay16::kDelayLeft, 0.0f);   // one sixteenth
        rig.delay.setParameter(BWDelay16::kDelayRight, 0.25f);  // five sixteenths (0.25 * 15 + 0.5 = 4.25)
        rig.openFully();
        const double left = rate * 0.5 / 4.0;
        const double right = 5.0 * left;
        StereoSignal audio(static_cast<size_t>(right * 2.2));
        const double amplitude = 0.01;
        audio.left[0] = audio.right[0] = static_cast<float>(amplitude);
        audio.render(rig.delay);
        EXPECT_EQ(audio.left[0], 0.0f);
        double expectedSum = saturated(amplitude);
        for (int k = 1; k <= 3; ++k) {
            const double at = k * left + (k - 1);
            const Echo echo = findEcho(audio.left, static_cast<size_t>(at) - 3, static_cast<size_t>(at) + 4);
            // The times glide in single precision and settle within about
            // 1e-5 of their value.
            EXPECT_NEAR(echo.position, at, at * 1e-5) << rate << " echo " << k;
            EXPECT_NEAR(echo.sum, expectedSum, expectedSum * 0.01);
            expectedSum = saturated(expectedSum * 0.78 * 0.99);
        }
        const Echo first = findEcho(audio.right, static_cast<size_t>(right) - 3, static_cast<size_t>(right) + 4);
        EXPECT_NEAR(first.position, right, right * 1e-5);
        EXPECT_NEAR(first.sum, saturated(amplitude), 1e-5);
    }
}

// A time that glides reads the line smoothly: a ramp comes out straight
// within each tick, where an interpolation the wrong way round would jump by
// two samples' worth whenever the read point crosses a whole sample.
TEST(BWDelay16, GlidingTimeReadsSmoothly) {
    Delay16Rig rig(44100.0f);
    rig.delay.setParameter(BWDelay16::kFeedback, 0.0f);
    rig.openFully();
    StereoSignal ramp(6 * 44100);
    for (size_t i = 0; i < ramp.size(); ++i) ramp.left[i] = ramp.right[i] = static_cast<float>(i) * 1e-7f;
    const size_t filled = 5513 * kTickFrames;  // two seconds of whole ticks: the ring holds the ramp
    render(rig.delay, ramp.left.data(), ramp.right.data(), filled);
    rig.delay.setParameter(BWDelay16::kDelayLeft, 0.0f);
    rig.delay.setParameter(BWDelay16::kDelayRight, 1.0f);
    render(rig.delay, ramp.left.data() + filled, ramp.right.data() + filled, ramp.size() - filled);
    EXPECT_LT(largestCurvatureWithinTicks(ramp.left, filled, 1e-7), 0.25);
    EXPECT_LT(largestCurvatureWithinTicks(ramp.right, filled, 1e-7), 0.25);
}

// At level 0 the input passes untouched while the lines keep recording:
// raising the level brings back the echoes of what was played meanwhile.
TEST(BWDelay16, LevelZeroIsDryBitForBitWhileTheLinesRecord) {
    Delay16Rig rig(48000.0f);
    rig.delay.setParameter(BWDelay16::kDelayLeft, 0.0f);
    rig.delay.setMix(0.0f);
    const StereoSignal input = noiseSignal(24000, 0.5f, 11);
    StereoSignal output = input;
    output.render(rig.delay);
    EXPECT_EQ(0, std::memcmp(output.left.data(), input.left.data(), input.size() * sizeof(float)));
    EXPECT_EQ(0, std::memcmp(output.right.data(), input.right.data(), input.size() * sizeof(float)));
    rig.delay.setMix(1.0f);
    StereoSignal after(48000);
    after.render(rig.delay);
    EXPECT_GT(peakOf(after.left), 0.1);
}

// The loop stays within +-1 for any input: the saturator's input is held at
// its peak, where x (1 - |x| / 4) would otherwise turn into a runaway of the
// other sign.  A NaN sample passes as one bad sample and does not poison the
// loop.
TEST(BWDelay16, LoudOrBrokenInputCannotRunAway) {
    Delay16Rig rig(44100.0f);
    rig.delay.setParameter(BWDelay16::kDelayLeft, 0.0f);
    rig.delay.setParameter(BWDelay16::kDelayRight, 0.0f);
    rig.delay.setParameter(BWDelay16::kFeedback, 1.0f);
    rig.openFully();
    StereoSignal loud = noiseSignal(5 * 44100, 8.0f, 5);
    loud.render(rig.delay);
    EXPECT_TRUE(allFinite(loud.left));
    EXPECT_LE(peakOf(loud.left), 1.0);
    EXPECT_LE(peakOf(loud.right), 1.0);

    StereoSignal broken(44100);
    broken.left[100] = std::numeric_limits<float>::quiet_NaN();
    broken.right[100] = std::numeric_limits<float>::infinity();
    broken.render(rig.delay);
    StereoSignal later(44100);
    later.render(rig.delay);
    EXPECT_TRUE(allFinite(later.left));
    EXPECT_TRUE(allFinite(later.right));
}

// Values outside 0..1, NaN included, hold at the ends: one or sixteen
// sixteenths, never beyond the ring.
TEST(BWDelay16, WildValuesStayInsideTheRing) {
    Delay16Rig rig(44100.0f);
    rig.openFully();
    for (float wild : {std::numeric_limits<float>::quiet_NaN(), 7.0f, -7.0f, 1e30f}) {
        for (uint32_t i = 0; i < BWDelay16::kParameterCount; ++i) rig.delay.setParameter(i, wild);
        rig.delay.setMix(wild);
        EXPECT_LT(rig.delay.leftDelayTarget(), static_cast<double>(rig.delay.ringSamples()));
        EXPECT_GE(rig.delay.leftDelayTarget(), 22050.0 * 0.25);
        StereoSignal audio = noiseSignal(8820, 0.5f, 12);
        audio.render(rig.delay);
        EXPECT_TRUE(allFinite(audio.left)) << wild;
    }
}

// A tempo change sets the ring to four beats of the new tempo inside the
// capacity laid out for 45 bpm, and the times follow, with nothing allocated.
TEST(BWDelay16, ProcessTickAndTempoChangesAllocateNothing) {
    Delay16Rig rig(48000.0f);
    rig.openFully();
    const std::vector<const void*> blocks = listedBlocks(rig.context.resetList);
    EXPECT_EQ(blocks.size(), 4u);  // the two lines and their last reads
    StereoSignal noise = noiseSignal(4800, 0.5f, 3);
    AllocationCounter counter;
    noise.render(rig.delay);
    rig.context.changeTempo(45.0);
    const uint32_t slowRing = rig.delay.ringSamples();
    const double slowTime = rig.delay.leftDelayTarget();
    noise.render(rig.delay);
    rig.context.changeTempo(240.0);
    noise.render(rig.delay);
    EXPECT_EQ(counter.count(), 0u);
    EXPECT_EQ(listedBlocks(rig.context.resetList), blocks);
    EXPECT_EQ(slowRing, static_cast<uint32_t>(48000.0 * 60.0 / 45.0 * 4.0 + 4.0));
    EXPECT_DOUBLE_EQ(slowTime, 9.0 * 0.25 * static_cast<float>(48000.0 * 60.0 / 45.0));
    EXPECT_EQ(rig.delay.ringSamples(), static_cast<uint32_t>(48000.0 * 0.25 * 4.0 + 4.0));
}

// A minute of full-scale noise and one of silence, shared by the parameter
// corners: shortest times with the most feedback, longest with none, and the
// longest with the most feedback at the slowest tempo.
class BWDelay16Stability : public ::testing::TestWithParam<float> {};

TEST_P(BWDelay16Stability, StaysFiniteBoundedAndFreeOfDenormals) {
    EffectTestContext context(GetParam());
    BWDelay16 delay(kDelay16EffectId, &context.info);
    const std::vector<Corner> corners = {
        {{{0, 0.0f}, {1, 0.0f}, {2, 1.0f}}, 1.0f, 120.0},
        {{{0, 1.0f}, {1, 1.0f}, {2, 0.0f}}, 1.0f, 120.0},
        {{{0, 1.0f}, {1, 0.5f}, {2, 1.0f}}, 0.5f, 45.0},
    };
    const StabilityReport report = runStability(delay, context, corners, 60.0);
    EXPECT_TRUE(report.finite);
    EXPECT_LE(report.peak, 1.0f);
    EXPECT_EQ(report.subnormals, 0u);
    EXPECT_LT(report.silenceCpuSeconds, 2.0 * report.noiseCpuSeconds + 0.05);
}

INSTANTIATE_TEST_SUITE_P(Rates, BWDelay16Stability, ::testing::ValuesIn(stabilityRates()), StabilityRateName());

// Blocks of one sub-block write the line four samples at a time, through the
// AVX-512VL kernel where the processor has it or the AVX2 one it is held to;
// longer calls go sample by sample.  With nothing gliding every one must
// write the same bits, wild input included (NaN, infinities, huge and tiny
// values, either sign), across the ring's end.
TEST(BWDelay16, LineWritesOfWholeBlocksMatchTheSampleBySampleLoop) {
    for (const bool heldToAvx2 : {false, true}) {
        SCOPED_TRACE(heldToAvx2 ? "held to AVX2" : "widest kernel");
        Delay16Rig blocks(44100.0f);
        Delay16Rig samples(44100.0f);
        blocks.delay.holdToAvx2(heldToAvx2);
        for (Delay16Rig* rig : {&blocks, &samples}) {
            rig->delay.setParameter(BWDelay16::kDelayLeft, 0.0f);
            rig->delay.setParameter(BWDelay16::kDelayRight, 0.4f);
            rig->delay.setParameter(BWDelay16::kFeedback, 1.0f);
            rig->delay.setMix(0.7f);
            settle(rig->delay, 44100);
        }
        const float wild[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(), 1e30f, -3.0f, 2.5f, 1e-25f, -1e-25f, 0.0f, -0.0f};
        NoiseSource noise(5u);
        StereoSignal a(32 * 4200);  // whole pairs of sub-blocks, past the ring's end
        for (size_t n = 0; n < a.size(); ++n) {
            a.left[n] = n % 997 < 10 ? wild[n % 997] : 3.0f * noise.next();
            a.right[n] = n % 1009 < 10 ? wild[n % 1009] : 0.2f * noise.next();
        }
        StereoSignal b = a;
        for (size_t done = 0; done < a.size(); done += 32) {
            for (size_t half : {done, done + 16}) {
                blocks.delay.process(a.left.data() + half, a.right.data() + half, 16);
                blocks.delay.tick();
            }
            samples.delay.process(b.left.data() + done, b.right.data() + done, 32);
            samples.delay.tick();
            samples.delay.tick();
        }
        EXPECT_EQ(0, std::memcmp(a.left.data(), b.left.data(), a.size() * sizeof(float)));
        EXPECT_EQ(0, std::memcmp(a.right.data(), b.right.data(), a.size() * sizeof(float)));
    }
}
