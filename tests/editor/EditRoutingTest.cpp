// Every widget edit reaches the plug-in object by its tag: host parameters
// as automation, internal ones as plain values, menus scaled from their
// entry index, commands only on their press or release.

#include <gtest/gtest.h>

#include <cmath>

#include "EditorScene.h"
#include "guitoolkit/CBitmap.h"
#include "widgets/BWKnob.h"
#include "widgets/BWMouseArea.h"

namespace editor_test {
namespace {

TEST(EditRouting, TagsBecomeAutomationParametersOrNothing) {
    const float kUntouched = std::nanf("");
    const struct {
        int32_t tag;
        float value;
        bool automated;  // reported to the host
        float sent;      // what the parameter holds afterwards
    } cases[] = {
        {40, 0.3f, true, 0.3f},         {87, 0.6f, false, 0.6f},
        {329, 2.0f, false, 0.12502f},   // index 2 of 16: 2 x (1/16 + 0.00001)
        {326, 6.0f, false, 6.0f * (0.125f + 0.00001f)},
        {8, 3.0f, true, 1.0f},          // 3 x 1/3 is 1.0 in float
        {79, 1.0f, true, 0.33334336f},  {221, 3.0f, false, 0.6f},
        {312, 1.0f, false, kUntouched},  // locating the instruments waits for the release
        {338, 1.0f, false, kUntouched},  // the learn menu's own tag is no parameter
        {kMidiExportTag, 0.0f, false, kUntouched},  // the export runs on the press
        {3000, 0.5f, false, kUntouched},  // unknown: passed on, ignored by the core
    };
    EditorScene scene;
    for (const auto& c : cases) {
        scene.host.clear();
        const float before = scene.client->rawValue(c.tag);
        Edit edit(c.tag, c.value);
        scene.editor->valueChanged(&edit);
        const auto automated = scene.requests(HostOpcode::Automate);
        ASSERT_EQ(automated.size(), c.automated ? 1u : 0u) << c.tag;
        if (c.automated) {
            EXPECT_EQ(automated[0].opt, c.sent) << c.tag;
        }
        EXPECT_EQ(scene.client->rawValue(c.tag), std::isnan(c.sent) ? before : c.sent) << c.tag;
        EXPECT_TRUE(edit.isDirty()) << c.tag;
    }
    // A mouse area's readings go first: both high pick the upper right type.
    VSTGUI::BWMouseArea area(VSTGUI::CRect(0, 0, 100, 100), scene.editor, 365, nullptr);
    area.x = 0.8f;
    area.y = 0.9f;
    area.setValue(0.8f);
    scene.editor->valueChanged(&area);
    ASSERT_TRUE(scene.client->deriveNow());
    EXPECT_EQ(scene.client->state().filter.settings.type, FilterType(3));
    EXPECT_TRUE(scene.messages.shown().empty());
}

TEST(EditRouting, AKnobDraggedInTheEditorsWindowAutomatesItsParameter) {
    EditorScene scene;
    ASSERT_TRUE(scene.open());
    auto* strip = new VSTGUI::CBitmap(VSTGUI::CResourceDescription(1063));
    auto* knob = new VSTGUI::BWKnob(VSTGUI::CRect(100, 100, 131, 131), scene.editor, 40, scene.frame(), strip, 31,
                                    128, 1.0f);
    strip->forget();
    scene.frame()->addView(knob);
    // Without instruments the open shows the panel that locates them.
    if (VSTGUI::CView* panel = scene.frame()->getOverlay()) panel->looseFocus();
    scene.host.clear();
    const platform::WindowId window = scene.frame()->getWindow();
    scene.windows.press(window, 115, 115);
    for (int32_t y = 110; y >= 90; y -= 5) scene.windows.move(window, 115, y, platform::kStateLeft);
    scene.windows.release(window, 115, 90);

    const std::vector<HostRequest>& all = scene.host.requests();
    const auto automated = scene.requests(HostOpcode::Automate);
    ASSERT_EQ(automated.size(), 5u);
    EXPECT_EQ(all.front().opcode, HostOpcode::BeginEdit);
    EXPECT_EQ(all.back().opcode, HostOpcode::EndEdit);
    EXPECT_EQ(all.size(), automated.size() + 2);
    for (const HostRequest& r : automated) EXPECT_EQ(r.index, 40);
    EXPECT_EQ(automated.back().opt, knob->getValue());
    EXPECT_EQ(scene.client->getParameter(40), knob->getValue());
}

}  // namespace
}  // namespace editor_test
