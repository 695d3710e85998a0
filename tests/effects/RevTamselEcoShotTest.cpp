#include "effects/RevTamselEcoShot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "support/AllocationCounter.h"
#include "EchoMeasurement.h"
#include "effects/RevTamselPrimeTables.h"
#include "platform/CpuFeatures.h"

namespace {

struct ReverbRig {
    explicit ReverbRig(float rate) : context(rate), reverb(kReverbEffectId, &context.info) {
        reverb.setMix(1.0f);
        reverb.tick();  // takes the room size
    }
    EffectTestContext context;
    RevTamselEcoShot reverb;
};

bool isPrime(int64_t n) {
    if (n < 2) return false;
    for (int64_t d = 2; d * d <= n; ++d) {
        if (n % d == 0) return false;
    }
    return true;
}

// T60 from the impulse response by backward integration of its energy
// (Schroeder), fitted between -5 and -35 dB.
double measuredT60(const std::vector<float>& response, float rate) {
    std::vector<double> remaining(response.size() + 1, 0.0);
    for (size_t i = response.size(); i-- > 0;) remaining[i] = remaining[i + 1] + double(response[i]) * response[i];
    auto timeAtDb = [&](double db) {
        const double level = remaining[0] * std::pow(10.0, db / 10.0);
        size_t i = 0;
        while (i < response.size() && remaining[i] > level) ++i;
        return static_cast<double>(i) / rate;
    };
    return (timeAtDb(-35.0) - timeAtDb(-5.0)) * 2.0;
}

std::vector<float> impulseResponse(RevTamselEcoShot& reverb, float rate, double seconds) {
    StereoSignal audio(static_cast<size_t>(rate * seconds));
    audio.left[0] = 1.0f;
    audio.render(reverb);
    return audio.left;
}

}  // namespace

TEST(RevTamselPrimes, TablesHoldTheLargestPrimeNotAboveEachCount) {
    const float* primes = RevTamselPrimes::primeTable();
    const float* counts = RevTamselPrimes::primeCountTable();
    EXPECT_EQ(primes[0], 2.0f);
    EXPECT_EQ(primes[RevTamselPrimes::kPrimeCount - 1], 44101.0f);
    EXPECT_EQ(counts[0], 0.0f);
    EXPECT_EQ(primes[static_cast<int>(counts[1000])], 997.0f);
    int64_t largest = 0;
    for (int64_t n = 2; n < RevTamselPrimes::kPrimeCountSize; ++n) {
        if (isPrime(n)) largest = n;
        ASSERT_EQ(primes[static_cast<int>(counts[n])], static_cast<float>(largest)) << n;
    }
}

TEST(RevTamselEcoShot, NamesDefaultsAndDisplay) {
    ReverbRig rig(44100.0f);
    EXPECT_STREQ(rig.reverb.getEffectName(), "Reverb HQ");
    const char* names[] = {"Room Size", "Reverb Time", "Reflectivity", "Input"};
    const float defaults[] = {0.61f, 0.5f, 0.5489f, 1.0f};
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_STREQ(rig.reverb.getParameterName(i), names[i]);
        EXPECT_FLOAT_EQ(rig.reverb.getParameterDefault(static_cast<int32_t>(i)), defaults[i]);
    }
    char text[BWEffect::kDisplayTextSize] = "unchanged";
    rig.reverb.getParameterDisplay(0, 0.5f, text);
    EXPECT_STREQ(text, "   50.00");
    rig.reverb.getParameterDisplay(2, 1.0f, text);
    EXPECT_STREQ(text, "  100.00");
    std::strcpy(text, "unchanged");
    rig.reverb.getParameterDisplay(3, 1.0f, text);
    EXPECT_STREQ(text, "unchanged");
}

// "Room Size" runs from 14 dB (about 5 m, 15 ms) to 34 dB (about 50 m,
// 150 ms); the reverb time is 40 room times, halved or doubled by
// "Reverb Time".  The long lines are primes around the room's period.
TEST(RevTamselEcoShot, RoomSizesTimesAndPrimeLengths) {
    for (float rate : {44100.0f, 96000.0f}) {
        ReverbRig rig(rate);
        RevTamselEcoShot& r = rig.reverb;
        r.setParameter(RevTamselEcoShot::kRoomSize, 0.0f);
        r.takeParameters();
        settle(r, 44100);
        EXPECT_NEAR(r.roomSizeDb(), 14.0f, 1e-4);
        EXPECT_NEAR(r.roomSizeMetres(), 5.0119f, 1e-3);
        EXPECT_NEAR(r.roomSeconds(), 0.0150057f, 1e-6);
        r.setParameter(RevTamselEcoShot::kRoomSize, 1.0f);
        r.takeParameters();
        settle(r, 44100);
        EXPECT_NEAR(r.roomSizeDb(), 34.0f, 1e-4);
        EXPECT_NEAR(r.roomSizeMetres(), 50.119f, 1e-2);
        EXPECT_NEAR(r.roomSeconds(), 0.150057f, 1e-5);
        EXPECT_NEAR(r.reverbSeconds(), 40.0f * r.roomSeconds(), 1e-4);
        r.setParameter(RevTamselEcoShot::kReverbTime, 1.0f);
        r.takeParameters();
        EXPECT_NEAR(r.reverbSeconds(), 80.0f * r.roomSeconds(), 1e-3);
        r.setParameter(RevTamselEcoShot::kReverbTime, 0.0f);
        r.takeParameters();
        EXPECT_NEAR(r.reverbSeconds(), 20.0f * r.roomSeconds(), 1e-3);

        // The left section's first long line sits at the room's period.
        EXPECT_NEAR(r.longLineSamples(0, 2), rate * r.roomSeconds(), rate * r.roomSeconds() * 0.01);
        for (int32_t s = 0; s < 2; ++s) {
            for (int32_t k = 0; k < 4; ++k) {
                EXPECT_TRUE(isPrime(static_cast<int64_t>(r.longLineSamples(s, k)))) << r.longLineSamples(s, k);
                EXPECT_TRUE(isPrime(static_cast<int64_t>(r.diffuserSamples(s, k)))) << r.diffuserSamples(s, k);
                EXPECT_LT(r.longLineSamples(s, k), static_cast<float>(r.longLineCapacity()));
                EXPECT_LT(r.diffuserSamples(s, k), static_cast<float>(r.diffuserLineCapacity()));
                EXPECT_LT(r.lineGain(s, k), 1.0f);
            }
        }
    }
}

// The first reflection arrives after the shortest long line of the section
// that takes the input; level 1 gives the reverb alone and level 0 the dry
// input, bit for bit.
TEST(RevTamselEcoShot, ImpulseArrivesAfterTheShortestLineAndMixEndsAreExact) {
    ReverbRig rig(48000.0f);
    const float shortest = std::min({rig.reverb.longLineSamples(0, 0), rig.reverb.longLineSamples(0, 1),
                                     rig.reverb.longLineSamples(0, 2), rig.reverb.longLineSamples(0, 3)});
    const std::vector<float> response = impulseResponse(rig.reverb, 48000.0f, 0.5);
    EXPECT_EQ(response[0], 0.0f);
    EXPECT_EQ(firstAbove(response, 1e-9f), static_cast<size_t>(shortest));

    rig.reverb.setMix(0.0f);
    const StereoSignal input = noiseSignal(48000, 0.5f, 21);
    StereoSignal output = input;
    output.render(rig.reverb);
    EXPECT_EQ(0, std::memcmp(output.left.data(), input.left.data(), input.size() * sizeof(float)));
    EXPECT_EQ(0, std::memcmp(output.right.data(), input.right.data(), input.size() * sizeof(float)));
}

// Levels outside the crossfade's two ends hold at the nearer end.
TEST(RevTamselEcoShot, MixOutsideItsRangeIsClamped) {
    const StereoSignal input = noiseSignal(9600, 0.5f, 4);
    auto render = [&](float mix) {
        ReverbRig rig(48000.0f);
        rig.reverb.setMix(mix);
        StereoSignal out = input;
        out.render(rig.reverb);
        return out.left;
    };
    EXPECT_EQ(render(2.5f), render(1.0f));
    EXPECT_EQ(render(-3.0f), input.left);
    EXPECT_EQ(render(std::numeric_limits<float>::quiet_NaN()), input.left);
}

// Without damping ("Reflectivity" 1) the decay follows the set time: the
// gains take 60 dB off in t60 per pass through the long lines, and since each
// pass also runs through a diffuser (a quarter to a third of the long line
// more), the measured tail is about 1.4 times the set time.  Doubling
// "Reverb Time" doubles it; damping shortens it.
TEST(RevTamselEcoShot, DecayTimeFollowsTheRoomAndTheReverbTime) {
    const float rate = 44100.0f;
    auto measure = [rate](float reverbTime, float reflectivity) {
        ReverbRig rig(rate);
        rig.reverb.setParameter(RevTamselEcoShot::kRoomSize, 0.3f);  // 20 dB: 10 m, 30 ms
        rig.reverb.setParameter(RevTamselEcoShot::kReverbTime, reverbTime);
        rig.reverb.takeParameters();
        rig.reverb.setParameter(RevTamselEcoShot::kReflectivity, reflectivity);
        rig.reverb.takeParameters();
        settle(rig.reverb, 4410);
        const double expected = rig.reverb.reverbSeconds();
        return std::pair{measuredT60(impulseResponse(rig.reverb, rate, 3.0 * expected), rate), expected};
    };
    const auto [normal, expectedNormal] = measure(0.5f, 1.0f);
    EXPECT_NEAR(expectedNormal, 40.0 * 0.02994, 1e-3);
    EXPECT_NEAR(normal / expectedNormal, 1.4, 0.15);
    const auto [longer, expectedLonger] = measure(1.0f, 1.0f);
    EXPECT_NEAR(expectedLonger, 2.0 * expectedNormal, 1e-3);
    EXPECT_NEAR(longer / normal, 2.0, 0.15);
    const auto [damped, expectedDamped] = measure(0.5f, 0.5f);
    EXPECT_FLOAT_EQ(expectedDamped, expectedNormal);
    EXPECT_LT(damped, normal * 0.9);
}

// Turning "Reflectivity" down while the reverb rings lets the tail die: the
// damping filter's own pole stays inside the unit circle even where the
// damping saturates.  Values outside 0..1, NaN included, hold at the ends.
TEST(RevTamselEcoShot, TailDiesAtFullDampingAndWildValuesStayInRange) {
    ReverbRig rig(44100.0f);
    StereoSignal noise = noiseSignal(44100, 0.5f, 9);
    noise.render(rig.reverb);
    rig.reverb.setParameter(RevTamselEcoShot::kRoomSize, 0.0f);
    rig.reverb.takeParameters();
    rig.reverb.setParameter(RevTamselEcoShot::kReverbTime, 0.0f);
    rig.reverb.takeParameters();
    rig.reverb.setParameter(RevTamselEcoShot::kReflectivity, 0.0f);
    rig.reverb.takeParameters();
    settle(rig.reverb, 3 * 44100);
    StereoSignal silence(44100);
    silence.render(rig.reverb);
    EXPECT_LT(peakOf(silence.left), 1e-6);
    EXPECT_LT(peakOf(silence.right), 1e-6);

    for (float wild : {std::numeric_limits<float>::quiet_NaN(), 7.0f, -7.0f, 1e30f}) {
        for (uint32_t i = 0; i < RevTamselEcoShot::kParameterCount; ++i) rig.reverb.setParameter(i, wild);
        rig.reverb.setParameter(RevTamselEcoShot::kInput, 1.0f);
        rig.reverb.takeParameters();
        StereoSignal audio = noiseSignal(22050, 0.5f, 10);
        audio.render(rig.reverb);
        EXPECT_TRUE(allFinite(audio.left)) << wild;
        EXPECT_LT(rig.reverb.roomSizeDb(), 34.0001f);
        EXPECT_GT(rig.reverb.roomSizeDb(), 13.9999f);
    }
}

// A new rate re-lays the lines and the room in samples of that rate: the
// room keeps its size in seconds.
TEST(RevTamselEcoShot, RateChangeKeepsTheRoomInSeconds) {
    ReverbRig rig(44100.0f);
    const float at44 = rig.reverb.longLineSamples(0, 2);
    rig.context.changeRate(96000.0f);
    rig.reverb.tick();
    EXPECT_EQ(rig.reverb.longLineCapacity(), static_cast<uint32_t>(96000.0f / 44100.0f * 8900.0f));
    EXPECT_NEAR(rig.reverb.longLineSamples(0, 2), at44 * 96000.0f / 44100.0f, at44 * 0.02);
    const std::vector<float> response = impulseResponse(rig.reverb, 96000.0f, 0.2);
    EXPECT_TRUE(allFinite(response));
    EXPECT_GT(peakOf(response), 1e-3);
}

// Lengths that came to rest glide again when the room moves them, on both
// kernels: the first echo of an impulse through a settled room comes after
// that room's shortest long line (a glide may end a fraction of a sample
// short of it), whatever room or rate the lines rested at before.
TEST(RevTamselEcoShot, LengthsAtRestFollowTheNextRoom) {
    struct Move {
        float from, to;
        float rateAfter;  // the rate the second room is heard at
    };
    const Move moves[] = {{0.0f, 1.0f, 44100.0f}, {1.0f, 0.3f, 44100.0f}, {0.61f, 0.0f, 44100.0f},
                          {0.3f, 0.3f, 96000.0f}, {0.9f, 0.2f, 48000.0f}};
    for (bool baseline : {false, true}) {
        platform::restrictToBaselineCpu(baseline);
        for (const Move& move : moves) {
            ReverbRig rig(44100.0f);
            RevTamselEcoShot& r = rig.reverb;
            r.setParameter(RevTamselEcoShot::kRoomSize, move.from);
            settle(r, 44100);
            if (move.rateAfter != 44100.0f) rig.context.changeRate(move.rateAfter);
            r.setParameter(RevTamselEcoShot::kRoomSize, move.to);
            settle(r, 44100);
            r.stop();
            const float shortest = std::min({r.longLineSamples(0, 0), r.longLineSamples(0, 1),
                                             r.longLineSamples(0, 2), r.longLineSamples(0, 3)});
            const std::vector<float> response = impulseResponse(r, move.rateAfter, 0.2);
            const size_t arrival = firstAbove(response, 1e-9f);
            EXPECT_TRUE(arrival == static_cast<size_t>(shortest) || arrival + 1 == static_cast<size_t>(shortest))
                << arrival << " for " << shortest << ": " << move.from << " -> " << move.to << " at " << move.rateAfter << (baseline ? " baseline" : "");
        }
    }
    platform::restrictToBaselineCpu(false);
}

TEST(RevTamselEcoShot, ProcessTickAndTempoChangesAllocateNothing) {
    ReverbRig rig(48000.0f);
    const std::vector<const void*> blocks = listedBlocks(rig.context.resetList);
    // The eight diffusers and the eight long lines, each interleaved, and
    // the lines' four memories (two diffuser stages, damping, feedback).
    EXPECT_EQ(blocks.size(), 6u);
    StereoSignal noise = noiseSignal(4800, 0.5f, 3);
    StereoSignal tail(4800);
    AllocationCounter counter;
    noise.render(rig.reverb);
    rig.reverb.setParameter(RevTamselEcoShot::kRoomSize, 0.9f);  // a room slide recomputes every length
    noise.render(rig.reverb);
    rig.context.changeTempo(75.0);
    tail.render(rig.reverb);
    EXPECT_EQ(counter.count(), 0u);
    EXPECT_EQ(listedBlocks(rig.context.resetList), blocks);
    EXPECT_GT(peakOf(tail.left), 1e-3);  // the tempo change did not clear the lines
}

// A minute of full-scale noise and one of silence, shared by the corners:
// the largest room with the longest time and no damping (a tail of about
// 17 s), and the smallest, shortest, most damped room.
class RevTamselEcoShotStability : public ::testing::TestWithParam<float> {};

TEST_P(RevTamselEcoShotStability, StaysFiniteBoundedAndFreeOfDenormals) {
    EffectTestContext context(GetParam());
    RevTamselEcoShot reverb(kReverbEffectId, &context.info);
    const std::vector<Corner> corners = {
        {{{0, 1.0f}, {1, 1.0f}, {2, 1.0f}, {3, 1.0f}}, 1.0f, 120.0},
        {{{0, 0.0f}, {1, 0.0f}, {2, 0.0f}, {3, 1.0f}}, 1.0f, 120.0},
    };
    const StabilityReport report = runStability(reverb, context, corners, 60.0);
    EXPECT_TRUE(report.finite);
    EXPECT_LT(report.peak, 4.0f);
    EXPECT_EQ(report.subnormals, 0u);
    EXPECT_LT(report.silenceCpuSeconds, 2.0 * report.noiseCpuSeconds + 0.05);
}

INSTANTIATE_TEST_SUITE_P(Rates, RevTamselEcoShotStability, ::testing::ValuesIn(stabilityRates()), StabilityRateName());

// The AVX2 kernel takes each block's reads from where the last block left
// them, and where gathers are slow reads whole rows at lengths holding
// still; worked out afresh, gathered, or both, every byte of the output is
// the same, through glides, lengths at rest long enough to wrap every ring,
// a stop, blocks on the portable path, a rate change and a tempo change, in
// blocks of uneven sizes; from the default room at 44.1 kHz heard alone, and
// from the smallest at 22.05 kHz (the shortest lines, the most wraps) mixed
// with the dry input.
TEST(RevTamselEcoShot, EveryRouteToTheReadsSoundsTheSame) {
    struct Setting {
        float rate;
        float mix;
        float room;
    };
    struct Route {
        bool keptReads;
        bool rowReads;
    };
    auto renderScript = [](Setting setting, Route route) {
        const float rate = setting.rate;
        ReverbRig rig(rate);
        RevTamselEcoShot& r = rig.reverb;
        r.setKeptReads(route.keptReads);
        r.allowRowReads(route.rowReads);
        r.setMix(setting.mix);
        r.setParameter(RevTamselEcoShot::kRoomSize, setting.room);
        StereoSignal out = noiseSignal(static_cast<size_t>(7 * rate), 0.5f, 11);
        const int32_t blockSizes[] = {16, 16, 5, 16, 40, 11, 16, 3};
        size_t done = 0;
        auto play = [&](double seconds) {
            const size_t end = std::min(out.size(), done + static_cast<size_t>(seconds * rate));
            for (int32_t b = 0; done < end; ++b) {
                const auto frames = static_cast<int32_t>(std::min<size_t>(blockSizes[b % 8], end - done));
                r.process(out.left.data() + done, out.right.data() + done, frames);
                r.tick();
                done += static_cast<size_t>(frames);
            }
        };
        play(1.5);  // the first room, long enough for every line to wrap
        r.setParameter(RevTamselEcoShot::kRoomSize, 0.2f);
        play(1.0);  // a slide and a glide, then at rest
        r.setParameter(RevTamselEcoShot::kRoomSize, 0.95f);
        play(0.5);
        r.stop();
        play(0.5);
        platform::restrictToBaselineCpu(true);
        play(0.3);
        platform::restrictToBaselineCpu(false);
        play(0.5);
        rig.context.changeRate(96000.0f);
        play(1.0);
        rig.context.changeTempo(75.0);
        play(1.7);
        return out;
    };
    for (const Setting setting : {Setting{44100.0f, 1.0f, 0.61f}, Setting{22050.0f, 0.35f, 0.0f}}) {
        const StereoSignal fastest = renderScript(setting, {true, true});
        EXPECT_GT(peakOf(fastest.left), 1e-2);
        for (const Route route : {Route{false, true}, Route{true, false}, Route{false, false}}) {
            const StereoSignal other = renderScript(setting, route);
            EXPECT_EQ(0, std::memcmp(fastest.left.data(), other.left.data(), fastest.size() * sizeof(float)))
                << setting.rate << ": kept " << route.keptReads << ", rows " << route.rowReads;
            EXPECT_EQ(0, std::memcmp(fastest.right.data(), other.right.data(), fastest.size() * sizeof(float)))
                << setting.rate << ": kept " << route.keptReads << ", rows " << route.rowReads;
        }
    }
}
