// A window's record of what was made invalid: rectangles kept apart while
// they are apart, joined when they overlap or touch (also through a chain),
// and given up on past the capacity or when the box asked about holds more
// than they do.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/PaintRegion.h"

namespace {

using CRect = platform::WindowRect;
using platform::PaintRegion;

std::vector<CRect> piecesOf(const PaintRegion& region, const CRect& paintRect) {
    PaintRegion::Pieces pieces;
    std::vector<CRect> out(pieces.begin(), pieces.begin() + region.piecesOf(paintRect, pieces));
    std::sort(out.begin(), out.end(), [](const CRect& a, const CRect& b) { return a.left < b.left; });
    return out;
}

TEST(PaintRegion, KeepsApartWhatIsApartAndJoinsWhatMeets) {
    struct Case {
        const char* name;
        std::vector<CRect> added;
        CRect paintRect;
        std::vector<CRect> expected;
    } cases[] = {
        {"two apart", {{0, 0, 10, 10}, {50, 50, 60, 60}}, {0, 0, 60, 60}, {{0, 0, 10, 10}, {50, 50, 60, 60}}},
        {"overlapping", {{0, 0, 10, 10}, {5, 5, 20, 20}}, {0, 0, 20, 20}, {{0, 0, 20, 20}}},
        {"touching", {{0, 0, 10, 10}, {10, 0, 20, 10}}, {0, 0, 20, 10}, {{0, 0, 20, 10}}},
        // The third meets both: all three become one.
        {"a chain", {{0, 0, 10, 10}, {30, 0, 40, 10}, {8, 0, 32, 5}}, {0, 0, 40, 10}, {{0, 0, 40, 10}}},
        {"empty ones ignored", {{0, 0, 10, 10}, {20, 20, 20, 30}}, {0, 0, 10, 10}, {{0, 0, 10, 10}}},
        // The window cuts what lies past its edge, as the window layer does.
        {"cut by the window", {{-5, -5, 10, 10}, {50, 50, 70, 70}}, {0, 0, 60, 60}, {{0, 0, 10, 10}, {50, 50, 60, 60}}},
        // The box holds more than the region knows of: it is taken whole.
        {"the box holds more", {{10, 10, 20, 20}}, {0, 0, 20, 20}, {}},
        {"nothing recorded", {}, {0, 0, 20, 20}, {}},
    };
    for (const Case& c : cases) {
        PaintRegion region;
        for (const CRect& r : c.added) region.add(r);
        EXPECT_EQ(piecesOf(region, c.paintRect), c.expected) << c.name;
    }
}

TEST(PaintRegion, PastItsCapacityOrClearedItGivesUp) {
    PaintRegion region;
    for (size_t i = 0; i < PaintRegion::kCapacity; ++i) region.add(CRect{int32_t(i) * 10, 0, int32_t(i) * 10 + 5, 5});
    const CRect box{0, 0, int32_t(PaintRegion::kCapacity - 1) * 10 + 5, 5};
    EXPECT_EQ(piecesOf(region, box).size(), PaintRegion::kCapacity);
    region.add(CRect{500, 0, 505, 5});
    EXPECT_TRUE(piecesOf(region, CRect{0, 0, 505, 5}).empty()) << "one too many";
    region.clear();
    region.add(CRect{0, 0, 5, 5});
    const std::vector<CRect> one = {{0, 0, 5, 5}};
    EXPECT_EQ(piecesOf(region, CRect{0, 0, 5, 5}), one) << "usable again";
}

}  // namespace
