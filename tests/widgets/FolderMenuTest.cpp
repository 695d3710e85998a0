// Folder menus: filling from folders (fixed entries, extension filters, the
// tree of folder and custom-folder sub-menus), full paths, stepping through
// files across sub-menus, the editor's folder choices, random picks and
// dropped files.

#include <gtest/gtest.h>

#include <fstream>

#include "MenuScene.h"
#include "persistence/Settings.h"
#include "support/TempDir.h"

namespace widget_test {
namespace {

using M = BWOptionMenu;

void touch(const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

std::vector<std::string> texts(M& menu) {
    std::vector<std::string> all;
    for (int32_t i = 0; i < menu.getNumEntries(); ++i) all.push_back(menu.getEntry(i)->text);
    return all;
}

// A file menu with tag 395 filled from a folder holding the files.
M* filledMenu(MenuScene& scene, const TempDir& folder, std::initializer_list<const char*> files, uint64_t style,
              CControlListener* listener) {
    for (const char* name : files) touch(folder / name);
    M* menu = scene.menu(CRect(10, 10, 60, 25), 395, M::kStyleFileMenu | style, {}, nullptr, listener);
    menu->fillFolderMenu(folder.str().c_str(), "zvp", 0, true);
    return menu;
}

// Logs each report with the path the menu gives for it.
class PathListener : public CControlListener {
public:
    explicit PathListener(CallLog& log) : log(log) {}
    void valueChanged(CControl* control) override {
        std::string path = "-";
        if (auto* menu = dynamic_cast<M*>(control)) menu->getFilePath(path, "zvp");
        log.push_back(describeCall("valueChanged", control->getTag(), control->getValue()) + " " + path);
    }
    CallLog& log;
};

TEST(FolderMenu, FlatMenuListsFixedEntriesAndFilteredFiles) {
    MenuScene scene;
    TempDir folder;
    for (const char* name : {"c.zvp", "a.zvp", "b.zvp", "y.txt", "zvp", ".zvp", "bzvp", "sub/d.zvp"})
        touch(folder / name);
    const struct {
        uint64_t style;
        const char* extension;
        std::vector<std::string> entries;
    } cases[] = {
        {M::kStyleFileMenu | M::kStyleSelectFolder | M::kStyleSaveEntry,
         "zvp",
         {"Select Folder", "Save Preset", "a", "b", "c"}},
        {M::kStyleFileMenu | M::kStyleLoadEntry | M::kStyleTitleEntry | M::kStyleBracketed,
         "zvp",
         {"[Load Preset]", "--Presets--", "a", "b", "c"}},
        {M::kStyleFileMenu | M::kStyleLoadEntry | M::kStyleSamples,
         "",
         {"Load Sample", ".zvp", "a.zvp", "b.zvp", "bzvp", "c.zvp", "y.txt", "zvp"}},
        {M::kStyleFileMenu | M::kStyleFolderTree, "zvp", {"sub"}},
        {M::kStyleSelectFolder, "zvp", {}},  // not a file menu: nothing happens
    };
    for (const auto& c : cases) {
        M* menu = scene.menu(CRect(10, 10, 60, 25), 395, c.style);
        menu->fillFolderMenu(folder.str().c_str(), c.extension, 0, true);
        EXPECT_EQ(texts(*menu), c.entries) << c.style;
    }

    // Audio files: any of the audio endings, kept whole.
    TempDir sounds;
    for (const char* name : {"b.aiff", "a.WAV", "c.txt", "wav", "d.mp3", "e.aif"}) touch(sounds / name);
    M* audio = scene.menu(CRect(10, 10, 60, 25), 392, M::kStyleFileMenu);
    audio->fillFolderMenu(sounds.str().c_str(), "wav", -1, true);
    EXPECT_EQ(texts(*audio), (std::vector<std::string>{"a.WAV", "b.aiff", "d.mp3", "e.aif"}));
    audio->setValue(1.0f);
    std::string path;
    ASSERT_TRUE(audio->getFilePath(path, "wav"));
    EXPECT_EQ(path, (sounds / "b.aiff").string()) << "any extension counts for \"wav\"";

    // A missing or empty folder lists nothing (not the working folder), and
    // a folder longer than 1,022 characters is kept whole.
    M* missing = scene.menu(CRect(10, 10, 60, 25), 393, M::kStyleFileMenu | M::kStyleSelectFolder);
    missing->fillFolderMenu(nullptr, "zvp", -1, true);
    EXPECT_EQ(texts(*missing), std::vector<std::string>{"Select Folder"});
    const std::string deep = "/" + std::string(1100, 'd');
    missing->fillFolderMenu(deep.c_str(), "zvp", -1, true);
    EXPECT_EQ(missing->getFolder(), deep + "/");
}

TEST(FolderMenu, PathsAndStepsInAFlatMenu) {
    MenuScene scene;
    TempDir folder;
    PathListener listener(scene.log);
    M* menu = filledMenu(scene, folder, {"c.zvp", "a.zvp", "b.zvp"},
                         M::kStyleSelectFolder | M::kStyleSaveEntry | M::kStyleShowFileName, &listener);
    std::string name = "c";
    menu->fileName = &name;
    const std::string root = folder.str() + "/";
    const struct {
        int32_t step;
        const char* name;
        const char* report;
    } steps[] = {
        {1, "c", "valueChanged(395,2) a.zvp"},   // past the last file: the first file
        {-1, "a", "valueChanged(395,4) c.zvp"},  // before the first file: the last
        {-1, "nothing", "valueChanged(395,4) c.zvp"}, {1, "nothing", "valueChanged(395,2) a.zvp"},
        {1, "b", "valueChanged(395,4) c.zvp"},
    };
    for (const auto& s : steps) {
        name = s.name;
        menu->stepFolderSelection(s.step);
        const CallLog log = scene.takeLog();
        ASSERT_EQ(log.size(), 1u) << s.name;
        EXPECT_EQ(log[0], std::string(s.report).insert(std::string(s.report).find(' ') + 1, root)) << s.name;
    }
    // A path taken from the entry gets the extension unless it has one.
    M* sub = scene.menu(CRect(), 395, M::kStyleFileMenu);
    sub->fillFolderMenu("/p", "", -1, true);
    sub->addEntries({"x", "y.zvp"});
    std::string path;
    const struct {
        int32_t entry;
        const char* extension;
        const char* path;
    } paths[] = {{0, "zvp", "/p/x.zvp"}, {1, "zvp", "/p/y.zvp"}, {0, nullptr, "/p/x"}, {1, "wav", "/p/y.zvp"}};
    for (const auto& p : paths) {
        sub->setValue(static_cast<float>(p.entry));
        ASSERT_TRUE(sub->getFilePath(path, p.extension));
        EXPECT_EQ(path, p.path);
    }
    sub->setValue(7.0f);
    EXPECT_FALSE(sub->getFilePath(path, "zvp")) << "no entry there";
}

// A sample tree: four custom-folder sub-menus from the settings (a missing
// value still lists "Select Folder"), then one sub-menu per sub-folder.
// Stepping passes from sub-menu to sub-menu and skips indices 0 and 1 of
// custom folders.
TEST(FolderMenu, TreeOfCustomFoldersAndSubFoldersSteps) {
    MenuScene scene;
    TempDir custom, content;
    touch(custom / "a1.wav");
    touch(custom / "a2.wav");
    touch(content / "Strings" / "s1.wav");
    touch(content / "Strings" / "notes.txt");
    setSettingString("presetuserpath100", custom.str());
    PathListener listener(scene.log);
    M* menu = scene.menu(
        CRect(10, 10, 60, 25), 392,
        M::kStyleFileMenu | M::kStyleFolderTree | M::kStyleShowFileName | M::kStyleSamples | M::kStyleMarkSelection, {},
        nullptr, &listener);
    menu->fillFolderMenu(content.str().c_str(), "wav", -1, true);
    EXPECT_EQ(texts(*menu), (std::vector<std::string>{"Custom Folder 1", "Custom Folder 2", "Custom Folder 3",
                                                      "Custom Folder 4", "Strings"}));
    EXPECT_EQ(texts(*menu->getEntry(0)->subMenu), (std::vector<std::string>{"Select Folder", "a1.wav", "a2.wav"}));
    EXPECT_EQ(texts(*menu->getEntry(1)->subMenu), std::vector<std::string>{"Select Folder"});
    EXPECT_EQ(texts(*menu->getEntry(4)->subMenu), std::vector<std::string>{"s1.wav"});
    EXPECT_TRUE(menu->getEntry(4)->subMenu->getStyle() & M::kStyleAudioList) << "rows without extension";

    std::string name = "Empty";
    menu->fileName = &name;
    const struct {
        int32_t step;
        const char* picked;
    } steps[] = {
        {1, "a2"},      // nothing current: the first custom folder with files, from index 2
        {1, "s1"},      // past its end: the next sub-menu with files
        {-1, "a2"},     // before the first: the previous one's last file
        {-1, nullptr},  // index 1 is skipped and nothing comes before: no report
    };
    for (const auto& s : steps) {
        menu->stepFolderSelection(s.step);
        const CallLog log = scene.takeLog();
        if (!s.picked) {
            EXPECT_EQ(log, CallLog{});
            continue;
        }
        ASSERT_EQ(log.size(), 1u) << s.picked;
        EXPECT_EQ(menu->pickedName, s.picked);
        EXPECT_EQ(log[0].substr(0, 22), "valueChanged(392,5) /t") << log[0];
        name = menu->pickedName;
    }
    EXPECT_EQ(menu->getSelectionSubMenu(), 0) << "the sub-menu of the selection is marked";

    // A pick in a sub-menu: a file reports the tree with its path; "Select
    // Folder" of a custom folder reports the custom folder with 100.
    M* strings = menu->getEntry(4)->subMenu;
    strings->setValue(0.0f);
    strings->valueChanged(strings);
    EXPECT_EQ(scene.takeLog(), CallLog{"valueChanged(392,1) " + (content / "Strings" / "s1.wav").string()});
    M* customFolder = menu->getEntry(0)->subMenu;
    customFolder->setValue(0.0f);
    customFolder->valueChanged(customFolder);
    EXPECT_EQ(scene.takeLog(), CallLog{"valueChanged(392,100) -"});
}

// The editor's folder choices, and the library position asked for at the
// opening of a preset tree.
TEST(FolderMenu, FolderChoicesAndTheLibraryPosition) {
    MenuScene scene;
    TempDir folder;
    PathListener listener(scene.log);
    M* menu = filledMenu(scene, folder, {"Bank A/one.zvp", "Bank A/two.zvp", "Bank B/three.zvp"},
                         M::kStyleFolderTree | M::kStyleSaveEntry | M::kStyleTitleEntry | M::kStyleMarkSelection,
                         &listener);
    ASSERT_EQ(texts(*menu), (std::vector<std::string>{"Save Preset", "--Presets--", "Bank A", "Bank B"}));
    const std::string two = (folder / "Bank A" / "two.zvp").string();
    const struct {
        int32_t kind, index, value;
        const char* path;
        CallLog log;
    } cases[] = {
        {0, 0, 1, "", {"valueChanged(395,2) " + two}},  // bank 0, file 1
        {0, 5, 0, "", {}},                              // no such bank: no report
        {1, 0, 0, "", {"valueChanged(395,0) " + two}},
        {3, 0, 0, "/x/chosen.zvp", {"valueChanged(395,2) /x/chosen.zvp"}},
        {4, 0, 0, "/x/other.zvp", {"valueChanged(395,0) /x/other.zvp"}},
        {2, 0, 0, "", {"editor.reloadPresetLibrary()"}},  // refilled, no report
    };
    for (const auto& c : cases) {
        menu->applyFolderChoice(c.kind, c.index, c.value, c.path, "n");
        EXPECT_EQ(scene.takeLog(), c.log) << c.kind;
    }
    EXPECT_EQ(menu->getNumEntries(), 4);

    scene.editor->libraryBank = 1;
    scene.editor->libraryIndex = 0;
    menu->openList(CPoint(10, 10), false);
    EXPECT_EQ(scene.takeLog(), CallLog{"editor.lookupLibraryEntry()"});
    EXPECT_EQ(menu->getSelectionSubMenu(), 3) << "Bank B, after the two fixed entries";
    EXPECT_EQ(menu->getEntry(3)->subMenu->getSelectionSubMenu(), 0);
    menu->looseFocus();
}

// Random picks choose a file of a sub-menu, and nothing when no sub-menu
// qualifies or the chosen one is empty; drops give the dropped path once,
// only to a menu that takes drops.
TEST(FolderMenu, RandomPicksAndDrops) {
    MenuScene scene;
    TempDir folder;
    PathListener listener(scene.log);
    M* menu = filledMenu(scene, folder, {"Bank/one.zvp", "Bank/two.zvp", "Empty/readme.txt"},
                         M::kStyleFolderTree | M::kStyleSaveEntry, &listener);
    ASSERT_EQ(texts(*menu), (std::vector<std::string>{"Save Preset", "Bank", "Empty"}));
    menu->pickRandomFile(2, true);
    EXPECT_EQ(scene.takeLog(), CallLog{}) << "an empty sub-menu";
    menu->pickRandomFile(-1, true);
    const CallLog picked = scene.takeLog();
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0].substr(0, 20), "valueChanged(395,1) ") << "the header count";
    EXPECT_TRUE(menu->pickedName == "one" || menu->pickedName == "two") << menu->pickedName;
    EXPECT_EQ(menu->pickedFullPath, (folder / "Bank" / menu->pickedName).string() + ".zvp");

    M* flat = scene.menu(CRect(100, 10, 150, 25), 391, M::kStyleFileMenu);
    flat->addEntries({"a", "b"});
    flat->pickRandomFile(-1, true);
    EXPECT_EQ(scene.takeLog(), CallLog{}) << "no sub-menu qualifies";

    // Drops through the frame's drop target, with the pointer over the menu.
    const std::string dropped = (folder / "dropped.zvp").string();
    // (The frame reads the pointer once per idle tick.)
    scene.windows.move(scene.window(), 20, 15);
    scene.idle();
    ASSERT_TRUE(scene.windows.drop(scene.window(), "", {dropped}));
    EXPECT_EQ(scene.takeLog(), CallLog{}) << "without style bit 18";
    M* taker = scene.menu(CRect(10, 40, 60, 55), 396, M::kStyleFileMenu | M::kStyleAcceptDrop, {}, nullptr, &listener);
    taker->setValue(0.0f);
    scene.windows.move(scene.window(), 20, 45);
    scene.idle();
    scene.windows.drop(scene.window(), "", {dropped, "/second/file.zvp"});
    EXPECT_EQ(scene.takeLog(), CallLog{"valueChanged(396,5) " + dropped});
    EXPECT_EQ(taker->getCurrent(), 0) << "the code is no entry";
    EXPECT_TRUE(taker->droppedPath.empty());
    scene.windows.drop(scene.window(), "some text", {});
    EXPECT_EQ(scene.takeLog(), CallLog{}) << "text is no file";
}

}  // namespace
}  // namespace widget_test
