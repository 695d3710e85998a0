#include "core/BWZoneHandler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "core/BWSystemInfo.h"
#include "core/BWZone.h"
#include "core/Framework.h"
#include "core/ZoneClipboard.h"
#include "persistence/BWChunk.h"
#include "support/MessageCapture.h"

namespace {

using Ranges = std::vector<std::pair<int32_t, int32_t>>;

Ranges rangesOf(const BWZoneHandler& handler) {
    Ranges ranges;
    for (const BWZone* zone : handler.zoneList()) ranges.emplace_back(zone->start, zone->end);
    return ranges;
}

BWZone* addZone(BWZoneHandler& handler, int32_t start, int32_t end) {
    BWZone* zone = handler.createZone(0);
    zone->setRange(start, end);
    EXPECT_TRUE(handler.insertZone(zone));
    return zone;
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

class BWZoneHandlerTest : public ::testing::Test {
protected:
    BWSystemInfo context{8, nullptr, nullptr, nullptr};
    BWZoneHandler handler{&context, -1, false};
};

}  // namespace

TEST_F(BWZoneHandlerTest, RegistersWhileItLives) {
    const size_t handlers = allZoneHandlers().size();
    const size_t inits = context.initInterfaceList.size();
    {
        BWZoneHandler lane(&context, -1, false);
        BWZoneHandler copy(&context, -1, true);
        EXPECT_EQ(allZoneHandlers().size(), handlers + 2);
        EXPECT_EQ(context.initInterfaceList.size(), inits + 1);
    }
    EXPECT_EQ(allZoneHandlers().size(), handlers);
    EXPECT_EQ(context.initInterfaceList.size(), inits);
}

TEST_F(BWZoneHandlerTest, InsertKeepsTheListSortedByStart) {
    BWZone* firstFive = addZone(handler, 5, 6);
    addZone(handler, 2, 3);
    BWZone* secondFive = addZone(handler, 5, 5);
    addZone(handler, 0, 1);
    EXPECT_EQ(rangesOf(handler), (Ranges{{0, 1}, {2, 3}, {5, 6}, {5, 5}}));
    EXPECT_EQ(handler.zoneList()[2], firstFive);
    EXPECT_EQ(handler.zoneList()[3], secondFive);
    EXPECT_FALSE(handler.insertZone(nullptr));
}

TEST_F(BWZoneHandlerTest, QueriesSkipHiddenZonesButFreeSpaceDoesNot) {
    addZone(handler, 0, 1);
    BWZone* middle = addZone(handler, 3, 4);
    addZone(handler, 8, 10);
    middle->locked = 1;
    handler.deleteZone(middle);  // hidden, waits for its lock
    EXPECT_EQ(handler.zoneAt(3), nullptr);
    EXPECT_EQ(handler.zoneAt(9)->start, 8);
    int32_t lastFree = 0;
    EXPECT_FALSE(handler.freeSpaceAfter(3, &lastFree));
    EXPECT_TRUE(handler.freeSpaceAfter(2, &lastFree));
    EXPECT_EQ(lastFree, 2);
    EXPECT_TRUE(handler.freeSpaceAfter(5, &lastFree));
    EXPECT_EQ(lastFree, 7);
    EXPECT_TRUE(handler.freeSpaceAfter(20, &lastFree));
    EXPECT_EQ(lastFree, 127);

    EXPECT_EQ(handler.zoneCount(), 3u);
    EXPECT_EQ(handler.visibleZone(1)->start, 8);
    EXPECT_EQ(handler.visibleZone(2), nullptr);
    EXPECT_EQ(handler.visibleIndexOf(handler.zoneList()[2]), 1);
    EXPECT_EQ(handler.visibleIndexOf(nullptr), -1);
    BWZone stranger;
    EXPECT_EQ(handler.visibleIndexOf(&stranger), -1);
    EXPECT_EQ(handler.zoneNumberAt(0), UINT64_MAX);
}

TEST_F(BWZoneHandlerTest, LockedZonesWaitInThePendingList) {
    BWZone* locked = addZone(handler, 0, 1);
    BWZone* unlocked = addZone(handler, 4, 5);
    locked->locked = 1;
    handler.deleteAllZones(false);
    EXPECT_EQ(rangesOf(handler), (Ranges{{0, 1}}));
    EXPECT_EQ(handler.pendingList(), std::vector<BWZone*>{locked});
    EXPECT_TRUE(locked->isHidden());
    handler.deleteZone(locked);  // queued only once
    EXPECT_EQ(handler.pendingList().size(), 1u);

    EXPECT_TRUE(handler.processPendingDeletes());  // still locked: waits
    EXPECT_EQ(handler.zoneCount(), 1u);
    locked->locked = 0;
    EXPECT_TRUE(handler.processPendingDeletes());
    EXPECT_EQ(handler.zoneCount(), 0u);
    EXPECT_TRUE(handler.pendingList().empty());
    EXPECT_FALSE(handler.processPendingDeletes());  // nothing pending

    unlocked = addZone(handler, 4, 5);
    handler.deleteZone(unlocked);
    EXPECT_EQ(handler.zoneCount(), 0u);
    handler.deleteZone(unlocked);  // no longer in the list: ignored
}

TEST_F(BWZoneHandlerTest, DeferredClearHidesEverythingAndFreesLater) {
    addZone(handler, 0, 1);
    addZone(handler, 4, 5);
    handler.deleteAllZones(true);
    EXPECT_EQ(handler.zoneCount(), 2u);
    EXPECT_EQ(handler.visibleZone(0), nullptr);
    EXPECT_EQ(handler.pendingList().size(), 2u);
    EXPECT_TRUE(handler.processPendingDeletes());
    EXPECT_EQ(handler.zoneCount(), 0u);
}

TEST_F(BWZoneHandlerTest, ABusyAudioSideMakesEditsWaitAndGiveUp) {
    MessageCapture capture;
    BWZone* zone = addZone(handler, 2, 3);

    // A reader that lets go in time: the wait succeeds.
    handler.setAudioBusy(true);
    std::thread audio([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        handler.setAudioBusy(false);
    });
    handler.deleteZone(zone);
    audio.join();
    EXPECT_EQ(handler.zoneCount(), 0u);

    // A reader that never lets go: the edit gives up after a second.
    zone = addZone(handler, 2, 3);
    handler.setAudioBusy(true);
    BWZone* refused = handler.createZone(0);
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(handler.insertZone(refused));
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(1000));
    handler.destroyZone(refused);
    handler.deleteZone(zone);
    EXPECT_EQ(handler.pendingList(), std::vector<BWZone*>{zone});
    EXPECT_FALSE(handler.processPendingDeletes());
    EXPECT_EQ(capture.texts(), (std::vector<std::string>(2, "Can't delete Zone. Reduce CPU Usage and try again.")));

    handler.setAudioBusy(false);
    EXPECT_TRUE(handler.processPendingDeletes());
    EXPECT_EQ(handler.zoneCount(), 0u);
}

TEST_F(BWZoneHandlerTest, ChunkRoundTripKeepsHiddenZonesVisible) {
    addZone(handler, 4, 6);
    BWZone* hidden = addZone(handler, 9, 9);
    hidden->locked = 1;
    handler.deleteZone(hidden);
    const std::vector<uint32_t> words = wordsOf(handler);
    EXPECT_EQ(words, (std::vector<uint32_t>{1, 520860, 2, 0, 0, 4, 6, 0, 0, 9, 9}));

    BWZoneHandler copy(&context, -1, false);
    const Read read = readWords(copy, words);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.position, words.size());
    EXPECT_EQ(rangesOf(copy), (Ranges{{4, 6}, {9, 9}}));
    EXPECT_NE(copy.visibleZone(1), nullptr);
    hidden->locked = 0;
}

TEST_F(BWZoneHandlerTest, ReadsTheOlderLayoutAndTheEmptyDefault) {
    EXPECT_EQ(readWords(handler, {0, 2, 0, 0, 4, 6, 0, 0, 9, 9}).result, 1);
    EXPECT_EQ(rangesOf(handler), (Ranges{{4, 6}, {9, 9}}));

    BWZoneHandler empty(&context, -1, false);
    EXPECT_EQ(readWords(empty, {1, 520860, 0}).result, 1);
    EXPECT_EQ(empty.zoneCount(), 0u);
    empty.keepEmpty = 0;
    EXPECT_EQ(readWords(empty, {1, 520860, 0}, true).result, 1);  // skipping changes nothing
    EXPECT_EQ(empty.zoneCount(), 0u);
    EXPECT_EQ(readWords(empty, {1, 520860, 0}).result, 1);
    EXPECT_EQ(rangesOf(empty), (Ranges{{0, 3}}));
}

TEST_F(BWZoneHandlerTest, BadRecordsFailAndKeepWhatWasRead) {
    const std::vector<std::vector<uint32_t>> refused = {
        {1, 520861, 0},                          // wrong mark
        {1, 520860, static_cast<uint32_t>(-1)},  // negative count
        {1, 520860, 129},                        // more zones than positions
        {1, 520860, 2, 0, 0, 4, 6, 0, 0, 9},     // truncated
        {1},                                     // no mark
        {},
    };
    for (const auto& words : refused) {
        EXPECT_EQ(readWords(handler, words).result, 3);
        EXPECT_EQ(readWords(handler, words, true).result, 3);
        EXPECT_EQ(handler.zoneCount(), 0u);
    }
    // A zone of another version stops the record after the zones before it.
    EXPECT_EQ(readWords(handler, {1, 520860, 2, 0, 0, 4, 6, 0, 1, 9, 9}).result, 3);
    EXPECT_EQ(rangesOf(handler), (Ranges{{4, 6}}));
}

TEST_F(BWZoneHandlerTest, SkipOnlyConsumesTheRecordExactly) {
    const Read read = readWords(handler, {1, 520860, 2, 0, 0, 4, 6, 0, 0, 9, 9, 42}, true);
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.position, 11u);
    EXPECT_EQ(handler.zoneCount(), 0u);
}

TEST_F(BWZoneHandlerTest, ClampingNeverLeavesAnInvertedZone) {
    addZone(handler, -5, 3);
    addZone(handler, 30, 40);
    addZone(handler, 40, 50);
    handler.clampZones(0, 32);
    EXPECT_EQ(rangesOf(handler), (Ranges{{0, 3}, {30, 31}, {31, 31}}));
    handler.clampZones(5, 5);  // an empty range changes nothing
    EXPECT_EQ(rangesOf(handler), (Ranges{{0, 3}, {30, 31}, {31, 31}}));
}

TEST_F(BWZoneHandlerTest, ClearingByIdStaysWithinTheInstance) {
    BWSystemInfo otherContext{8, nullptr, nullptr, nullptr};
    BWZoneHandler sameId(&context, 5, false);
    BWZoneHandler otherId(&context, 6, false);
    BWZoneHandler otherInstance(&otherContext, 5, false);
    for (BWZoneHandler* each : {&sameId, &otherId, &otherInstance}) addZone(*each, 1, 2);
    handler.clearHandlersWithId(5);
    EXPECT_EQ(sameId.zoneCount(), 0u);
    EXPECT_EQ(otherId.zoneCount(), 1u);
    EXPECT_EQ(otherInstance.zoneCount(), 1u);
}

TEST_F(BWZoneHandlerTest, PasteFromTheCopySource) {
    addZone(handler, 1, 2);
    BWZone* hidden = addZone(handler, 5, 6);
    hidden->locked = 1;
    handler.deleteZone(hidden);
    handler.setCopySource();
    {
        BWZoneHandler target(&context, -1, false);
        addZone(target, 9, 9);
        target.pasteFromCopySource();
        EXPECT_EQ(rangesOf(target), (Ranges{{1, 2}}));
        target.setCopySource();
    }
    EXPECT_EQ(zoneCopySource(), nullptr);  // cleared when the source died
    BWZoneHandler late(&context, -1, false);
    addZone(late, 3, 4);
    late.pasteFromCopySource();
    EXPECT_EQ(rangesOf(late), (Ranges{{3, 4}}));

    late.setCopySource();
    late.pasteFromCopySource();  // onto itself: empty
    EXPECT_EQ(late.zoneCount(), 0u);
    hidden->locked = 0;
}

TEST_F(BWZoneHandlerTest, RandomZonesFollowThePatternGenerator) {
    addZone(handler, 0, 0);
    patternRandomSeed() = 12345;
    handler.generateRandom(0);
    EXPECT_EQ(handler.zoneCount(), 0u);
    EXPECT_NE(patternRandomSeed(), 12345);

    patternRandomSeed() = 12345;
    handler.generateRandom(32);
    EXPECT_EQ(rangesOf(handler), (Ranges{{6, 7}, {9, 9}, {18, 18}, {22, 22}}));
    EXPECT_EQ(patternRandomSeed(), 399972143);  // one draw, then one per step

    patternRandomSeed() = 31337;
    handler.generateRandom(32);
    EXPECT_EQ(rangesOf(handler), (Ranges{{5, 7}, {9, 11}, {14, 14}}));
}

TEST_F(BWZoneHandlerTest, RandomZonesStayOnTheMirroredPositions) {
    for (int32_t seed = 1; seed < 40; ++seed) {
        patternRandomSeed() = seed;
        handler.generateRandom(4000);
        for (const BWZone* zone : handler.zoneList()) {
            EXPECT_GE(zone->start, 0);
            EXPECT_LE(zone->end, 127);
            EXPECT_LE(zone->start, zone->end);
        }
    }
}

TEST_F(BWZoneHandlerTest, InitResetClearsTheLane) {
    addZone(handler, 1, 2);
    BWInitInterface& init = handler;
    init.resetAll();
    EXPECT_EQ(handler.zoneCount(), 0u);
    EXPECT_EQ(init.clone(), nullptr);
}
