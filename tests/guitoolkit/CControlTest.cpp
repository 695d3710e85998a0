#include "guitoolkit/CControl.h"

#include <gtest/gtest.h>

#include "support/ToolkitDoubles.h"

using namespace VSTGUI;
using namespace toolkit_test;

TEST(CControlTest, DirtyRuleFollowsTheLastDrawnValue) {
    ProbeControl control(CRect(0, 0, 10, 10), nullptr, 0);
    EXPECT_EQ(control.getOldValue(), -1.0f);
    EXPECT_TRUE(control.isDirty());
    control.setDirty(false);
    EXPECT_FALSE(control.isDirty());
    control.setValue(0.25f);  // a changed value alone makes it dirty
    EXPECT_TRUE(control.isDirty());
    control.setDirty(false);
    control.setValue(-1.0f);
    control.setDirty(true);
    EXPECT_EQ(control.getOldValue(), 0.0f);
    control.setDirty(false);
    EXPECT_EQ(control.getOldValue(), -1.0f);
    EXPECT_FALSE(control.isDirty());

    struct BounceCase {
        float value, bounced;
    };
    for (const BounceCase& c : {BounceCase{1.2f, 1.0f}, BounceCase{-0.1f, 0.0f}, BounceCase{0.5f, 0.5f}}) {
        control.setValue(c.value);
        control.bounceValue();
        EXPECT_EQ(control.getValue(), c.bounced);
    }
}

TEST(CControlTest, ControlClickResetsToTheDefaultAsOneEdit) {
    CallLog log;
    RecordingListener listener(log);
    FakeEditor editor(log);
    FakeFrame frame(CRect(0, 0, 100, 100), &editor);
    auto* control = new ProbeControl(CRect(0, 0, 10, 10), &listener, 40);
    frame.addView(control);
    control->setDefaultValue(0.75f);
    struct ResetCase {
        float value;
        CButtonState buttons;
        bool resets;
        CallLog calls;
    };
    const ResetCase cases[] = {
        {0.2f, kControl | kLButton, true,
         {"beginEdit(40)", "editor.beginEdit(40)", "valueChanged(40,0.75)", "editor.endEdit(40)", "endEdit(40)"}},
        {0.75f, kControl | kLButton, true,  // already there: no change reported
         {"beginEdit(40)", "editor.beginEdit(40)", "editor.endEdit(40)", "endEdit(40)"}},
        {0.2f, kControl | kLButton | kDoubleClick, false, {}},
        {0.2f, kControl | kLButton | kShift, false, {}},
        {0.2f, kLButton, false, {}},
    };
    for (const ResetCase& c : cases) {
        log.clear();
        control->setValue(c.value);
        control->setDirty(false);
        EXPECT_EQ(control->checkDefaultValue(c.buttons), c.resets) << c.buttons;
        EXPECT_EQ(control->getValue(), c.resets ? 0.75f : c.value);
        EXPECT_EQ(log, c.calls) << c.buttons;
    }
    EXPECT_EQ(frame.getFocusView(), control);

    ProbeControl alone(CRect(0, 0, 1, 1), nullptr, 1);  // no listener, no frame: nothing to tell
    alone.beginEdit();
    alone.endEdit();
    EXPECT_TRUE(alone.checkDefaultValue(kControl | kLButton));
    EXPECT_EQ(alone.getValue(), 0.5f);
}
