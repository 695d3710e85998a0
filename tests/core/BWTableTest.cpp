#include "core/BWTable.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "core/BWSystemInfo.h"
#include "platform/Framework.h"
#include "core/StateResetList.h"
#include "persistence/BWChunk.h"
#include "support/ChunkWords.h"
#include "support/FloatWord.h"

namespace {

std::vector<float> pointsOf(BWTable& table) {
    std::vector<float> points;
    for (uint64_t i = 0; i < table.getCount(); ++i) points.push_back(table.getValue(i));
    return points;
}

void setPoints(BWTable& table, const std::vector<float>& points) {
    for (size_t i = 0; i < points.size(); ++i) table.setValue(i, points[i]);
}

class BWTableTest : public ::testing::Test {
protected:
    StateResetList tracked;
    BWSystemInfo context{8, &tracked, nullptr, nullptr};
};

}  // namespace

TEST_F(BWTableTest, ReadsInterpolateAndWrapToPointZero) {
    BWTable table(&context, 4);
    table.setRange(0.0f, 10.0f);
    setPoints(table, {2.0f, 4.0f, 6.0f, 8.0f});

    EXPECT_EQ(table.getValueAt(1.5f), 5.0f);
    EXPECT_EQ(table.readPosition.load(), 1.5f);
    EXPECT_EQ(table.getValueAt(3.5f), 5.0f);  // between the last point and point 0
    EXPECT_EQ(table.getValueAtCursor(), 5.0f);
    EXPECT_EQ(table.getNormalizedAt(0.5f), 0.3f);
    EXPECT_EQ(table.getValueAt(4.0f), 0.0f);
    EXPECT_EQ(table.getValueAt(-0.5f), 0.0f);
    EXPECT_EQ(table.getValueAt(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(table.getValue(4), 0.0f);

    table.setFlags(table.getFlags() & ~BWTable::kInterpolate);
    EXPECT_EQ(table.getValueAt(1.9f), 4.0f);  // the point below
    EXPECT_EQ(table.getValueAt(-0.5f), 2.0f); // truncates towards point 0
    EXPECT_EQ(table.getNormalizedAt(1.9f), 0.4f);
    EXPECT_EQ(table.getValueAt(-3.0f), 0.0f);
}

TEST_F(BWTableTest, NormalisedWritesScaleRoundAndNudge) {
    BWTable table(&context, 4);
    table.setRange(2.0f, 6.0f);
    table.setNormalized(1, 0.5f);
    EXPECT_EQ(table.getValue(1), 4.0f);
    EXPECT_EQ(table.getNormalized(1), 0.5f);
    table.setNormalized(2, 7.0f);
    EXPECT_EQ(table.getValue(2), 6.0f);
    table.setNormalized(3, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(table.getValue(3), 2.0f);
    table.setNormalized(4, 0.5f);  // beyond the table: ignored
    table.setNormalizedAt(0.7f, 1.0f);
    EXPECT_EQ(table.getValue(0), 6.0f);

    // Whole numbers: every value of 0..3 gets a quarter of the travel.
    BWTable whole(&context, 2);
    whole.setRange(0.0f, 3.0f);
    whole.setFlags(whole.getFlags() | BWTable::kWholeNumbers);
    whole.setNormalized(0, 0.999f);
    EXPECT_EQ(whole.getValue(0), 3.0f);
    whole.setNormalized(0, 0.24f);
    EXPECT_EQ(whole.getValue(0), 0.0f);
    whole.setNormalized(1, 0.26f);
    EXPECT_EQ(whole.getValue(1), 1.0f);

    // No equal neighbours: the same value twice ends 0.0001 apart, downwards
    // at the top of the range.
    BWTable distinct(&context, 3);
    distinct.setFlags(distinct.getFlags() | BWTable::kNoEqualNeighbours);
    distinct.setValue(0, 0.5f);
    distinct.setValue(1, 0.5f);
    EXPECT_EQ(distinct.getValue(1), 0.5f + 0.0001f);
    distinct.setValue(1, 1.0f);
    distinct.setValue(2, 1.0f);
    EXPECT_EQ(distinct.getValue(2), 1.0f - 0.0001f);
    distinct.setNormalized(0, 1.0f - 0.0001f);  // equals the last point
    EXPECT_EQ(distinct.getValue(0), 1.0f);
}

TEST_F(BWTableTest, CursorWritesAndIntegerMode) {
    BWTable table(&context, 4);
    table.setRange(0.0f, 8.0f);
    table.editPosition = 2.7f;
    table.setCursorValue(3.0f);
    EXPECT_EQ(table.getValue(2), 3.0f);
    table.editPosition = 0.0f;
    table.setCursorValueRounded(4.5f);
    EXPECT_EQ(table.getValue(0), 5.0f);
    EXPECT_EQ(table.getValueAt(3.5f), 2.5f);  // the wrap point followed point 0
    table.editPosition = 4.0f;
    table.setCursorValue(1.0f);  // outside: ignored

    setPoints(table, {1.4f, 2.5f, 9.0f, -1.0f});
    table.setIntegerMode(true);
    EXPECT_EQ(pointsOf(table), (std::vector<float>{1.0f, 3.0f, 8.0f, 0.0f}));
    EXPECT_TRUE(table.hasFlag(BWTable::kWholeNumbers));
}

TEST_F(BWTableTest, RangeStepsRotationsAndClampedRanges) {
    BWTable unit(&context, 4);
    unit.incrementRange(1, 3);
    EXPECT_EQ(pointsOf(unit), (std::vector<float>{0.0f, 0.05f, 0.05f, 0.0f}));
    unit.setValue(0, 0.98f);
    unit.incrementRange(0, 100);  // clamped to the points; the top stays at max
    EXPECT_EQ(unit.getValue(0), 1.0f);
    unit.decrementRange(0, 4);
    EXPECT_EQ(unit.getValue(1), 0.05f);
    EXPECT_EQ(unit.getValue(3), 0.0f);  // 0.05 − 0.05; nothing goes below min

    BWTable wide(&context, 5);
    wide.setRange(0.0f, 10.0f);
    setPoints(wide, {1, 2, 3, 4, 5});
    wide.incrementRange(0, 1);
    EXPECT_EQ(wide.getValue(0), 2.0f);  // a step of 1 outside 0..1
    wide.setValue(0, 1.0f);

    wide.rotateLeft(1, 4);
    EXPECT_EQ(pointsOf(wide), (std::vector<float>{1, 3, 4, 2, 5}));
    wide.rotateRight(0, 0);  // end 0: the whole table
    EXPECT_EQ(pointsOf(wide), (std::vector<float>{5, 1, 3, 4, 2}));
    wide.rotateLeft(3, 99);  // end clamped to the points
    EXPECT_EQ(pointsOf(wide), (std::vector<float>{5, 1, 3, 2, 4}));
    wide.rotateLeft(4, 2);   // empty ranges do nothing
    wide.rotateRight(7, 9);
    EXPECT_EQ(pointsOf(wide), (std::vector<float>{5, 1, 3, 2, 4}));
    EXPECT_EQ(wide.getValueAt(4.5f), 4.5f);  // rotation kept the wrap point
}

TEST_F(BWTableTest, ResetWritesTheDefaultOrARamp) {
    BWTable table(&context, 6);
    table.setRange(-1.0f, 8.0f);
    table.defaultValue = 0.5f;
    table.reset();
    EXPECT_EQ(pointsOf(table), std::vector<float>(6, 0.5f));

    table.defaultValue = BWTable::kRampDefault;
    context.randomLimit = 4.0f;
    table.reset();
    EXPECT_EQ(pointsOf(table), (std::vector<float>{0, 1, 2, 3, 0, 1}));
    context.randomLimit = 100.0f;  // 100 means no limit
    table.reset();
    EXPECT_EQ(pointsOf(table), (std::vector<float>{0, 1, 2, 3, 4, 5}));
    context.randomLimit = -100.0f;  // unset: every step restarts
    table.reset();
    EXPECT_EQ(pointsOf(table), std::vector<float>(6, 0.0f));
}

TEST_F(BWTableTest, ResizeKeepsStretchesOrRefills) {
    BWTable table(&context, 4);
    table.setRange(0.0f, 10.0f);
    table.defaultValue = 7.0f;
    setPoints(table, {1, 2, 3, 4});

    table.resize(4, BWTable::kResizeKeep);  // same count: nothing
    table.resize(6, BWTable::kResizeKeep);
    EXPECT_EQ(pointsOf(table), (std::vector<float>{1, 2, 3, 4, 7, 7}));
    EXPECT_EQ(table.getValueAt(5.5f), 4.0f);  // the wrap point is point 0 again
    EXPECT_FLOAT_EQ(table.lengthInBeats, static_cast<float>(6.0 * context.tickLength / context.samplesPerBeat));

    table.resize(3, BWTable::kResizeKeep);
    table.resize(6, BWTable::kResizeStretch);  // every old point twice
    EXPECT_EQ(pointsOf(table), (std::vector<float>{1, 1, 2, 2, 3, 3}));
    table.resize(3, BWTable::kResizeStretch);  // every second point
    EXPECT_EQ(pointsOf(table), (std::vector<float>{1, 2, 3}));

    table.resize(2, BWTable::kResizeFresh);
    EXPECT_EQ(pointsOf(table), (std::vector<float>{7, 7}));

    table.setRange(0.0f, 5.0f);
    table.resize(3, BWTable::kResizeKeep);  // every entry limited to the range
    EXPECT_EQ(pointsOf(table), (std::vector<float>{5, 5, 5}));

    table.resize(0, BWTable::kResizeKeep);
    EXPECT_EQ(table.getCount(), 0u);
    EXPECT_EQ(table.getValue(0), 0.0f);
    EXPECT_EQ(table.getValueAt(0.0f), 0.0f);
    EXPECT_EQ(table.getNormalized(0), 0.0f);
    table.reset();
    table.randomize();
    table.rotateLeft(0, 0);

    table.resize(BWTable::kMaxPoints + 1, BWTable::kResizeFresh);  // refused
    EXPECT_EQ(table.getCount(), 0u);
    table.setLengthInBars(0.5f, BWTable::kResizeFresh);  // two beats of ticks
    EXPECT_EQ(table.getCount(), static_cast<uint64_t>(context.samplesPerBeat * 2.0 / context.tickLength));
    table.setLengthInBeats(-3.0f, BWTable::kResizeFresh);
    EXPECT_EQ(table.getCount(), 0u);
}

TEST_F(BWTableTest, TrackedTablesListTheirCurrentArray) {
    {
        BWTable table(&context, 4);
        EXPECT_EQ(tracked.size(), 0u);  // the first array is never tracked
        table.setFlags(table.getFlags() | BWTable::kTracked);
        table.resize(8, BWTable::kResizeKeep);
        ASSERT_EQ(tracked.size(), 1u);
        EXPECT_EQ(tracked.at(0).byteLength, 9u * 4u);
        table.resize(2, BWTable::kResizeKeep);
        ASSERT_EQ(tracked.size(), 1u);
        EXPECT_EQ(tracked.at(0).byteLength, 3u * 4u);
    }
    EXPECT_EQ(tracked.size(), 0u);
}

TEST_F(BWTableTest, RandomizeDrawsTheParkMillerSequence) {
    // The first unit values from the load seed (see PatternRandomTest).
    const float u[] = {std::bit_cast<float>(0x3cd90fd0u), std::bit_cast<float>(0x3ea9b2c2u),
                       std::bit_cast<float>(0x3f0b5c0bu), std::bit_cast<float>(0x3e8fb619u)};

    BWTable table(&context, 4);
    patternRandomSeed() = 645637;
    table.randomize();  // writes although it holds its own busy mark
    EXPECT_EQ(pointsOf(table), (std::vector<float>{u[0], u[1], u[2], u[3]}));
    EXPECT_FALSE(table.hasFlag(BWTable::kBusy));

    // A narrowed range: r = u × 0.25 + 0.25.
    context.randomLow = 0.25f;
    context.randomHigh = 0.5f;
    patternRandomSeed() = 645637;
    table.randomize();
    EXPECT_EQ(table.getValue(0), u[0] * 0.25f + 0.25f);

    // A reversed range wraps above 1: width 1 − 0.5, start at 0.75.
    context.randomLow = 0.75f;
    context.randomHigh = 0.25f;
    patternRandomSeed() = 645637;
    table.randomize();
    EXPECT_EQ(table.getValue(0), u[0] * 0.5f + 0.75f);
    EXPECT_EQ(table.getValue(2), u[2] * 0.5f + 0.75f - 1.0f);

    // Rests take a second draw per point: draws 1, 3, 5 and 7 decide.
    context.randomLow = 0.0f;
    context.randomHigh = 1.0f;
    table.restProbability = 0.3f;
    table.defaultValue = 0.9f;
    patternRandomSeed() = 645637;
    table.randomize();
    EXPECT_EQ(pointsOf(table), (std::vector<float>{u[0], 0.9f, std::bit_cast<float>(0x3efc1576u),
                                                   std::bit_cast<float>(0x3f00335eu)}));
    EXPECT_EQ(patternRandomSeed(), 743215813);
}

TEST_F(BWTableTest, TableClipboardCopiesBetweenEqualLengths) {
    auto source = std::make_unique<BWTable>(&context, 3);
    setPoints(*source, {0.1f, 0.2f, 0.3f});
    BWTable same(&context, 3);
    BWTable other(&context, 4);

    source->copyTable();
    EXPECT_EQ(BWTable::clipboardTable(), source.get());
    source->pasteTable();  // from itself: nothing
    other.pasteTable();    // another length: nothing
    EXPECT_EQ(pointsOf(other), std::vector<float>(4, 0.0f));
    same.pasteTable();
    EXPECT_EQ(pointsOf(same), (std::vector<float>{0.1f, 0.2f, 0.3f}));

    source.reset();  // the clipboard forgets a table that dies
    EXPECT_EQ(BWTable::clipboardTable(), nullptr);
    same.pasteTable();
}

// The slot is the process's: one instance's table view pastes while another
// instance copies tables that then die.  A paste reads whole tables only.
TEST_F(BWTableTest, APasteBesideTablesThatCopyAndDie) {
    constexpr int kRounds = 2000;
    std::thread other([this] {
        for (int round = 0; round < kRounds; ++round) {
            BWTable source(&context, 3);
            setPoints(source, {1.0f, 1.0f, 1.0f});
            source.copyTable();
        }
    });
    BWTable target(&context, 3);
    for (int round = 0; round < kRounds; ++round) {
        target.pasteTable();
        for (float point : pointsOf(target)) EXPECT_TRUE(point == 0.0f || point == 1.0f);
    }
    other.join();
    EXPECT_EQ(BWTable::clipboardTable(), nullptr);
}

TEST_F(BWTableTest, ChunksRoundTripRawValues) {
    BWTable table(&context, 3);
    table.setRange(-2.0f, 15.0f);
    table.defaultValue = 1.0f;
    setPoints(table, {-2.0f, 7.5f, 15.0f});
    const std::vector<uint32_t> words = wordsOf(table);
    EXPECT_EQ(words, (std::vector<uint32_t>{floatWord(1.0f), floatWord(15.0f), floatWord(-2.0f), 0xFFCB4286u, 1, 3,
                                            floatWord(-2.0f), floatWord(7.5f), floatWord(15.0f)}));

    BWTable copy(&context, 8);
    const ChunkRead read = readWords(copy, words);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.position, words.size());
    EXPECT_EQ(copy.getCount(), 3u);
    EXPECT_EQ(copy.min, -2.0f);
    EXPECT_EQ(copy.max, 15.0f);
    EXPECT_EQ(copy.defaultValue, 1.0f);
    EXPECT_EQ(pointsOf(copy), (std::vector<float>{-2.0f, 7.5f, 15.0f}));
    EXPECT_FALSE(copy.hasFlag(BWTable::kBusy));
}

TEST_F(BWTableTest, OlderLayoutsReadNormalisedPoints) {
    // No tag: the fourth word is the count.
    BWTable untagged(&context, 2);
    const std::vector<uint32_t> old = {floatWord(0.0f), floatWord(4.0f), floatWord(0.0f), 5,
                                       floatWord(0.0f), floatWord(0.25f), floatWord(0.5f), floatWord(1.0f), floatWord(2.0f)};
    EXPECT_EQ(readWords(untagged, old).result, 1);
    EXPECT_EQ(pointsOf(untagged), (std::vector<float>{0.0f, 1.0f, 2.0f, 4.0f, 4.0f}));

    // Tagged with version 0: normalised as well.
    BWTable version0(&context, 2);
    const std::vector<uint32_t> zero = {floatWord(0.0f), floatWord(2.0f), floatWord(0.0f), 0xFFCB4286u, 0, 1, floatWord(0.5f)};
    EXPECT_EQ(readWords(version0, zero).result, 1);
    EXPECT_EQ(pointsOf(version0), std::vector<float>{1.0f});

    // A count of 0 reads no points.
    BWTable empty(&context, 2);
    EXPECT_EQ(readWords(empty, {floatWord(0.0f), floatWord(1.0f), floatWord(0.0f), 0}).result, 1);
    EXPECT_EQ(empty.getCount(), 0u);
}

TEST_F(BWTableTest, BadRecordsFailAndChangeNothing) {
    BWTable table(&context, 2);
    setPoints(table, {0.25f, 0.75f});
    const std::vector<uint32_t> good = wordsOf(table);
    // Each bad record: (word index, replacement); index −1 drops the last word.
    const std::vector<std::pair<int, uint32_t>> faults = {
        {-1, 0},                                             // truncated
        {4, 2},                                              // a newer version
        {5, 0x7FFFFFFF},                                     // more points than words
        {5, 0xFFFFFFFF},                                     // a negative count
        {1, floatWord(std::numeric_limits<float>::quiet_NaN())},  // a range that is no number
    };
    for (const auto& [index, replacement] : faults) {
        std::vector<uint32_t> bad = good;
        if (index < 0) {
            bad.pop_back();
        } else {
            bad[index] = replacement;
        }
        EXPECT_EQ(readWords(table, bad).result, 0) << "word " << index;
        EXPECT_EQ(pointsOf(table), (std::vector<float>{0.25f, 0.75f})) << "word " << index;
        EXPECT_FALSE(table.hasFlag(BWTable::kBusy));
    }
    EXPECT_EQ(readWords(table, {floatWord(0.0f), floatWord(1.0f)}).result, 0);

    // Points that are no numbers read as the nearest sane value.
    std::vector<uint32_t> wild = good;
    wild[6] = floatWord(std::numeric_limits<float>::quiet_NaN());
    wild[7] = floatWord(std::numeric_limits<float>::infinity());
    EXPECT_EQ(readWords(table, wild).result, 1);
    EXPECT_EQ(pointsOf(table), (std::vector<float>{0.0f, 1.0f}));
}

TEST_F(BWTableTest, SkipOnlyConsumesTheRecordAndChangesNothing) {
    BWTable source(&context, 3);
    setPoints(source, {0.1f, 0.2f, 0.3f});
    std::vector<uint32_t> words = wordsOf(source);
    words.push_back(12345);  // the next record

    BWTable table(&context, 5);
    const ChunkRead read = readWords(table, words, true);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.position, words.size() - 1);
    EXPECT_EQ(table.getCount(), 5u);
    EXPECT_EQ(pointsOf(table), std::vector<float>(5, 0.0f));
}

// The view's mark holds a resize off for as long as it stays (a mark, not a
// count: set twice, cleared once), and the view's reads see the new points.
TEST_F(BWTableTest, ResizeWaitsForTheViewWithoutALimit) {
    BWTable table(&context, 4);
    table.setViewInUse(true);
    table.setViewInUse(true);
    EXPECT_TRUE(table.hasFlag(BWTable::kInUseByView));
    // Taken before the view starts its stay, so the stay never counts from
    // before the clock started, however late this thread runs again.
    const auto begin = std::chrono::steady_clock::now();
    std::thread view([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        table.setViewInUse(false);
    });
    table.resize(8, BWTable::kResizeKeep);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(1100));
    view.join();
    EXPECT_EQ(table.getCount(), 8u);
    EXPECT_FALSE(table.hasFlag(BWTable::kInUseByView));
    table.resize(2, BWTable::kResizeKeep);  // no view: no wait
    EXPECT_EQ(table.getCount(), 2u);
}

// The block operations a state save and load use (whole pages in and out,
// a plain table's reset at once) leave every point, the wrap point and the
// read position as the point-by-point operations do, with and without the
// neighbour rule, from sources shorter and longer than the table.
TEST_F(BWTableTest, BlockWritesAndReadsMatchThePointByPointOnes) {
    struct Case {
        uint32_t flags;
        float defaultValue, low, high;
        std::vector<float> source;
    };
    const std::vector<Case> cases = {
        {0, 0.0f, 0.0f, 1.0f, {0.5f, 0.5f, 0.25f}},
        {BWTable::kNoEqualNeighbours, 0.0f, 0.0f, 1.0f, {0.5f, 0.5f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f}},
        {BWTable::kNoEqualNeighbours, 0.3f, -1.0f, 1.0f, {0.3f, 0.3f, 0.3f, 0.3f, 0.3f, 0.3f, 0.3f, 0.3f, 9.0f}},
        {BWTable::kNoEqualNeighbours, BWTable::kRampDefault, 0.0f, 7.0f, {}},  // a ramp resets 0, 1, 2 …
        {0, 0.75f, 0.0f, 1.0f, {}},
    };
    // A table of another type takes the point-by-point road everywhere.
    struct PointByPoint : BWTable {
        using BWTable::BWTable;
    };
    for (const Case& c : cases) {
        BWTable block(&context, 6);
        PointByPoint single(&context, 6);
        for (BWTable* table : {&block, static_cast<BWTable*>(&single)}) {
            table->setFlags(c.flags);
            table->setRange(c.low, c.high);
            table->defaultValue = c.defaultValue;
            setPoints(*table, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f});
        }
        block.setValues(c.source.data(), c.source.size());
        for (size_t i = 0; i < c.source.size(); ++i) single.setValue(i, c.source[i]);
        EXPECT_EQ(pointsOf(block), pointsOf(single)) << c.flags;
        block.reset();
        single.reset();
        EXPECT_EQ(pointsOf(block), pointsOf(single)) << c.flags;
        EXPECT_EQ(block.rawPoint(0), single.rawPoint(0));

        // Written as a block in both passes (0 past the table's end), read
        // back as a block: one float short, the read fails with zeros.
        BWChunk chunk;
        block.writePoints(&chunk, 8);
        chunk.allocateMeasured();
        chunk.setPosition(0);
        block.writePoints(&chunk, 8);
        ASSERT_EQ(chunk.getPosition(), 8u);
        ASSERT_FALSE(chunk.hasFailed());
        std::vector<float> back(9, -1.0f);
        chunk.setPosition(0);
        chunk.readFloats(back.data(), 8);
        for (uint64_t i = 0; i < 8; ++i) EXPECT_EQ(floatWord(back[i]), floatWord(i < 6 ? single.rawPoint(i) : 0.0f)) << i;
        chunk.setPosition(1);
        chunk.readFloats(back.data(), 8);
        EXPECT_TRUE(chunk.hasFailed());
        EXPECT_EQ(back, (std::vector<float>{0, 0, 0, 0, 0, 0, 0, 0, -1.0f}));
    }
}
