// The factory presets as a musician meets them: each one, loaded as the
// preset menus load it, turns a held chord into a phrase that sounds in
// every half second on the chord's own notes; with the chords taken from
// the sequence instead, it plays its own progression, a chord a bar; and the
// eight programs of the "MIDI PROGRAMS" bank, loaded by program changes,
// sound unlike each other.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>

#include "ProgramChanges.h"
#include "RenderDriver.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryContent.h"
#include "factory/FactoryPresets.h"
#include "host/demo/DemoState.h"
#include "persistence/ObjectFiles.h"
#include "persistence/SettingNames.h"
#include "plugin/PatternModels.h"
#include "support/AudioMeasure.h"
#include "support/InstanceTestSupport.h"
#include "support/PluginTestSupport.h"
#include "support/RunLength.h"

namespace {

constexpr float kRate = 44100.0f;
constexpr int64_t kHeld = int64_t(3 * kRate);
constexpr int64_t kSettled = int64_t(0.5 * kRate);  // past the first strike's attack
constexpr int64_t kTail = int64_t(3 * kRate);
constexpr int32_t kBlock = 512;
const std::vector<int> kChord = {48, 60, 64, 67};  // C: the bass note under C E G
const std::set<int> kChordClasses = {0, 4, 7};
constexpr int32_t kChordSelect = Tag::ChordSelect;
constexpr float kChordFromTheKeys = 1.0f;
constexpr float kChordFromTheSequence = 0.0f;
constexpr int64_t kBarFrames = int64_t(2 * kRate);  // four beats at 120 BPM
constexpr int32_t kBars = 2;
constexpr uint64_t kChordStepsPerBar = 4;  // a chord step a beat

class FactoryPresets : public testing::Test {
protected:
    static void SetUpTestSuite() {
        content = new TempDir;
        std::string error;
        ASSERT_TRUE(writeFactoryContent(content->path(), error)) << error;
        ASSERT_TRUE(writeFactoryPresets(content->path(), error)) << error;
    }
    static void TearDownTestSuite() { delete content; }

    // An instance that plays from the content folder, its preset library
    // read from the global presets there.
    static std::unique_ptr<RenderDriver> instance(float chordSelect = kChordFromTheKeys) {
        auto driver = std::make_unique<RenderDriver>(true);
        setSettingString(SettingNames::kInstrumentsPath, (content->path() / kInstrumentsFolder).string() + "/");
        setSettingString("presetpath0", (content->path() / "Global Presets").string() + "/");
        globalRomplerLibrary().scan(true);
        driver->instance->reloadPresetLibrary();
        driver->instance->setSampleRate(kRate);
        // "Chord Select" is the player's and survives preset loads: the
        // presets are made for chords taken from the keys.
        driver->instance->setParameter(kChordSelect, chordSelect);
        return driver;
    }

    // The demo as a host restores it, its instruments loaded by name.
    static void loadDemo(BWUniClient& client) {
        setUpDemo(client);
        void* data = nullptr;
        const int32_t size = client.getChunk(&data, false);
        const std::vector<uint8_t> state(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        ASSERT_EQ(client.setChunk(const_cast<uint8_t*>(state.data()), size, false), 1);
    }

    static void load(BWUniClient& client, const FactoryPreset& preset) {
        const std::string file = factoryPresetPath(content->path(), preset).string();
        ASSERT_TRUE(client.loadPresetFromFile(file.c_str(), preset.kind, nullptr, nullptr, nullptr)) << file;
    }

    // The keys of the chord that the loaded chord sequence plays in a bar of
    // pattern 0: the cells of the chord page its first step names (cell 0
    // is key 24), and their pitch classes.
    static std::set<int> sequencedKeys(BWUniClient& client, int32_t bar) {
        PatternModels& models = client.patterns();
        const auto page = uint64_t(models.chordTable.getValueOnPage(uint64_t(bar) * kChordStepsPerBar, 0));
        std::set<int> keys;
        for (uint64_t cell = 0; cell < models.eventTable.getCount(); ++cell)
            if (models.eventTable.getValueOnPage(cell, page) > 0.0f) keys.insert(int(cell) + 24);
        return keys;
    }
    static std::set<int> sequencedChord(BWUniClient& client, int32_t bar) {
        std::set<int> classes;
        for (int key : sequencedKeys(client, bar)) classes.insert(key % 12);
        return classes;
    }

    // The chord held for `held` frames (three seconds; the left channel);
    // then the keys let go and the tails left to die, so that the next take
    // starts clean.
    static std::vector<float> holdChord(RenderDriver& driver, int64_t held = kHeld) {
        std::vector<MidiAt> script;
        for (int key : kChord) script.push_back(noteOnAt(driver.position, key));
        std::vector<float> audio;
        driver.run(script, held, kBlock, &audio);
        script.clear();
        for (int key : kChord) script.push_back(noteOffAt(driver.position, key));
        driver.run(script, kTail, kBlock);
        return audio;
    }

    // A program change alone, between two blocks, as an offline host sends
    // it, and the wait for its load.
    static void loadProgramAlone(RenderDriver& driver, int program) {
        ProgramChanges change{program};
        BWUniClient& client = *driver.instance;
        client.processEvents(change.events());
        ASSERT_TRUE(RunLength::waitFor([&] { return !client.isLoaderBusy(); }));
        ASSERT_EQ(client.presetName(0), factoryPresets()[size_t(program)].name);
    }

    // The sample of the first note that the lead layer (MIDI channel 1)
    // sent since the driver's list held `from` notes; the driver's position
    // if none.  The pad's chord goes out earlier, but swells in slowly.
    static int64_t firstLeadNote(const RenderDriver& driver, size_t from) {
        int64_t first = driver.position;
        for (size_t i = from; i < driver.sent.size(); ++i) {
            const MidiAt& note = driver.sent[i];
            if (note.status == 0x90 && note.data2 > 0) first = std::min(first, note.sample);
        }
        return first;
    }

    SettingsSandbox settings;
    UserFoldersSandbox userFolders;
    static TempDir* content;
};

TempDir* FactoryPresets::content = nullptr;

// Sound and sequence presets change part of a set-up: they are heard on
// the demo's.
TEST_F(FactoryPresets, EachPlaysAHeldChordAsAPhraseOnItsNotes) {
    for (const FactoryPreset& preset : factoryPresets()) {
        auto driver = instance();
        BWUniClient& client = *driver->instance;
        if (preset.kind != 0) loadDemo(client);
        const std::string file = factoryPresetPath(content->path(), preset).string();
        ASSERT_TRUE(client.loadPresetFromFile(file.c_str(), preset.kind, nullptr, nullptr, nullptr)) << file;
        for (int layer = 0; layer < 3; ++layer)
            EXPECT_TRUE(client.soundLayer(layer).getInstrumentName().empty() || client.soundLayer(layer).getInstrument())
                << preset.name << ": layer " << layer + 1 << " plays nothing of " << client.soundLayer(layer).getInstrumentName();

        const std::vector<float> audio = holdChord(*driver);
        const RenderMeasure heard = measureRender({audio}, kRate, 0.5);
        for (size_t w = 0; w < heard.windows.size(); ++w)
            EXPECT_GT(heard.windows[w].dbfs, -40.0) << preset.name << " is silent in half-second " << w << "\n" << describe(heard);
        const Spectrum s = spectrumOf(audio.data() + kSettled, audio.size() - size_t(kSettled), kRate);
        EXPECT_EQ(strongestPitchClasses(s, 100, 2000, 3), kChordClasses) << preset.name << "\n" << describe(heard);
        EXPECT_LT(heard.peak, 1.0) << preset.name;
    }
}

// With "Chord Select" at SEQUENCE (one click from MIDI, and kept across
// preset loads) the held keys only start the phrase: each preset plays the
// chord progression it carries, every half second sounding.  The notes it
// plays in each of the first two bars are those of the chord its sequence
// names there (the two different), a bass that played the first chord's
// bass note plays the second's, and the first bar sounds its chord.
// Sequence presets carry their progression onto the demo's set-up, which
// has none; sound presets are heard on the factory's "Demo Phrase".
TEST_F(FactoryPresets, EachPlaysItsOwnChordProgressionWhenTheChordsComeFromTheSequence) {
    const FactoryPreset* demoPhrase = nullptr;
    for (const FactoryPreset& preset : factoryPresets())
        if (preset.name == "Demo Phrase") demoPhrase = &preset;
    ASSERT_NE(demoPhrase, nullptr);
    for (const FactoryPreset& preset : factoryPresets()) {
        auto driver = instance(kChordFromTheSequence);
        BWUniClient& client = *driver->instance;
        if (preset.kind == 2) {
            loadDemo(client);  // a host's restore brings the demo's MIDI
            client.setParameter(kChordSelect, kChordFromTheSequence);
        }
        if (preset.kind == 1) load(client, *demoPhrase);
        load(client, preset);
        EXPECT_EQ(client.getParameter(kChordSelect), kChordFromTheSequence) << preset.name;

        const int64_t start = driver->position;
        const std::vector<float> audio = holdChord(*driver, kBars * kBarFrames);
        const RenderMeasure heard = measureRender({audio}, kRate, 0.5);
        for (size_t w = 0; w < heard.windows.size(); ++w)
            EXPECT_GT(heard.windows[w].dbfs, -40.0) << preset.name << " is silent in half-second " << w << "\n" << describe(heard);
        EXPECT_LT(heard.peak, 1.0) << preset.name;
        EXPECT_NE(sequencedChord(client, 0), sequencedChord(client, 1)) << preset.name;
        std::set<int> bassesPlayed;  // the bars whose chord's bass note sounded
        for (int32_t bar = 0; bar < kBars; ++bar) {
            std::set<int> played;
            for (const MidiAt& m : driver->sent) {
                if (m.status >> 4 != 9 || m.data2 == 0 || (m.sample - start) / kBarFrames != bar) continue;
                played.insert(m.data1 % 12);
                if (m.data1 == *sequencedKeys(client, bar).begin()) bassesPlayed.insert(bar);
            }
            EXPECT_EQ(played, sequencedChord(client, bar)) << preset.name << ", bar " << bar + 1;
        }
        // A bass held through the bar strikes the next bar's bass note too.
        EXPECT_TRUE(!bassesPlayed.count(0) || bassesPlayed.count(1)) << preset.name << ": the bass stays on the first chord";
        const Spectrum s = spectrumOf(audio.data() + kSettled, size_t(kBarFrames - kSettled), kRate);
        EXPECT_EQ(strongestPitchClasses(s, 100, 2000, 3), sequencedChord(client, 0)) << preset.name;
    }
}

// Program changes 0 to 7, each applied by the loader while the keys are
// up: every pair of programs differs by 3 dB or more on average in its
// colour (third-octave bands) or in its rhythm (twentieths of a second).
TEST_F(FactoryPresets, MidiProgramsSoundUnlikeEachOther) {
    constexpr int kPrograms = 8;
    auto driver = instance();
    BWUniClient& client = *driver->instance;
    std::vector<std::vector<double>> colours, rhythms;
    for (int program = 0; program < kPrograms; ++program) {
        driver->run({{driver->position, 0xC0, uint8_t(program), 0}}, kBlock, kBlock);
        RunLength::waitFor([&] { return !client.isLoaderBusy(); });
        ASSERT_FALSE(client.isLoaderBusy());
        EXPECT_EQ(client.presetName(0), factoryPresets()[size_t(program)].name);
        const std::vector<float> audio = holdChord(*driver);
        const float* settled = audio.data() + kSettled;
        colours.push_back(bandColour(settled, audio.size() - size_t(kSettled), kRate));
        rhythms.push_back(levelRhythm(settled, audio.size() - size_t(kSettled), kRate));
    }
    for (int a = 0; a < kPrograms; ++a) {
        for (int b = a + 1; b < kPrograms; ++b) {
            const double colourApart = meanDifferenceDb(colours[size_t(a)], colours[size_t(b)]);
            const double rhythmApart = meanDifferenceDb(rhythms[size_t(a)], rhythms[size_t(b)]);
            EXPECT_GE(std::max(colourApart, rhythmApart), 3.0)
                << "programs " << a << " and " << b << ": colour " << colourApart << " dB, rhythm " << rhythmApart << " dB";
        }
    }
}

// A program change in the middle of a phrase, applied as an offline host
// applies it (the block ends at the change and the next waits for the
// load): the old program's sound stops at the change, as the load clears
// the voices and the lines, and nothing of it comes back before the new
// program's first note.  (The voices' held samples, the reverb's feedback
// and damping, the delays' last reads and the chorus filter used to be
// left over: written into the cleared lines, they came back as sparse
// pulses for 60 to 100 ms.)
TEST_F(FactoryPresets, AProgramChangeMidPhraseLeavesSilenceUntilTheNewProgramPlays) {
    struct Change {
        int from;
        double seconds;  // after the chord was struck
    };
    // Into "01 Piano Arpeggio" from the bass line (whose reverb feedback was
    // left), from itself (a held sample, the delays' last reads) and from
    // the nylon's echoes; each at a point where the kick rests until the
    // piano's first note.
    const Change changes[] = {{3, 0.818}, {0, 1.8}, {1, 0.7}};
    constexpr int kPiano = 0;
    for (const Change& change : changes) {
        const std::string name = std::to_string(change.from) + " -> " + std::to_string(kPiano) + " at " +
                                 std::to_string(change.seconds) + " s";
        auto driver = instance();
        loadProgramAlone(*driver, change.from);
        std::vector<MidiAt> chord;
        for (int key : kChord) chord.push_back(noteOnAt(driver->position, key));
        const auto at = int64_t(change.seconds * kRate);
        driver->run(chord, at, kBlock);
        loadProgramAlone(*driver, kPiano);
        const size_t sentBefore = driver->sent.size();
        std::vector<float> after;
        driver->run({}, int64_t(0.3 * kRate), kBlock, &after);

        const auto gap = size_t(firstLeadNote(*driver, sentBefore) - at);
        ASSERT_GE(gap, size_t(0.03 * kRate)) << name << ": the piano plays at once, no gap to listen to";
        size_t loudest = 0;
        for (size_t i = 0; i < gap; ++i)
            if (std::fabs(after[i]) > std::fabs(after[loudest])) loudest = i;
        EXPECT_LT(std::fabs(after[loudest]), 1e-6f)
            << name << ": " << after[loudest] << " at " << 1000.0 * double(loudest) / kRate << " ms of the "
            << 1000.0 * double(gap) / kRate << " ms before the piano's first note";
    }
}

// "07 Reversed Keys" plays back reversed what its reverser recorded; a
// load clears that recording as it clears the other effects' lines.  A C
// chord held for six seconds, the keys let go and the program loaded
// again: with no key down nothing comes back (the kick, which the reverser
// never hears, silenced), and under a D chord struck at the load the old
// chord's notes (C, E, G) carry almost none of the pitched sound of the
// first second, about what the D chord's own overtones put there.  (The
// old chord came back backwards at -20 dBFS for a second and a half, and
// with 41 to 49 % of the pitched sound under the new chord.)
TEST_F(FactoryPresets, AReloadOfTheReversedKeysPlaysNothingOfTheChordBefore) {
    constexpr int kReversedKeys = 6;
    const std::vector<int> kD = {50, 62, 66, 69};
    const std::set<int> kOldOnly = {0, 4, 7};
    for (bool struck : {false, true}) {
        auto driver = instance();
        BWUniClient& client = *driver->instance;
        loadProgramAlone(*driver, kReversedKeys);
        std::vector<MidiAt> keys;
        for (int key : kChord) keys.push_back(noteOnAt(driver->position, key));
        driver->run(keys, int64_t(6 * kRate), kBlock);
        keys.clear();
        for (int key : kChord) keys.push_back(noteOffAt(driver->position, key));
        driver->run(keys, kBlock, kBlock);
        loadProgramAlone(*driver, kReversedKeys);
        client.setParameter(Tag::KickLevel, 0.0f);
        keys.clear();
        if (struck)
            for (int key : kD) keys.push_back(noteOnAt(driver->position, key));
        std::vector<float> after;
        driver->run(keys, int64_t(kRate), kBlock, &after);
        if (!struck) {
            const float peak = *std::max_element(after.begin(), after.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); });
            EXPECT_LT(20 * std::log10(std::fabs(peak) + 1e-30f), -50.0f) << "dBFS after the reload with the keys up";
            continue;
        }
        const std::array<double, 12> power = pitchClassPower(spectrumOf(after.data(), after.size(), kRate), 100, 2000);
        double old = 0.0, all = 0.0;
        for (int c = 0; c < 12; ++c) {
            all += power[size_t(c)];
            if (kOldOnly.count(c)) old += power[size_t(c)];
        }
        EXPECT_LT(old / all, 0.05) << "the old chord's share of the pitched sound under the new one";
    }
}

}  // namespace

namespace {

// Each chord bank read back as the chord-bank menu loads it: its eight
// pages hold, from a root at the bottom, the chords the "Chordlist" menu
// names them by.
TEST_F(FactoryPresets, TheChordBanksHoldTheChordsTheirPagesAreNamedFor) {
    const std::vector<std::pair<const char*, std::set<int>>> pages = {
        {"major", {0, 4, 7}},         {"maj 6", {0, 4, 7, 9}}, {"maj 7", {0, 4, 7, 11}}, {"maj 9", {0, 2, 4, 7, 11}},
        {"minor", {0, 3, 7}},         {"min 6", {0, 3, 7, 9}}, {"min 7", {0, 3, 7, 10}}, {"min 9", {0, 2, 3, 7, 10}},
    };
    for (const FactoryChordBank& bank : factoryChordBanks()) {
        auto client = makeInstance();
        BWTableXY& list = client->patterns().chordList;
        ASSERT_TRUE(loadObjectDialog(&list, factoryChordBankPath(content->path(), bank).string())) << bank.name;
        for (size_t page = 0; page < pages.size(); ++page) {
            std::set<int> classes;
            int lowest = -1;
            for (int cell = 0; cell < 48; ++cell) {
                if (list.getValueOnPage(uint64_t(cell), page) <= 0.0f) continue;
                if (lowest < 0) lowest = cell;
                classes.insert((cell - lowest) % 12);
            }
            EXPECT_EQ(classes, pages[page].second) << bank.name << ": " << pages[page].first;
        }
    }
}

}  // namespace
