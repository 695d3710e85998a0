#pragma once
// A file for readers that take a path: an anonymous in-memory file reached
// through /proc, so that fuzzing makes no disk traffic and leaves nothing
// behind.  Refilled for every input.

#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

class MemoryFile {
public:
    explicit MemoryFile(const char* name) : fd(memfd_create(name, 0)) {}
    ~MemoryFile() {
        if (fd >= 0) ::close(fd);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool fill(const void* data, size_t size) {
        return fd >= 0 && ftruncate(fd, 0) == 0 &&
               (size == 0 || pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd); }

private:
    int fd;
};
