#include "core/BWZone.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "persistence/BWChunk.h"

namespace {

struct CountingListener : BWZoneListener {
    void zoneChanged(BWZone* zone) override { seen.push_back(zone->end); }
    std::vector<int32_t> seen;
};

struct Read {
    int32_t result;
    uint32_t position;
};

Read readWords(BWZone& zone, std::vector<uint32_t> words, bool skipOnly = false) {
    BWChunk chunk(words.data(), static_cast<uint32_t>(words.size() * 4));
    const int32_t result = zone.readChunk(&chunk, skipOnly);
    return {result, chunk.getPosition()};
}

}  // namespace

TEST(BWZoneTest, ListenersAreToldOfEveryRangeChangeInOrder) {
    BWZone zone;
    CountingListener a, b, c;
    zone.addListener(&a);
    zone.addListener(&b);
    zone.addListener(&a);
    zone.addListener(&c);
    EXPECT_TRUE(zone.hasListener(&c));  // at an odd place of the list
    zone.setRange(2, 5);
    zone.setEnd(7);
    zone.setStart(1);
    EXPECT_EQ(a.seen, (std::vector<int32_t>{5, 5, 7, 7, 7, 7}));
    EXPECT_EQ(b.seen, (std::vector<int32_t>{5, 7, 7}));

    zone.removeListener(&a);  // the first entry only
    zone.removeListener(&c);
    EXPECT_TRUE(zone.hasListener(&a));
    EXPECT_FALSE(zone.hasListener(&c));
    zone.setEnd(9);
    EXPECT_EQ(a.seen.size(), 7u);
    EXPECT_EQ(c.seen.size(), 3u);
}

TEST(BWZoneTest, RecordRoundTripAndClampedRead) {
    BWZone zone;
    zone.setRange(4, 6);
    BWChunk chunk;
    zone.writeChunk(&chunk);
    chunk.allocateMeasured();
    chunk.setPosition(0);
    zone.writeChunk(&chunk);
    std::vector<uint32_t> words(3);
    std::memcpy(words.data(), chunk.getWords(), 12);
    EXPECT_EQ(words, (std::vector<uint32_t>{0, 4, 6}));

    BWZone copy;
    EXPECT_EQ(readWords(copy, words).result, 1);
    EXPECT_EQ(copy.start, 4);
    EXPECT_EQ(copy.end, 6);

    // Positions stay within 0..127 and the range is never inverted.
    EXPECT_EQ(readWords(copy, {0, static_cast<uint32_t>(-5), 300}).result, 1);
    EXPECT_EQ(copy.start, 0);
    EXPECT_EQ(copy.end, 127);
    EXPECT_EQ(readWords(copy, {0, 9, 4}).result, 1);
    EXPECT_EQ(copy.start, 9);
    EXPECT_EQ(copy.end, 9);
}

TEST(BWZoneTest, RefusedAndSkippedRecords) {
    BWZone zone;
    zone.setRange(1, 2);
    const Read wrongVersion = readWords(zone, {1, 4, 6});
    EXPECT_EQ(wrongVersion.result, BWZone::kWrongVersion);
    EXPECT_EQ(wrongVersion.position, 1u);
    EXPECT_EQ(readWords(zone, {0, 4}).result, 0);
    EXPECT_EQ(readWords(zone, {}).result, 0);
    const Read skipped = readWords(zone, {0, 4, 6, 99}, true);
    EXPECT_EQ(skipped.result, 1);
    EXPECT_EQ(skipped.position, 3u);
    EXPECT_EQ(zone.start, 1);
    EXPECT_EQ(zone.end, 2);
}
