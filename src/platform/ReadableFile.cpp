#include "platform/ReadableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/FileKind.h"

namespace platform {
namespace {

constexpr size_t kReadPiece = 64 * 1024;

bool readable(mode_t mode, ReadableFile::Pipes pipes) {
    return S_ISREG(mode) || (S_ISFIFO(mode) && pipes == ReadableFile::Pipes::Read);
}

// "16 MiB" rather than "16777216 bytes" where the limit allows.
std::string sizeText(uint64_t bytes) {
    const char* const units[] = {"bytes", "KiB", "MiB", "GiB"};
    int unit = 0;
    while (unit < 3 && bytes >= 1024 && bytes % 1024 == 0) bytes /= 1024, ++unit;
    return std::to_string(bytes) + " " + units[unit];
}

}  // namespace

ReadableFile::ReadableFile(const std::filesystem::path& path, Pipes pipes) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        nothingThere = errno == ENOENT;
        refuse(std::strerror(errno));
        return;
    }
    if (!readable(status.st_mode, pipes)) {
        refuse(std::string("it is ") + describeFileKind(status.st_mode) + ", not a file");
        return;
    }
    const int opened = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (opened < 0) {
        nothingThere = errno == ENOENT;
        refuse(std::strerror(errno));
        return;
    }
    // What was opened, which may have been swapped since the look.
    std::string why;
    if (::fstat(opened, &status) != 0)
        why = std::strerror(errno);
    else if (!readable(status.st_mode, pipes))
        why = std::string("it is ") + describeFileKind(status.st_mode) + ", not a file";
    else if (const int flags = ::fcntl(opened, F_GETFL); flags < 0 || ::fcntl(opened, F_SETFL, flags & ~O_NONBLOCK) != 0)
        why = std::strerror(errno);
    if (!why.empty()) {
        ::close(opened);
        refuse(why);
        return;
    }
    descriptor = opened;
    pipe = S_ISFIFO(status.st_mode);
    bytes = pipe ? 0 : uint64_t(status.st_size);
}

ReadableFile::~ReadableFile() {
    if (descriptor >= 0) ::close(descriptor);
}

bool ReadableFile::refuse(const std::string& why) {
    reason = why;
    return false;
}

size_t ReadableFile::read(void* buffer, size_t size) {
    if (descriptor < 0) return 0;
    char* into = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(descriptor, into + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) refuse(std::strerror(errno));
        if (got <= 0) break;
        done += size_t(got);
    }
    return done;
}

bool ReadableFile::readRest(std::string& text, uint64_t limit) {
    if (descriptor < 0) return false;
    const size_t start = text.size();
    const std::string tooLarge = "it is larger than " + sizeText(limit);
    if (bytes > limit) return refuse(tooLarge);
    text.reserve(start + size_t(bytes));
    char piece[kReadPiece];
    for (;;) {
        const size_t got = read(piece, sizeof piece);
        if (!reason.empty()) return text.resize(start), false;
        if (got == 0) return true;
        if (text.size() - start + got > limit) return text.resize(start), refuse(tooLarge);
        text.append(piece, got);
    }
}

std::FILE* ReadableFile::releaseAsStream() {
    if (descriptor < 0) return nullptr;
    std::FILE* stream = ::fdopen(descriptor, "rb");
    if (!stream) ::close(descriptor);
    descriptor = -1;
    return stream;
}

bool readRegularFile(const std::filesystem::path& path, uint64_t limit, std::string& text, std::string* problem) {
    ReadableFile file(path);
    text.clear();
    if (file.isOpen() && file.readRest(text, limit)) return true;
    if (problem) *problem = file.problem();
    return false;
}

}  // namespace platform
