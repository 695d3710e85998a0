// The resource table answers only bytes inside itself: a table cut short or
// with an index that points outside is refused whole.
#include "platform/ResourceTable.h"

#include <gtest/gtest.h>

namespace {

using platform::ResourceTable;
using platform::ResourceType;

TEST(ResourceTable, FindsWhatWasWrittenAndRefusesEveryDamagedForm) {
    const std::vector<uint8_t> bytes = ResourceTable::write({{1000, ResourceType::bitmap, {1, 2, 3}},
                                                             {1000, ResourceType::png, {4, 5}},
                                                             {1121, ResourceType::png, {}}});
    ResourceTable table;
    ASSERT_TRUE(table.read(bytes));
    const auto png = table.find(ResourceType::png, 1000);
    EXPECT_EQ(std::vector<uint8_t>(png.begin(), png.end()), (std::vector<uint8_t>{4, 5}));
    EXPECT_EQ(table.find(ResourceType::bitmap, 1000).size(), 3u);
    EXPECT_TRUE(table.find(ResourceType::png, 1121).empty());
    EXPECT_TRUE(table.find(ResourceType::png, 1001).empty());

    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        EXPECT_FALSE(table.read({bytes.data(), cut})) << cut;
        EXPECT_TRUE(table.entries().empty());
        EXPECT_TRUE(table.find(ResourceType::bitmap, 1000).empty());
    }
    struct Damage {
        size_t at;
        uint8_t value;
    };
    for (const Damage d : {Damage{0, 'X'}, Damage{7, 0x10}, Damage{18, 0xFF}, Damage{22, 0x40}}) {
        std::vector<uint8_t> damaged = bytes;
        damaged[d.at] = d.value;  // magic, count, an offset, a size
        EXPECT_FALSE(table.read(damaged)) << d.at;
    }
}

}  // namespace
