// Knobs: which strip frame a value draws (also far outside the strip), drags,
// wheel, resets, spring-back, the touch flag, the learn menu, and a bound
// value that moves the knob without a report but never under the user's hand.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "RecordingMenu.h"
#include "WidgetScene.h"
#include "widgets/BWKnob.h"

namespace widget_test {
namespace {

TEST(BWKnob, FrameOfTheStripFollowsTheValueAndStaysInsideIt) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        int32_t frames, height;
        bool fullScale;
        float value;
        int32_t frame;
    } cases[] = {{16, 10, true, 1.0f, 15},   {16, 10, true, 0.5f, 8},   {16, 10, false, 1.0f, 15},
                 {16, 10, false, 0.5f, 7},   {128, 43, false, 0.5f, 63}, {128, 43, true, 0.5f, 64},
                 {16, 10, false, 7.0f, 15},  {16, 10, true, 1e30f, 15}, {16, 10, false, nan, 0},
                 {16, 10, false, -3.0f, 0}};
    for (const auto& c : cases) {
        CBitmap* strip = numberedStrip(20, c.height, c.frames);
        BWKnob knob(CRect(0, 0, 20, c.height), nullptr, 1, nullptr, strip, c.height, c.frames, 1.0f);
        knob.fullFrameScale = c.fullScale;
        float bound = c.value;
        knob.boundValue = &bound;
        EXPECT_EQ(frameAt(*drawn(knob), 5, 2), c.frame) << c.frames << " frames at " << c.value;
        EXPECT_EQ(knob.frameIndex(knob.position()) * c.height, c.frame * c.height);
        strip->forget();
    }
}

// A second value shows as an overlay frame while it differs from the knob's
// own; the core's suppress float at 1.0 hides it; a value past the strip
// draws its last frame.
TEST(BWKnob, OverlayShowsASecondValueUnlessSuppressed) {
    WidgetScene scene;
    CBitmap* strip = numberedStrip(20, 10, 4);
    CBitmap* overlay = numberedStrip(20, 10, 8);
    auto* knob = scene.add(new BWKnob(CRect(0, 0, 20, 10), nullptr, 1, scene.frame, strip, 10, 4, 1.0f));
    knob->overlayBitmap = overlay;
    knob->orientation = BWKnob::kFilmstrip;
    knob->drawMode = BWKnob::kOpaque;
    float second = 1.0f, suppress = 0.0f;
    knob->overlayValue = &second;
    scene.frame->overlaySuppress = &suppress;
    knob->setValue(0.0f);
    EXPECT_EQ(frameAt(*drawn(*knob), 5, 5), 3) << "the overlay's frame (4 frames), drawn over the knob";
    second = 40.0f;
    EXPECT_EQ(frameAt(*drawn(*knob), 5, 5), 3) << "kept to the strip";
    suppress = 1.0f;
    EXPECT_EQ(frameAt(*drawn(*knob), 5, 5), 0) << "suppressed: the knob's own frame";
    suppress = 0.0f;
    second = -1.0f;
    EXPECT_EQ(frameAt(*drawn(*knob), 5, 5), 0) << "negative: no overlay";
    strip->forget();
    overlay->forget();
}

TEST(BWKnob, DragsWheelAndResetsReportAsTheUserExpects) {
    const struct {
        const char* name;
        int32_t axis;
        CButtonState modifiers;
        CPoint to;
        float expected;
    } drags[] = {{"100 px up", BWKnob::kDragVertical, 0, {20, -80}, 1.0f},
                 {"with Shift", BWKnob::kDragVertical, kShift, {20, -80}, 0.05f},
                 {"down clamps at 0", BWKnob::kDragVertical, 0, {20, 120}, 0.0f},
                 {"horizontal, right", BWKnob::kDragHorizontal, 0, {50, 20}, 0.3f},
                 {"both axes", BWKnob::kDragBoth, 0, {30, 10}, 0.2f},
                 {"no axis", 5, 0, {90, -80}, 0.0f}};
    for (const auto& d : drags) {
        WidgetScene scene;
        auto* knob = scene.add(new BWKnob(CRect(0, 0, 40, 40), &scene.listener, 7, scene.frame, nullptr, 40, 1, 1.0f));
        knob->dragAxis = d.axis;
        CPoint p(20, 20), q = d.to;
        ASSERT_EQ(knob->onMouseDown(p, kLButton | d.modifiers, 0), kMouseEventHandled);
        EXPECT_EQ(knob->onMouseMoved(q, kLButton | d.modifiers, 0), kMouseEventHandled);
        EXPECT_NEAR(knob->getValue(), d.expected, 1e-6) << d.name;
        knob->onMouseUp(q, 0, 0);
        const CallLog log = scene.takeLog();
        ASSERT_EQ(log.size(), 3u) << d.name;
        EXPECT_EQ(log.front(), "beginEdit(7)");
        EXPECT_EQ(log.back(), "endEdit(7)");
    }

    WidgetScene scene;
    auto* knob = scene.add(new BWKnob(CRect(0, 0, 40, 40), &scene.listener, 7, scene.frame, nullptr, 40, 1, 1.0f));
    knob->setDefaultValue(0.25f);
    knob->setValue(0.5f);
    CPoint p(20, 20);
    EXPECT_TRUE(knob->onWheel(p, 1.0f, 0));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5175f);
    EXPECT_TRUE(knob->onWheel(p, -1.0f, kShift));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.512f);
    EXPECT_EQ(scene.takeLog(), (CallLog{"beginEdit(7)", "valueChanged(7,0.5175)", "endEdit(7)", "beginEdit(7)",
                                        "valueChanged(7,0.512)", "endEdit(7)"}));
    EXPECT_EQ(knob->onMouseDown(p, kLButton | kControl, 0), kMouseHandledNoMoves);
    EXPECT_EQ(knob->onMouseDown(p, kLButton | kDoubleClick, 0), kMouseHandledNoMoves);
    EXPECT_EQ(scene.takeLog(), (CallLog{"beginEdit(7)", "valueChanged(7,0.25)", "endEdit(7)", "beginEdit(7)",
                                        "valueChanged(7,0.25)", "endEdit(7)"}));
    knob->positionMode = BWKnob::kAbsolute;
    knob->dragAxis = BWKnob::kDragHorizontal;
    CPoint quarter(10, 5);
    EXPECT_EQ(knob->onMouseDown(quarter, kLButton | kDoubleClick, 0), kMouseEventHandled)
        << "an absolute knob takes a double click as a press";
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    CPoint beyond(90, 5);
    knob->onMouseMoved(beyond, kLButton, 0);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    knob->onMouseUp(beyond, 0, 0);
    CPoint outside(100, 100);
    EXPECT_EQ(knob->onMouseDown(outside, kLButton, 0), kMouseEventNotHandled);
}

// The user's value stands while the knob is held; at release the bound value
// comes back at the next idle, without any report.
TEST(BWKnob, AHeldKnobKeepsTheUsersValueAndFollowsItsFloatAfterwards) {
    WidgetScene scene;
    auto* knob = scene.add(new BWKnob(CRect(0, 0, 40, 40), &scene.listener, 3, scene.frame, nullptr, 40, 1, 1.0f));
    float bound = 0.2f;
    knob->boundValue = &bound;
    scene.idle();
    EXPECT_FLOAT_EQ(knob->getValue(), 0.2f);
    CPoint p(20, 20), up(20, 0);
    knob->onMouseDown(p, kLButton, 0);
    knob->onMouseMoved(up, kLButton, 0);
    bound = 0.9f;
    scene.idle();
    EXPECT_FLOAT_EQ(knob->getValue(), 0.4f);
    knob->onMouseUp(up, 0, 0);
    scene.takeLog();
    scene.idle();
    EXPECT_FLOAT_EQ(knob->getValue(), 0.9f);
    EXPECT_TRUE(scene.log.empty()) << "values back are never echoed";
    bound = 0.6f;
    knob->boundMin = 0.5f;
    knob->boundMax = 1.0f;
    scene.idle();
    EXPECT_FLOAT_EQ(knob->getValue(), 0.2f) << "the bound range maps to 0..1";
}

TEST(BWKnob, SpringBackTouchFlagAndLearnMenu) {
    WidgetScene scene;
    auto* knob = scene.add(new BWKnob(CRect(0, 0, 40, 40), &scene.listener, 4, scene.frame, nullptr, 40, 1, 1.0f));
    knob->springBack = true;
    float touch = 0.0f;
    knob->touchFlag = &touch;
    CPoint p(20, 20), up(20, 0);
    knob->onMouseDown(p, kLButton, 0);
    EXPECT_EQ(touch, 1.0f);
    knob->onMouseMoved(up, kLButton, 0);
    knob->onMouseUp(up, 0, 0);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    EXPECT_EQ(scene.takeLog(), (CallLog{"valueChanged(4,0)", "beginEdit(4)", "valueChanged(4,0.2)",
                                        "valueChanged(4,0.5)", "endEdit(4)"}));
    EXPECT_EQ(touch, 1.0f) << "spring-back reports the middle instead of clearing the flag";
    EXPECT_FALSE(knob->onWheel(p, 1.0f, 0));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);

    knob->springBack = false;
    knob->touchHoldMs = 100;
    touch = 0.0f;
    scene.idle();
    knob->onWheel(p, 1.0f, 0);
    EXPECT_EQ(touch, 1.0f);
    scene.idle(100);
    EXPECT_EQ(touch, 1.0f) << "the clock must pass the deadline";
    scene.idle(1);
    EXPECT_EQ(touch, 0.0f);

    RecordingMenu menu(scene.log);
    CPoint right(12, 13);
    EXPECT_EQ(knob->onMouseDown(right, kRButton, 0), kMouseEventHandled) << "without a menu: an ordinary press";
    knob->onMouseUp(right, 0, 0);
    knob->setExtraPointer(static_cast<BWOptionMenuBase*>(&menu));
    knob->setExtraInt1(55);
    scene.takeLog();
    EXPECT_EQ(knob->onMouseDown(right, kRButton, 0), kMouseHandledNoMoves);
    knob->menuAtPointer = false;
    knob->setExtraInt1(-1);
    knob->onMouseDown(right, kApple, 0);
    EXPECT_EQ(scene.takeLog(), (CallLog{"menu.int1(55)", "menu.int2(0)", "menu.popup(2,12,13,55,0,0,40,40,true)",
                                        "menu.int1(4)", "menu.int2(0)", "menu.popup(2,none,4,0,0,40,40,true)"}));
}

}  // namespace
}  // namespace widget_test
