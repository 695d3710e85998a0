#include "core/BWMouseAreaChunk.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <limits>
#include <utility>
#include <vector>

#include "support/ChunkWords.h"
#include "support/FloatWord.h"

namespace {

// What a read of the words answers.
int32_t readResult(BWMouseAreaChunk& area, std::vector<uint32_t> words, bool skipOnly = false) {
    return readWords(area, std::move(words), skipOnly).result;
}

}  // namespace

TEST(BWMouseAreaChunkTest, WritesSixOrSevenFloatsInPointerOrder) {
    BWMouseAreaChunk area(0.01f);
    EXPECT_EQ(area.getTypeCode(), kTypeFloatValue);
    std::atomic<float> seventh{0.7f};
    for (bool bound : {false, true}) {
        if (bound) area.bind(6, &seventh);
        const std::vector<uint32_t> words = wordsOf(area);
        ASSERT_EQ(words.size(), bound ? 9u : 8u);
        EXPECT_EQ(words[1], bound ? 7u : 6u);
        EXPECT_EQ(words[2], floatWord(0.01f));
        EXPECT_EQ(words[7], 0u);  // an unbound pointer
    }
}

TEST(BWMouseAreaChunkTest, ReadingIsBoundedAndKeepsValuesInRange) {
    BWMouseAreaChunk area(0.5f);
    std::atomic<float> second{0.0f};
    area.bind(1, &second);
    EXPECT_EQ(readResult(area, {11, 3, floatWord(0.2f), floatWord(0.3f), floatWord(0.4f)}), 1);
    EXPECT_EQ(area.value(), 0.2f);
    EXPECT_EQ(second.load(), 0.3f);
    EXPECT_EQ(readResult(area, {11, 0}), 1);
    for (const auto& bad : {std::vector<uint32_t>{11, 3, floatWord(0.9f)}, {11, 100000}, {11}}) {
        EXPECT_EQ(readResult(area, bad), 0);
        EXPECT_EQ(area.value(), 0.2f);
    }
    EXPECT_EQ(readResult(area, {11, 1, floatWord(0.9f)}, true), 1);
    EXPECT_EQ(area.value(), 0.2f);
    EXPECT_EQ(readResult(area, {11, 1, floatWord(std::numeric_limits<float>::quiet_NaN())}), 1);
    EXPECT_EQ(area.value(), 0.0f);
    EXPECT_EQ(readResult(area, {11, 1, floatWord(7.0f)}), 1);
    EXPECT_EQ(area.value(), 1.0f);
}
