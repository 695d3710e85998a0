#include "effects/BWPhaser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "support/AllocationCounter.h"
#include "EffectTestSupport.h"
#include "platform/CpuFeatures.h"

namespace {

using P = BWPhaser;

// A phaser as the plug-in object sets it up: tempo-locked, seven stages.
struct PhaserRig {
    explicit PhaserRig(float rate = 44100.0f, double bpm = 120.0)
        : context(rate, bpm), phaser(kPhaserEffectId, &context.info) {
        phaser.setSyncMode(0, 1);
        phaser.setParameter(P::kStages, 1.0f);
    }

    EffectTestContext context;
    BWPhaser phaser;
};

StereoSignal tone(double frequency, double rate, size_t frames) {
    StereoSignal signal(frames);
    for (size_t n = 0; n < frames; ++n) {
        const double phase = 2.0 * std::numbers::pi * frequency * static_cast<double>(n) / rate;
        signal.left[n] = signal.right[n] = static_cast<float>(std::sin(phase));
    }
    return signal;
}

// The response of the cascade as described: N first-order all-passes
// (z^-1 - a) / (1 - a z^-1) with a = (1 - f) / (1 + f), the cascade's output
// fed back one sample later, and 0.75 of the input added at full wet level.
double modelGain(double frequency, double rate, double breakFrequency, int stages, double feedback,
                 double depth) {
    const double f = breakFrequency / rate;
    const double a = (1.0 - f) / (1.0 + f);
    const std::complex<double> delay = std::polar(1.0, -2.0 * std::numbers::pi * frequency / rate);
    const std::complex<double> allPass = std::pow((delay - a) / (1.0 - a * delay), stages);
    return std::abs(0.75 + depth * allPass / (1.0 - feedback * delay * allPass));
}

// The period of the sweep, from the output envelope of a steady tone: the
// lag, between 0.4 and 1.6 times the expected period, at which the envelope
// best repeats itself.
double measuredSweepSeconds(BWPhaser& phaser, double rate, double expectedSeconds) {
    constexpr size_t kWindow = 64;
    const auto frames = static_cast<size_t>(4.0 * expectedSeconds * rate);
    StereoSignal signal = tone(1500.0, rate, frames);
    signal.render(phaser);
    std::vector<double> envelope;
    for (size_t start = 0; start + kWindow <= frames; start += kWindow) {
        double energy = 0.0;
        for (size_t n = start; n < start + kWindow; ++n) energy += signal.left[n] * signal.left[n];
        envelope.push_back(std::sqrt(energy / kWindow));
    }
    const double windowsPerPeriod = expectedSeconds * rate / kWindow;
    size_t bestLag = 0;
    double bestDifference = 1e300;
    for (auto lag = static_cast<size_t>(0.4 * windowsPerPeriod); lag <= static_cast<size_t>(1.6 * windowsPerPeriod); ++lag) {
        double difference = 0.0;
        const size_t count = envelope.size() - lag;
        for (size_t k = 0; k < count; ++k) difference += std::fabs(envelope[k] - envelope[k + lag]);
        difference /= static_cast<double>(count);
        if (difference < bestDifference) {
            bestDifference = difference;
            bestLag = lag;
        }
    }
    return static_cast<double>(bestLag * kWindow) / rate;
}

}  // namespace

TEST(BWPhaserTest, NamesValuesDisplaysAndLabels) {
    EffectTestContext context;
    BWPhaser phaser(kPhaserEffectId, &context.info);
    EXPECT_STREQ(phaser.getEffectName(), "Phaser");
    const char* names[] = {"Rate", "Feedback", "Depth", "Stages", "Width"};
    const float initial[] = {0.2f, 0.7f, 0.7f, 0.7f, 0.5f};
    for (uint32_t index = 0; index < 5; ++index) {
        EXPECT_STREQ(phaser.getParameterName(index), names[index]);
        EXPECT_EQ(phaser.getValue(index), initial[index]);
        EXPECT_EQ(phaser.getParameterDefault(static_cast<int32_t>(index)), 0.5f);
    }
    EXPECT_EQ(context.listeners.size(), 1u);
    EXPECT_EQ(context.resetList.size(), 6u);  // four stage arrays and two fed-back samples

    char text[BWEffect::kDisplayTextSize] = "untouched";
    phaser.getParameterDisplay(P::kRate, 0.2f, text);
    EXPECT_STREQ(text, "20.00");
    phaser.getParameterDisplay(P::kFeedback, 0.5f, text);
    EXPECT_STREQ(text, "50.00 %");
    phaser.getParameterDisplay(P::kWidth, 1.0f, text);
    EXPECT_STREQ(text, "100.00 %");
    phaser.getParameterDisplay(P::kStages, 0.0f, text);
    EXPECT_STREQ(text, "1 Stages");
    phaser.getParameterDisplay(P::kStages, 1.0f, text);
    EXPECT_STREQ(text, "7 Stages");
    phaser.getParameterDisplay(7, 1.0f, text);
    EXPECT_STREQ(text, "7 Stages");
    phaser.setSyncMode(0, 1);
    phaser.getParameterDisplay(P::kRate, 0.6f, text);
    EXPECT_STREQ(text, "1/4");
    phaser.getParameterDisplay(P::kRate, 0.0f, text);
    EXPECT_STREQ(text, "Off");

    EXPECT_EQ(phaser.getSteps(P::kStages), 8.0f);
    EXPECT_EQ(phaser.getSteps(P::kRate), 16.0f);
    EXPECT_EQ(phaser.getSteps(P::kDepth), 0.0f);
    std::vector<std::string> labels;
    phaser.getValueLabels(P::kStages, labels);
    ASSERT_EQ(labels.size(), 8u);
    EXPECT_EQ(labels.front(), "1 Stage");
    EXPECT_EQ(labels.back(), "8 Stage");
    labels.clear();
    phaser.getValueLabels(P::kRate, labels);
    ASSERT_EQ(labels.size(), 16u);
    EXPECT_EQ(labels.front(), "Off");
    EXPECT_EQ(labels.back(), "1//32");
}

TEST(BWPhaserTest, StagesFeedbackAndRateMappings) {
    PhaserRig rig;
    P& phaser = rig.phaser;
    const std::pair<float, int> stages[] = {{0.0f, 1}, {0.5f, 4}, {1.0f, 7}, {-3.0f, 1}, {9.0f, 7}};
    for (const auto& [value, count] : stages) {
        phaser.setParameter(P::kStages, value);
        phaser.takeParameters();
        EXPECT_EQ(phaser.getStageCount(), count) << value;
    }
    phaser.setParameter(P::kFeedback, 1.0f);
    phaser.takeParameters();
    EXPECT_FLOAT_EQ(phaser.getFeedback(), 0.85f);

    // Free running: "Rate" 1 is capped at half a cycle per tick, "Rate" 0 is
    // a cycle of about one second.
    phaser.setSyncMode(0, 0);
    phaser.setParameter(P::kRate, 1.0f);
    phaser.takeParameters();
    EXPECT_FLOAT_EQ(phaser.getLfoIncrement(), 3.1415927f);
    phaser.setParameter(P::kRate, 0.0f);
    phaser.takeParameters();
    EXPECT_NEAR(2.0 * std::numbers::pi / phaser.getLfoIncrement() * 16.0 / 44100.0, 1.0001, 1e-4);

    // Locked: "Off" stops the sweep; a quarter note at 120 bpm is 22050 samples.
    phaser.setSyncMode(0, 1);
    phaser.setParameter(P::kRate, 0.0f);
    phaser.takeParameters();
    EXPECT_EQ(phaser.getLfoIncrement(), 0.0f);
    phaser.setParameter(P::kRate, 0.6f);
    phaser.takeParameters();
    EXPECT_NEAR(2.0 * std::numbers::pi / phaser.getLfoIncrement() * 16.0, 22050.0, 0.05);
    rig.context.changeTempo(60.0);
    EXPECT_NEAR(2.0 * std::numbers::pi / phaser.getLfoIncrement() * 16.0, 44100.0, 0.1);
}

TEST(BWPhaserTest, MagnitudeWithTheSweepHeldMatchesTheCascade) {
    // Locked to "Off", the oscillator rests at phase 0: the left stages break
    // at 2040 Hz (midway), the right ones at 3200 Hz with "Width" 1 (a
    // quarter cycle ahead) or at 2040 Hz with "Width" 0.
    struct Case {
        float stages;
        int count;
        float feedback;
        float depth;
        float width;
    };
    const Case cases[] = {{0.0f, 1, 0.0f, 1.0f, 1.0f}, {0.5f, 4, 0.0f, 1.0f, 0.0f},
                          {1.0f, 7, 0.0f, 0.5f, 1.0f}, {1.0f, 7, 1.0f, 1.0f, 1.0f},
                          {0.5f, 4, 0.6f, 1.0f, 1.0f}};
    const double frequencies[] = {100.0, 700.0, 1500.0, 2040.0, 3000.0, 6000.0, 15000.0};
    for (float rate : {44100.0f, 96000.0f}) {
        for (const Case& c : cases) {
            for (double frequency : frequencies) {
                PhaserRig rig(rate);
                rig.phaser.setParameter(P::kRate, 0.0f);
                rig.phaser.setParameter(P::kStages, c.stages);
                rig.phaser.setParameter(P::kFeedback, c.feedback);
                rig.phaser.setParameter(P::kDepth, c.depth);
                rig.phaser.setParameter(P::kWidth, c.width);
                rig.phaser.setMix(1.0f);
                const auto second = static_cast<size_t>(rate);
                StereoSignal signal = tone(frequency, rate, second + second / 2);
                signal.render(rig.phaser);

                const double fb = 0.85 * c.feedback;
                const double rightBreak = c.width == 1.0f ? 3200.0 : 2040.0;
                const double left = toneAmplitude(signal.left, second / 2, second, frequency, rate);
                const double right = toneAmplitude(signal.right, second / 2, second, frequency, rate);
                const std::string where = std::to_string(rate) + " Hz, " + std::to_string(c.count) +
                                          " stages, fb " + std::to_string(fb) + ", at " + std::to_string(frequency);
                EXPECT_NEAR(left, modelGain(frequency, rate, 2040.0, c.count, fb, c.depth), 2e-3) << where;
                EXPECT_NEAR(right, modelGain(frequency, rate, rightBreak, c.count, fb, c.depth), 2e-3) << where;
            }
        }
    }
}

TEST(BWPhaserTest, SweepPeriodFollowsRateAndTempo) {
    PhaserRig free;
    free.phaser.setSyncMode(0, 0);
    free.phaser.setParameter(P::kRate, 0.0f);
    free.phaser.setMix(1.0f);
    EXPECT_NEAR(measuredSweepSeconds(free.phaser, 44100.0, 1.0001), 1.0001, 0.01);

    PhaserRig locked(48000.0f);
    locked.phaser.setParameter(P::kRate, 0.6f);  // a quarter note
    locked.phaser.setMix(1.0f);
    EXPECT_NEAR(measuredSweepSeconds(locked.phaser, 48000.0, 0.5), 0.5, 0.005);
    locked.context.changeTempo(60.0);
    EXPECT_NEAR(measuredSweepSeconds(locked.phaser, 48000.0, 1.0), 1.0, 0.01);
}

TEST(BWPhaserTest, WidthPutsTheRightSweepAQuarterCycleAhead) {
    for (float width : {0.0f, 1.0f}) {
        PhaserRig rig;
        rig.phaser.setSyncMode(0, 0);
        rig.phaser.setParameter(P::kRate, 0.0f);
        rig.phaser.setParameter(P::kWidth, width);
        rig.phaser.setMix(1.0f);
        rig.phaser.takeParameters();
        const double period = 2.0 * std::numbers::pi / rig.phaser.getLfoIncrement();  // in ticks
        const auto quarter = static_cast<size_t>(std::lround(period / 4.0));
        std::vector<float> left, right;
        for (size_t k = 0; k < static_cast<size_t>(period); ++k) {
            settle(rig.phaser, kTickFrames);
            left.push_back(rig.phaser.getCoefficient(0, 0));
            right.push_back(rig.phaser.getCoefficient(1, 0));
        }
        const size_t lead = width == 0.0f ? 0 : quarter;
        for (size_t k = 0; k + lead < left.size(); ++k)
            ASSERT_NEAR(right[k], left[k + lead], 2e-4) << width << " at tick " << k;
    }
}

TEST(BWPhaserTest, IdleAtWetZeroAndRestartsFromSilence) {
    PhaserRig rig;
    rig.phaser.setSyncMode(0, 0);
    NoiseSource noise;
    auto noiseSignal = [&](size_t frames) {
        StereoSignal signal(frames);
        for (size_t n = 0; n < frames; ++n) {
            signal.left[n] = noise.next();
            signal.right[n] = noise.next();
        }
        return signal;
    };

    // Never switched on: bit for bit, and the oscillator does not move.
    StereoSignal input = noiseSignal(10000);
    StereoSignal output = input;
    output.render(rig.phaser);
    EXPECT_EQ(output.left, input.left);
    EXPECT_EQ(output.right, input.right);
    EXPECT_EQ(rig.phaser.getLfoPhase(), 0.0f);

    rig.phaser.setMix(1.0f);
    noiseSignal(20000).render(rig.phaser);
    EXPECT_NE(rig.phaser.getLfoPhase(), 0.0f);

    // Glided back to 0: idle again, bit for bit, oscillator frozen.
    rig.phaser.setMix(0.0f);
    noiseSignal(20000).render(rig.phaser);
    const float frozen = rig.phaser.getLfoPhase();
    input = noiseSignal(10000);
    output = input;
    output.render(rig.phaser);
    EXPECT_EQ(output.left, input.left);
    EXPECT_EQ(output.right, input.right);
    EXPECT_EQ(rig.phaser.getLfoPhase(), frozen);

    // Switched on again: the first block restarts the oscillator at phase 0.
    rig.phaser.setMix(1.0f);
    rig.phaser.tick();
    noiseSignal(kTickFrames).render(rig.phaser);
    EXPECT_FLOAT_EQ(rig.phaser.getLfoPhase(), rig.phaser.getLfoIncrement());

    EXPECT_EQ(rig.phaser.reset(), 1);
    EXPECT_FLOAT_EQ(rig.phaser.getLfoPhase(), rig.phaser.getLfoIncrement());
}

TEST(BWPhaserTest, ProcessTickAndTempoChangesAllocateNothing) {
    PhaserRig rig(96000.0f);
    rig.phaser.setParameter(P::kRate, 0.9f);
    rig.phaser.setMix(1.0f);
    NoiseSource noise;
    StereoSignal signal(48000);
    for (size_t n = 0; n < signal.size(); ++n) signal.left[n] = signal.right[n] = noise.next();
    AllocationCounter counter;
    render(rig.phaser, signal.left.data(), signal.right.data(), 24000);
    rig.context.changeTempo(45.0);
    rig.context.changeTempo(300.0);
    rig.phaser.processAlternate(signal.left.data() + 24000, signal.right.data() + 24000, 16);
    render(rig.phaser, signal.left.data() + 24000, signal.right.data() + 24000, 24000);
    rig.phaser.updateTiming();
    EXPECT_EQ(counter.count(), 0u);
}

namespace {

// A second of loud noise through a phaser of the given stage count: a fast
// sweep, full feedback, width and depth, a wet level gliding in and out, the
// alternate entry too in spans that are no whole chunk.  On the baseline's
// kernel, or on the fused one held to AVX2 or not.
StereoSignal phasedNoise(float stages, bool baseline, bool heldToAvx2 = false) {
    platform::restrictToBaselineCpu(baseline);
    PhaserRig rig;
    rig.phaser.holdToAvx2(heldToAvx2);
    rig.phaser.setSyncMode(0, 0);
    rig.phaser.setParameter(P::kRate, 0.95f);
    rig.phaser.setParameter(P::kFeedback, 1.0f);
    rig.phaser.setParameter(P::kDepth, 1.0f);
    rig.phaser.setParameter(P::kWidth, 0.8f);
    rig.phaser.setParameter(P::kStages, stages);
    rig.phaser.setMix(1.0f);
    NoiseSource noise(99u);
    StereoSignal signal(44100);
    for (size_t n = 0; n < signal.size(); ++n) {
        signal.left[n] = 2.0f * noise.next();
        signal.right[n] = noise.next();
    }
    render(rig.phaser, signal.left.data(), signal.right.data(), 20000);
    rig.phaser.setMix(0.3f);
    render(rig.phaser, signal.left.data() + 20000, signal.right.data() + 20000, 20000);
    for (size_t done = 40000; done + 13 <= signal.size(); done += 13)
        rig.phaser.processAlternate(signal.left.data() + done, signal.right.data() + done, 13);
    platform::restrictToBaselineCpu(false);
    EXPECT_EQ(rig.phaser.getStageCount(), static_cast<int32_t>(stages * 6.0f + 1.5f));
    return signal;
}

}  // namespace

// The fused kernel rearranges the cascade's arithmetic; at every stage count
// it must give what the plain one gives, up to rounding.
TEST(BWPhaserTest, FusedKernelMatchesThePlainOneAtEveryStageCount) {
    if (!platform::cpuHasFma()) GTEST_SKIP() << "no fused multiply-add on this machine";
    for (int count = 1; count <= 7; ++count) {
        const float stages = static_cast<float>(count - 1) / 6.0f;
        const StereoSignal fused = phasedNoise(stages, false);
        const StereoSignal plain = phasedNoise(stages, true);
        double error = 0.0;
        double energy = 0.0;
        for (size_t n = 0; n < fused.size(); ++n) {
            for (const auto& [a, b] : {std::pair{fused.left[n], plain.left[n]}, std::pair{fused.right[n], plain.right[n]}}) {
                error += (static_cast<double>(a) - b) * (static_cast<double>(a) - b);
                energy += static_cast<double>(b) * b;
            }
        }
        EXPECT_LT(std::sqrt(error / energy), 1e-5) << count << " stages";
    }
}

// Given AVX-512VL's registers, the fused kernel keeps its constants there
// instead of in memory; the arithmetic is the AVX2 kernel's, so a render
// moved between the two processors must not change by a bit.
TEST(BWPhaserTest, Avx512KernelGivesTheAvx2KernelsBits) {
    if (!platform::cpuHasAvx512Vl()) GTEST_SKIP() << "no AVX-512VL here";
    for (int count = 1; count <= 7; ++count) {
        const float stages = static_cast<float>(count - 1) / 6.0f;
        const StereoSignal wide = phasedNoise(stages, false);
        const StereoSignal avx2 = phasedNoise(stages, false, true);
        EXPECT_EQ(std::memcmp(wide.left.data(), avx2.left.data(), wide.size() * sizeof(float)), 0) << count << " stages";
        EXPECT_EQ(std::memcmp(wide.right.data(), avx2.right.data(), wide.size() * sizeof(float)), 0) << count << " stages";
    }
}

namespace {

class PhaserStability : public ::testing::TestWithParam<float> {};

}  // namespace

TEST_P(PhaserStability, MinuteOfNoiseAndSilenceAtTheExtremes) {
    // Half the minute locked to the tempo (the sweep held at "Off", the
    // fastest note at the fastest tempo), half running freely.
    const std::vector<Corner> locked = {
        {{{P::kRate, 0.0f}, {P::kFeedback, 1.0f}, {P::kDepth, 1.0f}, {P::kStages, 0.0f}, {P::kWidth, 1.0f}}, 1.0f, 120.0},
        {{{P::kRate, 1.0f}, {P::kFeedback, 1.0f}, {P::kDepth, 1.0f}, {P::kStages, 1.0f}, {P::kWidth, 0.0f}}, 1.0f, 300.0},
        {{{P::kRate, 1.0f}, {P::kFeedback, 0.0f}, {P::kDepth, 0.0f}, {P::kStages, 0.0f}, {P::kWidth, 0.0f}}, 0.5f, 45.0},
    };
    const std::vector<Corner> running = {
        {{{P::kRate, 1.0f}, {P::kFeedback, 1.0f}, {P::kDepth, 1.0f}, {P::kStages, 1.0f}, {P::kWidth, 1.0f}}, 1.0f},
        {{{P::kRate, 0.0f}, {P::kFeedback, 1.0f}, {P::kDepth, 1.0f}, {P::kStages, 1.0f}, {P::kWidth, 0.0f}}, 1.0f},
        {{{P::kRate, 0.0f}, {P::kFeedback, 0.0f}, {P::kDepth, 0.0f}, {P::kStages, 0.0f}, {P::kWidth, 0.0f}}, 1.0f},
    };
    PhaserRig rig(GetParam());
    const StabilityReport lockedReport = runStability(rig.phaser, rig.context, locked, 30.0);
    rig.phaser.setSyncMode(0, 0);
    const StabilityReport runningReport = runStability(rig.phaser, rig.context, running, 30.0);
    for (const StabilityReport& report : {lockedReport, runningReport}) {
        EXPECT_TRUE(report.finite);
        EXPECT_LE(report.peak, 20.0f);
        EXPECT_EQ(report.subnormals, 0u);
        EXPECT_LT(report.silenceCpuSeconds, 3.0 * report.noiseCpuSeconds + 0.05);
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, PhaserStability, ::testing::ValuesIn(stabilityRates()), StabilityRateName());
