#include "host/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Closes the descriptor on every way out.
struct Descriptor {
    int value;
    ~Descriptor() {
        if (value >= 0) ::close(value);
    }
};

bool refuse(const std::string& path, const std::string& reason, std::string& error) {
    error = "cannot read " + path + ": " + reason;
    return false;
}

}  // namespace

bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    if (path.empty()) return refuse("\"\"", "no file named", error);
    // Looked at before it is opened: opening a device can have effects of
    // its own.  A named pipe is opened, and waits for its writer as cat does.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return refuse(path, std::strerror(errno), error);
    if (S_ISDIR(status.st_mode)) return refuse(path, "it is a folder, not a file", error);
    if (!S_ISREG(status.st_mode) && !S_ISFIFO(status.st_mode)) return refuse(path, "it is not a regular file", error);
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.value < 0) return refuse(path, std::strerror(errno), error);
    // What was opened, which may have been swapped since the look.
    if (::fstat(file.value, &status) != 0) return refuse(path, std::strerror(errno), error);
    if (!S_ISREG(status.st_mode) && !S_ISFIFO(status.st_mode)) return refuse(path, "it is not a regular file", error);
    if (S_ISREG(status.st_mode) && uint64_t(status.st_size) > kLargestInputFile)
        return refuse(path, "it is larger than 1 GiB", error);
    if (S_ISREG(status.st_mode)) bytes.reserve(size_t(status.st_size));
    uint8_t chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(file.value, chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return bytes.clear(), refuse(path, std::strerror(errno), error);
        if (got == 0) break;
        if (bytes.size() + size_t(got) > kLargestInputFile) return bytes.clear(), refuse(path, "it is larger than 1 GiB", error);
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (bytes.empty()) return refuse(path, "the file is empty", error);
    return true;
}
