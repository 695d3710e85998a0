// The editor's keys (reached through the plug-in object's key opcodes) and
// the hooks the plug-in object forwards to it.

#include "editor/BWUniClientEditor.h"
#include "persistence/PathStrings.h"
#include "persistence/Settings.h"
#include "platform/Framework.h"
#include "platform/ShellOpen.h"
#include "platform/WindowSystem.h"
#include "plugin/BWUniClient.h"
#include "widgets/BWLocalLink.h"
#include "widgets/BWViewContainer.h"

namespace {

// Virtual keys of the key record.
enum : uint8_t {
    kLeft = 11,
    kUp = 12,
    kRight = 13,
    kDown = 14,
    kPageUp = 15,
    kPageDown = 16,
    kInsert = 21,
    kF2 = 41,
};

// The open's mode for containers shown as a panel over the interface.
constexpr int32_t kPanelMode = 3;

bool shiftHeld() { return (platform::windowSystem().inputState() & platform::kStateShift) != 0; }

bool isArrow(uint8_t key) { return key >= kLeft && key <= kDown; }

// The maintenance passes run only where the setting asks for them, and
// only when the user agrees.
bool maintenanceConfirmed(const char* question) {
    uint32_t wanted = 0;
    return getSettingRaw("resaveallpresets", &wanted) && wanted != 0 && ConfirmOkCancel("%s", question);
}

}  // namespace

bool BWUniClientEditor::onKeyDown(VstKeyCode& key) {
    // F2 works even while a text field holds the keyboard.
    if (key.virt == kF2) {
        if (client) client->randomizeParameters();
        return true;
    }
    if (keyInputBlocked) return false;
    // The arrows and Shift with the page keys act when they are released.
    if (isArrow(key.virt) || (shiftHeld() && (key.virt == kPageUp || key.virt == kPageDown))) return true;
    return AEffGUIEditor::onKeyDown(key);
}

bool BWUniClientEditor::onKeyUp(VstKeyCode& key) {
    if (keyInputBlocked || !client) return false;
    if (isArrow(key.virt)) {
        client->getUndoManager().storeState();
        const int32_t step = key.virt == kLeft || key.virt == kUp ? -1 : 1;
        // The plug-in object decides what a number beyond the bank means.
        client->setProgram(client->getProgram() + step);
        client->updateDisplay();
        return true;
    }
    if (key.virt == kInsert && maintenanceConfirmed("resaving all presets ?")) client->checkPresetConsistency();
    const bool shift = shiftHeld();
    if (shift && (key.virt == kPageUp || key.virt == kPageDown)) {
        const float factor = editorZoom.userFactor();
        zoom(key.virt == kPageUp ? factor * 2.0f : factor * 0.5f, true);
        setSettingDword("forceresize", 1);
        return true;
    }
    if (!shift && key.virt == kPageDown && maintenanceConfirmed("check layer 1 bwde")) client->checkPresetConsistency1();
    return AEffGUIEditor::onKeyUp(key);
}

void BWUniClientEditor::openHookMenu() {
    if (hookContainer) hookContainer->activate(kPanelMode, nullptr, 0);
}

// Opens the manual's folder, "Manual" under the "installpath" folder.
void BWUniClientEditor::openManual() {
    std::string path;
    if (!getSettingString("installpath", path)) return;
    appendBackslash(path);
    path += "Manual";
    appendBackslash(path);
    platform::openDocumentIfPresent(path, VSTGUI::BWLocalLink::kManualMissing);
}
