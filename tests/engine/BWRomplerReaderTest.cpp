#include "engine/BWRomplerReader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "EngineTestContext.h"
#include "engine/BWSampleZone.h"

namespace {

using Reader = BWRomplerReader<16>;
constexpr float kScale = 32768.0f;

// Frame i holds i (a ramp: every output sample is its own read position),
// or one constant value; root key 60.
std::unique_ptr<BWSampleZone> makeZone(int32_t frames, float rate = 44100.0f, int16_t constant = -1,
                                       bool loop = false, uint32_t loopStart = 0, uint32_t loopEnd = 0) {
    std::vector<int16_t> values(static_cast<size_t>(frames));
    for (int32_t i = 0; i < frames; ++i) values[size_t(i)] = constant >= 0 ? constant : int16_t(i % 32768);
    auto zone = std::make_unique<BWSampleZone>();
    zone->setRootKey(60);
    EXPECT_TRUE(zone->getSample().setData(values.data(), nullptr, frames, rate));
    EXPECT_TRUE(zone->getSample().setLoop(loopStart, loopEnd, loop));
    return zone;
}

// At its root key a voice plays at data rate / host rate, other notes by the
// pitch table (linear between semitones), which is read inside its ends.
TEST(BWRomplerReader, PlaysAtThePitchOfItsNoteAndTheRatesOfDataAndHost) {
    const struct {
        float dataRate, hostRate, note, tune;
        int32_t root;
        double increment;
    } cases[] = {
        {48000, 44100, 60, 0.0f, 60, 1.0884354},  {44100, 44100, 72, 0.0f, 60, 2.0},
        {44100, 96000, 60, 0.0f, 60, 0.459375},   {44100, 44100, 59, 0.5f, 60, (std::pow(2.0, -1.0 / 12) + 1) / 2},
        {44100, 192000, 67, 0.0f, 60, 44100.0 / 192000 * std::pow(2.0, 7.0 / 12)},
        {44100, 44100, 131, 0.0f, 0, std::pow(2.0, 128.0 / 12)},    // low root key plus drift: the table's top
        {44100, 44100, 0, -3.0f, 127, std::pow(2.0, -128.0 / 12)},  // high root key: its bottom
    };
    for (const auto& c : cases) {
        EngineTestContext context(c.hostRate);
        auto zone = makeZone(30000, c.dataRate);
        zone->setRootKey(c.root);
        zone->setTune(c.tune);
        Reader voice(&context.info);
        voice.startVoice(zone.get(), c.note, 0.0f);
        EXPECT_NEAR(voice.getIncrement(), c.increment, c.increment * 2e-6) << c.note;
        const double measured = (voice.left[15] - voice.left[0]) * kScale / 15;
        EXPECT_TRUE(c.increment > 4 || std::fabs(measured - c.increment) < 1e-4) << measured;
        for (int tick = 0; tick < 4; ++tick) voice.render(16, 0);  // huge increments end the voice safely
    }
}

// Read positions over many ticks: the loop points as the voice takes them.
TEST(BWRomplerReader, LoopsBetweenItsPointsOrPlaysThroughAndEnds) {
    const struct {
        uint32_t loopStart, loopEnd;
        bool loop;
        float lowest, highest;  // positions once the loop runs
    } cases[] = {
        {100, 200, true, 100, 199},
        {300, 200, true, 0, 999},     // start at or after the end: the whole sample loops
        {100, 5000, true, 100, 999},  // an end beyond the frames is cut to them
        {100, 200, false, 0, 999},    // plays through once: 62 ticks, 8 frames, the end
    };
    EngineTestContext context;
    for (const auto& c : cases) {
        auto zone = makeZone(1000, 44100.0f, -1, c.loop, c.loopStart, c.loopEnd);
        Reader voice(&context.info);
        voice.startVoice(zone.get(), 60.0f, 0.0f);
        float lowest = 1e9f, highest = -1.0f;
        int soundingTicks = 0;
        for (int tick = 0; tick < 300; ++tick, voice.render(16, 0)) {
            soundingTicks += voice.left[15] != 0.0f || voice.left[7] != 0.0f;
            for (float value : voice.left)
                if (tick > 70) lowest = std::min(lowest, value * kScale), highest = std::max(highest, value * kScale);
        }
        EXPECT_EQ(lowest, c.loop ? c.lowest : 0.0f) << c.loopStart;
        EXPECT_EQ(highest, c.loop ? c.highest : 0.0f);
        EXPECT_EQ(soundingTicks, c.loop ? 300 : 63);
        EXPECT_EQ(zone->getSample().isUsedByVoices(), c.loop);
    }
}

// A wrap takes the read position back by whole loop lengths, so that it
// stays where the waveform has got to: from tick to tick it moves on by
// sixteen steps around the loop at any step, a loop played high keeps its
// pitch.  (Notes 60, 72, 91 and 109 on a loop of 100 frames: steps of 1, 2,
// about 6 and about 17.)
TEST(BWRomplerReader, WrapsKeepTheReadPositionGoingRoundTheLoopAtAnyStep) {
    constexpr float kLoopStart = 100, kLoopEnd = 200, kLength = kLoopEnd - kLoopStart;
    EngineTestContext context;
    for (float note : {60.0f, 72.0f, 91.0f, 109.0f}) {
        auto zone = makeZone(1000, 44100.0f, -1, true, uint32_t(kLoopStart), uint32_t(kLoopEnd));
        Reader voice(&context.info);
        voice.startVoice(zone.get(), note, 0.0f);
        const double step = voice.getIncrement();
        double expected = voice.getPosition();  // after the first tick
        for (int tick = 0; tick < 200; ++tick) {
            voice.render(16, 0);
            expected += 16.0 * step;
            const double reduced = expected < kLoopStart ? expected
                                                         : kLoopStart + std::fmod(expected - kLoopStart, double(kLength));
            // Within the half frame before the end a position counts as wrapped.
            const double apart = std::remainder(double(voice.getPosition()) - reduced, double(kLength));
            ASSERT_NEAR(apart, 0.0, 2e-3) << "note " << note << ", tick " << tick;
        }
    }
}

TEST(BWRomplerReader, RetriggerFadesTheOldSoundOverOneTickThenStartsTheNew) {
    EngineTestContext context;
    auto first = makeZone(5000, 44100.0f, 16384, true, 0, 5000), second = makeZone(5000, 44100.0f, 8192, true, 0, 5000);
    Reader voice(&context.info);
    voice.startVoice(first.get(), 60.0f, 0.0f);
    voice.render(16, 0);
    voice.startVoice(second.get(), 60.0f, 0.0f);
    for (int k = 0; k < 16; ++k) EXPECT_FLOAT_EQ(voice.left[k], 0.5f * (1.0f - k / 16.0f));
    EXPECT_FALSE(first->getSample().isUsedByVoices());
    voice.render(16, 0);
    for (float value : voice.left) EXPECT_EQ(value, 0.25f);
    voice.reset();
    EXPECT_FALSE(second->getSample().isUsedByVoices());
}

// A sample replaced under a playing voice: the voice waits in silence while
// any reader is in (one reader's end does not let the writer in while
// another reads), then plays within the new, shorter data, looping or
// ending; a sample left without frames ends the voice.
TEST(BWRomplerReader, FollowsASampleReplacedUnderIt) {
    EngineTestContext context;
    for (bool loop : {true, false}) {
        auto zone = makeZone(30000, 44100.0f, -1, loop, 1000, 20000);
        BWSampleData& sample = zone->getSample();
        Reader voice(&context.info);
        voice.startVoice(zone.get(), 72.0f, 0.0f);
        for (int tick = 0; tick < 100; ++tick) voice.render(16, 0);
        ASSERT_TRUE(sample.beginRead() && sample.beginRead());
        sample.endRead();
        std::atomic<bool> replaced{false};
        std::thread writer([&] {
            std::vector<int16_t> shorter(100);
            for (int i = 0; i < 100; ++i) shorter[size_t(i)] = int16_t(i);
            replaced = sample.setData(shorter.data(), nullptr, 100, 44100.0f);
        });
        while (!sample.isLoading()) std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        voice.render(16, 0);
        EXPECT_FALSE(replaced);
        for (float value : voice.left) EXPECT_EQ(value, 0.0f);
        sample.endRead();
        writer.join();
        for (int tick = 0; tick < 50; ++tick, voice.render(16, 0))
            for (float value : voice.left) ASSERT_LT(value * kScale, 100.0f);
        EXPECT_EQ(voice.isActive(), loop);
        ASSERT_TRUE(sample.clear());
        voice.render(16, 0);
        voice.render(16, 0);
        EXPECT_FALSE(voice.isActive());
    }
}

}  // namespace

// Full-scale values of both signs at fractional positions, in both channels:
// every output is the linear blend of the two frames around its position.
TEST(BWRomplerReader, InterpolatesSignedFramesAtFractionalPositions) {
    constexpr int32_t kFrames = 4000;
    std::vector<int16_t> left(kFrames), right(kFrames);
    for (int32_t i = 0; i < kFrames; ++i) {
        left[size_t(i)] = int16_t((i * 7919) % 65536 - 32768);
        right[size_t(i)] = int16_t(-1 - left[size_t(i)]);
    }
    for (const float hostRate : {44100.0f, 60617.0f, 29000.0f}) {
        EngineTestContext context(hostRate);
        BWSampleZone zone;
        zone.setRootKey(60);
        ASSERT_TRUE(zone.getSample().setData(left.data(), right.data(), kFrames, 44100.0f));
        Reader voice(&context.info);
        voice.startVoice(&zone, 60.0f, 0.0f);
        const float step = voice.getIncrement();
        float start = 0.0f;  // the voice keeps its position in float, tick by tick
        for (int tick = 0; tick < 40; ++tick, start += 16.0f * step) {
            if (tick > 0) voice.render(16, 0);
            for (int k = 0; k < 16; ++k) {
                const float at = float(k) * step + start;
                const auto i = size_t(at);
                const double frac = at - float(i);
                const double l = left[i] + (left[i + 1] - left[i]) * frac;
                const double r = right[i] + (right[i + 1] - right[i]) * frac;
                ASSERT_NEAR(voice.left[k] * kScale, l, 0.02) << hostRate << " " << at;
                ASSERT_NEAR(voice.right[k] * kScale, r, 0.02) << hostRate << " " << at;
            }
        }
    }
}
