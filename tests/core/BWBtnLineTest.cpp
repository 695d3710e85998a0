#include "core/BWBtnLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "core/BWBtnLineGrids.h"
#include "core/BWSystemInfo.h"
#include "core/Framework.h"
#include "core/PatternClipboards.h"
#include "core/PatternRandom.h"
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

std::vector<float> lineOf(const BWBtnLine& grid, uint64_t line) {
    std::vector<float> steps;
    for (uint64_t i = 0; i < grid.getStepCount(); ++i) steps.push_back(grid.getStepOnLine(line, i));
    return steps;
}

void setLine(BWBtnLine& grid, uint64_t line, const std::vector<float>& steps) {
    for (size_t i = 0; i < steps.size(); ++i) grid.setStepOnLine(line, i, steps[i]);
}

class BWBtnLineTest : public ::testing::Test {
protected:
    void SetUp() override { clearClipboards(); }
    void TearDown() override { clearClipboards(); }
    static void clearClipboards() {
        btnLineClipboard().clear();
        btnLineSharedClipboard().clear();
    }

    BWSystemInfo context{8, nullptr, nullptr, nullptr};
};

}  // namespace

TEST_F(BWBtnLineTest, JoinsTheInitListUnlessItIsAClipboardCopy) {
    const size_t before = context.initInterfaceList.size();
    {
        BWBtnLine grid(&context, 32, 24);
        EXPECT_EQ(grid.getTypeCode(), kTypeStepLine);
        EXPECT_EQ(context.initInterfaceList.size(), before + 1);
        BWBtnLine copy(&context, 32, 24, true);
        EXPECT_EQ(context.initInterfaceList.size(), before + 1);
    }
    EXPECT_EQ(context.initInterfaceList.size(), before);
}

TEST_F(BWBtnLineTest, FillWritesTheCurrentLineOnly) {
    BWBtnLine grid(&context, 5, 3);
    grid.fillValue = 1.0f;
    grid.alternate = true;
    grid.setCurrentLine(1);
    grid.fill();
    EXPECT_EQ(lineOf(grid, 1), (std::vector<float>{0, 1, 0, 1, 0}));
    EXPECT_EQ(lineOf(grid, 0), (std::vector<float>(5, 0.0f)));

    grid.alternate = false;
    grid.fillValue = 0.25f;
    grid.resetCurrent();
    EXPECT_EQ(lineOf(grid, 1), (std::vector<float>(5, 0.25f)));
}

TEST_F(BWBtnLineTest, ResizeKeepsTheStepsOnlyAtTheSameSize) {
    BWBtnLine grid(&context, 4, 2);
    setLine(grid, 1, {1, 2, 3, 4});
    grid.fillValue = 0.5f;
    grid.resize(4, 2);
    EXPECT_EQ(lineOf(grid, 1), (std::vector<float>{1, 2, 3, 4}));
    grid.resize(6, 2);
    EXPECT_EQ(lineOf(grid, 1), (std::vector<float>(6, 0.5f)));
    grid.resize(BWBtnLine::kMaxSteps + 1, 2);  // refused
    EXPECT_EQ(grid.getStepCount(), 6u);
    grid.releaseLines();
    EXPECT_EQ(grid.getLineCount(), 0u);
    EXPECT_EQ(grid.getStep(0), 0.0f);
}

TEST_F(BWBtnLineTest, RandomizeFollowsThePatternGenerator) {
    BWBtnLine grid(&context, 8, 2);
    grid.maxValue = 3.0f;
    grid.restProbability = 0.8f;
    patternRandomSeed() = 645637;
    grid.randomize();
    EXPECT_EQ(lineOf(grid, 0), (std::vector<float>{0, 0, 0, 0, 0, 2, 0, 2}));
    EXPECT_EQ(patternRandomSeed(), 235195765);

    grid.restProbability = 0.0f;
    patternRandomSeed() = 645637;
    grid.randomize();
    EXPECT_EQ(lineOf(grid, 0), (std::vector<float>{0, 1, 2, 1, 1, 3, 2, 2}));
    EXPECT_EQ(lineOf(grid, 1), (std::vector<float>(8, 0.0f)));

    // Every step a rest, and exactly one draw per step.
    grid.restProbability = 1.0f;
    patternRandomSeed() = 645637;
    grid.randomize();
    EXPECT_EQ(lineOf(grid, 0), (std::vector<float>(8, 0.0f)));
    const int32_t after = patternRandomSeed();
    patternRandomSeed() = 645637;
    for (int i = 0; i < 8; ++i) nextPatternSeed();
    EXPECT_EQ(after, patternRandomSeed());
}

TEST_F(BWBtnLineTest, RotationsStayInsideTheStepsAndTheRange) {
    BWBtnLine grid(&context, 6, 1);
    setLine(grid, 0, {0, 1, 2, 3, 4, 5});
    grid.rotateLeft(1, 4);
    EXPECT_EQ(lineOf(grid, 0), (std::vector<float>{0, 2, 3, 1, 4, 5}));
    grid.rotateRight(1, 4);
    EXPECT_EQ(lineOf(grid, 0), (std::vector<float>{0, 1, 2, 3, 4, 5}));
    grid.rotateRight(0, 0);  // end 0: the whole line
    EXPECT_EQ(lineOf(grid, 0), (std::vector<float>{5, 0, 1, 2, 3, 4}));
    grid.rotateLeft(4, 100);  // end clamped to the steps
    EXPECT_EQ(lineOf(grid, 0), (std::vector<float>{5, 0, 1, 2, 4, 3}));
    grid.rotateLeft(6, 100);  // from at the end: nothing
    grid.rotateRight(3, 2);   // from after end: nothing
    EXPECT_EQ(lineOf(grid, 0), (std::vector<float>{5, 0, 1, 2, 4, 3}));
}

TEST_F(BWBtnLineTest, ACurrentLineOutsideTheGridIsIgnored) {
    BWBtnLine grid(&context, 4, 3);
    grid.setCurrentLine(2);
    grid.setCurrentLine(3);
    EXPECT_EQ(grid.getCurrentLine(), 2u);
    grid.setStepOnLine(2, 1, 1.0f);
    grid.resize(4, 1);  // the current line is now beyond the grid
    grid.fillValue = 1.0f;
    grid.fill();
    grid.randomize();
    grid.rotateLeft(0, 0);
    EXPECT_EQ(grid.getStep(0), 0.0f);
    EXPECT_EQ(lineOf(grid, 0), (std::vector<float>(4, 0.0f)));
}

TEST_F(BWBtnLineTest, PasteRepeatsTheCopiedRangeOverTheDestination) {
    BWBtnLine source(&context, 8, 2);
    source.clipboardKey = 331;
    source.setCurrentLine(1);
    setLine(source, 1, {0, 0, 1, 2, 0, 0, 0, 0});
    source.copy(2, 4);
    setLine(source, 1, std::vector<float>(8, 9.0f));  // the copy is a snapshot

    BWBtnLine target(&context, 8, 2);
    target.clipboardKey = 331;
    target.paste(0, 0);
    EXPECT_EQ(lineOf(target, 0), (std::vector<float>{1, 2, 1, 2, 1, 2, 1, 2}));
    EXPECT_EQ(lineOf(target, 1), (std::vector<float>(8, 0.0f)));

    target.setCurrentLine(1);
    target.paste(5, 20);  // destination clamped to the steps
    EXPECT_EQ(lineOf(target, 1), (std::vector<float>{0, 0, 0, 0, 0, 1, 2, 1}));
    target.paste(3, 3);  // equal ends: every step
    EXPECT_EQ(lineOf(target, 1), (std::vector<float>{1, 2, 1, 2, 1, 2, 1, 2}));
}

TEST_F(BWBtnLineTest, ClipboardsKeepOneCopyPerKey) {
    BWBtnLine first(&context, 4, 1);
    BWBtnLine second(&context, 4, 1);
    first.clipboardKey = 1;
    second.clipboardKey = 2;
    first.copy(0, 0);
    second.copy(0, 0);
    first.copy(0, 0);
    EXPECT_EQ(btnLineClipboard().size(), 2u);

    BWBtnLine unkeyed(&context, 4, 1);
    unkeyed.copy(0, 0);
    unkeyed.setStepOnLine(0, 0, 5.0f);
    unkeyed.paste(0, 0);
    EXPECT_EQ(btnLineClipboard().size(), 2u);
    EXPECT_EQ(unkeyed.getStep(0), 5.0f);

    // A copy of a copy would replace the entry it is.
    auto* held = dynamic_cast<BWBtnLine*>(btnLineClipboard().find(1));
    ASSERT_NE(held, nullptr);
    held->copy(0, 0);
    EXPECT_EQ(btnLineClipboard().find(1), held);
}

TEST_F(BWBtnLineTest, SharedKeysExchangeLinesBetweenGrids) {
    const auto& grids = btnLineGrids();
    BWBtnLine second(&context, kBtnLineGridSteps, kBtnLineGridLines);
    BWBtnLine third(&context, kBtnLineGridSteps, kBtnLineGridLines);
    configureGrid(second, grids[1]);
    configureGrid(third, grids[2]);
    EXPECT_EQ(third.maxValue, 2.0f);
    EXPECT_EQ(third.restProbability, 0.8f);
    EXPECT_EQ(third.id, 1);

    setLine(second, 0, std::vector<float>(32, 3.0f));
    second.copy(0, 0);  // own key 387: the third grid cannot see it
    third.paste(0, 0);
    EXPECT_EQ(third.getStep(0), 0.0f);
    second.copyShared(0, 0);
    third.pasteShared(0, 0);
    EXPECT_EQ(lineOf(third, 0), std::vector<float>(32, 3.0f));
}

TEST_F(BWBtnLineTest, ClonesCarryStepsCurrentLineAndKeysButNotSettings) {
    BWBtnLine grid(&context, 4, 3);
    grid.maxValue = 3.0f;
    grid.setId(1);
    grid.clipboardKey = 7;
    grid.sharedClipboardKey = 8;
    grid.setCurrentLine(2);
    setLine(grid, 2, {1, 2, 3, 0});
    std::unique_ptr<BWInitInterface> made(grid.clone());
    auto* copy = dynamic_cast<BWBtnLine*>(made.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->isClone);
    EXPECT_EQ(lineOf(*copy, 2), (std::vector<float>{1, 2, 3, 0}));
    EXPECT_EQ(copy->getCurrentLine(), 2u);
    EXPECT_EQ(copy->id, 1);
    EXPECT_EQ(copy->clipboardKey, 7);
    EXPECT_EQ(copy->sharedClipboardKey, 8);
    EXPECT_EQ(copy->maxValue, 1.0f);
}

TEST_F(BWBtnLineTest, ChunkRoundTrip) {
    BWBtnLine grid(&context, 3, 2);
    grid.maxValue = 3.7f;
    grid.setCurrentLine(1);
    setLine(grid, 0, {1, 0, 2});
    setLine(grid, 1, {0.5f, 3, 0});
    const std::vector<uint32_t> words = wordsOf(grid);
    EXPECT_EQ(words, (std::vector<uint32_t>{91851533u, 1, 2, 3, 1, 3, word(1), word(0), word(2), word(0.5f),
                                            word(3), word(0)}));

    BWBtnLine copy(&context, 32, 24);
    const Read read = readWords(copy, words);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.position, words.size());
    EXPECT_EQ(copy.getStepCount(), 3u);
    EXPECT_EQ(copy.getLineCount(), 2u);
    EXPECT_EQ(copy.maxValue, 3.0f);
    EXPECT_EQ(copy.getCurrentLine(), 0u);  // the stored current line is not taken
    EXPECT_EQ(wordsOf(copy).size(), words.size());
    EXPECT_EQ(lineOf(copy, 1), (std::vector<float>{0.5f, 3, 0}));
}

TEST_F(BWBtnLineTest, KeepSizeCutsAStoredGridToThePresentOne) {
    BWBtnLine wide(&context, 64, 24);
    for (uint64_t i = 0; i < 64; ++i) wide.setStepOnLine(5, i, static_cast<float>(i));
    BWBtnLine grid(&context, 32, 24);
    grid.keepSize = true;
    grid.maxValue = 2.0f;
    std::vector<uint32_t> words = wordsOf(wide);
    words.push_back(77);  // the next record
    const Read read = readWords(grid, words);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.position, words.size() - 1);
    EXPECT_EQ(grid.getStepCount(), 32u);
    EXPECT_EQ(grid.maxValue, 2.0f);
    EXPECT_EQ(grid.getStepOnLine(5, 31), 31.0f);
}

TEST_F(BWBtnLineTest, SkipOnlyConsumesTheRecordAndChangesNothing) {
    BWBtnLine source(&context, 4, 2);
    setLine(source, 1, {1, 1, 1, 1});
    std::vector<uint32_t> words = wordsOf(source);
    words.push_back(77);
    BWBtnLine grid(&context, 8, 3);
    const Read read = readWords(grid, words, true);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.position, words.size() - 1);
    EXPECT_EQ(grid.getStepCount(), 8u);
    EXPECT_EQ(grid.getStepOnLine(1, 0), 0.0f);
}

TEST_F(BWBtnLineTest, BadRecordsAreRefusedWithoutChanges) {
    BWBtnLine source(&context, 4, 2);
    const std::vector<uint32_t> good = wordsOf(source);
    BWBtnLine grid(&context, 8, 3);
    grid.setStepOnLine(0, 0, 2.0f);

    std::vector<uint32_t> badTag = good;
    badTag[0] = 91851534u;
    std::vector<uint32_t> badVersion = good;
    badVersion[1] = 2;
    std::vector<uint32_t> truncated(good.begin(), good.end() - 1);
    std::vector<uint32_t> hugeCounts = {91851533u, 1, 0x10000, 0x10000, 0, 1};
    std::vector<uint32_t> shortHeader(good.begin(), good.begin() + 5);
    for (const auto& words : {badTag, badVersion, truncated, hugeCounts, shortHeader}) {
        EXPECT_EQ(readWords(grid, words).result, 0);
        EXPECT_EQ(readWords(grid, words, true).result, 0);
        EXPECT_EQ(grid.getStepCount(), 8u);
        EXPECT_EQ(grid.getStep(0), 2.0f);
    }
}

TEST_F(BWBtnLineTest, StepsThatAreNotNumbersReadAsZero) {
    const std::vector<uint32_t> words = {91851533u, 1, 1, 3, 0, 1,
                                         word(std::numeric_limits<float>::quiet_NaN()),
                                         word(std::numeric_limits<float>::infinity()), word(1.0f)};
    BWBtnLine grid(&context, 3, 1);
    EXPECT_EQ(readWords(grid, words).result, 1);
    EXPECT_EQ(lineOf(grid, 0), (std::vector<float>{0, 0, 1}));
}

TEST_F(BWBtnLineTest, TheAudioThreadNeverReadsFreedLines) {
    BWBtnLine grid(&context, 32, 24);
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        float sum = 0.0f;
        while (!stop.load()) {
            grid.setCurrentLine(3);
            for (uint64_t i = 0; i < 64; ++i) sum += grid.getStep(i);
        }
        EXPECT_GE(sum, 0.0f);
    });
    for (int i = 0; i < 3000; ++i) grid.resize(i % 2 == 0 ? 16 : 64, i % 3 == 0 ? 4 : 24);
    stop.store(true);
    audio.join();
}
