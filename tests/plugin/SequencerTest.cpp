// The sequencer measured through the render routine: the phrase a held
// chord plays, arpeggio orders, retrigger counts, clock division, swing,
// loops and the step lanes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <functional>
#include <map>
#include <set>
#include <tuple>

#include "RenderDriver.h"
#include "core/BWZone.h"
#include "core/SharedFloat.h"
#include "plugin/DisplayBlock.h"

namespace {

constexpr int64_t kTwoBars = 176400;  // 8 beats at 120 bpm, 44.1 kHz

// Own clock, two steps a beat, chords from the keys, layer 1 sounding on
// every trigger, no swing, the arpeggio restarting on each new velocity;
// pattern 0 gets `event` and `arp` on every step.
void phraseSetUp(BWUniClient& c, float event = 1.0f, float arp = 1.0f) {
    for (auto [index, value] : {std::pair<int32_t, float>{Tag::Clocksource, 0.0f}, {Tag::ClockDivide, 0.5f},
                                {Tag::ChordSelect, 1.0f}, {Tag::Osc1Sound, 1.0f}, {Tag::Osc1TrigEach, 0.0f},
                                {Tag::Swingfactor, 0.0f}, {Tag::RestartArp, 1.0f}, {Tag::Arpmode, 0.0f}}) {
        c.setParameter(index, value);
    }
    for (uint64_t step = 0; step < 32; ++step) {
        c.patterns().stepLine(0).setStepOnLine(0, step, event);
        c.patterns().stepLine(1).setStepOnLine(0, step, arp);
    }
}

std::vector<MidiAt> noteOns(const std::vector<MidiAt>& sent) {
    std::vector<MidiAt> ons;
    std::copy_if(sent.begin(), sent.end(), std::back_inserter(ons), [](const MidiAt& m) { return m.status >> 4 == 9; });
    return ons;
}

const std::vector<MidiAt> kChord = {noteOnAt(100, 60), noteOnAt(100, 64), noteOnAt(100, 67)};

}  // namespace

// A gate stored beyond the lane's 0..1 (a crafted state, a widened range)
// plays as a full gate, and one that is no number as none: the notes come
// out as they would, and the output stays finite.
TEST(SequencerPhrase, AGateBeyondItsRangePlaysAsAFullOne) {
    const auto play = [](float gate, std::vector<float>& audio) {
        RenderDriver d;
        phraseSetUp(*d.instance);
        for (int32_t step = 0; step < 32; ++step) d.instance->patterns().gateTable.setValueOnPage(step, 0, gate);
        d.run(kChord, 20000, 512, &audio);
        return noteOns(d.sent);
    };
    std::vector<float> full, audio;
    const std::vector<MidiAt> fullNotes = play(1.0f, full);
    ASSERT_FALSE(fullNotes.empty());
    for (float gate : {1e10f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        audio.clear();
        const std::vector<MidiAt> notes = play(gate, audio);
        EXPECT_TRUE(std::all_of(audio.begin(), audio.end(), [](float x) { return std::isfinite(x); })) << gate;
        if (std::isnan(gate)) {
            EXPECT_TRUE(notes.empty());
        } else {
            EXPECT_EQ(notes, fullNotes) << gate;
            EXPECT_EQ(audio, full) << gate;
        }
    }
}

// Worked out by hand: the keys arrive at tick 7 (the tick after sample 100),
// which starts the run and the arpeggio at C.  Type 1 steps retrigger when
// the retrigger phase (2 × 16/11025 a tick, counting from tick 0) passes 1
// and when it reaches 2 and starts again: ticks 345 j − 1.  The walk goes
// up through C, E, G; the notes leave on layer 1's channel 0.
TEST(SequencerPhrase, HeldChordPlaysTheArpeggioOverTwoBars) {
    RenderDriver d;
    phraseSetUp(*d.instance);
    d.run(kChord, kTwoBars, 512);
    const std::vector<MidiAt> ons = noteOns(d.sent);
    const int64_t handTicks[] = {7, 344, 689, 1034, 1379, 1724, 2069, 2414};
    const int handNotes[] = {60, 64, 67, 60, 64, 67, 60, 64};
    ASSERT_EQ(ons.size(), 32u);  // tick 7 and 345 j − 1 for j = 1 .. 31
    for (size_t i = 0; i < ons.size(); ++i) {
        const int64_t tick = i < 8 ? handTicks[i] : 345 * int64_t(i) - 1;
        EXPECT_EQ(ons[i].sample, 16 * tick) << i;
        EXPECT_EQ(ons[i].status, 0x90) << i;
        EXPECT_EQ(ons[i].data1, i < 8 ? handNotes[i] : 60 + int(i % 3 == 1) * 4 + int(i % 3 == 2) * 7) << i;
        // 100/128 × 127 × T, T between 0.89^0.75 and 1.
        EXPECT_GE(ons[i].data2, 90);
        EXPECT_LE(ons[i].data2, 99);
    }
    // Letting go stops the run: every note sent is released exactly once.
    d.run({noteOffAt(kTwoBars, 60), noteOffAt(kTwoBars, 64), noteOffAt(kTwoBars, 67)}, 4096, 512);
    std::map<int, int> sounding;
    for (const MidiAt& m : d.sent) sounding[m.data1] += m.status == 0x90 ? 1 : -1;
    for (auto [note, balance] : sounding) EXPECT_EQ(balance, 0) << note;
}

TEST(SequencerPhrase, ArpeggioOrdersForEachDirectionAndShift) {
    struct {
        const char* name;
        float arp, arpMode, shift;
        std::vector<int> notes;
    } cases[] = {
        {"up", 1.0f, 0.0f, 0.0f, {60, 64, 67, 60, 64, 67}},
        {"down", 3.0f, 0.0f, 0.0f, {60, 67, 64, 60, 67, 64}},
        {"hold", 2.0f, 0.0f, 0.0f, {60, 60, 60, 60, 60, 60}},
        {"counter up", 1.0f, 1.0f, 0.0f, {60, 64, 67, 60, 64, 67}},
        {"counter down", 3.0f, 1.0f, 0.0f, {67, 64, 60, 67, 64, 60}},
        {"shift 1", 1.0f, 0.0f, 0.2f, {64, 67, 60, 64, 67, 60}},
        {"shift 7", 1.0f, 0.0f, 1.0f, {64, 67, 60, 64, 67, 60}},
    };
    for (const auto& c : cases) {
        RenderDriver d;
        phraseSetUp(*d.instance, 1.0f, c.arp);
        d.instance->setParameter(Tag::Arpmode, c.arpMode);
        d.instance->setParameter(Tag::ShiftArp, c.shift);
        d.run(kChord, 44100, 512);
        std::vector<int> notes;
        for (const MidiAt& m : noteOns(d.sent)) notes.push_back(m.data1);
        notes.resize(6);
        EXPECT_EQ(notes, c.notes) << c.name;
    }
}

// A held note up to tick 2700 (almost four steps): the tick of the key, then
// one trigger each 1 / (k × 16/11025) ticks for k triggers a step.
TEST(SequencerPhrase, RetriggerCountsFollowTheStepType) {
    for (auto [event, triggers] : {std::pair{0.0f, 1u}, {0.5f, 1u}, {1.5f, 8u}, {2.5f, 12u}, {3.5f, 16u}}) {
        RenderDriver d;
        phraseSetUp(*d.instance, event, 0.0f);
        d.run({noteOnAt(100, 60)}, 16 * 2700, 512);
        EXPECT_EQ(noteOns(d.sent).size(), triggers) << event;
    }
    // A step velocity that the roughening takes below 0 triggers nothing (and
    // is no NaN).
    RenderDriver d;
    phraseSetUp(*d.instance, 1.5f, 0.0f);
    for (uint64_t step = 0; step < 32; ++step) d.instance->patterns().gateTable.setValueOnPage(step, 0, 0.001f);
    d.run({noteOnAt(100, 60)}, 16 * 2700, 512);
    EXPECT_TRUE(d.sent.empty());
    EXPECT_EQ(d.instance->audioEngine().sequencerState().triggerValue, 0.0f);
}

TEST(SequencerPhrase, NotesLeaveOnTheLayersChannelAndOnlyWithinMidiRange) {
    struct {
        int layer;
        float channel, octave;  // the layer's channel selector, the pattern's octave
        int note;               // the key played
        uint8_t status;         // of the first note-on; 0: none sent
        float highKey = 1.0f;
    } cases[] = {
        {0, 0.0f, 0.0f, 60, 0x90},
        {1, 1.0f / 16.0f + 0.01f, 0.0f, 60, 0x91},
        {2, 0.5f, 0.0f, 60, 0x98},
        {0, 0.0f, 1.0f, 60, 0x90},  // an octave up: 72
        {0, 0.0f, 2.0f, 110, 0},    // 110 + 24: no note above 127 is sent
        {0, 0.0f, 0.0f, 60, 0, 36.5f / 128.0f},  // layer note 36 at the high key: outside
        {0, 0.0f, 0.0f, 60, 0x90, 37.5f / 128.0f},
    };
    for (const auto& c : cases) {
        RenderDriver d;
        phraseSetUp(*d.instance);
        for (auto [index, value] : {std::pair<int32_t, float>{Tag::Osc1Sound, 0.0f}, {Tag::Osc1Sound + c.layer, 1.0f},
                                    {Tag::Osc1Channel + c.layer, c.channel},
                                    {Tag::Osc1TrigEach + Tag::LayerStride * c.layer, 0.0f},
                                    {Tag::Osc1KeyB + 2 * c.layer, c.highKey}}) {
            d.instance->setParameter(index, value);
        }
        for (uint64_t step = 0; step < 32; ++step) d.instance->patterns().stepLine(2).setStepOnLine(0, step, c.octave);
        d.run({noteOnAt(100, c.note)}, 22050, 512);
        const MidiAt first = d.sent.empty() ? MidiAt{} : d.sent[0];
        EXPECT_EQ(first.status, c.status) << c.layer;
        EXPECT_EQ(first.data1, c.status ? c.note + 12 * int(c.octave) : 0) << c.layer;
    }
}

// Between steps nothing moves but what the person changes: a key range
// that shuts a held note out, the layer's sound switch or trigger source,
// or a step of the octave grid that takes the note beyond the key range,
// ends it within a tick, and letting it back in starts it again within a
// tick, on every layer and at either key.
TEST(SequencerPhrase, AKeyRangeOrSoundSwitchChangedBetweenStepsActsWithinATick) {
    const auto octaves = [](BWUniClient& c, float octave) {
        for (uint64_t step = 0; step < 32; ++step) c.patterns().stepLine(2).setStepOnLine(0, step, octave);
    };
    struct {
        int layer;
        int32_t parameter;  // the layer's low or high key, its sound switch or trigger source; -1: the octaves
        float shut, open;
        float highKey = 1.0f;
    } cases[] = {{0, Tag::Osc1KeyB, 36.5f / 128.0f, 1.0f},
                 {1, Tag::Osc2KeyB, 30.0f / 128.0f, 1.0f},
                 {2, Tag::Osc3KeyA, 36.5f / 128.0f, 0.0f},
                 {0, Tag::Osc1KeyA, 90.0f / 128.0f, 0.0f},
                 {0, Tag::Osc1Sound, 0.0f, 1.0f},
                 {2, Tag::Osc3Sound, 0.0f, 1.0f},
                 {0, Tag::Osc1TrigMode, 1.0f, 0.0f},  // the third pair, which has no gates while arpeggios play
                 {2, Tag::Osc1TrigMode + 2 * Tag::LayerStride, 1.0f, 0.0f},
                 {1, -1, 1.0f, 0.0f, 40.5f / 128.0f},  // an octave up takes note 36 beyond key 40
                 {2, -1, 1.0f, 0.0f, 40.5f / 128.0f}};
    for (const auto& c : cases) {
        RenderDriver d;
        phraseSetUp(*d.instance);
        for (auto [index, value] : {std::pair{int32_t(Tag::Osc1Sound), 0.0f},
                                    {Tag::Osc1Sound + c.layer, 1.0f},
                                    {Tag::Osc1TrigEach + Tag::LayerStride * c.layer, 0.0f},
                                    {Tag::Osc1KeyB + 2 * c.layer, c.highKey}})
            d.instance->setParameter(index, value);
        const auto set = [&](float value) {
            if (c.parameter < 0) return octaves(*d.instance, value);
            d.instance->setParameter(c.parameter, value);
        };
        d.run({noteOnAt(100, 60)}, 20000, 16);  // between the step at 16538 and the next
        const auto firstAfter = [&](int64_t from, uint8_t kind) {
            for (const MidiAt& m : d.sent)
                if (m.sample >= from && m.status >> 4 == kind) return m.sample - from;
            return int64_t{-1};
        };
        ASSERT_GE(firstAfter(0, 9), 0) << c.layer;
        set(c.shut);
        d.run({}, 64, 16);
        const int64_t off = firstAfter(20000, 8);
        EXPECT_TRUE(off >= 0 && off < 32) << c.layer << " " << c.parameter << " " << off;
        set(c.open);
        d.run({}, 64, 16);
        const int64_t on = firstAfter(20064, 9);
        EXPECT_TRUE(on >= 0 && on < 32) << c.layer << " " << c.parameter << " " << on;
    }
}

TEST(SequencerClock, DivisionSwingAndLoops) {
    // The host clock: steps per beat times the host's position.
    for (auto [divide, counter] : {std::pair{0.49f, 2}, {0.5f, 5}, {0.99f, 5}, {1.0f, 10}}) {
        RenderDriver d;
        d.instance->setParameter(Tag::Clocksource, 1.0f);
        d.instance->setParameter(Tag::ClockDivide, divide);
        d.playing = true;
        d.ppqStart = 2.5;
        d.run({}, 16, 16);
        EXPECT_EQ(d.instance->audioEngine().sequencerState().stepCounter, counter) << divide;
    }
    // The own clock counts from tick 8 (the run starts at tick 7 and its
    // start pulse ends at 8), 16/11025 steps a tick: step 1 at tick 697,
    // step 2 at 1386.  Swing 1.0 holds odd steps back half a step (344.5
    // ticks, reached at the 345th).
    for (auto [swing, step1, step2] : {std::tuple{0.0f, 697, 1386}, {1.0f, 1042, 1386}}) {
        RenderDriver d;
        phraseSetUp(*d.instance);
        d.instance->setParameter(Tag::Swingfactor, swing);
        int32_t first1 = -1, first2 = -1;
        tickByTick(d, 1500, [&](int32_t t) {
            const int32_t step = d.instance->audioEngine().sequencerState().stepIndex;
            if (step == 1 && first1 < 0) first1 = t;
            if (step == 2 && first2 < 0) first2 = t;
        }, kChord);
        EXPECT_EQ(first1, step1) << swing;
        EXPECT_EQ(first2, step2) << swing;
    }
    // Loops from the audio lane's first zone; one that ends before it starts
    // plays its first step.
    for (auto [first, last, expected] :
         {std::tuple{4.0f, 7.0f, std::vector<int>{4, 5, 6, 7, 4, 5}}, {7.0f, 4.0f, std::vector<int>{7, 7, 7, 7, 7, 7}}}) {
        RenderDriver d;
        phraseSetUp(*d.instance);
        d.instance->setParameter(Tag::ClockDivide, 1.0f);  // four steps a beat
        BWFloatZoneHandler* lane = d.instance->patterns().zones.laneHandler(0);
        ASSERT_NE(lane->visibleZone(0), nullptr);
        lane->visibleZone(0)->setRange(int32_t(first), int32_t(last));
        std::vector<int> steps;
        tickByTick(d, 6 * 345 + 8, [&](int32_t t) {
            if (t >= 8 && (t - 8) % 345 == 172) steps.push_back(d.instance->audioEngine().sequencerState().stepIndex);
        }, kChord);
        EXPECT_EQ(steps, expected) << first << ".." << last;
    }
}

// Each lane sets the row it drives when its value changes, and host and
// editor read the value it set: the published values, tick by tick.
TEST(SequencerLanes, PublishWhatTheyDriveWhenItChanges) {
    RenderDriver d;
    BWUniClient& c = *d.instance;
    phraseSetUp(c);
    c.setParameter(Tag::ClockDivide, 1.0f);
    for (int lane = 0; lane < 5; ++lane) {
        for (uint64_t step = 0; step < 32; ++step) {
            const float osc1Pan = step == 0 || step == 1 ? 0.2f : step == 2 ? 0.8f : 0.0f;
            c.patterns().cutoffLane(lane).setValueOnPage(step, 0, lane == 0 ? osc1Pan : step == 0 ? 0.1f * lane : 0.0f);
        }
    }
    // Rows: Osc1 Pan, Osc2 Level, none (past the Osc3 lane's rows), "Filter
    // Age", "DLY Mix".
    for (auto [index, value] : {std::pair<int32_t, float>{Tag::Lane1Row, 0.15f}, {Tag::Lane2Row, 0.0f},
                                {Tag::Lane3Row, 0.95f}, {Tag::Lane4Row, 0.45f}, {Tag::Lane5Row, 0.55f}}) {
        c.setParameter(index, value);
    }
    const int32_t rows[] = {Tag::Osc1Pan, Tag::Osc2Level, Tag::FilterAge, Tag::DlyMix};
    std::vector<std::pair<int32_t, float>> changes;
    std::map<int32_t, float> seen;
    for (int32_t row : rows) seen[row] = c.rawValue(row);
    tickByTick(d, 1100, [&](int32_t) {
        for (int32_t row : rows) {
            if (c.rawValue(row) == seen[row]) continue;
            seen[row] = c.rawValue(row);
            changes.push_back({row, seen[row]});
        }
    }, kChord);
    const std::vector<std::pair<int32_t, float>> expected = {
        // step 0 (lane 3 drives nothing)
        {Tag::Osc1Pan, 0.2f}, {Tag::Osc2Level, 0.1f}, {Tag::FilterAge, 0.3f}, {Tag::DlyMix, 0.4f},
        // step 1: the other lanes fall to 0
        {Tag::Osc2Level, 0.0f}, {Tag::FilterAge, 0.0f}, {Tag::DlyMix, 0.0f},
        {Tag::Osc1Pan, 0.8f},  // step 2
        {Tag::Osc1Pan, 0.0f}};  // step 3
    EXPECT_EQ(changes, expected);
    EXPECT_FLOAT_EQ(c.state().layers[0].pan[1], 0.0f) << "the engine follows what it published";
}

// The note source is rebuilt only when something that feeds it moves, and
// the voices' pairs only when the source, the active notes or the
// arpeggio's walk do: a chord cell edited, the chord mode switched either
// way, a key pressed or let go while the chord comes from the keys, or the
// arpeggio switched off, turned or shifted, is heard in the notes of the very next
// steps, against a run where nothing moved.
TEST(SequencerPhrase, ASourceChangeMidPhraseIsHeardAtOnce) {
    constexpr float kFromCells = 0.0f, kFromKeys = 1.0f;
    constexpr int64_t kBefore = 44100, kAfter = 22050;
    struct Row {
        const char* name;
        float mode;
        std::function<void(BWUniClient&)> change;
        std::vector<MidiAt> keys;  // sent at the change
    };
    const auto none = [](BWUniClient&) {};
    const auto arpeggio = [](BWUniClient& c, float value) {
        for (uint64_t step = 0; step < 32; ++step) c.patterns().stepLine(1).setStepOnLine(0, step, value);
    };
    const Row rows[] = {
        {"a chord cell added", kFromCells, [](BWUniClient& c) { c.patterns().eventTable.setValueOnPage(36, 0, 1.0f); }, {}},
        {"chords from the keys", kFromCells, [](BWUniClient& c) { c.setParameter(Tag::ChordSelect, kFromKeys); }, {}},
        {"chords from the cells", kFromKeys, [](BWUniClient& c) { c.setParameter(Tag::ChordSelect, kFromCells); }, {}},
        {"a key added", kFromKeys, none, {noteOnAt(kBefore, 71)}},
        {"a key let go", kFromKeys, none, {noteOffAt(kBefore, 64)}},
        {"the arpeggio off", kFromCells, [&](BWUniClient& c) { arpeggio(c, 0.0f); }, {}},
        {"the arpeggio walking down", kFromCells, [&](BWUniClient& c) { arpeggio(c, 3.0f); }, {}},
        {"the arpeggio shifted", kFromCells, [](BWUniClient& c) { c.setParameter(Tag::ShiftArp, 0.15f); }, {}},  // by one voice
    };
    // The notes played after the change, in order, with and without it.
    const auto play = [&](const Row& row, bool changed) {
        RenderDriver d;
        phraseSetUp(*d.instance);
        d.instance->setParameter(Tag::ChordSelect, row.mode);
        for (int32_t cell : {26, 29, 33}) d.instance->patterns().eventTable.setValueOnPage(cell, 0, 1.0f);
        d.run(kChord, kBefore, 512);
        if (changed) row.change(*d.instance);
        const size_t from = d.sent.size();
        d.run(changed ? row.keys : std::vector<MidiAt>{}, kAfter, 512);
        std::vector<int32_t> notes;
        for (size_t i = from; i < d.sent.size(); ++i)
            if (d.sent[i].status >> 4 == 9) notes.push_back(d.sent[i].data1);
        return notes;
    };
    for (const Row& row : rows) {
        const std::vector<int32_t> still = play(row, false), moved = play(row, true);
        EXPECT_FALSE(still.empty()) << row.name;
        EXPECT_NE(moved, still) << row.name;
    }
}

// A gliding arpeggio moves its note every tick, between the steps: the
// voices' pair follows it at every tick, not only when a step strikes.
TEST(SequencerPhrase, TheArpeggiosPairFollowsItsGlideEveryTick) {
    RenderDriver d;
    BWUniClient& c = *d.instance;
    phraseSetUp(c);
    c.setParameter(Tag::ChordSelect, 0.0f);
    for (int32_t cell : {26, 29, 33}) c.patterns().eventTable.setValueOnPage(cell, 0, 1.0f);
    for (uint64_t step = 0; step < 32; ++step) c.patterns().stepLine(4).setStepOnLine(0, step, 1.0f);
    c.setParameter(Tag::Glide, 0.8f);
    int32_t gliding = 0, apart = 0;
    tickByTick(d, 3000, [&](int32_t) {
        const SequencerRuntime& s = c.audioEngine().sequencerState();
        if (s.glideTicks <= 0.0f) return;
        ++gliding;
        apart += s.pairs[1].notes[size_t(s.arpVoice)] != s.glidedNote;
    });
    EXPECT_GT(gliding, 100);
    EXPECT_EQ(apart, 0);
}

// The voice markers compare their arrays only in a tick after the sequencer
// wrote to them.  Against a twin that compares them whole every tick, the
// markers are the same after every tick: through keys pressed, changed and
// let go, octave, tie and glide steps, an arpeggio; with the lead layer
// switched off, so that its notes move and its values stand, and on again;
// a running state given back from earlier; and the layer triggered from
// the held notes while the arpeggio walks on beside it.
TEST(SequencerPhrase, VoiceMarkersFollowEveryWriteOfWhatTheyShow) {
    const std::vector<MidiAt> keys = {noteOnAt(100, 60),    noteOnAt(100, 64),    noteOnAt(3000, 67),
                                      noteOffAt(9000, 64),  noteOnAt(15000, 71),  noteOffAt(17500, 67),
                                      noteOnAt(19000, 65),  noteOffAt(30000, 60), noteOffAt(40000, 71),
                                      noteOnAt(44000, 62),  noteOnAt(52000, 69),  noteOffAt(56000, 65)};
    std::vector<std::vector<float>> shown[2];
    for (bool shortcut : {true, false}) {
        RenderDriver d;
        BWUniClient& c = *d.instance;
        phraseSetUp(c);
        c.setParameter(Tag::TieOsc1, 1.0f);
        c.setParameter(Tag::Glide, 0.8f);
        const auto lines = [&c](float octave, float tie, float glide, float arp) {
            for (uint64_t step = 0; step < 32; ++step) {
                c.patterns().stepLine(1).setStepOnLine(0, step, arp);
                c.patterns().stepLine(2).setStepOnLine(0, step, octave * float(step % 3));
                c.patterns().stepLine(3).setStepOnLine(0, step, tie * float(step % 5 == 4));
                c.patterns().stepLine(4).setStepOnLine(0, step, glide * float(step % 2));
            }
        };
        lines(1.0f, 1.0f, 1.0f, 1.0f);
        Engine& engine = c.audioEngine();
        engine.indicators().setMarkerShortcut(shortcut);
        std::shared_ptr<const Engine::RunningState> earlier;
        const DisplayBlock& b = c.displayBlock();
        tickByTick(d, 4000, [&](int32_t t) {
            if (t == 900) c.setParameter(Tag::Osc1Sound, 0.0f), lines(0.0f, 0.0f, 0.0f, 0.0f);
            if (t == 1300) c.setParameter(Tag::Osc1Sound, 1.0f);
            if (t == 1600) earlier = engine.saveRunningState();
            if (t == 2000) engine.restoreRunningState(*earlier);
            if (t == 2200) c.setParameter(Tag::Osc1TrigEach, 1.0f), lines(0.0f, 0.0f, 1.0f, 1.0f);
            std::vector<float> now = {loadShared(b.offset), loadShared(b.markerDisable), loadShared(b.objectCount)};
            for (const DisplayBlock::Eight* group : {&b.positions, &b.activity, &b.objectAlpha, &b.objectSpriteY})
                for (const float& value : *group) now.push_back(loadShared(value));
            shown[shortcut].push_back(now);
        }, keys);
    }
    ASSERT_EQ(shown[0].size(), shown[1].size());
    std::set<std::vector<float>> distinct;
    for (size_t t = 0; t < shown[0].size(); ++t) {
        ASSERT_EQ(shown[1][t], shown[0][t]) << "tick " << t;
        distinct.insert(shown[0][t]);
    }
    EXPECT_GT(distinct.size(), 10u);  // the markers moved all along
}
