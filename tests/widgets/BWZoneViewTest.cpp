// Zone views on the core's zone lanes: key cells and scrolling, creating and
// growing, edge drags that switch edges, moves that never overlap or leave
// the keys, pushing that never empties a neighbour, deleting with the 1.0 /
// 0.0 bracket, a lane whose audio side stays busy, companions and drawing.

#include <gtest/gtest.h>

#include "PatternScene.h"
#include "support/MessageCapture.h"
#include "widgets/BWZoneView.h"

namespace widget_test {
namespace {

constexpr int32_t kZoneLeft = 192, kZoneTop = 224;
const CRect kZoneRect(kZoneLeft, kZoneTop, kZoneLeft + 672, kZoneTop + 12);
CPoint key(int32_t k) { return CPoint(kZoneLeft + k * 21 + 10, kZoneTop + 6); }

// The edit reports, without the frame's offers of modifier clicks.
CallLog reports(const CallLog& log) {
    CallLog kept;
    for (const std::string& entry : log)
        if (entry.rfind("valueChanged", 0) == 0) kept.push_back(entry);
    return kept;
}

struct ZoneFixture : PatternScene {
    ZoneFixture() {
        zones.deleteAllZones(false);
        view = scene.add(new BWZoneView(kZoneRect, &scene.listener, 372, scene.frame, &zones));
        view->visibleKeys = 32;
    }
    void add(int32_t start, int32_t end) {
        std::unique_ptr<BWZone> zone = zones.createZone(0);
        zone->setRange(start, end);
        ASSERT_TRUE(zones.insertZone(std::move(zone)));
    }
    BWZoneHandlerInterface& zones = models().zones;
    BWZoneView* view;
};

TEST(BWZoneView, KeyCellsFollowTheScroll) {
    ZoneFixture f;
    for (int32_t k = 0; k < 32; ++k) {
        EXPECT_EQ(f.view->keyCell(k), CRect(kZoneLeft + 21 * k, kZoneTop, kZoneLeft + 21 * k + 21, kZoneTop + 12));
        int32_t found = -1;
        ASSERT_TRUE(f.view->keyAt(CPoint(kZoneLeft + 21 * k + 1, kZoneTop), found));
        EXPECT_EQ(found, k);
    }
    float scroll = 60.0f;
    f.view->scroll = &scroll;
    f.view->visibleKeys = 48;
    const struct {
        int32_t x, key;
    } cases[] = {{kZoneLeft, 60}, {kZoneLeft + 14, 60}, {kZoneLeft + 15, 61}, {kZoneLeft + 671, 107}, {kZoneLeft + 672, 107}};
    for (const auto& c : cases) {
        int32_t found = -1;
        ASSERT_TRUE(f.view->keyAt(CPoint(c.x, kZoneTop), found)) << c.x;
        EXPECT_EQ(found, c.key) << c.x;
    }
}

TEST(BWZoneView, EditsByTheMouse) {
    const struct {
        const char* name;
        std::vector<std::pair<int32_t, int32_t>> zones;
        uint32_t keys;
        std::vector<int32_t> path;  // keys under the pointer
        const char* expected;
    } cases[] = {
        {"a click makes a one-key zone", {}, 0, {5}, "5-5"},
        {"its end edge grows and turns into the start edge past the start", {}, 0, {5, 8, 6, 3}, "3-6"},
        {"a start edge shrinks and turns into the end edge past the end", {{4, 9}}, 0, {4, 7, 12}, "7-12"},
        {"a move keeps the length", {{2, 4}}, 0, {3, 7}, "6-8"},
        {"a move onto another zone does nothing", {{2, 4}, {10, 12}}, 0, {3, 10}, "2-4 10-12"},
        {"a move past it does", {{2, 4}, {10, 12}}, 0, {3, 10, 15}, "14-16 10-12"},
        {"Control moves a one-key zone", {{5, 5}}, platform::kStateControl, {5, 9}, "9-9"},
        {"an edge stops at a neighbour", {{2, 4}, {5, 9}}, 0, {4, 7}, "2-4 5-9"},
        {"Shift pushes the neighbour", {{2, 4}, {5, 9}}, platform::kStateShift, {4, 7}, "2-7 8-9"},
        {"a pushed neighbour is never emptied", {{2, 4}, {5, 9}}, platform::kStateShift, {4, 7, 9, 11}, "2-7 8-9"},
        {"pushing to the left", {{2, 4}, {5, 9}}, platform::kStateShift, {5, 3}, "2-2 3-9"},
        {"a click on the last key", {}, 0, {31}, "31-31"},
    };
    for (const auto& c : cases) {
        ZoneFixture f;
        for (const auto& [start, end] : c.zones) f.add(start, end);
        std::vector<CPoint> path;
        for (const int32_t k : c.path) path.push_back(key(k));
        f.drag(path, platform::MouseButtonId::Left, c.keys);
        EXPECT_EQ(zonesOf(f.zones), c.expected) << c.name;
        EXPECT_EQ(reports(f.scene.takeLog()), (CallLog{"valueChanged(372,1)", "valueChanged(372,0)"})) << c.name;
        EXPECT_EQ(f.view->getDraggedZone(), nullptr);
    }

    // Keys past the window of 0..127 take no zone and no move.
    ZoneFixture f;
    float scroll = 100.0f;
    f.view->scroll = &scroll;
    f.add(120, 126);
    f.drag({key(30)});
    f.drag({key(22), key(27)});
    EXPECT_EQ(zonesOf(f.zones), "120-126");
}

TEST(BWZoneView, DeletingAndALaneThatStaysBusy) {
    ZoneFixture f;
    f.add(2, 4);
    f.add(8, 9);
    f.drag({key(3)}, platform::MouseButtonId::Right);
    EXPECT_EQ(zonesOf(f.zones), "8-9");
    CPoint twice = key(8);
    EXPECT_EQ(f.view->onMouseDown(twice, kLButton | kDoubleClick, 0), kMouseEventHandled);
    f.view->onMouseUp(twice, 0, 0);
    EXPECT_EQ(zonesOf(f.zones), "");
    EXPECT_EQ(reports(f.scene.takeLog()),
              (CallLog{"valueChanged(372,1)", "valueChanged(372,0)", "valueChanged(372,1)", "valueChanged(372,0)"}));

    // The lane refuses the new zone (and drops it): no drag may start on it.
    MessageCapture messages;
    f.zones.setAudioBusy(true);
    CPoint free = key(6), further = key(9);
    EXPECT_EQ(f.view->onMouseDown(free, kLButton, 0), kMouseHandledNoMoves);
    EXPECT_EQ(f.view->getDraggedZone(), nullptr);
    f.view->onMouseMoved(further, kLButton, 0);
    f.zones.setAudioBusy(false);
    EXPECT_EQ(zonesOf(f.zones), "");
    EXPECT_TRUE(f.scene.takeLog().empty());
    EXPECT_EQ(messages.texts().size(), 1u);
}

TEST(BWZoneView, CompanionsAndDrawing) {
    ZoneFixture f;
    f.add(2, 4);
    f.add(20, 22);
    toolkit_test::ProbeControl copy(CRect(), nullptr, BWZoneView::kCopyTag),
        clear(CRect(), nullptr, BWZoneView::kDeleteAllTag), paste(CRect(), nullptr, BWZoneView::kPasteTag);
    for (auto* c : {&copy, &clear, &paste}) c->setValue(0.5f);
    for (auto* c : {&copy, &clear}) f.view->valueChanged(c);
    EXPECT_EQ(zonesOf(f.zones), "2-4 20-22") << "only exactly 1.0 acts";
    for (auto* c : {&copy, &clear, &paste}) c->setValue(1.0f);
    f.view->valueChanged(&copy);
    f.view->valueChanged(&clear);
    EXPECT_EQ(zonesOf(f.zones), "");
    f.view->valueChanged(&paste);
    EXPECT_EQ(zonesOf(f.zones), "2-4 20-22");
    f.add(30, 32);

    // Filled zones in a blend of the two colours; a zone whose end lies just
    // past the window stops at the view's right edge.
    f.view->zoneColourFrom = CColor{0, 0, 0, 255};
    f.view->zoneColourTo = CColor{0, 0, 160, 255};
    f.view->frameZones = false;
    auto filled = drawn(*f.view, 960, 400);
    EXPECT_EQ(filled->getPixel(kZoneLeft + 2 * 21 + 2, kZoneTop + 1) & 0xFFFFFF, 15u) << "3 of 32 keys along: 160 x 3/32";
    EXPECT_EQ(filled->getPixel(kZoneLeft + 671, kZoneTop + 1) & 0xFFFFFF, 155u);
    EXPECT_EQ(filled->getPixel(kZoneLeft + 674, kZoneTop + 1) & 0xFFFFFF, 0u);

    // Pieces: single, first, inner, last; row 1 for the marked zone.
    auto* pieces = new CBitmap(84, 24);
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 84; ++x) pieces->getPixels()[y * 84 + x] = 0xFF000000u + 0x10u * static_cast<uint32_t>(y / 12) + static_cast<uint32_t>(x / 21) + 1;
    pieces->setPixelsHaveAlpha(false);
    f.view->setZoneBitmap(pieces);
    f.add(7, 7);
    f.models().zones.markedIndex = 1;  // the zone 7-7
    auto drawnPieces = drawn(*f.view, 960, 400);
    const struct {
        int32_t key;
        uint32_t piece;
    } expected[] = {{2, 2}, {3, 3}, {4, 4}, {7, 0x11}, {30, 2}, {31, 4}, {5, 0}};
    for (const auto& e : expected)
        EXPECT_EQ(drawnPieces->getPixel(kZoneLeft + e.key * 21 + 5, kZoneTop + 5) & 0xFFFFFF, e.piece) << "key " << e.key;
    f.models().zones.setMarker(5);
    auto pastTheImage = drawn(*f.view, 960, 400);
    EXPECT_EQ(pastTheImage->getPixel(kZoneLeft + 3 * 21 + 5, kZoneTop + 5) & 0xFFFFFF, 0u) << "a style row past the image";
    pieces->forget();
}

}  // namespace
}  // namespace widget_test
