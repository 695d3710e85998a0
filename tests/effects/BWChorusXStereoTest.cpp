#include "effects/BWChorusXStereo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "support/AllocationCounter.h"
#include "EffectTestSupport.h"
#include "platform/CpuFeatures.h"

namespace {

using C = BWChorusXStereo;
constexpr float kInputGain = 0.57735026f;

struct ChorusRig {
    explicit ChorusRig(float rate = 44100.0f, float speed = 0.0f, float depth = 0.5f)
        : context(rate), chorus(kChorusEffectId, &context.info) {
        chorus.setParameter(C::kRate, speed);
        chorus.setParameter(C::kDepth, depth);
        chorus.setMix(1.0f);
    }

    EffectTestContext context;
    BWChorusXStereo chorus;
};

// The two voices of a channel, measured from its response to a unit impulse:
// the input filter is undone, which leaves each voice as an interpolated
// impulse at its delay; their centroid is the mean of the two delays and the
// spread around it half their distance.
struct Voices {
    double centre;
    double spread;
};

Voices measureVoices(const std::vector<float>& out, size_t impulseAt, size_t window) {
    double sum = 0.0, first = 0.0, second = 0.0;
    double previous = 0.0;
    for (size_t n = 0; n < window; ++n) {
        double wet = out[impulseAt + n];
        if (n == 0) wet -= kInputGain;
        const double voice = (wet + 0.35 * previous) / 1.53846;
        previous = wet;
        sum += voice;
        first += voice * static_cast<double>(n);
        second += voice * static_cast<double>(n) * static_cast<double>(n);
    }
    const double centre = first / sum;
    return {centre, std::sqrt(std::max(0.0, second / sum - centre * centre))};
}

// Renders silence, then one impulse per channel, and measures both channels.
std::pair<Voices, Voices> voicesAfter(ChorusRig& rig, size_t settleFrames, size_t window) {
    settle(rig.chorus, settleFrames);
    StereoSignal signal(window + 16);
    signal.left[0] = signal.right[0] = 1.0f;
    signal.render(rig.chorus);
    return {measureVoices(signal.left, 0, window), measureVoices(signal.right, 0, window)};
}

// Noise through the chorus with its delays swinging fast and deep, in whole
// sub-blocks at full wet, then at a gliding lower level in blocks of 13 (a
// lone last frame in every block, and write indices that wrap mid-block).
StereoSignal chorusedNoise(bool heldToAvx2) {
    ChorusRig rig(44100.0f, 0.9f, 1.0f);
    rig.chorus.holdToAvx2(heldToAvx2);
    NoiseSource noise(7u);
    StereoSignal signal(30000);
    for (size_t n = 0; n < signal.size(); ++n) {
        signal.left[n] = noise.next();
        signal.right[n] = 0.5f * noise.next();
    }
    render(rig.chorus, signal.left.data(), signal.right.data(), 15000);
    rig.chorus.setMix(0.4f);
    for (size_t done = 15000; done + 13 <= signal.size(); done += 13) {
        rig.chorus.process(signal.left.data() + done, signal.right.data() + done, 13);
        rig.chorus.tick();
    }
    return signal;
}

}  // namespace

TEST(BWChorusXStereoTest, NamesDefaultsAndDisplay) {
    ChorusRig rig;
    EXPECT_STREQ(rig.chorus.getEffectName(), "BWChorusXStereo");
    EXPECT_STREQ(rig.chorus.getParameterName(C::kRate), "F");
    EXPECT_STREQ(rig.chorus.getParameterName(C::kDepth), "depth");
    EXPECT_EQ(rig.chorus.getParameterDefault(C::kRate), 1.0f);
    EXPECT_EQ(rig.chorus.getParameterDefault(C::kDepth), 1.0f);
    EXPECT_EQ(rig.context.listeners.size(), 1u);
    char text[BWEffect::kDisplayTextSize];
    for (int32_t index : {0, 1, 5}) {
        rig.chorus.getParameterDisplay(index, 0.3f, text);
        EXPECT_STREQ(text, "todo");
    }
    // Two parameters only: other indices change nothing.
    rig.chorus.setParameter(2, 0.7f);
    EXPECT_EQ(rig.chorus.getValue(2), 0.0f);
}

TEST(BWChorusXStereoTest, LinesHoldOneThousandSamplesAt44100ScaledWithTheRate) {
    ChorusRig rig;
    EXPECT_EQ(rig.chorus.getLineLength(), 1000);
    EXPECT_EQ(rig.context.resetList.size(), 4u);  // a core reset silences the two lines and their input filters
    rig.context.changeRate(88200.0f);
    EXPECT_EQ(rig.chorus.getLineLength(), 2000);
    rig.context.changeRate(96000.0f);
    EXPECT_EQ(rig.chorus.getLineLength(), 2176);

    // A tempo change leaves the lines and their contents alone.
    NoiseSource noise;
    StereoSignal signal(3000);
    for (size_t n = 0; n < signal.size(); ++n) signal.left[n] = noise.next();
    signal.render(rig.chorus);
    const float* line = rig.chorus.lineData(0);
    const std::vector<float> before(line, line + 2176);
    rig.context.changeTempo(77.0);
    EXPECT_EQ(rig.chorus.lineData(0), line);
    EXPECT_EQ(std::vector<float>(line, line + 2176), before);
}

TEST(BWChorusXStereoTest, DryAtWetZeroAndScaledDryPlusVoicesAtFullWet) {
    ChorusRig dry(48000.0f, 1.0f, 1.0f);
    dry.chorus.setMix(0.0f);
    NoiseSource noise;
    StereoSignal input(20000);
    for (size_t n = 0; n < input.size(); ++n) {
        input.left[n] = noise.next();
        input.right[n] = noise.next();
    }
    StereoSignal output = input;
    output.render(dry.chorus);
    EXPECT_EQ(output.left, input.left);
    EXPECT_EQ(output.right, input.right);

    // At full wet level an impulse arrives as 1/sqrt(3) at once; the voices
    // follow later and sum, with the filter undone, to twice that.
    ChorusRig wet;
    settle(wet.chorus, 20000);
    StereoSignal impulse(400);
    impulse.left[0] = 1.0f;
    impulse.render(wet.chorus);
    EXPECT_FLOAT_EQ(impulse.left[0], kInputGain);
    double voices = 0.0, previous = 0.0;
    for (size_t n = 1; n < impulse.size(); ++n) {
        voices += (impulse.left[n] + 0.35 * previous) / 1.53846;
        previous = impulse.left[n];
    }
    EXPECT_NEAR(voices, 2.0 * kInputGain, 1e-4);
    EXPECT_EQ(impulse.right, std::vector<float>(400, 0.0f));
}

// Long enough for the delays to glide from 0 onto their targets, short enough
// that the slowest oscillator has hardly moved the two voices apart: moving
// delays meet the impulse late by about the product of offset and speed.
constexpr size_t kSettleFrames = 300 * kTickFrames;

TEST(BWChorusXStereoTest, CentreDelaysFollowDepthInMilliseconds) {
    // Centres: 4 d ms on the left and 4.76394 d ms on the right, d = depth + 0.05.
    for (float rate : {44100.0f, 96000.0f}) {
        for (float depth : {0.0f, 0.5f, 1.0f}) {
            ChorusRig rig(rate, 0.0f, depth);
            const double d = depth + 0.05;
            const double perMs = rate * 0.001;
            const auto [left, right] = voicesAfter(rig, kSettleFrames, static_cast<size_t>(8 * d * perMs) + 40);
            EXPECT_NEAR(left.centre, 4.0 * d * perMs, 0.05) << rate << " Hz, depth " << depth;
            EXPECT_NEAR(right.centre, 4.76394 * d * perMs, 0.05) << rate << " Hz, depth " << depth;
        }
    }
}

TEST(BWChorusXStereoTest, CentreDelaysKeepTheirTimeAcrossARateChange) {
    ChorusRig rig(44100.0f, 0.0f, 1.0f);
    rig.context.changeRate(96000.0f);
    const auto [left, right] = voicesAfter(rig, kSettleFrames, 800);
    EXPECT_NEAR(left.centre, 4.2 * 96.0, 0.05);
    EXPECT_NEAR(right.centre, 4.76394 * 1.05 * 96.0, 0.05);
}

TEST(BWChorusXStereoTest, OscillatorsRunAtFourAndThreePointTwoFourTimesTheRateFactor) {
    // The voices of a channel cross (their spread dips to nothing) twice per
    // oscillator cycle: count the dips over three seconds, impulse by impulse.
    struct Case {
        float speed;
        double leftHz;
        double rightHz;
    };
    for (const Case c : {Case{1.0f, 4.16, 4.16 * 3.236068 / 4.0}, Case{0.21f, 1.0, 3.236068 / 4.0}}) {
        ChorusRig rig(44100.0f, c.speed, 0.5f);
        const double swingLeft = 2.0 * 0.55 * 44.1;
        const double swingRight = 0.5 * 4.76394 * 0.55 * 44.1;
        int dips[2] = {0, 0};
        bool low[2] = {true, true};
        constexpr size_t kSpacing = 441;
        const size_t impulses = 3 * 44100 / kSpacing;
        for (size_t k = 0; k < impulses; ++k) {
            StereoSignal signal(kSpacing);
            signal.left[0] = signal.right[0] = 1.0f;
            signal.render(rig.chorus);
            const double spreads[2] = {measureVoices(signal.left, 0, 200).spread / swingLeft,
                                       measureVoices(signal.right, 0, 220).spread / swingRight};
            for (int channel = 0; channel < 2; ++channel) {
                if (low[channel] && spreads[channel] > 0.7) low[channel] = false;
                if (!low[channel] && spreads[channel] < 0.3) {
                    low[channel] = true;
                    ++dips[channel];
                }
            }
        }
        EXPECT_NEAR(dips[0], 2.0 * 3.0 * c.leftHz, 1.01) << c.speed;
        EXPECT_NEAR(dips[1], 2.0 * 3.0 * c.rightHz, 1.01) << c.speed;
    }
}

TEST(BWChorusXStereoTest, DelaysStayInsideTheLinesAfterTheRateDrops) {
    // Long delays at 192 kHz, then a rate whose lines are a ninth as long:
    // the gliding delays must not read before the lines' start.
    ChorusRig rig(192000.0f, 1.0f, 1.0f);
    NoiseSource noise;
    StereoSignal signal(96000);
    for (size_t n = 0; n < signal.size(); ++n) signal.left[n] = signal.right[n] = noise.next();
    signal.render(rig.chorus);
    rig.context.changeRate(22050.0f);
    EXPECT_EQ(rig.chorus.getLineLength(), 500);
    for (size_t n = 0; n < signal.size(); ++n) signal.left[n] = signal.right[n] = noise.next();
    signal.render(rig.chorus);
    for (size_t n = 0; n < signal.size(); ++n) ASSERT_TRUE(std::isfinite(signal.left[n])) << n;
}

TEST(BWChorusXStereoTest, ProcessTickAndTempoChangesAllocateNothing) {
    ChorusRig rig(96000.0f, 1.0f, 1.0f);
    NoiseSource noise;
    StereoSignal signal(48000);
    for (size_t n = 0; n < signal.size(); ++n) signal.left[n] = signal.right[n] = noise.next();
    AllocationCounter counter;
    render(rig.chorus, signal.left.data(), signal.right.data(), 24000);
    rig.context.changeTempo(45.0);
    rig.chorus.setParameter(C::kDepth, 0.0f);
    rig.context.changeTempo(300.0);
    render(rig.chorus, signal.left.data() + 24000, signal.right.data() + 24000, 24000);
    rig.chorus.updateTiming();
    EXPECT_EQ(counter.count(), 0u);
}

namespace {

class ChorusStability : public ::testing::TestWithParam<float> {};

}  // namespace

TEST_P(ChorusStability, MinuteOfNoiseAndSilenceAtTheExtremes) {
    EffectTestContext context(GetParam());
    BWChorusXStereo chorus(kChorusEffectId, &context.info);
    const std::vector<Corner> corners = {
        {{{C::kRate, 0.0f}, {C::kDepth, 0.0f}}, 1.0f},
        {{{C::kRate, 1.0f}, {C::kDepth, 1.0f}}, 1.0f},
        {{{C::kRate, 0.0f}, {C::kDepth, 1.0f}}, 0.5f},
        {{{C::kRate, 1.0f}, {C::kDepth, 0.0f}}, 1.0f},
    };
    const StabilityReport report = runStability(chorus, context, corners, 60.0);
    EXPECT_TRUE(report.finite);
    EXPECT_LE(report.peak, 4.0f);
    // The input filter passes through a few denormals on its way to zero.
    EXPECT_LE(report.subnormals, 400u);
    EXPECT_LT(report.silenceCpuSeconds, 3.0 * report.noiseCpuSeconds + 0.05);
}

INSTANTIATE_TEST_SUITE_P(Rates, ChorusStability, ::testing::ValuesIn(stabilityRates()), StabilityRateName());

TEST(BWChorusXStereoTest, Avx512KernelGivesTheAvx2KernelsBits) {
    if (!platform::cpuHasAvx512Vl()) GTEST_SKIP() << "no AVX-512VL here";
    const StereoSignal wide = chorusedNoise(false);
    const StereoSignal avx2 = chorusedNoise(true);
    EXPECT_EQ(std::memcmp(wide.left.data(), avx2.left.data(), wide.size() * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(wide.right.data(), avx2.right.data(), wide.size() * sizeof(float)), 0);
}
