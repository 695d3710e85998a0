#include "persistence/BWFileChooser.h"

#include "persistence/PathStrings.h"
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
