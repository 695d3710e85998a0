#include "platform/WriterTemporary.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

namespace platform {
namespace {

constexpr std::string_view kMarker = ".zw";
constexpr std::string_view kSuffix = ".tmp";
// Leaves room for the dot, the marker, two numbers and the suffix within the
// 255 bytes of a file name.
constexpr size_t kNameBytesKept = 200;

// Serials are unsigned 32-bit numbers; process ids stay below 2^22 on Linux,
// and nine digits keep any id within a pid_t.
constexpr size_t kSerialDigits = 10;
constexpr size_t kPidDigits = 9;

// Strips the decimal number that ends text; nothing when text does not end
// in one of 1 to maxDigits digits.
std::optional<uint64_t> takeTrailingNumber(std::string_view& text, size_t maxDigits) {
    size_t digits = 0;
    while (digits < text.size() && text[text.size() - 1 - digits] >= '0' && text[text.size() - 1 - digits] <= '9')
        ++digits;
    if (digits == 0 || digits > maxDigits) return std::nullopt;
    uint64_t value = 0;
    for (char c : text.substr(text.size() - digits)) value = value * 10 + (c - '0');
    text.remove_suffix(digits);
    return value;
}

bool takeSuffix(std::string_view& text, std::string_view suffix) {
    if (!text.ends_with(suffix)) return false;
    text.remove_suffix(suffix.size());
    return true;
}

// kill with signal 0 probes without signalling: ESRCH means no such process.
// EPERM means a process of another user holds that id, which is alive.
bool processIsGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Looked at without following a link, so the sweep never removes through one.
bool isRegularFileAt(int folder, const char* name) {
    struct stat status {};
    return ::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

std::filesystem::path writerTemporaryFor(const std::filesystem::path& target, pid_t pid, unsigned serial) {
    const std::string name = target.filename().string().substr(0, kNameBytesKept);
    return target.parent_path() / ("." + name + std::string(kMarker) + std::to_string(pid) + "-" +
                                   std::to_string(serial) + std::string(kSuffix));
}

std::optional<pid_t> writerTemporaryOwner(std::string_view fileName) {
    if (!fileName.starts_with('.') || !takeSuffix(fileName, kSuffix)) return std::nullopt;
    if (!takeTrailingNumber(fileName, kSerialDigits) || !takeSuffix(fileName, "-")) return std::nullopt;
    const std::optional<uint64_t> pid = takeTrailingNumber(fileName, kPidDigits);
    if (!pid || *pid <= 0 || !takeSuffix(fileName, kMarker)) return std::nullopt;
    if (fileName.size() < 2) return std::nullopt;  // the dot and at least one byte of the target's name
    return static_cast<pid_t>(*pid);
}

size_t removeStaleWriterTemporaries(const std::filesystem::path& folder) {
    DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!listing) return 0;
    const int descriptor = ::dirfd(listing);
    size_t removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::optional<pid_t> owner = writerTemporaryOwner(entry->d_name);
        if (!owner || !processIsGone(*owner) || !isRegularFileAt(descriptor, entry->d_name)) continue;
        if (::unlinkat(descriptor, entry->d_name, 0) == 0) ++removed;
    }
    ::closedir(listing);
    return removed;
}

}  // namespace platform
