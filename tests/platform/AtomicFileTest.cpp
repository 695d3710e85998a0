#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/WriterTemporary.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

using platform::AtomicFile;

namespace {

namespace fs = std::filesystem;

// A version's bytes: a length word, then bytes that depend on the version
// and their place.  A file cut short, or made of two versions, is no whole
// version.  Lengths vary from a few bytes to more than the writer buffers.
std::string versionBytes(uint32_t version) {
    const uint32_t length = 8 + (version * 7919u) % 90000u;
    std::string bytes(length, '\0');
    std::memcpy(bytes.data(), &length, 4);
    std::memcpy(bytes.data() + 4, &version, 4);
    for (uint32_t i = 8; i < length; ++i) bytes[i] = char(version * 31u + i * 7u + (i >> 8));
    return bytes;
}

std::optional<uint32_t> wholeVersion(const std::string& bytes) {
    if (bytes.size() < 8) return std::nullopt;
    uint32_t version = 0;
    std::memcpy(&version, bytes.data() + 4, 4);
    if (bytes != versionBytes(version)) return std::nullopt;
    return version;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Saves a version as the writers of chunks and audio files do: the body in
// pieces, the length word filled in at the end.
bool saveVersion(const fs::path& target, uint32_t version) {
    const std::string bytes = versionBytes(version);
    AtomicFile file(target);
    file.write("\0\0\0\0", 4);
    for (size_t at = 4; at < bytes.size(); at += 1500)
        file.write(bytes.data() + at, std::min<size_t>(1500, bytes.size() - at));
    return file.writeAt(0, bytes.data(), 4) && file.commit();
}

size_t temporariesIn(const fs::path& folder) {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (platform::writerTemporaryOwner(entry.path().filename().string())) ++count;
    return count;
}

size_t entriesIn(const fs::path& folder) {
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace

TEST(AtomicFile, WritersOfOneTargetEachSeeTheirOwnOutcomeAndTheFileIsAlwaysOneWholeVersion) {
    TempDir dir;
    const fs::path target = dir / "Song.bwr";

    // Two saves open at once: each commit puts exactly its own bytes in place.
    AtomicFile first(target), second(target);
    EXPECT_TRUE(first.write(versionBytes(1)) && second.write(versionBytes(2)));
    EXPECT_TRUE(first.commit());
    EXPECT_EQ(wholeVersion(readFile(target)), 1u);
    EXPECT_TRUE(second.commit());
    EXPECT_EQ(wholeVersion(readFile(target)), 2u);
    EXPECT_FALSE(second.commit());  // once only

    // Threads and processes saving over each other while a reader watches.
    constexpr uint32_t kSaves = 40;
    const auto saveMany = [&](uint32_t writer) {
        int failures = 0;
        for (uint32_t i = 0; i < kSaves; ++i) failures += !saveVersion(target, writer * 1000 + i);
        return failures;
    };
    std::atomic<int> failures{0};
    std::atomic<bool> writing{true};
    std::vector<pid_t> children;
    for (uint32_t writer : {10u, 11u}) children.push_back(forkRunning([&] { _exit(saveMany(writer)); }));
    std::vector<std::thread> threads;
    for (uint32_t writer : {20u, 21u, 22u}) threads.emplace_back([&, writer] { failures += saveMany(writer); });
    int torn = 0, reads = 0;
    std::thread reader([&] {
        for (; writing; ++reads) torn += !wholeVersion(readFile(target));
    });
    for (std::thread& thread : threads) thread.join();
    for (pid_t child : children) EXPECT_TRUE(exitedCleanly(child));
    writing = false;
    reader.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    EXPECT_TRUE(wholeVersion(readFile(target)));
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(AtomicFile, ASaveThatFailsOrIsDroppedLeavesTheOldFileAndNoTemporary) {
    // Each save answers what its writer reported; a failure in any step must
    // reach that answer.
    const std::vector<std::pair<const char*, std::function<bool(const fs::path&)>>> cases = {
        {"dropped before commit", [](const fs::path& t) { AtomicFile(t).write(versionBytes(7)); return false; }},
        {"discarded", [](const fs::path& t) {
             AtomicFile file(t);
             file.write(versionBytes(7));
             file.discard();
             return file.commit();
         }},
        {"fill-in past the end", [](const fs::path& t) {
             AtomicFile file(t);
             file.write("abcd", 4);
             file.writeAt(2, "xyz", 3);
             return file.commit();
         }},
        {"a piece without data", [](const fs::path& t) {
             AtomicFile file(t);
             file.write(nullptr, 4);
             file.write("abcd", 4);
             return file.commit();
         }},
        {"disk full half way", [](const fs::path& t) {
             // A size limit stands in for a full disk: 87117 bytes do not fit.
             std::signal(SIGXFSZ, SIG_IGN);
             rlimit saved, small;
             getrlimit(RLIMIT_FSIZE, &saved);
             small = saved;
             small.rlim_cur = 70000;
             setrlimit(RLIMIT_FSIZE, &small);
             const bool saved11 = saveVersion(t, 11);
             setrlimit(RLIMIT_FSIZE, &saved);
             return saved11;
         }},
        {"folder missing", [](const fs::path& t) { return saveVersion(t.parent_path() / "gone" / "x", 5); }},
        {"no file name", [](const fs::path& t) { return saveVersion(t.parent_path() / "", 5); }},
        {"a folder in the target's place", [](const fs::path& t) {
             fs::create_directory(t.parent_path() / "taken");
             const bool result = saveVersion(t.parent_path() / "taken", 5);
             fs::remove(t.parent_path() / "taken");
             return result;
         }},
    };
    for (const auto& [what, save] : cases) {
        TempDir dir;
        const fs::path target = dir / "Preset.bwp";
        ASSERT_TRUE(saveVersion(target, 3));
        EXPECT_FALSE(save(target)) << what;
        EXPECT_EQ(wholeVersion(readFile(target)), 3u) << what;
        EXPECT_EQ(entriesIn(dir.path()), 1u) << what;
    }
}

// Kills a saving child at random moments; the target must hold the old or a
// newer version whole every time.  Each child's first save sweeps up the
// temporary its killed predecessor left, and so does the last save.
TEST(AtomicFile, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewFileWhole) {
    TempDir dir;
    const fs::path target = dir / "Export.wav";
    ASSERT_TRUE(saveVersion(target, 0));
    constexpr int kKills = 300;
    std::mt19937 random(20261207);
    uint32_t latest = 0;
    int leftTemporaries = 0, advanced = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const uint32_t from = latest + 1;
        const pid_t child = forkRunning([&] {
            for (uint32_t version = from;; ++version) saveVersion(target, version);
        });
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        killAndReap(child);
        const std::optional<uint32_t> version = wholeVersion(readFile(target));
        ASSERT_TRUE(version.has_value()) << "kill " << kill;
        ASSERT_GE(*version, latest) << "kill " << kill;
        advanced += *version > latest;
        latest = *version;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            leftTemporaries += platform::writerTemporaryOwner(entry.path().filename().string()) == child;
        EXPECT_LE(temporariesIn(dir.path()), 2u) << "kill " << kill;  // never more than the last two children's
    }
    std::cout << "[          ] " << kKills << " kills, " << leftTemporaries << " in the middle of a save, "
              << advanced << " after a new version\n";
    EXPECT_GT(leftTemporaries, kKills / 10);  // the kills do land inside saves
    EXPECT_GT(advanced, kKills / 10);

    const pid_t dead = deadProcessId();
    for (unsigned serial : {0u, 1u}) std::ofstream(platform::writerTemporaryFor(target, dead, serial)) << "half";
    EXPECT_TRUE(saveVersion(target, latest + 1));
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}
