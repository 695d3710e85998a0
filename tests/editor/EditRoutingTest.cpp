// Every widget edit reaches the plug-in object by its tag: host parameters
// as automation, internal ones as plain values, menus scaled from their
// entry index, commands only on their press or release.

#include <gtest/gtest.h>

#include <cmath>

#include "EditorScene.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/InterfaceImages.h"
#include "plugin/BindingTable.h"
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
        {Tag::Osc3Pan, 0.3f, true, 0.3f},
        {Tag::Osc1KeyA, 0.6f, false, 0.6f},
        {Tag::Osc1Channel, 2.0f, false, 0.12502f},  // entry 2 of 16: 2 x (1/16 + 0.00001)
        {Tag::Chordlist, 6.0f, false, 6.0f * (1.0f / stepCount(Tag::Chordlist) + 0.00001f)},
        {Tag::Osc1TrigMode, 3.0f, true, 1.0f},  // state 3 x 1/3 is 1.0 in float
        {Tag::ChordSeqDivide, 1.0f, true, 0.33334336f},
        {Tag::Osc1SelectorB, 3.0f, false, 3.0f / stepCount(Tag::Osc1SelectorB)},
        {Tag::SelectPath, 1.0f, false, kUntouched},  // locating the instruments waits for the release
        {Tag::InterfaceSwitch11, 1.0f, false, kUntouched},  // the learn menu's own tag is no parameter
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
    VSTGUI::BWMouseArea area(VSTGUI::CRect(0, 0, 100, 100), scene.editor, Tag::FilterType, nullptr);
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
    auto* strip = new VSTGUI::CBitmap(VSTGUI::CResourceDescription(Image::SmallKnob));
    auto* knob = new VSTGUI::BWKnob(VSTGUI::CRect(100, 100, 131, 131), scene.editor, Tag::Osc3Pan, scene.frame(), strip,
                                    31, 128, 1.0f);
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
    for (const HostRequest& r : automated) EXPECT_EQ(r.index, Tag::Osc3Pan);
    EXPECT_EQ(automated.back().opt, knob->getValue());
    EXPECT_EQ(scene.client->getParameter(Tag::Osc3Pan), knob->getValue());
}

}  // namespace
}  // namespace editor_test
