#include "persistence/BWFileChooser.h"

#include "persistence/PathStrings.h"
#include "persistence/Settings.h"
#include "platform/FolderListing.h"

namespace {

bool modeKeeps(int mode, bool isFolder) {
    if (mode == BWFileChooser::kFilesOnly) return !isFolder;
    if (mode == BWFileChooser::kFoldersOnly) return isFolder;
    return true;
}

void listBelow(std::string folder, std::vector<BWDirHelper>& entries, int mode,
               platform::VisitedFolders& visited) {
    appendBackslash(folder);
    if (!visited.firstVisit(folder)) return;
    for (const platform::FolderEntry& entry : platform::listFolderEntries(folder)) {
        if (modeKeeps(mode, entry.isFolder)) entries.push_back({folder, entry.name, entry.isFolder, 0});
        if (entry.isFolder) listBelow(folder + entry.name, entries, mode, visited);
    }
}

}  // namespace

void BWFileChooser::listFolder(const std::string& folder, std::vector<std::string>& names, int mode) {
    for (const platform::FolderEntry& entry : platform::listFolderEntries(folder))
        if (modeKeeps(mode, entry.isFolder)) names.push_back(entry.name);
}

void BWFileChooser::listFolderRecursive(const std::string& folder, std::vector<BWDirHelper>& entries,
                                        int mode) {
    if (folder.empty()) return;
    platform::VisitedFolders visited;
    listBelow(folder, entries, mode, visited);
}

BWFileChooser::BWFileChooser(platform::DialogOwner* owner, const char* description, const char* extension)
    : owner(owner) {
    if (description && extension) addFilter(description, extension);
}

void BWFileChooser::addFilter(const std::string& text, const std::string& extension) {
    filters.emplace_back(text, extension);
}

platform::FileDialogType BWFileChooser::makeType(const std::string& text, const std::string& extension) {
    auto cut = [](const std::string& s, size_t n) { return s.substr(0, n); };
    return {cut(text, 127), cut("." + extension, 7), cut(extension, 7), cut(extension, 7)};
}

std::vector<platform::FileDialogType> BWFileChooser::buildTypes() const {
    std::vector<platform::FileDialogType> types;
    for (const auto& [text, extension] : filters) types.push_back(makeType(text, extension));
    return types;
}

std::string BWFileChooser::startingFolder(const std::string& path, const std::string& settingName) {
    if (settingName == kNotSet) return path;
    std::string folder;
    getSettingString(settingName, folder);
    return folder;
}

void BWFileChooser::rememberFolder(const std::string& path, const std::string& settingName) {
    if (settingName == kNotSet) return;
    std::string folder = path;
    stripFileName(folder);
    setSettingString(settingName, folder);
}

bool BWFileChooser::runLoadDialog(std::string& path, const std::string& settingName) {
    platform::FileDialogRequest request;
    request.style = platform::FileDialogStyle::Load;
    request.title = "Choose a file to load";
    request.initialFolder = startingFolder(path, settingName);
    request.types = buildTypes();
    const platform::FileDialogResult result = platform::runFileDialog(request);
    path = result.paths.empty() ? std::string() : result.paths.front();
    if (result.confirmed) rememberFolder(path, settingName);
    return result.confirmed;
}

bool BWFileChooser::chooseFile(std::string& path, const std::string& settingName, const std::string& title,
                               platform::FileDialogStyle style) {
    platform::FileDialogRequest request;
    request.style = style;
    request.title = title;
    request.initialFolder = startingFolder(path, settingName);
    if (!request.initialFolder.empty()) appendBackslash(request.initialFolder);
    request.initialFile = request.initialFolder;
    request.types = buildTypes();
    // The owner's busy mark is cleared however the dialog ends.
    struct BusyMark {
        platform::DialogOwner* owner;
        explicit BusyMark(platform::DialogOwner* o) : owner(o) {
            if (owner) owner->setDialogBusy(true);
        }
        ~BusyMark() {
            if (owner) owner->setDialogBusy(false);
        }
    };
    platform::FileDialogResult result;
    {
        BusyMark busy(owner);
        result = platform::runFileDialog(request);
    }
    if (!result.confirmed || result.paths.empty()) return false;
    path = result.paths.front();
    if (!filters.empty()) replaceExtension(path, filters.front().second);
    rememberFolder(path, settingName);
    return true;
}

bool BWFileChooser::chooseAudioFile(std::string& path, const std::string& extension) {
    // The sample types are the same for every use; built once.
    static const std::vector<platform::FileDialogType> audioTypes = {
        makeType("Audio file", "wav"), {"Audio IFF file", ".aif", "aiff", "aiff"},
        makeType("Audio IFF file", "aif"), makeType("Audio file", "mp3")};
    platform::FileDialogRequest request;
    request.style = platform::FileDialogStyle::Load;
    request.title = "Choose a file to load";
    request.initialFolder = path;
    request.types = extension == "wav" ? audioTypes
                                       : std::vector<platform::FileDialogType>{makeType("Preset file", extension)};
    const platform::FileDialogResult result = platform::runFileDialog(request);
    if (!result.confirmed || result.paths.empty()) return false;
    path = result.paths.front();
    return true;
}
