// The editor's commands that change what the render reads: MIDI learn,
// instrument changes, locating the instrument folder.  Each waits for the
// audio side with the bounded engine hold; when the audio side stays busy
// the command stops and says so, as a preset load does.

#include <cstdio>
#include <functional>

#include "editor/BWUniClientEditor.h"
#include "engine/BWRomplerHandler.h"
#include "engine/BWRomplerLibrary.h"
#include "persistence/BWFileChooser.h"
#include "persistence/PathStrings.h"
#include "persistence/Settings.h"
#include "platform/Framework.h"
#include "plugin/BWUniClient.h"
#include "widgets/BWViewContainer.h"

namespace {

constexpr const char* kLearnUnchanged = "the MIDI learn assignment was not changed";

void reportAudioBusy(const char* what) { AlertPrintf("The audio engine stayed busy: %s.", what); }

// What the layer's instrument change left behind goes once the audio side
// is out of its block: the parked instruments no voice reads any more.
void notifyAllSubObjects(BWRomplerHandler& handler) {
    if (BWRomplerLibrary* library = handler.getLibrary()) library->purgeReleased();
}

}  // namespace

bool BWUniClientEditor::learnPair(int32_t tag, int32_t subIndex) { return changeLearning(tag, subIndex, true); }

bool BWUniClientEditor::armLearnTarget(int32_t tag, int32_t subIndex) { return changeLearning(tag, subIndex, false); }

// The render takes the first target off the list when a controller comes,
// and appends to the lists: both change only while the engine is held.
bool BWUniClientEditor::changeLearning(int32_t tag, int32_t subIndex, bool dropAssignments) {
    return editLearnMap([&](MidiLearnMap& map) {
        map.targets().assign(1, LearnEntry{static_cast<int16_t>(tag), static_cast<int16_t>(subIndex)});
        if (dropAssignments) map.changeCount.fetch_add(map.removeFromControllers(tag, subIndex));
    });
}

bool BWUniClientEditor::clearPair(int32_t tag, int32_t subIndex) {
    if (client->editLockedTry(tag, subIndex, false)) return true;
    reportAudioBusy(kLearnUnchanged);
    return false;
}

bool BWUniClientEditor::removeMidiLearnTag(int32_t tag) {
    return editLearnMap(
        [&](MidiLearnMap& map) { map.changeCount.fetch_add(map.removeFromControllers(tag, -1)); });
}

bool BWUniClientEditor::editLearnMap(const std::function<void(MidiLearnMap&)>& edit) {
    EngineHoldScope hold(client->engineHold(), EngineHold::kEditTries);
    if (!hold.held()) {
        reportAudioBusy(kLearnUnchanged);
        return false;
    }
    MidiLearnMap& map = client->learnMap();
    LearnEditScope editing(map);
    edit(map);
    return true;
}

std::vector<std::string> BWUniClientEditor::learnMenuEntries(int32_t tag, int32_t subIndex) const {
    int32_t controller = -1;
    {
        // The render appends to the lists while it learns.
        EngineHoldScope hold(client->engineHold(), EngineHold::kEditTries);
        if (hold.held())
            controller = client->learnMap().controllerOf({static_cast<int16_t>(tag), static_cast<int16_t>(subIndex)});
    }
    char clear[32] = "Clear";
    if (controller >= 0) std::snprintf(clear, sizeof clear, "Clear (CC:%d)", controller);
    return {"Midi Learn", clear};
}

void BWUniClientEditor::changeInstrument(int32_t layer, const std::string& name) {
    if (layer < 0 || layer >= kSoundLayers) return;
    // The handler keeps the audio thread off the zone table while it swaps
    // the instrument; the old one is parked until no voice reads it.
    BWRomplerHandler& handler = client->soundLayer(layer);
    handler.loadInstrument(name, false);
    EngineHoldScope hold(client->engineHold(), EngineHold::kEditTries);
    if (!hold.held()) {
        reportAudioBusy("the previous instrument stays in memory until the next change");
        return;
    }
    notifyAllSubObjects(handler);
}

void BWUniClientEditor::locateInstruments() {
    std::string path;
    BWFileChooser chooser;
    if (!chooser.chooseFile(path, BWFileChooser::kNotSet, "Locate Instruments", platform::FileDialogStyle::Load))
        return;
    stripFileName(path);
    appendBackslash(path);
    setSettingString("InstrumentsPath", path);
    if (BWRomplerLibrary* library = client->soundLayer(0).getLibrary()) library->scan(true);
    scanInstrumentFolders();
    if (popupContainer) popupContainer->looseFocus();
}
