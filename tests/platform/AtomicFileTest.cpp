#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <sstream>
#include <thread>

#include "platform/WriterTemporary.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

using platform::AtomicFile;
namespace fs = std::filesystem;

namespace {

// A version: its length, its number, then bytes that depend on both and on
// their place, so a file cut short or mixed from two versions is no version.
// Lengths run past the writer's buffer.
std::string versionBytes(uint32_t version) {
    const uint32_t length = 8 + (version * 7919u) % 90000u;
    std::string bytes(length, '\0');
    std::memcpy(bytes.data(), &length, 4);
    std::memcpy(bytes.data() + 4, &version, 4);
    for (uint32_t i = 8; i < length; ++i) bytes[i] = char(version * 31u + i * 7u + (i >> 8));
    return bytes;
}

std::optional<uint32_t> wholeVersion(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    const std::string bytes = text.str();
    uint32_t version = 0;
    if (bytes.size() >= 8) std::memcpy(&version, bytes.data() + 4, 4);
    return bytes.size() >= 8 && bytes == versionBytes(version) ? std::optional(version) : std::nullopt;
}

// As chunks and audio files are saved: the body in pieces, the length word
// filled in at the end.
bool saveVersion(const fs::path& target, uint32_t version) {
    const std::string bytes = versionBytes(version);
    AtomicFile file(target);
    file.write("\0\0\0\0", 4);
    for (size_t at = 4; at < bytes.size(); at += 1500) file.write(bytes.substr(at, 1500));
    return file.writeAt(0, bytes.data(), 4) && file.commit();
}

size_t entriesIn(const fs::path& folder) {
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace

TEST(AtomicFile, WritersOfOneTargetEachSeeTheirOwnOutcomeAndTheFileIsAlwaysOneWholeVersion) {
    TempDir dir;
    const fs::path target = dir / "Song.bwr";
    AtomicFile first(target), second(target);  // two saves open at once
    EXPECT_TRUE(first.write(versionBytes(1)) && second.write(versionBytes(2)) && first.commit());
    EXPECT_EQ(wholeVersion(target), 1u);
    EXPECT_TRUE(second.commit());
    EXPECT_EQ(wholeVersion(target), 2u);
    EXPECT_FALSE(second.commit());  // once only

    // Two processes and three threads save over each other while a reader watches.
    const auto saveMany = [&](uint32_t writer) {
        int failures = 0;
        for (uint32_t i = 0; i < 40; ++i) failures += !saveVersion(target, writer * 1000 + i);
        return failures;
    };
    std::vector<pid_t> children;
    for (uint32_t writer : {10u, 11u}) children.push_back(forkRunning([&] { _exit(saveMany(writer)); }));
    std::atomic<int> failures{0}, torn{0};
    std::atomic<bool> writing{true};
    std::vector<std::thread> threads;
    for (uint32_t writer : {20u, 21u, 22u}) threads.emplace_back([&, writer] { failures += saveMany(writer); });
    std::thread reader([&] { while (writing) torn += !wholeVersion(target); });
    for (std::thread& thread : threads) thread.join();
    for (pid_t child : children) EXPECT_TRUE(exitedCleanly(child));
    writing = false;
    reader.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(AtomicFile, ASaveThatFailsOrIsDroppedLeavesTheOldFileAndNoTemporary) {
    const auto diskFull = [](const fs::path& t) {  // a size limit stands in for it: 87117 bytes do not fit
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved, small;
        getrlimit(RLIMIT_FSIZE, &saved);
        small = saved;
        small.rlim_cur = 70000;
        setrlimit(RLIMIT_FSIZE, &small);
        const bool result = saveVersion(t, 11);
        setrlimit(RLIMIT_FSIZE, &saved);
        return result;
    };
    // Each answers what the writer reported.
    const std::vector<std::pair<const char*, std::function<bool(const fs::path&)>>> cases = {
        {"dropped before commit", [](const fs::path& t) { return !AtomicFile(t).write(versionBytes(7)); }},
        {"disk full half way", diskFull},
        {"fill-in past the end", [](const fs::path& t) {
             AtomicFile file(t);
             file.write("abcd", 4);
             file.writeAt(2, "xyz", 3);
             return file.write("efgh", 4) || file.commit();  // the failure sticks
         }},
        {"folder missing", [](const fs::path& t) { return saveVersion(t.parent_path() / "gone" / "x", 5); }},
        {"a folder in the target's place", [](const fs::path& t) {
             fs::create_directory(t.parent_path() / "taken");
             return saveVersion(t.parent_path() / "taken", 5) || !fs::remove(t.parent_path() / "taken");
         }},
    };
    for (const auto& [what, save] : cases) {
        TempDir dir;
        ASSERT_TRUE(saveVersion(dir / "Preset.bwp", 3));
        EXPECT_FALSE(save(dir / "Preset.bwp")) << what;
        EXPECT_EQ(wholeVersion(dir / "Preset.bwp"), 3u) << what;
        EXPECT_EQ(entriesIn(dir.path()), 1u) << what;
    }
}

// Kills a saving child at random moments: the target holds the old or a
// newer version whole every time, and each save sweeps up the temporaries
// of the killed children before it.
TEST(AtomicFile, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewFileWhole) {
    TempDir dir;
    const fs::path target = dir / "Export.wav";
    ASSERT_TRUE(saveVersion(target, 0));
    constexpr int kKills = 300;
    std::mt19937 random(20261207);
    uint32_t latest = 0;
    int leftTemporaries = 0, advanced = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        int started[2];
        ASSERT_EQ(pipe(started), 0);
        const pid_t child = forkRunning([&] {
            // Says when the first save is done, so that a slow start under
            // load does not take up the time the kill is spread over.
            for (uint32_t version = latest + 1;; ++version) {
                saveVersion(target, version);
                if (version == latest + 1) (void)!write(started[1], "!", 1);
            }
        });
        close(started[1]);
        char byte;
        (void)!read(started[0], &byte, 1);
        close(started[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
        killAndReap(child);
        const std::optional<uint32_t> version = wholeVersion(target);
        ASSERT_TRUE(version.has_value() && *version >= latest) << "kill " << kill;
        advanced += *version > latest;
        latest = *version;
        int temporaries = 0;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            const auto owner = platform::writerTemporaryOwner(entry.path().filename().string());
            temporaries += owner.has_value();
            leftTemporaries += owner == child;
        }
        EXPECT_LE(temporaries, 1) << "kill " << kill;  // at most this child's: it swept the earlier ones
    }
    std::cout << "[          ] " << kKills << " kills: " << leftTemporaries << " inside a save, " << advanced
              << " after a new version\n";
    EXPECT_GT(leftTemporaries, kKills / 10);  // the kills do land inside saves
    EXPECT_TRUE(saveVersion(target, latest + 1));
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}
