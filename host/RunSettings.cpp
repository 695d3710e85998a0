#include "host/RunSettings.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>
#include <vector>

#include "host/TreeRemoval.h"
#include "platform/AtomicFile.h"
#include "platform/SettingsKeyFile.h"
#include "platform/SettingsStoreKey.h"
#include "platform/UserFolders.h"

namespace {

// The store's key files; its lock files and any temporaries are not copied.
constexpr char kKeyFileExtension[] = ".key";
constexpr char kCopyPrefix[] = "zorvane-host-settings-";
constexpr char kLockSuffix[] = ".lock";
constexpr char kLockPattern[] = "zorvane-host-settings-XXXXXX.lock";
constexpr int kLockSuffixLength = sizeof(kLockSuffix) - 1;
constexpr int kNameAttempts = 100;

std::filesystem::path temporaryFolder() {
    std::error_code failed;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(failed);
    return failed ? std::filesystem::path("/tmp") : folder;
}

// What the clean-up removes, made before a signal can ask for it and
// changed only while the ending signals are held back.
struct CopyPaths {
    char folder[PATH_MAX] = {};
    char lock[PATH_MAX] = {};
};
CopyPaths copyPaths;
enum CopyState : int { kNoCopy, kCopyMade, kRemoving };
std::atomic<int> copyState{kNoCopy};

// The clean-up; async-signal-safe.  The first caller removes the folder,
// then its lock file; a caller meanwhile (a signal on another thread) waits
// until it has, so that the program does not end halfway.
void removeCopy() {
    int made = kCopyMade;
    if (!copyState.compare_exchange_strong(made, kRemoving)) {
        const timespec moment{0, 1000000};
        while (copyState.load() == kRemoving) nanosleep(&moment, nullptr);
        return;
    }
    removeTreeAsync(copyPaths.folder);
    unlink(copyPaths.lock);
    copyState.store(kNoCopy);
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A lock file of a new name, locked, and the folder of the same name beside
// it; false with a reason.  A run that removes stale copies may take the new
// lock file for one in the moment before it is locked and remove it:
// another name is then tried.
bool makeLockedFolder(const std::filesystem::path& temporary, std::filesystem::path& folder, int& lock, std::string& error) {
    int why = EEXIST;
    for (int attempt = 0; attempt < kNameAttempts && why == EEXIST; ++attempt) {
        std::string name = (temporary / kLockPattern).string();
        if (name.size() >= PATH_MAX) {
            why = ENAMETOOLONG;
            break;
        }
        lock = mkostemps(name.data(), kLockSuffixLength, O_CLOEXEC);
        if (lock < 0) {
            why = errno;
            break;
        }
        struct stat locked {}, named {};
        const bool ours = flock(lock, LOCK_EX) == 0 && fstat(lock, &locked) == 0 && stat(name.c_str(), &named) == 0 &&
                          sameFile(locked, named);
        folder = name.substr(0, name.size() - kLockSuffixLength);
        if (ours && mkdir(folder.c_str(), 0700) == 0) return true;
        // Taken away meanwhile, or a folder of that name is there already.
        why = ours ? errno : EEXIST;
        if (ours) unlink(name.c_str());
        close(lock);
        lock = -1;
    }
    error = "cannot make a settings folder for the run in " + temporary.string() + ": " + std::strerror(why);
    return false;
}

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

// Removes the copy of this lock file when no run holds the lock: its run
// ended without removing it.  The folder goes first, so that a folder is
// never left without its lock file.
void removeIfStale(const std::filesystem::path& lockFile) {
    const int lock = open(lockFile.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (lock < 0) return;
    struct stat locked {}, named {};
    // Only a lock file of this user's that no run holds, and still the file
    // of that name.
    const bool stale = fstat(lock, &locked) == 0 && S_ISREG(locked.st_mode) && locked.st_uid == geteuid() &&
                       flock(lock, LOCK_EX | LOCK_NB) == 0 && lstat(lockFile.c_str(), &named) == 0 && sameFile(locked, named);
    if (stale) {
        const std::string lockName = lockFile.string();
        const std::string folder = lockName.substr(0, lockName.size() - kLockSuffixLength);
        if (removeTreeAsync(folder.c_str())) unlink(lockName.c_str());
    }
    close(lock);
}

}  // namespace

RunSettings::~RunSettings() {
    {
        const EndingSignalsHeld held;
        removeCopy();
    }
    if (lockDescriptor >= 0) close(lockDescriptor);
}

bool RunSettings::make(std::string& error) {
    const std::filesystem::path temporary = temporaryFolder();
    // Before anything of the copy exists: from here on, a signal that ends
    // the run removes what there is of it.
    cleanup = std::make_unique<CleanupOnEndingSignals>(removeCopy);
    {
        const EndingSignalsHeld held;
        if (!makeLockedFolder(temporary, own, lockDescriptor, error)) return false;
        const std::string folder = own.string();
        std::memcpy(copyPaths.folder, folder.c_str(), folder.size() + 1);
        std::memcpy(copyPaths.lock, (folder + kLockSuffix).c_str(), folder.size() + kLockSuffixLength + 1);
        copyState.store(kCopyMade);
    }
    if (!copyKeyFiles(platform::settingsRoot(), own, error)) return false;
    ::setenv("ZORVANE_SETTINGS_DIR", own.c_str(), 1);
    return true;
}

void RunSettings::removeStaleCopies() {
    std::error_code failed;
    for (auto entry = std::filesystem::directory_iterator(temporaryFolder(), failed);
         !failed && entry != std::filesystem::directory_iterator(); entry.increment(failed)) {
        const std::string name = entry->path().filename().string();
        if (name.starts_with(kCopyPrefix) && name.ends_with(kLockSuffix)) removeIfStale(entry->path());
    }
}
