#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
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
#include "support/KilledSaves.h"
#include "support/TempDir.h"
#include "support/UnixSocket.h"

using platform::AtomicFile;
namespace fs = std::filesystem;

namespace {

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

// What the target is decides what a save does: a link is followed to the
// file it names, which is replaced beside itself while the link stays; what
// exists and is no regular file is refused, named in the message, and left
// as it was.  No case leaves a temporary in either folder.
TEST(AtomicFile, ALinkIsFollowedAndWhatIsNoFileIsRefused) {
    struct Case {
        const char* what;
        // Makes the target in `here` (and whatever it leads to in `there`).
        std::function<void(const fs::path& here, const fs::path& there)> make;
        const char* refusal;  // in the message; null: the save goes through
        const char* saved;    // the file that then holds the version, relative to there (here when it starts with "+")
    };
    const std::vector<Case> cases = {
        {"a named pipe", [](auto& here, auto&) { ASSERT_EQ(mkfifo((here / "T").c_str(), 0644), 0); }, "is a named pipe", nullptr},
        {"a socket", [&](auto& here, auto&) { ASSERT_TRUE(makeSocketFile(here / "T")); }, "is a socket", nullptr},
        {"a folder holding a file", [](auto& here, auto&) {
             fs::create_directory(here / "T");
             std::ofstream(here / "T" / "inside") << "x";
         }, "is a folder", nullptr},
        {"a link to a folder", [](auto& here, auto& there) { fs::create_directory_symlink(there, here / "T"); },
         "which is a folder", nullptr},
        {"a link to a pipe elsewhere", [](auto& here, auto& there) {
             ASSERT_EQ(mkfifo((there / "pipe").c_str(), 0644), 0);
             fs::create_symlink(there / "pipe", here / "T");
         }, "which is a named pipe", nullptr},
        {"a link loop", [](auto& here, auto&) {
             fs::create_symlink("U", here / "T");
             fs::create_symlink("T", here / "U");
         }, "too many levels of symbolic links", nullptr},
        {"a dangling link into a missing folder", [](auto& here, auto& there) {
             fs::create_symlink(there / "gone" / "real.wav", here / "T");
         }, "cannot create a file beside", nullptr},
        {"a new file", [](auto&, auto&) {}, nullptr, "+T"},
        {"a dangling link", [](auto& here, auto& there) { fs::create_symlink(there / "real.wav", here / "T"); },
         nullptr, "real.wav"},
        {"a link into another folder", [](auto& here, auto& there) {
             ASSERT_TRUE(saveVersion(there / "real.wav", 3));
             fs::create_symlink(there / "real.wav", here / "T");
         }, nullptr, "real.wav"},
        {"relative links through both folders", [](auto& here, auto& there) {
             ASSERT_TRUE(saveVersion(there / "real.wav", 3));
             fs::create_symlink("../" + there.filename().string() + "/hop", here / "T");
             fs::create_symlink("real.wav", there / "hop");
         }, nullptr, "real.wav"},
    };
    for (const Case& c : cases) {
        TempDir top;
        const fs::path here = top / "here", there = top / "there";
        fs::create_directories(here);
        fs::create_directories(there);
        c.make(here, there);
        const auto kindBefore = fs::symlink_status(here / "T").type();
        AtomicFile file(here / "T");
        const bool saved = file.write(versionBytes(7)) && file.commit();
        EXPECT_EQ(saved, c.refusal == nullptr) << c.what;
        EXPECT_EQ(fs::symlink_status(here / "T").type(), c.saved && *c.saved == '+' ? fs::file_type::regular : kindBefore)
            << c.what;  // a link stays a link, a pipe a pipe
        if (c.refusal) {
            EXPECT_NE(file.error().find((here / "T").string()), std::string::npos) << c.what << ": " << file.error();
            EXPECT_NE(file.error().find(c.refusal), std::string::npos) << c.what << ": " << file.error();
        } else {
            const fs::path holder = *c.saved == '+' ? here / (c.saved + 1) : there / c.saved;
            EXPECT_EQ(wholeVersion(holder), 7u) << c.what;
            EXPECT_EQ(wholeVersion(here / "T"), 7u) << c.what;
        }
        for (const fs::path& folder : {here, there})
            for (const auto& entry : fs::directory_iterator(folder))
                EXPECT_FALSE(platform::writerTemporaryOwner(entry.path().filename().string())) << c.what;
    }
}

// A private file stays private when it is replaced.
TEST(AtomicFile, AReplacedFileKeepsItsPermissions) {
    TempDir dir;
    for (const fs::perms perms : {fs::perms::owner_read | fs::perms::owner_write, fs::perms(0754)}) {
        ASSERT_TRUE(saveVersion(dir / "state", 1));
        fs::permissions(dir / "state", perms);
        ASSERT_TRUE(saveVersion(dir / "state", 2));
        EXPECT_EQ(fs::status(dir / "state").permissions(), perms);
    }
}

// Kills a saving child at random moments, saving straight to the file and
// through a link into another folder: the file holds the old or a newer
// version whole every time, and each save sweeps up the temporaries of the
// killed children before it.
TEST(AtomicFile, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewFileWhole) {
    TempDir dir, elsewhere;
    const fs::path target = dir / "Export.wav";
    ASSERT_TRUE(saveVersion(target, 0));
    KilledSavesTally tally = killWhileSaving(target, 200, [&](uint32_t version) { saveVersion(target, version); });
    EXPECT_GT(tally.insideSave, 20);  // the kills do land inside saves
    EXPECT_TRUE(saveVersion(target, wholeVersion(target).value_or(0) + 1));
    EXPECT_EQ(entriesIn(dir.path()), 1u);

    fs::create_symlink(target, elsewhere / "Export link.wav");
    tally = killWhileSaving(target, 100, [&](uint32_t version) { saveVersion(elsewhere / "Export link.wav", version); });
    EXPECT_GT(tally.insideSave, 10);
    EXPECT_TRUE(saveVersion(elsewhere / "Export link.wav", wholeVersion(target).value_or(0) + 1));
    EXPECT_TRUE(fs::is_symlink(elsewhere / "Export link.wav"));
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}
