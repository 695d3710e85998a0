// zorvane-host never aborts: whatever stands where a command wants a file,
// it answers with a sentence naming the path and status 1.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ios>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ProgramRuns.h"
#include "factory/FactoryContent.h"
#include "host/ProgramBoundary.h"
#include "support/HangWatchdog.h"
#include "support/TempDir.h"

namespace {

std::string replaced(std::string text, const std::string& path) {
    for (size_t at; (at = text.find("{}")) != std::string::npos;) text.replace(at, 2, path);
    return text;
}

// A prefix under which a command cannot read the unreadable file: none for
// an ordinary user; for the administrator, whom permission bits do not hold
// back, its capabilities to pass them are dropped (the same user still owns
// the folders, wherever they lie).  Nothing when neither way holds it back.
std::optional<std::string> withoutReadingRights(const std::string& unreadable) {
    for (const std::string prefix : {"", "setpriv --bounding-set=-dac_override,-dac_read_search "}) {
        std::string output;
        if (run(prefix + "cat " + unreadable, output) != 0) return prefix;
    }
    return std::nullopt;
}

}  // namespace

// Each command that reads a file, given a folder, no file, a file it may not
// read and an empty file there; each that writes one, given a folder or a
// path into no folder.  Every one names the path, says what is wrong and
// ends with status 1.
TEST(HostProgramFiles, EveryFilePositionAnswersWhatItFinds) {
    TempDir folder;
    const std::string dir = folder.str();
    ASSERT_TRUE(writeFile(dir + "/good.state", demoState()));
    std::filesystem::create_directory(folder / "folder");
    std::ofstream(dir + "/locked") << "MThd";
    std::filesystem::permissions(folder / "locked", std::filesystem::perms::none);
    std::ofstream(dir + "/empty").flush();
    const std::optional<std::string> unprivileged = withoutReadingRights(dir + "/locked");
    if (!unprivileged) std::printf("note: every process here may read any file; the unreadable file is not tried\n");
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0644), 0);
    const HangWatchdog watchdog;
    auto host = [&](const std::string& prefix) { return "cd " + dir + " && " + prefix + "env ZORVANE_SETTINGS_DIR=" + dir + "/settings " + kHostProgram + " "; };

    const char* const readers[] = {
        "render --seconds 0.1 -o out.wav --preset {}",
        "render --seconds 0.1 -o out.wav --state {}",
        "render --seconds 0.1 -o out.wav --midi {}",
        "state load {}",
        "state save saved.state --preset {}",
        "params --state {} list",
        "validate --quick --seconds 0.1 --state {}",
        "snapshot shots --zoom 1.0 --events {}",
    };
    // The last two are read by the same lines as the rest: tried once.  A
    // named pipe that nothing writes to is refused at once, never waited on.
    const struct {
        std::string path, says;
    } found[] = {
        {dir + "/folder", "it is a folder, not a file"},
        {dir + "/missing", "No such file or directory"},
        {dir + "/locked", "Permission denied"},
        {dir + "/pipe", "it is a named pipe that nothing wrote to"},
        {dir + "/empty", "the file is empty"},
        {dir + "/good.state/inside", "Not a directory"},
    };
    for (const char* command : readers)
        for (const auto& f : found) {
            if (command != readers[0] && &f >= &found[4]) continue;
            const bool locked = f.path.ends_with("locked");
            if (locked && !unprivileged) continue;
            const std::string line = host(locked ? *unprivileged : "") + replaced(command, f.path);
            std::string output;
            EXPECT_EQ(run(line, output), 1) << line << "\n" << output;
            EXPECT_NE(output.find("zorvane-host: cannot read " + f.path + ": " + f.says), std::string::npos) << line << "\n" << output;
        }

    const char* const writers[] = {
        "render --seconds 0.1 -o {}",
        "state save {}",
        "state load good.state --save {}",
        "params set 17 0.5 --save {}",
    };
    for (const char* command : writers)
        for (const std::string& path : {dir + "/folder", dir + "/no/such/folder/x"}) {
            const std::string line = host("") + replaced(command, path);
            std::string output;
            EXPECT_EQ(run(line, output), 1) << line << "\n" << output;
            EXPECT_NE(output.find("zorvane-host: cannot write " + path), std::string::npos) << line << "\n" << output;
        }
    const struct {
        std::string line, says;
    } globals[] = {
        {"--module folder describe", "cannot load the plug-in module folder"},
        {"--module good.state describe", "cannot load the plug-in module good.state"},
        {"--content good.state describe", "no content folder with Instruments at good.state"},
    };
    for (const auto& g : globals) {
        std::string output;
        EXPECT_EQ(run(host("") + g.line, output), 1) << g.line << "\n" << output;
        EXPECT_NE(output.find(g.says), std::string::npos) << g.line << "\n" << output;
    }
    for (const char* left : {"out.wav", "saved.state"}) EXPECT_FALSE(std::filesystem::exists(folder / left)) << left;
    EXPECT_TRUE(std::filesystem::is_empty(folder / "folder"));
}

// A named pipe in every folder the plug-in scans, one in place of an
// instrument a state names, and one in place of the settings key file: each
// command finishes and says what it could not use, never waiting for a
// writer.  Through a pipe with a writer (the standard input) a state loads.
TEST(HostProgramFiles, NamedPipesInTheContentAndTheSettingsAreNeverWaitedOn) {
    const HangWatchdog watchdog;
    TempDir folder;
    const std::string dir = folder.str();
    std::string error, output;
    ASSERT_TRUE(writeFactoryContent(folder / "content", error)) << error;
    ASSERT_TRUE(writeFile(dir + "/demo.state", demoState()));
    for (const char* presets : {"Global Presets/MIDI PROGRAMS", "Global Presets/Factory", "Sounds/Factory", "Sequences/Factory", "Chord Banks/Factory"})
        std::filesystem::create_directories(folder / "content" / presets);
    std::filesystem::copy(folder / "content", folder / "piped", std::filesystem::copy_options::recursive);
    for (const char* content : {"content", "piped"})
        for (const char* pipe : {"Global Presets/MIDI PROGRAMS/00 A Fifo.zvp", "Global Presets/Factory/A Fifo.zvp",
                                 "Sounds/Factory/A Fifo.zvq", "Sequences/Factory/A Fifo.zvk", "Chord Banks/Factory/A Fifo.bwh",
                                 "Instruments/Factory/A Fifo.bwr", "Samples/Factory/A Fifo.wav", "Instruments/A Fifo.bwr"})
            ASSERT_EQ(mkfifo((folder / content / pipe).c_str(), 0644), 0) << pipe;
    const std::string softKeys = dir + "/piped/Instruments/Factory/Soft Keys.bwr";
    std::filesystem::remove(softKeys);
    ASSERT_EQ(mkfifo(softKeys.c_str(), 0644), 0);
    const std::string keyFolder = dir + "/piped-settings/software/brindlewick";
    std::filesystem::create_directories(keyFolder);
    ASSERT_EQ(mkfifo((keyFolder + "/zorvane.key").c_str(), 0644), 0);

    const std::string render = " render --seconds 0.1 --state " + dir + "/demo.state -o " + dir + "/out.wav";
    const std::string settings = "ZORVANE_SETTINGS_DIR=" + dir + "/settings ", pipedSettings = "ZORVANE_SETTINGS_DIR=" + dir + "/piped-settings ";
    const struct {
        std::string line;
        int status;
        std::vector<std::string> says;
    } runs[] = {
        {settings + kHostProgram + " --content " + dir + "/content" + render, 0, {"wrote " + dir + "/out.wav"}},
        {settings + kHostProgram + " --content " + dir + "/piped" + render, 0,
         {"loading ROM file from " + softKeys + " failed", "the state names the instrument \"Soft Keys\"", "wrote"}},
        {settings + kHostProgram + " content " + dir + "/content", 0, {"the settings point at"}},
        {settings + kHostProgram + render, 0, {"wrote"}},
        {pipedSettings + kHostProgram + render, 0, {"wrote"}},
        {pipedSettings + kHostProgram + " --content " + dir + "/content" + render, 0, {"wrote"}},
        {pipedSettings + kHostProgram + " content " + dir + "/content", 1,
         {"cannot write the settings: cannot read " + keyFolder + "/zorvane.key: it is a named pipe, not a file"}},
        {"cat " + dir + "/demo.state | " + settings + kHostProgram + " state load /dev/stdin", 0, {"loaded /dev/stdin"}},
    };
    for (const auto& r : runs) {
        EXPECT_EQ(run(r.line, output), r.status) << r.line << "\n" << output;
        for (const std::string& said : r.says) EXPECT_NE(output.find(said), std::string::npos) << r.line << "\n" << output;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(keyFolder + "/zorvane.key"));
}

// What escapes a command, of whatever kind, ends the program with a
// sentence and status 1.
TEST(HostProgramFiles, AnEscapingExceptionBecomesAMessageAndStatusOne) {
    const struct {
        std::function<int()> body;
        int status;
        std::string says;
    } cases[] = {
        {[] { return 2; }, 2, ""},
        {[]() -> int { throw std::ios_base::failure("reading the file: Is a directory"); }, 1, "tool: reading the file: Is a directory"},
        {[]() -> int { throw std::bad_alloc(); }, 1, "tool: out of memory\n"},
        {[]() -> int { throw 42; }, 1, "tool: stopped by an unexpected error\n"},
    };
    for (const auto& c : cases) {
        std::ostringstream errors;
        EXPECT_EQ(runWithinBoundary("tool", c.body, errors), c.status);
        EXPECT_TRUE(errors.str().starts_with(c.says) && errors.str().empty() == c.says.empty()) << errors.str();
    }
}
