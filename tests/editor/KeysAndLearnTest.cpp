// The editor's keys, its manual hook and the MIDI-learn edits of its menus.

#include <gtest/gtest.h>

#include <chrono>

#include "EditorScene.h"
#include "persistence/Settings.h"
#include "platform/ShellOpen.h"
#include "widgets/BWOptionMenu.h"

namespace editor_test {
namespace {

using namespace std::chrono_literals;

// Notes each program it is asked for with the undo steps stored by then.
struct ProgramProbe : BWUniClient {
    using BWUniClient::BWUniClient;
    void setProgram(int32_t program) override {
        asked.emplace_back(program, getUndoManager().getStepCount());
        BWUniClient::setProgram(program);
    }
    std::vector<std::pair<int32_t, size_t>> asked;
};

VstKeyCode keyOf(uint8_t virt) { return {0, virt, 0}; }

TEST(EditorKeys, ArrowsStepThePresetsAfterAnUndoStep) {
    EditorSceneOf<ProgramProbe> scene;
    const size_t steps = scene.client->getUndoManager().getStepCount();
    for (uint8_t virt : {12, 14}) {
        VstKeyCode key = keyOf(virt);
        EXPECT_TRUE(scene.editor->onKeyDown(key)) << "taken on the press, acted on the release";
        EXPECT_TRUE(scene.editor->onKeyUp(key));
    }
    // From program 0 up means -1: the plug-in object decides what that is.
    ASSERT_EQ(scene.client->asked.size(), 2u);
    EXPECT_EQ(scene.client->asked[0], std::pair(-1, steps + 1));
    EXPECT_EQ(scene.client->asked[1].first, scene.client->asked[0].first + 1);
    EXPECT_EQ(scene.requests(HostOpcode::UpdateDisplay).size(), 2u);
}

TEST(EditorKeys, ShiftWithPageKeysZoomsAndRemembersIt) {
    EditorScene scene;
    ASSERT_TRUE(scene.open());
    scene.windows.move(scene.parent, 0, 0, platform::kStateShift);
    VstKeyCode up = keyOf(15);
    EXPECT_TRUE(scene.editor->onKeyDown(up));
    EXPECT_TRUE(scene.editor->onKeyUp(up));
    // Forced: the window is taller than the 1080-pixel screen.
    EXPECT_EQ(scene.editor->getZoom().totalFactor, 2.0f);
    EXPECT_EQ(getSettingDword("forceresize"), 1u);
    VstKeyCode down = keyOf(16);
    EXPECT_TRUE(scene.editor->onKeyUp(down));
    EXPECT_EQ(scene.editor->getZoom().totalFactor, 1.0f);
    EXPECT_TRUE(scene.messages.shown().empty()) << "Shift + page down is no maintenance key";
}

TEST(EditorKeys, MaintenanceKeysAskOnlyWhereTheSettingWantsThem) {
    EditorScene scene;
    VstKeyCode insert = keyOf(21);
    VstKeyCode pageDown = keyOf(16);
    scene.editor->onKeyUp(insert);
    scene.editor->onKeyUp(pageDown);
    EXPECT_TRUE(scene.messages.shown().empty());
    setSettingDword("resaveallpresets", 0);
    scene.editor->onKeyUp(insert);
    EXPECT_TRUE(scene.messages.shown().empty());
    setSettingDword("resaveallpresets", 1);
    scene.editor->onKeyUp(insert);    // cancelled: nothing is re-saved
    scene.editor->onKeyUp(pageDown);
    EXPECT_EQ(scene.messages.texts(), (std::vector<std::string>{"resaving all presets ?", "check layer 1 bwde"}));
}

TEST(EditorKeys, ABlockedKeyboardLeavesOnlyF2) {
    EditorScene scene;
    scene.editor->setKeyInputBlocked(true);
    EXPECT_TRUE(scene.client->isKeyInputBlocked()) << "the core's hook reads it back";
    scene.client->hostBinding(18)->randomDepth = 0.5f;
    scene.client->setParameter(18, 0.5f);
    VstKeyCode f2 = keyOf(41);
    EXPECT_TRUE(scene.editor->onKeyDown(f2));
    EXPECT_NE(scene.client->getParameter(18), 0.5f) << "F2 randomises the host parameters";
    VstKeyCode up = keyOf(12);
    EXPECT_FALSE(scene.editor->onKeyDown(up));
    EXPECT_FALSE(scene.editor->onKeyUp(up));
    EXPECT_EQ(scene.client->getProgram(), 0);
}

TEST(EditorHooks, TheManualHookOpensTheManualFolder) {
    EditorScene scene;
    std::vector<std::string> opened;
    platform::setShellOpenHandler([&](const std::string& path) {
        opened.push_back(path);
        return true;
    });
    scene.client->openManual();  // no "installpath": nothing
    setSettingString("installpath", "/opt/z");
    scene.client->openManual();
    setSettingString("installpath", "/opt/z/");
    scene.client->openManual();
    platform::setShellOpenHandler({});
    EXPECT_EQ(opened, (std::vector<std::string>{"/opt/z/Manual/", "/opt/z/Manual/"}));
}

TEST(MidiLearn, TheMenuNamesTheFirstControllerOfThePair) {
    EditorScene scene;
    MidiLearnMap& map = scene.client->learnMap();
    EXPECT_EQ(scene.editor->learnMenuEntries(40, 0), (std::vector<std::string>{"Midi Learn", "Clear"}));
    map.controller(9).push_back({40, 0});
    map.controller(7).push_back({40, 0});
    map.controller(5).push_back({40, 1});
    EXPECT_EQ(scene.editor->learnMenuEntries(40, 0)[1], "Clear (CC:7)");

    // The learn menu of right clicks rebuilds its entries as it opens.
    ASSERT_TRUE(scene.open());
    auto* menu = new VSTGUI::BWOptionMenu(VSTGUI::CRect(0, 0, 80, 15), scene.editor, kContextMenuTag, scene.frame(),
                                          "default", 0);
    scene.frame()->addView(menu);
    scene.editor->setContextMenu(menu);
    menu->setExtraInt1(40);
    menu->setExtraInt2(1);
    ASSERT_TRUE(menu->openCallback(menu, menu->openCallbackArg));
    std::string second;
    ASSERT_TRUE(menu->getEntryText(1, second));
    EXPECT_EQ(second, "Clear (CC:5)");
}

TEST(MidiLearn, LearnAndClearEditTheListsUnderTheHold) {
    EditorScene scene;
    ASSERT_TRUE(scene.open());
    MidiLearnMap& map = scene.client->learnMap();
    map.controller(7).assign({{40, 0}, {40, 0}, {41, 0}});
    map.controller(9).push_back({40, 2});
    auto* menu = new VSTGUI::BWOptionMenu(VSTGUI::CRect(0, 0, 80, 15), scene.editor, kContextMenuTag, scene.frame(),
                                          "default", 0);
    scene.frame()->addView(menu);
    scene.editor->setContextMenu(menu);
    menu->setExtraInt1(40);
    menu->setExtraInt2(0);
    const int32_t count = map.changeCount;
    const float learnValue = scene.client->rawValue(kContextMenuTag);

    menu->setValue(0.0f);  // "Midi Learn"
    scene.editor->valueChanged(menu);
    EXPECT_EQ(map.changeCount, count + 2) << "both entries of the pair went";
    EXPECT_EQ(map.controller(7), (std::vector<LearnEntry>{{41, 0}}));
    EXPECT_EQ(map.targets(), (std::vector<LearnEntry>{{40, 0}}));
    EXPECT_FALSE(map.editing);
    EXPECT_EQ(scene.client->rawValue(kContextMenuTag), learnValue) << "a menu choice is no parameter";
    EXPECT_TRUE(scene.requests(HostOpcode::Automate).empty());

    // The hidden learn menu: "midi Learn" arms the tag, "clear" drops every sub-index.
    VSTGUI::BWOptionMenu hidden(VSTGUI::CRect(), scene.editor, kHiddenLearnMenuTag, nullptr, "default", 1);
    hidden.setExtraInt1(40);
    hidden.setValue(0.0f);
    scene.editor->valueChanged(&hidden);
    EXPECT_EQ(map.targets(), (std::vector<LearnEntry>{{40, 0}}));
    hidden.setValue(1.0f);
    scene.editor->valueChanged(&hidden);
    EXPECT_TRUE(map.controller(9).empty());
    EXPECT_EQ(map.controller(7), (std::vector<LearnEntry>{{41, 0}}));

    // While the audio side stays in its block nothing changes, and it is said.
    ASSERT_TRUE(scene.client->engineHold().enterBlock());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(scene.editor->removeMidiLearnTag(41));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 400ms);
    EXPECT_EQ(map.controller(7).size(), 1u);
    ASSERT_EQ(scene.messages.shown().size(), 1u);
    EXPECT_NE(scene.messages.texts()[0].find("stayed busy"), std::string::npos);
    EXPECT_FALSE(scene.client->engineHold().isHeld());
    scene.client->engineHold().leaveBlock();
}

}  // namespace
}  // namespace editor_test
