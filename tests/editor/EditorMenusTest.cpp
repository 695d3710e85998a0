// The content menus' commands: locating the instrument folder, changing a
// layer's instrument, saving and loading presets and chord banks, and the
// refills of the menus that show those folders.

#include <gtest/gtest.h>

#include <filesystem>

#include "EditorScene.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryCatalog.h"
#include "factory/FactoryContent.h"
#include "persistence/Settings.h"
#include "platform/FileDialogs.h"
#include "support/TempDir.h"
#include "widgets/BWOptionMenu.h"
#include "widgets/BWViewContainer.h"

namespace editor_test {
namespace {

using VSTGUI::BWOptionMenu;
using VSTGUI::CRect;

// Answers the dialogs in turn (an empty path cancels) and keeps their titles.
struct Dialogs {
    explicit Dialogs(std::vector<std::string> paths) : answers(std::move(paths)) {
        previous = platform::setFileDialogHandler([this](const platform::FileDialogRequest& r) {
            titles.push_back(r.title);
            const std::string path = answers.empty() ? "" : answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            return platform::FileDialogResult{!path.empty(), {path}};
        });
    }
    ~Dialogs() { platform::setFileDialogHandler(previous); }
    std::vector<std::string> answers;
    std::vector<std::string> titles;
    platform::FileDialogHandler previous;
};

std::vector<std::string> entriesOf(BWOptionMenu& menu) {
    std::vector<std::string> texts;
    for (int32_t i = 0; i < menu.getNumEntries(); ++i) {
        std::string text;
        menu.getEntryText(i, text);
        texts.push_back(text);
    }
    return texts;
}

struct MenuScene : EditorScene {
    MenuScene() {
        EXPECT_TRUE(open());
        std::string error;
        EXPECT_TRUE(writeFactoryContent(content.path(), error)) << error;
    }
    ~MenuScene() {
        setSettingString("InstrumentsPath", "");
        globalRomplerLibrary().scan(true);
    }
    BWOptionMenu* menu(int32_t tag, uint64_t style) {
        auto* m = new BWOptionMenu(CRect(0, 0, 99, 15), editor, tag, frame(), "default", style);
        frame()->addView(m);
        return m;
    }
    void pick(BWOptionMenu* m, float entry) {
        m->setValue(entry);
        editor->valueChanged(m);
    }
    std::string instruments() const { return (content.path() / kFactoryInstrumentsFolder).string(); }
    TempDir content;
};

constexpr uint64_t kFiles = BWOptionMenu::kStyleFileMenu;
constexpr uint64_t kFilesWithSave = BWOptionMenu::kStyleFileMenu | BWOptionMenu::kStyleSaveEntry;

TEST(EditorMenus, LocatingTheInstrumentsRefillsTheMenusAndClosesThePanel) {
    MenuScene scene;
    BWOptionMenu* layer = scene.menu(392, kFiles);
    scene.editor->addInstrumentMenu(layer);
    auto* panel = new VSTGUI::BWViewContainer(CRect(365, 223, 665, 407), scene.editor, 305168176, scene.frame());
    scene.frame()->addView(panel);
    scene.editor->setPopupContainer(panel);
    panel->activate(3, nullptr, 0);
    ASSERT_EQ(scene.frame()->getOverlay(), panel);

    Edit locate(312, 1.0f);
    scene.editor->valueChanged(&locate);  // the press does nothing
    {
        Dialogs cancelled({""});
        locate.setValue(0.0f);
        scene.editor->valueChanged(&locate);
        EXPECT_EQ(cancelled.titles, std::vector<std::string>{"Locate Instruments"});
    }
    EXPECT_EQ(layer->getNumEntries(), 0) << "a cancelled chooser changes nothing";
    Dialogs chosen({scene.instruments() + "/" + factoryInstruments()[0].name + ".bwr"});
    scene.editor->valueChanged(&locate);
    std::string stored;
    ASSERT_TRUE(getSettingString("InstrumentsPath", stored));
    EXPECT_EQ(stored, scene.instruments() + "/");
    EXPECT_FALSE(globalRomplerLibrary().isEmpty());
    ASSERT_EQ(layer->getNumEntries(), int32_t(factoryInstruments().size()));
    EXPECT_NE(scene.frame()->getOverlay(), panel) << "the panel closed";

    // Picking from the refilled menu changes the layer; with the audio side
    // stuck the change is made, its clean-up skipped, and that is said.
    const std::vector<std::string> names = entriesOf(*layer);
    scene.pick(layer, 1.0f);
    EXPECT_EQ(scene.client->soundLayer(0).getInstrumentName(), names[1]);
    BWOptionMenu* third = scene.menu(394, kFiles);
    third->fillFolderMenu(scene.instruments().c_str(), "bwr", -1, true);
    ASSERT_TRUE(scene.client->engineHold().enterBlock());
    scene.pick(third, 2.0f);
    scene.client->engineHold().leaveBlock();
    EXPECT_EQ(scene.client->soundLayer(2).getInstrumentName(), names[2]);
    ASSERT_EQ(scene.messages.texts().size(), 1u);
    EXPECT_NE(scene.messages.texts()[0].find("stayed busy"), std::string::npos);
}

TEST(EditorMenus, PresetsAreSavedIntoTheMenusOfTheirKindAndLoadedFromThem) {
    MenuScene scene;
    const std::string folder = (scene.content.path() / "Sequences").string();
    std::filesystem::create_directories(folder);
    BWOptionMenu* menu = scene.menu(397, kFilesWithSave);
    BWOptionMenu* other = scene.menu(397, kFilesWithSave);
    for (BWOptionMenu* m : {menu, other}) {
        m->fillFolderMenu(folder.c_str(), "zvk", 2, true);
        scene.editor->addPresetMenu(2, m);
    }
    ASSERT_EQ(entriesOf(*other), std::vector<std::string>{"Save Preset"});

    // A setting that sequence presets carry.
    int32_t tag = -1;
    for (const ParamBinding* binding : scene.client->presetMembers(2))
        if (tag < 0 && binding->value && binding->tag > 86 && binding->tag < 200) tag = binding->tag;
    ASSERT_GE(tag, 0);
    scene.client->setParameter(tag, 0.25f);
    Dialogs save({folder + "/Groove.zvk"});
    scene.pick(menu, 0.0f);
    EXPECT_TRUE(std::filesystem::exists(folder + "/Groove.zvk"));
    EXPECT_EQ(entriesOf(*other), (std::vector<std::string>{"Save Preset", "Groove"})) << "every menu of the kind";

    scene.client->setParameter(tag, 0.75f);
    scene.host.clear();
    scene.pick(other, 1.0f);
    EXPECT_EQ(scene.client->rawValue(tag), 0.25f) << tag;
    EXPECT_FALSE(scene.requests(HostOpcode::UpdateDisplay).empty());
}

TEST(EditorMenus, ChordBanksAreSavedAndLoaded) {
    MenuScene scene;
    const std::string folder = (scene.content.path() / "Chord Banks").string();
    std::filesystem::create_directories(folder);
    setSettingString("Chord BanksPath", folder);
    BWOptionMenu* menu = scene.menu(391, kFilesWithSave);
    BWTableXY& bank = scene.client->patterns().chordList;
    bank.setValueOnPage(0, 0, 5.0f);
    Dialogs save({folder + "/Sevenths"});
    scene.pick(menu, 0.0f);
    EXPECT_EQ(save.titles, std::vector<std::string>{"Chord Banks"});
    EXPECT_TRUE(std::filesystem::exists(folder + "/Sevenths.bwh"));
    EXPECT_EQ(entriesOf(*menu), (std::vector<std::string>{"Save Preset", "Sevenths"}));
    bank.setValueOnPage(0, 0, 2.0f);
    scene.pick(menu, 1.0f);
    EXPECT_EQ(bank.getValueOnPage(0, 0), 5.0f);
}

}  // namespace
}  // namespace editor_test
