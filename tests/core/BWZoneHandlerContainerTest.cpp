#include "core/BWZoneHandlerContainer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "EditCountCheck.h"
#include "core/BWFloatZoneHandler.h"
#include "core/BWSystemInfo.h"
#include "core/BWZone.h"
#include "platform/Framework.h"
#include "core/ZoneClipboard.h"
#include "support/ClipboardEntry.h"
#include "support/AllocationCounter.h"
#include "support/ChunkWords.h"

namespace {

using Container = BWZoneHandlerContainer<BWFloatZoneHandler>;
using Ranges = std::vector<std::pair<int32_t, int32_t>>;

Ranges rangesOf(const BWZoneHandler* handler) {
    Ranges ranges;
    for (const auto& zone : handler->zoneList()) ranges.emplace_back(zone->start, zone->end);
    return ranges;
}

void addZone(BWZoneHandler* handler, int32_t start, int32_t end) {
    std::unique_ptr<BWZone> owned = handler->createZone(0);
    BWZone* zone = owned.get();
    zone->setRange(start, end);
    EXPECT_TRUE(handler->insertZone(std::move(owned)));
}

class BWZoneHandlerContainerTest : public ::testing::Test {
protected:
    // The instance's container as the core sets it up.
    void SetUp() override {
        container.clipboardKey = 167;
        container.setLaneLength(32);
        container.initEnabled = 0;
        addZone(container.laneHandler(0), 0, 31);
    }
    void TearDown() override { zoneClipboard().clear(); }

    BWSystemInfo context{8, nullptr, nullptr, nullptr};
    Container container{&context, 0, 8, false};
};

}  // namespace

TEST_F(BWZoneHandlerContainerTest, LanesExistOnlyForOneToSixtyThree) {
    EXPECT_EQ(context.initInterfaceList.size(), 9u);  // the container and its lanes
    EXPECT_EQ(container.laneHandler(8), nullptr);
    for (uint64_t count : {0ul, 64ul}) {
        Container without(&context, 0, count, false);
        EXPECT_EQ(without.createZone(0), nullptr);
        EXPECT_TRUE(without.activeZoneList().empty());
        float start = 0, end = 0;
        EXPECT_FALSE(without.audioLoopRange(start, end));
        without.randomize();
        EXPECT_EQ(wordsOf(without), (std::vector<uint32_t>{512795, 1, 0, 0}));
    }
    EXPECT_NE(Container(&context, 0, 63, false).laneHandler(62), nullptr);
}

TEST_F(BWZoneHandlerContainerTest, ChunkRoundTripClampsToTheLaneLength) {
    const std::vector<uint32_t> empty = wordsOf(*Container(&context, 0, 8, false).chunkable());
    std::vector<uint32_t> expected = {512795, 1, 8, 0};
    for (int i = 0; i < 8; ++i) expected.insert(expected.end(), {1, 520860, 0});
    EXPECT_EQ(empty, expected);

    addZone(container.laneHandler(2), 30, 40);
    addZone(container.laneHandler(5), 3, 5);
    const std::vector<uint32_t> words = wordsOf(container);
    Container copy(&context, 0, 3, false);
    copy.setLaneLength(32);
    addZone(copy.laneHandler(0), 7, 7);  // replaced, not added to
    EXPECT_EQ(readWords(copy, words), (ChunkRead{1, static_cast<uint32_t>(words.size())}));
    EXPECT_EQ(copy.getLaneCount(), 8u);
    EXPECT_EQ(rangesOf(copy.laneHandler(0)), (Ranges{{0, 31}}));
    EXPECT_EQ(rangesOf(copy.laneHandler(2)), (Ranges{{30, 31}}));
    EXPECT_EQ(rangesOf(copy.laneHandler(5)), (Ranges{{3, 5}}));

    EXPECT_EQ(readWords(copy, wordsOf(*Container(&context, 0, 3, false).chunkable())).result, 1);
    EXPECT_EQ(copy.getLaneCount(), 3u);
}

TEST_F(BWZoneHandlerContainerTest, SkipOnlyReadsEveryStoredLaneAndChangesNothing) {
    Container wide(&context, 0, 12, false);
    addZone(wide.laneHandler(11), 1, 1);
    std::vector<uint32_t> words = wordsOf(wide);
    words.push_back(99);
    EXPECT_EQ(readWords(container, words, true), (ChunkRead{1, static_cast<uint32_t>(words.size() - 1)}));
    EXPECT_EQ(container.getLaneCount(), 8u);
    EXPECT_EQ(rangesOf(container.laneHandler(0)), (Ranges{{0, 31}}));
}

TEST_F(BWZoneHandlerContainerTest, BadRecordsFail) {
    const std::vector<uint32_t> good = wordsOf(container);
    std::vector<uint32_t> badTag = good, badVersion = good, tooManyLanes = good, negativeLanes = good;
    badTag[0] = 512796;
    badVersion[1] = 2;
    tooManyLanes[2] = 64;
    negativeLanes[2] = static_cast<uint32_t>(-1);
    for (const auto& words : {badTag, badVersion, tooManyLanes, negativeLanes, {512795, 1, 8}}) {
        EXPECT_EQ(readWords(container, words).result, 0);
        EXPECT_EQ(readWords(container, words, true).result, 0);
        EXPECT_EQ(container.getLaneCount(), 8u);
        EXPECT_EQ(rangesOf(container.laneHandler(0)), (Ranges{{0, 31}}));
    }
    // A lane that fails stops the record: the lanes before it are read.
    EXPECT_EQ(readWords(container, {512795, 1, 2, 0, 1, 520860, 1, 0, 0, 2, 3, 1, 520861, 0}).result, 0);
    EXPECT_EQ(rangesOf(container.laneHandler(0)), (Ranges{{2, 3}}));
    // A lane cut short keeps what it read before the cut, inside the lane.
    EXPECT_EQ(readWords(container, {512795, 1, 1, 0, 1, 520860, 2, 0, 0, 30, 40, 0, 7, 1, 1}).result, 0);
    EXPECT_EQ(rangesOf(container.laneHandler(0)), (Ranges{{30, 31}}));
}

TEST_F(BWZoneHandlerContainerTest, CopyAndPasteMoveALaneThroughTheClipboard) {
    container.setCurrentLane(2);
    container.setCurrentLane(8);  // no such lane
    EXPECT_EQ(container.currentLane(), 2u);
    container.paste(0, 0);  // an empty clipboard changes nothing
    addZone(container.laneHandler(2), 4, 6);
    container.copy(0, 0);
    addZone(container.laneHandler(2), 20, 21);  // after the copy
    container.setCurrentLane(5);
    addZone(container.laneHandler(5), 1, 1);
    container.paste(0, 0);
    EXPECT_EQ(rangesOf(container.laneHandler(5)), (Ranges{{4, 6}}));
    EXPECT_EQ(rangesOf(container.laneHandler(2)), (Ranges{{4, 6}, {20, 21}}));

    container.setId(4);
    container.copy(2, 9);  // replaces the entry of key 167
    EXPECT_EQ(zoneClipboard().size(), 1u);
    auto* entry = clipboardEntry<Container>(zoneClipboard(), 167);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(std::make_pair(entry->copyFrom, entry->copyTo), std::make_pair(uint64_t{2}, uint64_t{9}));
    EXPECT_EQ(entry->id, 4);
    EXPECT_EQ(entry->copiedLane, 5);
    EXPECT_EQ(entry->laneLength, 128u);
    EXPECT_EQ(context.initInterfaceList.size(), 9u);  // copies stay out of the instance
    entry->copy(0, 0);  // a copy never replaces itself
    EXPECT_EQ(clipboardEntry<Container>(zoneClipboard(), 167), entry);
}

TEST_F(BWZoneHandlerContainerTest, CopyAllAndPasteAllKeepToTheInstance) {
    Container second(&context, 0, 2, false);
    second.clipboardKey = 168;
    addZone(second.laneHandler(0), 7, 8);
    container.copyAll(0, 0);
    container.copyAll(0, 0);  // the live containers only, once each
    EXPECT_EQ(zoneClipboard().size(), 2u);

    // Another instance pastes what this one copied: the clipboard is shared.
    BWSystemInfo otherContext{8, nullptr, nullptr, nullptr};
    Container otherInstance(&otherContext, 0, 8, false);
    otherInstance.clipboardKey = 167;
    otherInstance.pasteAll(0, 0);
    EXPECT_EQ(rangesOf(otherInstance.laneHandler(0)), (Ranges{{0, 31}}));
    otherInstance.copyAll(0, 0);  // leaves this instance's key 168 alone
    second.laneHandler(0)->deleteAllZones(false);
    container.pasteAll(0, 0);
    EXPECT_EQ(rangesOf(second.laneHandler(0)), (Ranges{{7, 8}}));
}

TEST_F(BWZoneHandlerContainerTest, ACopyOutlivesItsInstanceAndItsSource) {
    {
        BWSystemInfo gone{8, nullptr, nullptr, nullptr};
        Container source(&gone, 0, 2, false);
        source.clipboardKey = 167;
        addZone(source.laneHandler(0), 3, 4);
        source.copy(0, 0);
        source.setCopySource();
    }
    EXPECT_EQ(container.copySource(), nullptr);
    // Clears every id −1 lane of this instance; the copy's lanes are looked
    // at without reaching their dead instance, and kept.
    container.clearCurrentLaneWithId(-1);
    EXPECT_EQ(container.laneHandler(0)->zoneCount(), 0u);
    container.paste(0, 0);
    EXPECT_EQ(rangesOf(container.laneHandler(0)), (Ranges{{3, 4}}));
}

TEST_F(BWZoneHandlerContainerTest, ClearingTheLanesOfAnInstanceKeepsItsClipboardCopy) {
    container.copy(0, 0);  // lane 0 holds 0..31
    container.clearCurrentLaneWithId(-1);
    EXPECT_EQ(container.laneHandler(0)->zoneCount(), 0u);
    container.paste(0, 0);
    EXPECT_EQ(rangesOf(container.laneHandler(0)), (Ranges{{0, 31}}));
}

TEST_F(BWZoneHandlerContainerTest, InitOperations) {
    addZone(container.laneHandler(1), 2, 2);
    container.resetAll();  // init disabled: only marks the change
    container.resetCurrent();
    EXPECT_EQ(container.changed, 1);
    EXPECT_EQ(container.laneHandler(0)->zoneCount(), 1u);
    container.changed = 0;
    container.resetCurrent();
    EXPECT_EQ(container.changed, 0);

    container.initEnabled = 1;
    container.resetCurrent();
    EXPECT_EQ(container.laneHandler(0)->zoneCount(), 0u);
    EXPECT_EQ(container.laneHandler(1)->zoneCount(), 1u);
    container.resetAll();
    EXPECT_EQ(container.laneHandler(1)->zoneCount(), 0u);

    patternRandomSeed() = 12345;
    container.randomize();
    EXPECT_EQ(rangesOf(container.laneHandler(0)), (Ranges{{6, 7}, {9, 9}, {18, 18}, {22, 22}}));
}

TEST_F(BWZoneHandlerContainerTest, TheRenderReadsTheAudioLaneWhileLanesAreReplaced) {
    float start = -1.0f, end = -1.0f;
    {
        AllocationCounter allocations;
        ASSERT_TRUE(container.audioLoopRange(start, end));
        EXPECT_EQ(allocations.count(), 0u);
    }
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(0.0f, 31.0f));

    Container two(&context, 0, 2, false);
    addZone(two.laneHandler(0), 2, 5);
    const std::vector<uint32_t> twoLanes = wordsOf(two);
    const std::vector<uint32_t> fiveLanes = wordsOf(*Container(&context, 0, 5, false).chunkable());
    // The render sees a whole range of one record or of a lane not yet
    // filled, never the start of one with the end of another.
    const std::set<std::pair<float, float>> whole = {{0.0f, 0.0f}, {0.0f, 31.0f}, {2.0f, 5.0f}};
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        int torn = 0;
        while (!stop.load()) {
            float s = 0.0f, e = 0.0f;
            if (container.audioLoopRange(s, e)) torn += whole.count({s, e}) == 0;
        }
        EXPECT_EQ(torn, 0);
    });
    for (int i = 0; i < 2000; ++i) readWords(container, i % 2 == 0 ? twoLanes : fiveLanes);
    stop.store(true);
    audio.join();
}

// The render keeps the loop it read until the owner's zone count moves: so
// every change that can move the audio lane's first zone moves it, and
// reads never do.
TEST_F(BWZoneHandlerContainerTest, EveryEditMovesTheOwnersEditCountAndReadsDoNot) {
    BWFloatZoneHandler* lane = container.laneHandler(0);
    const std::vector<uint32_t> record = wordsOf(container);
    const NamedEdit edits[] = {
        {"insertZone", [&] { addZone(lane, 40, 44); }},
        {"setRange", [&] { lane->zoneList().front()->setRange(2, 9); }},
        {"setStart", [&] { lane->zoneList().front()->setStart(3); }},
        {"setEnd", [&] { lane->zoneList().front()->setEnd(12); }},
        {"deleteZone", [&] { container.deleteZone(lane->zoneList().back().get()); }},
        {"setAudioLane", [&] { container.setAudioLane(3); }},
        {"copy and paste", [&] { container.copy(0, 0); container.setCurrentLane(3); container.paste(0, 0); }},
        {"randomize", [&] { container.randomize(); }},
        {"deleteAllZones", [&] { container.deleteAllZones(false); }},
        {"readChunk", [&] { EXPECT_EQ(readWords(container, record).result, 1); }},
    };
    expectEveryEditMoves(context.zoneEdits, edits);
    const uint32_t before = context.zoneEdits.load();
    float start = -1.0f, end = -1.0f;
    EXPECT_TRUE(container.audioLoopRange(start, end));
    container.zoneNumberAt(5);
    container.setAudioLane(3);  // the lane it reads already
    container.setCurrentLane(1);
    wordsOf(container);
    EXPECT_EQ(context.zoneEdits.load(), before);
    EXPECT_EQ(context.gridEdits.load(), 0u);
}
