#pragma once
// Opening a file to read it only when it can be read at once; every reader
// of the product's files (presets, chord banks, instruments, samples,
// settings keys, images, and the host's state, preset, MIDI and events
// files) opens through here, as every save goes through AtomicFile.
//
// Whatever a path names, opening it never waits.  The path is looked at
// first, links followed, and anything but a regular file (a folder, a named
// pipe, a socket, a device) is refused without being opened: opening a
// device can have effects of its own, and opening a named pipe waits for a
// writer.  The file is then opened with O_NONBLOCK, so that a pipe put in
// its place since the look cannot hold the open either, and the open
// descriptor is looked at again: what is read is what was checked.  Then
// O_NONBLOCK is cleared and the file is read as usual.
//
// A reader of what a person pipes in on a command line (`--midi <(...)`)
// may take named pipes too (Pipes::Read): a pipe with a writer is read until
// the writer closes it, as cat reads it; one that nobody writes to reads as
// empty at once.
//
// One object per read; any thread but the audio thread.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace platform {

class ReadableFile {
public:
    enum class Pipes { Refuse, Read };

    // Opens at once; isOpen() tells whether it could, problem() why not.
    explicit ReadableFile(const std::filesystem::path& path, Pipes pipes = Pipes::Refuse);
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    bool isOpen() const { return descriptor >= 0; }
    // Nothing is there (or a folder on the way is missing): for readers that
    // take a missing file as an empty one.
    bool missing() const { return nothingThere; }
    bool isPipe() const { return pipe; }
    // The size of a regular file when it was opened; 0 for a pipe.
    uint64_t size() const { return bytes; }
    // Why the file could not be opened or read, without the path ("No such
    // file or directory", "it is a named pipe, not a file"); empty while
    // nothing failed.
    const std::string& problem() const { return reason; }

    // Reads up to size bytes from where the last read ended; answers how
    // many came (fewer only at the end of the file or when a read failed,
    // which problem() then tells).
    size_t read(void* buffer, size_t size);
    // Appends the rest of the file to text.  False when a read fails or more
    // than limit bytes would be appended (problem() says which); text then
    // holds what came before.
    bool readRest(std::string& text, uint64_t limit);

    // Hands the open file over as a stream for reading ("rb"); nullptr when
    // it is not open.  The caller closes the stream; this object is closed.
    std::FILE* releaseAsStream();

private:
    bool refuse(const std::string& why);

    int descriptor = -1;
    bool nothingThere = false;
    bool pipe = false;
    uint64_t bytes = 0;
    std::string reason;
};

// The whole of a regular file, at most limit bytes; false with the reason in
// *problem (when given) otherwise.
bool readRegularFile(const std::filesystem::path& path, uint64_t limit, std::string& text,
                     std::string* problem = nullptr);

}  // namespace platform
