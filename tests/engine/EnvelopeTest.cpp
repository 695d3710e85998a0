#include "engine/Envelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "EngineTestContext.h"
#include "engine/LayerFilter.h"

namespace {

// Levels of an envelope whose gate is `gate` for `held` ticks (the edge is
// tick 0), then `after` for the rest of `total` ticks.
std::vector<float> run(Envelope& envelope, const EnvelopeTimes& times, float peak, float sustain, float gate, int held,
                       float after, int total, float ticksPerMs) {
    std::vector<float> levels;
    for (int tick = 0; tick < total; ++tick) {
        const float g = tick < held ? gate : after;
        envelope.tick(g, peak, sustain, times, ticksPerMs);
        levels.push_back(envelope.getLevel());
    }
    return levels;
}

int firstTickAt(const std::vector<float>& levels, float value, int from) {
    for (int i = from; i < int(levels.size()); ++i)
        if (levels[i] == value) return i;
    return -1;
}

struct StageCase {
    const char* name;
    EnvelopeTimes times;
    Envelope::Kind kind;
    float rate;
    float sustainLevel;  // where the decay ends
};

// Each stage lasts its time in ticks (t × rate / 16000), to within the one
// tick the counter rounds up to, and moves in a straight line.
TEST(Envelope, StagesLastTheirTimesInTicksAndAreLinear) {
    const StageCase cases[] = {
        {"layer 44.1k", layerEnvelopeTimes(0.5f, 0.5f, 0.5f, 0.5f), Envelope::Kind::Restarting, 44100.0f, 0.5f},
        {"layer 96k", layerEnvelopeTimes(0.5f, 0.5f, 0.5f, 0.5f), Envelope::Kind::Restarting, 96000.0f, 0.5f},
        {"filter 44.1k", filterEnvelopeTimes(0.4f, 0.3f, 0.25f, 0.6f), Envelope::Kind::Restarting, 44100.0f, 0.25f},
        {"master 96k", masterEnvelopeTimes(0.5f, 0.25f), Envelope::Kind::Master, 96000.0f, 1.0f},
        {"kick amplitude 44.1k", kickAmplitudeTimes(), Envelope::Kind::Restarting, 44100.0f, 0.0f},
        {"kick pitch 96k", kickPitchTimes(), Envelope::Kind::Restarting, 96000.0f, 0.0f},
    };
    for (const StageCase& c : cases) {
        SCOPED_TRACE(c.name);
        const float tpm = EngineTestContext(c.rate).ticksPerMs();
        const float attack = c.times.attackMs * tpm, decay = c.times.decayMs * tpm, release = c.times.releaseMs * tpm;
        const int held = int(attack + decay) + 50;
        Envelope envelope(c.kind);
        const auto levels = run(envelope, c.times, 1.0f, c.times.sustain, 1.0f, held, 0.0f, held + int(release) + 10, tpm);

        const int peakAt = firstTickAt(levels, 1.0f, 0);
        EXPECT_NEAR(peakAt, attack, 1.0);
        if (attack > 4) {
            EXPECT_NEAR(levels[int(attack / 2)], int(attack / 2) / attack, 1e-4);
        }
        const int sustainAt = firstTickAt(levels, c.sustainLevel, peakAt);
        EXPECT_NEAR(sustainAt - peakAt, decay, 1.0);
        if (decay > 4) {
            EXPECT_NEAR(levels[peakAt + int(decay / 2)], 1.0f - (1.0f - c.sustainLevel) * int(decay / 2) / decay, 1e-4);
        }
        if (c.sustainLevel > 0) {
            EXPECT_EQ(levels[held - 1], c.sustainLevel);
            EXPECT_NEAR(firstTickAt(levels, 0.0f, held) - held, release, 1.0);
            EXPECT_EQ(envelope.getState(), Envelope::State::Finished);
        }
    }
}

TEST(Envelope, EdgesRestartReleaseAndReopenAsEachVariantDoes) {
    const float tpm = EngineTestContext().ticksPerMs();
    const EnvelopeTimes layer = layerEnvelopeTimes(0.3f, 0.3f, 0.5f, 0.3f);  // 54 ms each, about 149 ticks
    const float stage = layer.attackMs * tpm;

    // Retriggered at a lower gate while sustaining: the attack starts again
    // from 0 and peaks at the new gate.
    Envelope voice;
    auto levels = run(voice, layer, 1.0f, 0.5f, 1.0f, 400, 0.0f, 400, tpm);
    EXPECT_EQ(levels[399], 0.5f);
    voice.tick(0.5f, 0.5f, 0.25f, layer, tpm);
    voice.tick(0.5f, 0.5f, 0.25f, layer, tpm);
    EXPECT_NEAR(voice.getLevel(), 0.5f / stage, 1e-6);
    float highest = 0.0f;
    for (int i = 0; i < 400; ++i) {
        voice.tick(0.5f, 0.5f, 0.25f, layer, tpm);
        highest = std::max(highest, voice.getLevel());
    }
    EXPECT_EQ(highest, 0.5f);
    EXPECT_EQ(voice.getLevel(), 0.25f);

    // Attack 0: the gate's level on the note-on tick, and the decay begins.
    Envelope instant;
    instant.tick(0.7f, 0.7f, 0.35f, layerEnvelopeTimes(0.0f, 0.3f, 0.5f, 0.3f), tpm);
    EXPECT_EQ(instant.getLevel(), 0.7f);
    EXPECT_EQ(instant.getState(), Envelope::State::Decay);

    // Release 0: silent on the next tick.
    instant.tick(0.0f, 0.0f, 0.0f, layerEnvelopeTimes(0.0f, 0.3f, 0.5f, 0.0f), tpm);
    instant.tick(0.0f, 0.0f, 0.0f, layerEnvelopeTimes(0.0f, 0.3f, 0.5f, 0.0f), tpm);
    EXPECT_EQ(instant.getLevel(), 0.0f);

    // A gate that falls in the attack releases from the level reached, in
    // the release time.
    Envelope early;
    levels = run(early, layer, 1.0f, 0.5f, 1.0f, 50, 0.0f, 400, tpm);
    EXPECT_NEAR(levels[50], 49.0f / stage, 1e-5);
    EXPECT_NEAR(firstTickAt(levels, 0.0f, 50) - 50, stage, 1.0);

    // The master re-opened in its release climbs on from where it stands.
    Envelope master(Envelope::Kind::Master);
    const EnvelopeTimes masterTimes = masterEnvelopeTimes(0.05f, 0.05f);  // 100 ms and 200 ms
    levels = run(master, masterTimes, 1.0f, 1.0f, 1.0f, 400, 0.0f, 700, tpm);
    const float reopenedAt = levels.back();
    ASSERT_GT(reopenedAt, 0.1f);
    float previous = reopenedAt;
    for (int i = 0; i < 300; ++i) {
        master.tick(1.0f, 1.0f, 1.0f, masterTimes, tpm);
        ASSERT_GE(master.getLevel(), previous);
        previous = master.getLevel();
    }
    EXPECT_EQ(previous, 1.0f);

    // The kick's gates 1 and 2 are both "on", and each change is an edge.
    Envelope kick;
    for (float gate : {1.0f, 2.0f, 1.0f}) {
        kick.tick(gate, 1.0f, 0.0f, kickAmplitudeTimes(), tpm);
        EXPECT_EQ(kick.getLevel(), 1.0f);
        for (int i = 0; i < 500; ++i) kick.tick(gate, 1.0f, 0.0f, kickAmplitudeTimes(), tpm);
        EXPECT_EQ(kick.getLevel(), 0.0f);
    }
}

// The filter follows its envelope through a 3 ms glide, at every rate.
TEST(Envelope, FilterGlideTakesThreeMilliseconds) {
    for (float rate : {44100.0f, 96000.0f}) {
        const float glide = 3.0f * EngineTestContext(rate).ticksPerMs();
        LayerFilter filter;
        VoiceValues gates{};
        gates[2] = 1.0f;
        int ticks = 0;
        for (; filter.laneEnvelope(2) < 1.0f && ticks < 100; ++ticks) {
            filter.tickEnvelopes(gates, filterEnvelopeTimes(0.0f, 0.5f, 1.0f, 0.5f), glide / 3.0f);
            if (filter.laneEnvelope(2) < 1.0f) {
                EXPECT_NEAR(filter.laneEnvelope(2), (ticks + 1) / glide, 1e-5);
            }
        }
        EXPECT_EQ(ticks, int(std::ceil(glide)));
        EXPECT_EQ(filter.sharedEnvelope(), 1.0f);
        EXPECT_EQ(filter.laneEnvelope(0), 0.0f);
    }
}

}  // namespace
