#include "core/BWZoneHandler.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "core/BWFloatZone.h"
#include "core/BWFloatZoneHandler.h"
#include "core/BWSystemInfo.h"
#include "platform/Framework.h"
#include "core/ZoneClipboard.h"
#include "support/MessageCapture.h"
#include "support/ChunkWords.h"

namespace {

using Ranges = std::vector<std::pair<int32_t, int32_t>>;

Ranges rangesOf(const BWZoneHandler& handler) {
    Ranges ranges;
    for (const auto& zone : handler.zoneList()) ranges.emplace_back(zone->start, zone->end);
    return ranges;
}

BWZone* addZone(BWZoneHandler& handler, int32_t start, int32_t end) {
    std::unique_ptr<BWZone> owned = handler.createZone(0);
    BWZone* zone = owned.get();
    zone->setRange(start, end);
    EXPECT_TRUE(handler.insertZone(std::move(owned)));
    return zone;
}

struct EndRecorder : BWZoneListener {
    void zoneChanged(BWZone* zone) override { ends.push_back(zone->end); }
    std::vector<int32_t> ends;
};

class BWZoneHandlerTest : public ::testing::Test {
protected:
    BWSystemInfo context{8, nullptr, nullptr, nullptr};
    BWFloatZoneHandler handler{&context, -1, false};
};

}  // namespace

TEST(BWZoneTest, ListenersHearEveryRangeChange) {
    BWZone zone;
    EndRecorder a, b, c;
    for (EndRecorder* listener : {&a, &b, &a, &c}) zone.addListener(listener);
    zone.setRange(2, 5);
    zone.setEnd(7);
    EXPECT_EQ(a.ends, (std::vector<int32_t>{5, 5, 7, 7}));
    EXPECT_TRUE(zone.hasListener(&c));
    zone.removeListener(&a);  // the first entry only
    zone.removeListener(&c);
    EXPECT_TRUE(zone.hasListener(&a));
    EXPECT_FALSE(zone.hasListener(&c));
}

TEST(BWZoneTest, RecordsAreClampedOnReading) {
    BWZone zone;
    EXPECT_EQ(readWords(zone, {0, static_cast<uint32_t>(-5), 300}), (ChunkRead{1, 3u}));
    EXPECT_EQ(std::make_pair(zone.start, zone.end), std::make_pair(0, 127));
    EXPECT_EQ(readWords(zone, {0, 9, 4}).result, 1);  // never inverted
    EXPECT_EQ(std::make_pair(zone.start, zone.end), std::make_pair(9, 9));
    EXPECT_EQ(readWords(zone, {1, 4, 6}), (ChunkRead{BWZone::kWrongVersion, 1u}));
    EXPECT_EQ(readWords(zone, {0, 4}).result, 0);
    EXPECT_EQ(readWords(zone, {0, 4, 6}, true).result, 1);
    EXPECT_EQ(std::make_pair(zone.start, zone.end), std::make_pair(9, 9));
}

TEST_F(BWZoneHandlerTest, KeepsTheListSortedAndRegistered) {
    EXPECT_EQ(allZoneHandlers().back(), &handler);
    EXPECT_EQ(context.initInterfaceList.back(), &handler);
    BWZone* firstFive = addZone(handler, 5, 6);
    addZone(handler, 2, 3);
    addZone(handler, 5, 5);
    addZone(handler, 0, 1);
    EXPECT_EQ(rangesOf(handler), (Ranges{{0, 1}, {2, 3}, {5, 6}, {5, 5}}));
    EXPECT_EQ(handler.zoneList()[2].get(), firstFive);
}

TEST_F(BWZoneHandlerTest, QueriesSkipHiddenZonesButFreeSpaceDoesNot) {
    addZone(handler, 0, 1);
    BWZone* middle = addZone(handler, 3, 4);
    addZone(handler, 8, 10);
    middle->locked = 1;
    handler.deleteZone(middle);  // hidden, waits for its lock
    EXPECT_EQ(handler.zoneAt(3), nullptr);
    int32_t lastFree = 0;
    EXPECT_FALSE(handler.freeSpaceAfter(3, &lastFree));
    EXPECT_TRUE(handler.freeSpaceAfter(5, &lastFree));
    EXPECT_EQ(lastFree, 7);
    EXPECT_TRUE(handler.freeSpaceAfter(20, &lastFree));
    EXPECT_EQ(lastFree, 127);
    EXPECT_EQ(handler.visibleZone(1)->start, 8);
    EXPECT_EQ(handler.visibleIndexOf(handler.zoneList()[2].get()), 1);
    EXPECT_EQ(handler.zoneCount(), 3u);
}

TEST_F(BWZoneHandlerTest, LockedAndDeferredZonesWaitInThePendingList) {
    BWZone* locked = addZone(handler, 0, 1);
    addZone(handler, 4, 5);
    locked->locked = 1;
    handler.deleteAllZones(false);
    EXPECT_EQ(rangesOf(handler), (Ranges{{0, 1}}));
    handler.deleteZone(locked);
    EXPECT_EQ(handler.pendingList(), std::vector<BWZone*>{locked});
    EXPECT_TRUE(handler.processPendingDeletes());
    EXPECT_EQ(handler.zoneCount(), 1u);
    locked->locked = 0;
    EXPECT_TRUE(handler.processPendingDeletes());
    EXPECT_EQ(handler.zoneCount(), 0u);
    EXPECT_FALSE(handler.processPendingDeletes());

    addZone(handler, 0, 1);
    addZone(handler, 4, 5);
    handler.deleteAllZones(true);
    EXPECT_EQ(handler.visibleZone(0), nullptr);
    EXPECT_EQ(handler.pendingList().size(), 2u);
    EXPECT_TRUE(handler.processPendingDeletes());
    EXPECT_EQ(handler.zoneCount(), 0u);
}

TEST_F(BWZoneHandlerTest, ABusyAudioSideMakesEditsWaitAndGiveUp) {
    MessageCapture capture;
    BWZone* zone = addZone(handler, 2, 3);
    handler.setAudioBusy(true);
    std::thread audio([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        handler.setAudioBusy(false);
    });
    handler.deleteZone(zone);  // the reader lets go in time
    audio.join();
    EXPECT_EQ(handler.zoneCount(), 0u);

    zone = addZone(handler, 2, 3);
    handler.setAudioBusy(true);  // and now never
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(handler.insertZone(handler.createZone(0)));
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(1000));
    handler.deleteZone(zone);
    EXPECT_EQ(handler.pendingList(), std::vector<BWZone*>{zone});
    EXPECT_FALSE(handler.processPendingDeletes());
    EXPECT_EQ(capture.texts(), (std::vector<std::string>(2, "Can't delete Zone. Reduce CPU Usage and try again.")));
    handler.setAudioBusy(false);
    EXPECT_TRUE(handler.processPendingDeletes());
    EXPECT_EQ(handler.zoneCount(), 0u);
}

TEST_F(BWZoneHandlerTest, ChunkRoundTripAndTheOlderLayout) {
    addZone(handler, 4, 6);
    BWZone* hidden = addZone(handler, 9, 9);
    hidden->locked = 1;
    handler.deleteZone(hidden);  // hidden zones are written and come back visible
    const std::vector<uint32_t> words = wordsOf(handler);
    EXPECT_EQ(words, (std::vector<uint32_t>{1, 520860, 2, 0, 0, 4, 6, 0, 0, 9, 9}));

    BWZoneHandler copy(&context, -1, false);
    EXPECT_EQ(readWords(copy, words), (ChunkRead{1, 11u}));
    EXPECT_EQ(copy.visibleZone(1)->start, 9);
    BWZoneHandler old(&context, -1, false);
    EXPECT_EQ(readWords(old, {0, 2, 0, 0, 4, 6, 0, 0, 9, 9, 42}), (ChunkRead{1, 10u}));
    EXPECT_EQ(rangesOf(old), (Ranges{{4, 6}, {9, 9}}));
    BWZoneHandler skipping(&context, -1, false);
    EXPECT_EQ(readWords(skipping, words, true), (ChunkRead{1, 11u}));
    EXPECT_EQ(skipping.zoneCount(), 0u);
    hidden->locked = 0;
}

TEST_F(BWZoneHandlerTest, AnEmptyRecordMayBringTheDefaultZone) {
    EXPECT_EQ(readWords(handler, {1, 520860, 0}).result, 1);
    EXPECT_EQ(handler.zoneCount(), 0u);
    handler.keepEmpty = 0;
    EXPECT_EQ(readWords(handler, {1, 520860, 0}, true).result, 1);  // skipping changes nothing
    EXPECT_EQ(handler.zoneCount(), 0u);
    EXPECT_EQ(readWords(handler, {1, 520860, 0}).result, 1);
    EXPECT_EQ(rangesOf(handler), (Ranges{{0, 3}}));
}

TEST_F(BWZoneHandlerTest, BadRecordsFailAndKeepWhatWasRead) {
    const uint32_t negative = static_cast<uint32_t>(-1);
    for (const auto& words : {std::vector<uint32_t>{1, 520861, 0}, {1, 520860, negative}, {1, 520860, 129},
                              {1, 520860, 2, 0, 0, 4, 6, 0, 0, 9}, {1}, {}}) {
        EXPECT_EQ(readWords(handler, words).result, 3);
        EXPECT_EQ(readWords(handler, words, true).result, 3);
        EXPECT_EQ(handler.zoneCount(), 0u);
    }
    EXPECT_EQ(readWords(handler, {1, 520860, 2, 0, 0, 4, 6, 0, 1, 9, 9}).result, 3);
    EXPECT_EQ(rangesOf(handler), (Ranges{{4, 6}}));
}

TEST_F(BWZoneHandlerTest, ClampingNeverLeavesAnInvertedZone) {
    addZone(handler, -5, 3);
    addZone(handler, 30, 40);
    addZone(handler, 40, 50);
    handler.clampZones(0, 32);
    EXPECT_EQ(rangesOf(handler), (Ranges{{0, 3}, {30, 31}, {31, 31}}));
}

TEST_F(BWZoneHandlerTest, ClearingByIdStaysWithinTheInstance) {
    BWSystemInfo otherContext{8, nullptr, nullptr, nullptr};
    BWZoneHandler sameId(&context, 5, false), otherId(&context, 6, false), otherInstance(&otherContext, 5, false);
    for (BWZoneHandler* each : {&sameId, &otherId, &otherInstance}) addZone(*each, 1, 2);
    handler.clearHandlersWithId(5);
    EXPECT_EQ(sameId.zoneCount(), 0u);
    EXPECT_EQ(otherId.zoneCount(), 1u);
    EXPECT_EQ(otherInstance.zoneCount(), 1u);
}

TEST_F(BWZoneHandlerTest, PasteFromTheCopySource) {
    addZone(handler, 1, 2);
    {
        BWZoneHandler source(&context, -1, false);
        addZone(source, 5, 6);
        addZone(source, 9, 9)->locked = 1;
        source.deleteZone(source.zoneList()[1].get());  // hidden: not pasted
        source.setCopySource();
        handler.pasteFromCopySource();
        EXPECT_EQ(rangesOf(handler), (Ranges{{5, 6}}));
    }
    EXPECT_EQ(zoneCopySource(), nullptr);  // cleared when the source died
    handler.pasteFromCopySource();
    EXPECT_EQ(rangesOf(handler), (Ranges{{5, 6}}));
    handler.setCopySource();
    handler.pasteFromCopySource();  // onto itself: empty
    EXPECT_EQ(handler.zoneCount(), 0u);
}

TEST_F(BWZoneHandlerTest, RandomZonesFollowThePatternGenerator) {
    addZone(handler, 0, 0);
    patternRandomSeed() = 12345;
    handler.generateRandom(0);
    EXPECT_EQ(handler.zoneCount(), 0u);
    patternRandomSeed() = 12345;
    handler.generateRandom(32);
    EXPECT_EQ(rangesOf(handler), (Ranges{{6, 7}, {9, 9}, {18, 18}, {22, 22}}));
    EXPECT_EQ(patternRandomSeed(), 399972143);  // one draw, then one per step
    patternRandomSeed() = 31337;
    handler.generateRandom(32);
    EXPECT_EQ(rangesOf(handler), (Ranges{{5, 7}, {9, 11}, {14, 14}}));
}

TEST_F(BWZoneHandlerTest, MirrorsFollowEveryChange) {
    auto* zone = dynamic_cast<BWFloatZone*>(addZone(handler, 4, 6));
    ASSERT_NE(zone, nullptr);
    addZone(handler, 1, 2);
    addZone(handler, 5, 8);  // overlaps 4..6: the later one wins
    EXPECT_EQ(handler.zoneCountF, 3.0f);
    EXPECT_EQ(handler.zoneStart[0], 1.0f);
    EXPECT_EQ(handler.zoneNumberAt(4), 2u);
    EXPECT_EQ(handler.zoneNumberAt(5), 3u);
    zone->setEnd(10);
    EXPECT_EQ(handler.zoneEnd[1], 10.0f);
    EXPECT_EQ(handler.zoneNumberAt(10), 2u);

    handler.deleteAllZones(false);  // the render keeps its last loop range
    EXPECT_EQ(handler.zoneCountF, 0.0f);
    EXPECT_EQ(handler.zoneNumberAt(5), 0u);
    EXPECT_EQ(handler.zoneStart[0], 1.0f);
    EXPECT_EQ(handler.zoneEnd[0], 2.0f);
}

TEST_F(BWZoneHandlerTest, MirrorsNeverReachBeyondTheirPositions) {
    for (int32_t i = 0; i < 140; ++i) addZone(handler, 100 + i, 400 + i);
    addZone(handler, -50, -10);
    EXPECT_EQ(handler.zoneCountF, 141.0f);
    EXPECT_EQ(handler.zoneNumberAt(127), 29u);  // the last zone starting at or before 127
    EXPECT_EQ(handler.zoneNumberAt(128), 0u);
    EXPECT_EQ(handler.zoneNumberAt(-1), 0u);
    patternRandomSeed() = 4242;
    handler.generateRandom(4000);  // zones only on 0..127
    for (const auto& each : handler.zoneList()) EXPECT_LE(each->end, 127);
}
