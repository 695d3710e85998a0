// Widget containers: close modes, children placed by offsets (or keeping
// their own rectangle) and moved with the container, one pressed child per
// pointer, keys offered in order, hover from the idle, drawing through an
// off-screen buffer, and the container as the frame's overlay.

#include <gtest/gtest.h>

#include "WidgetScene.h"
#include "widgets/BWViewContainer.h"

namespace widget_test {
namespace {

using VC = BWViewContainer;

// A view that logs presses, hover and keys, and answers keys with `key`.
class Probe : public toolkit_test::ProbeView {
public:
    using ProbeView::ProbeView;
    int32_t onMouseEntered(CPoint&, const CButtonState&) override { return note("entered"); }
    int32_t onMouseExited(CPoint&, const CButtonState&) override { return note("exited"); }
    int32_t onKeyDown(VstKeyCode&) override {
        note("key");
        return key;
    }
    int32_t key = -1;

private:
    int32_t note(const char* what) {
        log.push_back(name + "." + what);
        return 1;
    }
};

struct ContainerScene : WidgetScene {
    ContainerScene() : WidgetScene(400, 300) {
        container = new VC(CRect(100, 100, 200, 160), &listener, 5, frame);
        container->addView(one = new Probe(log, "one", CRect(0, 0, 30, 20)), 10, 5);
        container->addView(two = new Probe(log, "two", CRect(40, 40, 70, 60)), VC::kNoPosition, 0);
        frame->addView(container);
    }
    bool closed() const { return !container->isVisible() && frame->getOverlay() != container && !frame->isChild(container); }
    VC* container;
    Probe* one;
    Probe* two;
};

TEST(BWViewContainer, CloseModesDecideOnAPressThatNoChildTakes) {
    const struct {
        int32_t mode;
        CPoint where;
        int32_t result;
        bool closes;
    } cases[] = {{3, {190, 150}, 3, true},  {3, {300, 250}, 2, false}, {2, {190, 150}, 2, false},
                 {2, {300, 250}, 3, true},  {5, {190, 150}, 3, true},  {4, {300, 250}, 3, true},
                 {0, {300, 250}, 2, false}, {3, {115, 110}, 1, false}};
    for (const auto& c : cases) {
        ContainerScene s;
        CPoint at(100, 100);
        s.container->activate(c.mode, &at, 0);
        EXPECT_EQ(s.frame->getOverlay(), s.container);
        CPoint where = c.where;
        EXPECT_EQ(s.container->onMouseDown(where, kLButton, 0), c.result) << "mode " << c.mode;
        EXPECT_EQ(s.closed(), c.closes) << "mode " << c.mode << " at " << c.where.x;
    }
}

TEST(BWViewContainer, ChildrenKeepTheirOffsetsAndTheirOwnPresses) {
    ContainerScene s;
    EXPECT_EQ(s.one->getViewSize(), CRect(110, 105, 140, 125));
    EXPECT_EQ(s.two->getViewSize(), CRect(40, 40, 70, 60)) << "x = -10000 keeps the child's rectangle";
    CRect moved(150, 120, 250, 180);
    s.container->setViewSizeWithMargins(moved);
    EXPECT_EQ(s.one->getViewSize(), CRect(160, 125, 190, 145));
    EXPECT_EQ(s.two->getViewSize(), CRect(150, 120, 180, 140)) << "its offsets are (0, 0)";
    EXPECT_EQ(s.container->getViewAt(CPoint(165, 130)), s.two) << "the last child is on top";

    CPoint a(185, 140), b(160, 125), a2(186, 141), b2(161, 126);
    s.one->secondPress = false;
    EXPECT_EQ(s.container->onMouseDown(a, kLButton, 0), kMouseEventHandled);
    EXPECT_EQ(s.container->onMouseDown(b, kLButton, 1), kMouseEventHandled);
    EXPECT_EQ(s.container->getPressedChild(0), s.one);
    EXPECT_EQ(s.container->getPressedChild(1), s.two);
    s.container->onMouseMoved(a2, kLButton, 0);
    s.container->onMouseMoved(b2, kLButton, 1);
    s.container->onMouseUp(a2, 0, 0);
    EXPECT_FALSE(s.container->getPressedChild(0));
    EXPECT_EQ(s.container->getPressedChild(1), s.two);
    EXPECT_EQ(s.takeLog(), (CallLog{"one.down(185,140,2,0)", "two.down(160,125,2,1)", "one.moved(186,141,2,0)",
                                    "two.moved(161,126,2,1)", "one.up(186,141,0,0)"}));

    VstKeyCode code{};
    s.one->key = 7;
    EXPECT_EQ(s.container->onKeyDown(code), 7);
    EXPECT_EQ(s.takeLog(), CallLog{"one.key"}) << "the first child that answers ends the round";
    s.one->key = -1;
    EXPECT_EQ(s.container->onKeyDown(code), -1);
    EXPECT_EQ(s.takeLog(), (CallLog{"one.key", "two.key"}));
}

TEST(BWViewContainer, HoverDrawingAndTheFramesOverlay) {
    ContainerScene s;
    const platform::WindowId window = s.frame->getWindow();
    s.windows.move(window, 120, 110);
    s.idle();
    EXPECT_EQ(s.takeLog(), CallLog{"one.entered"}) << "told once, by the frame's own tracking";
    s.container->addView(new Probe(s.log, "three", CRect(0, 0, 20, 20)), 15, 5);
    s.idle();
    s.windows.move(window, 10, 10);
    s.idle();
    EXPECT_EQ(s.takeLog(), (CallLog{"three.entered", "one.exited", "three.exited"}))
        << "a child that came under the resting pointer hears it from the container's idle";

    s.container->styleFlags = VC::kFillStyle | VC::kShadow;
    s.container->fillColour = CColor{10, 200, 30, 255};
    auto direct = drawn(*s.container, 400, 300);
    s.container->useOffscreen(true);
    auto buffered = drawn(*s.container, 400, 300);
    for (const CPoint p : {CPoint(101, 101), CPoint(199, 159), CPoint(202, 165), CPoint(99, 99)})
        EXPECT_EQ(buffered->getPixel(p.x, p.y), direct->getPixel(p.x, p.y)) << p.x << "," << p.y;
    EXPECT_EQ(direct->getPixel(150, 150) & 0xFFFFFF, 0x0AC81Eu);

    // As the frame's overlay: mode 9 closes on a press outside and passes it
    // on; mode 7 lets it through and stays.
    CPoint at(100, 100);
    s.container->activate(7, &at, 0);
    s.windows.press(window, 300, 250);
    s.windows.release(window, 300, 250);
    EXPECT_FALSE(s.closed());
    s.container->activate(9, &at, 0);
    s.windows.press(window, 300, 250);
    s.windows.release(window, 300, 250);
    EXPECT_TRUE(s.closed());
    at = CPoint(350, 280);
    s.container->activate(3, &at, 0);
    EXPECT_EQ(s.container->getViewSize(), CRect(300, 240, 400, 300)) << "kept inside the frame";
    s.windows.press(window, 390, 290);
    EXPECT_TRUE(s.closed()) << "mode 3: a press inside that no child takes";
}

}  // namespace
}  // namespace widget_test
