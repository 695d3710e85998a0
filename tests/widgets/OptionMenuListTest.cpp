// The open list: its size and place on the frame, the scroll bar and the
// wheel, what presses and releases pick, hover-opening, and a whole mouse
// session through the in-process window back-end (log, overlay, pixels).

#include <gtest/gtest.h>

#include "MenuScene.h"
#include "MenuSession.h"
#include "guitoolkit/COffscreenContext.h"
#include "persistence/Settings.h"
#include "widgets/BWButton.h"
#include "widgets/BWScrollbarY.h"

namespace widget_test {
namespace {

using M = BWOptionMenu;

std::vector<std::string> numberedTexts(const char* stem, int32_t count) {
    std::vector<std::string> texts;
    for (int32_t i = 1; i <= count; ++i) texts.push_back(stem + std::to_string(i));
    return texts;
}

TEST(OptionMenuList, OpensWhereTheFrameHasRoom) {
    MenuScene scene;
    const struct {
        const char* name;
        CRect control;
        int32_t entries;
        int32_t offsetY;
        bool toLeft;
        CRect list;
        bool scrolled;
    } cases[] = {
        // 16 channels in the channel menus' look (picture font 0): "Channel 16"
        // is 60 pixels, plus the insets and 8.
        {"channel menu", {123, 93, 135, 104}, 16, 14, false, {123, 107, 199, 355}, false},
        {"no entries", {40, 40, 80, 55}, 0, 0, false, {40, 40, 80, 48}, false},
        {"past the right edge", {930, 40, 950, 55}, 3, 0, false, {886, 40, 958, 93}, false},
        {"past the bottom", {40, 680, 80, 695}, 3, 0, false, {40, 642, 112, 695}, false},
        // Pushed in from the right edge, then left of the point.
        {"to the left", {930, 40, 950, 55}, 3, 0, true, {857, 41, 929, 94}, false},
        // 60 rows do not fit: the list spans the frame and scrolls.
        {"taller than the frame", {40, 40, 80, 55}, 60, 0, false, {40, 0, 129, 701}, true},
    };
    for (const auto& c : cases) {
        M* menu = scene.menu(c.control, 329, 0, numberedTexts("Channel ", c.entries));
        scene.giveChannelLook(menu);
        menu->listOffsetY = c.offsetY;
        menu->setValue(-1.0f);
        const CPoint at = c.control.getTopLeft();
        if (c.toLeft)
            menu->popup(2, &at, 0, CRect(), true);
        else
            menu->openList(c.control.getTopLeft(), false);
        EXPECT_EQ(menu->getListRect(), c.list) << c.name << ": " << toolkit_test::describe(menu->getListRect());
        EXPECT_EQ(menu->getScrollBar()->isVisible(), c.scrolled) << c.name;
        EXPECT_EQ(scene.frame->getOverlay(), menu->getOverlay()) << c.name;
        EXPECT_EQ(menu->getOverlay()->getViewSize(), c.list) << c.name;
        if (c.entries == 0) {
            EXPECT_EQ(menu->getCurrent(), 0) << "-1 becomes 0 at the opening";
        }
        menu->looseFocus();
        EXPECT_EQ(scene.frame->getOverlay(), nullptr) << c.name;
        EXPECT_FALSE(scene.frame->isChild(menu->getOverlay())) << c.name;
    }
}

// A list taller than the frame: the wheel moves it 0.4 rows per notch; the
// scroll bar takes a press (a press reaches an open list as a release) and
// drags it, and neither reports.
TEST(OptionMenuList, TallListScrollsByWheelAndScrollBar) {
    MenuScene scene;
    M* menu = scene.menu(CRect(40, 40, 80, 55), 329, 0, numberedTexts("Channel ", 60));
    scene.giveChannelLook(menu);
    menu->openList(CPoint(40, 40), false);
    ASSERT_TRUE(menu->getScrollBar()->isVisible());
    const int32_t hidden = 60 - menu->visibleRows();
    ASSERT_EQ(menu->visibleRows(), 46);
    const struct {
        float notches;
        int32_t first;
    } wheel[] = {{-1, 0}, {-1, 0}, {-1, 1}, {-10, 5}, {-100, hidden}, {3, hidden - 2}, {100, 0}};
    for (const auto& w : wheel) {
        for (int32_t i = 0; i < std::abs(w.notches); ++i)
            menu->onWheel(CPoint(60, 300), w.notches < 0 ? -1.0f : 1.0f, 0);
        EXPECT_EQ(menu->firstVisibleRow(), w.first) << w.notches;
    }
    EXPECT_FALSE(menu->onWheel(CPoint(600, 300), -1.0f, 0)) << "outside the list";

    const CRect bar = menu->getScrollBarArea();
    EXPECT_EQ(bar, CRect(115, 2, 126, 699));
    // Opened by a click as a user does: the release over the menu is ignored.
    menu->looseFocus();
    scene.windows.press(scene.window(), 50, 45);
    scene.windows.release(scene.window(), 50, 45);
    ASSERT_TRUE(menu->isListOpen());
    scene.windows.press(scene.window(), bar.left + 5, 10);
    scene.windows.move(scene.window(), bar.left + 5, 100);
    EXPECT_GT(menu->firstVisibleRow(), 0) << "dragged";
    scene.windows.move(scene.window(), bar.left + 5, 2000);
    EXPECT_EQ(menu->firstVisibleRow(), hidden) << "clamped at the end";
    scene.windows.release(scene.window(), bar.left + 5, 2000);
    EXPECT_TRUE(menu->isListOpen());
    EXPECT_EQ(scene.takeLog(), CallLog{});
}

// Presses and releases on an open list: a title row and the scroll bar never
// report; a disabled row becomes current without a report; a release on an
// entry with a sub-menu picks nothing; an ordinary row reports and closes.
TEST(OptionMenuList, WhatAPressPicks) {
    MenuScene scene;
    M* menu = scene.menu(CRect(40, 40, 120, 55), 7, 0, {"-Tgroup", "a", "b", "c"});
    scene.giveChannelLook(menu);
    menu->getEntry(0)->title = 1;
    menu->setEntryEnabled(2, false);
    auto* sub = new M(CRect(), menu, 7, scene.frame, nullptr, 0);
    sub->addEntry("x");
    menu->addSubMenu(sub, "more");
    menu->listOffsetY = 20;  // the list does not cover the menu: no release is ignored
    auto rowY = [](int32_t row) { return 71 + 15 * row; };
    const struct {
        bool press;
        int32_t row;
        int32_t current;
        bool reported;
        bool open;
    } cases[] = {
        {true, 0, 0, false, true},    // title
        {true, 2, 2, false, true},    // disabled
        {false, 0, 0, false, true},   // a release on a title makes it current
        {false, 4, 4, false, true},   // an entry with a sub-menu
        {false, 2, 2, false, true},   // disabled
        {true, 1, 1, true, false},    // picked on the press
        {false, 3, 3, true, false},   // picked on the release
    };
    for (const auto& c : cases) {
        menu->openList(CPoint(40, 40), false);
        CPoint at(60, rowY(c.row));
        c.press ? menu->onMouseDown(at, kLButton, 0) : menu->onMouseUp(at, kLButton, 0);
        EXPECT_EQ(menu->getCurrent(), c.current) << c.row << (c.press ? " press" : " release");
        EXPECT_EQ(scene.takeLog().size(), c.reported ? 1u : 0u) << c.row;
        EXPECT_EQ(menu->isListOpen(), c.open) << c.row;
        menu->looseFocus();
    }
    // A press outside the list closes it; a release outside leaves it to the frame.
    menu->openList(CPoint(40, 40), false);
    CPoint outside(400, 400);
    EXPECT_EQ(menu->onMouseUp(outside, kLButton, 0), kMouseHandledNoMoves);
    EXPECT_TRUE(menu->isListOpen());
    EXPECT_EQ(menu->onMouseDown(outside, kLButton, 0), kMouseEventHandled);
    EXPECT_FALSE(menu->isListOpen());

    // A menu held by nobody but its maker (as folder sub-menus are held by
    // their entry) that goes while its list is open closes it first.
    auto* lone = new M(CRect(300, 300, 340, 315), &scene.listener, 8, scene.frame, nullptr, 0);
    scene.frame->removeWidget(lone);
    lone->forget();
    lone->addEntries({"x", "y"});
    const int32_t views = scene.frame->getNbViews();
    lone->openList(CPoint(300, 300), false);
    EXPECT_EQ(scene.frame->getNbViews(), views + 1);
    lone->forget();
    EXPECT_EQ(scene.frame->getOverlay(), nullptr);
    EXPECT_EQ(scene.frame->getNbViews(), views);
}

// The whole session through the window: the log, the overlay while the lists
// are open, and the frame's own pixels back once they are closed.
TEST(OptionMenuList, ScriptedSessionPicksThroughSubMenusAndTheLearnMenu) {
    SettingsSandbox settings;
    toolkit_test::ScopedWindows windows;
    MenuSession session;
    const auto snapshots = playInProcess(windows, session, 7, [&] {
        ASSERT_NE(session.root->getOpenSubMenu(), nullptr) << "resting on \"more\" opened it";
        BWOptionMenu* sub = session.root->getOpenSubMenu();
        EXPECT_EQ(session.frame->getOverlay(), sub->getOverlay());
        EXPECT_EQ(sub->getListRect(), CRect(195, 129, 241, 178)) << "beside the list, its rows level";
        EXPECT_EQ(sub->getHovered(), 1);
    });
    EXPECT_EQ(session.log, kMenuSessionLog);
    EXPECT_EQ(session.learn->getExtraInt1(), 60) << "the learn menu's target";
    EXPECT_EQ(session.frame->getOverlay(), nullptr);
    EXPECT_EQ(session.root->getOpenSubMenu(), nullptr);
    ASSERT_EQ(snapshots.size(), 4u);
    EXPECT_NE(snapshots[1], snapshots[0]);
    EXPECT_EQ(snapshots[3], snapshots[0]) << "the pixels under the closed lists are the frame's again";
}

// Hover-open: the closed menu opens at the pointer at the next idle, closing
// another hover-open menu; a list the user opened stays and nothing opens
// over it.  The extra callback hears the opening and the closing.
TEST(OptionMenuList, HoverOpenAndTheOpeningCallbacks) {
    MenuScene scene;
    M* first = scene.menu(CRect(40, 40, 80, 55), 1, M::kStyleHoverOpen, {"a", "b"});
    M* second = scene.menu(CRect(300, 40, 340, 55), 2, M::kStyleHoverOpen, {"c", "d"});
    M* plain = scene.menu(CRect(500, 40, 540, 55), 3, 0, {"e"});
    RecordingCallBack callBack(scene.log);
    first->extraCallBack = &callBack;
    scene.windows.move(scene.window(), 50, 45);
    scene.idle();
    EXPECT_TRUE(first->isListOpen());
    EXPECT_EQ(first->getListRect().getTopLeft(), CPoint(50, 45)) << "at the pointer";
    scene.windows.move(scene.window(), 310, 45);
    scene.idle();
    EXPECT_FALSE(first->isListOpen());
    EXPECT_TRUE(second->isListOpen());
    second->looseFocus();
    plain->openList(CPoint(500, 40), false);
    scene.windows.move(scene.window(), 60, 47);
    scene.idle();
    EXPECT_FALSE(first->isListOpen()) << "not over a list the user opened";
    EXPECT_EQ(scene.takeLog(), (CallLog{"menuOpened()", "menuClosed()"}));

    // A callback that refuses keeps the list closed.
    plain->looseFocus();
    plain->openCallback = [](BWOptionMenu*, void* refuse) { return !*static_cast<bool*>(refuse); };
    bool refuse = true;
    plain->openCallbackArg = &refuse;
    plain->openList(CPoint(500, 40), false);
    EXPECT_FALSE(plain->isListOpen());
    refuse = false;
    plain->openList(CPoint(500, 40), false);
    EXPECT_TRUE(plain->isListOpen());
    plain->looseFocus();

    // Entries rebuilt from indexed settings at each opening (missing ones passed over).
    M* recent = scene.menu(CRect(600, 40, 640, 55), 4, M::kStyleIndexedSettings, {"stale"});
    recent->indexedSettingName = "recentfile";
    recent->indexedSettingCount = 3;
    setSettingString("recentfile0", "first");
    setSettingString("recentfile2", "third");
    setSettingString("recentfile3", "beyond the count");
    recent->openList(CPoint(600, 40), false);
    std::string text;
    EXPECT_EQ(recent->getNumEntries(), 2);
    EXPECT_TRUE(recent->getEntryText(1, text));
    EXPECT_EQ(text, "third");
}

// A button in mode 9 opens its menu's list at its own corner and lights while
// the list is open (the menu's extra callback), through the window.
TEST(OptionMenuList, MenuButtonOpensTheListAndLightsWhileOpen) {
    MenuScene scene;
    M* menu = scene.menu(CRect(342, 19, 441, 34), 395, M::kStyleSaveEntry, {"Save Preset", "a", "b"});
    scene.giveChannelLook(menu);
    menu->listOffsetY = 22;
    auto* button = new BWButton(CRect(320, 19, 336, 34), &scene.listener, 320, scene.frame, nullptr, 0, 9);
    scene.frame->addView(button);
    button->setExtraPointer(static_cast<BWOptionMenuBase*>(menu));
    menu->extraCallBack = button;
    scene.windows.press(scene.window(), 325, 25);
    scene.windows.release(scene.window(), 325, 25);
    EXPECT_TRUE(menu->isListOpen());
    EXPECT_EQ(menu->getListRect().getTopLeft(), CPoint(320, 41)) << "at the button, below it by the offset";
    EXPECT_EQ(button->getValue(), 1.0f);
    EXPECT_EQ(scene.takeLog(), CallLog{}) << "the release outside the list picks nothing";
    const int32_t rowB = 41 + 4 + 2 * 15 + 7;
    scene.windows.press(scene.window(), 340, rowB);
    scene.windows.release(scene.window(), 340, rowB);
    EXPECT_FALSE(menu->isListOpen());
    EXPECT_EQ(button->getValue(), 0.0f);
    EXPECT_EQ(scene.takeLog(), CallLog{"valueChanged(395,2)"});
}

// The scroll bar's thumb: its height from the size, its offset from the
// position, and drags that clamp and report only changes.
TEST(BWScrollbarY, ThumbFollowsSizeAndPositionAndDragsClamp) {
    float size = 0.0f, position = 0.0f;
    CallLog log;
    toolkit_test::RecordingListener listener(log);
    BWScrollbarY bar(CRect(0, 0, 11, 104), &listener, 0, nullptr, &size, &position);
    const struct {
        float size, position;
        int32_t height, offset;
    } cases[] = {{0, 0, 100, 0}, {1, 0, 5, 0}, {0.5f, 0.5f, 52, 24}, {1, 1, 5, 95}, {2, -1, 5, 0}};
    for (const auto& c : cases) {
        size = c.size;
        position = c.position;
        EXPECT_EQ(bar.thumbHeight(100), c.height) << c.size;
        EXPECT_EQ(bar.thumbOffset(100), c.offset) << c.size << " " << c.position;
    }
    auto drawnThumb = [&] {
        COffscreenContext c(nullptr, 20, 120, colourWhite);
        bar.draw(&c);
        return std::make_pair(bar.getThumbTop(), bar.getThumbBottom());
    };
    size = 0.5f;
    position = 0.5f;
    EXPECT_EQ(drawnThumb(), std::make_pair(26, 78)) << "drawn inside the frame lines: h - 4";

    CPoint p(5, 50);
    EXPECT_EQ(bar.onMouseMoved(p, kLButton, 0), kMouseEventNotHandled) << "no press";
    bar.onMouseDown(p, kLButton, 0);
    const struct {
        int32_t y;
        float position;
        size_t reports;
    } drags[] = {{74, 1.0f, 1}, {200, 1.0f, 0}, {0, 0.0f, 1}, {-50, 0.0f, 0}, {-26, 0.5f, 1}};
    for (const auto& d : drags) {
        log.clear();
        CPoint at(5, d.y);
        bar.onMouseMoved(at, kLButton, 0);
        EXPECT_FLOAT_EQ(position, d.position) << d.y;
        EXPECT_EQ(log.size(), d.reports) << d.y;
    }
    size = 0.0f;
    log.clear();
    CPoint far(5, 90);
    bar.onMouseMoved(far, kLButton, 0);
    EXPECT_TRUE(log.empty()) << "a thumb as tall as the track does not move";
    bar.onMouseUp(far, 0, 0);
    EXPECT_FALSE(bar.isDragging());
}

}  // namespace
}  // namespace widget_test
