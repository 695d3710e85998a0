// MIDI event application: held-note slots, release order, sustain, bend,
// the velocity ring, MIDI learn and bytes out of range.

#include <gtest/gtest.h>

#include "RenderDriver.h"

namespace {

MidiEventRecord event(uint32_t code, int32_t data1, int32_t data2 = 0) { return {100, 1, 0, code, data1, data2}; }

std::vector<float> slots(const BWSystemInfo& s) {
    std::vector<float> notes;
    for (int i = 0; i < 8; ++i) notes.push_back(s.voiceVelocity[i] != 0.0f ? s.voiceNote[i] : -1.0f);
    return notes;
}

}  // namespace

TEST(MidiEventHandler, HeldNotesSlotsReleaseOrderAndSustain) {
    RenderDriver d;
    BWUniClient& c = *d.instance;
    BWSystemInfo& s = *c.getSystemInfo();
    c.setParameter(Tag::Clocksource, 0.0f);
    ASSERT_TRUE(c.deriveNow());
    // Eight notes fill the slots in order; a ninth replaces the note at the
    // next slot (slot 0), and the next one after it goes to slot 1.
    for (int n = 0; n < 9; ++n) c.audioEngine().handleMidiEvent(event(kEventNoteOn, 60 + n, 100));
    EXPECT_EQ(slots(s), (std::vector<float>{68, 61, 62, 63, 64, 65, 66, 67}));
    EXPECT_EQ(s.nextVoice, 1);
    // The velocity ring: seven offsets, the eighth note-on takes the first again.
    EXPECT_FLOAT_EQ(s.voiceVelocity[1], 100 / 128.0f + 2.4e-6f);
    EXPECT_FLOAT_EQ(s.voiceVelocity[7], 100 / 128.0f + 1.2e-6f);
    c.audioEngine().handleMidiEvent(event(kEventAllNotesOff, 0));
    EXPECT_EQ(slots(s), std::vector<float>(8, -1.0f));

    // Releasing the most recent of three makes the one before the last note;
    // releasing all clears the velocity and the pressure and stops the run.
    for (int n : {60, 64, 67}) c.audioEngine().handleMidiEvent(event(kEventNoteOn, n, 90));
    c.audioEngine().handleMidiEvent(event(kEventChannelPressure, 100));
    EXPECT_EQ(c.state().patterns.records[279].stepIndex, 1);
    c.audioEngine().handleMidiEvent(event(kEventNoteOff, 67));
    EXPECT_EQ(s.lastNote, 64.0f);
    EXPECT_EQ(s.sortedNotes[0], 60.0f);
    EXPECT_EQ(s.shiftedNotesClamped[1], 40.0f);
    c.audioEngine().handleMidiEvent(event(kEventNoteOff, 60));
    c.audioEngine().handleMidiEvent(event(kEventNoteOff, 64));
    EXPECT_EQ(s.lastVelocity, 0.0f);
    EXPECT_EQ(s.channelPressure, 0.0f);
    EXPECT_EQ(c.state().patterns.records[279].stepIndex, 0);

    // Sustain: the note stays held until the pedal goes up, then goes once.
    c.audioEngine().handleMidiEvent(event(kEventNoteOn, 62, 90));
    c.audioEngine().handleMidiEvent(event(kEventController, 64, 64));
    c.audioEngine().handleMidiEvent(event(kEventNoteOff, 62));
    c.audioEngine().handleMidiEvent(event(kEventNoteOff, 62));
    EXPECT_GT(s.lastVelocity, 0.0f);
    c.audioEngine().handleMidiEvent(event(kEventController, 64, 63));
    EXPECT_EQ(s.lastVelocity, 0.0f);
    EXPECT_EQ(c.renderState().deferredReleases[62], 0);
}

TEST(MidiEventHandler, BendAndBytesOutOfRange) {
    RenderDriver d;
    BWUniClient& c = *d.instance;
    for (auto [lsb, msb, value] : {std::tuple{0, 0, -1.0f}, {127, 127, 1.0f}, {0, 64, 0.0f}, {1, 64, 1 / 8191.0f}}) {
        c.audioEngine().handleMidiEvent(event(kEventPitchBend, lsb, msb));
        EXPECT_FLOAT_EQ(c.getSystemInfo()->pitchBend, value) << lsb << " " << msb;
    }
    // Bytes widened with their sign index nothing before they are masked.
    c.audioEngine().handleMidiEvent(event(kEventController, -1, -2));
    EXPECT_FLOAT_EQ(c.getSystemInfo()->controllerValues[127], 126 / 127.0f);
    c.audioEngine().handleMidiEvent(event(kEventNoteOn, -128, 0x17F));
    EXPECT_EQ(c.getSystemInfo()->lastNote, 0.0f);
    for (uint32_t code : {199u, 207u}) c.audioEngine().handleMidiEvent(event(code, 60, 100));  // not event codes
    EXPECT_EQ(c.getSystemInfo()->lastNote, 0.0f);
}

// A learned controller sets its parameters and publishes them; the same
// assignment twice is kept once, and a full list takes no more.
TEST(MidiEventHandler, LearnAppendsOnceAndAppliesInOrder) {
    RenderDriver d;
    BWUniClient& c = *d.instance;
    MidiLearnMap& learn = c.learnMap();
    for (LearnEntry target : {LearnEntry{17, 0}, LearnEntry{18, 0}, LearnEntry{17, 0}}) {
        learn.targets().push_back(target);
        c.audioEngine().handleMidiEvent(event(kEventController, 7, 0));
    }
    EXPECT_EQ(learn.controller(7), (std::vector<LearnEntry>{{17, 0}, {18, 0}}));
    EXPECT_EQ(learn.changeCount.load(), 3);
    c.audioEngine().handleMidiEvent(event(kEventController, 7, 127));
    for (int32_t tag : {17, 18}) EXPECT_EQ(c.rawValue(tag), 1.0f) << "published for host and editor: " << tag;
    EXPECT_EQ(c.state().layers[0].outputGain, 1.0f);

    for (int16_t tag = 0; tag < 40; ++tag) {
        learn.targets().push_back({tag, 1});
        c.audioEngine().handleMidiEvent(event(kEventChannelPressure, 0));
    }
    EXPECT_EQ(learn.pressure().size(), Engine::kLearnCapacity);
    EXPECT_EQ(learn.changeCount.load(), 3);  // pressure learning does not count
}
