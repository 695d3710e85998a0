#include "core/BWMouseAreaChunk.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>
#include <vector>

#include "persistence/BWChunk.h"

namespace {

uint32_t word(float value) { return std::bit_cast<uint32_t>(value); }

std::vector<uint32_t> wordsOf(BWChunkableClass& object) {
    BWChunk chunk;
    object.writeChunk(&chunk);
    chunk.allocateMeasured();
    chunk.setPosition(0);
    object.writeChunk(&chunk);
    std::vector<uint32_t> words(chunk.getCapacityWords());
    if (!words.empty()) std::memcpy(words.data(), chunk.getWords(), words.size() * 4);
    return words;
}

struct Read {
    int32_t result;
    uint32_t position;
};

Read readWords(BWChunkableClass& object, std::vector<uint32_t> words, bool skipOnly = false) {
    BWChunk chunk(words.data(), static_cast<uint32_t>(words.size() * 4));
    const int32_t result = object.readChunk(&chunk, skipOnly);
    return {result, chunk.getPosition()};
}

}  // namespace

TEST(BWMouseAreaChunkTest, StoresItsValueAsAFloatObject) {
    BWMouseAreaChunk area(0.01f);
    EXPECT_EQ(area.getTypeCode(), kTypeFloatValue);
    EXPECT_EQ(area.value(), 0.01f);
    EXPECT_EQ(wordsOf(area), (std::vector<uint32_t>{11, 6, word(0.01f), 0, 0, 0, 0, 0}));

    BWMouseAreaChunk copy;
    const Read read = readWords(copy, wordsOf(area));
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.position, 8u);
    EXPECT_EQ(copy.value(), 0.01f);
}

TEST(BWMouseAreaChunkTest, BoundFloatsTravelInPointerOrder) {
    float owner[7] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f};
    BWMouseAreaChunk area;
    for (size_t i = 0; i < 7; ++i) area.bind(i, &owner[i]);
    const std::vector<uint32_t> words = wordsOf(area);
    ASSERT_EQ(words.size(), 9u);
    EXPECT_EQ(words[1], 7u);
    EXPECT_EQ(words[8], word(0.7f));

    float target[7] = {};
    BWMouseAreaChunk reader;
    for (size_t i = 0; i < 7; ++i) reader.bind(i, &target[i]);
    std::vector<uint32_t> longer = words;
    longer[1] = 8;
    longer.push_back(word(0.9f));  // beyond the pointers: dropped
    EXPECT_EQ(readWords(reader, longer).result, 1);
    EXPECT_EQ(target[6], 0.7f);
    EXPECT_EQ(reader.value(), 0.1f);
}

TEST(BWMouseAreaChunkTest, ReadingIsBoundedAndKeepsValuesInRange) {
    BWMouseAreaChunk area(0.5f);
    EXPECT_EQ(readWords(area, {11, 0}).result, 1);  // no floats
    EXPECT_EQ(readWords(area, {11, 3, word(0.2f)}).result, 0);
    EXPECT_EQ(readWords(area, {11, 100000}).result, 0);
    EXPECT_EQ(readWords(area, {11}).result, 0);
    EXPECT_EQ(area.value(), 0.5f);

    const Read skipped = readWords(area, {11, 2, word(0.2f), word(0.3f), 5}, true);
    EXPECT_EQ(skipped.result, 1);
    EXPECT_EQ(skipped.position, 4u);
    EXPECT_EQ(area.value(), 0.5f);

    EXPECT_EQ(readWords(area, {11, 1, word(std::numeric_limits<float>::quiet_NaN())}).result, 1);
    EXPECT_EQ(area.value(), 0.0f);
    EXPECT_EQ(readWords(area, {11, 1, word(7.0f)}).result, 1);
    EXPECT_EQ(area.value(), 1.0f);
}
