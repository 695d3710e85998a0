#include "guitoolkit/CViewContainer.h"

#include <gtest/gtest.h>

#include "support/ToolkitDoubles.h"
#include "guitoolkit/CDragContainer.h"
#include "guitoolkit/COffscreenContext.h"

using namespace VSTGUI;
using namespace toolkit_test;

namespace {

// A frame with one container at (100, 100) holding two overlapping probes:
// "back" at (0, 0, 50, 50) and "front" at (20, 20, 70, 70).
class DispatchTest : public ::testing::Test {
protected:
    DispatchTest() {
        frame.addView(container);
        container->addView(back);
        container->addView(front);
    }
    int32_t press(int32_t x, int32_t y, CButtonState buttons, int32_t index = 0) {
        CPoint where(x, y);
        return container->onMouseDown(where, buttons, index);
    }

    CallLog log;
    FakeFrame frame{CRect(0, 0, 400, 400)};
    CViewContainer* container = new CViewContainer(CRect(100, 100, 300, 300));
    ProbeView* back = new ProbeView(log, "back", CRect(0, 0, 50, 50));
    ProbeView* front = new ProbeView(log, "front", CRect(20, 20, 70, 70));
};

}  // namespace

TEST_F(DispatchTest, PressGoesToTheFrontMostChildOnlyAndIsKeptPerPointer) {
    front->answer = kMouseEventNotHandled;
    EXPECT_EQ(press(130, 130, kLButton), kMouseEventNotHandled);
    EXPECT_EQ(log, (CallLog{"front.down(30,30,2,0)"}));  // the one behind is not tried
    EXPECT_EQ(container->getPressedView(0), nullptr);

    log.clear();
    front->answer = kMouseEventHandled;
    EXPECT_EQ(press(130, 130, kLButton, 0), kMouseEventHandled);
    EXPECT_EQ(container->getPressedView(0), front);
    // A second pointer on the pressed child reaches the child behind it...
    EXPECT_EQ(press(130, 130, kLButton, 1), kMouseEventHandled);
    EXPECT_EQ(container->getPressedView(1), back);
    // ...unless the press is the right button alone.
    container->onMouseCancel(1);
    press(130, 130, kRButton, 1);
    EXPECT_EQ(container->getPressedView(1), front);
    EXPECT_EQ(log, (CallLog{"front.down(30,30,2,0)", "back.down(30,30,2,1)", "front.down(30,30,8,1)"}));

    // Moves reach only the pressed view; one that stops answering 1 is dropped.
    log.clear();
    CPoint where(140, 150);
    EXPECT_EQ(container->onMouseMoved(where, kLButton, 0), kMouseEventHandled);
    front->answer = kMouseHandledNoMoves;
    EXPECT_EQ(container->onMouseMoved(where, kLButton, 0), kMouseEventNotHandled);
    EXPECT_EQ(container->getPressedView(0), nullptr);
    EXPECT_EQ(container->onMouseMoved(where, kLButton, 0), kMouseEventNotHandled);
    EXPECT_EQ(container->onMouseUp(where, 0, 0), kMouseEventNotHandled);
    EXPECT_EQ(container->onMouseUp(where, 0, 1), kMouseEventHandled);
    EXPECT_EQ(log, (CallLog{"front.moved(40,50,2,0)", "front.moved(40,50,2,0)", "front.up(40,50,0,1)"}));
}

TEST_F(DispatchTest, RemovingThePressedOrDragViewClearsItFirst) {
    press(130, 130, kLButton, 0);
    press(130, 130, kLButton, 1);
    ASSERT_EQ(container->getPressedView(1), back);
    struct NoItems : CDragContainer {
        void* first(int32_t&, int32_t&) override { return nullptr; }
        void* next(int32_t&, int32_t&) override { return nullptr; }
        int32_t getCount() const override { return 0; }
    } drag;
    container->onDragEnter(&drag, CPoint(110, 110));
    ASSERT_EQ(container->getDragView(), back);

    EXPECT_TRUE(container->removeView(back, true));
    EXPECT_TRUE(container->removeView(front, true));
    back = front = nullptr;  // destroyed with the removal: no events may reach them
    log.clear();
    CPoint where(130, 130);
    EXPECT_EQ(container->onMouseMoved(where, kLButton, 0), kMouseEventNotHandled);
    EXPECT_EQ(container->onMouseUp(where, 0, 1), kMouseEventNotHandled);
    container->onDragMove(&drag, CPoint(110, 110));
    EXPECT_EQ(container->getDragView(), nullptr);
    EXPECT_TRUE(log.empty());
}

TEST(CViewContainerTest, ModifierClicksReachTheListenerFirst) {
    CallLog log;
    RecordingListener listener(log);
    FakeFrame frame(CRect(0, 0, 100, 100));
    auto* control = new ProbeControl(CRect(0, 0, 50, 50), &listener, 7);
    frame.addView(control);
    struct ClickCase {
        CButtonState buttons;
        int32_t consume;
        bool listenerAsked;
        bool controlPressed;
    };
    for (const ClickCase& c : {ClickCase{kLButton, 1, false, true}, ClickCase{kLButton | kDoubleClick, 1, false, true},
                               ClickCase{kLButton | kControl, 1, true, false}, ClickCase{kRButton, 0, true, true},
                               ClickCase{kLButton | kApple, 1, true, false}}) {
        log.clear();
        control->presses = 0;
        listener.consumeModifierClicks = c.consume;
        CPoint where(10, 10);
        EXPECT_EQ(frame.CViewContainer::onMouseDown(where, c.buttons, 0), kMouseEventHandled);
        EXPECT_EQ(!log.empty(), c.listenerAsked) << c.buttons;
        EXPECT_EQ(control->presses, c.controlPressed ? 1 : 0) << c.buttons;
        EXPECT_EQ(frame.getPressedView(0), c.controlPressed ? control : nullptr) << c.buttons;
        frame.onMouseCancel(0);
    }
}

TEST(CViewContainerTest, InvalidRectClipsToTheContainerAndRepaintsDirtyViewsAtIdle) {
    FakeFrame frame(CRect(0, 0, 400, 400));
    auto* container = new CViewContainer(CRect(100, 100, 200, 150));
    frame.addView(container);
    auto* child = new CView(CRect(10, 10, 20, 20));
    container->addView(child);
    frame.repaints.clear();

    struct ClipCase {
        CRect request;
        std::vector<CRect> repaints;
    };
    for (const ClipCase& c : {ClipCase{{-20, -5, 10, 10}, {{100, 100, 110, 110}}},
                              ClipCase{{90, 40, 300, 300}, {{190, 140, 200, 150}}},
                              ClipCase{{-20, -20, 0, 30}, {}},   // nothing left
                              ClipCase{{150, 0, 160, 10}, {}}}) {  // beyond the right edge
        frame.repaints.clear();
        container->invalidRect(c.request);
        EXPECT_EQ(frame.repaints, c.repaints) << describe(c.request);
    }

    frame.repaints.clear();
    child->setDirty(true);
    EXPECT_TRUE(container->isDirty());
    frame.idle();
    EXPECT_EQ(frame.repaints, (std::vector<CRect>{{110, 110, 120, 120}}));
    EXPECT_FALSE(child->isDirty());
    child->setViewSize(CRect(500, 500, 510, 510), true);  // dirty but outside the container
    EXPECT_FALSE(container->isDirty());
}

TEST(CViewContainerTest, AutosizeSplitsColumnsAndMovesAnchoredChildren) {
    CViewContainer column(CRect(0, 0, 30, 10));
    column.setAutosizeFlags(kAutosizeColumn);
    CView* cells[3];
    for (int i = 0; i < 3; ++i) {
        cells[i] = new CView(CRect(10 * i, 0, 10 * i + 10, 10));
        column.addView(cells[i]);  // the list takes the creator's reference too
    }
    column.setViewSize(CRect(0, 0, 40, 10));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(cells[i]->getViewSize(), CRect(10 * i + 3 * i, 0, 10 * i + 3 * i + 13, 10)) << i;
        EXPECT_EQ(cells[i]->getMouseableArea(), cells[i]->getViewSize());
    }

    CViewContainer panel(CRect(0, 0, 100, 100));
    struct AnchorCase {
        int32_t flags;
        CRect after;
    };
    const AnchorCase cases[] = {{0, {10, 10, 20, 20}},
                                {kAutosizeRight, {30, 10, 40, 20}},
                                {kAutosizeRight | kAutosizeLeft, {10, 10, 40, 20}},
                                {kAutosizeBottom | kAutosizeTop, {10, 10, 20, 15}}};
    std::vector<CView*> views;
    for (const AnchorCase& c : cases) {
        views.push_back(new CView(CRect(10, 10, 20, 20)));
        views.back()->setAutosizeFlags(c.flags);
        panel.addView(views.back());
    }
    panel.setViewSize(CRect(0, 0, 120, 95));
    for (size_t i = 0; i < views.size(); ++i) EXPECT_EQ(views[i]->getViewSize(), cases[i].after) << cases[i].flags;
}

TEST(CViewContainerTest, ListOrderReferencesAndFocusWalk) {
    FakeFrame frame(CRect(0, 0, 100, 100));
    auto make = [](int32_t left) { return new CView(CRect(left, 0, left + 10, 10)); };
    CView* a = make(0);
    CView* b = make(10);
    CView* c = make(20);
    CView* stranger = make(30);
    frame.addView(a);
    frame.addView(b);
    frame.addView(c, stranger);  // not a child: goes in front of the last child
    EXPECT_EQ(frame.getView(0), a);
    EXPECT_EQ(frame.getView(1), c);
    EXPECT_EQ(frame.getView(2), b);
    EXPECT_FALSE(frame.addView(a));  // already attached
    EXPECT_FALSE(frame.removeView(stranger));

    a->setWantsFocus(true);
    c->setWantsFocus(true);
    EXPECT_TRUE(frame.advanceNextFocusView(nullptr));
    EXPECT_EQ(frame.getFocusView(), a);
    EXPECT_TRUE(frame.advanceNextFocusView(a));
    EXPECT_EQ(frame.getFocusView(), c);
    EXPECT_FALSE(frame.advanceNextFocusView(c));
    EXPECT_TRUE(frame.advanceNextFocusView(c, true));
    EXPECT_EQ(frame.getFocusView(), a);

    EXPECT_EQ(a->getNbReference(), 2);
    a->remember();
    EXPECT_TRUE(frame.removeView(a, false));  // the creator's reference stays
    EXPECT_EQ(a->getNbReference(), 2);
    EXPECT_EQ(frame.getFocusView(), nullptr);
    EXPECT_TRUE(frame.removeView(c, true));  // list and creator: destroyed
    a->forget();
    a->forget();
    stranger->forget();
}

TEST(CViewContainerTest, BackgroundColourRuleAndOffscreenDrawing) {
    struct BackgroundCase {
        uint8_t alpha;
        bool transparent;
        bool fills;
    };
    for (const BackgroundCase& c : {BackgroundCase{255, true, false}, BackgroundCase{254, true, true},
                                    BackgroundCase{255, false, true}}) {
        COffscreenContext context(nullptr, 40, 40, colourWhite);
        CViewContainer container(CRect(10, 10, 30, 30));
        container.setBackgroundColor(CColor{0, 0, 200, c.alpha});
        container.setTransparency(c.transparent);
        container.useOffscreen(!c.transparent);
        container.draw(&context);
        EXPECT_EQ(context.getPixel(15, 15), c.fills ? 0xFF0000C8u : 0xFFFFFFFFu) << int(c.alpha);
        EXPECT_EQ(context.getPixel(9, 15), 0xFFFFFFFFu);
        EXPECT_EQ(context.getPixel(30, 30), 0xFFFFFFFFu);
        EXPECT_EQ(context.getOffset(), CPoint());
    }
}
