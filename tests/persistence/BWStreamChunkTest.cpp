#include "persistence/BWStreamChunk.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "persistence/WriteObjectChunk.h"
#include "support/AllocationFailure.h"
#include "support/TempDir.h"

namespace {

std::vector<char> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, const std::vector<uint32_t>& words, size_t bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(words.data()), std::streamsize(bytes));
}

void writeZone(BWChunk* chunk) {
    chunk->writeHeader(BWChunk::kFormatPlain);
    chunk->writeInt(36);
    chunk->writeFloat(-0.25f);
    const int32_t rect[4] = {-1, 0, 960, 697};
    chunk->writeRect(rect);
    chunk->writeString("Piano C3");
    chunk->writeString(nullptr);
    chunk->writeBlock("\x01\x02\x03\x04\x05", 5);
    chunk->writeRawBytes("RIFF", 4);
}

size_t filesIn(const TempDir& dir) {
    return size_t(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()));
}

}  // namespace

TEST(BWStreamChunk, WritesTheSameFileAsAMemoryChunkAndReadsItBack) {
    TempDir dir;
    const auto path = dir / "Piano.bwr";
    {
        BWStreamChunk out;
        ASSERT_TRUE(out.openForWriting(path.c_str()));
        writeZone(&out);
        EXPECT_FALSE(out.hasFailed());
    }  // the destructor puts the length word first and moves the file in place

    BWChunk memory;
    ASSERT_TRUE(writeInTwoPasses(&memory, writeZone));
    const auto* words = static_cast<const char*>(memory.getWords());
    EXPECT_EQ(fileBytes(path), std::vector<char>(words, words + memory.getCapacityWords() * 4));
    EXPECT_EQ(filesIn(dir), 1u);  // no temporary left

    BWStreamChunk in;
    ASSERT_TRUE(in.openForReading(path.c_str()));
    ASSERT_TRUE(in.parseHeader(false));
    EXPECT_EQ(in.getDataLength(), memory.getCapacityWords());
    EXPECT_EQ(in.readInt(), 36);
    in.stepBack();  // no effect on the file
    EXPECT_EQ(in.readFloat(), -0.25f);
    ChunkRect rect;
    EXPECT_EQ(in.readRect(rect).bottom, 697);
    char name[5];
    EXPECT_EQ(in.readString(name, sizeof name), 2);
    EXPECT_STREQ(name, "Pian");
    std::string kept = "kept";
    in.readString(kept);  // a zero length leaves the text as it was
    EXPECT_EQ(kept, "kept");
    EXPECT_EQ(in.readInt(), 5);
    unsigned char block[5] = {};
    EXPECT_EQ(in.readPaddedBytes(block, 5), 1u);
    EXPECT_EQ(block[4], 5);
    char raw[4];
    in.readRawBytes(raw, 4);
    EXPECT_EQ(std::string(raw, 4), "RIFF");
    EXPECT_FALSE(in.hasFailed());
    EXPECT_EQ(in.wordsLeft(), 0u);
    EXPECT_EQ(in.readWord(), 0u);
    EXPECT_TRUE(in.hasFailed());
}

TEST(BWStreamChunk, ShortFilesAndOversizedStringsFailTheRead) {
    TempDir dir;
    const auto path = dir / "cut.bwr";
    writeFile(path, {0x7FFFFFF0u, 0x61616161u, 7u}, 10);  // a huge length, then a cut word
    BWStreamChunk in;
    ASSERT_TRUE(in.openForReading(path.c_str()));
    EXPECT_EQ(in.wordsLeft(), 2u);
    EXPECT_EQ(in.readString(), nullptr);  // refused without reserving the length
    EXPECT_TRUE(in.hasFailed());
    EXPECT_EQ(in.wordsLeft(), 0u);

    ASSERT_TRUE(in.openForReading(path.c_str()));
    EXPECT_FALSE(in.hasFailed());
    EXPECT_EQ(in.readInt(), 0x7FFFFFF0);
    EXPECT_EQ(in.readInt(), 0x61616161);
    EXPECT_EQ(in.readInt(), 0);  // two bytes left of a word
    EXPECT_TRUE(in.hasFailed());

    // Shorter than a header: refused like a memory chunk.
    ASSERT_TRUE(in.openForReading(path.c_str()));
    EXPECT_FALSE(in.parseHeader(true));

    BWStreamChunk closed;
    EXPECT_FALSE(closed.openForReading((dir / "missing.bwr").c_str()));
    EXPECT_EQ(closed.readInt(), 0);
    EXPECT_TRUE(closed.hasFailed());
}

TEST(BWStreamChunk, AFailedWriteLeavesTheTargetAsItWasAndTwoWritersNeverMix) {
    TempDir dir;
    const auto path = dir / "Organ.bwr";
    writeFile(path, {42u}, 4);
    BWStreamChunk out;
    ASSERT_TRUE(out.openForWriting(path.c_str()));
    out.writeInt(1);
    EXPECT_EQ(out.writeRawBytes("x", -1), 0);  // a negative count fails the write
    EXPECT_FALSE(out.finishWriting());
    EXPECT_EQ(fileBytes(path), (std::vector<char>{42, 0, 0, 0}));
    EXPECT_EQ(filesIn(dir), 1u);

    BWStreamChunk nowhere;
    EXPECT_FALSE(nowhere.openForWriting((dir / "no-such-folder" / "x.bwr").c_str()));
    nowhere.writeInt(1);  // nothing open
    EXPECT_TRUE(nowhere.hasFailed());

    // Two writers of one file at once each put their own whole file in place
    // (a shared temporary once mixed their words and reported success).
    BWStreamChunk first, second;
    ASSERT_TRUE(first.openForWriting(path.c_str()) && second.openForWriting(path.c_str()));
    first.writeInt(1);
    second.writeRawBytes("two words", 8);
    EXPECT_TRUE(first.finishWriting());
    EXPECT_EQ(fileBytes(path), (std::vector<char>{1, 0, 0, 0}));
    EXPECT_TRUE(second.finishWriting());
    EXPECT_EQ(fileBytes(path), (std::vector<char>{2, 0, 0, 0, 'w', 'o', 'r', 'd'}));
}

// A string that memory cannot hold fails the read like a cut one, in each
// form a reader takes it, and leaves the text it was given alone.
TEST(BWStreamChunk, AStringMemoryCannotHoldFailsTheRead) {
    TempDir dir;
    const auto path = dir / "long.bwr";
    constexpr uint32_t kLength = 2u << 20;
    std::vector<uint32_t> words(1 + kLength / 4, 0x61616161u);
    words[0] = kLength;
    writeFile(path, words, words.size() * 4);
    for (int form = 0; form < 3; ++form) {
        BWStreamChunk in;
        ASSERT_TRUE(in.openForReading(path.c_str()));
        std::string text = "kept";
        char buffer[8] = "kept";
        {
            AllocationFailure failure(1u << 20);
            if (form == 0) {
                in.readString(text);
            } else if (form == 1) {
                EXPECT_EQ(in.readString(), nullptr);
            } else {
                EXPECT_EQ(in.readString(buffer, sizeof buffer), 0);
            }
            EXPECT_GT(failure.refused(), 0u) << form;
        }
        EXPECT_TRUE(in.hasFailed()) << form;
        EXPECT_EQ(text, "kept");
    }
}
