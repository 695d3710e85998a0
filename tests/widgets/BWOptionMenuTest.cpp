// The option menu as an object: its entry table and current entry, the value
// and its codes, the closed control's wheel and drawing, its reports and its
// companion buttons, and a bound index that moves it from outside.

#include <gtest/gtest.h>

#include "MenuScene.h"
#include "WidgetScene.h"
#include "support/MessageCapture.h"
#include "widgets/BWScrollbarY.h"

namespace widget_test {
namespace {

using M = BWOptionMenu;

std::string currentText(M& menu) {
    std::string text = "(none)";
    menu.getCurrentText(&text, true);
    return text;
}

TEST(BWOptionMenu, EntryTableKeepsItsCurrentEntry) {
    M menu(CRect(0, 0, 40, 15), nullptr, 7, nullptr, nullptr, 0);
    menu.addEntries({"a", "b", "c"});
    menu.setValue(1.0f);
    const struct {
        const char* step;
        bool (*edit)(M&);
        int32_t current;
        const char* text;
    } steps[] = {
        {"insert before", [](M& m) { return m.addEntry("x", 0); }, 2, "b"},
        {"insert after", [](M& m) { return m.addEntry("y", 3); }, 2, "b"},
        {"remove the current", [](M& m) { return m.removeEntry(2); }, 1, "a"},
        {"remove past the end", [](M& m) { return !m.removeEntry(9); }, 1, "a"},
        {"remove before", [](M& m) { return m.removeEntry(0); }, 0, "a"},
        {"negative value keeps it", [](M& m) { m.setValue(-1.0f); return true; }, 0, "a"},
        {"by text", [](M& m) { return m.selectEntryByText("c"); }, 2, "c"},
        {"raw separator refused", [](M& m) { m.setEntryText(1, "-"); return !m.setCurrent(1, true); }, 2, "c"},
    };
    for (const auto& s : steps) {
        EXPECT_TRUE(s.edit(menu)) << s.step;
        EXPECT_EQ(menu.getCurrent(), s.current) << s.step;
        EXPECT_EQ(currentText(menu), s.text) << s.step;
    }
    while (menu.getNumEntries() > 0) menu.removeEntry(0);
    EXPECT_EQ(menu.getCurrent(), -1) << "removing the only entry";
    EXPECT_EQ(currentText(menu), "Empty");

    // Separators and titles are not counted by the visible index.
    menu.addEntries({"a", "-", "-Tgroup", "b"});
    EXPECT_TRUE(menu.setCurrent(1, false));
    std::string text;
    EXPECT_EQ(menu.getCurrentText(&text, false), 1);
    EXPECT_EQ(text, "b");
    EXPECT_EQ(menu.getCurrentText(nullptr, true), 3);

    // A value past the entries is kept as the current index (a code).
    menu.setValue(5.0f);
    EXPECT_EQ(menu.getCurrent(), 5);
    EXPECT_EQ(menu.getCurrentText(&text, true), 5);
    EXPECT_EQ(menu.getCurrentText(&text, false), -1);

    EXPECT_EQ(menu.findEntryByBaseName("x"), -1);
    menu.addEntry("dir/x.zvp");
    EXPECT_EQ(menu.findEntryByBaseName("x"), 4);
    menu.addEntry(std::string(1024, 'w'));
    EXPECT_FALSE(menu.copyEntryText(5, &text)) << "longer than 1,023 characters";
    EXPECT_TRUE(menu.copyEntryText(4, nullptr));
    EXPECT_TRUE(menu.checkOnlyEntry(3));
    EXPECT_TRUE(menu.isEntryChecked(3));
    EXPECT_FALSE(menu.isEntryChecked(0));

    M full(CRect(), nullptr, 0, nullptr, nullptr, 0);
    for (int32_t i = 0; i < M::kMaxEntries; ++i) ASSERT_TRUE(full.addEntry("e"));
    EXPECT_FALSE(full.addEntry("one too many"));
    EXPECT_TRUE(full.addSubMenu(new M(CRect(), nullptr, 0, nullptr, nullptr, 0), "sub")) << "no limit for sub-menus";
    EXPECT_EQ(full.getNumEntries(), M::kMaxEntries + 1);
}

// Sub-menus and user data are released exactly once however entries move:
// removed from the middle, cleared, or left to the destructor.
struct Counted : M {
    explicit Counted(int32_t& gone) : M(CRect(), nullptr, 0, nullptr, nullptr, 0), gone(gone) {}
    ~Counted() override { ++gone; }
    int32_t& gone;
};
struct CountedData : BWOptionMenuUserEntry {
    explicit CountedData(int32_t& gone) : gone(gone) {}
    ~CountedData() override { ++gone; }
    int32_t& gone;
};

TEST(BWOptionMenu, SubMenusAndUserDataAreReleasedOnce) {
    int32_t menus = 0, data = 0;
    {
        M menu(CRect(), nullptr, 0, nullptr, nullptr, 0);
        for (int32_t i = 0; i < 4; ++i) {
            menu.addSubMenu(new Counted(menus), "sub" + std::to_string(i));
            menu.getEntry(i)->userData = std::make_unique<CountedData>(data);
        }
        EXPECT_FALSE(menu.addSubMenu(&menu, "itself"));
        menu.removeEntry(1);
        EXPECT_EQ(menus, 1);
        EXPECT_EQ(data, 1);
        menu.addEntryWithLong("long", 0, 42);
        EXPECT_EQ(static_cast<BWOptionMenuUserEntryLong*>(menu.getEntry(0)->userData.get())->value, 42);
        menu.removeEntry(0);
        menu.removeEntry(1);  // "sub2", moved down once already
        EXPECT_EQ(menus, 2);
        menu.removeAllEntries();
        EXPECT_EQ(menus, 4);
        EXPECT_EQ(data, 4);
        menu.addSubMenu(new Counted(menus), "left to the destructor");
    }
    EXPECT_EQ(menus, 5);
}

// The closed wheel steps the value, wrapping past the last entry to the first
// entry after "Save Preset" (style 128) and below 0 to the last, at most once
// per 330 ms for every menu together.
TEST(BWOptionMenu, ClosedWheelWrapsAndStepsOncePerInterval) {
    MenuScene scene;
    M* menu = scene.menu(CRect(10, 10, 60, 25), 9, M::kStyleSaveEntry, {"Save Preset", "a", "b", "c"});
    M* other = scene.menu(CRect(10, 40, 60, 55), 8, 0, {"x", "y"});
    const struct {
        M* menu;
        float start, distance;
        uint32_t after;
        const char* report;
    } cases[] = {
        {menu, 3, 1, 400, "valueChanged(9,1)"},   // past the last: after "Save Preset"
        {menu, 0, -1, 400, "valueChanged(9,3)"},  // below 0: the last
        {menu, 1, 1, 100, ""},                    // 100 ms after the last step: nothing
        {other, 0, 1, 100, ""},                   // shared by every menu
        {other, 0, 1, 230, "valueChanged(8,1)"},  // 330 ms after it
        {other, 1, 1, 400, "valueChanged(8,0)"},  // no save entry: back to 0
    };
    scene.clearWheelStamps();
    for (const auto& c : cases) {
        scene.windows.advance(c.after);
        c.menu->setValue(c.start);
        scene.takeLog();
        EXPECT_EQ(c.menu->onWheel(CPoint(20, 15), c.distance, 0), c.report[0] != 0);
        EXPECT_EQ(scene.takeLog(), c.report[0] ? CallLog{c.report} : CallLog{}) << c.start << " " << c.distance;
    }
    M empty(CRect(), nullptr, 0, scene.frame, nullptr, 0);
    scene.windows.advance(400);
    EXPECT_FALSE(empty.onWheel(CPoint(), 1.0f, 0)) << "an empty menu has nothing to report";
}

TEST(BWOptionMenu, CompanionsStepOnReleaseAndSendTheirCodes) {
    MenuScene scene;
    MessageCapture boxes;
    M* menu = scene.menu(CRect(10, 10, 60, 25), 9, M::kStyleSaveEntry, {"Save Preset", "a", "b"});
    auto companion = [&](int32_t tag, float state) {
        toolkit_test::ProbeControl button(CRect(), menu, tag);
        button.setValue(state);
        menu->valueChanged(&button);
        return scene.takeLog();
    };
    menu->setValue(2.0f);
    EXPECT_EQ(companion(10051, 1.0f), CallLog{}) << "a press does nothing";
    EXPECT_EQ(companion(10051, 0.0f), CallLog{"valueChanged(9,1)"}) << "wraps after the save entry";
    EXPECT_EQ(companion(10052, 0.0f), CallLog{"valueChanged(9,0)"});
    EXPECT_EQ(companion(10052, 0.0f), CallLog{"valueChanged(9,2)"});
    EXPECT_EQ(companion(10053, 0.0f), CallLog{"valueChanged(9,10053)"});
    EXPECT_EQ(companion(10054, 0.0f), CallLog{"valueChanged(9,10054)"});
    EXPECT_EQ(companion(10054, 1.0f), CallLog{}) << "a random pick with no sub-menu picks nothing";
    float bound = 1.0f;
    menu->boundIndex = &bound;
    EXPECT_EQ(companion(10051, 0.0f), CallLog{"valueChanged(9,2)"}) << "steps from the bound index";
    EXPECT_EQ(companion(4711, 0.0f), CallLog{});
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"unknown value in BWOptionMenu::valueChanged : val:"});
    EXPECT_EQ(companion(0, 0.0f), CallLog{}) << "not the scroll bar: an unknown tag too";

    // The scroll bar's changes only redraw the list.
    menu->getOverlay()->setDirty(false);
    menu->valueChanged(menu->getScrollBar());
    EXPECT_TRUE(menu->getOverlay()->isDirty());
    EXPECT_EQ(scene.takeLog(), CallLog{});
}

// With style bit 19 a pick in a sub-menu reports the index counted through
// the sub-menus: entry 2 of the sub-menu held by the third entry is 4.
TEST(BWOptionMenu, FlatIndexCountsThroughSubMenus) {
    MenuScene scene;
    M* menu = scene.menu(CRect(10, 10, 60, 25), 12, M::kStyleFlatIndex, {"a", "b"});
    auto* sub = new M(CRect(), menu, 12, scene.frame, nullptr, 0);
    sub->addEntries({"x", "y", "z"});
    menu->addSubMenu(sub, "more");
    menu->addEntry("after");
    sub->setValue(2.0f);
    sub->valueChanged(sub);
    EXPECT_EQ(scene.takeLog(), CallLog{"valueChanged(12,4)"});
    menu->setValue(3.0f);
    menu->valueChanged(menu);
    EXPECT_EQ(scene.takeLog(), CallLog{"valueChanged(12,5)"}) << "the entry after counts the sub-menu's three";
}

// The closed control shows the current entry's frame of its strip, the
// current entry's text (through sub-menus), a title or "MENU".
TEST(BWOptionMenu, ClosedControlShowsTheCurrentEntry) {
    WidgetScene scene;
    M menu(CRect(20, 10, 32, 21), nullptr, 329, scene.frame, nullptr, M::kStyleShowCurrent);
    for (int32_t i = 1; i <= 16; ++i) menu.addEntry("Channel " + std::to_string(i));
    CBitmap* strip = numberedStrip(12, 11, 16);
    menu.closedPicture = strip;
    menu.closedPictureFrameHeight = 11;
    for (const float v : {0.0f, 5.0f, 15.0f}) {
        menu.setValue(v);
        EXPECT_EQ(frameAt(*drawn(menu), 25, 15), static_cast<int32_t>(v));
    }
    menu.setValue(16.0f);
    EXPECT_EQ(frameAt(*drawn(menu), 25, 15), -1) << "past the strip: no frame";
    strip->forget();
    menu.closedPicture = nullptr;

    static const uint8_t widths[] = {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4};
    MarkerFont marker(widths, sizeof widths, 11);
    menu.textFont = &marker.font;
    M titled(CRect(20, 30, 80, 41), nullptr, 0, scene.frame, "Tempo", M::kStyleAlignLeft);
    titled.textFont = &marker.font;
    const struct {
        M* menu;
        float value;
        size_t glyphs;
    } cases[] = {{&menu, 0, 9}, {&menu, 15, 10}, {&menu, 40, 0}, {&titled, 0, 5}};
    for (const auto& c : cases) {
        c.menu->setValue(c.value);
        EXPECT_EQ(MarkerFont::markers(*drawn(*c.menu), c.menu->getViewSize().top).size(), c.glyphs) << c.value;
    }
    // A sub-menu's entries continue the count of the closed text.
    auto* sub = new M(CRect(), nullptr, 0, nullptr, nullptr, 0);
    sub->addEntries({"ab", "abc"});
    menu.removeAllEntries();
    menu.addEntry("x");
    menu.addSubMenu(sub, "sub");
    menu.setValue(2.0f);
    EXPECT_EQ(MarkerFont::markers(*drawn(menu), 10).size(), 3u) << "entry 1 of the sub-menu";
}

// A core value bound to the menu moves the closed menu at the next idle
// without a report; the scroll bar and overlay are the menu's own.
TEST(BWOptionMenu, BoundIndexMovesTheMenuAtIdleWithoutReport) {
    MenuScene scene;
    M* menu = scene.menu(CRect(10, 10, 60, 25), 339, M::kStyleShowCurrent, {"1 bar", "2 Bars", "3 Bars"});
    float bound = 0.0f;
    menu->boundIndex = &bound;
    scene.idle();
    scene.windows.paint(scene.window());
    bound = 2.0f;
    scene.idle();
    EXPECT_EQ(menu->getCurrent(), 2);
    EXPECT_EQ(menu->getValue(), 2.0f);
    const platform::WindowRect update = scene.windows.pendingUpdate(scene.window());
    EXPECT_TRUE(update.left <= 10 && update.right >= 60 && update.top <= 10 && update.bottom >= 25) << "redrawn";
    EXPECT_EQ(scene.takeLog(), CallLog{});
    EXPECT_EQ(scene.frame->getWidgets().size(), 1u) << "the scroll bar and the overlay belong to the menu";
}

}  // namespace
}  // namespace widget_test
