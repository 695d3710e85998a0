// Songs as people write them, through the instance with the demo set-up:
// thousands of events while a load holds the render, program changes in a
// dense song on a host that never waits, and first notes after a pause.
// Measured in the audio: when a note is first heard, and whether anything
// still sounds seconds after every key was let go.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "RenderDriver.h"
#include "core/BWSystemInfo.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryContent.h"
#include "host/demo/DemoState.h"
#include "persistence/SettingNames.h"
#include "plugin/EngineHold.h"
#include "support/AudioMeasure.h"
#include "support/RunLength.h"

namespace {

constexpr int64_t kSecond = 44100;
// Quieter than this is nothing a listener hears: -80 dBFS.
constexpr float kInaudible = 1e-4f;

class SongEventsTest : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(writeFactoryContent(content.path(), error)) << error;
    }

    // The demo's state, restored as a host restores it, with two programs
    // of its own in the "MIDI PROGRAMS" bank when asked for.
    std::unique_ptr<RenderDriver> demo(bool withPrograms = false) {
        auto d = std::make_unique<RenderDriver>();
        setSettingString(SettingNames::kInstrumentsPath, (content.path() / kFactoryInstrumentsFolder).string());
        globalRomplerLibrary().scan(true);
        BWUniClient& c = *d->instance;
        setUpDemo(c);
        if (withPrograms) {
            std::string root;
            EXPECT_TRUE(getSettingString("presetpath0", root));
            const std::filesystem::path bank = std::filesystem::path(root) / "MIDI PROGRAMS";
            std::filesystem::create_directories(bank);
            EXPECT_TRUE(c.savePreset((bank / "P 0.zvp").string().c_str(), 0, nullptr, nullptr, nullptr));
            c.setParameter(Tag::FilterReso, 0.8f);
            c.setParameter(Tag::MasterLevel, 0.8f);
            EXPECT_TRUE(c.savePreset((bank / "P 1.zvp").string().c_str(), 0, nullptr, nullptr, nullptr));
        }
        void* data = nullptr;
        const int32_t size = c.getChunk(&data, false);
        std::vector<uint8_t> state(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        EXPECT_EQ(c.setChunk(state.data(), size, false), 1);
        return d;
    }

    TempDir content;
};

float peakOf(const std::vector<float>& audio, size_t from, size_t to) {
    float peak = 0.0f;
    for (size_t i = from; i < to && i < audio.size(); ++i) peak = std::max(peak, std::fabs(audio[i]));
    return peak;
}

bool anyKeyHeld(BWUniClient& c) {
    for (int32_t i = 0; i < BWSystemInfo::kChordSize; ++i)
        if (c.getSystemInfo()->voiceVelocity[i] != 0.0f) return true;
    return c.getSystemInfo()->lastVelocity != 0.0f;
}

// A dense part: `notes` notes spread over `span` samples, each released in
// the block after the one it starts in, at an offset that may lie before its
// own note-on's offset in that block, so that an order by offset alone would
// release it before it starts.
std::vector<MidiAt> densePart(int64_t from, int notes, int64_t span, int32_t block, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> key(36, 96), offset(0, block - 1);
    std::vector<MidiAt> script;
    for (int i = 0; i < notes; ++i) {
        const int64_t start = from + span * i / notes / block * block;
        const int k = key(random);
        script.push_back(noteOnAt(start + offset(random), k));
        script.push_back(noteOffAt(start + block + offset(random), k));
    }
    std::stable_sort(script.begin(), script.end(), [](const MidiAt& a, const MidiAt& b) { return a.sample < b.sample; });
    return script;
}

}  // namespace

// Two thousand note-ons and note-offs arrive while a load holds the render
// (more than the queue holds); when the load ends every key is up, and a
// chord played then sounds and ends: three seconds after its keys are let
// go nothing sounds.
TEST_F(SongEventsTest, TwoThousandEventsDuringALoadAllEndWhenItEnds) {
    auto d = demo();
    BWUniClient& c = *d->instance;
    d->playing = true;
    const int32_t block = 512;
    const std::vector<MidiAt> script = densePart(block, 1000, 40 * block, block, 7);
    const int64_t lastEvent = script.back().sample;
    std::vector<float> audio;
    d->run({}, block, block, &audio);
    c.engineHold().raise();  // as a load does, for as long as the events arrive
    d->run(script, lastEvent + 1 - block, block, &audio);
    EXPECT_EQ(peakOf(audio, block, audio.size()), 0.0f) << "the held render is silent";
    c.engineHold().release();
    const size_t released = audio.size();
    d->run({}, kSecond / 2, block, &audio);
    EXPECT_FALSE(anyKeyHeld(c));
    // And the instrument plays on as before: a chord sounds and ends.
    const int64_t chord = d->position;
    d->run({noteOnAt(chord, 60), noteOnAt(chord, 64), noteOffAt(chord + kSecond / 2, 60), noteOffAt(chord + kSecond / 2, 64)},
           4 * kSecond, block, &audio);
    EXPECT_GT(peakOf(audio, released + kSecond / 2, released + kSecond), 0.01f);
    EXPECT_FALSE(anyKeyHeld(c));
    EXPECT_LT(peakOf(audio, released + 4 * kSecond, audio.size()), kInaudible);
    EXPECT_EQ(d->allocations, 0u);
}

// Notes that start on a block's first sample and end on its last, and the
// other way round, at every host block size, with the render running or
// held by a load: each key is up afterwards and nothing sounds three seconds
// after the last note-off.
TEST_F(SongEventsTest, NotesAtBlockEdgesEndWhetherTheRenderRunsOrWaits) {
    for (int32_t block : {64, 512, 4096}) {
        for (bool held : {false, true}) {
            SCOPED_TRACE(::testing::Message() << block << (held ? " held" : " running"));
            auto d = demo();
            BWUniClient& c = *d->instance;
            d->playing = true;
            const int64_t b = block;
            const std::vector<MidiAt> edges = {noteOnAt(2 * b, 60), noteOffAt(3 * b - 1, 60), noteOnAt(5 * b - 1, 64),
                                               noteOffAt(6 * b, 64)};
            std::vector<float> audio;
            d->run({}, 2 * b, block, &audio);
            if (held) c.engineHold().raise();
            d->run(edges, 5 * b, block, &audio);
            if (held) c.engineHold().release();
            d->run({}, 4 * kSecond, block, &audio);
            EXPECT_FALSE(anyKeyHeld(c));
            EXPECT_LT(peakOf(audio, size_t(6 * b + 3 * kSecond), audio.size()), kInaudible);
        }
    }
}

// A first note after a pause (the engine gone silent) is heard from the tick
// it falls in, at any host block size: a silent block used to hold it back
// to the next block.
TEST_F(SongEventsTest, AFirstNoteAfterAPauseSoundsWithinATickOfItsTime) {
    const int64_t note = 3 * kSecond + 1000;
    for (int32_t block : {64, 512, 4096}) {
        SCOPED_TRACE(block);
        auto d = demo();
        d->playing = true;
        std::vector<float> audio;
        d->run({noteOnAt(note, 60), noteOnAt(note, 64), noteOnAt(note, 67)}, 4 * kSecond, block, &audio);
        EXPECT_EQ(peakOf(audio, 2 * kSecond, size_t(note)), 0.0f) << "the pause is silent";
        const size_t heard = firstSoundAfter(audio, size_t(note), 1e-6f);
        EXPECT_LT(heard - size_t(note), 32u) << "heard at " << heard << ", played at " << note;
    }
}

// A dense song with program changes every fifth of a second, played by a
// host that never waits for the loads (each load silences the render for its
// own time): whatever the schedule, three seconds after the last key is let
// go nothing sounds.  ZORVANE_SONG_RUNS raises the number of runs (make tsan
// runs a hundred).
TEST_F(SongEventsTest, ProgramChangesInADenseSongLeaveNoNoteSounding) {
    const char* runsText = std::getenv("ZORVANE_SONG_RUNS");
    const int runs = runsText ? std::max(1, std::atoi(runsText)) : 3;
    auto d = demo(true);
    BWUniClient& c = *d->instance;
    d->playing = true;
    const int32_t block = 256;
    for (int run = 0; run < runs; ++run) {
        SCOPED_TRACE(run);
        std::vector<MidiAt> script = densePart(d->position, 300, kSecond, block, uint32_t(run));
        for (int k = 0; k < 5; ++k) script.push_back({d->position + k * kSecond / 5, 0xC0, uint8_t(k % 2), 0});
        std::stable_sort(script.begin(), script.end(), [](const MidiAt& a, const MidiAt& b) { return a.sample < b.sample; });
        d->run(script, script.back().sample + 1 - d->position, block);
        ASSERT_TRUE(RunLength::waitFor([&] { return !c.isLoaderBusy(); }));
        std::vector<float> audio;
        d->run({}, 4 * kSecond, block, &audio);
        EXPECT_FALSE(anyKeyHeld(c));
        EXPECT_LT(peakOf(audio, 3 * kSecond, audio.size()), kInaudible);
    }
}
