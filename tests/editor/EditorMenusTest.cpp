// The content menus' commands: locating the instrument folder, changing a
// layer's instrument, saving and loading presets and chord banks, and the
// refills of the menus that show those folders.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "EditorScene.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryCatalog.h"
#include "factory/FactoryContent.h"
#include "factory/FactoryPresets.h"
#include "persistence/Settings.h"
#include "platform/FileDialogs.h"
#include "support/TempDir.h"
#include "widgets/BWOptionMenu.h"
#include "widgets/BWViewContainer.h"

namespace editor_test {
namespace {

using VSTGUI::BWOptionMenu;

constexpr uint64_t kFiles = BWOptionMenu::kStyleFileMenu;
constexpr uint64_t kFilesWithSave = BWOptionMenu::kStyleFileMenu | BWOptionMenu::kStyleSaveEntry;
// The styles of the editor's own menus.
constexpr uint64_t kChordBankMenu = 232;
constexpr uint64_t kInstrumentMenu = 104;
constexpr uint64_t kPresetMenu = 488;

// An open editor with the factory content, whose dialogs answer `answers`
// in turn (an empty path cancels).
struct MenuScene : EditorScene {
    MenuScene() {
        EXPECT_TRUE(open());
        std::string error;
        EXPECT_TRUE(writeFactoryContent(content.path(), error)) << error;
        previous = platform::setFileDialogHandler([this](const platform::FileDialogRequest& r) {
            titles.push_back(r.title);
            const std::string path = answers.empty() ? "" : answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            return platform::FileDialogResult{!path.empty(), {path}};
        });
    }
    ~MenuScene() {
        platform::setFileDialogHandler(previous);
        setSettingString("InstrumentsPath", "");
        globalRomplerLibrary().scan(true);
    }
    BWOptionMenu* menu(int32_t tag, uint64_t style, const std::string& folder = "", const char* extension = "") {
        auto* m = new BWOptionMenu(VSTGUI::CRect(0, 0, 99, 15), editor, tag, frame(), "default", style);
        frame()->addView(m);
        if (!folder.empty()) m->fillFolderMenu(folder.c_str(), extension, -1, true);
        return m;
    }
    void pick(VSTGUI::CControl* m, float entry) {
        m->setValue(entry);
        editor->valueChanged(m);
    }
    static std::vector<std::string> entriesOf(BWOptionMenu& m) {
        std::vector<std::string> texts(static_cast<size_t>(m.getNumEntries()));
        for (size_t i = 0; i < texts.size(); ++i) m.getEntryText(int32_t(i), texts[i]);
        return texts;
    }
    std::string folder(const char* name) const { return (content.path() / name).string(); }

    TempDir content;
    std::vector<std::string> answers, titles;
    platform::FileDialogHandler previous;
};

// The factory content as the menus show it: the preset menus of each kind,
// the chord-bank menu and the instrument menus list the factory banks as
// folder sub-menus.
TEST(EditorMenus, TheFactoryPresetsAndChordBanksShowAsBanks) {
    MenuScene scene;
    std::string error;
    ASSERT_TRUE(writeFactoryPresets(scene.content.path(), error)) << error;
    const struct {
        int32_t tag;
        uint64_t style;
        const char* folder;
        const char* extension;
        std::vector<std::string> entries;
    } menus[] = {
        {395, kPresetMenu, "Global Presets", "zvp", {"Save Preset", "--Presets--", "Factory", "MIDI PROGRAMS"}},
        {396, kPresetMenu, "Sounds", "zvq", {"Save Preset", "--Presets--", "Factory"}},
        {397, kPresetMenu, "Sequences", "zvk", {"Save Preset", "--Presets--", "Factory"}},
        {391, kChordBankMenu, "Chord Banks", "bwh", {"Save Preset", "Factory"}},
        {392, kInstrumentMenu, kInstrumentsFolder, "bwr", {"Factory"}},
    };
    for (const auto& row : menus) {
        BWOptionMenu* menu = scene.menu(row.tag, row.style, scene.folder(row.folder), row.extension);
        EXPECT_EQ(MenuScene::entriesOf(*menu), row.entries) << row.folder;
    }
}

TEST(EditorMenus, LocateInstrumentsPresetsAndChordBanks) {
    MenuScene scene;
    BWOptionMenu* layer = scene.menu(392, kFiles);
    scene.editor->addInstrumentMenu(layer);
    auto* panel = new VSTGUI::BWViewContainer(VSTGUI::CRect(365, 223, 665, 407), scene.editor, 305168176,
                                              scene.frame());
    scene.frame()->addView(panel);
    scene.editor->setPopupContainer(panel);
    panel->activate(VSTGUI::BWViewContainer::kCloseOnPressInside, nullptr, 0);
    const std::string instruments = scene.folder(kFactoryInstrumentsFolder);
    const std::string sequences = scene.folder("Sequences"), banks = scene.folder("Chord Banks");
    scene.answers = {"", instruments + "/" + factoryInstruments()[0].name + ".bwr", sequences + "/Groove.zvk",
                     banks + "/Sevenths"};
    Edit locate(312, 0.0f);
    scene.editor->valueChanged(&locate);  // cancelled: nothing changes
    EXPECT_EQ(layer->getNumEntries(), 0);
    scene.editor->valueChanged(&locate);
    EXPECT_EQ(scene.titles, (std::vector<std::string>{"Locate Instruments", "Locate Instruments"}));
    std::string stored;
    ASSERT_TRUE(getSettingString("InstrumentsPath", stored));
    EXPECT_EQ(stored, instruments + "/");
    EXPECT_FALSE(globalRomplerLibrary().isEmpty());
    EXPECT_EQ(layer->getNumEntries(), int32_t(factoryInstruments().size()));
    EXPECT_NE(scene.frame()->getOverlay(), panel) << "the panel closed";

    // A pick changes the layer; with the audio side stuck the instrument
    // changes, its clean-up waits, and that is said.
    const std::vector<std::string> names = MenuScene::entriesOf(*layer);
    scene.pick(layer, 1.0f);
    EXPECT_EQ(scene.client->soundLayer(0).getInstrumentName(), names[1]);
    BWOptionMenu* third = scene.menu(394, kFiles, instruments, "bwr");
    ASSERT_TRUE(scene.client->engineHold().enterBlock());
    scene.pick(third, 2.0f);
    scene.client->engineHold().leaveBlock();
    EXPECT_EQ(scene.client->soundLayer(2).getInstrumentName(), names[2]);
    ASSERT_EQ(scene.messages.texts().size(), 1u);
    EXPECT_NE(scene.messages.texts()[0].find("stayed busy"), std::string::npos);

    // Presets and chord banks are saved into the menus of their kind and loaded from them.
    std::filesystem::create_directories(sequences);
    std::filesystem::create_directories(banks);
    BWOptionMenu* menu = scene.menu(397, kFilesWithSave, sequences, "zvk");
    BWOptionMenu* other = scene.menu(397, kFilesWithSave, sequences, "zvk");
    scene.editor->addPresetMenu(2, menu);
    scene.editor->addPresetMenu(2, other);
    int32_t tag = -1;  // a setting that sequence presets carry
    for (const ParamBinding* binding : scene.client->presetMembers(2))
        if (tag < 0 && binding->value && binding->tag > 86 && binding->tag < 200) tag = binding->tag;
    ASSERT_GE(tag, 0);
    scene.client->setParameter(tag, 0.25f);
    scene.pick(menu, 0.0f);  // "Save Preset"
    EXPECT_EQ(MenuScene::entriesOf(*other), (std::vector<std::string>{"Save Preset", "Groove"}))
        << "every menu of the kind is refilled";
    scene.client->setParameter(tag, 0.75f);
    scene.pick(other, 1.0f);
    EXPECT_EQ(scene.client->rawValue(tag), 0.25f);
    EXPECT_FALSE(scene.requests(HostOpcode::UpdateDisplay).empty());

    setSettingString("Chord BanksPath", banks);
    BWOptionMenu* bankMenu = scene.menu(391, kFilesWithSave);
    BWTableXY& bank = scene.client->patterns().chordList;
    bank.setValueOnPage(0, 0, 5.0f);
    scene.pick(bankMenu, 0.0f);
    EXPECT_EQ(scene.titles.back(), "Chord Banks");
    EXPECT_EQ(MenuScene::entriesOf(*bankMenu), (std::vector<std::string>{"Save Preset", "Sevenths"}));
    bank.setValueOnPage(0, 0, 2.0f);
    scene.pick(bankMenu, 1.0f);
    EXPECT_EQ(bank.getValueOnPage(0, 0), 5.0f);
}

// A file a menu lists but cannot load (of each preset kind and a chord
// bank) shows one box that says why and names the file; the name the
// interface shows stays as it was.
TEST(EditorMenus, AFileTheMenusCannotLoadIsNamedInABox) {
    MenuScene scene;
    std::string error;
    ASSERT_TRUE(writeFactoryPresets(scene.content.path(), error)) << error;
    std::ifstream in(factoryPresetPath(scene.content.path(), factoryPresets()[0]), std::ios::binary);
    const std::string preset{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string newer = preset;
    newer[4] = 10;  // the program version, one after this one's
    const struct {
        const char* name;
        std::string bytes;  // none: the file goes after the menu listed it
        const char* reason;
    } files[] = {
        {"Empty", "", "The file is empty:"},
        {"Cut Short", preset.substr(0, preset.size() / 2), "\t This is no valid Zorvane format!"},
        {"Text", "not a preset at all, but long enough to hold a header", "\t This is no valid Zorvane format!"},
        {"Newer", newer, "preset was written with a newer version of Zorvane"},
        {"Gone", "-", "The file could not be found:"},
    };
    const struct {
        int32_t tag, kind;
        const char* folder;
        const char* extension;
    } menus[] = {{395, 0, "Global Presets", "zvp"}, {396, 1, "Sounds", "zvq"}, {397, 2, "Sequences", "zvk"},
                 {391, -1, "Chord Banks", "bwh"}};
    for (const auto& m : menus) {
        const std::filesystem::path folder = scene.content.path() / m.folder / "Broken";
        std::filesystem::create_directories(folder);
        for (const auto& f : files)
            std::ofstream(folder / (std::string(f.name) + "." + m.extension), std::ios::binary) << f.bytes;
        BWOptionMenu* menu = scene.menu(m.tag, kFiles, folder.string(), m.extension);
        for (const auto& f : files) {
            const std::string file = (folder / (std::string(f.name) + "." + m.extension)).string();
            if (f.bytes == "-") std::filesystem::remove(file);
            const int32_t entry = menu->findEntry(f.name);
            ASSERT_GE(entry, 0) << f.name;
            scene.messages.clear();
            scene.pick(menu, float(entry));
            // A chord bank is an object file: a preset, of any version, is none.
            const bool preset = f.name == std::string("Newer") && m.kind < 0;
            const std::string said = (preset ? "This is not a Zorvane file of this kind:" : f.reason) + ("\n" + file);
            EXPECT_EQ(scene.messages.texts(), std::vector<std::string>{said}) << m.folder << ": " << f.name;
            if (m.kind >= 0) {
                EXPECT_EQ(scene.client->presetName(m.kind), "default") << m.folder << ": " << f.name;
            }
        }
    }
}

}  // namespace
}  // namespace editor_test
