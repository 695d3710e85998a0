#include "platform/FolderListing.h"

#include <sys/stat.h>

#include <algorithm>
#include <system_error>

namespace platform {

std::vector<FolderEntry> listFolderEntries(const std::filesystem::path& folder) {
    std::vector<FolderEntry> entries;
    if (folder.empty()) return entries;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    const std::filesystem::directory_iterator end;
    for (; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        // is_directory follows links, so a link to a folder lists as a
        // folder; a dangling link counts as a file.
        const bool isFolder = it->is_directory(typeError);
        entries.push_back({it->path().filename().string(), isFolder && !typeError});
    }
    return entries;
}

bool VisitedFolders::firstVisit(const std::filesystem::path& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) return false;
    const std::pair<uint64_t, uint64_t> identity{status.st_dev, status.st_ino};
    if (std::find(seen.begin(), seen.end(), identity) != seen.end()) return false;
    seen.push_back(identity);
    return true;
}

}  // namespace platform
