// Every widget edit reaches the plug-in object by its tag: host parameters
// as automation, internal ones as plain values, menus scaled from their
// entry index, commands only on their press or release.

#include <gtest/gtest.h>

#include <cmath>

#include "EditorScene.h"
#include "editor/EditRoute.h"
#include "guitoolkit/CBitmap.h"
#include "widgets/BWKnob.h"
#include "widgets/BWMouseArea.h"
#include "widgets/BWOptionMenu.h"

namespace editor_test {
namespace {

TEST(EditRouting, TagsBecomeAutomationParametersOrNothing) {
    struct Case {
        int32_t tag;
        float value;
        bool automated;  // reported to the host
        float sent;      // what the parameter holds afterwards; NaN: untouched
    };
    const float kUntouched = std::nanf("");
    const Case cases[] = {
        {40, 0.3f, true, 0.3f},           // host parameter
        {87, 0.6f, false, 0.6f},          // internal: the core only
        {329, 2.0f, false, 0.12502f},     // menu: index 2 of 16
        {326, 6.0f, false, 6.0f * (0.125f + 0.00001f)},  // index 6 of 8: 0.75006
        {8, 3.0f, true, 1.0f},            // 3 x 1/3 is 1.0 in float
        {79, 1.0f, true, 0.33334336f},    // 1/3 + 0.00001
        {221, 3.0f, false, 0.6f},         // 3 x 0.2
        {312, 1.0f, false, kUntouched},   // locate instruments acts on the release only
        {338, 1.0f, false, kUntouched},   // the learn menu's own tag is never a parameter
        {kMidiExportTag, 0.0f, false, kUntouched},  // the export runs on the press only
    };
    EditorScene scene;
    for (const Case& c : cases) {
        scene.host.clear();
        const float before = c.tag < 390 ? scene.client->rawValue(c.tag) : 0.0f;
        Edit edit(c.tag, c.value);
        scene.editor->valueChanged(&edit);
        const auto automated = scene.requests(HostOpcode::Automate);
        ASSERT_EQ(automated.size(), c.automated ? 1u : 0u) << c.tag;
        if (c.automated) {
            EXPECT_EQ(automated[0].index, c.tag);
            EXPECT_EQ(automated[0].opt, c.sent) << c.tag;
        }
        if (std::isnan(c.sent)) {
            EXPECT_EQ(scene.client->rawValue(c.tag), before) << c.tag;
        } else {
            EXPECT_EQ(scene.client->rawValue(c.tag), c.sent) << c.tag;
        }
        EXPECT_TRUE(edit.isDirty()) << "every edited control redraws: " << c.tag;
    }
    EXPECT_TRUE(scene.messages.shown().empty());
}

TEST(EditRouting, ScalesAndCommandsOfTheTable) {
    using A = EditRoute::Action;
    EXPECT_EQ(routeOf(0).action, A::Automated);
    EXPECT_EQ(routeOf(86).action, A::Automated);
    EXPECT_EQ(routeOf(78).action, A::MouseAreaAutomated);
    EXPECT_EQ(routeOf(365).action, A::MouseAreaParameter);
    EXPECT_EQ(routeOf(390).action, A::Parameter);
    EXPECT_EQ(routeOf(398).action, A::Unscaled);
    EXPECT_EQ(routeOf(-1).action, A::Unscaled);
    EXPECT_EQ(routeOf(313).action, A::OpenHookContainer);
    EXPECT_EQ(routeOf(kHiddenLearnMenuTag).action, A::LearnMenu);
    for (int32_t layer = 0; layer < 3; ++layer) {
        EXPECT_EQ(routeOf(392 + layer).index, layer);
        EXPECT_EQ(routeOf(395 + layer).index, layer);
    }
    EXPECT_EQ(routeOf(392).action, A::InstrumentMenu);
    EXPECT_EQ(routeOf(397).action, A::PresetMenu);
    EXPECT_EQ(routeOf(391).action, A::ChordBankMenu);
    // The last entry of a menu of k entries lands at or past 1.0.
    for (auto [tag, entries] : {std::pair{327, 13}, {328, 7}, {332, 11}, {339, 15}, {337, 9}}) {
        EXPECT_GE(float(entries - 1) * routeOf(tag).scale, 1.0f) << tag;
        EXPECT_LT(float(entries - 2) * routeOf(tag).scale, 1.0f) << tag;
    }
}

TEST(EditRouting, MouseAreasPassTheirReadingsFirst) {
    EditorScene scene;
    ASSERT_TRUE(scene.open());
    auto* area = new VSTGUI::BWMouseArea(VSTGUI::CRect(0, 0, 100, 100), scene.editor, 365, scene.frame());
    scene.frame()->addView(area);
    area->x = 0.8f;
    area->y = 0.9f;
    area->setValue(0.8f);
    scene.editor->valueChanged(area);
    // Both readings high: the filter type of the upper right corner.
    EXPECT_EQ(scene.client->state().filter.typeCompanion, 0.9f);
    EXPECT_EQ(scene.client->state().filter.settings.type, FilterType(3));
}

TEST(EditRouting, AKnobDraggedInTheEditorsWindowAutomatesItsParameter) {
    EditorScene scene;
    ASSERT_TRUE(scene.open());
    VSTGUI::BWFrame* frame = scene.frame();
    auto* strip = new VSTGUI::CBitmap(VSTGUI::CResourceDescription(1063));
    auto* knob = new VSTGUI::BWKnob(VSTGUI::CRect(100, 100, 131, 131), scene.editor, 40, frame, strip, 31, 128, 1.0f);
    strip->forget();
    frame->addView(knob);
    scene.host.clear();
    const platform::WindowId window = frame->getWindow();
    scene.windows.press(window, 115, 115);
    for (int32_t y = 110; y >= 90; y -= 5) scene.windows.move(window, 115, y, platform::kStateLeft);
    scene.windows.release(window, 115, 90);

    std::vector<int32_t> opcodes;
    for (const HostRequest& r : scene.host.requests()) opcodes.push_back(r.opcode);
    ASSERT_GE(opcodes.size(), 3u);
    EXPECT_EQ(opcodes.front(), HostOpcode::BeginEdit);
    EXPECT_EQ(opcodes.back(), HostOpcode::EndEdit);
    const auto automated = scene.requests(HostOpcode::Automate);
    ASSERT_EQ(automated.size(), opcodes.size() - 2);
    for (const HostRequest& r : automated) EXPECT_EQ(r.index, 40);
    EXPECT_GT(knob->getValue(), 0.0f);
    EXPECT_EQ(automated.back().opt, knob->getValue());
    EXPECT_EQ(scene.client->getParameter(40), knob->getValue());
}

}  // namespace
}  // namespace editor_test
