#include "engine/BWRompler.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "persistence/BWChunk.h"
#include "support/FloatWord.h"
#include "support/MessageCapture.h"
#include "support/TempDir.h"

namespace {

using Words = std::vector<uint32_t>;
namespace fs = std::filesystem;

Words readWords(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    Words words(fs::file_size(path) / 4);
    in.read(reinterpret_cast<char*>(words.data()), std::streamsize(words.size() * 4));
    return words;
}

void writeBytes(const fs::path& path, const Words& words, size_t byteCount) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(words.data()), std::streamsize(byteCount));
}

// Two zones: a looping stereo sample with its values embedded, and a mono one
// that names an audio file.
class BWRomplerTest : public testing::Test {
protected:
    void SetUp() override {
        BWSampleZone* low = piano.addZone();
        low->setKeyRange(0, 59);
        low->setLayerRange(0, 1);
        low->setRootKey(48);
        low->setTune(-0.25f);
        const int16_t left[] = {1, -2, 3, -4, 5}, right[] = {10, 20, 30, 40, 50};
        ASSERT_TRUE(low->getSample().setData(left, right, 5, 48000.0f));
        ASSERT_TRUE(low->getSample().setLoop(2, 5, true));
        low->getSample().setSampleName("low");
        low->getSample().setEmbedData(true);

        BWSampleZone* high = piano.addZone();
        high->setKeyRange(60, 127);
        high->setRootKey(72);
        const int16_t mono[] = {7, 8, 9};
        ASSERT_TRUE(high->getSample().setData(mono, nullptr, 3, 44100.0f));
        ASSERT_TRUE(high->getSample().exportWave(dir.str().c_str()));
        ASSERT_TRUE(high->getSample().setLoop(0, 3, false));
        high->getSample().setFileName(wave);
        ASSERT_TRUE(piano.saveFile(path.c_str()));
    }

    TempDir dir;
    std::string path = (dir / "Grand Piano.bwr").string();
    std::string wave = (dir / "empty.wav").string();  // the sample has no name of its own
    BWRompler piano;
    MessageCapture messages;
};

TEST_F(BWRomplerTest, InstrumentFilesReadBackWordForWord) {
    const Words words = readWords(path);
    ASSERT_GE(words.size(), 13u);
    EXPECT_EQ(words[0], words.size());
    EXPECT_EQ(words[1], 9u);
    EXPECT_EQ(words[2], floatWord(120.0f));
    EXPECT_EQ(words[3], floatWord(44100.0f));
    EXPECT_EQ(words[4], 26101977u);
    EXPECT_EQ(words[5], 2u);
    EXPECT_EQ(Words(words.begin() + 6, words.begin() + 13), (Words{0, 59, 0, 1, 48, 0, floatWord(-0.25f)}));

    BWRompler loaded;
    ASSERT_TRUE(loaded.loadFile(path.c_str()));
    EXPECT_STREQ(loaded.getName(), "Grand Piano");
    EXPECT_FALSE(loaded.getHeaderTempoIsOne());
    ASSERT_EQ(loaded.getZones().size(), 2u);
    const BWSampleZone& low = *loaded.getZones()[0];
    EXPECT_EQ(low.getRootKey(), 48);
    EXPECT_EQ(low.getLayerHigh(), 1);
    EXPECT_EQ(low.getSample().getRight()[4], 50);
    EXPECT_EQ(loaded.getZones()[1]->getLayerHigh(), 127);
    EXPECT_EQ(loaded.getZones()[1]->getSample().getLeft()[2], 9);
    EXPECT_TRUE(messages.texts().empty());

    const std::string again = (dir / "again.bwr").string();
    ASSERT_TRUE(loaded.saveFile(again.c_str()));
    EXPECT_EQ(readWords(again), words);


    // A header tempo of exactly 1.0 marks the instrument and is written back.
    Words marked = words;
    marked[2] = floatWord(1.0f);
    writeBytes(path, marked, marked.size() * 4);
    ASSERT_TRUE(loaded.loadFile(path.c_str()));
    EXPECT_TRUE(loaded.getHeaderTempoIsOne());
    ASSERT_TRUE(loaded.saveFile(again.c_str()));
    EXPECT_EQ(readWords(again), marked);

    // A referenced file that has gone: the zone stays, empty, and says so.
    fs::remove(wave);
    ASSERT_TRUE(loaded.loadFile(path.c_str()));
    ASSERT_EQ(loaded.getZones().size(), 2u);
    EXPECT_EQ(loaded.getZones()[1]->getSample().getFrames(), 0);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"TODO CHUNK ERROR"});
}

TEST_F(BWRomplerTest, MalformedFilesAreRefusedAndKeepThePreviousInstrument) {
    const Words words = readWords(path);
    const std::string bad = (dir / "bad.bwr").string();
    const auto expectRefused = [&](const std::string& file, const std::string& trace) {
        messages.clear();
        EXPECT_FALSE(piano.loadFile(file.c_str())) << trace;
        ASSERT_FALSE(messages.texts().empty()) << trace;
        EXPECT_EQ(messages.texts().back(), "loading ROM file from " + file + " failed") << trace;
        EXPECT_STREQ(piano.getName(), "Kept") << trace;
        ASSERT_EQ(piano.getZones().size(), 2u) << trace;
        EXPECT_EQ(piano.getZones()[0]->getSample().getLeft()[0], 1) << trace;
    };
    piano.setName("Kept");

    for (size_t cut = 0; cut < words.size() * 4; cut += 3) {
        writeBytes(bad, words, cut);
        expectRefused(bad, "cut at " + std::to_string(cut));
    }
    const auto patched = [&](size_t index, uint32_t value, const std::string& trace) {
        Words copy = words;
        copy[index] = value;
        writeBytes(bad, copy, copy.size() * 4);
        expectRefused(bad, trace);
    };
    for (uint32_t format : {26101978u, 26453980u, 26453981u, 26453978u, 0u}) patched(4, format, "format");
    patched(5, 0x7FFFFFFF, "zone count");
    patched(15, 0x40000000, "frame count");      // words 13, 14: marker and version of the first sample
    patched(21, 3, "channel count");
    patched(17, 5, "loop start at the frame count");
    expectRefused((dir / "missing.bwr").string(), "missing file");
    expectRefused(dir.str(), "a folder");
    expectRefused("x", "short path");
    EXPECT_FALSE(piano.loadFile(nullptr));
}

TEST_F(BWRomplerTest, RangesFromFilesAreHeldToTheKeyboard) {
    Words words = readWords(path);
    const Words wild = {uint32_t(-5), 300, 200, uint32_t(-1), 500, 77, floatWord(NAN)};
    std::copy(wild.begin(), wild.end(), words.begin() + 6);
    writeBytes(path, words, words.size() * 4);
    BWRompler loaded;
    ASSERT_TRUE(loaded.loadFile(path.c_str()));
    const BWSampleZone& zone = *loaded.getZones()[0];
    EXPECT_EQ(zone.getKeyLow(), 0);
    EXPECT_EQ(zone.getKeyHigh(), 127);
    EXPECT_EQ(zone.getLayerLow(), 127);
    EXPECT_EQ(zone.getLayerHigh(), 0);
    EXPECT_EQ(zone.getRootKey(), 500);
    EXPECT_EQ(zone.getReserved(), 77);
    EXPECT_EQ(zone.getTune(), 0.0f);

    // No zones: counts of 0 or less.
    for (uint32_t count : {0u, uint32_t(-3)}) {
        Words header(words.begin(), words.begin() + 6);
        header[5] = count;
        writeBytes(path, header, header.size() * 4);
        ASSERT_TRUE(loaded.loadFile(path.c_str()));
        EXPECT_TRUE(loaded.getZones().empty());
    }
}

TEST(BWRomplerLookups, FirstZoneWinsTheSearchLastZoneWinsTheTable) {
    BWRompler instrument;
    BWSampleZone* wide = instrument.addZone();
    wide->setKeyRange(50, 70);
    BWSampleZone* soft = instrument.addZone();
    soft->setKeyRange(60, 60);
    soft->setLayerRange(100, 127);
    EXPECT_EQ(instrument.findZone(60, 100), wide);
    EXPECT_EQ(instrument.findZone(71, 0), nullptr);
    EXPECT_EQ(instrument.findZoneByKey(60), wide);

    static BWRompler::ZoneTable table{};
    instrument.buildZoneTable(table);
    EXPECT_EQ(table[60][100], soft);
    EXPECT_EQ(table[60][99], wide);
    EXPECT_EQ(table[71][0], nullptr);

    soft->getSample().attachVoice();
    EXPECT_TRUE(instrument.isInUse());
    soft->getSample().detachVoice();
    EXPECT_FALSE(instrument.isInUse());
}

}  // namespace
