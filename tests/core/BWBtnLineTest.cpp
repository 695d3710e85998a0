#include "core/BWBtnLine.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <functional>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "EditCountCheck.h"
#include "core/BWBtnLineGrids.h"
#include "platform/Framework.h"
#include "core/PatternClipboards.h"
#include "support/ClipboardEntry.h"
#include "core/PatternRandom.h"
#include "support/AllocationCounter.h"
#include "support/ChunkWords.h"
#include "support/FloatWord.h"

namespace {

using Steps = std::vector<float>;

Steps lineOf(const BWBtnLine& grid, uint64_t line) {
    Steps steps;
    for (uint64_t i = 0; i < grid.getStepCount(); ++i) steps.push_back(grid.getStepOnLine(line, i));
    return steps;
}

void setLine(BWBtnLine& grid, uint64_t line, const Steps& steps) {
    for (size_t i = 0; i < steps.size(); ++i) grid.setStepOnLine(line, i, steps[i]);
}

class BWBtnLineTest : public ::testing::Test {
protected:
    void TearDown() override {
        btnLineClipboard().clear();
        btnLineSharedClipboard().clear();
    }
    BWSystemInfo context{8, nullptr, nullptr, nullptr};
};

}  // namespace

TEST_F(BWBtnLineTest, FillAndResizeWriteTheFillValue) {
    BWBtnLine grid(&context, 5, 3);
    EXPECT_EQ(context.initInterfaceList.back(), &grid);
    grid.fillValue = 1.0f;
    grid.alternate = true;
    grid.setCurrentLine(1);
    grid.fill();
    EXPECT_EQ(lineOf(grid, 1), (Steps{0, 1, 0, 1, 0}));
    EXPECT_EQ(lineOf(grid, 0), Steps(5, 0.0f));

    grid.fillValue = 0.5f;
    grid.resize(5, 3);  // the same size keeps the steps
    EXPECT_EQ(lineOf(grid, 1), (Steps{0, 1, 0, 1, 0}));
    grid.resize(6, 3);
    EXPECT_EQ(lineOf(grid, 1), Steps(6, 0.5f));
    grid.resize(BWBtnLine::kMaxSteps + 1, 3);  // refused
    EXPECT_EQ(grid.getStepCount(), 6u);
}

TEST_F(BWBtnLineTest, RandomizeFollowsThePatternGenerator) {
    BWBtnLine grid(&context, 8, 2);
    grid.maxValue = 3.0f;
    grid.restProbability = 0.8f;
    patternRandomSeed() = 645637;
    grid.randomize();
    EXPECT_EQ(lineOf(grid, 0), (Steps{0, 0, 0, 0, 0, 2, 0, 2}));
    EXPECT_EQ(patternRandomSeed(), 235195765);

    grid.restProbability = 0.0f;
    patternRandomSeed() = 645637;
    grid.randomize();
    EXPECT_EQ(lineOf(grid, 0), (Steps{0, 1, 2, 1, 1, 3, 2, 2}));
    EXPECT_EQ(lineOf(grid, 1), Steps(8, 0.0f));

    // All rests, and one draw per step.
    grid.restProbability = 1.0f;
    patternRandomSeed() = 645637;
    grid.randomize();
    EXPECT_EQ(lineOf(grid, 0), Steps(8, 0.0f));
    const int32_t after = patternRandomSeed();
    patternRandomSeed() = 645637;
    for (int i = 0; i < 8; ++i) nextPatternSeed();
    EXPECT_EQ(after, patternRandomSeed());
}

TEST_F(BWBtnLineTest, RotationsAreClampedToTheSteps) {
    BWBtnLine grid(&context, 6, 1);
    setLine(grid, 0, {0, 1, 2, 3, 4, 5});
    grid.rotateLeft(1, 4);
    EXPECT_EQ(lineOf(grid, 0), (Steps{0, 2, 3, 1, 4, 5}));
    grid.rotateRight(0, 0);  // end 0: the whole line
    EXPECT_EQ(lineOf(grid, 0), (Steps{5, 0, 2, 3, 1, 4}));
    grid.rotateLeft(4, 100);
    EXPECT_EQ(lineOf(grid, 0), (Steps{5, 0, 2, 3, 4, 1}));
    grid.rotateLeft(6, 100);
    grid.rotateRight(3, 2);
    EXPECT_EQ(lineOf(grid, 0), (Steps{5, 0, 2, 3, 4, 1}));
}

TEST_F(BWBtnLineTest, ACurrentLineOutsideTheGridIsIgnored) {
    BWBtnLine grid(&context, 4, 3);
    grid.setCurrentLine(2);
    grid.setCurrentLine(3);
    EXPECT_EQ(grid.getCurrentLine(), 2u);
    grid.resize(4, 1);  // line 2 is gone
    grid.fillValue = 1.0f;
    grid.fill();
    grid.randomize();
    grid.rotateLeft(0, 0);
    EXPECT_EQ(grid.getStep(0), 0.0f);
    EXPECT_EQ(lineOf(grid, 0), Steps(4, 0.0f));
}

TEST_F(BWBtnLineTest, PasteRepeatsTheCopiedRange) {
    BWBtnLine source(&context, 8, 2);
    source.clipboardKey = 331;
    source.setCurrentLine(1);
    setLine(source, 1, {0, 0, 1, 2, 0, 0, 0, 0});
    source.copy(2, 4);
    setLine(source, 1, Steps(8, 9.0f));  // the copy is a snapshot

    BWBtnLine target(&context, 8, 2);
    target.clipboardKey = 331;
    target.paste(0, 0);
    EXPECT_EQ(lineOf(target, 0), (Steps{1, 2, 1, 2, 1, 2, 1, 2}));
    EXPECT_EQ(lineOf(target, 1), Steps(8, 0.0f));
    target.setCurrentLine(1);
    target.paste(5, 20);
    EXPECT_EQ(lineOf(target, 1), (Steps{0, 0, 0, 0, 0, 1, 2, 1}));

    source.copy(0, 0);  // replaces the copy of key 331
    EXPECT_EQ(btnLineClipboard().size(), 1u);
    target.clipboardKey = -1;
    target.paste(0, 0);
    EXPECT_EQ(target.getStep(0), 0.0f);
}

TEST_F(BWBtnLineTest, GridsWithOneSharedKeyExchangeLines) {
    BWBtnLine second(&context, kBtnLineGridSteps, kBtnLineGridLines);
    BWBtnLine third(&context, kBtnLineGridSteps, kBtnLineGridLines);
    configureGrid(second, btnLineGrids()[1]);
    configureGrid(third, btnLineGrids()[2]);
    EXPECT_EQ(third.maxValue, 2.0f);
    EXPECT_EQ(third.clipboardKey, 392);

    setLine(second, 0, Steps(32, 3.0f));
    second.copyShared(0, 0);
    third.pasteShared(0, 0);
    EXPECT_EQ(lineOf(third, 0), Steps(32, 3.0f));

    // A clipboard copy never copies: it would replace itself.
    auto* held = clipboardEntry<BWBtnLine>(btnLineSharedClipboard(), 5);
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(held->isClone);
    EXPECT_EQ(held->maxValue, 1.0f);  // settings are not cloned
    held->copyShared(0, 0);
    EXPECT_EQ(clipboardEntry<BWBtnLine>(btnLineSharedClipboard(), 5), held);
}

TEST_F(BWBtnLineTest, ChunkRoundTripAndKeptSize) {
    BWBtnLine grid(&context, 3, 2);
    grid.maxValue = 3.7f;
    grid.setCurrentLine(1);
    setLine(grid, 1, {0.5f, 3, 0});
    std::vector<uint32_t> words = wordsOf(grid);
    EXPECT_EQ(words, (std::vector<uint32_t>{91851533u, 1, 2, 3, 1, 3, 0, 0, 0, floatWord(0.5f), floatWord(3), 0}));
    words.push_back(77);  // the next record

    BWBtnLine copy(&context, 32, 24);
    EXPECT_EQ(readWords(copy, words), (ChunkRead{1, 12u}));
    EXPECT_EQ(copy.getLineCount(), 2u);
    EXPECT_EQ(copy.maxValue, 3.0f);
    EXPECT_EQ(copy.getCurrentLine(), 0u);
    EXPECT_EQ(lineOf(copy, 1), (Steps{0.5f, 3, 0}));

    BWBtnLine kept(&context, 2, 24);
    kept.keepSize = true;
    EXPECT_EQ(readWords(kept, words), (ChunkRead{1, 12u}));
    EXPECT_EQ(lineOf(kept, 1), (Steps{0.5f, 3}));
    EXPECT_EQ(kept.maxValue, 1.0f);

    BWBtnLine skipping(&context, 2, 24);
    EXPECT_EQ(readWords(skipping, words, true), (ChunkRead{1, 12u}));
    EXPECT_EQ(lineOf(skipping, 1), Steps(2, 0.0f));
}

TEST_F(BWBtnLineTest, BadRecordsAreRefusedWithoutChanges) {
    const std::vector<uint32_t> good = {91851533u, 1, 1, 2, 0, 1, floatWord(1), floatWord(1)};
    std::vector<uint32_t> badTag = good, badVersion = good;
    badTag[0] += 1;
    badVersion[1] = 2;
    const std::vector<uint32_t> truncated(good.begin(), good.end() - 1);
    const std::vector<uint32_t> hugeCounts = {91851533u, 1, 0x10000, 0x10000, 0, 1};
    BWBtnLine grid(&context, 8, 3);
    grid.setStepOnLine(0, 0, 2.0f);
    for (const auto& words : {badTag, badVersion, truncated, hugeCounts, std::vector<uint32_t>(5, 0)}) {
        EXPECT_EQ(readWords(grid, words).result, 0);
        EXPECT_EQ(readWords(grid, words, true).result, 0);
        EXPECT_EQ(grid.getStepCount(), 8u);
        EXPECT_EQ(grid.getStep(0), 2.0f);
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(readWords(grid, {91851533u, 1, 1, 2, 0, 1, floatWord(nan), floatWord(1)}).result, 1);
    EXPECT_EQ(lineOf(grid, 0), (Steps{0, 1}));
}

TEST_F(BWBtnLineTest, TheAudioThreadNeverReadsFreedLines) {
    BWBtnLine grid(&context, 32, 24);
    {
        AllocationCounter allocations;
        grid.setCurrentLine(3);
        EXPECT_EQ(grid.getStep(5), 0.0f);
        EXPECT_EQ(allocations.count(), 0u);
    }
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
    grid.releaseLines();
    stop.store(true);
    audio.join();
    EXPECT_EQ(grid.getStep(0), 0.0f);
}

// The render keeps the steps it read until the owner's grid count moves: so
// every kind of change to the steps moves it, and reads never do.
TEST_F(BWBtnLineTest, EveryEditMovesTheOwnersEditCountAndReadsDoNot) {
    BWBtnLine grid(&context, 8, 2);
    grid.clipboardKey = 17;
    grid.sharedClipboardKey = 18;
    grid.maxValue = 3.0f;
    BWBtnLine source(&context, 8, 2);
    setLine(source, 0, Steps(8, 2.0f));
    const std::vector<uint32_t> record = wordsOf(source);
    const NamedEdit edits[] = {
        {"setStepOnLine", [&] { grid.setStepOnLine(1, 3, 1.0f); }},
        {"fill", [&] { grid.fill(); }},
        {"randomize", [&] { grid.randomize(); }},
        {"rotateLeft", [&] { grid.rotateLeft(0, 0); }},
        {"rotateRight", [&] { grid.rotateRight(2, 6); }},
        {"copy and paste", [&] { grid.copy(0, 4); grid.setCurrentLine(1); grid.paste(0, 0); }},
        {"copy and paste shared", [&] { grid.copyShared(0, 0); grid.setCurrentLine(0); grid.pasteShared(0, 0); }},
        {"resetCurrent", [&] { grid.resetCurrent(); }},
        {"resize", [&] { grid.resize(16, 2); }},
        {"readChunk", [&] { EXPECT_EQ(readWords(grid, record).result, 1); }},
        {"releaseLines", [&] { grid.releaseLines(); }},
    };
    expectEveryEditMoves(context.gridEdits, edits);
    const uint32_t before = context.gridEdits.load();
    source.getStepOnLine(0, 1);
    source.getStep(2);
    source.setStepOnLine(5, 0, 1.0f);  // outside the grid: nothing changes
    EXPECT_EQ(readWords(source, record, true).result, 1);  // skipped only
    wordsOf(source);
    EXPECT_EQ(context.gridEdits.load(), before);
    EXPECT_EQ(context.tableEdits.load(), 0u);
    EXPECT_EQ(context.zoneEdits.load(), 0u);
}

namespace {

// The five grids of an instance, as the engine and the editor share them.
struct InstanceGrids {
    explicit InstanceGrids(BWSystemInfo& context) {
        for (size_t g = 0; g < grids.size(); ++g) {
            grids[g] = std::make_unique<BWBtnLine>(&context, kBtnLineGridSteps, kBtnLineGridLines);
            configureGrid(*grids[g], btnLineGrids()[g]);
        }
    }
    std::array<std::unique_ptr<BWBtnLine>, 5> grids;
};

// Every step holds a whole number of 0 .. 3, whoever wrote it last.
bool isStepValue(float v) { return v >= 0.0f && v <= 3.0f && v == std::trunc(v); }

}  // namespace

// The render picks lines, reads the step under the play position and runs
// the step lines' range edits (copy and paste through both clipboards,
// rotations, fill, random) while the editor draws every step, drags runs of
// steps and saves the grids.  ThreadSanitizer finds no race; each side
// reads only step values, and every change from either side is counted for
// the render.
TEST_F(BWBtnLineTest, TheRenderEditsAndReadsLinesWhileTheEditorDrawsDragsAndSaves) {
    InstanceGrids instance(context);
    auto& grids = instance.grids;
    constexpr int kRounds = 240;
    const uint32_t before = context.gridEdits.load();
    std::atomic<int> started{0};
    std::atomic<uint32_t> renderEdits{0};
    std::atomic<int> badRenderReads{0};
    std::thread render([&] {
        ++started;
        while (started.load() < 2) std::this_thread::yield();
        uint32_t edits = 0;
        for (int round = 0; round < kRounds; ++round) {
            const uint64_t line = uint64_t(round / 8) % kBtnLineGridLines;
            const uint64_t step = uint64_t(round) % kBtnLineGridSteps;
            for (auto& grid : grids) {
                grid->setCurrentLine(line);
                if (!isStepValue(grid->getStepOnLine(line, step))) ++badRenderReads;
            }
            const uint64_t from = step / 2;
            const uint64_t to = from + 9;
            for (auto& grid : grids) {
                switch (round % 6) {
                    case 0: grid->copyShared(from, to); break;  // no change: not counted
                    case 1: grid->pasteShared(0, 0); ++edits; break;
                    case 2: grid->rotateLeft(from, to); ++edits; break;
                    case 3: grid->copy(from, to); grid->paste(to, kBtnLineGridSteps); ++edits; break;
                    case 4: grid->randomize(); ++edits; break;
                    default: grid->rotateRight(0, 0); ++edits; break;
                }
            }
        }
        renderEdits = edits;
    });
    uint32_t editorEdits = 0;
    int badEditorReads = 0;
    ++started;
    while (started.load() < 2) std::this_thread::yield();
    for (int round = 0; round < kRounds; ++round) {
        for (auto& grid : grids) {
            const uint64_t line = grid->getCurrentLine();
            for (uint64_t i = 0; i < grid->getStepCount(); ++i) {
                if (!isStepValue(grid->getStepOnLine(line, i))) ++badEditorReads;
            }
        }
        BWBtnLine& dragged = *grids[size_t(round) % grids.size()];
        const float press = float(round % 2) * dragged.maxValue;
        for (uint64_t i = uint64_t(round) % 20; i < uint64_t(round) % 20 + 8; ++i, ++editorEdits)
            dragged.setStepOnLine(dragged.getCurrentLine(), i, press);
        if (round % 16 == 0) {
            EXPECT_EQ(wordsOf(dragged).size(), 6 + kBtnLineGridSteps * kBtnLineGridLines);
        }
    }
    render.join();
    EXPECT_EQ(badRenderReads.load(), 0);
    EXPECT_EQ(badEditorReads, 0);
    EXPECT_EQ(context.gridEdits.load() - before, renderEdits.load() + editorEdits);
}
