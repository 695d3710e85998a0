#include "engine/Envelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "EngineTestContext.h"
#include "engine/LayerFilter.h"

namespace {

// Levels over `total` ticks of gate 1 for `held` ticks (the edge is tick 0),
// then gate 0; peak 1 and the times' sustain.
std::vector<float> run(Envelope& envelope, const EnvelopeTimes& times, int held, int total, float tpm) {
    std::vector<float> levels;
    for (int tick = 0; tick < total; ++tick) {
        envelope.tick(tick < held ? 1.0f : 0.0f, 1.0f, times.sustain, times, tpm);
        levels.push_back(envelope.getLevel());
    }
    return levels;
}

int firstTickAt(const std::vector<float>& levels, float value, int from) {
    return int(std::find(levels.begin() + from, levels.end(), value) - levels.begin());
}

// Each stage lasts its time in ticks (ms × rate / 16000) to within the tick
// the counter rounds up to, and moves in a straight line.
TEST(Envelope, StagesLastTheirTimesInTicksAndAreLinear) {
    const struct {
        EnvelopeTimes times;
        Envelope::Kind kind;
        float rate, sustainLevel;
    } cases[] = {
        {layerEnvelopeTimes(0.5f, 0.5f, 0.5f, 0.5f), Envelope::Kind::Restarting, 44100, 0.5f},
        {layerEnvelopeTimes(0.5f, 0.5f, 0.5f, 0.5f), Envelope::Kind::Restarting, 96000, 0.5f},
        {filterEnvelopeTimes(0.4f, 0.3f, 0.25f, 0.6f), Envelope::Kind::Restarting, 44100, 0.25f},
        {masterEnvelopeTimes(0.5f, 0.25f), Envelope::Kind::Master, 96000, 1.0f},
        {kickAmplitudeTimes(), Envelope::Kind::Restarting, 44100, 0.0f},
        {kickPitchTimes(), Envelope::Kind::Restarting, 96000, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.times.attackMs << " ms at " << c.rate);
        const float tpm = EngineTestContext(c.rate).ticksPerMs();
        const float attack = c.times.attackMs * tpm, decay = c.times.decayMs * tpm, release = c.times.releaseMs * tpm;
        const int held = int(attack + decay) + 50;
        Envelope envelope(c.kind);
        const auto levels = run(envelope, c.times, held, held + int(release) + 10, tpm);
        const int peakAt = firstTickAt(levels, 1.0f, 0), sustainAt = firstTickAt(levels, c.sustainLevel, peakAt);
        EXPECT_NEAR(peakAt, attack, 1.0);
        EXPECT_NEAR(sustainAt - peakAt, decay, 1.0);
        if (attack > 4) {
            EXPECT_NEAR(levels[size_t(attack / 2)], int(attack / 2) / attack, 1e-4);
        }
        if (decay > 4) {
            EXPECT_NEAR(levels[size_t(peakAt + decay / 2)], 1 - (1 - c.sustainLevel) * int(decay / 2) / decay, 1e-4);
        }
        if (c.sustainLevel > 0) {
            EXPECT_NEAR(firstTickAt(levels, 0.0f, held) - held, release, 1.0);
        }
    }
}

// A layer voice retriggered lower restarts from 0 and peaks at the new gate;
// a gate that falls in the attack releases from the level reached; the
// master re-opened in its release climbs on from where it stands.
TEST(Envelope, RetriggerEarlyReleaseAndReopen) {
    const float tpm = EngineTestContext().ticksPerMs();
    const EnvelopeTimes layer = layerEnvelopeTimes(0.3f, 0.3f, 0.5f, 0.3f);  // 54 ms, about 149 ticks a stage
    const float stage = layer.attackMs * tpm;
    Envelope voice, early, master(Envelope::Kind::Master);
    run(voice, layer, 400, 400, tpm);
    float highest = 0.0f;
    for (int i = 0; i < 400; ++i) {
        voice.tick(0.5f, 0.5f, 0.25f, layer, tpm);
        if (i == 1) {
            EXPECT_NEAR(voice.getLevel(), 0.5f / stage, 1e-6);
        }
        highest = std::max(highest, voice.getLevel());
    }
    EXPECT_EQ(highest, 0.5f);
    const auto levels = run(early, layer, 50, 400, tpm);
    EXPECT_NEAR(levels[50], 49.0f / stage, 1e-5);
    EXPECT_NEAR(firstTickAt(levels, 0.0f, 50) - 50, stage, 1.0);
    const EnvelopeTimes masterTimes = masterEnvelopeTimes(0.05f, 0.05f);
    float previous = run(master, masterTimes, 400, 700, tpm).back();
    ASSERT_GT(previous, 0.1f);
    for (int i = 0; i < 300; ++i, previous = master.getLevel()) {
        master.tick(1.0f, 1.0f, 1.0f, masterTimes, tpm);
        ASSERT_GE(master.getLevel(), previous);
    }
    EXPECT_EQ(previous, 1.0f);
}

// The filter follows its envelope through a 3 ms glide at every rate, and
// the right channels read the envelope inverted when asked.
TEST(Envelope, FilterGlideTakesThreeMillisecondsAndInvertTurnsTheRightChannel) {
    for (float rate : {44100.0f, 96000.0f}) {
        const float glide = 3.0f * EngineTestContext(rate).ticksPerMs();
        LayerFilter filter;
        VoiceValues gates{};
        gates[2] = 1.0f;
        int ticks = 0;
        for (; filter.laneEnvelope(2) < 1.0f && ticks < 100; ++ticks) {
            filter.tickEnvelopes(gates, filterEnvelopeTimes(0.0f, 0.5f, 1.0f, 0.5f), glide / 3.0f);
            EXPECT_NEAR(filter.laneEnvelope(2), std::min((ticks + 1) / glide, 1.0f), 1e-5);
        }
        EXPECT_EQ(ticks, int(std::ceil(glide)));
        EXPECT_EQ(filter.sharedEnvelope(), 1.0f);
        EXPECT_EQ(filter.laneEnvelope(0), 0.0f);

        // With invert on, every right channel sweeps against its left: lane
        // 2 (envelope 1) and lane 0 (envelope 0) trade their ends.
        EngineTestContext context(rate);
        FilterSettings settings;
        settings.cut = 0.2f;
        settings.peak = 0.8f;
        settings.invert = true;
        settings.age = {100.0f, 0.0f};
        filter.tickCoefficients(settings, true, context.info);
        filter.tickCoefficients(settings, false, context.info);
        const float top = filterFrequency(0.8f), bottom = filterFrequency(0.2f);
        const float expected[][3] = {{filter.laneFrequency(2, 0), top, 2},
                                     {filter.laneFrequency(2, 1), bottom, 2},
                                     {filter.laneFrequency(0, 0), bottom, 0},
                                     {filter.laneFrequency(0, 1), top, 0},
                                     {float(filter.shared(0).getFrequency()), top, 8},
                                     {float(filter.shared(1).getFrequency()), bottom, 8}};
        for (const auto& e : expected) EXPECT_NEAR(e[0], e[1], e[1] * 1e-4f) << rate << " lane " << e[2];
    }
}

}  // namespace
