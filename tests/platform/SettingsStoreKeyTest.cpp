#include "platform/SettingsStoreKey.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/SettingsWriteBatch.h"
#include "platform/WriterTemporary.h"
#include "support/ChildProcess.h"
#include "support/HangWatchdog.h"
#include "support/RenameWatch.h"
#include "support/TempDir.h"

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

// A key file that is not valid reads as empty; the next write keeps it
// aside, byte for byte, under a name of its own (never over one kept
// before), says so, and starts a new key file.
TEST(SettingsStoreKey, AnInvalidKeyFileIsKeptAsideNotErased) {
    TempDir root;
    SettingsStoreKey key = openKey(root);
    ASSERT_TRUE(key.write(SettingsValue::string("a", "x")));
    std::string cut = readFile(key.file());
    cut.resize(cut.size() - 4);  // "end\n" lost
    const std::string damaged[] = {cut, std::string(5000, '\0')};
    const char* const asides[] = {"zorvane.key.unreadable", "zorvane.key.unreadable-2"};
    for (int i = 0; i < 2; ++i) {
        std::ofstream(key.file(), std::ios::binary | std::ios::trunc) << damaged[i];
        EXPECT_FALSE(key.read("a").has_value());
        testing::internal::CaptureStderr();
        ASSERT_TRUE(key.write(SettingsValue::dword("b", uint32_t(i))));
        const std::string said = testing::internal::GetCapturedStderr();
        const auto aside = key.file().parent_path() / asides[i];
        EXPECT_EQ(readFile(aside), damaged[i]);
        EXPECT_NE(said.find(key.file().string() + " could not be read as settings"), std::string::npos) << said;
        EXPECT_NE(said.find("it is kept as " + aside.string()), std::string::npos) << said;
        EXPECT_EQ(dwordOf(key, "b"), uint32_t(i));
        EXPECT_EQ(platform::decodeKeyFile(readFile(key.file()))->size(), 1u);
    }
}

// A key file that cannot be read at all refuses writes, which would lose
// its values, and leaves it as it is; a named pipe there is never waited on.
TEST(SettingsStoreKey, AKeyFileThatCannotBeReadIsNeitherWaitedOnNorReplaced) {
    const HangWatchdog watchdog;
    TempDir root;
    SettingsStoreKey key = openKey(root);
    ASSERT_EQ(mkfifo(key.file().c_str(), 0644), 0);
    EXPECT_FALSE(key.read("a").has_value());
    std::string problem;
    EXPECT_FALSE(key.write(std::vector{SettingsValue::dword("a", 1)}, &problem));
    EXPECT_EQ(problem, "cannot read " + key.file().string() + ": it is a named pipe, not a file");
    EXPECT_FALSE(key.remove(std::vector<std::string>{"a"}));
    EXPECT_TRUE(std::filesystem::is_fifo(key.file()));
    for (const auto& entry : std::filesystem::directory_iterator(key.file().parent_path()))
        EXPECT_EQ(entry.path().string().find(".unreadable"), std::string::npos) << entry.path();
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
