#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/WriterTemporary.h"

namespace platform {
namespace {

// Instrument chunks arrive a word at a time; gathering them saves a system
// call per word.  Larger writes go straight through.
constexpr size_t kBufferBytes = 64 * 1024;

std::atomic<unsigned> temporarySerial{0};

// Creates the temporary exclusively, so that no other writer (of this
// process or another) can be writing the same file.  A name taken by a
// temporary of an earlier process that had our id moves on to the next serial.
int createTemporary(const std::filesystem::path& target, std::filesystem::path& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = writerTemporaryFor(target, ::getpid(), temporarySerial.fetch_add(1));
        const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;
}

bool writeAllAt(int descriptor, const char* data, size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t done = ::pwrite(descriptor, data, size, offset);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;  // 0 would loop for ever; a full disk answers -1 or a short count first
        data += done;
        size -= size_t(done);
        offset += done;
    }
    return true;
}

// The rename is durable only once the folder's entry is on disk too.  The
// target already holds the new file when this fails, so its failure is not
// the save's.
void syncFolderOf(const std::filesystem::path& target) {
    const std::filesystem::path folder = target.parent_path();
    const int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

}  // namespace

AtomicFile::AtomicFile(const std::filesystem::path& target) { open(target); }

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::open(const std::filesystem::path& newTarget) {
    discard();
    hasFailed = true;  // until the temporary exists
    if (newTarget.empty() || !newTarget.has_filename()) return false;
    removeStaleWriterTemporaries(newTarget.parent_path());
    descriptor = createTemporary(newTarget, temporary);
    if (descriptor < 0) {
        temporary.clear();
        return false;
    }
    target = newTarget;
    hasFailed = false;
    written = 0;
    buffer.clear();
    buffer.reserve(kBufferBytes);
    return true;
}

bool AtomicFile::flushBuffer() {
    const uint64_t start = written - buffer.size();
    if (!buffer.empty() && !writeAllAt(descriptor, buffer.data(), buffer.size(), off_t(start))) hasFailed = true;
    buffer.clear();
    return !hasFailed;
}

bool AtomicFile::write(const void* data, size_t size) {
    if (!isOpen() || (size > 0 && !data)) hasFailed = true;
    if (hasFailed) return false;
    const char* bytes = static_cast<const char*>(data);
    if (buffer.size() + size <= kBufferBytes) {
        buffer.insert(buffer.end(), bytes, bytes + size);
        written += size;
        return true;
    }
    if (!flushBuffer()) return false;
    if (!writeAllAt(descriptor, bytes, size, off_t(written))) hasFailed = true;
    written += size;
    return !hasFailed;
}

bool AtomicFile::writeAt(uint64_t offset, const void* data, size_t size) {
    if (!isOpen() || (size > 0 && !data) || offset > written || size > written - offset) hasFailed = true;
    if (hasFailed || !flushBuffer()) return false;
    if (!writeAllAt(descriptor, static_cast<const char*>(data), size, off_t(offset))) hasFailed = true;
    return !hasFailed;
}

void AtomicFile::closeDescriptor() {
    if (descriptor >= 0 && ::close(descriptor) != 0) hasFailed = true;
    descriptor = -1;
}

bool AtomicFile::commit() {
    if (!isOpen()) return false;
    if (flushBuffer() && ::fsync(descriptor) != 0) hasFailed = true;
    closeDescriptor();
    if (!hasFailed && std::rename(temporary.c_str(), target.c_str()) != 0) hasFailed = true;
    if (hasFailed) {
        discard();
        return false;
    }
    syncFolderOf(target);
    temporary.clear();
    target.clear();
    return true;
}

void AtomicFile::discard() {
    closeDescriptor();
    if (!temporary.empty()) ::unlink(temporary.c_str());
    temporary.clear();
    target.clear();
    buffer.clear();
    written = 0;
}

bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    AtomicFile file(target);
    return file.write(bytes) && file.commit();
}

}  // namespace platform
