// The tick of an engine with nothing to sound, and the pattern values the
// sequencer and the lanes keep between ticks, through the offline driver.

#include <gtest/gtest.h>

#include <array>

#include "RenderDriver.h"
#include "core/SharedFloat.h"
#include "plugin/DisplayBlock.h"
#include "plugin/PatternReads.h"

namespace {

constexpr float kPattern1 = 1.5f / 24.0f;  // "PatternKeys": the second pattern

// Own clock, chords from the keys, the first lane driving "Osc1 Level" with
// 0.25 on every step of the first pattern and 0.75 on the second.
void laneSetUp(BWUniClient& c) {
    for (auto [index, value] : {std::pair<int32_t, float>{Tag::Clocksource, 0.0f}, {Tag::ChordSelect, 1.0f},
                                {Tag::MasterLevel, 0.5f}, {Tag::MasterAttack, 0.0f}, {Tag::KickLevel, 0.5f},
                                {Tag::Lane1Row, 0.0f}})
        c.setParameter(index, value);
    for (int layer = 0; layer < 3; ++layer) c.setParameter(Tag::Osc1Sound + layer, 1.0f);
    for (uint64_t step = 0; step < 32; ++step) {
        c.patterns().cutoffLane(0).setValueOnPage(step, 0, 0.25f);
        c.patterns().cutoffLane(0).setValueOnPage(step, 1, 0.75f);
    }
}

float osc1Level(BWUniClient& c) { return c.audioEngine().takenValue(17); }

// Ticks until the lane's target reads `value`; -1 when it does not within
// `limit` ticks.
int ticksUntil(RenderDriver& d, float value, int limit) {
    for (int t = 0; t < limit; ++t) {
        if (osc1Level(*d.instance) == value) return t;
        d.run({}, 16, 16);
    }
    return osc1Level(*d.instance) == value ? limit : -1;
}

}  // namespace

// A silent engine with no key held idles: its ticks skip the voices and the
// effects but keep the lanes following the pattern (at once for a pattern
// the engine selects or an edit made straight into a table, as while it
// plays), and a key wakes it on the tick it acts.
TEST(IdleTick, LanesFollowWhileIdleAndAKeyWakesTheEngine) {
    for (bool playing : {false, true}) {
        RenderDriver d;
        BWUniClient& c = *d.instance;
        laneSetUp(c);
        d.run({noteOnAt(100, 60), noteOffAt(20000, 60)}, 30000, 512);
        if (!playing) {
            d.run({}, 4 * 88200, 512);
            ASSERT_TRUE(c.renderState().silent);
        } else {
            d.run({noteOnAt(d.position, 64)}, 512, 512);
        }
        const uint64_t idleBefore = c.renderState().idleTicks;
        d.run({}, 1600, 16);
        EXPECT_EQ(c.renderState().idleTicks - idleBefore, playing ? 0u : 100u) << playing;
        EXPECT_EQ(osc1Level(c), 0.25f);

        c.setParameter(Tag::PatternKeys, kPattern1);  // the pattern the engine selects: read on its next tick
        EXPECT_EQ(ticksUntil(d, 0.75f, 1), 1) << playing;
        // An edit made straight into the table, at any tick of a step: heard
        // on the next tick.
        for (int edit = 0; edit < 8; ++edit) {
            const float value = 0.5f + 0.03125f * static_cast<float>(edit);
            for (uint64_t step = 0; step < 32; ++step) c.patterns().cutoffLane(0).setValueOnPage(step, 1, value);
            EXPECT_EQ(ticksUntil(d, value, 4), 1) << playing << " " << edit;
        }
    }

    RenderDriver d;
    BWUniClient& c = *d.instance;
    laneSetUp(c);
    d.run({}, 4 * 88200, 512);
    ASSERT_TRUE(c.renderState().silent);
    const uint64_t idle = c.renderState().idleTicks;
    EXPECT_GT(idle, 0u);
    // A note three samples into the block acts at the second boundary in
    // it: one more tick idles.
    d.run({noteOnAt(d.position + 3, 60)}, 256, 256);
    EXPECT_EQ(c.renderState().idleTicks, idle + 1);
    EXPECT_FALSE(c.renderState().silent);
    ASSERT_FALSE(d.sent.empty());
    EXPECT_EQ(d.sent.front().status & 0xF0, 0x90);
}

// The voice markers are published only when what they show moves: after the
// engine rested (the markers cleared) the same chord must show them again,
// though the lead layer's voices are those it had before the rest.
TEST(IdleTick, VoiceMarkersShowAgainAfterARest) {
    RenderDriver d;
    BWUniClient& c = *d.instance;
    laneSetUp(c);
    // Which markers show (their brightness follows the roughened velocity).
    auto markers = [&c] {
        std::array<bool, 8> shown{};
        for (size_t i = 0; i < shown.size(); ++i) shown[i] = loadShared(c.displayBlock().objectAlpha[i]) > 0.0f;
        return shown;
    };
    const std::array<bool, 8> none{};
    d.run({noteOnAt(100, 60)}, 8192, 512);
    const std::array<bool, 8> playing = markers();
    ASSERT_NE(playing, none);
    d.run({noteOffAt(d.position, 60)}, 6 * 88200, 512);
    ASSERT_TRUE(c.renderState().silent);
    EXPECT_EQ(markers(), none);
    // Woken by the transport alone: no voice moves, yet the markers' count
    // and positions come back from their rest values.
    d.playing = true;
    d.playStart = d.position;
    d.run({}, 512, 512);
    ASSERT_FALSE(c.renderState().silent);
    EXPECT_EQ(loadShared(c.displayBlock().objectCount), 8.0f);
    d.run({noteOnAt(d.position + 100, 60)}, 8192, 512);
    EXPECT_EQ(markers(), playing);
}

// The bars of the keys held follow every press and release, also across a
// rest of the engine.
TEST(IdleTick, HeldKeysShowAsTheyMoveAndAgainAfterARest) {
    RenderDriver d;
    BWUniClient& c = *d.instance;
    laneSetUp(c);
    c.setParameter(Tag::KickLevel, 0.0f);
    const auto bars = [&c] {
        std::array<float, 8> keys{};
        for (size_t i = 0; i < keys.size(); ++i)
            keys[i] = loadShared(c.displayBlock().activity2[i]) > 0.0f ? loadShared(c.displayBlock().positions2[i]) : -1.0f;
        return keys;
    };
    const std::array<float, 8> none{-1, -1, -1, -1, -1, -1, -1, -1};
    struct Stage {
        std::vector<MidiAt> events;
        int64_t samples;
        std::array<float, 8> shown;
    } stages[] = {
        {{noteOnAt(0, 60)}, 2048, {36, -1, -1, -1, -1, -1, -1, -1}},
        {{noteOnAt(0, 67), noteOnAt(0, 64)}, 2048, {36, 40, 43, -1, -1, -1, -1, -1}},
        {{noteOffAt(0, 64)}, 2048, {36, 43, -1, -1, -1, -1, -1, -1}},
        {{noteOffAt(0, 60), noteOffAt(0, 67)}, 6 * 88200, none},
        {{noteOnAt(0, 67)}, 2048, {43, -1, -1, -1, -1, -1, -1, -1}},
    };
    for (const Stage& s : stages) {
        std::vector<MidiAt> events = s.events;
        for (MidiAt& e : events) e.sample += d.position;
        d.run(events, s.samples, 512);
        EXPECT_EQ(bars(), s.shown) << d.position;
        EXPECT_EQ(c.renderState().silent, s.shown == none) << d.position;  // rests only with no key held
    }
}
