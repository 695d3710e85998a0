// The editor's menus: the MIDI-learn menus, the chord-bank, instrument and
// preset menus, and the refills of the menus that show folders.

#include "editor/BWUniClientEditor.h"
#include "guitoolkit/BWFrame.h"
#include "persistence/BWFileChooser.h"
#include "persistence/ObjectFiles.h"
#include "persistence/Settings.h"
#include "plugin/BWUniClient.h"
#include "widgets/BWOptionMenu.h"
#include "widgets/BWViewContainer.h"

using VSTGUI::BWOptionMenu;
using VSTGUI::CControl;

namespace {

constexpr const char* kPresetExtensions[3] = {"zvp", "zvq", "zvk"};
constexpr const char* kChordBankExtension = "bwh";

// A folder of the settings as the menus take it ("error" when missing).
std::string settingFolder(const char* name) {
    std::string folder = "error";
    getSettingString(name, folder);
    return folder;
}

bool offersSave(const BWOptionMenu& menu) { return (menu.getStyle() & BWOptionMenu::kStyleSaveEntry) != 0; }

}  // namespace

// ---- what the open hands over ------------------------------------------------------

void BWUniClientEditor::addPresetMenu(int32_t kind, BWOptionMenu* menu) {
    if (menu && kind >= 0 && kind < kPresetMenuKinds) presetMenuLists[static_cast<size_t>(kind)].push_back(menu);
}

void BWUniClientEditor::addInstrumentMenu(BWOptionMenu* menu) {
    if (menu) instrumentMenus.push_back(menu);
}

void BWUniClientEditor::setContextMenu(BWOptionMenu* menu) {
    contextMenu = menu;
    if (!menu) return;
    menu->openCallback = &BWUniClientEditor::onMidiLearnMenu;
    menu->openCallbackArg = this;
}

void BWUniClientEditor::forgetWidgets() {
    hookContainer = nullptr;
    popupContainer = nullptr;
    contextMenu = nullptr;
    dirtyViews.fill(nullptr);
    for (auto& list : presetMenuLists) list.clear();
    instrumentMenus.clear();
}

// ---- MIDI learn -----------------------------------------------------------------------

// Before the learn menu opens: its entries for the widget it opens on.
bool BWUniClientEditor::onMidiLearnMenu(BWOptionMenu* menu, void* editor) {
    auto* self = static_cast<BWUniClientEditor*>(editor);
    if (!menu || !self) return true;
    menu->removeAllEntries();
    for (const std::string& text : self->learnMenuEntries(menu->getExtraInt1(), menu->getExtraInt2())) menu->addEntry(text);
    return true;
}

void BWUniClientEditor::rebuildLearnMenus() {
    if (contextMenu && contextMenu->getExtraInt1() >= 0) onMidiLearnMenu(contextMenu, this);
}

bool BWUniClientEditor::isContextMenu(const CControl* control) const { return contextMenu && control == contextMenu; }

void BWUniClientEditor::contextMenuChoice(CControl* control) {
    auto* menu = static_cast<BWOptionMenu*>(control);
    const int32_t tag = menu->getExtraInt1();
    const int32_t subIndex = menu->getExtraInt2();
    const float choice = control->getValue();
    if (choice == 0.0f) {
        learnPair(tag, subIndex);
    } else if (choice == 1.0f) {
        clearPair(tag, subIndex);
    }
}

void BWUniClientEditor::hiddenLearnMenuChoice(CControl* control) {
    auto* menu = dynamic_cast<BWOptionMenu*>(control);
    if (!menu) return;
    const float choice = control->getValue();
    if (choice == 0.0f) {
        armLearnTarget(menu->getExtraInt1(), 0);
    } else if (choice == 1.0f) {
        removeMidiLearnTag(menu->getExtraInt1());
    }
}

// ---- content menus ---------------------------------------------------------------------

void BWUniClientEditor::chordBankMenu(CControl* control) {
    auto* menu = dynamic_cast<BWOptionMenu*>(control);
    if (!menu) return;
    BWChunkableClass* bank = &client->patterns().chordList;
    if (control->getValue() == 0.0f && offersSave(*menu)) {
        BWFileChooser chooser(nullptr, "Chord Banks", kChordBankExtension);
        std::string path;
        if (chooser.chooseFile(path, "Chord BanksPathsave", "Chord Banks", platform::FileDialogStyle::Save))
            saveObjectToFile(bank, path);
        menu->fillFolderMenu(settingFolder("Chord BanksPath").c_str(), kChordBankExtension, -1, true);
    } else {
        std::string path;
        if (menu->getFilePath(path, kChordBankExtension)) loadObjectDialog(bank, path);
    }
    if (frame) frame->setDirty(true);
}

void BWUniClientEditor::instrumentMenu(CControl* control, int32_t layer) {
    auto* menu = dynamic_cast<BWOptionMenu*>(control);
    std::string name;
    if (menu && menu->getDisplayText(name)) changeInstrument(layer, name);
    if (frame) frame->setDirty(true);
}

void BWUniClientEditor::presetMenu(CControl* control, int32_t kind) {
    auto* menu = dynamic_cast<BWOptionMenu*>(control);
    if (!menu || kind < 0 || kind > 2) return;
    const char* extension = kPresetExtensions[kind];
    if (control->getValue() == 0.0f && offersSave(*menu)) {
        client->savePreset(nullptr, kind, extension, nullptr, nullptr);
        refreshPresetMenus(kind, extension);
        // The chooser leaves whatever cursor it had.
        if (auto* open = getBWFrame()) platform::windowSystem().setCursor(open->getWindow(), platform::CursorShape::Arrow);
    } else {
        std::string path;
        if (menu->getFilePath(path, extension)) client->loadPresetFromFile(path.c_str(), kind, nullptr, nullptr, nullptr);
        client->updateDisplay();
    }
    if (frame) frame->setDirty(true);
}

void BWUniClientEditor::refreshPresetMenus(int32_t kind, const char* extension) {
    if (kind < 0 || kind >= kPresetMenuKinds || !extension) return;
    for (BWOptionMenu* menu : presetMenuLists[static_cast<size_t>(kind)]) menu->fillFolderMenu(nullptr, extension, -1, true);
}

void BWUniClientEditor::scanInstrumentFolders() {
    const std::string folder = settingFolder("InstrumentsPath");
    for (BWOptionMenu* menu : instrumentMenus) menu->fillFolderMenu(folder.c_str(), "bwr", -1, true);
}

// ---- what the folder menus ask of the plug-in object ---------------------------------

void BWUniClientEditor::reloadPresetLibrary() {
    if (client) client->reloadPresetLibrary();
}

bool BWUniClientEditor::lookupLibraryEntry(int32_t* bank, int32_t* index) {
    return client && client->lookupLibraryEntry(bank, index);
}
