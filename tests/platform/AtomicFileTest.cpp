#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/FileLock.h"
#include "support/TempDir.h"

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t entriesIn(const std::filesystem::path& folder) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

}  // namespace

TEST(AtomicFile, ReplacesTheWholeFileAndLeavesNoTemporaryFile) {
    TempDir folder;
    const auto target = folder / "state.bin";
    ASSERT_TRUE(platform::writeFileAtomically(target, std::string(10000, 'x')));
    ASSERT_TRUE(platform::writeFileAtomically(target, std::string("a\0b", 3)));
    EXPECT_EQ(readFile(target), std::string("a\0b", 3));
    ASSERT_TRUE(platform::writeFileAtomically(target, ""));
    EXPECT_EQ(std::filesystem::file_size(target), 0u);
    EXPECT_EQ(entriesIn(folder.path()), 1u);
    const std::string longestName(255, 'n');
    ASSERT_TRUE(platform::writeFileAtomically(folder / longestName, "x"));
    EXPECT_EQ(readFile(folder / longestName), "x");
}

TEST(AtomicFile, AFailedWriteKeepsTheOldContent) {
    TempDir folder;
    EXPECT_FALSE(platform::writeFileAtomically(folder / "missing" / "x", "data"));
    EXPECT_FALSE(platform::writeFileAtomically("", "data"));
    // A folder in the way: the old content stays and no temporary is left.
    std::filesystem::create_directory(folder / "taken");
    std::ofstream(folder / "taken" / "inner") << "old";
    EXPECT_FALSE(platform::writeFileAtomically(folder / "taken", "new"));
    EXPECT_EQ(readFile(folder / "taken" / "inner"), "old");
    EXPECT_EQ(entriesIn(folder.path()), 1u);
}

TEST(FileLock, ExcludesOtherHoldersInTheSameProcess) {
    TempDir folder;
    const auto lockFile = folder / "key.lock";
    int inside = 0;
    int mostInside = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                const platform::FileLock lock(lockFile);
                ASSERT_TRUE(lock.held());
                // Plain ints on purpose: only the lock keeps these exact.
                mostInside = std::max(mostInside, ++inside);
                std::this_thread::yield();
                --inside;
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(mostInside, 1);
    EXPECT_FALSE(platform::FileLock(folder / "missing" / "x.lock").held());
}
