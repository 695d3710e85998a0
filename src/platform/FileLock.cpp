#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

FileLock::FileLock(const std::filesystem::path& lockFile) {
    // Each object opens the file anew: flock locks belong to the open file,
    // so two objects in one process exclude each other as two processes do.
    const int file = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (file < 0) return;
    int result;
    do {
        result = ::flock(file, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(file);
        return;
    }
    descriptor = file;
}

FileLock::~FileLock() {
    if (descriptor >= 0) ::close(descriptor);  // closing releases the lock
}

}  // namespace platform
