// Feeds arbitrary bytes to the WAV/AIFF reader as a file and reads whatever
// it accepts, as float and as 16-bit values.
#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#include "engine/AudioFile.h"

namespace {

// The reader takes a path, so the input lives in an anonymous in-memory file
// reached through /proc: no disk traffic, nothing left behind.
struct MemoryFile {
    int fd = memfd_create("audio_file", 0);
    ~MemoryFile() {
        if (fd >= 0) ::close(fd);
    }
    bool fill(const uint8_t* data, size_t size) {
        return fd >= 0 && ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == static_cast<ssize_t>(size);
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd); }
};

void countProgress(float, void* calls) {
    ++*static_cast<int*>(calls);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryFile file;
    if (!file.fill(data, size)) return 0;
    int calls = 0;
    AudioFile reader(countProgress, &calls);
    if (reader.open(file.path().c_str()) != kAudioOpened) return 0;
    // An accepted file's frames all lie inside the input.
    if (static_cast<size_t>(reader.getFrames()) * reader.getChannels() * (reader.getBits() / 8) > size) __builtin_trap();
    std::vector<float> left(reader.getFrames()), right(reader.getFrames());
    reader.readFloat(left.data(), right.data());
    std::vector<int16_t> left16(reader.getFrames()), right16(reader.getFrames());
    reader.readInt16(left16.data(), right16.data());
    return 0;
}
