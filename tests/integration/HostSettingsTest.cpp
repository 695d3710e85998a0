// The user's settings through zorvane-host: a key file edited by hand keeps
// its values when `content DIR` writes it, and a run with --content has
// settings of its own, so that the user's stay byte for byte as they were
// however the run ends.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "ProgramRuns.h"
#include "platform/SettingsStoreKey.h"
#include "support/ChildProcess.h"
#include "support/HangWatchdog.h"
#include "support/TempDir.h"
#include "support/UnixSocket.h"

namespace fs = std::filesystem;

namespace {

constexpr char kProductKey[] = "Software\\Brindlewick\\Zorvane";
constexpr char kRunFolderPrefix[] = "zorvane-host-settings-";

std::string fileText(const fs::path& path) {
    const std::vector<uint8_t> bytes = readAll(path.string());
    return {bytes.begin(), bytes.end()};
}

// A value of the product's key under root, as text ("<missing>" when it is
// not there).
std::string stored(const fs::path& root, const char* name) {
    const auto key = platform::SettingsStoreKey::open(root, kProductKey);
    const auto value = key ? key->read(name) : std::nullopt;
    if (!value) return "<missing>";
    return value->type == platform::SettingsType::Dword ? std::to_string(value->number()) : value->data;
}

// Every file and folder under root with its bytes.
std::map<std::string, std::string> everyFile(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        files[fs::relative(entry.path(), root).string()] = entry.is_regular_file() ? fileText(entry.path()) : "<folder>";
    return files;
}

// The settings folders of the runs in the temporary folder, by the
// content folder each points at (their lock files beside them left out).
std::map<std::string, fs::path> runFolders(const fs::path& temporary) {
    std::map<std::string, fs::path> folders;
    for (const auto& entry : fs::directory_iterator(temporary))
        if (entry.path().filename().string().starts_with(kRunFolderPrefix) && entry.path().extension() != ".lock")
            folders[stored(entry.path(), "contentpath")] = entry.path();
    return folders;
}

// Every name in the folder.
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
}

// Starts a shell command as a process of its own (exec'd, so that its id
// is the program's); its output goes nowhere.
pid_t start(const std::string& command) {
    const pid_t child = fork();
    if (child == 0) {
        // No core file from the crash the test makes.
        const std::string line = "ulimit -c 0; exec " + command + " >/dev/null 2>&1";
        execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

// Waits until the runs' settings folders point at every one of the content
// folders (the moment a run that wrote the user's settings would have
// changed them).  False when a run ended before; the hang watchdog bounds
// the wait.
bool awaitRunsAt(const fs::path& temporary, const std::vector<std::string>& contents, const std::vector<pid_t>& runners) {
    for (;;) {
        const auto folders = runFolders(temporary);
        bool all = true;
        for (const std::string& content : contents) all = all && folders.count(content);
        if (all) return true;
        for (const pid_t runner : runners)
            if (waitpid(runner, nullptr, WNOHANG) == runner) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

// A key file saved by an editor (CR LF line ends, no line end after "end",
// a byte-order mark) keeps every value through `content DIR`; so does one
// with a line that is no value, or cut short, and what `content` passes
// over is said and kept aside; an empty one is an empty key.
TEST(HostSettings, AHandEditedOrDamagedKeyFileKeepsItsValuesThroughContent) {
    TempDir folder;
    const std::string dir = folder.str();
    fs::create_directories(folder / "content" / "Instruments");
    const fs::path keyFolder = folder / "settings" / "software" / "brindlewick";
    fs::create_directories(keyFolder);
    const std::string values = "dword ignorePrgChange 1\ndword NoSilentOpt 1\n";
    const std::string header = "brindlewick-registry-key 1\n";
    const struct {
        const char* form;
        std::string text;
        const char* says;   // on standard error after the key file's name; "" for nothing
        const char* aside;  // kept beside the key; "" for no such file
    } forms[] = {
        {"CR LF", "brindlewick-registry-key 1\r\ndword ignorePrgChange 1\r\ndword NoSilentOpt 1\r\nend\r\n", "", ""},
        {"no last line end", header + values + "end", "", ""},
        {"byte-order mark", "\xEF\xBB\xBF" + header + values + "end\n", "", ""},
        {"a line that is no value", header + "dword ignorePrgChange 1\nhello\ndword NoSilentOpt 1\nend\n",
         " that is not settings is kept in", "hello\n"},
        {"cut short", header + values, " is cut short", ""},
        {"empty", "", "", ""},
    };
    for (const auto& f : forms) {
        fs::remove(keyFolder / "zorvane.key.unreadable");
        std::ofstream(keyFolder / "zorvane.key", std::ios::binary | std::ios::trunc) << f.text;
        std::string output;
        EXPECT_EQ(run("ZORVANE_SETTINGS_DIR=" + dir + "/settings " + kHostProgram + " content " + dir + "/content", output), 0)
            << f.form << "\n" << output;
        const bool empty = f.text.empty();
        EXPECT_EQ(stored(folder / "settings", "contentpath"), dir + "/content/") << f.form;
        EXPECT_EQ(stored(folder / "settings", "ignorePrgChange"), empty ? "<missing>" : "1") << f.form;
        EXPECT_EQ(stored(folder / "settings", "NoSilentOpt"), empty ? "<missing>" : "1") << f.form;
        EXPECT_EQ(fs::exists(keyFolder / "zorvane.key.unreadable"), *f.aside != 0) << f.form;
        if (*f.aside) {
            EXPECT_EQ(fileText(keyFolder / "zorvane.key.unreadable"), f.aside) << f.form;
        }
        if (*f.says) {
            EXPECT_NE(output.find((keyFolder / "zorvane.key").string() + f.says), std::string::npos) << f.form << "\n" << output;
        } else {
            EXPECT_EQ(output.find("Zorvane: "), std::string::npos) << f.form << "\n" << output;
        }
    }
}

// A key file that cannot be read (a named pipe, a socket, a folder in its
// place) is named with the reason by every command that reads it, with
// settings of its own (--content) or not, and the command goes on with
// the defaults.
TEST(HostSettings, AKeyFileThatCannotBeReadIsNamedByEveryCommand) {
    const HangWatchdog watchdog;
    TempDir folder;
    const std::string dir = folder.str();
    fs::create_directories(folder / "content" / "Instruments");
    const fs::path keyFolder = folder / "settings" / "software" / "brindlewick";
    const fs::path keyFile = keyFolder / "zorvane.key";
    const struct {
        const char* form;
        std::function<bool()> make;
        const char* reason;
    } forms[] = {
        {"named pipe", [&] { return mkfifo(keyFile.c_str(), 0644) == 0; }, "it is a named pipe, not a file"},
        {"socket", [&] { return makeSocketFile(keyFile); }, "it is a socket, not a file"},
        {"folder", [&] { return fs::create_directory(keyFile); }, "it is a folder, not a file"},
    };
    // Mode 000 is the same case for a user who is not root; root reads any
    // file, and the tests of the store itself run it as another user.
    for (const auto& f : forms) {
        fs::remove_all(folder / "settings");
        fs::create_directories(keyFolder);
        ASSERT_TRUE(f.make()) << f.form;
        const std::string says =
            "Zorvane: the settings file " + keyFile.string() + " cannot be read (" + f.reason + "); the defaults are used in its place\n";
        for (const std::string& options : {std::string(), " --content " + dir + "/content"}) {
            std::string output;
            const std::string command = "cd " + dir + " && ZORVANE_SETTINGS_DIR=" + dir + "/settings TMPDIR=" + dir + " " +
                                        kHostProgram + options + " render --seconds 0.1 -o out.wav";
            EXPECT_EQ(run(command, output), 0) << f.form << options << "\n" << output;
            const size_t said = output.find(says);
            EXPECT_NE(said, std::string::npos) << f.form << options << "\n" << output;
            EXPECT_EQ(output.find(says, said + 1), std::string::npos) << f.form << options << ": said once\n" << output;
        }
    }
}

// --content never writes the user's settings: the run reads a copy of
// them pointed at its folder.  Whether its output pipe closes (SIGPIPE), it
// is killed, it crashes or it is ended while another run overlaps it, the
// user's settings folder holds the same files with the same bytes, and
// later runs play from the user's own content.  A run that ends as it
// should removes its copy.
TEST(HostSettings, ARunsContentFolderLeavesTheUsersSettingsByteForByte) {
    const HangWatchdog watchdog;
    TempDir folder;
    const std::string dir = folder.str();
    for (const char* content : {"mine", "other", "third"}) fs::create_directories(folder / content / "Instruments");
    fs::create_directories(folder / "temporary");
    const std::string env = "env TMPDIR=" + dir + "/temporary ZORVANE_SETTINGS_DIR=" + dir + "/settings ";
    const std::string host = env + kHostProgram;
    std::string output;
    ASSERT_EQ(run(host + " content " + dir + "/mine", output), 0) << output;
    {
        auto key = platform::SettingsStoreKey::open(folder / "settings", kProductKey);
        ASSERT_TRUE(key && key->write(platform::SettingsValue::dword("ignorePrgChange", 1)));
    }
    const auto before = everyFile(folder / "settings");
    const std::string other = dir + "/other", third = dir + "/third";
    // A run killed outright leaves its copy until the next run removes it;
    // cleared between the runs here so that each run's copy is told apart.
    auto clearLeftovers = [&] {
        for (const std::string& name : namesIn(folder / "temporary")) fs::remove_all(folder / "temporary" / name);
    };

    // Ends as it should: the copy is gone afterwards.
    EXPECT_EQ(run(host + " --content " + other + " describe", output), 0) << output;
    EXPECT_TRUE(runFolders(folder / "temporary").empty());
    // The output pipe closes under the render.
    EXPECT_EQ(run(host + " --content " + other + " render --seconds 60 -o - | head -c 1000 >/dev/null", output), 0) << output;
    EXPECT_EQ(everyFile(folder / "settings"), before) << "SIGPIPE";
    // Killed, or crashed, while it runs.
    for (const int signal : {SIGKILL, SIGABRT}) {
        clearLeftovers();
        const pid_t runner = start(host + " --content " + other + " validate --seconds 60");
        ASSERT_TRUE(awaitRunsAt(folder / "temporary", {other + "/"}, {runner})) << "the run ended before it pointed at " << other;
        kill(runner, signal);
        int status = 0;
        waitpid(runner, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << signal;
        EXPECT_EQ(everyFile(folder / "settings"), before) << strsignal(signal);
    }
    // Two runs at once, each with a copy of the user's settings of its own.
    clearLeftovers();
    const pid_t first = start(host + " --content " + other + " validate --seconds 60");
    const pid_t second = start(host + " --content " + third + " validate --seconds 60");
    ASSERT_TRUE(awaitRunsAt(folder / "temporary", {other + "/", third + "/"}, {first, second})) << "a run ended early";
    for (const auto& [content, settings] : runFolders(folder / "temporary"))
        EXPECT_EQ(stored(settings, "ignorePrgChange"), "1") << content;
    EXPECT_EQ(everyFile(folder / "settings"), before) << "while two runs overlap";
    for (const pid_t runner : {first, second}) kill(runner, SIGTERM), waitpid(runner, nullptr, 0);
    EXPECT_EQ(everyFile(folder / "settings"), before) << "after two runs overlapped";
    EXPECT_EQ(stored(folder / "settings", "contentpath"), dir + "/mine/");
}

// No copy outlives a run that a signal ends, whichever signal that a
// program can catch ends it, and whether it comes while the copy is being
// made (as soon as the copy's lock file is there) or while the command runs.
TEST(HostSettings, ARunEndedByAnySignalLeavesNoCopy) {
    const HangWatchdog watchdog;
    TempDir folder;
    const std::string dir = folder.str();
    fs::create_directories(folder / "content" / "Instruments");
    {
        auto key = platform::SettingsStoreKey::open(folder / "settings", kProductKey);
        ASSERT_TRUE(key && key->write(platform::SettingsValue::dword("ignorePrgChange", 1)));
    }
    const fs::path temporary = folder / "temporary";
    fs::create_directories(temporary);
    const std::string host = "env TMPDIR=" + temporary.string() + " ZORVANE_SETTINGS_DIR=" + dir + "/settings " + kHostProgram +
                             " --content " + dir + "/content validate --seconds 60";
    std::vector<int> signals = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,    SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,
                                SIGUSR1, SIGSEGV, SIGUSR2, SIGPIPE,   SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU,
                                SIGXFSZ, SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR,  SIGSYS,  SIGRTMIN,  SIGRTMAX};
    for (const bool whileMade : {true, false}) {
        for (const int signal : signals) {
            const pid_t runner = start(host);
            // The moment: its lock file, or its copy pointed at the content.
            bool ended = false;
            for (;;) {
                const std::vector<std::string> names = namesIn(temporary);
                const bool reached = whileMade ? !names.empty() : runFolders(temporary).count(dir + "/content/") != 0;
                if (reached || (ended = waitpid(runner, nullptr, WNOHANG) == runner)) break;
                if (!whileMade) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            ASSERT_FALSE(ended) << strsignal(signal) << ": the run ended before the moment";
            kill(runner, signal);
            int status = 0;
            waitpid(runner, &status, 0);
            EXPECT_TRUE(WIFSIGNALED(status) || WEXITSTATUS(status) != 0) << strsignal(signal) << ": it went on";
            const std::vector<std::string> left = namesIn(temporary);
            EXPECT_TRUE(left.empty()) << strsignal(signal) << (whileMade ? " while the copy was made" : " while the command ran")
                                      << ": left " << left.front();
            for (const std::string& name : left) fs::remove_all(temporary / name);
        }
    }
}

// A copy whose run was killed outright (SIGKILL, which no program can
// catch) is removed by the next run, whatever its command; a run under way
// keeps its own.
TEST(HostSettings, TheNextRunRemovesACopyWhoseRunIsGoneAndLeavesALiveOne) {
    const HangWatchdog watchdog;
    TempDir folder;
    const std::string dir = folder.str();
    for (const char* content : {"live", "killed"}) fs::create_directories(folder / content / "Instruments");
    const fs::path temporary = folder / "temporary";
    fs::create_directories(temporary);
    const std::string host = "env TMPDIR=" + temporary.string() + " ZORVANE_SETTINGS_DIR=" + dir + "/settings " + kHostProgram;
    const pid_t live = start(host + " --content " + dir + "/live validate --seconds 60");
    ASSERT_TRUE(awaitRunsAt(temporary, {dir + "/live/"}, {live})) << "the live run ended early";
    const pid_t killed = start(host + " --content " + dir + "/killed validate --seconds 60");
    ASSERT_TRUE(awaitRunsAt(temporary, {dir + "/killed/"}, {killed})) << "the killed run ended early";
    killAndReap(killed);
    ASSERT_EQ(runFolders(temporary).size(), 2u) << "the killed run left its copy";

    std::string output;
    EXPECT_EQ(run(host + " describe", output), 0) << output;
    const auto left = runFolders(temporary);
    EXPECT_EQ(left.size(), 1u);
    EXPECT_EQ(left.count(dir + "/live/"), 1u) << "the live run's copy is left alone";
    EXPECT_EQ(namesIn(temporary).size(), 2u) << "the live run's copy and its lock file";
    kill(live, SIGTERM);
    waitpid(live, nullptr, 0);
    EXPECT_TRUE(namesIn(temporary).empty());
}
