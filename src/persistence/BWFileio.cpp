#include "persistence/BWFileio.h"

#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "persistence/PathStrings.h"
#include "platform/AtomicFile.h"
#include "platform/FolderListing.h"
#include "platform/ReadableFile.h"

namespace {

void listFilesBelow(std::string folder, BWFileio::FileCallback callback, void* context, int depth,
                    platform::VisitedFolders& visited) {
    appendBackslash(folder);  // so that folder + name is a path even when the caller left it off
    if (!visited.firstVisit(folder)) return;
    const std::vector<platform::FolderEntry> entries = platform::listFolderEntries(folder);
    if (depth > 0) {
        const int subDepth = depth == 1 ? 0 : 2;
        for (const platform::FolderEntry& entry : entries)
            if (entry.isFolder)
                listFilesBelow(folder + entry.name + "/", callback, context, subDepth, visited);
    }
    for (const platform::FolderEntry& entry : entries)
        if (!entry.isFolder) callback((folder + entry.name).c_str(), context);
}

}  // namespace

void BWFileio::listFiles(const std::string& folder, FileCallback callback, void* context, int depth) {
    if (!callback || folder.empty()) return;
    platform::VisitedFolders visited;
    listFilesBelow(folder, callback, context, depth, visited);
}

bool BWFileio::readWhole(const char* path, void* buffer, size_t size) {
    if (!path || !buffer || std::strlen(path) < 2) return false;
    platform::ReadableFile file(path);
    return file.isOpen() && file.read(buffer, size) == size;
}

bool BWFileio::writeWhole(const char* path, const void* data, size_t size) {
    if (!path || !*path || (!data && size > 0)) return false;
    const std::string_view bytes(static_cast<const char*>(data), data ? size : 0);
    return platform::writeFileAtomically(path, bytes);
}

uint32_t BWFileio::fileSize(const char* path) {
    if (!path) return 0;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return 0;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > UINT32_MAX) return 0;
    return static_cast<uint32_t>(size);
}

std::string getTempPath() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) folder = "/tmp";
    // The full form resolves links and "..", as the long form of a Windows
    // path spells out every short name.
    const std::filesystem::path full = std::filesystem::weakly_canonical(folder, error);
    std::string text = (error ? folder : full).string();
    appendBackslash(text);
    return text;
}
