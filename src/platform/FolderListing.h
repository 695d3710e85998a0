#pragma once
// The entries of one folder, as the folder scans of the content code need
// them.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct FolderEntry {
    std::string name;
    bool isFolder = false;  // a folder, or a link to one
};

// The entries of the folder, without "." and "..", in the order the file
// system gives them.  A folder that cannot be read gives no entries.  Any
// thread but the audio thread.
std::vector<FolderEntry> listFolderEntries(const std::filesystem::path& folder);

// Remembers the folders a recursive scan has entered, by their identity on
// disk, so that a link back up the tree cannot make the scan endless.
class VisitedFolders {
public:
    // True the first time a folder is seen; false for a folder already seen
    // and for one that cannot be examined.
    bool firstVisit(const std::filesystem::path& folder);

private:
    std::vector<std::pair<uint64_t, uint64_t>> seen;  // (device, inode)
};

}  // namespace platform
