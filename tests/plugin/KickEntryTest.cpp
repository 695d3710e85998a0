// The kick as the host's clock drives it: on the host's beats at every tempo
// and rate (below 45 bpm too, where the engine's own tempo stops), without
// a one-sample step where a phrase strikes again on a beat, and from zero
// where a phrase starts after silence or off the beat.  The layers hold no
// instrument here: the output is the kick through the master gain.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "RenderDriver.h"
#include "support/AudioMeasure.h"

namespace {

// Own clock (the master envelope opens while a key is held), no attack, a
// release of a second, the kick at level 1 on the host's beats.  One block
// with the transport stopped hands the values to the engine; the host then
// plays from beat 0.
void kickSetUp(RenderDriver& d, float rate, double tempo) {
    BWUniClient& c = *d.instance;
    c.setSampleRate(rate);
    for (auto [index, value] : {std::pair<int32_t, float>{Tag::Clocksource, 0.0f}, {Tag::ChordSelect, 1.0f},
                                {Tag::MasterLevel, 0.5f}, {Tag::MasterAttack, 0.0f}, {Tag::MasterRelease, 0.25f},
                                {Tag::KickLevel, 0.5f}, {Tag::KickTone, 0.3f}, {Tag::RunSwitch, 0.0f}})
        c.setParameter(index, value);
    d.rate = rate;
    d.time.tempo = tempo;
    d.run({}, 512, 512);
    d.playing = true;
    d.playStart = d.position;
}

constexpr int64_t kStopped = 512;  // the block before the host plays

int64_t sampleOfBeat(double beat, float rate, double tempo) { return kStopped + std::llround(beat * 60.0 * rate / tempo); }

// The largest step from one sample to the next in n samples from `from`.
float largestStep(const std::vector<float>& x, size_t from, size_t n) {
    float largest = 0.0f;
    for (size_t i = std::max<size_t>(from, 1); i < std::min(x.size(), from + n); ++i)
        largest = std::max(largest, std::fabs(x[i] - x[i - 1]));
    return largest;
}

}  // namespace

// A chord struck on the first beat, let go half a beat later, and struck
// again on the second, in host blocks of 512: the kick restarts with the
// phrase in the same tick, so the master gain that comes back finds it at
// its zero: up to the stroke's second sample nothing moves but the DC
// blocker's slow tail.  (Below 45 bpm the song position ran ahead
// of the host's by part of a block, the stroke started ticks before the
// phrase, and the gain lifted it mid-cycle: a step of up to a fifth of full
// scale.)
TEST(KickEntry, NoStepOnTheBeatAtAnyTempoAndRate) {
    for (float rate : {22050.0f, 44100.0f, 96000.0f, 192000.0f}) {
        for (double tempo : {30.0, 40.0, 60.0, 120.0, 300.0}) {
            SCOPED_TRACE(std::to_string(int(rate)) + " Hz, " + std::to_string(int(tempo)) + " bpm");
            RenderDriver d;
            kickSetUp(d, rate, tempo);
            const std::vector<MidiAt> script = {noteOnAt(sampleOfBeat(1.0, rate, tempo), 60),
                                                noteOffAt(sampleOfBeat(1.5, rate, tempo), 60),
                                                noteOnAt(sampleOfBeat(2.0, rate, tempo), 64)};
            std::vector<float> audio(kStopped);
            d.run(script, sampleOfBeat(2.6, rate, tempo) - d.position, 512, &audio);
            for (double beat : {1.0, 2.0}) {
                const size_t at = size_t(sampleOfBeat(beat, rate, tempo));
                const size_t tick = kStopped + (at - kStopped + 15) / 16 * 16;  // where the beat's tick starts
                // From 20 ms before the beat to the stroke's second sample only
                // the DC blocker's slow tail moves.
                EXPECT_LT(largestStep(audio, at - size_t(rate / 50), tick + 2 - (at - size_t(rate / 50))), 0.01f) << beat;
                EXPECT_GT(*std::max_element(audio.begin() + long(at), audio.begin() + long(at + rate / 20)), 0.3f) << beat;
            }
        }
    }
}

// A phrase that starts between beats, fresh and after the engine fell
// silent: nothing sounds until the next beat (the stroke under way when the
// master gain came up is not heard from its middle), and the kick comes in
// there from zero.  Before, the first sample of such a phrase stood at up
// to 0.2.
TEST(KickEntry, APhraseOffTheBeatStartsFromZero) {
    for (float rate : {44100.0f, 96000.0f}) {
        constexpr double kTempo = 120.0;
        SCOPED_TRACE(rate);
        RenderDriver d;
        kickSetUp(d, rate, kTempo);
        // 0.1 beat in: the first beat's stroke is under way; 12.05: after
        // the engine fell silent, just past a beat.
        const double starts[] = {0.1, 12.05};
        const std::vector<MidiAt> script = {noteOnAt(sampleOfBeat(starts[0], rate, kTempo), 60),
                                            noteOffAt(sampleOfBeat(1.5, rate, kTempo), 60),
                                            noteOnAt(sampleOfBeat(starts[1], rate, kTempo), 62)};
        std::vector<float> audio(kStopped);
        const auto still = [&] {  // the events not sent yet
            std::vector<MidiAt> later;
            for (const MidiAt& m : script)
                if (m.sample >= d.position) later.push_back(m);
            return later;
        };
        d.run(still(), sampleOfBeat(3.0, rate, kTempo) - d.position, 512, &audio);
        EXPECT_FALSE(d.instance->renderState().silent);
        d.run(still(), sampleOfBeat(12.0, rate, kTempo) - d.position, 512, &audio);
        EXPECT_TRUE(d.instance->renderState().silent);  // four beats below the threshold
        d.run(still(), sampleOfBeat(13.6, rate, kTempo) - d.position, 512, &audio);
        for (double start : starts) {
            const size_t from = size_t(sampleOfBeat(start, rate, kTempo));
            const size_t beat = size_t(sampleOfBeat(std::ceil(start), rate, kTempo));
            for (size_t i = from; i < beat; ++i) ASSERT_EQ(audio[i], 0.0f) << "beat " << start << ", sample " << i - from;
            const size_t heard = firstSoundAfter(audio, beat, 0.0f);
            ASSERT_LT(heard - beat, 16u) << start;  // with the beat's tick
            EXPECT_LT(std::fabs(audio[heard]), 0.005f) << start;
            EXPECT_GT(*std::max_element(audio.begin() + long(beat), audio.begin() + long(beat) + long(rate) / 20), 0.1f)
                << start;
        }
    }
}

// The kick's body (its base note 16 to 26 Hz) is as loud at every rate as at
// 44.1 kHz: the level 80 to 120 ms into each of three strokes within 1 dB.
// The output's DC blocker keeps its corner near 14 Hz at every rate; with
// its pole fixed the body came out 2 dB quieter at 96 kHz and 5 dB at 192.
TEST(KickEntry, TheBodyIsAsLoudAtEveryRate) {
    constexpr double kTempo = 120.0;
    const auto bodies = [&](float rate) {
        RenderDriver d;
        kickSetUp(d, rate, kTempo);
        std::vector<float> audio(kStopped);
        d.run({noteOnAt(sampleOfBeat(1.0, rate, kTempo), 36)}, sampleOfBeat(4.0, rate, kTempo) - d.position, 512, &audio);
        std::vector<double> levels;
        for (double beat : {1.0, 2.0, 3.0}) {
            const size_t at = size_t(sampleOfBeat(beat, rate, kTempo));
            levels.push_back(levelShape(audio, at + size_t(0.080 * rate), rate, 0.040, 1).front());
        }
        return levels;
    };
    const std::vector<double> reference = bodies(44100.0f);
    for (float rate : {48000.0f, 96000.0f, 192000.0f}) {
        const std::vector<double> levels = bodies(rate);
        for (size_t stroke = 0; stroke < levels.size(); ++stroke)
            EXPECT_NEAR(levels[stroke], reference[stroke], 1.0) << rate << " Hz, stroke " << stroke + 1;
    }
}
