#include "host/RunSettings.h"

#include <stdlib.h>

#include <optional>
#include <system_error>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/SettingsKeyFile.h"
#include "platform/SettingsStoreKey.h"
#include "platform/UserFolders.h"

namespace {

// The store's key files; its lock files and any temporaries are not copied.
constexpr char kKeyFileExtension[] = ".key";
constexpr char kFolderPattern[] = "zorvane-host-settings-XXXXXX";

// Copies the key files under from to the same places under to, as the
// store reads them.  A key file that cannot be read (or is no regular file)
// is named on the standard error and left out: the run's store reads it as
// empty, as the user's would.
bool copyKeyFiles(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error) {
    std::error_code failed;
    if (!std::filesystem::is_directory(from, failed)) return true;  // no settings yet
    const auto options = std::filesystem::directory_options::skip_permission_denied;
    for (auto entry = std::filesystem::recursive_directory_iterator(from, options, failed);
         !failed && entry != std::filesystem::recursive_directory_iterator(); entry.increment(failed)) {
        if (entry->path().extension() != kKeyFileExtension) continue;
        const std::optional<std::vector<platform::SettingsValue>> values = platform::SettingsStoreKey::readKeyFile(entry->path());
        if (!values) continue;
        const std::filesystem::path copy = to / std::filesystem::relative(entry->path(), from, failed);
        if (failed) break;
        std::filesystem::create_directories(copy.parent_path(), failed);
        if (failed || !platform::writeFileAtomically(copy, platform::encodeKeyFile(*values), &error)) return false;
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
