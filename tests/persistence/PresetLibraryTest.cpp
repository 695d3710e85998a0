#include "persistence/PresetLibrary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstring>
#include <fstream>

#include "persistence/BWChunk.h"
#include "persistence/PresetInfo.h"
#include "support/HangWatchdog.h"
#include "support/TempDir.h"

namespace {

constexpr int32_t kMarker = 290908;

// A plain preset body: head length, 1, version, marker, end of bindings.
std::vector<uint32_t> body(int32_t version = 9, int32_t marker = kMarker, int32_t one = 1) {
    return {5, uint32_t(one), uint32_t(version), uint32_t(marker), uint32_t(-1), 0, 0, 2620001};
}

std::vector<uint32_t> presetWords(std::vector<uint32_t> rest, uint32_t format = BWChunk::kFormatPlain) {
    std::vector<uint32_t> words{0, 9, 0x42F00000u, 0x472C4400u, format};
    words.insert(words.end(), rest.begin(), rest.end());
    words[0] = uint32_t(words.size());
    return words;
}

// The same body behind a compressed-body header.
std::vector<uint32_t> compressedPreset(const std::vector<uint32_t>& plain) {
    uLongf size = compressBound(plain.size() * 4);
    std::vector<unsigned char> packed(size);
    compress(packed.data(), &size, reinterpret_cast<const Bytef*>(plain.data()), plain.size() * 4);
    std::vector<uint32_t> rest{uint32_t(plain.size() * 4)};
    std::vector<uint32_t> stream((size + 3) / 4, 0);
    std::memcpy(stream.data(), packed.data(), size);
    rest.insert(rest.end(), stream.begin(), stream.end());
    return presetWords(rest, BWChunk::kFormatCompressed);
}

void writeWords(const std::filesystem::path& path, const std::vector<uint32_t>& words) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(words.data()), words.size() * 4);
}

std::vector<std::string> bankNames(const PresetLibrary& library) {
    std::vector<std::string> names;
    for (uint32_t i = 0; i < library.getBankCount(); ++i) names.push_back(library.getBank(i).name);
    return names;
}

std::vector<std::string> entryNames(const PresetLibrary& library, int32_t bank) {
    std::vector<std::string> names;
    for (const auto& entry : library.getBank(bank).entries) names.push_back(entry->name);
    return names;
}

}  // namespace

TEST(PresetLibrary, BanksInMakersOrderAndTheMidiProgramsBankIsCurrent) {
    TempDir root;
    for (const char* folder : {"alpha", "Midi Programs", "Brindlewick Basics"})
        writeWords(root / folder / "One.zvp", presetWords(body()));
    PresetLibrary library("zvp", 1, kMarker);
    library.rescan(root.str() + "/", false);
    EXPECT_EQ(bankNames(library), (std::vector<std::string>{"Brindlewick Basics", "alpha", "Midi Programs"}));
    EXPECT_EQ(library.getCurrentBank(), 2);
    EXPECT_EQ(library.findBank("alpha"), 1);
    EXPECT_EQ(library.findBank("Alpha"), -1);
    EXPECT_EQ(library.findPresetInBank(2, "One"), 0);
    EXPECT_NE(library.getPresetInCurrentBank(0), nullptr);
    EXPECT_EQ(library.getPresetInCurrentBank(1), nullptr);
    int32_t bank = 0, index = 0;
    EXPECT_FALSE(library.findPresetByName("One", bank, index));

    auto copy = library.copyPresetInCurrentBank(0);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->getPosition(), 0u);
    EXPECT_TRUE(copy->parseHeader(true));
    EXPECT_EQ(copy->getDataLength(), presetWords(body()).size());
}

TEST(PresetLibrary, AFolderListsItsPresetsInNaturalOrderAndPassesOverWhatItCannotUse) {
    TempDir root;
    const auto bank = root / "Bank";
    for (const char* name : {"Pad 10.zvp", "Pad 9.zvp", "pad_1.zvp", "Zed.zvp"}) writeWords(bank / name, presetWords(body()));
    writeWords(bank / "notes.txt", presetWords(body()));
    writeWords(bank / "Foreign.zvp", presetWords(body(), BWChunk::kFormatUnset));
    writeWords(bank / "Zero.zvp", presetWords(body(9, kMarker, 0)));  // below the lowest accepted
    writeWords(bank / "Other.zvp", presetWords(body(9, 1234)));       // another kind's marker
    writeWords(bank / "Early.zvp", presetWords(body(1, 1234)));       // too early to carry a marker
    writeWords(bank / "Pad 95.zvp", {9, 9, 0, 0, BWChunk::kFormatPlain, 0, 0, 0, 0});  // length 9
    auto cut = presetWords(body());
    cut.resize(cut.size() - 2);  // shorter than its header says
    writeWords(bank / "Cut.zvp", cut);
    writeWords(bank / "Packed.zvp", compressedPreset(std::vector<uint32_t>(body())));
    writeWords(bank / "Packed bad.zvp", compressedPreset(body(9, 77)));
    // A named pipe (and a link to one) is passed over at once, never waited on.
    const HangWatchdog watchdog;
    ASSERT_EQ(mkfifo((bank / "A Fifo.zvp").c_str(), 0644), 0);
    std::filesystem::create_symlink(bank / "A Fifo.zvp", bank / "A Link.zvp");

    PresetLibrary library("zvp", 1, kMarker);
    library.rescan(root.str(), true);
    // A damaged file is passed over instead of ending the folder's scan, and
    // a compressed body is judged by its inflated words.
    EXPECT_EQ(entryNames(library, 0), (std::vector<std::string>{"Early", "Packed", "Pad 9", "Pad 10", "pad_1", "Zed"}));
    EXPECT_EQ(library.getCurrentBank(), -1);
    // The check leaves each entry as its file holds it, read from the start:
    // a plain body is checked in place, a compressed one stays compressed.
    for (const auto& entry : library.getBank(0).entries) {
        const std::vector<uint32_t> file = entry->name == "Packed" ? compressedPreset(std::vector<uint32_t>(body()))
                                           : entry->name == "Early" ? presetWords(body(1, 1234))
                                                                    : presetWords(body());
        ASSERT_EQ(entry->chunk.getCapacityWords(), file.size()) << entry->name;
        EXPECT_EQ(std::memcmp(entry->chunk.getWords(), file.data(), file.size() * 4), 0) << entry->name;
        EXPECT_EQ(entry->chunk.getPosition(), 0u) << entry->name;
        EXPECT_FALSE(entry->chunk.hasFailed()) << entry->name;
    }
}

TEST(PresetLibrary, LimitsNamesAndLookUpsOutOfRange) {
    TempDir root;
    const std::string longName(70, 'p');
    writeWords(root / "Bank" / (longName + ".zvp"), presetWords(body()));
    for (int i = 0; i < 130; ++i) writeWords(root / "Many" / ("P" + std::to_string(i) + ".zvp"), presetWords(body()));
    PresetLibrary library("zvp", 1, kMarker);
    library.rescan(root.str(), false);
    char name[80];
    library.getPresetName(0, 0, name);
    EXPECT_EQ(std::string(name), longName.substr(0, 64));
    library.getPresetName(0, 1, name);
    EXPECT_STREQ(name, "empty");
    library.getPresetName(5, 0, nullptr);  // no buffer: nothing happens
    EXPECT_EQ(library.getBank(1).entries.size(), 128u);
    EXPECT_EQ(library.getPreset(1, 128), nullptr);
    EXPECT_EQ(library.getPreset(-1, 0), nullptr);
    EXPECT_EQ(library.findPresetInBank(7, "P1"), -1);

    library.clear();
    EXPECT_EQ(library.getBankCount(), 0u);
    EXPECT_EQ(library.getBank(0).name, "empty");
}

TEST(PresetInfo, ReadsEveryMarkerFormAndWritesTheNewest) {
    PresetInfo written;
    written.author = "ann";
    written.text1 = "t1";
    written.tags = "pads";
    written.number = 7;
    written.path = "/p/x.zvp";
    BWChunk chunk;
    written.writeChunk(&chunk);
    chunk.allocateMeasured();
    chunk.setPosition(0);
    written.writeChunk(&chunk);
    chunk.setPosition(0);
    PresetInfo read;
    ASSERT_TRUE(read.readChunk(&chunk, false));
    EXPECT_EQ(read.author, "ANN");
    EXPECT_EQ(read.text1, "T1");
    EXPECT_EQ(read.tags, "PADS");
    EXPECT_EQ(read.number, 7);
    EXPECT_EQ(read.path, "/p/x.zvp");
    EXPECT_EQ(chunk.getPosition(), chunk.getCapacityWords());

    // The oldest form: a name first, no tags.
    const std::vector<uint32_t> old{11000, 1, 'n', 1, 'a', 0, 0, 0, 3};
    BWChunk oldChunk(const_cast<uint32_t*>(old.data()), uint32_t(old.size() * 4));
    PresetInfo oldInfo;
    ASSERT_TRUE(oldInfo.readChunk(&oldChunk, true));
    EXPECT_EQ(oldInfo.name, "n");
    EXPECT_EQ(oldInfo.author, "a");
    EXPECT_EQ(oldInfo.tags, "Untagged");
    EXPECT_EQ(oldInfo.number, 3);
}
