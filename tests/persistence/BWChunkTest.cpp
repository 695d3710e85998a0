#include "persistence/BWChunk.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <vector>

#include "persistence/WriteObjectChunk.h"
#include "support/ChunkWords.h"

namespace {

uint32_t text4(const char (&text)[5]) {
    uint32_t word = 0;
    std::memcpy(&word, text, 4);
    return word;
}

// One of every write, after the header.
void writeEveryKind(BWChunk* chunk) {
    chunk->writeHeader(BWChunk::kFormatPlain);
    chunk->writeFloat(1.5f);
    chunk->writeInt(-1);
    const int32_t rect[4] = {1, 2, 3, 4};
    chunk->writeRect(rect);
    chunk->write(2.5f);
    chunk->write(int32_t(-7));
    chunk->write(uint32_t(0xDEADBEEF));
    chunk->writeBytes("ABCDEFGH", 8);
    chunk->writeString(nullptr);
    chunk->writeString("");
    chunk->writeString("abcd");
    chunk->writeString("hello");
    EXPECT_EQ(chunk->writeRawBytes("WXYZ", 4), 1);
    chunk->writeBlock(nullptr, 9);
    chunk->writeBlock("xyz", 3);
}

}  // namespace

TEST(BWChunk, BothPassesCountTheSameWordsAndPadStringsExactly) {
    BWChunk measured;
    EXPECT_TRUE(measured.isMeasuring());
    writeEveryKind(&measured);
    EXPECT_EQ(measured.getWords(), nullptr);  // measuring stores nothing

    BWChunk chunk;
    ASSERT_TRUE(writeInTwoPasses(&chunk, writeEveryKind));
    EXPECT_EQ(chunk.getPosition(), measured.getPosition());
    EXPECT_EQ(chunk.getCapacityWords(), measured.getPosition());

    const std::vector<uint32_t> expected = {
        27, 9, std::bit_cast<uint32_t>(120.0f), std::bit_cast<uint32_t>(44100.0f), 26101977,
        std::bit_cast<uint32_t>(1.5f), 0xFFFFFFFF, 1, 2, 3, 4,
        std::bit_cast<uint32_t>(2.5f), uint32_t(-7), 0xDEADBEEF, text4("ABCD"), text4("EFGH"),
        0,                                  // null string
        0,                                  // empty string
        4, text4("abcd"),                   // no padding word after 4 bytes
        5, text4("hell"), uint32_t('o'),    // 5 bytes take two words, zero padded
        text4("WXYZ"),
        0,                                  // null block
        3, uint32_t('x') | uint32_t('y') << 8 | uint32_t('z') << 16,
    };
    EXPECT_EQ(wordsOf(chunk), expected);
}

TEST(BWChunk, EveryKindReadsBackInItsForms) {
    BWChunk chunk;
    ASSERT_TRUE(writeInTwoPasses(&chunk, writeEveryKind));
    ASSERT_TRUE(chunk.parseHeader(false));

    float f = 0;
    chunk.readFloat(f);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(chunk.readInt(), -1);
    chunk.stepBack();  // the same word again
    int32_t i = 0;
    chunk.readInt(i);
    EXPECT_EQ(i, -1);

    const uint32_t rectStart = chunk.getPosition();
    int32_t rect[4] = {};
    chunk.readRect(rect);
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{1, 2, 3, 4}));
    chunk.setPosition(rectStart);
    ChunkRect r;
    const ChunkRect answered = chunk.readRect(r);
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 3);
    EXPECT_EQ(answered.bottom, 4);

    chunk.read(f);
    chunk.read(i);
    uint32_t u = 0;
    chunk.read(u);
    EXPECT_EQ(f, 2.5f);
    EXPECT_EQ(i, -7);
    EXPECT_EQ(u, 0xDEADBEEFu);

    char raw[9] = {};
    chunk.readBytes(raw, 8);
    EXPECT_STREQ(raw, "ABCDEFGH");

    std::string text = "stale";
    chunk.readString(text);
    EXPECT_EQ(text, "");                    // null string
    EXPECT_EQ(chunk.readString(), nullptr);  // empty string
    char buffer[16];
    EXPECT_EQ(chunk.readString(buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_STREQ(chunk.readString().get(), "hello");

    chunk.readRawBytes(raw, 4);
    EXPECT_EQ(std::string(raw, 4), "WXYZ");
    EXPECT_EQ(chunk.readInt(), 0);  // null block
    EXPECT_EQ(chunk.readInt(), 3);
    char block[4] = {};
    EXPECT_EQ(chunk.readPaddedBytes(block, 3), 3u);
    EXPECT_STREQ(block, "xyz");
    EXPECT_EQ(chunk.wordsLeft(), 0u);
    EXPECT_FALSE(chunk.hasFailed());
}

TEST(BWChunk, ReadsPastTheEndYieldZeroAndStayFailed) {
    uint32_t words[3] = {7, 8, 0};
    BWChunk chunk(words, 2 * 4);  // the third word is not the chunk's
    EXPECT_EQ(chunk.readInt(), 7);
    EXPECT_EQ(chunk.readFloat(), std::bit_cast<float>(8u));
    EXPECT_FALSE(chunk.hasFailed());
    EXPECT_EQ(chunk.readInt(), 0);
    EXPECT_TRUE(chunk.hasFailed());

    chunk.setPosition(0);
    char bytes[12];
    std::memset(bytes, 'x', sizeof bytes);
    chunk.readBytes(bytes, 12);  // wants three words, two are there
    EXPECT_EQ(std::string(bytes, 12), std::string(12, '\0'));
    EXPECT_EQ(chunk.getPosition(), 2u);
    EXPECT_EQ(chunk.readInt(), 0);  // still failed: parked at the end
    EXPECT_TRUE(chunk.hasFailed());

    BWChunk empty;
    EXPECT_EQ(empty.readInt(), 0);
    EXPECT_TRUE(empty.hasFailed());
}

TEST(BWChunk, StringLengthsBeyondTheDataAreRefused) {
    // A length of 9 bytes needs three words; only two follow.
    uint32_t words[] = {9, text4("abcd"), text4("efgh")};
    BWChunk chunk(words, sizeof words);
    std::string text = "stale";
    chunk.readString(text);
    EXPECT_EQ(text, "");
    EXPECT_TRUE(chunk.hasFailed());

    BWChunk again(words, sizeof words);
    EXPECT_EQ(again.readString(), nullptr);
    EXPECT_TRUE(again.hasFailed());

    uint32_t huge[] = {0xFFFFFFFF, 0};
    BWChunk corrupt(huge, sizeof huge);
    char buffer[8] = "stale";
    EXPECT_EQ(corrupt.readString(buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_TRUE(corrupt.hasFailed());

    // A caller buffer is filled to its size, and the whole string consumed.
    uint32_t stored[] = {9, text4("a lo"), text4("ng n"), 'a', 42};
    BWChunk named(stored, sizeof stored);
    char shortBuffer[6];
    EXPECT_EQ(named.readString(shortBuffer, sizeof shortBuffer), 3);
    EXPECT_STREQ(shortBuffer, "a lon");
    EXPECT_EQ(named.readInt(), 42);
    EXPECT_FALSE(named.hasFailed());
}

TEST(BWChunk, RealPassFailsInsteadOfWritingPastTheMeasuredSize) {
    int pass = 0;
    BWChunk chunk;
    EXPECT_FALSE(writeInTwoPasses(&chunk, [&](BWChunk* c) {
        c->writeHeader(BWChunk::kFormatPlain);
        c->writeString(++pass == 1 ? "abc" : "a longer text than measured");
    }));
    EXPECT_TRUE(chunk.hasFailed());
    EXPECT_EQ(chunk.getCapacityWords(), 7u);

    pass = 0;
    EXPECT_FALSE(writeInTwoPasses(&chunk, [&](BWChunk* c) {
        c->writeHeader(BWChunk::kFormatPlain);
        if (++pass == 1) c->writeInt(1);  // fewer words the second time
    }));
    EXPECT_FALSE(chunk.hasFailed());

    EXPECT_TRUE(writeInTwoPasses(&chunk, [](BWChunk* c) { c->writeHeader(BWChunk::kFormatPlain); }));
    EXPECT_EQ(chunk.getCapacityWords(), 5u);
    EXPECT_FALSE(writeInTwoPasses(nullptr, [](BWChunk*) {}));
}

TEST(BWChunk, WritesIntoSomeoneElsesBytesStoreThemAndStopAtTheEnd) {
    uint32_t words[3] = {0, 0, 0xABCD};
    BWChunk chunk(words, 2 * 4);  // the third word is not the chunk's
    EXPECT_FALSE(chunk.isMeasuring());
    chunk.writeInt(-2);
    chunk.writeFloat(0.5f);
    EXPECT_FALSE(chunk.hasFailed());
    EXPECT_EQ(words[0], 0xFFFFFFFEu);
    EXPECT_EQ(words[1], std::bit_cast<uint32_t>(0.5f));
    chunk.writeInt(9);  // no room: refused, not measured
    EXPECT_TRUE(chunk.hasFailed());
    EXPECT_EQ(words[2], 0xABCDu);
}

// A position past the bytes would make the next step start outside them; a
// chunk over no bytes has no address to step from at all.
TEST(BWChunk, PositionsStopAtTheEndExceptWhileMeasuring) {
    uint32_t words[2] = {5, 6};
    BWChunk chunk(words, sizeof words);
    BWChunk none(nullptr, 0);
    BWChunk measured;
    for (BWChunk* c : {&chunk, &none, &measured}) c->setPosition(9);
    EXPECT_EQ(chunk.getPosition(), 2u);
    EXPECT_EQ(none.getPosition(), 0u);
    EXPECT_EQ(measured.getPosition(), 9u);
    EXPECT_FALSE(measured.hasFailed());

    for (BWChunk* c : {&chunk, &none}) {
        c->writeBytes("", 0);
        c->writeBlock(nullptr, 0);  // its length word does not fit
        EXPECT_EQ(c->writeRawBytes("", 0), 0);
        c->readPaddedBytes(nullptr, 0);
        EXPECT_TRUE(c->hasFailed());  // from the step past the end on
        EXPECT_EQ(c->getPosition(), c->getCapacityWords());
    }
    BWChunk empty(nullptr, 0);
    empty.writeBytes("", 0);
    EXPECT_FALSE(empty.hasFailed());  // nothing to copy is no fault
    chunk.setPosition(1);
    EXPECT_EQ(chunk.readInt(), 6);
    EXPECT_EQ(std::vector<uint32_t>(words, words + 2), (std::vector<uint32_t>{5, 6}));
}
