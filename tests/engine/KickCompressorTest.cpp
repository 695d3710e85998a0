#include "engine/Compressor.h"
#include "engine/KickGenerator.h"
#include "engine/SoftClip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EngineTestContext.h"

namespace {

// y = x (1 − |x| / 4) up to ±2, where it reaches ±1, and held there beyond
// instead of folding back.
TEST(SoftClip, Values) {
    const float cases[][2] = {{0, 0}, {0.5f, 0.4375f}, {1, 0.75f}, {-1, -0.75f}, {2, 1}, {3, 1}, {-8, -1}};
    for (const auto& c : cases) EXPECT_EQ(softClip(c[0]), c[1]) << c[0];
}

// The kick of `beats` beats at 1378 ticks a beat (about 120 bpm at 44.1 kHz).
std::vector<float> kickBeats(KickGenerator& kick, EngineTestContext& context, int beats,
                             std::vector<float>* frequencies = nullptr) {
    std::vector<float> out;
    float block[16];
    for (int tick = 0; tick < beats * 1378; ++tick) {
        kick.tick(tick / 1378.0, context.info);
        if (frequencies) frequencies->push_back(kick.getFrequency());
        kick.render(block, 16, context.info);
        out.insert(out.end(), block, block + 16);
    }
    return out;
}

double energy(const std::vector<float>& signal, size_t from, size_t count) {
    double sum = 0;
    for (size_t i = from; i < from + count; ++i) sum += double(signal[i]) * signal[i];
    return sum;
}

// Each beat the kick starts 36 semitones above its base note (12 + 8 × tone)
// and falls onto it over 120 ms, squared; its amplitude falls to silence
// over 160 ms, squared, 0.9 times as loud on odd beats.
TEST(KickGenerator, PitchSweepLevelAndBeatAccent) {
    EngineTestContext context;
    const float msPerTick = 16 / 44.1f;
    for (float tone : {0.0f, 1.0f}) {
        KickGenerator kick;
        kick.setTone(tone);
        kick.setLevel(0.01f);  // quiet, where the soft clip hardly acts
        std::vector<float> hz;
        const auto out = kickBeats(kick, context, 3, &hz);
        const double base = 440 * std::pow(2.0, (12 + 8 * tone - 69) / 12);
        EXPECT_NEAR(hz[0], base * 8, base * 8 * 1e-3);
        const int half = int(60 / msPerTick);
        const double atHalf = 1 - half / (120 / msPerTick);
        EXPECT_NEAR(hz[size_t(half)], base * std::pow(2.0, 3 * atHalf * atHalf), base * 2e-3);
        EXPECT_NEAR(hz[size_t(130 / msPerTick)], base, base * 1e-3);
        EXPECT_NEAR(hz[1378 + 1], hz[1], 1e-3);  // the next beat sweeps again

        const size_t beat = 1378 * 16;
        EXPECT_NEAR(energy(out, beat, beat) / energy(out, 0, beat), 0.81, 0.01);
        EXPECT_EQ(energy(out, size_t(44.1 * 162), beat - size_t(44.1 * 162)), 0.0);  // silent after 160 ms
        float lowest = 0;
        for (size_t i = 0; i < beat; ++i) lowest = std::min(lowest, out[i]);
        if (tone == 1.0f) EXPECT_GE(lowest, 0.0f);  // the squared sine is one-sided
        else EXPECT_LT(lowest, -0.005f);

        KickGenerator louder;
        louder.setTone(tone);
        louder.setLevel(0.02f);
        const auto twice = kickBeats(louder, context, 1);
        EXPECT_NEAR(energy(twice, 0, beat) / energy(out, 0, beat), 4.0, 0.04);
    }
}

// The reduction for a steady input: 0.6 × the larger signed layer sample
// plus the kick, up to the depth's maximum; a negative input is not
// reduced.  The kick alone ducks the layers.
TEST(Compressor, GainReductionForKnownInputs) {
    const struct {
        int depth;
        float layer, kick, reduction;
    } cases[] = {{0, 0.5f, 0, 0},     {1, 0.5f, 0, 0.2f}, {2, 0.5f, 0, 0.3f},  {4, 0.5f, 0, 0.3f},
                 {4, -0.5f, 0, 0},    {3, 0.0f, 1, 0.6f}, {4, 0.0f, 1, 0.6f},  {4, 0.5f, 1, 0.8f}};
    for (const auto& c : cases) {
        CompressorCoefficients coefficients;
        coefficients.setDepth(c.depth);
        coefficients.setSpeed(4, 44100.0f);
        Compressor compressor;
        float left[16], right[16], kick[16];
        for (int tick = 0; tick < 2000; ++tick) {
            std::fill(left, left + 16, c.layer);
            std::fill(right, right + 16, c.layer);
            std::fill(kick, kick + 16, c.kick);
            compressor.process(left, right, kick, 16, coefficients);
        }
        EXPECT_NEAR(compressor.getReduction(), c.reduction, 1e-4) << c.depth << " " << c.layer << " " << c.kick;
        EXPECT_NEAR(left[15], softClip(c.layer * (1 - c.reduction)), 1e-4);
    }
}

// The detector's smoothing is a one-pole of 9.6, 5.6, 3.2, 1.0 and 0.84 Hz
// from the fastest speed to the slowest: its step response reaches 63 % in
// 1 / (2π f).
TEST(Compressor, SmoothingFrequenciesBySpeed) {
    const float expectedHz[] = {0.84f, 1.0f, 3.2f, 5.6f, 9.6f};
    for (float rate : {44100.0f, 96000.0f}) {
        for (int speed = 0; speed < 5; ++speed) {
            CompressorCoefficients coefficients;
            coefficients.setDepth(4);
            coefficients.setSpeed(speed, rate);
            EXPECT_NEAR(coefficients.smoothingHz, expectedHz[speed], 1e-4);
            Compressor compressor;
            float left = 0.5f, right = 0.5f, kick = 0.0f;
            int samples = 0;
            while (compressor.getReduction() < 0.3f * 0.6321f && samples < rate * 2) {
                left = right = 0.5f;
                compressor.process(&left, &right, &kick, 1, coefficients);
                ++samples;
            }
            const double tau = rate / (2 * 3.14159265 * expectedHz[speed]);
            EXPECT_NEAR(samples, tau, tau * 0.02) << speed << " at " << rate;
        }
    }
}

}  // namespace
