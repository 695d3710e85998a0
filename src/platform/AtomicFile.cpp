#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <system_error>

#include "platform/FileKind.h"
#include "platform/WriterTemporary.h"

namespace platform {
namespace {

// Instrument chunks arrive a word at a time; gathering them saves a system
// call per word.  Larger writes go straight through.
constexpr size_t kBufferBytes = 64 * 1024;

// Links followed before giving up, as the system gives up on a path.
constexpr int kMaxLinks = 40;

std::atomic<unsigned> temporarySerial{0};

std::string notAFile(const std::filesystem::path& named, const std::filesystem::path& file, mode_t mode) {
    const std::string where = named == file ? "it" : "it leads to " + file.string() + ", which";
    return "cannot write " + named.string() + ": " + where + " is " + describeFileKind(mode) + ", not a regular file";
}

// What a save of named replaces.  The links that end the path are followed
// (the folders on the way are the system's to resolve, as for any open), so
// that the rename replaces the file a link names and the link stays.  Empty,
// with problem set, when the save must be refused.  mode gets the permission
// bits of a file that exists, or stays empty for a new one.
std::filesystem::path replacedFile(const std::filesystem::path& named, std::optional<mode_t>& mode,
                                   std::string& problem) {
    std::filesystem::path path = named;
    for (int links = 0;; ++links) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0) {
            // A new file; a missing folder is reported when the temporary cannot be made.
            if (errno == ENOENT) return path;
            problem = "cannot write " + named.string() + ": " + std::strerror(errno);
            return {};
        }
        if (S_ISREG(status.st_mode)) {
            mode = status.st_mode & 0777;
            return path;
        }
        if (!S_ISLNK(status.st_mode)) {
            problem = notAFile(named, path, status.st_mode);
            return {};
        }
        std::error_code error;
        const std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error || links == kMaxLinks) {
            problem = "cannot write " + named.string() + ": " +
                      (error ? error.message() : std::string("too many levels of symbolic links"));
            return {};
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
}

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
        if (done == 0) errno = ENOSPC;  // 0 would loop for ever; a full disk answers -1 or a short count first
        if (done <= 0) return false;
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

bool AtomicFile::fail(const std::string& what, int errorNumber) {
    hasFailed = true;
    if (problem.empty()) problem = errorNumber != 0 ? what + ": " + std::strerror(errorNumber) : what;
    return false;
}

bool AtomicFile::open(const std::filesystem::path& newTarget) {
    discard();
    problem.clear();
    named = newTarget;
    if (newTarget.empty() || !newTarget.has_filename()) return fail("cannot write \"" + newTarget.string() + "\": no file name");
    std::optional<mode_t> mode;
    const std::filesystem::path file = replacedFile(newTarget, mode, problem);
    if (file.empty()) return fail(problem);
    removeStaleWriterTemporaries(file.parent_path());
    descriptor = createTemporary(file, temporary);
    if (descriptor < 0) {
        const int error = errno;
        temporary.clear();
        return fail("cannot write " + newTarget.string() + ": cannot create a file beside " + file.string(), error);
    }
    // Replacing a private file must not make it readable to others.
    if (mode) ::fchmod(descriptor, *mode);
    target = file;
    hasFailed = false;
    written = 0;
    buffer.clear();
    buffer.reserve(kBufferBytes);
    return true;
}

bool AtomicFile::flushBuffer() {
    const uint64_t start = written - buffer.size();
    if (!buffer.empty() && !writeAllAt(descriptor, buffer.data(), buffer.size(), off_t(start)))
        fail("cannot write " + named.string(), errno);
    buffer.clear();
    return !hasFailed;
}

bool AtomicFile::write(const void* data, size_t size) {
    if (!isOpen()) return fail("cannot write " + named.string() + ": no save is open");
    if (size > 0 && !data) return fail("cannot write " + named.string() + ": no bytes given");
    if (hasFailed) return false;
    const char* bytes = static_cast<const char*>(data);
    if (buffer.size() + size <= kBufferBytes) {
        buffer.insert(buffer.end(), bytes, bytes + size);
        written += size;
        return true;
    }
    if (!flushBuffer()) return false;
    if (!writeAllAt(descriptor, bytes, size, off_t(written))) fail("cannot write " + named.string(), errno);
    written += size;
    return !hasFailed;
}

bool AtomicFile::writeAt(uint64_t offset, const void* data, size_t size) {
    if (!isOpen()) return fail("cannot write " + named.string() + ": no save is open");
    if ((size > 0 && !data) || offset > written || size > written - offset)
        return fail("cannot write " + named.string() + ": a fill-in outside the bytes written");
    if (hasFailed || !flushBuffer()) return false;
    if (!writeAllAt(descriptor, static_cast<const char*>(data), size, off_t(offset)))
        fail("cannot write " + named.string(), errno);
    return !hasFailed;
}

void AtomicFile::closeDescriptor() {
    if (descriptor >= 0 && ::close(descriptor) != 0) fail("cannot write " + named.string(), errno);
    descriptor = -1;
}

bool AtomicFile::commit() {
    if (!isOpen()) return fail("cannot save " + named.string() + ": no save is open");
    if (flushBuffer() && ::fsync(descriptor) != 0) fail("cannot save " + named.string(), errno);
    closeDescriptor();
    // Something else may have taken the file's place while it was written.
    struct stat status {};
    if (!hasFailed && ::lstat(target.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        fail(notAFile(named, target, status.st_mode));
    if (!hasFailed && std::rename(temporary.c_str(), target.c_str()) != 0)
        fail("cannot save " + named.string(), errno);
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

bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes, std::string* error) {
    AtomicFile file(target);
    const bool saved = file.write(bytes) && file.commit();
    if (!saved && error) *error = file.error();
    return saved;
}

}  // namespace platform
