// The block render frame through the offline driver: block-size
// independence, real-time discipline, transport and tempo, the master
// envelope, the silence optimisation, the gates; and the output stages and
// MIDI output by measurement.

#include <gtest/gtest.h>

#include <tuple>

#include "RenderDriver.h"
#include "persistence/MidiFileWriter.h"
#include "support/AllocationCounter.h"

namespace {

void playSetUp(ProbedClient& c) {
    c.setParameter(276, 0.0f);
    c.setParameter(74, 1.0f);
    c.setParameter(77, 0.3f);  // swing on: odd steps through the delay line
    for (int layer = 0; layer < 3; ++layer) {
        c.setParameter(341 + layer, 1.0f);
        c.setParameter(9 + 11 * layer, 0.0f);
    }
    for (uint64_t step = 0; step < 32; ++step) {
        c.patterns().stepLine(0).setStepOnLine(0, step, float(step % 4));
        c.patterns().stepLine(1).setStepOnLine(0, step, float(step % 3));
    }
}

}  // namespace

// Ticks run on across host blocks: the same input gives the same notes at
// the same samples in blocks of any size, and the same audio in blocks that
// are multiples of the tick (once the master ramp, which follows the host
// block, has settled).
TEST(RenderFrame, BlockSizeChangesNothing) {
    const std::vector<MidiAt> script = {noteOnAt(1000, 60), noteOnAt(1003, 64), noteOnAt(1017, 67),
                                        noteOffAt(30001, 64), noteOnAt(30001, 72), {45000, 0xB0, 123, 0},
                                        noteOnAt(60123, 62), noteOnAt(60123, 65), noteOffAt(80000, 62)};
    const int64_t total = 88200;
    std::vector<MidiAt> reference;
    std::vector<float> referenceAudio;
    for (int32_t block : {4096, 1, 7, 64, 137, 512, 16}) {
        RenderDriver d;
        playSetUp(*d.instance);
        d.instance->setParameter(0, 0.5f);  // master gain 1
        std::vector<float> audio;
        d.run(script, total, block, &audio);
        if (reference.empty()) {
            reference = d.sent;
            referenceAudio = audio;
            ASSERT_GT(reference.size(), 20u);
            continue;
        }
        EXPECT_EQ(d.sent, reference) << "block " << block;
        if (block % 16 == 0) {
            EXPECT_TRUE(std::equal(audio.begin() + 4096, audio.end(), referenceAudio.begin() + 4096)) << block;
        }
    }
}

TEST(RenderFrame, ProcessReplacingAllocatesNothing) {
    RenderDriver d;
    ProbedClient& c = *d.instance;
    playSetUp(c);
    c.learnMap().targets().push_back({17, 0});  // learned by the first controller
    std::vector<VstMidiEvent> midi(6);
    const uint8_t messages[6][3] = {{0x90, 60, 100}, {0x90, 67, 90}, {0xB0, 7, 64}, {0xE0, 0, 64},
                                    {0xD0, 30, 0}, {0xB0, 64, 127}};
    std::vector<VstEvent*> pointers;
    for (int i = 0; i < 6; ++i) {
        midi[i] = {};
        midi[i].type = kVstMidiType;
        midi[i].byteSize = sizeof(VstMidiEvent);
        midi[i].deltaFrames = 5 * i;
        for (int b = 0; b < 3; ++b) midi[i].midiData[b] = char(messages[i][b]);
    }
    std::vector<char> list(sizeof(VstEvents) + 8 * sizeof(VstEvent*));
    auto* events = reinterpret_cast<VstEvents*>(list.data());
    events->numEvents = 6;
    for (int i = 0; i < 6; ++i) events->events[i] = reinterpret_cast<VstEvent*>(&midi[i]);
    std::vector<float> left(512), right(512);
    float* outputs[2] = {left.data(), right.data()};
    d.sent.reserve(100000);
    size_t allocations = 0;
    for (int block = 0; block < 400; ++block) {
        d.time.tempo = block < 200 ? 120.0 : 97.0;  // a tempo change on the audio thread
        d.playing = block >= 100;
        d.time.flags = d.playing ? TimeInfoFlags::TransportPlaying : 0;
        d.time.ppqPos = d.playing ? (block - 100) * 512 / 22050.0 : 0.0;
        AllocationCounter counter;
        if (block == 3) c.processEvents(events);
        c.processReplacing(outputs, outputs, 512);
        allocations += counter.count();
        d.position += 512;
    }
    EXPECT_EQ(allocations, 0u);
    EXPECT_FALSE(d.sent.empty());
    EXPECT_EQ(c.learnMap().controller(7).size(), 1u);
    EXPECT_DOUBLE_EQ(c.getSystemInfo()->tempo, 97.0);
}

// Tempo: below 45 runs at 45, 500 and above leaves the tempo; position
// jumps, jitter and cycles as the host reports them.
TEST(RenderFrame, TransportAndTempoFollowTheHost) {
    for (auto [tempo, expected] : {std::pair{30.0, 45.0}, {90.0, 90.0}, {499.0, 499.0}, {500.0, 120.0}, {600.0, 120.0}}) {
        RenderDriver d;
        d.time.tempo = tempo;
        d.run({}, 64, 64);
        EXPECT_DOUBLE_EQ(d.instance->getSystemInfo()->tempo, expected) << tempo;
        if (expected != 120.0) {
            EXPECT_EQ(d.instance->silenceWindow(), int32_t(4 * 44100 * 60 / expected)) << tempo;
        }
    }
    struct Case {
        double host;       // position the host reports for the second block
        int32_t flags;
        double expected;   // engine position after the second block of 512
    } cases[] = {
        {8.0 - 4.0, 0, 4.0 + 512 / 22050.0},                  // a bar back: jumps
        // 0.3 beat of jitter: no jump; the engine meets the host at the block end
        {8.0 + 512 / 22050.0 + 0.3, 0, 8.3 + 2 * 512 / 22050.0},
    };
    for (const Case& c : cases) {
        RenderDriver d;
        d.playing = true;
        d.ppqStart = 8.0;
        d.run({}, 512, 512);
        d.time.cycleStartPos = 4.0;
        d.time.cycleEndPos = 8.0;
        d.extraFlags = c.flags;
        d.ppqStart = c.host;
        d.playStart = d.position;
        d.run({}, 512, 512);
        EXPECT_NEAR(d.instance->getSystemInfo()->positionBeats, c.expected, 1e-6) << c.host;
    }
    // A cycle from beat 4 to 8: the block that reaches 8 (after 150 of its
    // 512 samples) goes on from 4.
    RenderDriver d;
    d.playing = true;
    d.ppqStart = 7.97;
    d.run({}, 512, 512);
    d.time.cycleStartPos = 4.0;
    d.time.cycleEndPos = 8.0;
    d.extraFlags = TimeInfoFlags::CycleActive | TimeInfoFlags::CyclePositionsValid;
    d.ppqStart = 7.97 + 512 / 22050.0;
    d.playStart = d.position;
    d.run({}, 512, 512);
    EXPECT_NEAR(d.instance->getSystemInfo()->positionBeats, 4.0 + 362 / 22050.0, 1e-6);
}

// The master envelope in ticks: attack 2000 v ms and release 4000 v ms at
// the rate's ticks per millisecond.
TEST(RenderFrame, MasterEnvelopeTimesInTicks) {
    struct Case {
        float rate;
        float attack;
        float release;
        // Ticks below full level from the gate's tick on, and above 0 from
        // the release's: T = 1000 ms × ticks per ms, reached at the first
        // whole tick past T.  At 96 kHz the float ticks per ms (96000 ×
        // 0.001 / 16) come out just above 6, so T lies just above 6000.
        int32_t attackTicks;
        int32_t releaseTicks;
    } cases[] = {{44100.0f, 0.5f, 0.25f, 2757, 2757}, {96000.0f, 0.5f, 0.25f, 6001, 6001},
                 {44100.0f, 0.0f, 0.0f, 0, 1}};
    for (const Case& c : cases) {
        RenderDriver d;
        ProbedClient& client = *d.instance;
        client.setSampleRate(c.rate);
        client.setParameter(1, c.attack);
        client.setParameter(2, c.release);
        client.setParameter(279, 1.0f);
        int32_t rising = 0, falling = 0;
        tickByTick(d, c.attackTicks + 2, [&](int32_t) { rising += client.renderState().master.getLevel() < 1.0f; });
        client.setParameter(279, 0.0f);
        tickByTick(d, c.releaseTicks + 2, [&](int32_t) { falling += client.renderState().master.getLevel() > 0.0f; });
        EXPECT_EQ(rising, c.attackTicks) << c.rate;
        EXPECT_EQ(falling, c.releaseTicks) << c.rate;
    }
}

// Four beats below the threshold make the engine silent; a note-on, a
// transport start or a sequencer trigger end it; "NoSilentOpt" keeps it
// awake.
TEST(RenderFrame, SilenceAfterFourBeats) {
    for (bool optimise : {true, false}) {
        RenderDriver d(!optimise);
        d.run({}, 88200 - 512, 512);
        EXPECT_FALSE(d.instance->renderState().silent);
        d.run({}, 1024, 512);
        EXPECT_EQ(d.instance->renderState().silent, optimise);
    }
    RenderDriver d;
    d.run({}, 88200 + 512, 512);
    ASSERT_TRUE(d.instance->renderState().silent);
    d.run({noteOnAt(d.position, 60)}, 512, 512);
    EXPECT_FALSE(d.instance->renderState().silent);

    // Host clock, chords from the sequence, no key held: the transport plays
    // on with nothing to trigger (velocities 0) until the engine is silent;
    // the first trigger wakes it.
    RenderDriver host;
    ProbedClient& c = *host.instance;
    c.setParameter(276, 1.0f);
    c.setParameter(341, 1.0f);
    c.setParameter(9, 0.0f);
    c.setParameter(88, 1.0f);
    for (uint64_t step = 0; step < 32; ++step) {
        c.patterns().gateTable.setValueOnPage(step, 0, 0.0f);
        c.patterns().stepLine(0).setStepOnLine(0, step, 1.0f);
    }
    c.patterns().eventTable.setValueOnPage(40, c.patterns().eventTable.getCurrentPage(), 1.0f);
    host.playing = true;
    host.run({}, 88200 * 2, 512);
    ASSERT_TRUE(c.renderState().silent);
    for (uint64_t step = 0; step < 32; ++step) c.patterns().gateTable.setValueOnPage(step, 0, 1.0f);
    host.run({}, 22050, 512);
    EXPECT_FALSE(c.renderState().silent);
    EXPECT_FALSE(host.sent.empty());
}

// While the GUI holds the engine nothing advances: silence, no tick, the
// queued events wait.
TEST(RenderFrame, HeldEngineRendersSilenceAndKeepsEvents) {
    RenderDriver d;
    d.instance->engineHold().raise();
    d.run({noteOnAt(10, 60)}, 1024, 256);
    EXPECT_EQ(d.instance->getEventQueue().pending(), 1);
    EXPECT_EQ(d.instance->getSystemInfo()->lastVelocity, 0.0f);
    d.instance->engineHold().release();
    d.run({}, 64, 64);
    EXPECT_EQ(d.instance->getEventQueue().pending(), 0);
    EXPECT_GT(d.instance->getSystemInfo()->lastVelocity, 0.0f);
}

TEST(OutputStages, DcBlockerGainRampPeakAndBypassFade) {
    DcBlocker dc;
    float x[] = {1.0f, 1.0f, 1.0f, 1.0f, 0.0f};
    dc.run(x, 5);
    const float y[] = {1.0f, 0.998f, 0.996004f, 0.994012f, -0.00798f};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(x[i], y[i], 1e-5) << i;

    float left[4] = {1, 1, 1, 1}, right[4] = {2, 2, 2, 2};
    EXPECT_EQ(rampGain(left, right, 4, 0.0f, 1.0f), 1.0f);
    EXPECT_EQ(std::vector<float>(left, left + 4), (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}));
    EXPECT_EQ(right[0], 0.5f);
    EXPECT_EQ(rampGain(left, right, 0, 0.3f, 0.7f), 0.7f);  // no frames: straight to the target

    const float signal[] = {0.1f, -0.75f, 0.5f};
    EXPECT_EQ(peakOf(signal, 3), 0.75f);  // the magnitude, also of a negative peak
    EXPECT_EQ(peakOf(signal, 0), 0.0f);

    for (auto [rate, samples] : {std::pair{44100.0f, 441}, {96000.0f, 960}}) {
        BypassFade fade;
        fade.setRate(rate);
        fade.follow(true);
        std::vector<float> l(2048, 1.0f), r(2048, 1.0f);
        fade.run(l.data(), r.data(), 2048);
        const auto silentFrom = std::find(l.begin(), l.end(), 0.0f) - l.begin();
        EXPECT_NEAR(silentFrom, samples, 1) << rate;  // 10 ms, give or take the float steps' sum
        EXPECT_EQ(fade.state, 1);
        fade.follow(false);
        std::fill(l.begin(), l.end(), 1.0f);
        fade.run(l.data(), r.data(), 2048);
        EXPECT_EQ(l[0], 0.0f);
        EXPECT_EQ(l[samples + 1], 1.0f) << rate;
        EXPECT_LT(l[samples - 2], 1.0f) << rate;
        EXPECT_EQ(fade.state, 0);
    }
}

// A note-off that finds the block full goes out first in the next block.
TEST(OutputStages, MidiOutputCarriesNoteOffsItCannotWrite) {
    MidiOutput out;
    for (int i = 0; i < MidiOutput::kCapacity; ++i) EXPECT_TRUE(out.noteOn(2, i % 128, 100, i));
    EXPECT_FALSE(out.noteOn(2, 1, 100, 300));
    EXPECT_FALSE(out.noteOff(3, 61, 300));
    VstEvents* block = out.takeBlock();
    EXPECT_EQ(block->numEvents, 256);
    const auto* first = reinterpret_cast<const VstMidiEvent*>(block->events[0]);
    EXPECT_EQ(uint8_t(first->midiData[0]), 0x92);
    out.sendCarried();
    block = out.takeBlock();
    ASSERT_EQ(block->numEvents, 1);
    const auto* carried = reinterpret_cast<const VstMidiEvent*>(block->events[0]);
    EXPECT_EQ(uint8_t(carried->midiData[0]), 0x83);
    EXPECT_EQ(carried->midiData[1], 61);
    EXPECT_EQ(carried->deltaFrames, 0);
    EXPECT_EQ(out.carried(), 0);
}

// The MIDI export drives the engine itself on its own transport: the notes
// go to its file writer, the host hears nothing meanwhile.
TEST(RenderFrame, OfflineExportSendsNotesToTheFileWriter) {
    RenderDriver d;
    ProbedClient& c = *d.instance;
    c.setParameter(276, 0.0f);
    c.setParameter(74, 1.0f);
    c.setParameter(341, 1.0f);
    c.setParameter(9, 0.0f);
    MidiFileWriter writer(120, 8.0, 960);
    RenderState& r = c.renderState();
    r.exportWriter = &writer;
    r.ownTimeInfo.tempo = 120.0;
    r.ownTimeInfo.ppqPos = 0.0;
    r.ownTransport.store(true);
    r.skipAudio.store(true);
    std::vector<float> left(16, 1.0f), right(16, 1.0f);
    float* outputs[2] = {left.data(), right.data()};
    c.processReplacing(outputs, outputs, 16);  // the host's call: silence
    EXPECT_EQ(left[0], 0.0f);
    c.handleMidiEvent({100, 1, 0, kEventNoteOn, 60, 100});
    for (int tick = 0; tick < 2000; ++tick) {
        c.processBlock(outputs, 16);
        r.ownTimeInfo.ppqPos += 16 / 22050.0;
    }
    EXPECT_TRUE(d.sent.empty());
    EXPECT_EQ(d.sendCalls, 0);
    EXPECT_EQ(writer.countTracks(), 1);
}
