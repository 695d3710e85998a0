#include "platform/WriterTemporary.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

// Only a dead writer's temporaries go: never a live process's, never a file
// that merely looks alike, a folder or a link.
TEST(WriterTemporary, TheSweepRemovesOnlyTheTemporariesOfDeadWriters) {
    TempDir dir;
    const std::string dead = std::to_string(deadProcessId());
    const std::pair<std::string, bool> files[] = {  // name, removed
        {".Song.bwr.zw" + dead + "-0.tmp", true},
        {".other target.wav.zw" + dead + "-17.tmp", true},
        {".Song.bwr.zw" + std::to_string(getpid()) + "-3.tmp", false},  // perhaps a save under way
        {".Song.bwr.zw" + std::to_string(getppid()) + "-0.tmp", false},
        {"Song.bwr.zw" + dead + "-0.tmp", false},
        {"..zw" + dead + "-0.tmp", false},
        {".Song.bwr.zw" + dead + "-.tmp", false},
        {".Song.bwr.zw0-0.tmp", false},
        {".Song.bwr.zw" + dead + "-0.tmp~", false},
        {".Song.bwr.zw" + dead + "x-0.tmp", false},
        {".Song.bwr.zw1234567890-0.tmp", false},
        {".Song.bwr." + dead + "-0.tmp", false},
    };
    for (const auto& [name, removed] : files) std::ofstream(dir / name) << "x";
    fs::create_directory(dir / (".folder.zw" + dead + "-0.tmp"));
    fs::create_symlink(dir / files[0].first, dir / (".link.zw" + dead + "-0.tmp"));

    EXPECT_EQ(platform::removeStaleWriterTemporaries(dir.path()), 2u);
    for (const auto& [name, removed] : files) EXPECT_EQ(!fs::exists(dir / name), removed) << name;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 12);

    // Names made for targets of any length stay file names and are recognised.
    for (size_t length : {1, 255}) {
        const fs::path temporary = platform::writerTemporaryFor(dir / std::string(length, 'n'), 4194304, 4294967295u);
        EXPECT_LE(temporary.filename().string().size(), 255u);
        EXPECT_EQ(platform::writerTemporaryOwner(temporary.filename().string()), 4194304);
    }
}
