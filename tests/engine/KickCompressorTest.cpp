#include "engine/Compressor.h"
#include "engine/KickGenerator.h"
#include "engine/SoftClip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <cmath>
#include <cstring>
#include <numbers>
#include <numeric>
#include <vector>

#include "EngineTestContext.h"
#include "support/AudioMeasure.h"

namespace {

// y = x (1 − |x| / 4) up to ±2, where it reaches ±1, and held there beyond
// instead of folding back.
TEST(SoftClip, Values) {
    const float cases[][2] = {{0, 0}, {0.5f, 0.4375f}, {1, 0.75f}, {-1, -0.75f}, {2, 1}, {3, 1}, {-8, -1}};
    for (const auto& c : cases) EXPECT_EQ(softClip(c[0]), c[1]) << c[0];
}

// Each beat (here 1378 ticks, about 120 bpm at 44.1 kHz) the kick starts 36
// semitones above its base note 12 + 8 × tone and falls onto it over 120 ms,
// squared; its amplitude falls to silence in 160 ms, squared, 0.9 as loud on
// odd beats; twice the level is four times the energy.
TEST(KickGenerator, PitchSweepLevelAndBeatAccent) {
    EngineTestContext context;
    const float msPerTick = 16 / 44.1f;
    const size_t beat = 1378 * 16;
    for (float tone : {0.0f, 1.0f}) {
        std::vector<float> hz, out[2];
        for (int loud = 0; loud < 2; ++loud) {
            KickGenerator kick;
            kick.setTone(tone);
            kick.setLevel(loud ? 0.02f : 0.01f);  // quiet, where the soft clip hardly acts
            float block[16];
            for (int tick = 0; tick < 2 * 1378; ++tick) {
                kick.tick(tick / 1378.0, context.info);
                if (!loud) hz.push_back(kick.getFrequency());
                kick.render(block, 16, context.info);
                out[loud].insert(out[loud].end(), block, block + 16);
            }
        }
        auto energy = [](const std::vector<float>& x, size_t from, size_t n) {
            return std::inner_product(x.begin() + long(from), x.begin() + long(from + n), x.begin() + long(from), 0.0);
        };
        const double base = 440 * std::pow(2.0, (12 + 8 * tone - 69) / 12);
        const double half = 1 - int(60 / msPerTick) / (120 / msPerTick);
        EXPECT_NEAR(hz[0], base * 8, base * 8e-3);
        EXPECT_NEAR(hz[size_t(60 / msPerTick)], base * std::pow(2.0, 3 * half * half), base * 2e-3);
        EXPECT_NEAR(hz[size_t(130 / msPerTick)], base, base * 1e-3);
        EXPECT_NEAR(hz[1378 + 1], hz[1], 1e-3);
        EXPECT_NEAR(energy(out[0], beat, beat) / energy(out[0], 0, beat), 0.81, 0.01);
        EXPECT_NEAR(energy(out[1], 0, beat) / energy(out[0], 0, beat), 4.0, 0.04);
        EXPECT_EQ(energy(out[0], size_t(44.1 * 162), beat - size_t(44.1 * 162)), 0.0);
        const float lowest = *std::min_element(out[0].begin(), out[0].end());
        EXPECT_TRUE(tone == 1.0f ? lowest > -1e-9f : lowest < -0.005f) << lowest;  // the squared sine is one-sided
    }
}

// Steady inputs: the reduction is 0.6 × (the larger signed layer sample +
// the kick), up to the depth's maximum, so a negative input is not reduced
// and the kick alone ducks the layers.  Its smoothing is a one-pole of 0.84,
// 1.0, 3.2, 5.6 and 9.6 Hz from the slowest speed to the fastest, whose step
// response reaches 63 % in 1 / (2π f).
TEST(Compressor, GainReductionAndSmoothing) {
    const struct {
        int depth;
        float layer, kick, reduction;
    } cases[] = {{0, 0.5f, 0, 0}, {1, 0.5f, 0, 0.2f}, {2, 0.5f, 0, 0.3f}, {4, 0.5f, 0, 0.3f},
                 {4, -0.5f, 0, 0}, {3, 0.0f, 1, 0.6f}, {4, 0.0f, 1, 0.6f}, {4, 0.5f, 1, 0.8f}};
    const float smoothingHz[] = {0.84f, 1.0f, 3.2f, 5.6f, 9.6f};
    for (float rate : {44100.0f, 96000.0f}) {
        for (int speed = 0; speed < 5; ++speed) {
            for (const auto& c : cases) {
                CompressorCoefficients coefficients;
                coefficients.setDepth(c.depth);
                coefficients.setSpeed(speed, rate);
                EXPECT_NEAR(coefficients.smoothingHz, smoothingHz[speed], 1e-4);
                Compressor compressor;
                float left = 0, right = 0, kick = c.kick;
                int samples = 0, reached = 0;
                for (; samples < int(rate * 1.5f); ++samples) {
                    left = right = c.layer;
                    compressor.process(&left, &right, &kick, 1, coefficients);
                    if (!reached && compressor.getReduction() >= c.reduction * 0.6321f) reached = samples + 1;
                }
                EXPECT_NEAR(compressor.getReduction(), c.reduction, 2e-3) << c.depth << " " << c.layer << " " << c.kick;
                EXPECT_NEAR(left, softClip(c.layer * (1 - c.reduction)), 2e-3);
                const double tau = rate / (2 * std::numbers::pi * smoothingHz[speed]);
                EXPECT_TRUE(c.reduction != 0.3f || std::fabs(reached - tau) < tau * 0.02) << speed << " at " << rate;
            }
        }
    }
}

// With the layers silent the compressor runs its detector alone, and rests
// once the kick has passed: it keys and recovers as it does under a signal
// too faint to reach the detector (its smoothing rounded differently), and
// the layers that come in after the kicks are compressed the same, within
// what that rounding leaves: at most a few parts in 100,000 of the depth
// and of the layers' level, at the slowest speeds' longest memory, and none
// a second later.
TEST(Compressor, SilentLayersKeepTheDetectorAsAFaintSignalDoes) {
    const struct {
        int speed;
        float reduction, output;  // the largest differences allowed, of the depth and of the layers' level
    } cases[] = {{0, 6e-5f, 3e-5f}, {1, 6e-5f, 3e-5f}, {2, 2e-5f, 3e-6f}, {3, 3e-5f, 1e-6f}, {4, 1e-5f, 1e-6f}};
    for (const auto& bounds : cases) {  // releases of 800 to 100 ms: the peak falls to 0 at all but 0
        SCOPED_TRACE(bounds.speed);
        CompressorCoefficients c;
        c.setDepth(4);  // reductions up to kDepth
        c.setSpeed(bounds.speed, 44100.0f);
        Compressor silentLayers, faintLayers;
        float kick[16];
        bool keyed = false;
        float reductionApart = 0.0f, outputApart = 0.0f, lastApart = 0.0f;
        constexpr float kLayer = 0.3f, kDepth = 0.8f;
        for (int span = 0; span < 44100 * 3 / 16; ++span) {
            const bool kicking = span % 1378 < 200;  // a kick every half second, then rest
            const bool layersIn = span > 44100 * 2 / 16;
            for (int k = 0; k < 16; ++k) kick[k] = kicking ? 0.8f * std::sin(0.01f * float(span * 16 + k)) : 0.0f;
            float silentL[16], silentR[16], faintL[16], faintR[16];
            for (int k = 0; k < 16; ++k) {
                const float layer = layersIn ? kLayer * std::sin(0.02f * float(span * 16 + k)) : 0.0f;
                silentL[k] = silentR[k] = layer;
                faintL[k] = faintR[k] = layersIn ? layer : -1e-30f;
            }
            silentLayers.process(silentL, silentR, kick, 16, c);
            faintLayers.process(faintL, faintR, kick, 16, c);
            const float reduction = faintLayers.getReduction();
            reductionApart = std::max(reductionApart, std::fabs(silentLayers.getReduction() - reduction) / kDepth);
            for (int k = 0; k < 16 && layersIn; ++k) {
                const float apart = std::fabs(silentL[k] - faintL[k]) / kLayer;
                outputApart = std::max(outputApart, apart);
                lastApart = apart;
            }
            keyed = keyed || reduction > 0.1f;
        }
        EXPECT_TRUE(keyed);
        EXPECT_LT(reductionApart, bounds.reduction);
        EXPECT_LT(outputApart, bounds.output);
        EXPECT_LT(lastApart, 1e-6f);  // a second of layers later
    }
}

// At depth 0 nothing is reduced but the detector keys on: turned up, the
// compressor reduces as one that ran at that depth all along (within the
// rounding of its state's smoothing, gone a second later).
TEST(Compressor, ADepthTurnedUpFindsTheDetectorWhereItWouldBe) {
    for (int speed : {0, 2, 4}) {
        SCOPED_TRACE(speed);
        CompressorCoefficients deep, off;
        deep.setDepth(4);
        off.setDepth(0);
        deep.setSpeed(speed, 44100.0f);
        off.setSpeed(speed, 44100.0f);
        Compressor allAlong, turnedUp;
        constexpr int kTurn = 44100 / 16, kSpans = 3 * 44100 / 16;
        float apart = 0.0f, lastApart = 0.0f;
        for (int span = 0; span < kSpans; ++span) {
            float a[2][16], b[2][16], kick[16];
            for (int k = 0; k < 16; ++k) {
                const float t = float(span * 16 + k);
                a[0][k] = b[0][k] = 0.3f * std::sin(0.02f * t);
                a[1][k] = b[1][k] = 0.2f * std::cos(0.013f * t);
                kick[k] = span % 1378 < 200 ? 0.8f * std::sin(0.01f * t) : 0.0f;
            }
            allAlong.process(a[0], a[1], kick, 16, deep);
            turnedUp.process(b[0], b[1], kick, 16, span < kTurn ? off : deep);
            if (span < kTurn) continue;
            for (int k = 0; k < 16; ++k) {
                lastApart = std::max(std::fabs(a[0][k] - b[0][k]), std::fabs(a[1][k] - b[1][k])) / 0.3f;
                apart = std::max(apart, lastApart);
            }
        }
        EXPECT_GT(allAlong.getReduction(), 0.1f);
        EXPECT_LT(apart, 3e-5f);
        EXPECT_LT(lastApart, 1e-6f);
    }
}

// The kick alone at 120 bpm at every rate a host runs: each stroke starts on
// its beat from the zero of its sine, and no sample at its start stands off
// the curve (the restart once put the new attack's first gain on the old
// stroke's phase: one sample off the wave on every beat), and
// the stroke's first 20 ms have the same shape, millisecond by millisecond,
// at 192 kHz as at 48 kHz.
TEST(KickGenerator, StrokesStartCleanAndAlikeAtEveryRate) {
    std::vector<double> shapeAt48;
    for (float rate : {44100.0f, 48000.0f, 88200.0f, 96000.0f, 176400.0f, 192000.0f}) {
        SCOPED_TRACE(rate);
        EngineTestContext context(rate);
        KickGenerator kick;
        kick.setTone(0.45f);
        kick.setLevel(0.15f);  // the demo's
        auto beatAt = [&](int tick) { return double(tick) * 16 / (rate / 2); };
        std::vector<float> out;
        float block[16];
        for (int tick = 0; beatAt(tick) < 3.1; ++tick) {
            kick.tick(beatAt(tick), context.info);
            kick.render(block, 16, context.info);
            out.insert(out.end(), block, block + 16);
        }
        const std::vector<size_t> spikes = oneSampleSpikes(out);
        size_t strokes[3] = {};
        for (int beat = 1; beat < 3; ++beat) {
            int tick = 0;
            while (beatAt(tick) < beat) ++tick;
            strokes[beat] = size_t(tick) * 16;  // the tick that finds the beat crossed
            EXPECT_EQ(firstSoundAfter(out, strokes[beat] - 16, 0.0f), strokes[beat] + 1) << beat;
            // (Where the first tick's attack ramp meets the next one the
            // slope turns: a corner of the attack, not a sample off it.)
            for (size_t k : spikes) EXPECT_FALSE(k + 8 > strokes[beat] && k < strokes[beat] + 8) << "a click at sample " << k;
        }
        const std::vector<double> shape = levelShape(out, strokes[1], rate, 0.001, 20);
        if (rate == 48000.0f) shapeAt48 = shape;
        if (rate != 192000.0f) continue;
        for (size_t ms = 0; ms < shape.size(); ++ms) EXPECT_NEAR(shape[ms], shapeAt48[ms], 1.0) << ms << " ms";
    }
}


// A stroke is the same whatever came before it: kicks that ran at other
// tempos, tones and levels (0 too), rested between their beats for other
// lengths and rendered in other spans play the strokes that follow sample
// for sample alike, each from its restart on.
TEST(KickGenerator, AStrokeIsTheSameWhateverCameBefore) {
    EngineTestContext context;
    struct History {
        int ticks;  // for two beats; the last 100 ticks rest, after the set-up
        float tone;
        float level;
        int span;  // samples per render call
    };
    const History histories[] = {{2756, 0.45f, 0.15f, 16}, {1400, 0.0f, 1.0f, 16}, {6000, 1.0f, 0.6f, 5},
                                 {2756, 0.45f, 0.0f, 16},  {4001, 0.3f, 0.15f, 16}, {2756, 0.7f, 0.15f, 3}};
    std::vector<float> first;
    float firstRestingHz = 0.0f;
    for (const History& history : histories) {
        SCOPED_TRACE(history.ticks);
        KickGenerator kick;
        kick.setTone(history.tone);
        kick.setLevel(history.level);
        float block[16];
        auto tickOnce = [&](double beat) {
            kick.tick(beat, context.info);
            for (int done = 0; done < 16; done += history.span)
                kick.render(block + done, std::min(history.span, 16 - done), context.info);
        };
        for (int tick = 0; tick < history.ticks; ++tick) {
            if (tick == history.ticks - 100) kick.setTone(0.45f), kick.setLevel(0.15f);
            tickOnce(2.0 * tick / history.ticks);  // beats 0 and 1: the next even beat strikes
        }
        // The pitch shown between strokes follows the tone set there.
        const float restingHz = kick.getFrequency();
        std::vector<float> out;
        for (int tick = 0; tick < 3 * 1378; ++tick) {
            tickOnce(2.0 + tick / 1378.0);
            out.insert(out.end(), block, block + 16);
        }
        if (first.empty()) first = out, firstRestingHz = restingHz;
        ASSERT_EQ(restingHz, firstRestingHz);
        ASSERT_EQ(out, first);
        EXPECT_GT(*std::max_element(out.begin(), out.end()), 0.05f);  // the strokes are heard
    }
}

// At depth 0 the gain is 1 and the compressor's output is the soft clip of
// its input, bit for bit, whether the samples go four at a time or one by
// one: signed zeros, the clip's corners, infinities and NaN included.
TEST(Compressor, AtDepthZeroTheOutputIsTheSoftClipOfEverySample) {
    CompressorCoefficients c;
    c.setDepth(0);
    c.setSpeed(2, 44100.0f);
    const std::vector<float> values = {0.0f,  -0.0f, 1e-40f, -1e-40f, 0.5f, -0.75f, 1.0f,
                                       -1.0f, 1.999f, 2.0f,  -2.0f,  2.001f, -3.0f, 50.0f,
                                       -1e6f, 0.25f, 0.3f,  -0.1f,   7.5f,  -2.5f, 0.125f};
    for (int n : {16, 7, 21}) {
        for (float fill : {0.0f, std::numeric_limits<float>::quiet_NaN()}) {
            std::vector<float> left(values.begin(), values.begin() + n), right(size_t(n), fill), kick(size_t(n), 0.0f);
            std::reverse(left.begin(), left.end());
            right[0] = 0.6f;  // the layers are not silent
            const std::vector<float> l0 = left, r0 = right;
            Compressor compressor;
            compressor.process(left.data(), right.data(), kick.data(), n, c);
            for (int i = 0; i < n; ++i) {
                for (auto [out, in] : {std::pair{left[size_t(i)], l0[size_t(i)]}, {right[size_t(i)], r0[size_t(i)]}}) {
                    const float want = softClip(in);
                    if (std::isnan(want)) {
                        EXPECT_TRUE(std::isnan(out)) << n << " " << i;
                    } else {
                        EXPECT_EQ(std::bit_cast<uint32_t>(out), std::bit_cast<uint32_t>(want)) << n << " " << i << " " << in;
                    }
                }
            }
        }
    }
}

// One sounding sample anywhere in a span, in a full vector or in the tail,
// in either layer channel or in the kick, wakes the whole compressor: the
// layers' sample comes out soft-clipped (1 becomes 0.75 or less), and the
// kick's keys the detector.  A span of zeros and -0s is left as it is.
TEST(Compressor, ASingleSoundingSampleAnywhereIsHeard) {
    CompressorCoefficients c;
    c.setDepth(3);
    c.setSpeed(4, 44100.0f);
    for (int n : {16, 7, 21, 69}) {
        for (int at = 0; at < n; ++at) {
            for (int where = 0; where < 3; ++where) {  // left, right, kick
                SCOPED_TRACE(::testing::Message() << "n " << n << " at " << at << " in " << where);
                std::vector<float> buffers[3];
                for (auto& b : buffers) b.assign(static_cast<size_t>(n), -0.0f);
                buffers[where][static_cast<size_t>(at)] = 1.0f;
                Compressor compressor;
                compressor.process(buffers[0].data(), buffers[1].data(), buffers[2].data(), n, c);
                if (where < 2) {
                    EXPECT_LE(buffers[where][static_cast<size_t>(at)], 0.75f);
                } else {
                    EXPECT_GT(compressor.getReduction(), 0.0f);
                }
                for (int channel = 0; channel < 2; ++channel) {
                    for (int k = 0; k < n; ++k) {
                        if (channel == where && k == at) continue;
                        EXPECT_EQ(std::bit_cast<uint32_t>(buffers[channel][static_cast<size_t>(k)]), 0x80000000u);
                    }
                }
            }
        }
    }
}


// How the samples are cut into spans (whole groups of four or not, layers
// silent for some of them) changes nothing, at depth 0 (the layers soft-
// clipped, the detector keying on) and at a depth turned up from the start
// or later: every span length leaves the layers and the compressor's state
// as one sample at a time does, to the bit.
TEST(Compressor, SpansOfAnyLengthLeaveTheSameState) {
    CompressorCoefficients off, deep;
    off.setDepth(0);
    deep.setDepth(3);
    off.setSpeed(4, 44100.0f);
    deep.setSpeed(4, 44100.0f);
    constexpr int kSamples = 3000;
    for (int turnUp : {0, 2300}) {
        std::vector<float> left(kSamples), right(kSamples), kick(kSamples);
        for (int i = 0; i < kSamples; ++i) {
            // The right channel's crests fade while the left's grow past the
            // clip's knee, so that new peaks come from each in turn.  The layers
            // fall silent at depth 0 only: above it the detector's shorter form
            // for silent layers rounds differently (see SilentLayersKeep...).
            const float t = float(i) / kSamples;
            const bool silent = i >= 1200 && i < std::min(1500, turnUp);
            left[size_t(i)] = silent ? 0.0f : (0.3f + 2.0f * t) * std::sin(0.013f * float(i));
            right[size_t(i)] = silent ? -0.0f : 0.8f * (1.0f - t) * std::cos(0.007f * float(i));
            kick[size_t(i)] = i % 1000 < 300 ? 0.4f * std::sin(0.05f * float(i)) : 0.0f;
        }
        auto run = [&](int span, std::vector<float>& l, std::vector<float>& r) {
            Compressor compressor;
            l = left, r = right;
            for (int from = 0, end = 0; from < kSamples; from = end) {
                end = std::min(from + span, from < turnUp ? turnUp : kSamples);
                compressor.process(&l[size_t(from)], &r[size_t(from)], &kick[size_t(from)], end - from,
                                   from < turnUp ? off : deep);
            }
            return compressor;
        };
        std::vector<float> l1, r1, l, r;
        const Compressor single = run(1, l1, r1);
        EXPECT_GT(single.getReduction(), 0.1f);
        for (int i = 0; i < turnUp; ++i) ASSERT_EQ(l1[size_t(i)], softClip(left[size_t(i)])) << i;
        for (int span : {2, 3, 4, 7, 16, 21, 37, 64, 65, 200, kSamples}) {
            SCOPED_TRACE(::testing::Message() << "spans of " << span << ", depth up at " << turnUp);
            const Compressor spans = run(span, l, r);
            EXPECT_EQ(std::memcmp(&spans, &single, sizeof spans), 0);
            EXPECT_EQ(std::memcmp(l.data(), l1.data(), sizeof(float) * kSamples), 0);
            EXPECT_EQ(std::memcmp(r.data(), r1.data(), sizeof(float) * kSamples), 0);
        }
    }
}


// A kick at level 0 writes exactly the zeros it is asked for, while its phase
// and amplitude run on: turned up anywhere in a beat (on a stroke's first
// tick, inside its attack, between strokes), at any rate and in spans of any
// length, it plays sample for sample as one that ran all along too faintly
// to hear, whose phase moved sample by sample with every wrap in its place.
TEST(KickGenerator, ASilentKickTurnedUpAnywherePlaysAsAFaintOne) {
    const struct {
        float rate;
        int span;    // samples per render call
        int turnUp;  // the tick that turns both up; a beat is rate / 32 ticks
        float tone;
    } cases[] = {{44100, 16, 2900, 0.0f}, {44100, 16, 1400, 0.6f}, {44100, 1, 1600, 0.45f},
                 {44100, 3, 1900, 0.45f}, {96000, 5, 3100, 0.45f},  {192000, 16, 6100, 0.6f},
                 {192000, 7, 6000, 0.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.rate << " Hz, spans of " << c.span << ", up at " << c.turnUp);
        EngineTestContext context(c.rate);
        KickGenerator off, faint;
        off.setTone(c.tone);
        faint.setTone(c.tone);
        off.setLevel(0.0f);
        faint.setLevel(1e-30f);
        const float zeros[16] = {};
        for (int tick = 0; tick < c.turnUp + 700; ++tick) {
            if (tick == c.turnUp) off.setLevel(0.5f), faint.setLevel(0.5f);
            const double beat = double(tick) * 16 / (c.rate / 2);
            off.tick(beat, context.info);
            faint.tick(beat, context.info);
            float a[17], b[16];
            std::fill_n(a, 17, std::numeric_limits<float>::quiet_NaN());  // a[16] stands guard
            for (int done = 0; done < 16; done += c.span) {
                const int n = std::min(c.span, 16 - done);
                off.render(a + done, n, context.info);
                faint.render(b + done, n, context.info);
            }
            ASSERT_TRUE(std::isnan(a[16])) << tick;
            ASSERT_EQ(std::memcmp(a, tick < c.turnUp ? zeros : b, sizeof b), 0) << tick;
        }
    }
}

}  // namespace
