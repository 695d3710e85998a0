#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

namespace platform {
namespace {

std::atomic<unsigned> temporaryCounter{0};

// Keeps the temporary name within the 255 bytes a file name may have even
// when the target's name comes close to that.
constexpr size_t kNameBytesKept = 200;

// A name no other writer uses at the same time: the process id tells
// processes apart, the counter threads and calls within one.
std::filesystem::path temporaryNameFor(const std::filesystem::path& target) {
    const std::string name = "." + target.filename().string().substr(0, kNameBytesKept) + "." +
                             std::to_string(getpid()) + "." +
                             std::to_string(temporaryCounter.fetch_add(1)) + ".tmp";
    return target.parent_path() / name;
}

bool writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Creates the temporary file, fills it and flushes it; false leaves no file.
bool writeTemporary(const std::filesystem::path& temporary, std::string_view bytes) {
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return false;
    bool ok = writeAll(descriptor, bytes) && ::fsync(descriptor) == 0;
    ok = (::close(descriptor) == 0) && ok;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    if (target.empty() || !target.has_filename()) return false;
    const std::filesystem::path temporary = temporaryNameFor(target);
    if (!writeTemporary(temporary, bytes)) return false;
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace platform
