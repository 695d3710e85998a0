// Preset files and programs: loading and saving preset files, random
// presets, the programs of the preset library's banks and their names, and
// the search for a named preset in the preset folders.  Host/GUI thread.

#include <algorithm>
#include <cstring>

#include "persistence/BWFileChooser.h"
#include "persistence/BWFileio.h"
#include "persistence/FileRefusal.h"
#include "persistence/PathStrings.h"
#include "persistence/Settings.h"
#include "platform/Framework.h"
#include "platform/MsvcRand.h"
#include "platform/SystemTime.h"
#include "plugin/BWUniClient.h"

namespace {

constexpr const char* kNothingFound = ":-(";

void copyBounded(char* out, std::string_view text, size_t size) {
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

bool readPresetFolder(std::string& folder) {
    if (!getSettingString("presetpath0", folder)) return false;
    appendBackslash(folder);
    return true;
}

}  // namespace

bool BWUniClient::loadPresetFromFile(const char* path, int32_t kind, const char* extension,
                                     PresetFileCallback callback, void* context) {
    std::string file = path ? path : "";
    if (loader.isBusy()) {
        refuseFile("A program change was still loading a preset: this one was not loaded:", file);
        return false;
    }
    if (!path) {
        if (!BWFileChooser::chooseAudioFile(file, extension ? extension : kPresetExtension)) return false;
        if (getFileName(file).starts_with("EMPTY")) return false;
    }
    BWChunk chunk;
    if (!chunk.loadFromFile(file.c_str(), true)) {
        refuseFile(unreadableFileReason(file), file);
        return false;
    }
    if (int32_t(chunk.getProgramVersion()) > getProgramVersion()) {
        refuseFile(std::string("preset was written with a newer version of ") + getProductName(), file);
        return false;
    }
    if (callback) {
        chunk.setRecordingFiles(true);
        chunk.setSourcePath(file);
    }
    LoadRequest request = presetRequest(kind, PresetRoad::Menus);
    request.file = &file;
    if (applyState(chunk, request) != LoadOutcome::Applied) return false;
    if (callback) callback(&chunk, context);
    const int32_t k = kind & 3;
    const std::string folderName = getFolderName(file);
    {
        std::lock_guard<std::mutex> names(namesLock);
        presetPaths[k] = file;
        presetNames[k] = getBaseName(file);
        bankNames[k] = folderName;
    }
    if (kind == 0 && presetLibrary) {
        const int32_t bank = presetLibrary->findBank(folderName);
        if (bank >= 0) {
            currentBank = bank;
            const int32_t index = presetLibrary->findPresetInBank(bank, getBaseName(file));
            if (index >= 0) curProgram = index;
        }
        updateDisplay();
    }
    return true;
}

// Never forced, on any road: "Chord Select" stays as the player set it, and
// the values the player locked stay too; a global preset sets the sound and
// the sequence as a sound and a sequence preset would.  Only the menus show
// boxes; the loader shows none, asks for no missing sample and does not
// wait for the audio thread.
BWUniClient::LoadRequest BWUniClient::presetRequest(int32_t kind, PresetRoad road) {
    const bool loader = road == PresetRoad::ProgramChange;
    return {.kind = kind, .force = false, .quiet = loader, .noWait = loader, .resolveFiles = false,
            .dialogs = road == PresetRoad::Menus, .file = nullptr};
}

int32_t BWUniClient::loadPresetBytes(void* data, int32_t byteSize, int32_t kind, const std::string& name) {
    if (!data || byteSize <= 0) return 0;
    if (loader.isBusy()) return kChunkBusy;
    const HostCallScope hostCall(pendingNotices);
    BWChunk chunk(data, uint32_t(byteSize));  // read in place, up to byteSize
    if (!chunk.parseHeader(true) || int32_t(chunk.getProgramVersion()) > getProgramVersion()) return 0;
    switch (applyState(chunk, presetRequest(kind, PresetRoad::HostChunk))) {
        case LoadOutcome::Applied:
            break;
        case LoadOutcome::Refused:
            return 0;
        case LoadOutcome::Busy:
        case LoadOutcome::Parked:
            return kChunkBusy;
    }
    if (!name.empty()) setPresetName(kind, name);
    return 1;
}

bool BWUniClient::savePreset(const char* path, int32_t kind, const char* extension, const char* title,
                             PresetInfo* info) {
    std::string file = path ? path : "empty";
    if (!path) {
        const std::string ext = extension ? extension : kPresetExtension;
        std::string typeName = std::string(title ? title : getProductName()) + " Preset";
        for (const PresetCategory& category : categories) {
            if (category.kind == kind && !category.hasPathSetting) {
                typeName = category.itemName;
                break;
            }
        }
        BWFileChooser chooser(nullptr, typeName.c_str(), ext.c_str());
        if (!chooser.chooseFile(file, indexedSettingName("presetsavepath", kind), "Save Preset",
                                platform::FileDialogStyle::Save) ||
            file == "EMPTY" || file.size() < 2) {
            return false;
        }
    }
    BWChunk chunk;
    if (!saveStateToChunk(&chunk, kind, info) ||
        !BWFileio::writeWhole(file.c_str(), chunk.getWords(), size_t(chunk.getDataLength()) * 4)) {
        AlertPrintf("saving preset to %s failed", file.c_str());
        return false;
    }
    std::string folder;
    if (kind == 0 && presetLibrary && readPresetFolder(folder)) {
        presetLibrary->rescan(folder, true);
        currentBank = std::max(presetLibrary->findBank(getFolderName(file)), 0);
    }
    std::lock_guard<std::mutex> names(namesLock);
    presetPaths[kind & 3] = file;
    presetNames[kind & 3] = getBaseName(file);
    return true;
}

bool BWUniClient::loadRandomPreset() {
    if (!presetLibrary) return false;
    std::vector<int32_t> banks;
    for (uint32_t bank = 0; bank < std::min(presetLibrary->getBankCount(), PresetLibrary::kMaxBanks); ++bank) {
        if (presetLibrary->getBank(bank).entries.size() >= 2) banks.push_back(int32_t(bank));
    }
    if (banks.empty()) return false;
    platform::msvcSrand(uint32_t(platform::calendarSeconds()));
    const int32_t bank = banks[size_t(platform::msvcRand()) % banks.size()];
    const int32_t index = int32_t(size_t(platform::msvcRand()) % presetLibrary->getBank(uint32_t(bank)).entries.size());
    std::unique_ptr<BWChunk> chunk = presetLibrary->copyPreset(bank, index);
    if (!chunk) return false;
    LoadRequest request = presetRequest(kPresetKindGlobal, PresetRoad::Menus);
    request.resolveFiles = true;  // the names it carries are looked up on disk
    return applyState(*chunk, request) == LoadOutcome::Applied;
}

bool BWUniClient::storePresetPath(const char* path, int32_t index) {
    return path && setSettingString(indexedSettingName("presetpath", index), path);
}

void BWUniClient::findFileInTree(std::string& result, const std::string& folder, const std::string& fileName,
                                 int32_t kind) {
    result.clear();
    std::vector<BWDirHelper> entries;
    BWFileChooser::listFolderRecursive(folder, entries, BWFileChooser::kFilesOnly);
    for (const BWDirHelper& entry : entries) {
        if (entry.isFolder || entry.name != fileName) continue;
        std::string path = entry.folder;
        appendBackslash(path);
        path += entry.name;
        result = getFolderName(path);
        std::lock_guard<std::mutex> names(namesLock);
        presetPaths[kind & 3] = path;
        return;
    }
}

void BWUniClient::setProgram(int32_t program) {
    if (program == curProgram || !presetLibrary) return;
    curProgram = program;
    int32_t bank = currentBank;
    if (!presetLibrary->getPreset(bank, program)) {
        const int32_t banks = int32_t(presetLibrary->getBankCount());
        if (banks == 0) return;
        if (program < 0) {
            bank = bank > 0 ? bank - 1 : banks - 1;
            curProgram = std::max(int32_t(presetLibrary->getBank(uint32_t(bank)).entries.size()) - 1, 0);
        } else {
            bank = presetLibrary->getPreset(bank + 1, 0) ? bank + 1 : 0;
            curProgram = 0;
        }
        currentBank = bank;
    }
    std::string name;
    std::unique_ptr<BWChunk> chunk = presetLibrary->copyPreset(currentBank, curProgram, &name);
    if (!chunk || applyState(*chunk, presetRequest(kPresetKindGlobal, PresetRoad::Menus)) != LoadOutcome::Applied) return;
    setPresetName(0, name);
    std::string folder;
    if (!readPresetFolder(folder)) return;
    std::string found;
    findFileInTree(found, folder, name + "." + kPresetExtension, 0);
    if (found.empty()) {
        std::lock_guard<std::mutex> names(namesLock);
        presetPaths[0] = kNothingFound;
    }
}

void BWUniClient::getProgramName(char* name) {
    if (!name) return;
    if (curProgram != 0 && curProgram != -1 && presetLibrary) {
        char libraryName[PresetLibrary::kNameChars + 1];
        presetLibrary->getPresetName(currentBank, curProgram, libraryName);
        copyBounded(name, libraryName, kProgramNameBytes);
        return;
    }
    copyBounded(name, presetName(0), kProgramNameBytes);
}

bool BWUniClient::getProgramNameIndexed(int32_t /*category*/, int32_t index, char* text) {
    if (!text) return false;
    if (index == -1 || !presetLibrary) {
        copyBounded(text, index == -1 ? presetName(0) : std::string("empty"), kProgramNameBytes);
        return true;
    }
    char libraryName[PresetLibrary::kNameChars + 1];
    presetLibrary->getPresetName(currentBank, index, libraryName);
    copyBounded(text, libraryName, kProgramNameBytes);
    return true;
}

void BWUniClient::getProgramNames(std::vector<std::string>& names) {
    if (!presetLibrary) return;
    for (int32_t i = 0; i < kPrograms; ++i) {
        const PresetLibraryEntry* entry = presetLibrary->getPreset(currentBank, i);
        if (!entry) return;
        names.push_back(entry->name);
    }
}

std::string BWUniClient::getCurrentProgramName() { return presetName(0); }

bool BWUniClient::lookupLibraryEntry(int32_t* bank, int32_t* index) {
    int32_t b = 0, i = 0;
    const bool found = presetLibrary && presetLibrary->findPresetByName(presetName(0), b, i);
    if (found && bank) *bank = b;
    if (found && index) *index = i;
    return found;
}

void BWUniClient::reloadPresetLibrary() {
    std::string folder;
    if (presetLibrary && readPresetFolder(folder)) presetLibrary->rescan(folder, true);
}
