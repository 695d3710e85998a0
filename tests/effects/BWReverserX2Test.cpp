#include "effects/BWReverserX2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support/AllocationCounter.h"
#include "EffectTestSupport.h"
#include "platform/Dialogs.h"
#include "support/MessageCapture.h"

namespace {

using R = BWReverserX2;

// A reverser at full wet level; "dec" 1 and "XFade" 0 leave the slices
// unshaped unless a test says otherwise.
struct ReverserRig {
    explicit ReverserRig(float rate = 44100.0f, float size = 0.5f, double bpm = 120.0)
        : context(rate, bpm), reverser(kReverserEffectId, &context.info) {
        reverser.setParameter(R::kSize, size);
        reverser.takeParameters();
        reverser.setParameter(R::kXFade, 0.0f);
        reverser.takeParameters();
        reverser.setParameter(R::kDec, 1.0f);
        reverser.takeParameters();
        reverser.setMix(1.0f);
    }

    void trigger(float value = 1.0f) { reverser.setParameter(R::kTrig, value); reverser.takeParameters(); }

    EffectTestContext context;
    BWReverserX2 reverser;
};

// The first slice after a trigger is silent and ends at frame S - 1; each
// later slice k plays, at frame B_k + j, the input of frame B_k - j.
size_t boundary(size_t slice, size_t length) { return length - 1 + (slice - 1) * length; }

std::vector<std::string> drainedReports() {
    std::vector<std::string> texts;
    platform::drainNonBlockingReports([&](const char* text) { texts.emplace_back(text); });
    return texts;
}

}  // namespace

TEST(BWReverserX2Test, NamesDisplaysAndLabels) {
    ReverserRig rig;
    R& reverser = rig.reverser;
    EXPECT_STREQ(reverser.getEffectName(), "Reverser");
    EXPECT_STREQ(reverser.getParameterName(0), "Size");
    EXPECT_STREQ(reverser.getParameterName(1), "XFade");
    EXPECT_STREQ(reverser.getParameterName(2), "dec");
    EXPECT_STREQ(reverser.getParameterName(3), "trig");
    EXPECT_EQ(rig.context.listeners.size(), 1u);

    char text[BWEffect::kDisplayTextSize] = "untouched";
    reverser.getParameterDisplay(R::kSize, 1.0f, text);
    EXPECT_STREQ(text, "bar");
    reverser.getParameterDisplay(R::kSize, 0.0f, text);
    EXPECT_STREQ(text, "1/128T");
    reverser.getParameterDisplay(R::kSize, 0.5f, text);
    EXPECT_STREQ(text, "1/16");
    reverser.getParameterDisplay(R::kXFade, 0.5f, text);
    EXPECT_STREQ(text, "50.00 %");
    std::snprintf(text, sizeof text, "untouched");
    reverser.getParameterDisplay(R::kDec, 0.5f, text);
    EXPECT_STREQ(text, "untouched");

    EXPECT_EQ(reverser.getSteps(R::kSize), 16.0f);
    EXPECT_EQ(reverser.getSteps(R::kXFade), 0.0f);
    std::vector<std::string> labels;
    reverser.getValueLabels(R::kSize, labels);
    ASSERT_EQ(labels.size(), 16u);
    EXPECT_EQ(labels.front(), "1/128T");  // rising values of "Size" read the list backwards
    EXPECT_EQ(labels.back(), "bar");
    reverser.getValueLabels(R::kXFade, labels);
    EXPECT_EQ(labels.size(), 16u);

    reverser.selectValueList(1);  // straight values only
    EXPECT_EQ(reverser.getSteps(R::kSize), 8.0f);
    reverser.getParameterDisplay(R::kSize, 0.0f, text);
    EXPECT_STREQ(text, "1/128");
}

TEST(BWReverserX2Test, SizeSelectsSliceLengthsFromTheTempoList) {
    struct Case {
        float size;
        uint32_t at44k;
        uint32_t at96k;
    };
    // 120 bpm: a beat is 22050 samples at 44.1 kHz and 48000 at 96 kHz.  The
    // triplet lengths are a hair short of a third, so 1/128T at 96 kHz is 999.
    const Case cases[] = {{1.0f, 88200, 192000}, {0.5f, 5512, 12000}, {0.0f, 459, 999},
                          {14.0f / 15.0f, 58799, 127999}};
    for (const Case& c : cases) {
        ReverserRig at44k(44100.0f, c.size);
        ReverserRig at96k(96000.0f, c.size);
        EXPECT_EQ(at44k.reverser.getPendingSliceLength(), c.at44k) << c.size;
        EXPECT_EQ(at96k.reverser.getPendingSliceLength(), c.at96k) << c.size;
    }
    // Out-of-range values select the ends of the list.
    ReverserRig rig;
    rig.reverser.setParameter(R::kSize, 7.0f);
    rig.reverser.takeParameters();
    EXPECT_EQ(rig.reverser.getPendingSliceLength(), 88200u);
    rig.reverser.setParameter(R::kSize, std::nanf(""));
    rig.reverser.takeParameters();
    EXPECT_EQ(rig.reverser.getPendingSliceLength(), 459u);
}

TEST(BWReverserX2Test, ImpulseComesBackMirroredAroundTheNextSliceBoundary) {
    for (float rate : {44100.0f, 96000.0f}) {
        ReverserRig rig(rate, 0.5f);
        const size_t length = rig.reverser.getPendingSliceLength();  // 1/16 note
        const size_t impulseAt = boundary(2, length) + 100;
        StereoSignal signal(boundary(4, length));
        signal.left[impulseAt] = 1.0f;
        signal.right[impulseAt] = -0.5f;

        rig.trigger();
        signal.render(rig.reverser);

        // At full wet level the dry signal is gone; the impulse is heard once,
        // as far after the next boundary as it was before it.
        const size_t echoAt = 2 * boundary(3, length) - impulseAt;
        for (size_t n = 0; n < signal.size(); ++n) {
            ASSERT_EQ(signal.left[n], n == echoAt ? 1.0f : 0.0f) << rate << " Hz, frame " << n;
            ASSERT_EQ(signal.right[n], n == echoAt ? -0.5f : 0.0f) << rate << " Hz, frame " << n;
        }
    }
}

// Sub-blocks inside a slice run four frames at a time; a block longer than
// a sub-block takes the frame loop.  With the level settled the two cut the
// same noise into the same output, bit for bit, through slice edges with
// both fades, "dec" and slices that read across the ring's start.  The
// "dec" rows: a decay that reaches 0 early in each slice and is held there,
// one that runs through each slice, and none.
TEST(BWReverserX2Test, FourFramesAtATimeMatchTheFrameLoopBitForBit) {
    const struct {
        float rate;
        float dec;
    } rows[] = {{44100.0f, 0.6f}, {96000.0f, 0.6f}, {44100.0f, 0.0f}, {44100.0f, 1.0f}};
    for (const auto& row : rows) {
        const float rate = row.rate;
        ReverserRig rigs[2] = {ReverserRig(rate, 0.7f), ReverserRig(rate, 0.7f)};
        for (ReverserRig& rig : rigs) {
            rig.reverser.setParameter(R::kXFade, 0.35f);
            rig.reverser.setParameter(R::kDec, row.dec);
            rig.reverser.setMix(0.8f);
            rig.trigger();
            settle(rig.reverser, 100000);  // the level glides while the slices play
        }
        constexpr int32_t kLong = 32;  // the frame loop's blocks
        // Several rings' worth of four beats, so that slices start anywhere.
        const size_t frames = static_cast<size_t>(rate) * 9;
        std::vector<float> out[2][2];
        for (int which = 0; which < 2; ++which) {
            NoiseSource noise;
            std::vector<float> left(kLong), right(kLong);
            for (size_t done = 0; done < frames; done += kLong) {
                for (int32_t i = 0; i < kLong; ++i) {
                    left[size_t(i)] = noise.next();
                    right[size_t(i)] = noise.next();
                }
                BWReverserX2& reverser = rigs[which].reverser;
                if (which == 0) {
                    // Sub-blocks of 16, the last split 3 + 13 for the
                    // frames left over from four.
                    reverser.process(left.data(), right.data(), 16);
                    reverser.process(left.data() + 16, right.data() + 16, 3);
                    reverser.process(left.data() + 19, right.data() + 19, 13);
                } else {
                    reverser.process(left.data(), right.data(), kLong);
                }
                reverser.tick();
                out[which][0].insert(out[which][0].end(), left.begin(), left.end());
                out[which][1].insert(out[which][1].end(), right.begin(), right.end());
            }
        }
        ASSERT_TRUE(rigs[0].reverser.isPlaying());
        for (int channel = 0; channel < 2; ++channel)
            for (size_t n = 0; n < frames; ++n)
                ASSERT_EQ(out[0][channel][n], out[1][channel][n])
                    << rate << " Hz, dec " << row.dec << ", channel " << channel << ", frame " << n;
    }
}

TEST(BWReverserX2Test, DecFadesEachSliceOutLinearly) {
    // With a steady input the slice shows its gain curve directly; d = 0.97 v
    // + 0.03 fades to nothing in 1.5 d seconds, and "dec" 1 does not fade.
    struct Case {
        float dec;
        double secondsToSilence;
    };
    for (const Case c : {Case{0.0f, 1.5 * 0.03}, Case{0.5f, 1.5 * 0.515}}) {
        ReverserRig rig(44100.0f, 1.0f);
        rig.reverser.setParameter(R::kDec, c.dec);
        rig.reverser.takeParameters();
        const size_t length = rig.reverser.getPendingSliceLength();
        StereoSignal signal(boundary(2, length) + 1);
        std::fill(signal.left.begin(), signal.left.end(), 1.0f);
        rig.trigger();
        signal.render(rig.reverser);

        const size_t start = boundary(1, length);
        size_t silentFrom = 0;
        for (size_t j = 1; j < length && silentFrom == 0; ++j)
            if (signal.left[start + j] == 0.0f) silentFrom = j;
        EXPECT_NEAR(static_cast<double>(silentFrom), c.secondsToSilence * 44100.0, 0.01 * c.secondsToSilence * 44100.0);
        const float slope = (signal.left[start + 1] - signal.left[start + 101]) / 100.0f;
        EXPECT_NEAR(slope, 1.0 / (c.secondsToSilence * 44100.0), 1e-3 / (c.secondsToSilence * 44100.0));
    }

    ReverserRig flat(44100.0f, 0.5f);
    const size_t length = flat.reverser.getPendingSliceLength();
    StereoSignal signal(boundary(2, length) + 1);
    std::fill(signal.left.begin(), signal.left.end(), 1.0f);
    flat.trigger();
    signal.render(flat.reverser);
    // The last frame of the first audible slice reaches back before the recording.
    for (size_t j = 1; j < length; ++j) ASSERT_EQ(signal.left[boundary(1, length) + j], 1.0f) << j;
}

// While the level glides, each block's wet level runs in even steps from
// the level the block before was heading for, a step on at its first frame
// (never repeating the level it leaves).  Measured inside a slice that plays
// a recording of 1 while the input has gone silent: there the output is the
// wet level itself.  Blocks of 16 take the four-frame route, blocks of 32
// the frame loop.
TEST(BWReverserX2Test, AGlidingLevelStepsOnFromTheLevelItLeaves) {
    for (const size_t block : {size_t{16}, size_t{32}}) {
        ReverserRig rig(44100.0f, 0.5f);
        rig.reverser.setMix(0.25f);
        settle(rig.reverser, 100000);  // the wet level rests at 0.5
        const size_t length = rig.reverser.getPendingSliceLength();
        const size_t silentFrom = (boundary(1, length) + length / 2) / block * block;
        constexpr size_t kBlocks = 8;
        ASSERT_LT(silentFrom + kBlocks * block, boundary(2, length));
        StereoSignal recorded(silentFrom);
        std::fill(recorded.left.begin(), recorded.left.end(), 1.0f);
        std::fill(recorded.right.begin(), recorded.right.end(), 1.0f);
        rig.trigger();
        recorded.render(rig.reverser);

        rig.reverser.setMix(1.0f);
        rig.reverser.tick();
        double heading = 0.5;  // the level the next block starts from
        for (size_t k = 0; k < kBlocks; ++k) {
            std::vector<float> left(block, 0.0f), right(block, 0.0f);
            rig.reverser.process(left.data(), right.data(), static_cast<int32_t>(block));
            rig.reverser.tick();
            ASSERT_EQ(left, right);
            const double step = (double(left[block - 1]) - left[0]) / double(block - 1);
            ASSERT_GT(step, 1e-4) << block << ", block " << k;
            EXPECT_NEAR(left[0], heading + step, 1e-6) << block << ", block " << k;
            for (size_t i = 1; i < block; ++i)
                ASSERT_NEAR(double(left[i]) - left[i - 1], step, 1e-6) << block << ", block " << k << ", frame " << i;
            heading = left[block - 1] + step;
        }
    }
}

TEST(BWReverserX2Test, XFadeShapesTheSliceEdges) {
    // "XFade" 1 makes the slice a triangle; 0.5 ramps over a quarter at each end.
    for (float fade : {1.0f, 0.5f}) {
        ReverserRig rig(44100.0f, 0.5f);
        rig.reverser.setParameter(R::kXFade, fade);
        rig.reverser.takeParameters();
        const size_t length = rig.reverser.getPendingSliceLength();
        StereoSignal signal(boundary(2, length) + 1);
        std::fill(signal.left.begin(), signal.left.end(), 1.0f);
        rig.trigger();
        signal.render(rig.reverser);

        const double ramp = fade * static_cast<double>(length) * 0.5;
        for (size_t p = 0; p + 1 < length; ++p) {
            const double fromEdge = std::min<double>(p, static_cast<double>(length) - p);
            const double expected = std::min(1.0, fromEdge / ramp);
            ASSERT_NEAR(signal.left[boundary(1, length) + 1 + p], expected, 2e-3) << fade << " at " << p;
        }
    }
}

TEST(BWReverserX2Test, SignalPassesUntouchedUnlessTriggeredAndAudible) {
    NoiseSource noise;
    auto noiseSignal = [&](size_t frames) {
        StereoSignal signal(frames);
        for (size_t n = 0; n < frames; ++n) {
            signal.left[n] = noise.next();
            signal.right[n] = noise.next();
        }
        return signal;
    };

    // Never triggered, even at full wet level: bit for bit.
    ReverserRig idle;
    StereoSignal input = noiseSignal(20000);
    StereoSignal output = input;
    output.render(idle.reverser);
    EXPECT_EQ(output.left, input.left);
    EXPECT_EQ(output.right, input.right);

    // Triggered at wet level 0: bit for bit.
    ReverserRig dry;
    dry.reverser.setMix(0.0f);
    dry.trigger();
    input = noiseSignal(20000);
    output = input;
    output.render(dry.reverser);
    EXPECT_EQ(output.left, input.left);
    EXPECT_EQ(output.right, input.right);

    // Stopped by "trig" 0 after playing: bit for bit again.
    ReverserRig stopped;
    stopped.trigger();
    noiseSignal(30000).render(stopped.reverser);
    stopped.trigger(0.0f);
    EXPECT_FALSE(stopped.reverser.isPlaying());
    input = noiseSignal(20000);
    output = input;
    output.render(stopped.reverser);
    EXPECT_EQ(output.left, input.left);
}

TEST(BWReverserX2Test, RetriggerWhilePlayingGoesOnAndTrigAfterStopRestartsSilently) {
    ReverserRig once;
    ReverserRig twice;
    const size_t length = once.reverser.getPendingSliceLength();
    NoiseSource noise;
    StereoSignal a(6 * length);
    for (size_t n = 0; n < a.size(); ++n) a.left[n] = a.right[n] = noise.next();
    StereoSignal b = a;

    once.trigger(1.0f);
    twice.trigger(1.0f);
    render(once.reverser, a.left.data(), a.right.data(), 2 * length + 32);
    render(twice.reverser, b.left.data(), b.right.data(), 2 * length + 32);
    twice.trigger(0.98f);  // a new edge while playing
    render(once.reverser, a.left.data() + 2 * length + 32, a.right.data() + 2 * length + 32, 4 * length - 32);
    render(twice.reverser, b.left.data() + 2 * length + 32, b.right.data() + 2 * length + 32, 4 * length - 32);
    EXPECT_EQ(a.left, b.left);

    // Stop, then trigger again: the first slice after the restart is silent.
    once.trigger(0.0f);
    once.trigger(1.0f);
    StereoSignal restart(length + 16);
    for (size_t n = 0; n < restart.size(); ++n) restart.left[n] = noise.next();
    restart.render(once.reverser);
    for (size_t n = 0; n + 1 < length; ++n) ASSERT_EQ(restart.left[n], 0.0f) << n;
}

TEST(BWReverserX2Test, SizeChangeWaitsForTheSliceBoundaryAndTheLatestChoiceWins) {
    ReverserRig rig(44100.0f, 0.5f);
    const uint32_t sixteenth = rig.reverser.getPendingSliceLength();
    rig.trigger();
    settle(rig.reverser, 3 * sixteenth);

    rig.reverser.setParameter(R::kSize, 1.0f);  // a bar
    EXPECT_EQ(rig.reverser.getSliceLength(), sixteenth);
    settle(rig.reverser, sixteenth + 16);
    EXPECT_EQ(rig.reverser.getSliceLength(), 88200u);

    // A change and its undo before the boundary leave the length as it was.
    rig.reverser.setParameter(R::kSize, 0.5f);
    rig.reverser.takeParameters();
    rig.reverser.setParameter(R::kSize, 1.0f);
    rig.reverser.takeParameters();
    settle(rig.reverser, 88200 + 16);
    EXPECT_EQ(rig.reverser.getSliceLength(), 88200u);
}

TEST(BWReverserX2Test, UnknownParameterIsLoggedWithoutABoxAndChangesNothing) {
    MessageCapture boxes;
    drainedReports();
    ReverserRig rig;
    const float before = rig.reverser.getValue(R::kSize);
    rig.reverser.setParameter(4, 0.9f);
    rig.reverser.takeParameters();
    rig.reverser.setParameter(1000, 0.9f);
    rig.reverser.takeParameters();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(rig.reverser.getValue(R::kSize), before);
    EXPECT_EQ(drainedReports(), (std::vector<std::string>{"unknown parameter called in BWReverserX",
                                                          "unknown parameter called in BWReverserX"}));
}

TEST(BWReverserX2Test, TempoChangesMoveTheRingEndInsideItsCapacity) {
    ReverserRig rig(44100.0f, 1.0f);
    const uint64_t capacity = rig.reverser.getRingCapacity();
    const float* data = rig.reverser.ringData();
    EXPECT_EQ(capacity, 4u * 58800u + 1u);  // four beats at 45 bpm
    EXPECT_EQ(rig.reverser.getRingLength(), 88200u);

    rig.trigger();
    NoiseSource noise;
    StereoSignal signal(30000);
    for (size_t n = 0; n < signal.size(); ++n) signal.left[n] = noise.next();
    const std::vector<float> recorded(signal.left.begin(), signal.left.begin() + 1000);
    signal.render(rig.reverser);

    rig.context.changeTempo(60.0);
    EXPECT_EQ(rig.reverser.getRingLength(), 176400u);
    EXPECT_EQ(rig.reverser.getPendingSliceLength(), 176400u);
    rig.context.changeTempo(20.0);  // taken as 45 bpm, the slowest
    EXPECT_EQ(rig.reverser.getRingLength(), 235200u);
    rig.context.changeTempo(240.0);
    EXPECT_EQ(rig.reverser.getRingLength(), 44100u);
    EXPECT_EQ(rig.reverser.getRingCapacity(), capacity);
    EXPECT_EQ(rig.reverser.ringData(), data);
    // The recording survives: only a new rate clears the ring.
    EXPECT_TRUE(std::equal(recorded.begin(), recorded.end(), rig.reverser.ringData()));
    EXPECT_EQ(rig.reverser.getBusyState(), 0);

    rig.context.changeRate(96000.0f);
    EXPECT_EQ(rig.reverser.getRingCapacity(), 4u * 128000u + 1u);
    EXPECT_EQ(rig.reverser.getRingLength(), 96000u);
    EXPECT_EQ(rig.reverser.ringData()[0], 0.0f);
}

// A clear zeroes what the render wrote, and so does a new rate whose ring
// fits the storage already there (a ring the render never wrote is left as
// it is: it already reads zero).
TEST(BWReverserX2Test, AClearOrANewRateZeroesWhatTheRenderWrote) {
    ReverserRig rig(44100.0f, 1.0f);
    const auto silent = [](const R& reverser) {
        return std::all_of(reverser.ringData(), reverser.ringData() + reverser.getRingCapacity(),
                           [](float x) { return x == 0.0f; });
    };
    StereoSignal signal(4000);
    std::fill(signal.left.begin(), signal.left.end(), 0.5f);
    for (const bool byRate : {false, true}) {
        signal.render(rig.reverser);
        ASSERT_FALSE(silent(rig.reverser));
        if (byRate)
            rig.context.changeRate(22050.0f);  // a smaller ring: the storage is kept
        else
            rig.reverser.clear();
        EXPECT_TRUE(silent(rig.reverser)) << (byRate ? "a lower rate" : "a clear");
    }
}

TEST(BWReverserX2Test, ProcessTickAndTempoChangesAllocateNothing) {
    ReverserRig rig(48000.0f, 0.0f);
    NoiseSource noise;
    StereoSignal signal(48000);
    for (size_t n = 0; n < signal.size(); ++n) signal.left[n] = signal.right[n] = noise.next();

    AllocationCounter counter;
    rig.trigger();
    render(rig.reverser, signal.left.data(), signal.right.data(), 24000);
    rig.context.changeTempo(45.0);
    rig.reverser.setParameter(R::kSize, 1.0f);
    rig.reverser.takeParameters();
    rig.trigger(0.98f);
    rig.context.changeTempo(300.0);
    render(rig.reverser, signal.left.data() + 24000, signal.right.data() + 24000, 24000);
    rig.reverser.updateTiming();
    EXPECT_EQ(counter.count(), 0u);
}

namespace {

class ReverserStability : public ::testing::TestWithParam<float> {};

}  // namespace

TEST_P(ReverserStability, MinuteOfNoiseAndSilenceAtTheExtremes) {
    EffectTestContext context(GetParam());
    BWReverserX2 reverser(kReverserEffectId, &context.info);
    const std::vector<Corner> corners = {
        {{{R::kSize, 0.0f}, {R::kXFade, 0.0f}, {R::kDec, 0.0f}, {R::kTrig, 1.0f}}, 1.0f, 120.0},
        {{{R::kSize, 1.0f}, {R::kXFade, 1.0f}, {R::kDec, 1.0f}, {R::kTrig, 0.98f}}, 1.0f, 45.0},
        {{{R::kSize, 1.0f}, {R::kXFade, 0.0f}, {R::kDec, 0.0f}, {R::kTrig, 1.0f}}, 0.5f, 300.0},
        {{{R::kSize, 0.0f}, {R::kXFade, 1.0f}, {R::kDec, 1.0f}, {R::kTrig, 0.98f}}, 1.0f, 120.0},
        {{{R::kTrig, 0.0f}}, 1.0f, 120.0},
    };
    const StabilityReport report = runStability(reverser, context, corners, 60.0);
    EXPECT_TRUE(report.finite);
    EXPECT_LE(report.peak, 2.0f);
    EXPECT_EQ(report.subnormals, 0u);
    EXPECT_LT(report.silenceCpuSeconds, 3.0 * report.noiseCpuSeconds + 0.05);
}

INSTANTIATE_TEST_SUITE_P(Rates, ReverserStability, ::testing::ValuesIn(stabilityRates()), StabilityRateName());
