#include "core/BWTableXY.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <functional>
#include <limits>
#include <thread>
#include <vector>

#include "EditCountCheck.h"
#include "core/BWSystemInfo.h"
#include "core/BWTableXYLanes.h"
#include "platform/Framework.h"
#include "core/PatternClipboards.h"
#include "core/PatternRandom.h"
#include "core/StateResetList.h"
#include "persistence/BWChunk.h"
#include "support/AllocationCounter.h"
#include "support/AllocationFailure.h"
#include "support/ChunkWords.h"
#include "support/FloatWord.h"

namespace {

std::vector<float> page(BWTableXY& table, uint64_t index) {
    std::vector<float> points;
    for (uint64_t i = 0; i < table.getCount(); ++i) points.push_back(table.getValueOnPage(i, index));
    return points;
}

void fillPage(BWTableXY& table, uint64_t index, const std::vector<float>& points) {
    for (size_t i = 0; i < points.size(); ++i) table.setValueOnPage(i, index, points[i]);
}

// Appends a name in the chunk's string layout.
void appendName(std::vector<uint32_t>& words, const char* text) {
    const size_t length = std::strlen(text);
    words.push_back(static_cast<uint32_t>(length));
    std::vector<uint32_t> padded((length + 3) / 4, 0);
    if (length > 0) std::memcpy(padded.data(), text, length);
    words.insert(words.end(), padded.begin(), padded.end());
}

class BWTableXYTest : public ::testing::Test {
protected:
    void TearDown() override {
        xyClipboard().clear();
        xySharedClipboard().clear();
    }

    StateResetList tracked;
    BWSystemInfo context{8, &tracked, nullptr, nullptr};
};

}  // namespace

TEST_F(BWTableXYTest, RegistersUnlessAClone) {
    {
        BWTableXY lane(&context, 8, 1, false);
        EXPECT_EQ(lane.getPageCount(), 1u);
        EXPECT_EQ(lane.getTypeCode(), kTypePagedTable);
        EXPECT_STREQ(lane.getName(), "Default");
        ASSERT_EQ(context.initInterfaceList.size(), 1u);
        EXPECT_EQ(context.initInterfaceList[0], static_cast<BWInitInterface*>(&lane));
        BWTableXY copy(&context, 8, 1, true);
        EXPECT_EQ(context.initInterfaceList.size(), 1u);
    }
    EXPECT_TRUE(context.initInterfaceList.empty());
}

TEST_F(BWTableXYTest, PageCountsAndTheCurrentPage) {
    BWTableXY table(&context, 4, 0, false);
    table.setRange(0.0f, 3.0f);
    table.setFlags(0x8200);
    int told = 0;
    BWTableXY::PageListener listener{[](void* counter) { ++*static_cast<int*>(counter); }, &told};
    table.pageListener = &listener;

    table.setPageCount(6);
    EXPECT_EQ(table.getPageCount(), 6u);
    EXPECT_EQ(told, 1);
    table.setPageCount(6);
    table.setPageCount(0);
    table.setPageCount(BWTableXY::kMaxPages + 1);
    EXPECT_EQ(told, 1);

    // Added pages take the range and the flag word, and write whole numbers.
    table.setCurrentPage(5);
    table.setNormalized(0, 1.0f);
    EXPECT_EQ(table.getValueOnPage(0, 5), 3.0f);
    EXPECT_EQ(table.getCurrentPage(), 5u);
    table.setCurrentPage(6);  // at the page count: unchanged
    EXPECT_EQ(table.getCurrentPage(), 5u);

    table.setPageCount(3);
    EXPECT_EQ(table.getCurrentPage(), 2u);
    EXPECT_LT(table.pagePosition.load(), 3.0f);
    EXPECT_GE(table.pagePosition.load(), 2.0f);
    table.setPageCount(6);  // a page that comes back is a fresh one
    EXPECT_EQ(table.getValueOnPage(0, 5), 0.0f);
}

TEST_F(BWTableXYTest, PointOperationsActOnTheCurrentPage) {
    BWTableXY table(&context, 4, 0, false);
    table.setPageCount(3);
    table.setCurrentPage(1);
    table.setValue(0, 0.5f);
    table.setNormalized(1, 0.25f);
    table.setNormalizedAt(2.5f, 1.0f);
    table.editPosition = 3.0f;
    table.setCursorValue(0.75f);
    EXPECT_EQ(page(table, 1), (std::vector<float>{0.5f, 0.25f, 1.0f, 0.75f}));
    EXPECT_EQ(page(table, 0), std::vector<float>(4, 0.0f));
    EXPECT_EQ(page(table, 2), std::vector<float>(4, 0.0f));

    EXPECT_EQ(table.getValue(2), 1.0f);
    EXPECT_EQ(table.getNormalized(1), 0.25f);
    EXPECT_EQ(table.getValueAt(0.5f), 0.375f);
    EXPECT_EQ(table.getValueAtCursor(), 0.375f);

    table.incrementRange(0, 2);
    EXPECT_EQ(table.getValueOnPage(0, 1), 0.55f);
    table.rotateLeft(0, 0);
    EXPECT_EQ(page(table, 1), (std::vector<float>{0.3f, 1.0f, 0.75f, 0.55f}));
    table.rotateRight(1, 3);
    EXPECT_EQ(page(table, 1), (std::vector<float>{0.3f, 0.75f, 1.0f, 0.55f}));
    table.reset();
    EXPECT_EQ(page(table, 1), std::vector<float>(4, 0.0f));

    std::vector<float> copied(4, -1.0f);
    fillPage(table, 1, {1, 2, 3, 4});
    EXPECT_FALSE(table.copyCurrentPageValues(copied.data(), 3));  // too small: nothing copied
    EXPECT_EQ(copied, std::vector<float>(4, -1.0f));
    EXPECT_TRUE(table.copyCurrentPageValues(copied.data(), copied.size()));
    EXPECT_EQ(copied, (std::vector<float>{1, 2, 3, 4}));
}

TEST_F(BWTableXYTest, PageReadsBlendAndFallBackToPageZero) {
    BWTableXY table(&context, 2, 0, false);
    table.setRange(0.0f, 10.0f);
    table.setPageCount(3);
    fillPage(table, 0, {1, 2});
    fillPage(table, 1, {3, 6});
    fillPage(table, 2, {5, 10});

    EXPECT_EQ(table.getValueAtXY(1.0f, 0.5f), 4.0f);  // y blends pages 0 and 1
    EXPECT_EQ(table.getValueAtXY(0.5f, 2.5f), 7.5f);  // the last page blends with itself
    EXPECT_EQ(table.readPosition.load(), 0.5f);
    // The page position's fraction, not the argument's, blends here.
    EXPECT_EQ(table.getValueBetweenPages(1, 1.5f), 6.0f);
    EXPECT_EQ(table.getValueBetweenPages(1, -1.0f), 0.0f);

    EXPECT_EQ(table.getValueOnPage(1, 7), 2.0f);
    EXPECT_EQ(table.getNormalizedOnPage(1, 2), 1.0f);
    EXPECT_EQ(table.getNormalizedOnPage(1, 9), 0.2f);
    EXPECT_EQ(table.getNormalizedAtOnPage(0.5f, 1), 0.45f);
    EXPECT_EQ(table.getValueAtOnPage(1.5f, 2), 7.5f);
    EXPECT_EQ(table.getValueAtOnPage(0.0f, 3), 0.0f);
    table.setValueOnPage(0, 3, 9.0f);  // no such page: ignored

    table.setFlags(table.getFlags() & ~BWTable::kInterpolate);
    EXPECT_EQ(table.getNormalizedAtOnPage(0.5f, 1), 0.3f);
}

// The render's one-entry lane read does what selecting the page and then
// reading the step does, also for a page beyond the count (the blend of the
// position left before stays) and a step beyond the length.
TEST_F(BWTableXYTest, LaneReadSelectsThePageAndReadsTheStep) {
    BWTableXY byTwoCalls(&context, 3, 0, false), byOne(&context, 3, 0, false);
    for (BWTableXY* table : {&byTwoCalls, &byOne}) {
        table->setRange(0.0f, 10.0f);
        table->setPageCount(3);
        for (uint64_t p = 0; p < 3; ++p) fillPage(*table, p, {float(p), float(p) + 0.5f, float(2 * p)});
        table->pagePosition.store(1.25f);  // as a blending page edit leaves it
    }
    const uint64_t reads[][2] = {{7, 1}, {2, 2}, {1, 0}, {9, 2}, {0, 5}, {2, 1}};
    for (const auto& read : reads) {
        byTwoCalls.setCurrentPage(read[0]);
        const float expected = byTwoCalls.getValue(read[1]);
        EXPECT_EQ(byOne.selectPageAndGetValue(read[0], read[1]), expected) << read[0] << " " << read[1];
        EXPECT_EQ(byOne.getCurrentPage(), byTwoCalls.getCurrentPage());
        EXPECT_EQ(byOne.pagePosition.load(), byTwoCalls.pagePosition.load());
        EXPECT_EQ(byOne.readPosition.load(), byTwoCalls.readPosition.load());
    }
}

TEST_F(BWTableXYTest, OwnClipboardPastesRangesCyclically) {
    BWTableXY source(&context, 8, 1, false);
    BWTableXY target(&context, 8, 1, false);
    source.clipboardKey = target.clipboardKey = 231;
    source.setPageCount(2);
    target.setPageCount(2);
    source.setCurrentPage(1);
    fillPage(source, 1, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f});

    source.copy(2, 5);  // three points
    ASSERT_EQ(xyClipboard().size(), 1u);
    fillPage(source, 1, std::vector<float>(8, 0.9f));  // the copy is a snapshot
    target.paste(0, 8);
    EXPECT_EQ(page(target, 0), (std::vector<float>{0.3f, 0.4f, 0.5f, 0.3f, 0.4f, 0.5f, 0.3f, 0.4f}));

    target.setCurrentPage(1);
    target.paste(6, 6);  // equal ends: every point
    EXPECT_EQ(page(target, 1), (std::vector<float>{0.3f, 0.4f, 0.5f, 0.3f, 0.4f, 0.5f, 0.3f, 0.4f}));
    target.paste(5, 3);  // empty: nothing
    target.paste(6, 100);  // clamped to the points
    EXPECT_EQ(target.getValueOnPage(7, 1), 0.4f);

    source.copy(0, 0);  // replaces the clone of the same key
    EXPECT_EQ(xyClipboard().size(), 1u);
    target.paste(0, 0);
    EXPECT_EQ(page(target, 1), std::vector<float>(8, 0.9f));

    target.clipboardKey = 999;  // no clone under this key
    target.setCurrentPage(0);
    target.paste(0, 0);
    EXPECT_EQ(target.getValueOnPage(0, 0), 0.3f);
}

TEST_F(BWTableXYTest, GroupsCopyAndPasteTogether) {
    BWTableXY table(&context, 2, 1, false);
    table.clipboardKey = 5;
    table.groupSize = 2;
    table.setPageCount(6);
    fillPage(table, 2, {0.1f, 0.2f});
    fillPage(table, 3, {0.3f, 0.4f});
    table.setCurrentPage(3);
    table.copy(0, 0);
    table.setCurrentPage(5);
    table.paste(0, 0);  // pages 2 and 3 into 4 and 5
    EXPECT_EQ(page(table, 4), (std::vector<float>{0.1f, 0.2f}));
    EXPECT_EQ(page(table, 5), (std::vector<float>{0.3f, 0.4f}));

    table.groupSize = 0;
    table.setCurrentPage(0);
    table.paste(0, 0);
    EXPECT_EQ(page(table, 0), (std::vector<float>{0.0f, 0.0f}));
}

TEST_F(BWTableXYTest, SharedClipboardLinksLanesWithTheSameKey) {
    const auto& lanes = tableXYLanes();
    BWTableXY gate(&context, lanes[2].points, lanes[2].id, false);
    BWTableXY cutoff(&context, lanes[5].points, lanes[5].id, false);
    configureLane(gate, lanes[2]);
    configureLane(cutoff, lanes[5]);
    gate.groupSize = 4;  // the shared clipboard always takes one exact page

    gate.setCurrentPage(6);
    gate.setValue(0, 0.25f);
    gate.setValue(31, 0.75f);
    gate.copyShared(0, 0);
    EXPECT_EQ(gate.copiedPage, 6u);
    cutoff.setCurrentPage(40);
    cutoff.pasteShared(0, 0);
    EXPECT_EQ(cutoff.getValueOnPage(0, 40), 0.25f);
    EXPECT_EQ(cutoff.getValueOnPage(31, 40), 0.75f);
    EXPECT_EQ(xyClipboard().size(), 0u);

    // Without a shared key the page remembered by the copy is duplicated.
    BWTableXY loose(&context, 4, 0, false);
    loose.setPageCount(2);
    fillPage(loose, 0, {1, 0, 1, 0});
    loose.copyShared(0, 0);
    loose.setCurrentPage(1);
    loose.pasteShared(0, 0);
    EXPECT_EQ(page(loose, 1), (std::vector<float>{1, 0, 1, 0}));
    loose.copiedPage = 9;  // a page that no longer exists: nothing
    loose.setCurrentPage(0);
    fillPage(loose, 0, {0, 0, 0, 0});
    loose.pasteShared(0, 0);
    EXPECT_EQ(page(loose, 0), std::vector<float>(4, 0.0f));
}

TEST_F(BWTableXYTest, RandomiseAndVaryWriteTheCurrentPage) {
    BWTableXY table(&context, 4, 1, false);
    table.setPageCount(2);
    table.setCurrentPage(1);
    patternRandomSeed() = 645637;
    table.randomize();
    EXPECT_EQ(page(table, 1), (std::vector<float>{std::bit_cast<float>(0x3cd90fd0u), std::bit_cast<float>(0x3ea9b2c2u),
                                                  std::bit_cast<float>(0x3f0b5c0bu), std::bit_cast<float>(0x3e8fb619u)}));
    EXPECT_EQ(page(table, 0), std::vector<float>(4, 0.0f));
    EXPECT_FALSE(table.hasFlag(BWTable::kBusy));

    fillPage(table, 1, {0.5f, 0.5f, 0.0f, 1.0f});
    patternRandomSeed() = 645637;
    table.vary();
    // Seeds −2033680829, −723951435, 190581523, −941945755 move by s × 0.1 / 2^31.
    const float moves[] = {static_cast<float>(-2033680829) * 0.1f * 0x1p-31f,
                           static_cast<float>(-723951435) * 0.1f * 0x1p-31f,
                           static_cast<float>(190581523) * 0.1f * 0x1p-31f,
                           static_cast<float>(-941945755) * 0.1f * 0x1p-31f};
    EXPECT_EQ(table.getValueOnPage(0, 1), 0.5f + moves[0]);
    EXPECT_NEAR(table.getValueOnPage(0, 1), 0.4053, 1e-4);
    EXPECT_EQ(table.getValueOnPage(1, 1), 0.5f + moves[1]);
    EXPECT_EQ(table.getValueOnPage(2, 1), moves[2]);
    EXPECT_EQ(table.getValueOnPage(3, 1), 1.0f + moves[3]);
    EXPECT_NEAR(table.getValueOnPage(3, 1), 0.95614, 1e-5);
    EXPECT_EQ(page(table, 0), std::vector<float>(4, 0.0f));
}

TEST_F(BWTableXYTest, LaneSetupGivesEveryPageItsFlagsAndRange) {
    const auto& lanes = tableXYLanes();
    ASSERT_EQ(lanes.size(), 10u);
    EXPECT_EQ(lanes[0].max, 15.0f);
    EXPECT_EQ(lanes[4].flags, 0x628A00u);
    EXPECT_EQ(lanes[9].ownKey, 1439);

    BWTableXY chord(&context, lanes[0].points, lanes[0].id, false);
    configureLane(chord, lanes[0]);
    EXPECT_EQ(chord.getPageCount(), 24u);
    EXPECT_EQ(chord.id, 1);
    EXPECT_EQ(chord.sharedClipboardKey, 2);
    EXPECT_EQ(chord.clipboardKey, 231);
    EXPECT_FALSE(chord.hasFlag(BWTable::kInterpolate));
    // Page 0 writes whole numbers over 0..15 just like page 23.
    for (uint64_t p : {0u, 23u}) {
        chord.setCurrentPage(p);
        chord.setNormalized(0, 0.999f);
        chord.setNormalized(1, 0.5f);
        EXPECT_EQ(chord.getValueOnPage(0, p), 15.0f) << "page " << p;
        EXPECT_EQ(chord.getValueOnPage(1, p), 8.0f) << "page " << p;
        EXPECT_EQ(chord.getValueAt(0.5f), 15.0f) << "page " << p;  // no interpolation
    }
}

TEST_F(BWTableXYTest, ChunksRoundTripEveryPageAndTheName) {
    BWTableXY table(&context, 3, 1, false);
    table.setRange(0.0f, 15.0f);
    table.setPageCount(2);
    fillPage(table, 0, {1, 2, 3});
    fillPage(table, 1, {13, 14, 15});
    table.setName("Verse");
    table.markModified();
    table.markModified();
    EXPECT_STREQ(table.getName(), "Verse*");

    const std::vector<uint32_t> words = wordsOf(table);
    std::vector<uint32_t> expected = {666555777u, 1003, floatWord(15.0f), floatWord(0.0f), 3, 2,
                                      floatWord(1.0f), floatWord(2.0f), floatWord(3.0f), floatWord(13.0f), floatWord(14.0f), floatWord(15.0f)};
    appendName(expected, "Verse*");
    EXPECT_EQ(words, expected);

    BWTableXY copy(&context, 8, 1, false);
    const ChunkRead read = readWords(copy, words);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.position, words.size());
    EXPECT_EQ(copy.getCount(), 3u);
    EXPECT_EQ(copy.getPageCount(), 2u);
    EXPECT_EQ(copy.max, 15.0f);
    EXPECT_EQ(page(copy, 1), (std::vector<float>{13, 14, 15}));
    EXPECT_STREQ(copy.getName(), "Verse*");
    copy.setCurrentPage(1);
    copy.setNormalized(0, 1.0f);  // the pages took the stored range
    EXPECT_EQ(copy.getValueOnPage(0, 1), 15.0f);
}

// A paged record whose points memory cannot hold answers failure and leaves
// the table as it was, under every size policy.
TEST_F(BWTableXYTest, ARecordMemoryCannotHoldChangesNothing) {
    BWTableXY big(&context, 100000, 1, false);
    big.setPageCount(3);  // 1.2 MB of stored points
    std::vector<uint32_t> words = wordsOf(big);
    for (uint64_t policy : {BWTableXY::kFollowStoredSize, BWTableXY::kKeepSizeAndCut, uint64_t{1}}) {
        BWTableXY table(&context, 3, 1, false);
        table.sizePolicy = policy;
        table.setRange(0.0f, 15.0f);
        fillPage(table, 0, {1, 2, 3});
        const std::vector<uint32_t> before = wordsOf(table);
        BWChunk chunk(words.data(), uint32_t(words.size() * 4));
        {
            AllocationFailure failure(1u << 20);
            EXPECT_EQ(table.readChunk(&chunk, false), 0) << policy;
            EXPECT_GT(failure.refused(), 0u);
        }
        EXPECT_EQ(wordsOf(table), before) << policy;
    }
}

TEST_F(BWTableXYTest, SizePoliciesCutOrResample) {
    BWTableXY wide(&context, 64, 1, false);
    for (uint64_t i = 0; i < 64; ++i) wide.setValueOnPage(i, 0, static_cast<float>(i) / 64.0f);
    const std::vector<uint32_t> words = wordsOf(wide);

    BWTableXY halved(&context, 32, 1, false);
    halved.sizePolicy = 1;
    EXPECT_EQ(readWords(halved, words).result, 1);
    EXPECT_EQ(halved.getCount(), 32u);
    EXPECT_EQ(halved.getValueOnPage(0, 0), 0.5f / 64.0f);    // (0 + 1/64) / 2
    EXPECT_EQ(halved.getValueOnPage(31, 0), 62.5f / 64.0f);

    BWTableXY cut(&context, 32, 1, false);
    cut.sizePolicy = BWTableXY::kKeepSizeAndCut;
    EXPECT_EQ(readWords(cut, words).result, 1);
    EXPECT_EQ(cut.getValueOnPage(31, 0), 31.0f / 64.0f);

    BWTableXY narrow(&context, 2, 1, false);
    narrow.setPageCount(2);
    fillPage(narrow, 1, {0.25f, 0.75f});
    BWTableXY doubled(&context, 5, 1, false);
    doubled.sizePolicy = 1;
    doubled.setPageCount(3);
    EXPECT_EQ(readWords(doubled, wordsOf(narrow)).result, 1);
    EXPECT_EQ(doubled.getPageCount(), 3u);  // the present pages stay too
    EXPECT_EQ(page(doubled, 1), (std::vector<float>{0.25f, 0.25f, 0.75f, 0.75f, 0.0f}));
}

TEST_F(BWTableXYTest, OlderPagedLayoutsStillRead) {
    // Version 1001: a dropped word, normalised points, a name.
    std::vector<uint32_t> v1001 = {666555777u, 1001, floatWord(0.7f), floatWord(4.0f), floatWord(0.0f), 2, 2,
                                   floatWord(0.25f), floatWord(0.5f), floatWord(1.0f), floatWord(0.0f)};
    appendName(v1001, "Old");
    BWTableXY table(&context, 8, 1, false);
    EXPECT_EQ(readWords(table, v1001).result, 1);
    EXPECT_EQ(page(table, 0), (std::vector<float>{1.0f, 2.0f}));
    EXPECT_EQ(page(table, 1), (std::vector<float>{4.0f, 0.0f}));
    EXPECT_STREQ(table.getName(), "Old");

    // Version 1002: a dropped word, plain points.
    std::vector<uint32_t> v1002 = {666555777u, 1002, floatWord(0.7f), floatWord(4.0f), floatWord(0.0f), 1, 1, floatWord(3.0f)};
    appendName(v1002, "");
    EXPECT_EQ(readWords(table, v1002).result, 1);
    EXPECT_EQ(table.getValueOnPage(0, 0), 3.0f);
    EXPECT_STREQ(table.getName(), "Old");  // an empty stored name keeps the old one

    // Version 1000: no name; the name returns to "Default".
    const std::vector<uint32_t> v1000 = {666555777u, 1000, floatWord(0.0f), floatWord(1.0f), floatWord(0.0f), 1, 1, floatWord(0.5f)};
    EXPECT_EQ(readWords(table, v1000).result, 1);
    EXPECT_STREQ(table.getName(), "Default");
}

TEST_F(BWTableXYTest, UntaggedRecordsArePlainTablesOrSkipped) {
    BWTableXY table(&context, 2, 1, false);
    table.setPageCount(3);
    table.setCurrentPage(2);
    // A plain table record: its points land on the current page.
    const std::vector<uint32_t> plain = {floatWord(0.0f), floatWord(1.0f), floatWord(0.0f), 0xFFCB4286u, 1, 2,
                                         floatWord(0.25f), floatWord(0.5f)};
    EXPECT_EQ(readWords(table, plain).result, 1);
    EXPECT_EQ(page(table, 2), (std::vector<float>{0.25f, 0.5f}));
    EXPECT_EQ(page(table, 0), (std::vector<float>{0.0f, 0.0f}));

    // A record opening with 0.4 is consumed and not applied.
    const std::vector<uint32_t> skipped = {floatWord(0.4f), floatWord(1.0f), floatWord(0.0f), 0xFFCB4286u, 1, 2,
                                           floatWord(0.75f), floatWord(0.75f), 77};
    const ChunkRead read = readWords(table, skipped);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.position, skipped.size() - 1);
    EXPECT_EQ(page(table, 2), (std::vector<float>{0.25f, 0.5f}));
    const std::vector<uint32_t> skippedOld = {floatWord(0.4f), floatWord(1.0f), floatWord(0.0f), 1, floatWord(0.75f)};
    EXPECT_EQ(readWords(table, skippedOld).result, 1);
}

TEST_F(BWTableXYTest, BadRecordsFailAndSkipOnlyChangesNothing) {
    BWTableXY source(&context, 2, 1, false);
    source.setPageCount(2);
    fillPage(source, 1, {0.5f, 1.0f});
    const std::vector<uint32_t> good = wordsOf(source);

    BWTableXY table(&context, 4, 1, false);
    std::vector<uint32_t> truncated(good.begin(), good.end() - 3);
    EXPECT_EQ(readWords(table, truncated).result, 0);
    std::vector<uint32_t> newer = good;
    newer[1] = 1004;
    EXPECT_EQ(readWords(table, newer).result, 0);
    std::vector<uint32_t> manyPages = good;
    manyPages[5] = 0x40000000;
    EXPECT_EQ(readWords(table, manyPages).result, 0);
    std::vector<uint32_t> tooMany = good;
    tooMany[4] = 3;  // 3 × 2 points do not fit in what is left
    EXPECT_EQ(readWords(table, tooMany).result, 0);
    std::vector<uint32_t> noName = good;
    noName[noName.size() - 3] = 400;  // a name longer than the record
    EXPECT_EQ(readWords(table, noName).result, 0);
    // A length with no pages still has to fit what is left.
    EXPECT_EQ(readWords(table, {666555777u, 1003, floatWord(1.0f), floatWord(0.0f), 4000000, 0, 0}).result, 0);
    EXPECT_EQ(readWords(table, {666555777u}).result, 0);
    EXPECT_EQ(readWords(table, {}).result, 0);
    EXPECT_EQ(table.getCount(), 4u);
    EXPECT_EQ(table.getPageCount(), 1u);

    std::vector<uint32_t> followed = good;
    followed.push_back(4242);
    const ChunkRead read = readWords(table, followed, true);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.position, good.size());
    EXPECT_EQ(table.getCount(), 4u);
    EXPECT_EQ(table.getPageCount(), 1u);
    EXPECT_STREQ(table.getName(), "Default");
}

// The render reads lanes on the audio thread, and learned controllers run the
// pattern edits there too.
TEST_F(BWTableXYTest, RenderReadsAndEditsAllocateNothing) {
    BWTableXY lane(&context, 32, 1, false);
    lane.setPageCount(8);
    float block[32];
    AllocationCounter allocations;
    lane.setCurrentPage(3);
    float sum = lane.getValue(5) + lane.getValueOnPage(5, 3) + lane.getValueAtXY(2.5f, 3.0f);
    lane.copyCurrentPageValues(block, 32);
    lane.randomize();
    lane.rotateLeft(0, 32);
    lane.rotateRight(0, 32);
    lane.resetCurrent();
    EXPECT_EQ(allocations.count(), 0u);
    EXPECT_EQ(sum + block[0], 0.0f);
}

// The render reads lanes while the interface changes their page counts and
// lengths; under AddressSanitizer a read of a freed page, or a copy sized
// before a resize that lands after it, fails the test, and ThreadSanitizer
// sees every shared value change hands.
TEST_F(BWTableXYTest, AudioReadsSurvivePageAndLengthChanges) {
    BWTableXY lane(&context, 32, 1, false);
    lane.setPageCount(8);
    std::atomic<bool> stop{false};
    std::atomic<long> reads{0};

    std::thread audio([&] {
        float block[32];
        float sum = 0.0f;
        while (!stop.load()) {
            lane.setCurrentPage(7);
            sum += lane.getValue(31) + lane.getValueOnPage(31, 7) + lane.getValueAtXY(3.5f, 6.5f);
            lane.copyCurrentPageValues(block, 32);
            reads.fetch_add(1);
        }
        EXPECT_GE(sum, 0.0f);
    });
    for (int round = 0; round < 300; ++round) {
        lane.setPageCount(round % 2 == 0 ? 2 : 8);
        lane.resize(round % 3 == 0 ? 16 : round % 3 == 1 ? 48 : 32, BWTable::kResizeKeep);
    }
    lane.resize(32, BWTable::kResizeKeep);
    while (reads.load() == 0) std::this_thread::yield();
    stop.store(true);
    audio.join();
}

TEST_F(BWTableXYTest, NoRecordMakesEveryPageTakeALengthItDoesNotHold) {
    // A lane of 48 pages: a record with no pages keeps them all, so its
    // length would be taken 48 times over from words stored once.
    BWTableXY lane(&context, 32, 1, false);
    configureLane(lane, tableXYLanes()[5]);
    ASSERT_EQ(lane.getPageCount(), 48u);
    const uint64_t length = BWTable::kMaxPoints / 48 + 1;
    const std::vector<uint32_t> head = {666555777u, 1003, floatWord(1.0f), floatWord(0.0f), static_cast<uint32_t>(length)};
    std::vector<uint32_t> noPages = head;
    noPages.push_back(0);                       // no pages
    noPages.push_back(0);                       // the name
    noPages.resize(noPages.size() + length, 7);  // the records after it
    EXPECT_EQ(readWords(lane, noPages).result, 0);
    EXPECT_EQ(lane.getCount(), 32u);
    EXPECT_EQ(lane.getPageCount(), 48u);

    // The same length on one page is followed: the pages go before the
    // points grow.
    std::vector<uint32_t> onePage = head;
    onePage.push_back(1);
    onePage.resize(onePage.size() + length, floatWord(0.5f));
    onePage.push_back(0);
    EXPECT_EQ(readWords(lane, onePage).result, 1);
    EXPECT_EQ(lane.getPageCount(), 1u);
    EXPECT_EQ(lane.getCount(), length);
    EXPECT_EQ(lane.getValueOnPage(length - 1, 0), 0.5f);

    // Nor do the page and length setters grow a table past the limit.
    lane.setPageCount(48);
    EXPECT_EQ(lane.getPageCount(), 1u);
    lane.resize(BWTable::kMaxPoints / 2, BWTable::kResizeKeep);
    lane.setPageCount(3);
    EXPECT_EQ(lane.getPageCount(), 1u);
    lane.setPageCount(2);
    EXPECT_EQ(lane.getPageCount(), 2u);
    lane.resize(BWTable::kMaxPoints / 2 + 1, BWTable::kResizeKeep);
    EXPECT_EQ(lane.getCount(), BWTable::kMaxPoints / 2);
}

// The render keeps what it read from the tables until the owner's edit count
// moves, so every way of changing what a table reads must move it, and the
// render's own reads must not (else it would read again every tick).
TEST_F(BWTableXYTest, EveryEditMovesTheOwnersEditCountAndReadsDoNot) {
    BWTableXY table(&context, 4, 1, false);
    table.setPageCount(2);
    BWTableXY source(&context, 4, 1, false);
    fillPage(source, 0, {0.1f, 0.2f, 0.3f, 0.4f});
    const std::vector<uint32_t> record = wordsOf(source);
    const NamedEdit edits[] = {
        {"setValueOnPage", [&] { table.setValueOnPage(1, 1, 0.5f); }},
        {"setValue", [&] { table.setValue(2, 0.25f); }},
        {"setNormalized", [&] { table.setNormalized(0, 0.75f); }},
        {"setNormalizedAt", [&] { table.setNormalizedAt(1.0f, 0.125f); }},
        {"setCursorValue", [&] { table.setCursorValue(0.625f); }},
        {"incrementRange", [&] { table.incrementRange(0, 2); }},
        {"decrementRange", [&] { table.decrementRange(0, 2); }},
        {"setValues", [&] { const float v[] = {0.3f, 0.6f}; table.setValues(v, 2); }},
        {"reset", [&] { table.reset(); }},
        {"randomize", [&] { table.randomize(); }},
        {"rotateLeft", [&] { table.rotateLeft(0, 0); }},
        {"copy and paste", [&] { table.copy(0, 4); table.setCurrentPage(1); table.paste(0, 4); }},
        {"setCurrentPage", [&] { table.setCurrentPage(0); }},
        {"resize", [&] { table.resize(6, BWTable::kResizeKeep); }},
        {"setPageCount", [&] { table.setPageCount(3); }},
        {"setRange", [&] { table.setRange(0.0f, 2.0f); }},
        {"readChunk", [&] { EXPECT_EQ(readWords(table, record).result, 1); }},
    };
    expectEveryEditMoves(context.tableEdits, edits);
    const uint32_t before = context.tableEdits.load();
    float points[8];
    for (uint64_t step = 0; step < 4; ++step) table.selectPageAndGetValue(step % 2, step);
    table.copyCurrentPageValues(points, 8);
    table.getValueOnPage(0, 1);
    table.setCurrentPage(table.getCurrentPage());  // the page it is on already
    EXPECT_EQ(context.tableEdits.load(), before);
}
