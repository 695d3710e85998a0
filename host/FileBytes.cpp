#include "host/FileBytes.h"

#include "platform/ReadableFile.h"

namespace {

constexpr size_t kReadPiece = 64 * 1024;

bool refuse(const std::string& path, const std::string& reason, std::string& error) {
    error = "cannot read " + path + ": " + reason;
    return false;
}

// The whole file into bytes (a string or a byte vector); an empty one is an
// error only when emptyIsAnError.
template <typename Bytes>
bool readWhole(const std::string& path, Bytes& bytes, bool emptyIsAnError, std::string& error) {
    bytes.clear();
    if (path.empty()) return refuse("\"\"", "no file named", error);
    platform::ReadableFile file(path, platform::ReadableFile::Pipes::Read);
    if (!file.isOpen()) return refuse(path, file.problem(), error);
    if (file.size() > kLargestInputFile) return refuse(path, "it is larger than 1 GiB", error);
    bytes.reserve(size_t(file.size()) + kReadPiece);  // the last piece's room included
    for (;;) {
        const size_t at = bytes.size();
        bytes.resize(at + kReadPiece);
        const size_t got = file.read(bytes.data() + at, kReadPiece);
        bytes.resize(at + got);
        if (!file.problem().empty()) return bytes.clear(), refuse(path, file.problem(), error);
        if (got == 0) break;
        if (bytes.size() > kLargestInputFile) return bytes.clear(), refuse(path, "it is larger than 1 GiB", error);
    }
    if (file.isPipe() && bytes.empty()) return refuse(path, "it is a named pipe that nothing wrote to", error);
    if (emptyIsAnError && bytes.empty()) return refuse(path, "the file is empty", error);
    return true;
}

}  // namespace

bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    return readWhole(path, bytes, true, error);
}

bool readFileText(const std::string& path, std::string& text, std::string& error) {
    return readWhole(path, text, false, error);
}
