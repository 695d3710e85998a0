// zorvane-host editor and snapshot as a person runs them: what they refuse
// and how they say it, the pictures the snapshot writes, and the editor in an
// X window of the test's own showing exactly those pictures.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "EditorSession.h"
#include "ProgramRuns.h"
#include "host/PageSetScript.h"
#include "persistence/Settings.h"
#include "support/ChildProcess.h"
#include "support/HangWatchdog.h"
#include "support/SettingsSandbox.h"
#include "support/TempDir.h"
#include "support/XvfbServer.h"

namespace {

// Settings, documents and home of the test's own, and no display unless
// the command gives one.
std::string inHome(const TempDir& home, const std::string& settings = {}) {
    return "cd " + home.str() + " && env -u DISPLAY HOME=" + home.str() + " ZORVANE_SETTINGS_DIR=" +
           (settings.empty() ? home.str() + "/settings" : settings) + " ZORVANE_DOCUMENTS_DIR=" + home.str() + "/Documents ";
}

int32_t zoomed(int32_t design, int32_t percent) { return design * percent / 100; }

TEST(ViewCommands, RefuseAndFailClearly) {
    TempDir home;
    std::ofstream(home / "bad.events") << "click 10 10\ntap 1 2\n";
    std::ofstream(home / "short.events") << "# a drag wants two points\ndrag 1 2 3\n";
    std::ofstream(home / "every.events") << "click 400 223  # the locate panel\nwheel 914 125 -2\ndrag 914 125 914 100\n"
                                            "rightclick 5 5\nclick 5 5 shift control alt\n";
    ASSERT_TRUE(writeFile((home / "demo.state").string(), demoState()));
    const std::string host = inHome(home) + kHostProgram + " ";
    const struct {
        std::string command;
        int status;
        std::string says;
    } cases[] = {
        {host + "snapshot played --zoom 1.0 --state demo.state --events every.events", 0, "wrote played/lane5-100.png (960 x 697)"},
        {host + "editor --help", 0, "usage: zorvane-host editor [--state FILE | --preset FILE] [--zoom F]"},
        {host + "snapshot -h", 0, "usage: zorvane-host snapshot DIR [--zoom LIST]"},
        {host + "snapshot", 2, "snapshot wants a folder\nusage: zorvane-host snapshot"},
        {host + "snapshot a b", 2, "snapshot takes one folder, not also \"b\""},
        {host + "snapshot shots --play", 2, "snapshot takes no option --play"},
        {host + "snapshot shots --state a --preset b", 2, "snapshot takes --preset or --state, not both"},
        {host + "editor stray", 2, "editor takes no argument \"stray\""},
        {host + "editor --zoom", 2, "--zoom wants a value"},
        {host + "snapshot shots --zoom 1.0,3", 2, "--zoom \"3\" is out of range; it takes factors 0.9..2.0\nusage: zorvane-host snapshot"},
        {host + "snapshot shots --zoom 1.0,,1.5", 2, "--zoom \"\" is not a number"},
        {host + "snapshot shots --zoom ''", 2, "--zoom wants at least one factor\nusage: zorvane-host snapshot"},
        {host + "snapshot /proc/shots", 1, "cannot write into the folder /proc/shots"},
        {host + "snapshot shots --events bad.events", 1, "bad.events:2: no event \"tap\""},
        {host + "snapshot shots --events short.events", 1, "short.events:2: drag wants 4 whole numbers"},
        {host + "snapshot shots --events none.events", 1, "cannot read none.events: No such file or directory"},
        {host + "snapshot shots --state none.state", 1, "cannot read none.state"},
        {host + "editor", 1, "no X display: $DISPLAY is not set"},
        {inHome(home) + "DISPLAY=:9876 " + kHostProgram + " editor", 1, "cannot open the X display :9876"},
        {host + "editor --zoom 0.5", 2, "--zoom \"0.5\" is out of range; it takes factors 0.9..2.0\nusage: zorvane-host editor"},
        {host + "editor --zoom 1.5x", 2, "--zoom \"1.5x\" is not a number"},
        {host + "editor --seconds -1", 2, "--seconds \"-1\" is out of range; it takes more than 0, at most 86400 s\nusage: zorvane-host editor"},
        {host + "editor --seconds 0", 2, "--seconds \"0\" is out of range"},
        {host + "editor --seconds 1m", 2, "--seconds \"1m\" is not a number"},
        {host + "editor --log /proc/none/session.log", 1, "cannot write the log into /proc/none"},
    };
    for (const auto& c : cases) {
        std::string output;
        EXPECT_EQ(run(c.command, output), c.status) << c.command << "\n" << output;
        EXPECT_NE(output.find(c.says), std::string::npos) << c.command << "\n" << output;
    }
    EXPECT_FALSE(std::filesystem::exists(home / "shots")) << "a refused snapshot made its folder";
}

TEST(ViewCommands, SnapshotWritesEveryPageSetAtEveryZoomAndLeavesTheZoomAsItWas) {
    TempDir home;
    SettingsSandbox settings;
    ASSERT_TRUE(setSettingDword("resizefactor1", 130));
    std::string output;
    ASSERT_EQ(run(inHome(home, settings.root().string()) + kHostProgram + " snapshot shots --zoom 1.0,1.5,2", output), 0)
        << output;
    for (int32_t percent : {100, 150, 200}) {
        std::vector<std::vector<uint32_t>> pictures;
        for (const PageSetStep& step : pageSetScript()) {
            int32_t width = 0, height = 0;
            const std::string path = (home / "shots").string() + "/" + step.name + "-" + std::to_string(percent) + ".png";
            pictures.push_back(pngColours(path, width, height));
            EXPECT_EQ(width, zoomed(960, percent)) << path;
            EXPECT_EQ(height, zoomed(697, percent)) << path;
        }
        // Going back over the page buttons leads back to where they started.
        EXPECT_EQ(pictures[1], pictures.back()) << percent;
        for (size_t i = 2; i + 1 < pictures.size(); ++i) EXPECT_NE(pictures[i], pictures[i - 1]) << percent << " " << i;
    }
    // The person's plug-in opens as it did before.
    EXPECT_EQ(getSettingDword("forceresize"), 0u);
    EXPECT_EQ(getSettingDword("resizefactor1"), 130u);
}

TEST(ViewCommands, TheEditorInAnXWindowShowsWhatTheSnapshotsShow) {
    if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    TempDir home;
    std::string output;
    ASSERT_EQ(run(inHome(home) + kHostProgram + " snapshot shots", output), 0) << output;
    toolkit_test::XvfbServer server(1920, 1200);
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    for (int32_t percent : {100, 150}) {
        EditorSession session(server.name(), {"--zoom", percent == 100 ? "1.0" : "1.5"}, home);
        ASSERT_TRUE(session.running()) << "no view at " << percent << " %\n" << session.output();
        ASSERT_EQ(session.width(), zoomed(960, percent));
        ASSERT_EQ(session.height(), zoomed(697, percent));
        for (const PageSetStep& step : pageSetScript()) {
            for (const DesignPoint& point : step.clicks)
                session.click(windowPixel(point.x, percent), windowPixel(point.y, percent));
            session.leave();
            int32_t width = 0, height = 0;
            const std::vector<uint32_t> wanted =
                pngColours((home / "shots").string() + "/" + step.name + "-" + std::to_string(percent) + ".png", width, height);
            ASSERT_EQ(width, session.width());
            const bool same = session.waitForPixels(wanted);
            size_t differing = 0;
            if (!same) {
                const std::vector<uint32_t> shown = session.pixels();
                for (size_t i = 0; i < std::min(shown.size(), wanted.size()); ++i) differing += shown[i] != wanted[i];
            }
            EXPECT_TRUE(same) << step.name << " at " << percent << " %: " << differing << " pixels differ";
        }
        EXPECT_EQ(session.close(), 0) << "the window's close button ends the program cleanly";
    }
}

}  // namespace

namespace {

std::vector<std::string> linesOf(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(ViewCommands, APersonsSessionInTheXWindowIsLoggedAndEndsCleanly) {
    if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    toolkit_test::XvfbServer server(1280, 1024);
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    TempDir home;
    const std::filesystem::path log = home / "session.log";
    // Played as well: the meters move while the person works.
    EditorSession session(server.name(), {"--log", log.string(), "--play"}, home);
    ASSERT_TRUE(session.running()) << session.output();
    session.click(400, 223);            // the locate panel of the empty library closes
    session.drag(914, 125, 914, 95);    // knob 0, "MasterLevel", up 30 pixels: + 0.3
    session.wheel(914, 125, 1);         // and a notch: + 0.0175
    session.click(46, 398);             // the arpeggiator switch, 217
    session.click(87, 672);             // menu 326 opens
    session.click(75, 646);             // "min 7"
    session.click(896, 72);             // the MIDI export's drag button
    const auto drops = home / "drop";
    for (int wait = 0; wait < 100 && std::filesystem::is_empty(drops); ++wait) session.pause(100);
    EXPECT_EQ(session.close(), 0) << "the window's close button ends the program cleanly";

    const std::vector<std::string> lines = linesOf(log);
    ASSERT_FALSE(lines.empty()) << "no log";
    EXPECT_EQ(lines.front(), "touch 0");
    const auto lastSet = std::find_if(lines.rbegin(), lines.rend(), [](const std::string& l) { return l.starts_with("set 0 "); });
    ASSERT_NE(lastSet, lines.rend());
    const double level = std::stod(lastSet->substr(6));
    EXPECT_NEAR(level, 0.5098 + 0.3 + 0.0175, 0.002);
    // Only knob 0 is a host parameter among the controls used.
    for (const std::string& line : lines) {
        const bool knob = line == "touch 0" || line == "release 0" || line.starts_with("set 0 ");
        EXPECT_TRUE(knob || line.starts_with("final ")) << line;
    }
    const size_t finals = size_t(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("final "); }));
    EXPECT_EQ(finals, 88u) << "the bypass and the 87 parameters";
    EXPECT_NE(std::find(lines.begin(), lines.end(), "final 0 " + std::to_string(level).substr(0, 8)), lines.end());
    size_t midiFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(drops)) midiFiles += entry.path().extension() == ".mid";
    EXPECT_EQ(midiFiles, 1u) << "the exported MIDI file in the drop folder";
}

TEST(ViewCommands, TheEditorEndsCleanlyAfterItsTimeAndAtSigterm) {
    if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    toolkit_test::XvfbServer server(1280, 1024);
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    const struct {
        const char* how;
        std::vector<std::string> arguments;
        int signal;
        int status;
    } cases[] = {
        {"after --seconds", {"--seconds", "1.5"}, 0, 0},
        {"at SIGTERM", {}, SIGTERM, 128 + SIGTERM},
        {"at SIGINT", {}, SIGINT, 128 + SIGINT},
    };
    for (const auto& c : cases) {
        TempDir home;
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"--log", (home / "session.log").string()});
        EditorSession session(server.name(), arguments, home);
        ASSERT_TRUE(session.running()) << c.how << "\n" << session.output();
        EXPECT_EQ(c.signal ? session.stop(c.signal) : session.waitForEnd(), c.status) << c.how << "\n" << session.output();
        // The log is written on the way out: the session ended through its close.
        EXPECT_EQ(linesOf(home / "session.log").size(), 88u) << c.how;
    }
}

// A display that goes away while the phrase plays ends the session as the
// close button does (the audio stops before anything goes, the log is
// written) and says why, with status 1: no crash, no sanitizer report.
TEST(ViewCommands, TheEditorEndsCleanlyWhenItsXServerDies) {
    if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    for (int run = 0; run < 2; ++run) {
        toolkit_test::XvfbServer server(1280, 1024);
        ASSERT_TRUE(server.running()) << "Xvfb did not start";
        TempDir home;
        EditorSession session(server.name(), {"--play", "--log", (home / "session.log").string()}, home);
        ASSERT_TRUE(session.running()) << session.output();
        session.pause(200 + 300 * run);
        session.disconnect();
        server.kill();
        EXPECT_EQ(session.waitForEnd(), 1) << session.output();
        const std::string output = session.output();
        EXPECT_NE(output.find("zorvane-host: the connection to the X display was lost: the editor closed"),
                  std::string::npos) << output;
        EXPECT_EQ(output.find("Sanitizer"), std::string::npos) << output;
        EXPECT_EQ(linesOf(home / "session.log").size(), 88u) << output;
    }
}

// The same ends with a message box up: one that says a preset of the
// GLOBAL menu cannot be read.  The box goes with the editor, whether its
// server dies (the message, status 1) or the program is stopped (by the
// signal); the log is written either way.
TEST(ViewCommands, TheEditorEndsCleanlyWithABoxUpWhenItsXServerDiesOrAStopComes) {
    if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    const struct {
        const char* how;
        int signal;  // 0: the server is killed
        int status;
        const char* says;
    } cases[] = {
        {"the X server killed", 0, 1, "zorvane-host: the connection to the X display was lost: the editor closed"},
        {"SIGTERM", SIGTERM, 128 + SIGTERM, ""},
        {"SIGINT", SIGINT, 128 + SIGINT, ""},
    };
    for (const auto& c : cases) {
        toolkit_test::XvfbServer server(1280, 1024);
        ASSERT_TRUE(server.running()) << "Xvfb did not start";
        TempDir home;
        // A content folder whose one global preset is no preset at all.
        const std::filesystem::path content = home / "content";
        std::filesystem::create_directories(content / "Instruments");
        std::filesystem::create_directories(content / "Global Presets" / "Bank");
        std::ofstream(content / "Global Presets" / "Bank" / "Broken.zvp") << "not a preset, only words";
        EditorSession session(server.name(), {"--content", content.string(), "--log", (home / "session.log").string()}, home);
        ASSERT_TRUE(session.running()) << c.how << "\n" << session.output();
        session.click(400, 223);  // the locate panel of the empty library closes
        session.click(391, 26);   // the GLOBAL preset menu opens
        session.click(400, 81);   // its bank
        session.click(490, 81);   // "0. Broken"
        ASSERT_TRUE(session.waitForBox()) << c.how << ": no box\n" << session.output();
        int status = -1;
        if (c.signal) {
            status = session.stop(c.signal);
        } else {
            session.disconnect();
            server.kill();
            status = session.waitForEnd();
        }
        const std::string output = session.output();
        EXPECT_EQ(status, c.status) << c.how << "\n" << output;
        EXPECT_NE(output.find(c.says), std::string::npos) << c.how << "\n" << output;
        EXPECT_EQ(output.find("Sanitizer"), std::string::npos) << c.how << "\n" << output;
        EXPECT_EQ(linesOf(home / "session.log").size(), 88u) << c.how << ": the log is written on the way out";
    }
}

// The file selector up (the locate panel's button asks for the
// instruments, a stand-in "zenity" on the PATH that starts a process of its
// own and never answers): a stop ends the editor at once all the same, the
// selector and what it started ended with it, the log written.
TEST(ViewCommands, TheEditorEndsAtAStopWithTheFileSelectorUp) {
    if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    const HangWatchdog watchdog;
    toolkit_test::XvfbServer server(1280, 1024);
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    for (const int signal : {SIGTERM, SIGINT}) {
        TempDir home;
        const std::filesystem::path pids = home / "selector-pids";
        std::filesystem::create_directories(home / "bin");
        std::ofstream(home / "bin" / "zenity") << "#!/bin/sh\nsleep 600 &\necho $$ $! > '" << pids.string() << ".part'\nmv '"
                                               << pids.string() << ".part' '" << pids.string() << "'\nwait\n";
        std::filesystem::permissions(home / "bin" / "zenity", std::filesystem::perms::owner_all);
        setenv("PATH", (home.str() + "/bin:" + path).c_str(), 1);
        EditorSession session(server.name(), {"--log", (home / "session.log").string()}, home);
        setenv("PATH", path.c_str(), 1);
        ASSERT_TRUE(session.running()) << session.output();
        session.click(627, 388);  // "select path" in the locate panel of the empty library
        for (int wait = 0; wait < 1000 && !std::filesystem::exists(pids); ++wait) session.pause(20);
        ASSERT_TRUE(std::filesystem::exists(pids)) << "the selector did not open\n" << session.output();
        pid_t selector = 0, started = 0;
        std::ifstream(pids) >> selector >> started;
        EXPECT_EQ(session.stop(signal), 128 + signal) << strsignal(signal) << "\n" << session.output();
        EXPECT_FALSE(processRunning(selector)) << strsignal(signal);
        // What the selector started dies with its group; the kernel finishes
        // that after the kill returns, so it is waited for under the watchdog.
        while (processRunning(started)) session.pause(10);
        EXPECT_EQ(linesOf(home / "session.log").size(), 88u) << strsignal(signal) << ": the log is written on the way out";
    }
}

}  // namespace
