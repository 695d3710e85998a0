// The block render frame through the offline driver, and the output stages
// by measurement.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>

#include "RenderDriver.h"
#include "persistence/MidiFileWriter.h"
#include "platform/DenormalGuard.h"

namespace {

// Own clock, chords from the keys, three layers on every trigger, swing on,
// mixed step types and arpeggio directions on pattern 0; master gain 1 with
// no attack, the kick at level 1.
void playSetUp(BWUniClient& c) {
    for (auto [index, value] : {std::pair<int32_t, float>{Tag::Clocksource, 0.0f}, {Tag::ChordSelect, 1.0f},
                                {Tag::Swingfactor, 0.3f}, {Tag::MasterLevel, 0.5f}, {Tag::MasterAttack, 0.0f},
                                {Tag::KickLevel, 0.5f}}) {
        c.setParameter(index, value);
    }
    for (int layer = 0; layer < 3; ++layer) {
        c.setParameter(Tag::Osc1Sound + layer, 1.0f);
        c.setParameter(Tag::Osc1TrigEach + Tag::LayerStride * layer, 0.0f);
    }
    for (uint64_t step = 0; step < 32; ++step) {
        c.patterns().stepLine(0).setStepOnLine(0, step, float(step % 4));
        c.patterns().stepLine(1).setStepOnLine(0, step, float(step % 3));
    }
}

const std::vector<MidiAt> kScript = {noteOnAt(1000, 60), noteOnAt(1003, 64), noteOnAt(1017, 67),
                                     noteOffAt(30001, 64), noteOnAt(30001, 72), noteOffAt(45000, 72),
                                     noteOnAt(60123, 62), noteOnAt(60123, 65), noteOffAt(80000, 62)};

}  // namespace

// Ticks run on across host blocks: the same input gives the same notes at
// the same samples and the same audio, bit for bit, in blocks of any size,
// the master envelope opening and closing included (its gain ramps through
// each tick, not across the host's block).  No audio call allocates.
TEST(RenderFrame, BlockSizeChangesNothingAndNothingAllocates) {
    std::vector<MidiAt> reference;
    std::vector<float> referenceAudio;
    for (int32_t block : {4096, 1, 7, 64, 137, 512, 16}) {
        RenderDriver d;
        playSetUp(*d.instance);
        d.instance->setParameter(Tag::MasterAttack, 0.02f);  // 40 ms: a ramp of many ticks
        std::vector<float> audio;
        d.run(kScript, 22 * 4096, block, &audio);
        d.time.tempo = 97.0;  // the refresh after a tempo change, on the audio thread
        d.run({}, 4096, block, &audio);
        EXPECT_EQ(d.allocations, 0u) << block;
        if (reference.empty()) {
            reference = d.sent;
            referenceAudio = audio;
            ASSERT_GT(reference.size(), 20u);
        }
        EXPECT_EQ(d.sent, reference) << "block " << block;
        ASSERT_GT(*std::max_element(audio.begin(), audio.end()), 0.1f);  // the kick
        EXPECT_TRUE(audio == referenceAudio) << block;
    }
}

// A host that runs its audio thread with denormals flushed and one that
// does not hear the same audio to the bit, and each finds its own
// floating-point mode unchanged after the blocks.
TEST(RenderFrame, SameAudioWhateverTheHostsFloatingPointModeAndTheModeKept) {
    constexpr unsigned kFlush = platform::DenormalGuard::kFlushBits;
    constexpr unsigned kStatusFlags = 0x3Fu;  // the arithmetic's sticky flags, not the mode
    const unsigned original = _mm_getcsr();
    std::vector<float> reference;
    for (const unsigned hostMode : {original & ~kFlush, original | kFlush}) {
        RenderDriver d;
        playSetUp(*d.instance);
        std::vector<float> audio;
        _mm_setcsr(hostMode);
        d.run(kScript, 20 * 4096, 64, &audio);
        const unsigned after = _mm_getcsr();
        _mm_setcsr(original);
        EXPECT_EQ(after & ~kStatusFlags, hostMode & ~kStatusFlags) << std::hex << hostMode;
        ASSERT_GT(*std::max_element(audio.begin(), audio.end()), 0.1f);
        if (reference.empty()) reference = audio;
        EXPECT_TRUE(audio == reference) << std::hex << hostMode;
    }
}

TEST(RenderFrame, TransportAndTempoFollowTheHost) {
    // Below 45 bpm runs at 45; 500 and above leaves the tempo.
    for (auto [tempo, expected] : {std::pair{30.0, 45.0}, {90.0, 90.0}, {499.0, 499.0}, {500.0, 120.0}, {600.0, 120.0}}) {
        RenderDriver d;
        d.time.tempo = tempo;
        d.run({}, 64, 64);
        EXPECT_DOUBLE_EQ(d.instance->getSystemInfo()->tempo, expected) << tempo;
        EXPECT_EQ(d.instance->audioEngine().silenceWindow(), int32_t(4 * 44100 * 60 / expected)) << tempo;
    }
    // After a block from 8.0 (or 7.97), the host reports a position for the
    // next block of 512 samples (512/22050 beats): a bar back jumps; 0.3 beat
    // of jitter does not, the engine meets the host at the block's end; a
    // cycle 4..8 reached after 150 samples goes on from 4.
    constexpr double b = 512 / 22050.0;
    constexpr int32_t cycle = TimeInfoFlags::CycleActive | TimeInfoFlags::CyclePositionsValid;
    for (auto [start, host, flags, expected] : {std::tuple{8.0, 4.0, 0, 4.0 + b}, {8.0, 8.3 + b, 0, 8.3 + 2 * b},
                                                {7.97, 7.97 + b, cycle, 4.0 + 362 / 22050.0}}) {
        RenderDriver d;
        d.playing = true;
        d.ppqStart = start;
        d.run({}, 512, 512);
        d.time.cycleStartPos = 4.0;
        d.time.cycleEndPos = 8.0;
        d.extraFlags = flags;
        d.ppqStart = host;
        d.playStart = d.position;
        d.run({}, 512, 512);
        EXPECT_NEAR(d.instance->getSystemInfo()->positionBeats, expected, 1e-6) << host;
    }
}

// The master envelope in ticks: attack 2000 v ms, release 4000 v ms; T = t
// × ticks per ms, full at the first whole tick past T.  At 96 kHz the float
// ticks per ms (96000 × 0.001 / 16) lie just above 6, so T just above 6000.
TEST(RenderFrame, MasterEnvelopeTimesInTicks) {
    for (auto [rate, attack, release, attackTicks, releaseTicks] :
         {std::tuple{44100.0f, 0.5f, 0.25f, 2757, 2757}, {96000.0f, 0.5f, 0.25f, 6001, 6001}, {44100.0f, 0.0f, 0.0f, 0, 1}}) {
        RenderDriver d;
        BWUniClient& c = *d.instance;
        c.setSampleRate(rate);
        c.setParameter(Tag::MasterAttack, attack);
        c.setParameter(Tag::MasterRelease, release);
        c.setParameter(Tag::RunSwitch, 1.0f);
        int32_t rising = 0, falling = 0;
        tickByTick(d, attackTicks + 2, [&](int32_t) { rising += c.renderState().master.getLevel() < 1.0f; });
        c.setParameter(Tag::RunSwitch, 0.0f);
        tickByTick(d, releaseTicks + 2, [&](int32_t) { falling += c.renderState().master.getLevel() > 0.0f; });
        EXPECT_EQ(rising, attackTicks) << rate;
        EXPECT_EQ(falling, releaseTicks) << rate;
    }
}

// Four beats below the threshold make the engine silent ("NoSilentOpt"
// keeps it awake); a note-on ends it, and so does a sequencer trigger while
// the host plays with no key held.
TEST(RenderFrame, SilenceAfterFourBeats) {
    for (bool optimise : {true, false}) {
        RenderDriver d(!optimise);
        d.run({}, 88200 - 512, 512);
        EXPECT_FALSE(d.instance->renderState().silent);
        d.run({}, 1024, 512);
        EXPECT_EQ(d.instance->renderState().silent, optimise);
        d.run({noteOnAt(d.position, 60)}, 512, 512);
        EXPECT_FALSE(d.instance->renderState().silent);
    }
    RenderDriver d;
    BWUniClient& c = *d.instance;
    for (auto [index, value] : {std::pair<int32_t, float>{Tag::Clocksource, 1.0f}, {Tag::Osc1Sound, 1.0f},
                                {Tag::Osc1TrigEach, 0.0f}, {Tag::Osc1KeyB, 1.0f}, {Tag::KickLevel, 0.0f}}) {
        c.setParameter(index, value);
    }
    c.patterns().eventTable.setValueOnPage(40, c.patterns().eventTable.getCurrentPage(), 1.0f);
    for (uint64_t step = 0; step < 32; ++step) {
        c.patterns().gateTable.setValueOnPage(step, 0, 0.0f);
        c.patterns().stepLine(0).setStepOnLine(0, step, 1.0f);
    }
    d.playing = true;
    d.run({}, 88200 * 2, 512);
    ASSERT_TRUE(c.renderState().silent);
    for (uint64_t step = 0; step < 32; ++step) c.patterns().gateTable.setValueOnPage(step, 0, 1.0f);
    d.run({}, 22050, 512);
    EXPECT_FALSE(c.renderState().silent);
    EXPECT_FALSE(d.sent.empty());
}

// While the GUI holds the engine nothing advances and queued events wait;
// while the MIDI export drives it, the host hears silence and the notes go
// to the export's file writer.
TEST(RenderFrame, HeldEngineAndOfflineExport) {
    RenderDriver d;
    BWUniClient& c = *d.instance;
    c.engineHold().raise();
    d.run({noteOnAt(10, 60)}, 1024, 256);
    EXPECT_EQ(c.audioEngine().eventQueue().pending(), 1);
    c.engineHold().release();
    d.run({}, 64, 64);
    EXPECT_EQ(c.audioEngine().eventQueue().pending(), 0);

    for (auto [index, value] : {std::pair<int32_t, float>{Tag::Clocksource, 0.0f}, {Tag::ChordSelect, 1.0f},
                                {Tag::Osc1Sound, 1.0f}, {Tag::Osc1TrigEach, 0.0f}}) c.setParameter(index, value);
    MidiFileWriter writer(120, 8.0, 960);
    RenderState& r = c.renderState();
    r.exportWriter = &writer;
    r.ownTransport.store(true);
    r.skipAudio.store(true);
    std::vector<float> left(16, 1.0f);
    float* outputs[2] = {left.data(), left.data()};
    c.processReplacing(outputs, outputs, 16);
    EXPECT_EQ(left[0], 0.0f);
    d.sent.clear();
    for (int tick = 0; tick < 2000; ++tick, r.ownTimeInfo.ppqPos += 16 / 22050.0) c.processBlock(outputs, 16);
    EXPECT_TRUE(d.sent.empty());
    EXPECT_EQ(writer.countTracks(), 1);
}

// The DC blocker works four samples a step but stays its one-pole: against
// the recursion in double precision within a millionth of the signal,
// however the host cuts the blocks, one channel or two; a held offset
// falls to 1/e in 500 samples at 44.1 kHz, and in the same time (its
// corner stays near 14 Hz) at every rate.
TEST(OutputStages, DcBlockerFollowsItsRecursionInAnyCut) {
    constexpr int32_t kSamples = 2000;
    std::vector<float> in(kSamples);
    std::vector<double> want(kSamples);
    double x1 = 0.0, y1 = 0.0;
    for (int32_t i = 0; i < kSamples; ++i) {
        in[size_t(i)] = 0.5f + 0.4f * std::sin(0.05f * float(i)) * std::sin(0.0013f * float(i));
        want[size_t(i)] = y1 = in[size_t(i)] - x1 + double(DcBlocker::kPole) * y1;
        x1 = in[size_t(i)];
    }
    for (int32_t cut : {1, 3, 4, 7, 16, 64, 513, kSamples}) {
        std::vector<float> mono = in, left = in, right = in;
        DcBlocker one, l, r;
        for (int32_t from = 0; from < kSamples; from += cut) {
            const int32_t n = std::min(cut, kSamples - from);
            one.run(&mono[size_t(from)], n);
            DcBlocker::runPair(l, r, &left[size_t(from)], &right[size_t(from)], n);
        }
        for (int32_t i = 0; i < kSamples; ++i) {
            ASSERT_NEAR(mono[size_t(i)], want[size_t(i)], 1e-6) << cut << " " << i;
            ASSERT_EQ(left[size_t(i)], mono[size_t(i)]) << cut << " " << i;
            ASSERT_EQ(right[size_t(i)], mono[size_t(i)]) << cut << " " << i;
        }
    }
    EXPECT_EQ(DcBlocker::poleAt(44100.0f), DcBlocker::kPole);
    for (float rate : {22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f}) {
        DcBlocker held;
        held.setRate(rate);
        const auto timeConstant = size_t(std::lround(500.0 * rate / 44100.0));  // 11.3 ms
        std::vector<float> offset(timeConstant + 1, 1.0f);
        held.run(offset.data(), int32_t(offset.size()));
        EXPECT_NEAR(offset[timeConstant], std::exp(-1.0), 0.01) << rate;
    }
}

// The output stages' one pass is the gain, the meters and the blocker in
// turn, to the bit: at rest at 1, held, ramping up or down from any place
// in the tick, from a blocker at rest or running, in spans of any length,
// past a NaN and a negative peak, and with one buffer for both channels.
TEST(OutputStages, OnePassEndsTheBlockAsTheStagesInTurn) {
    struct Case {
        float current, target;
        int32_t n, first;
        bool mono;
    };
    const Case cases[] = {{1.0f, 1.0f, 512, 0, false}, {0.7f, 0.7f, 512, 0, false}, {0.2f, 0.9f, 16, 0, false},
                          {0.9f, 0.3f, 13, 3, false},  {0.5f, 0.6f, 1, 15, false},  {0.4f, 0.4f, 0, 0, false},
                          {0.3f, 0.8f, 11, 5, true},   {1.0f, 1.0f, 33, 0, true},   {1.0f, 1.0f, 19, 0, false},
                          {0.7f, 0.7f, 14, 2, false},  {1.0f, 1.0f, 3, 0, false},   {0.6f, 0.6f, 4, 0, false}};
    for (const Case& c : cases) {
        for (bool running : {false, true}) {
            std::vector<float> left(size_t(c.n) + 1), right(size_t(c.n) + 1);
            for (int32_t i = 0; i < c.n; ++i) {
                left[size_t(i)] = 0.3f + 0.6f * std::sin(0.07f * float(i));
                right[size_t(i)] = -0.2f + 0.7f * std::cos(0.05f * float(i));
            }
            if (c.n > 9) left[9] = std::nanf(""), right[c.n - 1] = -1.3f;
            TickRamp gain;
            gain.target = c.current;
            gain.moveTo(c.target, 1.0f / 16.0f);
            DcBlocker stages[2], fused[2];
            if (running) stages[0] = fused[0] = {0.25f, -0.125f}, stages[1] = fused[1] = {-0.5f, 0.0625f};
            std::vector<float> wantLeft = left, wantRight = c.mono ? left : right;
            float* want[2] = {wantLeft.data(), c.mono ? wantLeft.data() : wantRight.data()};
            float* got[2] = {left.data(), c.mono ? left.data() : right.data()};
            rampGain(want[0], want[1], c.n, gain, c.first);
            const float peaks[2] = {peakOf(want[0], c.n), peakOf(want[1], c.n)};
            DcBlocker::runPair(stages[0], stages[1], want[0], want[1], c.n);
            const OutputEnd end = gainMeterAndBlockDc(fused[0], fused[1], got[0], got[1], c.n, gain, c.first);
            const std::string at = std::to_string(c.n) + (c.mono ? " mono" : "") + (running ? " running" : "");
            EXPECT_EQ(end.peakLeft, peaks[0]) << at;
            EXPECT_EQ(end.peakRight, peaks[1]) << at;
            EXPECT_EQ(std::memcmp(got[0], want[0], sizeof(float) * size_t(c.n)), 0) << at;
            EXPECT_EQ(std::memcmp(got[1], want[1], sizeof(float) * size_t(c.n)), 0) << at;
            EXPECT_EQ(std::memcmp(fused, stages, sizeof stages), 0) << at;
        }
    }
}

TEST(OutputStages, DcBlockerGainRampPeakBypassFadeAndLights) {
    DcBlocker dc;
    std::vector<float> x = {1, 1, 1, 1, 0};
    dc.run(x.data(), 5);
    for (auto [i, y] : {std::pair{0, 1.0f}, {1, 0.998f}, {2, 0.996004f}, {3, 0.994012f}, {4, -0.00798f}}) {
        EXPECT_NEAR(x[i], y, 1e-5) << i;
    }
    // A tick's gain from 0 to 1, the first sample one step on, met in two
    // spans: each sample's gain is its place in the tick.
    TickRamp rising;
    rising.moveTo(1.0f, 1.0f / 16.0f);
    std::vector<float> ramp(16, 1.0f), right(16, 1.0f);
    rampGain(ramp.data(), right.data(), 5, rising, 0);
    rampGain(ramp.data() + 5, right.data() + 5, 11, rising, 5);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(ramp[size_t(i)], float(i + 1) / 16.0f) << i;
    rising.moveTo(1.0f, 1.0f / 16.0f);  // the next tick holds it
    EXPECT_TRUE(rising.steady());
    const float signal[] = {0.1f, -0.75f, 0.5f};
    EXPECT_EQ(peakOf(signal, 3), 0.75f);  // the magnitude, also of a negative peak
    // Wherever the peak lies in a longer block (the vector part or the
    // tail), and past a NaN.
    for (int at : {0, 5, 8, 15, 16, 18}) {
        std::vector<float> block(19, 0.25f);
        block[3] = std::nanf("");
        block[size_t(at)] = -0.9f;
        EXPECT_EQ(peakOf(block.data(), 19), 0.9f) << at;
    }

    // One fade through both rates: a rate that moves gives the next fade
    // its own length.
    BypassFade fade;
    for (auto [rate, samples] : {std::pair{44100.0f, 441}, {96000.0f, 960}}) {
        fade.setRate(rate);
        fade.follow(true);
        std::vector<float> l(2048, 1.0f);
        fade.run(l.data(), l.data(), 2048);
        EXPECT_NEAR(std::find(l.begin(), l.end(), 0.0f) - l.begin(), samples, 1) << rate;  // 10 ms
        fade.follow(false);
        std::fill(l.begin(), l.end(), 1.0f);
        fade.run(l.data(), l.data(), 2048);
        EXPECT_EQ(l[samples + 1], 1.0f) << rate;
        EXPECT_LT(l[samples - 2], 1.0f) << rate;
    }

    // A light at 44.1 kHz (2.75625 ticks a ms): 200 ms full, 400 ms down to
    // its voice's value, 400 ms out after the voice; the latch holds 600 ms.
    ActivityLight light;
    light.source = 0.7f;
    light.gate = 1.0f;
    int32_t full = 0, toValue = 0, out = 0, latched = 0;
    for (int t = 0; t < 4000; ++t) {
        light.tick(t < 2000 ? 0.5f : 0.0f, 2.75625f);
        full += light.brightness == 1.0f;
        toValue += t < 2000 && light.brightness > 0.5f;
        out += t >= 2000 && light.brightness > 0.0f;
        latched += light.latched == 0.7f;
        if (t == 1999) {
            EXPECT_EQ(light.display, 0.5f * 255.0f);
        }
    }
    EXPECT_EQ(full, 552);
    EXPECT_NEAR(toValue, 552 + 1103, 1);
    EXPECT_NEAR(out, 1103, 1);
    EXPECT_NEAR(latched, 1654, 1);
}

// A note-off that finds the block full goes out first in the next block.
TEST(OutputStages, MidiOutputCarriesNoteOffsItCannotWrite) {
    MidiOutput out;
    for (int i = 0; i < MidiOutput::kCapacity; ++i) EXPECT_TRUE(out.noteOn(2, i % 128, 100, i));
    EXPECT_FALSE(out.noteOn(2, 1, 100, 300));
    EXPECT_FALSE(out.noteOff(3, 61, 300));
    EXPECT_EQ(out.takeBlock()->numEvents, 256);
    out.sendCarried();
    const VstEvents* block = out.takeBlock();
    ASSERT_EQ(block->numEvents, 1);
    const auto* carried = reinterpret_cast<const VstMidiEvent*>(block->events[0]);
    EXPECT_EQ(std::vector<int>({uint8_t(carried->midiData[0]), carried->midiData[1], carried->deltaFrames}),
              std::vector<int>({0x83, 61, 0}));
}
