#include "platform/WriterTemporary.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using platform::writerTemporaryOwner;

// Only a dead writer's temporaries go: never a live process's, never a file
// that merely looks alike, never a folder or a link.
TEST(WriterTemporary, TheSweepRemovesOnlyTheTemporariesOfDeadWriters) {
    TempDir dir;
    const pid_t dead = deadProcessId();
    const std::string d = std::to_string(dead);
    struct Entry {
        std::string name;
        bool removed;
    };
    const Entry entries[] = {
        {".Song.bwr.zw" + d + "-0.tmp", true},
        {".other target.wav.zw" + d + "-17.tmp", true},
        {".x.zw" + d + "-0.tmp", true},
        {".Song.bwr.zw" + std::to_string(getpid()) + "-3.tmp", false},  // this process: perhaps a save under way
        {".Song.bwr.zw" + std::to_string(getppid()) + "-0.tmp", false},
        {".Song.bwr.zw1-0.tmp", false},
        {"Song.bwr.zw" + d + "-0.tmp", false},  // not hidden: not ours
        {"..zw" + d + "-0.tmp", false},         // no target name
        {".Song.bwr.zw" + d + "-.tmp", false},
        {".Song.bwr.zw-0.tmp", false},
        {".Song.bwr.zw0-0.tmp", false},
        {".Song.bwr.zw" + d + "-0.tmp~", false},
        {".Song.bwr.zw" + d + "x-0.tmp", false},
        {".Song.bwr.zw12345678901-0.tmp", false},  // no process id is that long
        {".Song.bwr." + d + "-0.tmp", false},
        {"Song.bwr", false},
    };
    for (const Entry& entry : entries) std::ofstream(dir / entry.name) << "x";
    fs::create_directory(dir / (".folder.zw" + d + "-0.tmp"));
    fs::create_symlink(dir / "Song.bwr", dir / (".link.zw" + d + "-0.tmp"));

    EXPECT_EQ(platform::removeStaleWriterTemporaries(dir.path()), 3u);
    for (const Entry& entry : entries) EXPECT_EQ(!fs::exists(dir / entry.name), entry.removed) << entry.name;
    EXPECT_TRUE(fs::is_directory(dir / (".folder.zw" + d + "-0.tmp")));
    EXPECT_TRUE(fs::is_symlink(dir / (".link.zw" + d + "-0.tmp")));
    EXPECT_EQ(fs::read_symlink(dir / (".link.zw" + d + "-0.tmp")), dir / "Song.bwr");
    EXPECT_EQ(platform::removeStaleWriterTemporaries(dir / "missing"), 0u);

    // Names made for targets of any length stay file names and are recognised.
    for (size_t length : {1, 100, 255}) {
        const fs::path temporary = platform::writerTemporaryFor(dir / std::string(length, 'n'), 4194304, 4294967295u);
        EXPECT_LE(temporary.filename().string().size(), 255u);
        EXPECT_EQ(temporary.parent_path(), dir.path());
        EXPECT_EQ(writerTemporaryOwner(temporary.filename().string()), 4194304);
    }
}
