#include "core/BWZoneHandlerContainer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "core/BWFloatZoneHandler.h"
#include "core/BWSystemInfo.h"
#include "core/BWZone.h"
#include "core/Framework.h"
#include "core/ZoneClipboard.h"
#include "persistence/BWChunk.h"

namespace {

using Container = BWZoneHandlerContainer<BWFloatZoneHandler>;
using Ranges = std::vector<std::pair<int32_t, int32_t>>;

Ranges rangesOf(const BWZoneHandler* handler) {
    Ranges ranges;
    for (const BWZone* zone : handler->zoneList()) ranges.emplace_back(zone->start, zone->end);
    return ranges;
}

void addZone(BWZoneHandler* handler, int32_t start, int32_t end) {
    BWZone* zone = handler->createZone(0);
    zone->setRange(start, end);
    EXPECT_TRUE(handler->insertZone(zone));
}

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

// The instance's container as the core sets it up.
void setUpLikeTheCore(Container& container) {
    container.clipboardKey = 167;
    container.setLaneLength(32);
    container.initEnabled = 0;
    addZone(container.laneHandler(0), 0, 31);
}

class BWZoneHandlerContainerTest : public ::testing::Test {
protected:
    void SetUp() override { zoneClipboard().clear(); }
    void TearDown() override { zoneClipboard().clear(); }

    BWSystemInfo context{8, nullptr, nullptr, nullptr};
    Container container{&context, 0, 8, false};
};

}  // namespace

TEST_F(BWZoneHandlerContainerTest, BuildsLanesOnlyForOneToSixtyThree) {
    EXPECT_EQ(container.getLaneCount(), 8u);
    EXPECT_NE(container.laneHandler(7), nullptr);
    EXPECT_EQ(container.laneHandler(8), nullptr);
    for (uint64_t count : {0ull, 64ull, 1000ull}) {
        Container without(&context, 0, count, false);
        EXPECT_EQ(without.getLaneCount(), 0u);
        EXPECT_EQ(without.createZone(0), nullptr);
        EXPECT_FALSE(without.insertZone(nullptr));
        EXPECT_TRUE(without.activeZoneList().empty());
        float start = 0, end = 0;
        EXPECT_FALSE(without.audioLoopRange(start, end));
        without.randomize();
        without.resetAll();
        EXPECT_EQ(wordsOf(without), (std::vector<uint32_t>{512795, 1, 0, 0}));
    }
    Container widest(&context, 0, 63, false);
    EXPECT_NE(widest.laneHandler(62), nullptr);
}

TEST_F(BWZoneHandlerContainerTest, RegistersItselfAndItsLanes) {
    const size_t containers = allZoneContainers().size();
    const size_t inits = context.initInterfaceList.size();
    {
        Container other(&context, 0, 2, false);
        Container copy(&context, 0, 2, true);
        EXPECT_EQ(allZoneContainers().size(), containers + 2);
        EXPECT_EQ(context.initInterfaceList.size(), inits + 3);  // the container and its two lanes
        other.setCopySource();
        EXPECT_EQ(other.copySource(), &other);
    }
    EXPECT_EQ(allZoneContainers().size(), containers);
    EXPECT_EQ(context.initInterfaceList.size(), inits);
    EXPECT_EQ(zoneContainerCopySource(), nullptr);
}

TEST_F(BWZoneHandlerContainerTest, ForwardsToTheCurrentLane) {
    container.setCurrentLane(3);
    container.setCurrentLane(8);  // no such lane
    EXPECT_EQ(container.currentLane(), 3u);
    BWZone* zone = container.createZone(0);
    zone->setRange(2, 4);
    EXPECT_TRUE(container.insertZone(zone));
    EXPECT_EQ(rangesOf(container.laneHandler(3)), (Ranges{{2, 4}}));
    EXPECT_EQ(container.zoneAt(3), zone);
    EXPECT_EQ(container.zoneCount(), 1u);
    EXPECT_EQ(container.zoneNumberAt(3), 1u);
    EXPECT_EQ(container.visibleZone(0), zone);
    EXPECT_EQ(container.chunkable(), &container);
    EXPECT_FALSE(container.isMarked(0));
    container.deleteZone(zone);
    EXPECT_EQ(container.laneHandler(3)->zoneCount(), 0u);
}

TEST_F(BWZoneHandlerContainerTest, EmptyLanesWriteTheirShortRecords) {
    std::vector<uint32_t> expected = {512795, 1, 8, 0};
    for (int i = 0; i < 8; ++i) expected.insert(expected.end(), {1, 520860, 0});
    EXPECT_EQ(wordsOf(container), expected);
}

TEST_F(BWZoneHandlerContainerTest, ChunkRoundTripClampsToTheLaneLength) {
    setUpLikeTheCore(container);
    addZone(container.laneHandler(2), 30, 40);
    addZone(container.laneHandler(5), 3, 5);
    const std::vector<uint32_t> words = wordsOf(container);

    Container copy(&context, 0, 3, false);
    copy.setLaneLength(32);
    addZone(copy.laneHandler(0), 7, 7);  // replaced, not added to
    const Read read = readWords(copy, words);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.position, words.size());
    EXPECT_EQ(copy.getLaneCount(), 8u);
    EXPECT_EQ(rangesOf(copy.laneHandler(0)), (Ranges{{0, 31}}));
    EXPECT_EQ(rangesOf(copy.laneHandler(2)), (Ranges{{30, 31}}));
    EXPECT_EQ(rangesOf(copy.laneHandler(5)), (Ranges{{3, 5}}));
    EXPECT_EQ(copy.laneHandler(2)->zoneEnd[0], 31.0f);
}

TEST_F(BWZoneHandlerContainerTest, AStoredLaneCountReplacesThePresentLanes) {
    Container three(&context, 0, 3, false);
    addZone(three.laneHandler(1), 4, 6);
    EXPECT_EQ(readWords(container, wordsOf(three)).result, 1);
    EXPECT_EQ(container.getLaneCount(), 3u);
    EXPECT_EQ(container.laneHandler(3), nullptr);
    EXPECT_EQ(rangesOf(container.laneHandler(1)), (Ranges{{4, 6}}));
}

TEST_F(BWZoneHandlerContainerTest, SkipOnlyReadsEveryStoredLaneAndChangesNothing) {
    Container wide(&context, 0, 12, false);
    addZone(wide.laneHandler(11), 1, 1);
    std::vector<uint32_t> words = wordsOf(wide);
    words.push_back(99);
    addZone(container.laneHandler(0), 5, 5);
    const Read read = readWords(container, words, true);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.position, words.size() - 1);
    EXPECT_EQ(container.getLaneCount(), 8u);
    EXPECT_EQ(rangesOf(container.laneHandler(0)), (Ranges{{5, 5}}));
}

TEST_F(BWZoneHandlerContainerTest, BadRecordsFail) {
    addZone(container.laneHandler(0), 5, 5);
    const std::vector<uint32_t> good = wordsOf(container);
    std::vector<uint32_t> badTag = good;
    badTag[0] = 512796;
    std::vector<uint32_t> badVersion = good;
    badVersion[1] = 2;
    std::vector<uint32_t> tooManyLanes = good;
    tooManyLanes[2] = 64;
    std::vector<uint32_t> negativeLanes = good;
    negativeLanes[2] = static_cast<uint32_t>(-1);
    std::vector<uint32_t> truncated(good.begin(), good.end() - 1);
    for (const auto& words : {badTag, badVersion, tooManyLanes, negativeLanes, truncated}) {
        EXPECT_EQ(readWords(container, words, true).result, 0);
        EXPECT_EQ(container.getLaneCount(), 8u);
    }
    for (const auto& words : {badTag, badVersion, tooManyLanes, negativeLanes}) {
        EXPECT_EQ(readWords(container, words).result, 0);
        EXPECT_EQ(rangesOf(container.laneHandler(0)), (Ranges{{5, 5}}));
    }
    // A lane that fails stops the record: the lanes before it are read.
    std::vector<uint32_t> badLane = {512795, 1, 2, 0, 1, 520860, 1, 0, 0, 2, 3, 1, 520861, 0};
    EXPECT_EQ(readWords(container, badLane).result, 0);
    EXPECT_EQ(rangesOf(container.laneHandler(0)), (Ranges{{2, 3}}));
}

TEST_F(BWZoneHandlerContainerTest, CopyAndPasteMoveALaneThroughTheClipboard) {
    setUpLikeTheCore(container);
    container.paste(0, 0);  // an empty clipboard changes nothing
    EXPECT_EQ(rangesOf(container.laneHandler(0)), (Ranges{{0, 31}}));

    container.setCurrentLane(2);
    addZone(container.laneHandler(2), 4, 6);
    addZone(container.laneHandler(2), 9, 9);
    container.copy(0, 0);
    EXPECT_EQ(container.copiedLane, 2);
    addZone(container.laneHandler(2), 20, 21);  // after the copy
    container.setCurrentLane(5);
    addZone(container.laneHandler(5), 1, 1);
    container.paste(0, 0);
    EXPECT_EQ(rangesOf(container.laneHandler(5)), (Ranges{{4, 6}, {9, 9}}));
    EXPECT_EQ(rangesOf(container.laneHandler(2)), (Ranges{{4, 6}, {9, 9}, {20, 21}}));

    container.setCurrentLane(2);
    container.copy(0, 0);  // replaces the entry of key 167
    Container other(&context, 0, 2, false);
    other.clipboardKey = 5;
    other.copy(0, 0);
    EXPECT_EQ(zoneClipboard().size(), 2u);
    auto* entry = dynamic_cast<Container*>(zoneClipboard().find(167));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(rangesOf(entry->laneHandler(2)), (Ranges{{4, 6}, {9, 9}, {20, 21}}));
}

TEST_F(BWZoneHandlerContainerTest, ClipboardCopiesCarryTheSourceButStayOutOfTheInstance) {
    setUpLikeTheCore(container);
    container.sharedClipboardKey = 3;
    container.setId(4);
    container.copy(2, 9);
    auto* entry = dynamic_cast<Container*>(zoneClipboard().find(167));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->copyFrom, 2u);
    EXPECT_EQ(entry->copyTo, 9u);
    EXPECT_EQ(entry->id, 4);
    EXPECT_EQ(entry->sharedClipboardKey, 3);
    EXPECT_EQ(entry->laneLength, 128u);
    EXPECT_EQ(entry->initEnabled, 1);
    EXPECT_EQ(rangesOf(entry->laneHandler(0)), (Ranges{{0, 31}}));
    for (BWInitInterface* init : context.initInterfaceList) EXPECT_NE(init, static_cast<BWInitInterface*>(entry));

    entry->copy(0, 0);  // a copy never replaces itself
    EXPECT_EQ(zoneClipboard().find(167), entry);
}

TEST_F(BWZoneHandlerContainerTest, CopyAllAndPasteAllKeepToTheInstance) {
    setUpLikeTheCore(container);
    Container second(&context, 0, 2, false);
    second.clipboardKey = 168;
    addZone(second.laneHandler(0), 7, 8);
    container.copyAll(0, 0);
    container.copyAll(0, 0);  // visits the live containers only, once each
    EXPECT_EQ(zoneClipboard().size(), 2u);

    // Another instance pastes what this one copied: the clipboard is shared.
    BWSystemInfo otherContext{8, nullptr, nullptr, nullptr};
    Container otherInstance(&otherContext, 0, 8, false);
    otherInstance.clipboardKey = 167;
    otherInstance.pasteAll(0, 0);
    EXPECT_EQ(rangesOf(otherInstance.laneHandler(0)), (Ranges{{0, 31}}));

    // Its copyAll leaves this instance's entry of key 168 alone.
    otherInstance.copyAll(0, 0);
    EXPECT_EQ(zoneClipboard().size(), 2u);
    container.laneHandler(0)->deleteAllZones(false);
    second.laneHandler(0)->deleteAllZones(false);
    container.pasteAll(0, 0);
    EXPECT_EQ(rangesOf(container.laneHandler(0)), (Ranges{{0, 31}}));
    EXPECT_EQ(rangesOf(second.laneHandler(0)), (Ranges{{7, 8}}));
}

TEST_F(BWZoneHandlerContainerTest, ACopyOutlivesItsInstance) {
    {
        BWSystemInfo gone{8, nullptr, nullptr, nullptr};
        Container source(&gone, 0, 2, false);
        source.clipboardKey = 167;
        addZone(source.laneHandler(0), 3, 4);
        source.copy(0, 0);
    }
    // Reaching the copy's lanes must not touch the dead instance.
    container.clearCurrentLaneWithId(-1);
    container.copyAll(0, 0);
    container.clipboardKey = 167;
    container.laneHandler(0)->deleteAllZones(false);
    container.paste(0, 0);
    EXPECT_EQ(rangesOf(container.laneHandler(0)), (Ranges{{3, 4}}));
}

TEST_F(BWZoneHandlerContainerTest, InitOperations) {
    addZone(container.laneHandler(0), 1, 1);
    addZone(container.laneHandler(1), 2, 2);
    container.initEnabled = 0;
    container.resetAll();
    EXPECT_EQ(container.changed, 1);
    EXPECT_EQ(container.laneHandler(0)->zoneCount(), 1u);
    container.changed = 0;
    container.resetCurrent();
    EXPECT_EQ(container.changed, 0);
    EXPECT_EQ(container.laneHandler(0)->zoneCount(), 1u);

    container.initEnabled = 1;
    container.resetCurrent();
    EXPECT_EQ(container.laneHandler(0)->zoneCount(), 0u);
    EXPECT_EQ(container.laneHandler(1)->zoneCount(), 1u);
    container.resetAll();
    EXPECT_EQ(container.laneHandler(1)->zoneCount(), 0u);

    container.setLaneLength(32);
    container.setCurrentLane(1);
    patternRandomSeed() = 12345;
    container.randomize();
    EXPECT_EQ(rangesOf(container.laneHandler(1)), (Ranges{{6, 7}, {9, 9}, {18, 18}, {22, 22}}));
}

TEST_F(BWZoneHandlerContainerTest, TheRenderReadsTheAudioLaneWhileLanesAreReplaced) {
    setUpLikeTheCore(container);
    float start = -1.0f, end = -1.0f;
    ASSERT_TRUE(container.audioLoopRange(start, end));
    EXPECT_EQ(start, 0.0f);
    EXPECT_EQ(end, 31.0f);

    Container two(&context, 0, 2, false);
    Container five(&context, 0, 5, false);
    addZone(two.laneHandler(0), 2, 5);
    const std::vector<uint32_t> twoLanes = wordsOf(two);
    const std::vector<uint32_t> fiveLanes = wordsOf(five);
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        float sum = 0.0f;
        while (!stop.load()) {
            float s = 0.0f, e = 0.0f;
            if (container.audioLoopRange(s, e)) sum += e - s;
        }
        EXPECT_GE(sum, 0.0f);
    });
    for (int i = 0; i < 2000; ++i) readWords(container, i % 2 == 0 ? twoLanes : fiveLanes);
    stop.store(true);
    audio.join();
}
