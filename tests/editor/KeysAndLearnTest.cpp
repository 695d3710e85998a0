// The editor's keys, its manual hook and the MIDI-learn edits of its menus.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "EditorScene.h"
#include "persistence/Settings.h"
#include "support/MessageCapture.h"
#include "support/OpenedDocuments.h"
#include "support/TempDir.h"
#include "widgets/BWOptionMenu.h"

namespace editor_test {
namespace {

using namespace std::chrono_literals;

VstKeyCode keyOf(uint8_t virt) { return {0, virt, 0}; }

TEST(EditorKeys, ProgramsZoomMaintenanceAndABlockedKeyboard) {
    EditorScene scene;
    ASSERT_TRUE(scene.open());
    BWUniClientEditor& editor = *scene.editor;
    // Up at program 0: a whole-state undo step, then program -1, whatever
    // the plug-in object makes of it.
    const size_t steps = scene.client->getUndoManager().getStepCount();
    VstKeyCode up = keyOf(12);
    EXPECT_TRUE(editor.onKeyDown(up)) << "taken on the press, acted on the release";
    EXPECT_TRUE(editor.onKeyUp(up));
    EXPECT_EQ(scene.client->getUndoManager().getStepCount(), steps + 1);
    EXPECT_EQ(scene.client->getProgram(), -1);
    EXPECT_EQ(scene.requests(HostOpcode::UpdateDisplay).size(), 1u);

    // Shift + page up doubles the user factor, forced past the 1080-pixel screen.
    scene.windows.move(scene.parent, 0, 0, platform::kStateShift);
    VstKeyCode pageUp = keyOf(15), pageDown = keyOf(16), insert = keyOf(21);
    EXPECT_TRUE(editor.onKeyUp(pageUp));
    EXPECT_EQ(editor.getZoom().totalFactor, 2.0f);
    EXPECT_EQ(getSettingDword("forceresize"), 1u);
    EXPECT_TRUE(editor.onKeyUp(pageDown));
    EXPECT_EQ(editor.getZoom().totalFactor, 1.0f);
    scene.windows.move(scene.parent, 0, 0, 0);

    // The maintenance passes ask only where the setting wants them.
    editor.onKeyUp(insert);
    editor.onKeyUp(pageDown);
    EXPECT_TRUE(scene.messages.shown().empty());
    setSettingDword("resaveallpresets", 1);
    editor.onKeyUp(insert);  // cancelled: nothing is re-saved
    editor.onKeyUp(pageDown);
    EXPECT_EQ(scene.messages.texts(), (std::vector<std::string>{"resaving all presets ?", "check layer 1 bwde"}));

    // While a text field holds the keyboard only F2 acts: it randomises.
    editor.setKeyInputBlocked(true);
    EXPECT_TRUE(scene.client->isKeyInputBlocked()) << "the core's hook reads it back";
    scene.client->hostBinding(18)->randomDepth = 0.5f;
    scene.client->setParameter(Tag::Osc1Pan, 0.5f);
    VstKeyCode f2 = keyOf(41);
    EXPECT_TRUE(editor.onKeyDown(f2));
    EXPECT_NE(scene.client->getParameter(Tag::Osc1Pan), 0.5f);
    EXPECT_FALSE(editor.onKeyDown(up));
    EXPECT_FALSE(editor.onKeyUp(up));
    EXPECT_EQ(scene.client->getProgram(), -1);
}

TEST(EditorHooks, TheManualHookOpensTheManualFolderOrSaysItIsNotInstalled) {
    EditorScene scene;
    OpenedDocuments opened;
    MessageCapture boxes;
    TempDir install;
    scene.client->openManual();  // no "installpath": nothing
    EXPECT_TRUE(boxes.texts().empty());
    setSettingString("installpath", install.str());
    scene.client->openManual();
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"The manual is not installed."}) << "no Manual folder";
    std::filesystem::create_directories(install / "Manual");
    for (const std::string& path : {install.str(), install.str() + "/"}) {
        setSettingString("installpath", path);
        scene.client->openManual();
    }
    const std::string folder = install.str() + "/Manual/";
    EXPECT_EQ(opened.paths, (std::vector<std::string>{folder, folder}));
    EXPECT_EQ(boxes.texts().size(), 1u);
}

TEST(MidiLearn, TheMenusEditTheListsUnderTheHold) {
    EditorScene scene;
    ASSERT_TRUE(scene.open());
    MidiLearnMap& map = scene.client->learnMap();
    map.controller(9).push_back({40, 0});
    map.controller(7).assign({{40, 0}, {40, 0}, {41, 0}});
    map.controller(5).push_back({40, 2});
    // The right-click menu names the first controller of its widget's pair
    // as it opens.
    auto* menu = new VSTGUI::BWOptionMenu(VSTGUI::CRect(0, 0, 80, 15), scene.editor, kContextMenuTag, scene.frame(),
                                          "default", 0);
    scene.frame()->addView(menu);
    scene.editor->setContextMenu(menu);
    std::string clear;
    for (auto [sub, text] : {std::pair{0, "Clear (CC:7)"}, {2, "Clear (CC:5)"}, {1, "Clear"}}) {
        menu->setExtraInt1(40);
        menu->setExtraInt2(sub);
        ASSERT_TRUE(menu->openCallback(menu, menu->openCallbackArg));
        ASSERT_TRUE(menu->getEntryText(1, clear));
        EXPECT_EQ(clear, text);
    }
    // "Midi Learn" on a pair mapped twice on one controller: both go, counted.
    map.controller(9).clear();
    menu->setExtraInt2(0);
    const int32_t count = map.changeCount;
    const float before = scene.client->rawValue(kContextMenuTag);
    menu->setValue(0.0f);
    scene.editor->valueChanged(menu);
    EXPECT_EQ(map.changeCount, count + 2);
    EXPECT_EQ(map.controller(7), (std::vector<LearnEntry>{{41, 0}}));
    EXPECT_EQ(map.targets(), (std::vector<LearnEntry>{{40, 0}}));
    EXPECT_FALSE(map.editing);
    EXPECT_EQ(scene.client->rawValue(kContextMenuTag), before) << "a menu choice is no parameter";

    // The hidden learn menu: "midi Learn" arms its tag, "clear" drops every sub-index.
    VSTGUI::BWOptionMenu hidden(VSTGUI::CRect(), scene.editor, kHiddenLearnMenuTag, nullptr, "default", 1);
    hidden.setExtraInt1(41);
    hidden.setValue(0.0f);
    scene.editor->valueChanged(&hidden);
    EXPECT_EQ(map.targets(), (std::vector<LearnEntry>{{41, 0}}));
    hidden.setExtraInt1(40);
    hidden.setValue(1.0f);
    scene.editor->valueChanged(&hidden);
    EXPECT_TRUE(map.controller(5).empty());

    // While the audio side stays in its block nothing changes, and it is said.
    ASSERT_TRUE(scene.client->engineHold().enterBlock());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(scene.editor->removeMidiLearnTag(41));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 400ms);
    scene.client->engineHold().leaveBlock();
    EXPECT_EQ(map.controller(7).size(), 1u);
    ASSERT_EQ(scene.messages.texts().size(), 1u);
    EXPECT_NE(scene.messages.texts()[0].find("stayed busy"), std::string::npos);
}

}  // namespace
}  // namespace editor_test
