#pragma once
// An exclusive lock between processes (and between threads of one process)
// on a lock file, held while the object lives.  The lock file itself is
// created when missing and never removed: removing it would let two writers
// hold locks on two different files.  The system drops the lock of a process
// that dies, so a crashed writer never blocks the others.

#include <filesystem>

namespace platform {

class FileLock {
public:
    // Waits until the lock is held.  Any thread but the audio thread.
    explicit FileLock(const std::filesystem::path& lockFile);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // False when the lock file could not be opened or locked.
    bool held() const { return descriptor >= 0; }

private:
    int descriptor = -1;
};

}  // namespace platform
