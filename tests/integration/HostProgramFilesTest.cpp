// zorvane-host never aborts: whatever stands where a command wants a file,
// and whatever numbers it is given, it answers with a sentence and a status.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ios>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ProgramRuns.h"
#include "host/ProgramBoundary.h"
#include "support/TempDir.h"

namespace {

std::string replaced(std::string text, const std::string& path) {
    for (size_t at; (at = text.find("{}")) != std::string::npos;) text.replace(at, 2, path);
    return text;
}

}  // namespace

// Each command that reads a file, given a folder, no file, a file it may not
// read and an empty file there; each that writes one, given a folder or a
// path into no folder.  Every one names the path, says what is wrong and
// ends with status 1.
TEST(HostProgramFiles, EveryFilePositionAnswersWhatItFinds) {
    TempDir folder;
    const std::string dir = folder.str();
    // Open to the unprivileged user the unreadable file is tried as.
    std::filesystem::permissions(folder.path(), std::filesystem::perms::all);
    std::filesystem::create_directories(folder / "settings");
    std::filesystem::permissions(folder / "settings", std::filesystem::perms::all);
    ASSERT_TRUE(writeFile(dir + "/good.state", demoState()));
    std::filesystem::create_directory(folder / "folder");
    std::ofstream(dir + "/locked") << "MThd";
    std::filesystem::permissions(folder / "locked", std::filesystem::perms::none);
    std::ofstream(dir + "/empty").flush();
    // Permissions do not hold the administrator back: the unreadable file is
    // tried as nobody then.
    const std::string asNobody = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    auto host = [&](const std::string& prefix) { return "cd " + dir + " && " + prefix + "env ZORVANE_SETTINGS_DIR=" + dir + "/settings " + kHostProgram + " "; };

    const char* const readers[] = {
        "render --seconds 0.1 -o out.wav --preset {}",
        "render --seconds 0.1 -o out.wav --state {}",
        "render --seconds 0.1 -o out.wav --midi {}",
        "state load {}",
        "state save saved.state --preset {}",
        "params --state {} list",
        "validate --quick --seconds 0.1 --state {}",
    };
    // The last two are read by the same lines as the rest: tried once.
    const struct {
        std::string path, says;
    } found[] = {
        {dir + "/folder", "it is a folder, not a file"},
        {dir + "/missing", "No such file or directory"},
        {dir + "/locked", "Permission denied"},
        {dir + "/empty", "the file is empty"},
        {dir + "/good.state/inside", "Not a directory"},
    };
    for (const char* command : readers)
        for (const auto& f : found) {
            if (command != readers[0] && &f >= &found[3]) continue;
            const std::string line = host(f.path.ends_with("locked") ? asNobody : "") + replaced(command, f.path);
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

// Blocks are whole numbers of samples, the rate whole hertz, and a length
// holds at least one block; each refusal gives the range that is taken, and
// the shortest length it shows is taken.
TEST(HostProgramFiles, NumbersOutsideTheirRangesAreRefusedWithTheRange) {
    TempDir folder;
    const std::string host = "cd " + folder.str() + " && ZORVANE_SETTINGS_DIR=" + folder.str() + "/settings " + kHostProgram + " ";
    const struct {
        std::string arguments;
        int status;
        std::string says;
    } cases[] = {
        {"render --block 1.5", 1, "--block wants a whole number 1..65536 samples"},
        {"render --block 0", 1, "--block wants a whole number 1..65536 samples"},
        {"render --block 65537", 1, "--block wants a whole number 1..65536 samples"},
        {"render --rate 44100.5", 1, "--rate wants a whole number 8000..384000 Hz"},
        {"render --seconds 1e-9", 1, "--seconds wants 0.01161..3600 (one block of 512 samples at 44100 Hz at least)"},
        {"render --seconds 0.25 --rate 8000 --block 4096", 1, "--seconds wants 0.512..3600 (one block of 4096 samples at 8000 Hz at least)"},
        {"render --seconds 3601", 1, "--seconds wants 0.01161..3600"},
        {"render --seconds 0.01161 -o a.wav", 0, "wrote a.wav: 0.01161 s"},
        {"render --seconds 0.002 --block 16 --rate 1e4 -o b.wav", 0, "wrote b.wav: 0.002 s, 2 channels, 10000 Hz"},
        {"validate --seconds 0.05", 1, "--seconds wants 0.09288..600 (a block of 4096 samples at 44100 Hz at least)"},
    };
    for (const auto& c : cases) {
        std::string output;
        EXPECT_EQ(run(host + c.arguments, output), c.status) << c.arguments << "\n" << output;
        EXPECT_NE(output.find(c.says), std::string::npos) << c.arguments << "\n" << output;
    }
}

// What escapes a command, of whatever kind, ends the program with a
// sentence and status 1.
TEST(HostProgramFiles, AnEscapingExceptionBecomesAMessageAndStatusOne) {
    const struct {
        std::function<int()> body;
        int status;
        std::string says;
    } cases[] = {
        {[] { return 0; }, 0, ""},
        {[] { return 2; }, 2, ""},
        {[]() -> int { throw std::ios_base::failure("basic_filebuf::underflow error reading the file: Is a directory"); }, 1,
         "tool: basic_filebuf::underflow error reading the file: Is a directory"},
        {[]() -> int { throw std::bad_alloc(); }, 1, "tool: out of memory\n"},
        {[]() -> int { throw std::runtime_error("broken"); }, 1, "tool: broken\n"},
        {[]() -> int { throw 42; }, 1, "tool: stopped by an unexpected error\n"},
    };
    for (const auto& c : cases) {
        std::ostringstream errors;
        EXPECT_EQ(runWithinBoundary("tool", c.body, errors), c.status);
        EXPECT_EQ(errors.str().substr(0, c.says.size()), c.says);
        EXPECT_EQ(errors.str().empty(), c.says.empty()) << errors.str();
    }
}
