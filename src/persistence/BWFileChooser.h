#pragma once
// The file chooser's folder listings.

#include <string>
#include <vector>

#include "persistence/BWDirHelper.h"

class BWFileChooser {
public:
    // Listing modes; any other mode lists files and folders.
    static constexpr int kFilesOnly = 1;
    static constexpr int kFoldersOnly = 2;

    // Appends the names of the folder's entries that the mode keeps, without
    // "." and "..", in the order the file system gives them.  A folder that
    // cannot be read adds nothing.  Host/GUI thread.
    static void listFolder(const std::string& folder, std::vector<std::string>& names, int mode);

    // Appends a record for every entry that the mode keeps, at every level
    // below the folder: each record directly followed by those of its
    // folder's contents.  Every sub-folder is entered whatever the mode,
    // each folder at most once even when links lead back to it.
    // Host/GUI thread.
    static void listFolderRecursive(const std::string& folder, std::vector<BWDirHelper>& entries, int mode);
};
