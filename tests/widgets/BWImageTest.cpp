// Images, level meters, mouse areas and view groups: sprites that follow
// core offsets (and the repaints that takes), meter frames with a falling
// peak, pointer readings, and group placement.

#include <gtest/gtest.h>

#include "WidgetScene.h"
#include "widgets/BWImage.h"
#include "widgets/BWMouseArea.h"
#include "widgets/ViewGroup.h"

namespace widget_test {
namespace {

class Observer : public CBaseObject {
public:
    int32_t notify(CBaseObject*, const char* message) override {
        if (message == kMsgMouseDown) ++presses;
        return 0;
    }
    int presses = 0;
};

TEST(BWImage, FollowsOffsetsAndRepaintsBothPlaces) {
    WidgetScene scene;
    CBitmap* strip = numberedStrip(20, 10, 3);
    auto* image = scene.add(new BWImage(CRect(40, 30, 60, 40), nullptr, 1, scene.frame, strip, nullptr));
    float x = 0.0f, yOffset = 10.0f;
    image->xSource = &x;
    image->yOffsetSource = &yOffset;
    scene.idle();
    EXPECT_EQ(frameAt(*drawn(*image), 45, 35), 1) << "the source offset picks the second band";
    scene.windows.paint(scene.frame->getWindow());

    x = 10.0f;
    image->idle(0);
    EXPECT_EQ(image->getViewSize(), CRect(50, 30, 70, 40));
    EXPECT_EQ(scene.windows.pendingUpdate(scene.frame->getWindow()), (platform::WindowRect{39, 29, 71, 41}))
        << "old and new places, grown by one";
    yOffset = -1.0f;
    image->idle(0);
    EXPECT_EQ(frameAt(*drawn(*image), 55, 35), -1) << "a negative offset hides the image";

    image->frozen = true;
    x = 30.0f;
    image->idle(0);
    EXPECT_EQ(image->getViewSize().left, 50) << "a frozen image stays";

    Observer observer;
    image->observer = &observer;
    CPoint inside(55, 35);
    EXPECT_FALSE(image->hitTest(inside, kLButton));
    EXPECT_EQ(image->onMouseDown(inside, kLButton, 0), kMouseEventNotHandled);
    image->clickable = true;
    EXPECT_EQ(image->onMouseDown(inside, kLButton, 0), kMouseEventHandled);
    EXPECT_EQ(observer.presses, 1);
    strip->forget();
}

// Levels are square-rooted: 0.25 shows half the strip; the peak falls by
// 0.055 an idle once the level is gone; nothing reads past the strip.
TEST(BWLevelMeterPic, FramesAndFallingPeak) {
    const struct {
        int32_t frames;
        float level;
        int32_t frame;
    } cases[] = {{20, 0.25f, 10}, {17, 0.25f, 8}, {17, 4.0f, 16}, {17, 1e30f, 16}, {17, 0.0f, 0}, {17, -1.0f, 0}};
    for (const auto& c : cases) {
        float level = c.level;
        CBitmap* strip = numberedStrip(36, 55, c.frames);
        BWLevelMeterPic meter(CRect(0, 0, 36, 55), nullptr, 197, nullptr, strip, c.frames, &level);
        meter.idle(0);
        EXPECT_EQ(meter.getLastFrame(), c.frame) << c.level;
        EXPECT_EQ(frameAt(*drawn(meter), 10, 10), c.frame);
        EXPECT_EQ(meter.getStripOffset().y, c.frame * 55);
        strip->forget();
    }
    float level = 0.25f;
    BWLevelMeterPic meter(CRect(0, 0, 36, 55), nullptr, 197, nullptr, nullptr, 20, &level);
    meter.idle(0);
    EXPECT_EQ(level, 0.0f) << "the meter takes the level and clears it";
    std::vector<int32_t> frames;
    for (int i = 0; i < 4; ++i) {
        meter.idle(0);
        frames.push_back(meter.getLastFrame());
    }
    EXPECT_EQ(frames, (std::vector<int32_t>{8, 7, 6, 5}));  // 0.445, 0.39, 0.335, 0.28 x 20
    EXPECT_NEAR(meter.getPeak(), 0.5f - 4 * 0.055f, 1e-6);
}

// The meter repaints when the frame it shows moves, not while a falling
// peak stays inside one frame: at 4 frames the peak 0.5 shows frame 2, then
// 0.445 to 0.28 frame 1, then 0.225 frame 0.
TEST(BWLevelMeterPic, RepaintsOnlyWhenItsFrameMoves) {
    float level = 0.25f;
    CBitmap* strip = numberedStrip(36, 55, 4);
    BWLevelMeterPic meter(CRect(0, 0, 36, 55), nullptr, 197, nullptr, strip, 4, &level);
    std::vector<int32_t> frames;
    std::vector<bool> repaints;
    for (int i = 0; i < 6; ++i) {
        meter.idle(0);
        frames.push_back(meter.getLastFrame());
        repaints.push_back(meter.isDirty());
        EXPECT_EQ(frameAt(*drawn(meter), 10, 10), meter.getLastFrame());
    }
    EXPECT_EQ(frames, (std::vector<int32_t>{2, 1, 1, 1, 1, 0}));
    EXPECT_EQ(repaints, (std::vector<bool>{true, true, false, false, false, true}));
    strip->forget();
}

TEST(BWMouseArea, ReadingsClampsWheelAndClosedEdits) {
    WidgetScene scene;
    auto* area = scene.add(new BWMouseArea(CRect(0, 0, 100, 50), &scene.listener, 78, scene.frame));
    CPoint edge(100, 25), beyond(120, 25);
    EXPECT_EQ(area->onMouseDown(edge, kLButton | kShift, 0), kMouseEventHandled);
    EXPECT_EQ(area->x, 1.0f);
    EXPECT_EQ(area->shiftKey, 1.0f);
    area->clampPosition = false;
    area->onMouseMoved(beyond, kLButton, 0);
    EXPECT_FLOAT_EQ(area->x, 1.2f);
    area->clampPosition = true;
    area->onMouseMoved(beyond, kLButton, 0);
    EXPECT_EQ(area->x, 1.0f);
    area->onMouseUp(beyond, 0, 0);
    EXPECT_EQ(area->leftButton, 0.0f);
    EXPECT_EQ(scene.takeLog(), (CallLog{"beginEdit(78)", "valueChanged(78,1)", "valueChanged(78,1.2)",
                                        "valueChanged(78,1)", "valueChanged(78,1)", "endEdit(78)"}));

    class WheelLog : public CControlListener {
    public:
        void valueChanged(CControl* c) override { wheels.push_back(static_cast<BWMouseArea*>(c)->wheel); }
        std::vector<float> wheels;
    } wheelLog;
    area->setListener(&wheelLog);
    CPoint middle(50, 25);
    EXPECT_TRUE(area->onWheel(middle, -1.0f, 0));
    EXPECT_EQ(wheelLog.wheels, std::vector<float>{-1.0f});
    EXPECT_EQ(area->wheel, 0.0f);
    area->wheelEnabled = false;
    EXPECT_FALSE(area->onWheel(middle, 1.0f, 0));

    area->setListener(&scene.listener);
    area->onMouseDown(middle, kLButton, 0);
    area->onMouseCancel(0);
    EXPECT_EQ(scene.takeLog(), (CallLog{"beginEdit(78)", "valueChanged(78,0.5)", "valueChanged(78,0.5)", "endEdit(78)"}))
        << "a cancelled press closes its edit";
    EXPECT_FALSE(area->isPressed());
}

TEST(ViewGroup, PlacesMembersByScaledOffsetAndSetsVisibility) {
    BWControl a(CRect(10, 20, 30, 30), nullptr, 1, nullptr), b(CRect(0, 0, 5, 5), nullptr, 2, nullptr);
    ViewGroup group;
    group.scaleX = 10.0f;
    group.scaleY = 4.0f;
    group.members = {{&a, 10, 20}, {&b, 100, 0}};
    group.setPosition(0.5f, 0.0f, 1.0f);
    EXPECT_EQ(a.getViewSize(), CRect(15, 20, 35, 30));
    EXPECT_EQ(b.getViewSize(), CRect(105, 0, 110, 5));
    EXPECT_EQ(a.getMouseableArea(), CRect(15, 20, 35, 30)) << "the area moves along";
    group.setPosition(0.5f, 0.0f, 0.0f);
    EXPECT_FALSE(a.isVisible());
    a.setViewSize(CRect(0, 0, 20, 10));
    group.setPosition(0.5f, 0.0f, -1.0f);
    EXPECT_EQ(a.getViewSize(), CRect(0, 0, 20, 10)) << "the same offset moves nothing";
    nudgeViewGroup(group);
    EXPECT_EQ(a.getViewSize(), CRect(15, 20, 35, 30)) << "a nudge places everyone again";
    EXPECT_FALSE(a.isVisible());
    group.setPosition(-0.25f, 1.9f, 1.0f);
    EXPECT_EQ(a.getViewSize(), CRect(8, 27, 28, 37)) << "truncated toward zero";
    EXPECT_TRUE(b.isVisible());
}

}  // namespace
}  // namespace widget_test
