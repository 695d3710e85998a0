#include "platform/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace platform {
namespace {

// An environment value, or null when unset or empty (an empty value would
// otherwise turn into the current folder).
const char* environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

std::filesystem::path homeFromUserDatabase() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd record{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &record, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir || !*found->pw_dir)
        return {};
    return found->pw_dir;
}

}  // namespace

std::filesystem::path homeFolder() {
    if (const char* home = environmentValue("HOME")) return home;
    return homeFromUserDatabase();
}

std::filesystem::path settingsRoot() {
    if (const char* root = environmentValue("ZORVANE_SETTINGS_DIR")) return root;
    // The XDG rules ignore a relative config folder.
    const char* config = environmentValue("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return std::filesystem::path(config) / "brindlewick-registry";
    const std::filesystem::path home = homeFolder();
    if (home.empty()) return {};
    return home / ".config" / "brindlewick-registry";
}

namespace {

// A folder named by an override, else one under the home folder.
std::filesystem::path userFolder(const char* overrideName, const char* underHome) {
    if (const char* folder = environmentValue(overrideName)) return folder;
    const std::filesystem::path home = homeFolder();
    if (home.empty()) return {};
    return home / underHome;
}

}  // namespace

std::filesystem::path documentsFolder() { return userFolder("ZORVANE_DOCUMENTS_DIR", "Documents"); }

std::filesystem::path desktopFolder() { return userFolder("ZORVANE_DESKTOP_DIR", "Desktop"); }

}  // namespace platform
