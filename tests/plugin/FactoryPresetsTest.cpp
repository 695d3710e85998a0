// The factory presets as a musician meets them: each one, loaded as the
// preset menus load it, turns a held chord into a phrase that sounds in
// every half second on the chord's own notes, and the eight programs of the
// "MIDI PROGRAMS" bank, loaded by program changes, sound unlike each other.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "RenderDriver.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryContent.h"
#include "factory/FactoryPresets.h"
#include "host/demo/DemoState.h"
#include "persistence/ObjectFiles.h"
#include "persistence/SettingNames.h"
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
constexpr int32_t kChordSelect = 74;
constexpr float kChordFromTheKeys = 1.0f;

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
    static std::unique_ptr<RenderDriver> instance() {
        auto driver = std::make_unique<RenderDriver>(true);
        setSettingString(SettingNames::kInstrumentsPath, (content->path() / kInstrumentsFolder).string() + "/");
        setSettingString("presetpath0", (content->path() / "Global Presets").string() + "/");
        globalRomplerLibrary().scan(true);
        driver->instance->reloadPresetLibrary();
        driver->instance->setSampleRate(kRate);
        // "Chord Select" is the player's and survives preset loads: the
        // presets are made for chords taken from the keys.
        driver->instance->setParameter(kChordSelect, kChordFromTheKeys);
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

    // The chord held for three seconds (the left channel); then the keys
    // let go and the tails left to die, so that the next take starts clean.
    static std::vector<float> holdChord(RenderDriver& driver) {
        std::vector<MidiAt> script;
        for (int key : kChord) script.push_back(noteOnAt(driver.position, key));
        std::vector<float> audio;
        driver.run(script, kHeld, kBlock, &audio);
        script.clear();
        for (int key : kChord) script.push_back(noteOffAt(driver.position, key));
        driver.run(script, kTail, kBlock);
        return audio;
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
