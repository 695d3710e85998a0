#pragma once
// Replacing a file so that no reader and no crash ever sees it half written;
// every save of the product goes through here.
//
// The bytes go to a temporary file created exclusively beside the target
// (see WriterTemporary.h for its name), every write is checked, and commit()
// flushes the file to disk and renames it over the target.  Until commit the
// target keeps its old content; a failed step, discard() or destroying the
// writer removes the temporary.  Two writers of one target never share a
// temporary: each commit that answers true put that writer's whole file in
// place, and the target always holds one whole version.  Opening also removes
// the temporaries that writers killed in the middle of a save left in the
// folder.
//
// The writer respects what it replaces.  A target that is a symbolic link
// (or a chain of them) is followed: the file it names is replaced, with the
// temporary beside that file, and the link stays as it was; a dangling link
// gets its file.  A target that exists and is not a regular file (a folder,
// a named pipe, a socket, a device) is refused before anything is written,
// and is never renamed over.  The file that is replaced keeps its permission
// bits.  Every refusal and failure leaves a message naming the target
// (error()).
//
// One object per save, used by one thread at a time; any thread but the
// audio thread.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class AtomicFile {
public:
    AtomicFile() = default;
    // Opens at once; see open.
    explicit AtomicFile(const std::filesystem::path& target);
    // Discards a write that was not committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Starts a new content for target (discarding any write still open).
    // False when target names no file, is refused (see above), or the
    // temporary cannot be created.
    bool open(const std::filesystem::path& target);
    bool isOpen() const { return descriptor >= 0; }

    // Appends the bytes.  False when not open or any write so far failed;
    // a failure is kept, so a caller may write a whole record and test once
    // (failed(), or commit's answer).
    bool write(const void* data, size_t size);
    bool write(std::string_view bytes) { return write(bytes.data(), bytes.size()); }
    // Overwrites bytes already written, from offset on (a length or header
    // filled in at the end); writing past the end written so far fails.
    bool writeAt(uint64_t offset, const void* data, size_t size);
    // The bytes written so far.
    uint64_t size() const { return written; }
    bool failed() const { return hasFailed; }
    // Why the last open, write or commit failed, naming the target; empty
    // while nothing has failed.
    const std::string& error() const { return problem; }

    // Puts the file in place.  True when the target now holds exactly the
    // bytes written; false (not open, a failed write, or a failed flush or
    // rename) leaves the target as it was.  Either way the writer is closed
    // and no temporary remains.
    bool commit();
    // Drops the temporary; the target stays as it was.
    void discard();

private:
    bool flushBuffer();
    void closeDescriptor();
    bool fail(const std::string& what, int errorNumber = 0);

    int descriptor = -1;
    bool hasFailed = false;
    uint64_t written = 0;
    std::vector<char> buffer;  // bytes written but not yet handed to the system
    std::filesystem::path target;     // the regular file replaced, links followed
    std::filesystem::path named;      // the target as the caller named it, for messages
    std::filesystem::path temporary;
    std::string problem;
};

// Writes the bytes as the whole new content of target through an AtomicFile.
// False when any step fails; the target then keeps its old content, and
// *error (when given) says why.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string* error = nullptr);

}  // namespace platform
