// Buttons: what each mode does on press and release, the strip frame for
// state, press and hover, the flash, menus that light the button, and a
// bound value beyond the strip.

#include <gtest/gtest.h>

#include "RecordingMenu.h"
#include "WidgetScene.h"
#include "widgets/BWButton.h"

namespace widget_test {
namespace {

struct Step {
    enum Kind { Press, Release, Move } kind;
    CButtonState buttons;
};

// One script per mode: the values after each step and the listener's log.
TEST(BWButton, ModesActOnPressAndRelease) {
    const Step L{Step::Press, kLButton}, R{Step::Press, kRButton}, U{Step::Release, 0}, M{Step::Move, 0};
    const Step D{Step::Press, kLButton | kDoubleClick};
    const struct {
        const char* name;
        int32_t mode, states;
        std::vector<Step> script;
        std::vector<float> values;
        CallLog log;
    } cases[] = {
        {"momentary", 0, 2, {L, U}, {1, 0},
         {"beginEdit(9)", "valueChanged(9,1)", "endEdit(9)", "beginEdit(9)", "valueChanged(9,0)", "endEdit(9)"}},
        {"three states", 1, 3, {L, U, L, U, L, U, L}, {1, 1, 2, 2, 0, 0, 1}, {}},
        {"right press of a multi-state returns to 0", 1, 3, {L, U, {Step::Press, kLButton | kRButton}}, {1, 1, 0}, {}},
        {"on", 2, 2, {L, U, L}, {1, 1, 1}, {}},
        {"toggle right then again", 7, 2, {R, U, R}, {2, 2, 0},
         {"beginEdit(9)", "valueChanged(9,2)", "endEdit(9)", "beginEdit(9)", "valueChanged(9,0)", "endEdit(9)"}},
        {"toggle left", 7, 2, {L, U, L}, {1, 1, 0}, {}},
        {"acts on release", 6, 2, {L, U}, {1, 0}, {"beginEdit(9)", "valueChanged(9,0)", "endEdit(9)"}},
        {"mode 5 reports again on a move with no button", 5, 2, {L, M, U}, {1, 1, 0},
         {"beginEdit(9)", "valueChanged(9,1)", "endEdit(9)", "beginEdit(9)", "valueChanged(9,1)", "endEdit(9)",
          "beginEdit(9)", "valueChanged(9,0)", "endEdit(9)"}},
        {"steps on release", 8, 3, {L, U, L, U, L, U}, {0, 1, 1, 2, 2, 0}, {}},
        {"command button", 10, 2, {L, R, D}, {1, 2, 3},
         {"beginEdit(9)", "valueChanged(9,1)", "endEdit(9)", "beginEdit(9)", "valueChanged(9,2)", "endEdit(9)",
          "beginEdit(9)", "valueChanged(9,3)", "endEdit(9)"}},
        {"a right press does nothing in other modes", 2, 2, {R}, {0}, {}},
    };
    for (const auto& c : cases) {
        WidgetScene scene;
        auto* button = scene.add(new BWButton(CRect(0, 0, 20, 20), &scene.listener, 9, scene.frame, nullptr, 0, c.mode));
        button->stateCount = c.states;
        std::vector<float> values;
        CPoint p(10, 10);
        for (const Step& s : c.script) {
            if (s.kind == Step::Press) button->onMouseDown(p, s.buttons, 0);
            if (s.kind == Step::Release) button->onMouseUp(p, s.buttons, 0);
            if (s.kind == Step::Move) button->onMouseMoved(p, s.buttons, 0);
            values.push_back(button->getValue());
        }
        EXPECT_EQ(values, c.values) << c.name;
        if (!c.log.empty()) {
            EXPECT_EQ(scene.log, c.log) << c.name;
        }
    }
}

TEST(BWButton, StripFramesFollowStatePressAndHover) {
    CBitmap* strip = numberedStrip(20, 32, 4);
    BWButton button(CRect(0, 0, 20, 32), nullptr, 1, nullptr, nullptr, 0, 2);
    button.setBackground(strip);
    button.frameFlags = BWButton::kHoverFrame;
    CPoint p(5, 5);
    const struct {
        float value;
        bool hovered;
        int32_t frame;
    } cases[] = {{0, false, 0}, {0, true, 1}, {1, false, 2}, {1, true, 3}, {1e9f, false, 3}, {-5, false, 0}};
    for (const auto& c : cases) {
        button.setValue(c.value);
        c.hovered ? button.onMouseEntered(p, 0) : button.onMouseExited(p, 0);
        EXPECT_EQ(frameAt(*drawn(button), 5, 5) * 32, c.frame * 32) << c.value << (c.hovered ? " hovered" : "");
    }
    const struct {
        int32_t flags;
        bool pressed, hovered;
        float value;
        int32_t frame;
    } indices[] = {{BWButton::kPressedFrame, true, false, 1, 3},       {BWButton::kPressedFrame | BWButton::kHoverFrame, false, true, 1, 5},
                   {BWButton::kPressHoverOnly, true, true, 1, 1},      {BWButton::kPressHoverOnly, false, true, 0, 2},
                   {BWButton::kOnHoverOnly, false, true, 1, 1},        {BWButton::kOnHoverOnly, false, true, 0, 2}};
    for (const auto& c : indices) {
        BWButton b(CRect(0, 0, 20, 32), nullptr, 1, nullptr, nullptr, 0, 2);
        b.frameFlags = c.flags;
        b.setValue(c.value);
        if (c.hovered) b.onMouseEntered(p, 0);
        if (c.pressed) b.onMouseDown(p, kLButton, 0);
        EXPECT_EQ(b.stripFrameIndex(static_cast<int32_t>(b.getValue())), c.frame) << "flags " << c.flags;
    }
    strip->forget();
}

TEST(BWButton, FlashDrawsTheOnFrameTwiceThenTheResting) {
    CBitmap* strip = numberedStrip(20, 20, 2);
    BWButton button(CRect(0, 0, 20, 20), nullptr, 1, nullptr, nullptr, 0, 3);
    button.setBackground(strip);
    button.flashCount = 1;
    CPoint p(5, 5);
    button.onMouseDown(p, kLButton, 0);
    std::vector<int32_t> frames;
    for (int i = 0; i < 3; ++i) frames.push_back(frameAt(*drawn(button), 5, 5));
    EXPECT_EQ(frames, (std::vector<int32_t>{1, 1, 0}));
    EXPECT_FLOAT_EQ(button.getValue(), 0.33f);
    strip->forget();
}

TEST(BWButton, MenusOpenOnTheRightClickAndLightTheButton) {
    WidgetScene scene;
    RecordingMenu menu(scene.log);
    auto* button = scene.add(new BWButton(CRect(30, 40, 50, 60), &scene.listener, 12, scene.frame, "A", 0, 0));
    button->setExtraPointer(static_cast<BWOptionMenuBase*>(&menu));
    CPoint p(35, 45);
    EXPECT_EQ(button->onMouseDown(p, kRButton, 0), kMouseHandledNoMoves);
    EXPECT_EQ(menu.getViewSize(), CRect(35, 45, 95, 85)) << "moved to the pointer, same size";
    button->menuOpened();
    EXPECT_EQ(button->getValue(), 1.0f);
    button->menuClosed();
    EXPECT_EQ(button->getValue(), 0.0f);
    button->mode = 9;
    EXPECT_EQ(button->onMouseDown(p, kLButton, 0), kMouseEventNotHandled);
    EXPECT_EQ(scene.takeLog(), (CallLog{"menu.int2(0)", "menu.int1(12)", "menu.popup(2,35,45,12,30,40,50,60,false)",
                                        "menu.openList(30,40,false)"}));
    EXPECT_TRUE(button->isTypeOf("BWBUTTON"));

    // A bound value that changes marks the button dirty; drawing takes it.
    float bound = 0.0f;
    button->boundValue = &bound;
    button->setDirty(false);
    bound = 1.0f;
    scene.idle();
    EXPECT_TRUE(scene.log.empty());
    drawn(*button);
    EXPECT_EQ(button->getValue(), 1.0f);
}

}  // namespace
}  // namespace widget_test
