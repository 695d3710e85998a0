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

// A zone whose frame i holds the value i (a ramp, so that every output sample
// is its own read position) or one constant value.
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

// A voice at the root key plays its data at data rate / host rate; other
// notes by equal-tempered ratios; the pitch table is read inside its ends.
TEST(BWRomplerReader, PlaysAtThePitchOfItsNoteAndTheRatesOfDataAndHost) {
    struct Case {
        float dataRate, hostRate, note, tune;
        int32_t root;
        double increment;
    } cases[] = {
        {48000, 44100, 60, 0.0f, 60, 1.0884354},  {44100, 44100, 72, 0.0f, 60, 2.0},
        {44100, 96000, 60, 0.0f, 60, 0.459375},   {44100, 44100, 59, 0.5f, 60, (std::pow(2.0, -1.0 / 12) + 1) / 2},  // linear between semitones
        {44100, 192000, 67, 0.0f, 60, 44100.0 / 192000 * std::pow(2.0, 7.0 / 12)},
        {44100, 44100, 131, 0.0f, 0, std::pow(2.0, 128.0 / 12)},  // low root key plus drift: the table's top
        {44100, 44100, 0, -3.0f, 127, std::pow(2.0, -128.0 / 12)},  // high root key: its bottom
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        EngineTestContext context(c.hostRate);
        auto zone = makeZone(30000, c.dataRate);
        zone->setRootKey(c.root);
        zone->setTune(c.tune);
        Reader voice(&context.info);
        voice.startVoice(zone.get(), c.note, 0.0f);
        EXPECT_NEAR(voice.getIncrement(), c.increment, c.increment * 2e-6);
        if (c.increment < 4) {
            EXPECT_NEAR((voice.left[15] - voice.left[0]) * kScale / 15, c.increment, 1e-4);
        }
        for (int tick = 0; tick < 4; ++tick) voice.render(16, 0);  // huge increments end the voice safely
    }
}

// Read positions over many ticks: the loop points as the voice takes them.
TEST(BWRomplerReader, LoopsBetweenItsPointsOrPlaysThroughAndEnds) {
    struct Case {
        uint32_t loopStart, loopEnd;
        bool loop;
        float lowest, highest;  // positions seen once the loop runs
    } cases[] = {
        {100, 200, true, 100, 199},
        {300, 200, true, 0, 999},   // start at or after the end: the whole sample loops
        {100, 5000, true, 100, 999},  // an end beyond the frames is cut to them
        {100, 200, false, 0, 999},  // plays through once
    };
    EngineTestContext context;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.loopStart);
        auto zone = makeZone(1000, 44100.0f, -1, c.loop, c.loopStart, c.loopEnd);
        Reader voice(&context.info);
        voice.startVoice(zone.get(), 60.0f, 0.0f);
        float lowest = 1e9f, highest = -1.0f;
        int silentTicks = 0;
        for (int tick = 1; tick < 300; ++tick) {
            bool silent = true;
            for (float value : voice.left) {
                const float position = value * kScale;
                if (tick > 70) lowest = std::min(lowest, position), highest = std::max(highest, position);
                silent = silent && value == 0.0f;
            }
            silentTicks += silent;
            voice.render(16, 0);
        }
        if (c.loop) {
            EXPECT_EQ(lowest, c.lowest);
            EXPECT_EQ(highest, c.highest);
            EXPECT_TRUE(voice.isActive());
        } else {
            EXPECT_EQ(silentTicks, 299 - 63);  // 1000 frames: 62 whole ticks, then 8 frames and the end
            EXPECT_FALSE(voice.isActive());
            EXPECT_FALSE(zone->getSample().isUsedByVoices());
        }
    }
}

TEST(BWRomplerReader, RetriggerFadesTheOldSoundOverOneTickThenStartsTheNew) {
    EngineTestContext context;
    auto first = makeZone(5000, 44100.0f, 16384, true, 0, 5000);
    auto second = makeZone(5000, 44100.0f, 8192, true, 0, 5000);
    Reader voice(&context.info);
    voice.startVoice(first.get(), 60.0f, 0.0f);
    voice.render(16, 0);
    voice.startVoice(second.get(), 60.0f, 0.0f);
    for (int k = 0; k < 16; ++k) EXPECT_FLOAT_EQ(voice.left[k], 0.5f * (1.0f - k / 16.0f));
    EXPECT_FALSE(first->getSample().isUsedByVoices());
    EXPECT_TRUE(second->getSample().isUsedByVoices());
    EXPECT_EQ(voice.getPosition(), 0.0f);
    voice.render(16, 0);
    for (float value : voice.left) EXPECT_EQ(value, 0.25f);
    voice.reset();
    EXPECT_FALSE(second->getSample().isUsedByVoices());
    EXPECT_FALSE(voice.hasPlayed());
}

// A sample that loses its frames, or is replaced by a shorter one, under a
// playing voice: no read outside the data, and the voice ends or loops in
// what is there.  A voice on a sample without frames ends at once.
TEST(BWRomplerReader, FollowsASampleReplacedUnderIt) {
    EngineTestContext context;
    for (bool loop : {true, false}) {
        auto zone = makeZone(30000, 44100.0f, -1, loop, 1000, 20000);
        Reader voice(&context.info);
        voice.startVoice(zone.get(), 72.0f, 0.0f);
        for (int tick = 0; tick < 100; ++tick) voice.render(16, 0);
        std::vector<int16_t> shorter(100, 0);
        for (int i = 0; i < 100; ++i) shorter[size_t(i)] = int16_t(i);
        ASSERT_TRUE(zone->getSample().setData(shorter.data(), nullptr, 100, 44100.0f));
        for (int tick = 0; tick < 50; ++tick) {
            voice.render(16, 0);
            for (float value : voice.left) ASSERT_LT(value * kScale, 100.0f);
        }
        EXPECT_EQ(voice.isActive(), loop);
        ASSERT_TRUE(zone->getSample().clear());
        voice.render(16, 0);
        voice.render(16, 0);
        EXPECT_FALSE(voice.isActive());
    }
    BWSampleZone empty;
    Reader voice(&context.info);
    voice.startVoice(&empty, 60.0f, 0.0f);
    voice.render(16, 0);
    EXPECT_FALSE(voice.isActive());
}

// Two voices read one sample; one's end of read must not let a writer in
// while the other still reads.  While the writer waits, a voice gives
// silence, not its last tick again.
TEST(BWRomplerReader, ASampleIsReplacedOnlyWhenNoVoiceReadsItAndVoicesWaitInSilence) {
    EngineTestContext context;
    auto zone = makeZone(5000, 44100.0f, 16384, true, 0, 5000);
    BWSampleData& sample = zone->getSample();
    Reader voice(&context.info);
    voice.startVoice(zone.get(), 60.0f, 0.0f);
    ASSERT_EQ(voice.left[3], 0.5f);

    ASSERT_TRUE(sample.beginRead());
    ASSERT_TRUE(sample.beginRead());
    sample.endRead();
    std::atomic<bool> replaced{false};
    std::thread writer([&] {
        const std::vector<int16_t> values(64, 8192);
        replaced = sample.setData(values.data(), nullptr, 64, 44100.0f);
    });
    while (!sample.isLoading()) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(replaced);
    voice.render(16, 0);
    for (float value : voice.left) EXPECT_EQ(value, 0.0f);
    sample.endRead();
    writer.join();
    EXPECT_TRUE(replaced);
    voice.render(16, 0);
    EXPECT_EQ(voice.left[3], 0.25f);
}

}  // namespace
