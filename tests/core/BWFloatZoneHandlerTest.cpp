#include "core/BWFloatZoneHandler.h"

#include <gtest/gtest.h>

#include "core/BWFloatZone.h"

namespace {

BWZone* addZone(BWZoneHandler& handler, int32_t start, int32_t end) {
    BWZone* zone = handler.createZone(0);
    zone->setRange(start, end);
    EXPECT_TRUE(handler.insertZone(zone));
    return zone;
}

}  // namespace

TEST(BWFloatZoneHandlerTest, MirrorsFollowTheListAndEveryRangeChange) {
    BWFloatZoneHandler handler(nullptr, -1, false);
    auto* zone = dynamic_cast<BWFloatZone*>(addZone(handler, 4, 6));
    ASSERT_NE(zone, nullptr);
    EXPECT_EQ(zone->handler, &handler);
    addZone(handler, 1, 2);
    addZone(handler, 5, 8);  // overlaps the zone 4..6: the later one wins
    EXPECT_EQ(handler.zoneCountF, 3.0f);
    EXPECT_EQ(handler.zoneStart[0], 1.0f);
    EXPECT_EQ(handler.zoneEnd[1], 6.0f);
    EXPECT_EQ(handler.zoneNumberAt(4), 2u);
    EXPECT_EQ(handler.zoneNumberAt(5), 3u);
    EXPECT_EQ(handler.zoneNumberAt(3), 0u);

    zone->setEnd(10);
    EXPECT_EQ(handler.zoneEnd[1], 10.0f);
    EXPECT_EQ(handler.zoneNumberAt(10), 2u);
}

TEST(BWFloatZoneHandlerTest, AnEmptiedLaneKeepsItsLastLoopRange) {
    BWFloatZoneHandler handler(nullptr, -1, false);
    addZone(handler, 3, 9);
    handler.deleteAllZones(false);
    EXPECT_EQ(handler.zoneCountF, 0.0f);
    for (int32_t key = 0; key < 128; ++key) EXPECT_EQ(handler.zoneNumberAt(key), 0u);
    EXPECT_EQ(handler.zoneStart[0], 3.0f);
    EXPECT_EQ(handler.zoneEnd[0], 9.0f);
}

TEST(BWFloatZoneHandlerTest, MirrorsNeverReachBeyondTheirPositions) {
    BWFloatZoneHandler handler(nullptr, -1, false);
    for (int32_t i = 0; i < 140; ++i) addZone(handler, 100 + i, 400 + i);
    addZone(handler, -50, -10);
    EXPECT_EQ(handler.zoneCountF, 141.0f);
    EXPECT_EQ(handler.zoneStart[0], -50.0f);
    EXPECT_EQ(handler.zoneNumberAt(127), 29u);  // the last zone starting at or before 127
    EXPECT_EQ(handler.zoneNumberAt(128), 0u);
    EXPECT_EQ(handler.zoneNumberAt(-1), 0u);
}

TEST(BWFloatZoneHandlerTest, MarkerAndMarkedIndex) {
    BWFloatZoneHandler handler(nullptr, -1, false);
    EXPECT_TRUE(handler.isMarked(0));
    handler.markedIndex = 3;
    EXPECT_TRUE(handler.isMarked(3));
    handler.setMarker(-4);
    EXPECT_EQ(handler.marker(), 0);
    handler.setMarker(6);
    EXPECT_EQ(handler.marker(), 6);
}
