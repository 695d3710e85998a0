#include "platform/SettingsStoreKey.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "platform/SettingsWriteBatch.h"
#include "platform/WriterTemporary.h"
#include "support/ChildProcess.h"
#include "support/HangWatchdog.h"
#include "support/RenameWatch.h"
#include "support/TempDir.h"
#include "support/UnixSocket.h"

using platform::SettingsStoreKey;
using platform::SettingsType;
using platform::SettingsValue;

namespace {

constexpr char kProductKey[] = "Software\\Brindlewick\\Zorvane";

SettingsStoreKey openKey(const TempDir& root, const char* path = kProductKey) {
    std::optional<SettingsStoreKey> key = SettingsStoreKey::open(root.path(), path);
    if (!key) throw std::runtime_error("cannot open the key");
    return *key;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string stringOf(const SettingsStoreKey& key, const char* name) {
    const auto value = key.read(name);
    return value && value->type == SettingsType::String ? value->data : "<none>";
}

uint32_t dwordOf(const SettingsStoreKey& key, const char* name) {
    const auto value = key.read(name);
    if (!value || value->type != SettingsType::Dword) return 0xDEADBEEF;
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value->data[i]);
    return number;
}

}  // namespace

TEST(SettingsStoreKey, NamesIgnoreCaseAndAWriteReplacesTheValueWhateverItsType) {
    TempDir root;
    SettingsStoreKey key = openKey(root);
    EXPECT_EQ(key.file(), root.path() / "software" / "brindlewick" / "zorvane.key");
    EXPECT_FALSE(key.read("contentpath").has_value());  // no key file yet: an empty key

    const std::string bytes("a\0b\xFF\n%20 c", 10);
    ASSERT_TRUE(key.write(SettingsValue::string("ContentPath", bytes)));
    ASSERT_TRUE(key.write(SettingsValue::string("keep", "me")));
    SettingsStoreKey sameKey = openKey(root, "\\SOFTWARE\\brindlewick\\\\ZORVANE\\");
    EXPECT_EQ(stringOf(sameKey, "CONTENTPATH"), bytes);
    ASSERT_TRUE(sameKey.write(SettingsValue::dword("CONTENTPATH", 150)));
    EXPECT_EQ(dwordOf(key, "contentpath"), 150u);
    EXPECT_EQ(key.read("contentpath")->name, "CONTENTPATH");
    EXPECT_EQ(stringOf(key, "keep"), "me");
    EXPECT_EQ(platform::decodeKeyFile(readFile(key.file()))->size(), 2u);  // the old line is gone

    // A key whose name holds characters that a file name cannot.
    SettingsStoreKey other = openKey(root, "Software\\Other/..\\x.key");
    EXPECT_EQ(other.file(), root.path() / "software" / "other%2F%2E%2E" / "x%2Ekey.key");
    EXPECT_FALSE(other.read("contentpath").has_value());
}

// A write of what the key already holds leaves its file alone (each rewrite
// costs two flushes to the disk); any difference in data, type or the name's
// case still replaces it.
TEST(SettingsStoreKey, AWriteThatChangesNothingLeavesTheFileAlone) {
    TempDir root;
    SettingsStoreKey key = openKey(root);
    ASSERT_TRUE(key.write(std::vector{SettingsValue::string("Path", "a"), SettingsValue::dword("Count", 3)}));
    struct Case {
        SettingsValue value;
        bool rewrites;
    };
    const Case cases[] = {
        {SettingsValue::string("Path", "a"), false},  {SettingsValue::dword("Count", 3), false},
        {SettingsValue::string("Path", "b"), true},   {SettingsValue::string("Count", std::string("\3\0\0\0", 4)), true},
        {SettingsValue::string("PATH", "b"), true},
    };
    for (const Case& c : cases) {
        const std::filesystem::path kept = root.path() / "kept";
        std::filesystem::remove(kept);
        std::filesystem::create_hard_link(key.file(), kept);  // the file as it stood
        ASSERT_TRUE(key.write(c.value));
        EXPECT_EQ(!std::filesystem::equivalent(kept, key.file()), c.rewrites) << c.value.name << " " << c.value.data;
        EXPECT_EQ(key.read(c.value.name)->data, c.value.data);
    }
}

// A batch leaves every key file exactly as the same writes one by one would,
// rewriting each file once; until then its thread reads what it wrote and
// other threads read the store as it was.
TEST(SettingsStoreKey, ABatchWritesEachKeyFileOnceAsTheWritesOneByOneWould) {
    using Write = std::pair<const char*, SettingsValue>;  // key path, value
    const char* const other = "Software\\Brindlewick\\Other";
    const std::vector<Write> writes = {
        {kProductKey, SettingsValue::string("contentpath", "/a/")},
        {kProductKey, SettingsValue::dword("updatePathes", 1)},
        {other, SettingsValue::string("x", "1")},
        {kProductKey, SettingsValue::string("presetpath0", "/b/")},
        {kProductKey, SettingsValue::dword("UPDATEPATHES", 0)},  // same name, other case: moves to the end
        {kProductKey, SettingsValue::dword("contentpath", 7)},   // another type replaces the string
        {other, SettingsValue::string("x", "2")},
    };
    TempDir one, batched;
    for (const TempDir* root : {&one, &batched}) {  // both start from the same old values
        ASSERT_TRUE(openKey(*root).write(SettingsValue::string("old", "kept")));
        ASSERT_TRUE(openKey(*root).write(SettingsValue::string("presetpath0", "/old/")));
    }
    for (const auto& [path, value] : writes) ASSERT_TRUE(openKey(one, path).write(value));

    const std::string before = readFile(openKey(batched).file());
    RenameWatch watch(openKey(batched).file().parent_path());
    {
        platform::SettingsWriteBatch batch;
        platform::SettingsWriteBatch inner;  // adds to the outer batch
        for (const auto& [path, value] : writes) ASSERT_TRUE(openKey(batched, path).write(value));
        EXPECT_TRUE(inner.commit());
        EXPECT_EQ(readFile(openKey(batched).file()), before);  // nothing written yet
        EXPECT_EQ(dwordOf(openKey(batched), "contentpath"), 7u);
        EXPECT_EQ(stringOf(openKey(batched), "old"), "kept");
        std::string elsewhere;
        std::thread([&] { elsewhere = stringOf(openKey(batched), "presetpath0"); }).join();
        EXPECT_EQ(elsewhere, "/old/");
    }
    EXPECT_EQ(watch.renamesOnto("zorvane.key"), 1);
    EXPECT_EQ(watch.renamesOnto("other.key"), 1);
    for (const char* path : {kProductKey, other})
        EXPECT_EQ(readFile(openKey(batched, path).file()), readFile(openKey(one, path).file())) << path;
    EXPECT_EQ(platform::SettingsWriteBatch::current(), nullptr);
    ASSERT_TRUE(openKey(batched).write(SettingsValue::string("after", "now")));  // straight through again
    EXPECT_EQ(stringOf(openKey(batched), "after"), "now");
}

TEST(SettingsStoreKey, UnreachableStoresAndFailedWritesAreReported) {
    TempDir root;
    EXPECT_FALSE(SettingsStoreKey::open(root.path(), "").has_value());
    EXPECT_FALSE(SettingsStoreKey::open(root.path(), "\\\\").has_value());
    std::ofstream(root / "plain-file") << "x";
    EXPECT_FALSE(SettingsStoreKey::open(root / "plain-file", kProductKey).has_value());

    // A folder where the key file belongs: the rename cannot replace it.
    SettingsStoreKey key = openKey(root);
    std::filesystem::create_directory(key.file());
    EXPECT_FALSE(key.write(SettingsValue::dword("a", 1)));
    EXPECT_FALSE(key.read("a").has_value());

    // A folder where the lock file belongs: no write without the lock.
    SettingsStoreKey locked = openKey(root, "Software\\Locked");
    std::filesystem::create_directory(root / "software" / "locked.lock");
    EXPECT_FALSE(locked.write(SettingsValue::dword("a", 1)));
    EXPECT_FALSE(std::filesystem::exists(locked.file()));

    // Neither failure left a temporary file behind.
    for (const auto& entry : std::filesystem::directory_iterator(root / "software"))
        EXPECT_FALSE(platform::writerTemporaryOwner(entry.path().filename().string())) << entry.path();
}

// A key file with lines that are not settings, or cut short, keeps every
// value that parses, says once what it passes over, and loses nothing: the
// next write that changes the key adds the stray lines to the file kept
// beside it (after what was kept before) and rewrites the key without them.
// An empty file is an empty key.
TEST(SettingsStoreKey, ADamagedKeyFileKeepsItsValuesAndSetsOnlyItsStrayLinesAside) {
    TempDir root;
    const std::string header = "brindlewick-registry-key 1\n";
    const struct {
        const char* form;
        std::string text;
        const char* says;   // on the first read; nothing for an empty file
        std::string aside;  // what the write adds beside the key
    } cases[] = {
        {"a junk line among values", header + "string a x\nhello\ndword b 7\nend\n", "has 1 line that is not settings", "hello\n"},
        {"cut after a line", header + "string a x\ndword b 7\n", "is cut short", ""},
        {"cut inside a line", header + "string a x\ndword b 7\nstring c /ho", "is cut short", "string c /ho\n"},
        {"empty", "", "", ""},
    };
    int keyNumber = 0;
    for (const auto& c : cases) {
        // A key of its own each: what is said is said once a process for each file.
        SettingsStoreKey key = openKey(root, ("Software\\Case" + std::to_string(++keyNumber)).c_str());
        std::ofstream(key.file(), std::ios::binary) << c.text;
        const auto aside = key.file().parent_path() / (key.file().filename().string() + ".unreadable");
        std::ofstream(aside, std::ios::binary) << "kept before";  // no line end
        testing::internal::CaptureStderr();
        const bool empty = c.text.empty();
        EXPECT_EQ(stringOf(key, "a"), empty ? "<none>" : "x") << c.form;
        EXPECT_EQ(dwordOf(key, "b"), empty ? 0xDEADBEEF : 7u) << c.form;
        const std::string said = testing::internal::GetCapturedStderr();
        const std::string named = "the settings file " + key.file().string() + " ";
        EXPECT_EQ(said.empty(), empty) << c.form << ": " << said;
        if (!empty) {
            EXPECT_NE(said.find(named + c.says), std::string::npos) << c.form << ": " << said;
        }
        EXPECT_EQ(said.find('\n'), said.rfind('\n')) << c.form << ": said once, however often read: " << said;

        testing::internal::CaptureStderr();
        ASSERT_TRUE(key.write(SettingsValue::dword("new", 1))) << c.form;
        const std::string written = testing::internal::GetCapturedStderr();
        EXPECT_EQ(readFile(aside), "kept before" + (c.aside.empty() ? "" : "\n" + c.aside)) << c.form;
        EXPECT_EQ(written.find("kept in " + aside.string()) != std::string::npos, !c.aside.empty()) << c.form << ": " << written;
        const auto values = platform::decodeKeyFile(readFile(key.file()));
        ASSERT_TRUE(values.has_value()) << c.form;
        EXPECT_EQ(values->size(), empty ? 1u : 3u) << c.form;
        EXPECT_EQ(dwordOf(key, "new"), 1u) << c.form;
    }

    // A file too large for a key is not read; the write keeps it aside whole,
    // under a name that nothing held, and starts the key anew.
    SettingsStoreKey key = openKey(root);
    const std::string huge(16 * 1024 * 1024 + 1, 'x');
    std::ofstream(key.file(), std::ios::binary) << huge;
    std::ofstream(key.file().string() + ".unreadable") << "kept before";
    EXPECT_FALSE(key.read("a").has_value());
    ASSERT_TRUE(key.write(SettingsValue::dword("b", 2)));
    EXPECT_EQ(readFile(key.file().string() + ".unreadable-2"), huge);
    EXPECT_EQ(readFile(key.file().string() + ".unreadable"), "kept before");
    EXPECT_EQ(dwordOf(key, "b"), 2u);
}

// A key file that cannot be read at all (a named pipe, a socket, a folder,
// no permission) is named with the reason, once, reads as empty, refuses
// writes, which would lose its values, and stays as it is; a named pipe
// there is never waited on.
TEST(SettingsStoreKey, AKeyFileThatCannotBeReadIsNamedNeitherWaitedOnNorReplaced) {
    const HangWatchdog watchdog;
    TempDir root;
    // Open to the user the permission case runs as (root reads any file).
    std::filesystem::permissions(root.path(), std::filesystem::perms::all);
    const struct {
        const char* form;
        std::function<bool(const std::filesystem::path&)> make;
        const char* reason;
    } cases[] = {
        {"named pipe", [](const auto& path) { return mkfifo(path.c_str(), 0644) == 0; }, "it is a named pipe, not a file"},
        {"socket", [](const auto& path) { return makeSocketFile(path); }, "it is a socket, not a file"},
        {"folder", [](const auto& path) { return std::filesystem::create_directory(path); }, "it is a folder, not a file"},
        {"no permission", [](const auto& path) { return bool(std::ofstream(path) << "x") && chmod(path.c_str(), 0) == 0; },
         "Permission denied"},
    };
    int keyNumber = 0;
    for (const auto& c : cases) {
        SettingsStoreKey key = openKey(root, ("Software\\Case" + std::to_string(++keyNumber)).c_str());
        ASSERT_TRUE(c.make(key.file())) << c.form;
        const std::string says =
            "the settings file " + key.file().string() + " cannot be read (" + c.reason + "); the defaults are used in its place";
        const bool permissionCase = std::string(c.reason) == "Permission denied";
        if (permissionCase && geteuid() == 0) {
            // Root reads any file: the case runs as a user who is not root.
            const pid_t child = forkRunning([&] {
                if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
                testing::internal::CaptureStderr();
                const bool read = key.read("a").has_value();
                const std::string said = testing::internal::GetCapturedStderr();
                std::string problem;
                const bool written = key.write(std::vector{SettingsValue::dword("a", 1)}, &problem);
                _exit(read || written || said.find(says) == std::string::npos ? 1 : 0);
            });
            EXPECT_TRUE(exitedCleanly(child)) << c.form << ": as a user who is not root";
            continue;
        }
        testing::internal::CaptureStderr();
        EXPECT_FALSE(key.read("a").has_value()) << c.form;
        EXPECT_FALSE(key.read("b").has_value()) << c.form;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said, "Zorvane: " + says + "\n") << c.form;
        std::string problem;
        EXPECT_FALSE(key.write(std::vector{SettingsValue::dword("a", 1)}, &problem)) << c.form;
        EXPECT_EQ(problem, "cannot read " + key.file().string() + ": " + c.reason) << c.form;
        EXPECT_FALSE(key.remove(std::vector<std::string>{"a"})) << c.form;
    }
    for (const auto& entry : std::filesystem::directory_iterator(root.path() / "software"))
        EXPECT_EQ(entry.path().string().find(".unreadable"), std::string::npos) << entry.path();
    EXPECT_TRUE(std::filesystem::is_fifo(root.path() / "software" / "case1.key"));
}

TEST(SettingsStoreKey, ConcurrentWritersInThreadsAndProcessesLoseNothing) {
    TempDir root;
    constexpr int kPerWriter = 60;
    const auto writeMany = [&](const std::string& prefix) {
        SettingsStoreKey key = openKey(root);
        for (int i = 0; i < kPerWriter; ++i)
            if (!key.write(SettingsValue::dword(prefix + std::to_string(i), static_cast<uint32_t>(i))))
                _exit(1);
    };
    const pid_t first = forkRunning([&] { writeMany("first"); });
    const pid_t second = forkRunning([&] { writeMany("second"); });
    std::thread third([&] { writeMany("third"); });
    std::thread fourth([&] { writeMany("fourth"); });
    third.join();
    fourth.join();
    EXPECT_TRUE(exitedCleanly(first));
    EXPECT_TRUE(exitedCleanly(second));

    const SettingsStoreKey key = openKey(root);
    for (const char* prefix : {"first", "second", "third", "fourth"})
        for (int i = 0; i < kPerWriter; ++i)
            EXPECT_EQ(dwordOf(key, (prefix + std::to_string(i)).c_str()), static_cast<uint32_t>(i))
                << prefix << i;
}

TEST(SettingsStoreKey, AWriterKilledMidWriteNeverLeavesACorruptStore) {
    TempDir root;
    SettingsStoreKey key = openKey(root);
    ASSERT_TRUE(key.write(SettingsValue::string("keep", "kept")));
    uint32_t lastCounter = 0;
    for (int round = 0; round < 6; ++round) {
        const pid_t writer = forkRunning([&] {
            SettingsStoreKey childKey = openKey(root);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            for (uint32_t i = lastCounter + 1; std::chrono::steady_clock::now() < deadline; ++i) {
                // Large values make each write long, so the kill often lands inside one.
                const std::string text(2000 + i % 3000, char('a' + i % 26));
                childKey.write(SettingsValue::string("text", text));
                childKey.write(SettingsValue::dword("counter", i));
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(15 + 10 * round));
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);

        const auto values = platform::decodeKeyFile(readFile(key.file()));
        ASSERT_TRUE(values.has_value()) << "round " << round;
        EXPECT_EQ(stringOf(key, "keep"), "kept");
        const std::string text = stringOf(key, "text");
        if (text != "<none>") {
            ASSERT_GE(text.size(), 2000u);
            EXPECT_EQ(text.find_first_not_of(text[0]), std::string::npos);  // one write, whole
        }
        const uint32_t counter = dwordOf(key, "counter");
        if (counter != 0xDEADBEEF) {
            EXPECT_GE(counter, lastCounter);
            lastCounter = counter;
        }
    }
    // The killed writers left no lock held, and the next write swept away
    // the temporaries they left.
    EXPECT_TRUE(key.write(SettingsValue::dword("after", 1)));
    EXPECT_EQ(dwordOf(key, "after"), 1u);
    for (const auto& entry : std::filesystem::directory_iterator(key.file().parent_path()))
        EXPECT_FALSE(platform::writerTemporaryOwner(entry.path().filename().string())) << entry.path();
}
