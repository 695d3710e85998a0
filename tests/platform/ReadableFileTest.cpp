#include "platform/ReadableFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "support/HangWatchdog.h"
#include "support/TempDir.h"
#include "support/UnixSocket.h"

namespace fs = std::filesystem;
using platform::ReadableFile;

namespace {

// What a reader got from the path: the bytes, or "!" and the reason.
std::string outcome(const fs::path& path, ReadableFile::Pipes pipes, uint64_t limit = 1024) {
    ReadableFile file(path, pipes);
    std::string text;
    if (!file.isOpen() || !file.readRest(text, limit)) return "!" + file.problem();
    return text;
}

}  // namespace

// Whatever the path names, the answer comes at once: the bytes of a regular
// file (links followed), the reason for anything else.  A named pipe is
// refused unless the reader takes pipes, and then one nobody writes to
// reads as empty.
TEST(ReadableFile, ReadsRegularFilesAndRefusesTheRestWithoutWaiting) {
    const HangWatchdog watchdog;
    TempDir dir;
    std::ofstream(dir / "plain") << "bytes";
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    fs::create_directory(dir / "folder");
    ASSERT_TRUE(makeSocketFile(dir / "socket"));
    fs::create_symlink(dir / "plain", dir / "to-plain");
    fs::create_symlink(dir / "pipe", dir / "to-pipe");
    using P = ReadableFile::Pipes;
    const struct {
        fs::path path;
        P pipes;
        std::string got;
    } cases[] = {
        {dir / "plain", P::Refuse, "bytes"},
        {dir / "to-plain", P::Refuse, "bytes"},
        {dir / "missing", P::Refuse, "!No such file or directory"},
        {dir / "plain" / "inside", P::Refuse, "!Not a directory"},
        {dir / "folder", P::Read, "!it is a folder, not a file"},
        {dir / "pipe", P::Refuse, "!it is a named pipe, not a file"},
        {dir / "to-pipe", P::Refuse, "!it is a named pipe, not a file"},
        {dir / "pipe", P::Read, ""},
        {dir / "socket", P::Read, "!it is a socket, not a file"},
        {"/dev/null", P::Read, "!it is a character device, not a file"},
    };
    for (const auto& c : cases) EXPECT_EQ(outcome(c.path, c.pipes), c.got) << c.path;
    EXPECT_TRUE(ReadableFile(dir / "missing").missing());
    EXPECT_FALSE(ReadableFile(dir / "plain" / "inside").missing());
    EXPECT_FALSE(ReadableFile(dir / "pipe").missing());
}

// A pipe with a writer is read until the writer closes it, as cat reads it.
TEST(ReadableFile, APipeWithAWriterIsReadToItsEnd) {
    const HangWatchdog watchdog;
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    const int writer = open((dir / "pipe").c_str(), O_RDWR);  // a writer that never waits for a reader
    ASSERT_GE(writer, 0);
    ReadableFile file(dir / "pipe", ReadableFile::Pipes::Read);
    ASSERT_TRUE(file.isOpen()) << file.problem();
    EXPECT_TRUE(file.isPipe());
    ASSERT_EQ(write(writer, "through the pipe", 16), 16);
    close(writer);
    std::string text;
    EXPECT_TRUE(file.readRest(text, 1024));
    EXPECT_EQ(text, "through the pipe");
}

// The limit holds before and while reading, and leaves what the text held.
TEST(ReadableFile, KeepsWithinItsLimit) {
    TempDir dir;
    std::ofstream(dir / "ten") << "0123456789";
    EXPECT_EQ(outcome(dir / "ten", ReadableFile::Pipes::Refuse, 9), "!it is larger than 9 bytes");
    EXPECT_EQ(outcome(dir / "ten", ReadableFile::Pipes::Refuse, 10), "0123456789");
    std::string kept = "before";
    ReadableFile tooLong(dir / "ten");
    EXPECT_FALSE(tooLong.readRest(kept, 4));
    EXPECT_EQ(kept, "before");
}
