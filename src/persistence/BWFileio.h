#pragma once
// Whole-file reads and writes, file sizes and folder walks, and the
// temporary folder.  Nothing is reported to the user: failures answer false,
// 0 or nothing.  The operations keep no state; any thread but the audio
// thread.

#include <cstddef>
#include <cstdint>
#include <string>

class BWFileio {
public:
    virtual ~BWFileio() = default;

    // Receives each file's path and the caller's context.
    using FileCallback = void (*)(const char* path, void* context);

    // Calls back for every file of the folder; depth 0: that folder only,
    // 1: its direct sub-folders too, 2: every level.  Sub-folders come first,
    // then the folder's own files, each in the order the file system gives.
    static void listFiles(const std::string& folder, FileCallback callback, void* context, int depth);

    // Reads the first size bytes of the file into buffer.  False when the
    // path is shorter than 2 characters, names no regular file (a named pipe
    // is refused, never waited on: see platform/ReadableFile.h), the file
    // cannot be opened, or it holds fewer than size bytes (those it holds are
    // in the buffer then, the rest of the buffer is as it was).
    static bool readWhole(const char* path, void* buffer, size_t size);

    // Makes the file hold exactly these bytes, through a temporary file beside
    // it that replaces it only once complete.  False when the file could not
    // be written; it then keeps its old content.
    static bool writeWhole(const char* path, const void* data, size_t size);

    // The size in bytes of a regular file; 0 when it cannot be examined, is
    // no regular file, or is too large for 32 bits.
    static uint32_t fileSize(const char* path);
};

// The user's temporary folder in its full form, ending in "/".
std::string getTempPath();
