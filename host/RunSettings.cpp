#include "host/RunSettings.h"

#include <stdlib.h>

#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/ReadableFile.h"
#include "platform/UserFolders.h"

namespace {

// The store's key files; its lock files and any temporaries are not copied.
constexpr char kKeyFileExtension[] = ".key";
// Far beyond any real key, as the store itself bounds them.
constexpr uint64_t kLargestKeyFile = 16 * 1024 * 1024;
constexpr char kFolderPattern[] = "zorvane-host-settings-XXXXXX";

// Copies the key files under from to the same places under to.  A key file
// that cannot be read (or is no regular file) is left out: the store reads
// it as empty all the same.
bool copyKeyFiles(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error) {
    std::error_code failed;
    if (!std::filesystem::is_directory(from, failed)) return true;  // no settings yet
    const auto options = std::filesystem::directory_options::skip_permission_denied;
    for (auto entry = std::filesystem::recursive_directory_iterator(from, options, failed);
         !failed && entry != std::filesystem::recursive_directory_iterator(); entry.increment(failed)) {
        if (entry->path().extension() != kKeyFileExtension) continue;
        std::string bytes;
        if (!platform::readRegularFile(entry->path(), kLargestKeyFile, bytes)) continue;
        const std::filesystem::path copy = to / std::filesystem::relative(entry->path(), from, failed);
        if (failed) break;
        std::filesystem::create_directories(copy.parent_path(), failed);
        if (failed || !platform::writeFileAtomically(copy, bytes, &error)) return false;
    }
    if (failed) error = "cannot copy the settings from " + from.string() + ": " + failed.message();
    return !failed;
}

}  // namespace

RunSettings::~RunSettings() {
    std::error_code ignored;
    if (!own.empty()) std::filesystem::remove_all(own, ignored);
}

bool RunSettings::make(std::string& error) {
    std::error_code failed;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(failed);
    std::string pattern = ((failed ? std::filesystem::path("/tmp") : temporary) / kFolderPattern).string();
    if (!::mkdtemp(pattern.data())) {
        error = "cannot make a settings folder for the run in " + std::filesystem::path(pattern).parent_path().string();
        return false;
    }
    own = pattern;
    if (!copyKeyFiles(platform::settingsRoot(), own, error)) return false;
    ::setenv("ZORVANE_SETTINGS_DIR", own.c_str(), 1);
    return true;
}
