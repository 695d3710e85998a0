// The window layer's own logic: double clicks, the in-process back-end's
// windows, events, paint and virtual clock, the uri-list reader of drops,
// and the interactive file dialogs run as child programs.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ClickTracker.h"
#include "platform/InProcessWindows.h"
#include "platform/InteractiveFileDialogs.h"
#include "platform/UriList.h"
#include "support/ChildProcess.h"
#include "support/HangWatchdog.h"
#include "support/TempDir.h"

namespace {

using platform::MouseButtonId;
using platform::WindowEvent;

TEST(ClickTracker, DoubleClicksWithin500MsAnd4Pixels) {
    struct Press {
        uint32_t window;
        MouseButtonId button;
        int32_t x, y;
        uint32_t time;
        bool doubleClick;
    } presses[] = {
        {1, MouseButtonId::Left, 10, 10, 0, false},    {1, MouseButtonId::Left, 14, 6, 500, true},
        {1, MouseButtonId::Left, 14, 6, 510, false},   {1, MouseButtonId::Left, 14, 6, 1011, false},
        {1, MouseButtonId::Left, 19, 6, 1100, false},  {1, MouseButtonId::Right, 19, 6, 1200, false},
        {1, MouseButtonId::Right, 19, 6, 1300, true},  {1, MouseButtonId::Left, 0, 0, 2000, false},
        {2, MouseButtonId::Left, 0, 0, 2100, false},   {2, MouseButtonId::Left, 0, 5, 2200, false},
        {2, MouseButtonId::Left, 0, 5, 0xfffffff0u, false}, {2, MouseButtonId::Left, 0, 5, 100, true},
    };
    platform::ClickTracker clicks;
    for (const Press& p : presses)
        EXPECT_EQ(clicks.press(p.window, p.button, p.x, p.y, p.time), p.doubleClick) << p.time;
}

struct Recorder : platform::WindowHandler {
    void handleWindowEvent(const WindowEvent& e) override { events.push_back(e); }
    std::vector<WindowEvent> events;
};

TEST(InProcessWindows, RectanglesEventsPaintAndDestruction) {
    platform::InProcessWindows w;
    Recorder top, child, grandchild;
    const auto a = w.createWindow(0, 500, 400, &top);
    const auto b = w.createWindow(a, 300, 200, &child);
    const auto c = w.createWindow(b, 100, 50, &grandchild);
    EXPECT_EQ(w.createWindow(99, 10, 10, nullptr), 0u) << "no such parent";
    w.moveWindow(a, 40, 30);
    platform::WindowRect r;
    ASSERT_TRUE(w.windowRect(c, r));
    EXPECT_EQ(r, (platform::WindowRect{40, 30, 140, 80}));
    EXPECT_EQ(w.parentOf(c), b);
    EXPECT_TRUE(w.hasCaption(a));
    EXPECT_FALSE(w.hasCaption(b));

    w.invalidate(b, {-5, 10, 20, 20});
    w.invalidate(b, {100, 150, 400, 300});
    EXPECT_EQ(w.pendingUpdate(b), (platform::WindowRect{0, 10, 300, 200})) << "united and clipped";
    EXPECT_TRUE(w.dispatchPendingPaint());
    EXPECT_FALSE(w.dispatchPendingPaint());
    ASSERT_EQ(child.events.size(), 1u);
    EXPECT_EQ(child.events[0].paintRect, (platform::WindowRect{0, 10, 300, 200}));

    w.press(c, 5, 6, MouseButtonId::Middle, platform::kStateAlt);
    w.setCapture(b);
    w.move(c, 7, 8);
    w.release(c, 7, 8, MouseButtonId::Middle);
    w.leave(b);  // not tracked: nothing
    w.trackLeave(b);
    w.leave(b);
    w.leave(b);
    ASSERT_EQ(grandchild.events.size(), 1u);
    EXPECT_EQ(grandchild.events[0].state, platform::kStateMiddle | platform::kStateAlt);
    ASSERT_EQ(child.events.size(), 4u) << "captured move and release, one leave";
    EXPECT_EQ(child.events[1].kind, WindowEvent::Kind::MouseMove);
    EXPECT_EQ(child.events[2].state, 0u);
    EXPECT_EQ(child.events[3].kind, WindowEvent::Kind::MouseLeave);
    int32_t x = 0, y = 0;
    w.pointerPosition(x, y);
    EXPECT_EQ(x, 47);
    EXPECT_EQ(y, 38);

    w.destroyWindow(a);
    EXPECT_EQ(w.windowCount(), 0u);
    EXPECT_EQ(grandchild.events.back().kind, WindowEvent::Kind::Destroy);
    EXPECT_EQ(top.events.back().kind, WindowEvent::Kind::Destroy);
    EXPECT_EQ(w.captured(), 0u);
}

// A back-end that records what it is asked to put on the screen.
struct PresentingWindows : platform::InProcessWindows {
    void present(platform::WindowRecord&, const platform::WindowRect& rect) override { presented.push_back(rect); }
    std::vector<platform::WindowRect> presented;
};

TEST(InProcessWindows, APaintCarriesAndPresentsTheInvalidRectanglesApart) {
    using R = platform::WindowRect;
    struct Case {
        const char* name;
        std::vector<R> invalid;
        R box;
        std::vector<R> pieces;  // empty: the box whole
    } cases[] = {
        {"apart, one cut by the edge", {{-5, 10, 20, 20}, {100, 150, 400, 300}}, {0, 10, 300, 200},
         {{0, 10, 20, 20}, {100, 150, 300, 200}}},
        {"overlapping: one", {{0, 0, 50, 50}, {40, 40, 60, 60}}, {0, 0, 60, 60}, {{0, 0, 60, 60}}},
        {"seventeen apart: the box", {}, {0, 0, 165, 5}, {}},
    };
    for (int32_t i = 0; i < 17; ++i) cases[2].invalid.push_back({10 * i, 0, 10 * i + 5, 5});
    for (const Case& c : cases) {
        PresentingWindows w;
        Recorder handler;
        const auto window = w.createWindow(0, 300, 200, &handler);
        for (const R& r : c.invalid) w.invalidate(window, r);
        ASSERT_TRUE(w.dispatchPendingPaint()) << c.name;
        ASSERT_EQ(handler.events.size(), 1u) << c.name;
        EXPECT_EQ(handler.events[0].paintRect, c.box) << c.name;
        EXPECT_EQ(handler.events[0].paintPieces, c.pieces) << c.name;
        EXPECT_EQ(w.presented, c.pieces.empty() ? std::vector<R>{c.box} : c.pieces) << c.name;
    }
}

TEST(InProcessWindows, TimersFireInTimeOrderOnTheVirtualClock) {
    platform::InProcessWindows w;
    std::vector<std::string> fired;
    uint32_t third = 0;
    const uint32_t fast = w.startTimer(30, [&](uint32_t) { fired.push_back("30@" + std::to_string(w.tickCount())); });
    w.startTimer(50, [&](uint32_t id) {
        fired.push_back("50@" + std::to_string(w.tickCount()));
        w.stopTimer(id);
        third = w.startTimer(5, [&](uint32_t) { fired.push_back("5@" + std::to_string(w.tickCount())); });
    });
    w.advance(61);
    EXPECT_EQ(fired, (std::vector<std::string>{"30@30", "50@50", "5@55", "30@60", "5@60"}));
    EXPECT_EQ(w.tickCount(), 61u);
    w.stopTimer(fast);
    w.stopTimer(third);
    w.sleepMs(4);
    EXPECT_EQ(w.tickCount(), 65u) << "a sleep only moves the clock";
    EXPECT_EQ(fired.size(), 5u);
}

TEST(UriList, FilePathsOfADrop) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"file:///tmp/a%20b.wav\r\nfile://host/c.bwp\n", {"/tmp/a b.wav", "/c.bwp"}},
        {"# file:///comment\nhttp://x/y\nfile:relative\n", {"relative"}},
        {"file:///bad%zz%4\nfile:///nul%00byte\nfile://hostonly\n\n", {"/bad%zz%4"}},
        {"", {}},
    };
    for (const auto& [list, paths] : cases) EXPECT_EQ(platform::pathsOfUriList(list), paths) << list;
}

TEST(InteractiveFileDialogs, CommandLinesAndAnswersOfTheDialogProgram) {
    platform::FileDialogRequest request;
    request.style = platform::FileDialogStyle::Save;
    request.title = "Save Preset";
    request.initialFolder = "/presets";
    request.initialFile = "mine.bwp";
    request.types = {{"Preset", ".bwp", "bwp", "bwp"}, {"Bank", ".bwb", "bwb", "bwb"}};
    EXPECT_EQ(platform::dialogCommand("zenity", request),
              (std::vector<std::string>{"zenity", "--file-selection", "--title=Save Preset",
                                        "--filename=/presets/mine.bwp", "--save", "--confirm-overwrite",
                                        "--file-filter=Preset (*.bwp) | *.bwp", "--file-filter=Bank (*.bwb) | *.bwb",
                                        "--file-filter=All Types: (*.bwp;*.bwb) | *.bwp *.bwb",
                                        "--file-filter=Any Type (*.*) | *.*"}));
    request.style = platform::FileDialogStyle::Folder;
    EXPECT_EQ(platform::dialogCommand("kdialog", request),
              (std::vector<std::string>{"kdialog", "--getexistingdirectory", "/presets/mine.bwp", "--title",
                                        "Save Preset"}));

    // A stand-in "zenity" on the PATH answers with its script's output.
    TempDir bin;
    const char* saved = std::getenv("PATH");
    const std::string oldPath = saved ? saved : "";
    auto script = [&](const std::string& body) {
        std::ofstream(bin / "zenity") << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(bin / "zenity", std::filesystem::perms::owner_all);
    };
    setenv("PATH", bin.path().c_str(), 1);
    request.style = platform::FileDialogStyle::LoadMany;
    EXPECT_FALSE(platform::runInteractiveFileDialog(request).confirmed) << "no dialog program: cancelled";
    script("printf '/a b.bwp\\n/c.bwp\\n'");
    const platform::FileDialogResult many = platform::runInteractiveFileDialog(request);
    EXPECT_TRUE(many.confirmed);
    EXPECT_EQ(many.paths, (std::vector<std::string>{"/a b.bwp", "/c.bwp"}));
    script("echo /x.bwp; exit 1");
    EXPECT_FALSE(platform::runInteractiveFileDialog(request).confirmed) << "cancel in the dialog";
    setenv("PATH", oldPath.c_str(), 1);
}

// A stop asked while the dialog is up ends the program at once, with what
// it started, even when it ignores the polite request (SIGTERM): the call
// answers "cancelled" and leaves no process behind.  A stop asked before
// runs no program at all.
TEST(InteractiveFileDialogs, AStopEndsTheDialogProgramAndWhatItStarted) {
    const HangWatchdog watchdog;
    TempDir bin;
    const std::filesystem::path pids = bin / "pids";
    std::ofstream(bin / "zenity") << "#!/bin/sh\ntrap '' TERM\nsleep 600 &\necho $$ $! > '" << pids.string()
                                  << ".part'\nmv '" << pids.string() << ".part' '" << pids.string() << "'\nwait\n";
    std::filesystem::permissions(bin / "zenity", std::filesystem::perms::owner_all);
    const char* saved = std::getenv("PATH");
    const std::string oldPath = saved ? saved : "";
    setenv("PATH", (bin.str() + ":" + oldPath).c_str(), 1);
    int stop[2];
    ASSERT_EQ(pipe(stop), 0);
    std::atomic<bool> answered{false};
    std::thread asker([&] {
        while (!std::filesystem::exists(pids) && !answered) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        [[maybe_unused]] const ssize_t written = write(stop[1], "", 1);
    });
    const platform::FileDialogResult result = platform::runInteractiveFileDialog({}, stop[0]);
    answered = true;
    asker.join();
    EXPECT_FALSE(result.confirmed);
    pid_t selector = 0, started = 0;
    std::ifstream(pids) >> selector >> started;
    ASSERT_GT(selector, 0);
    EXPECT_FALSE(processRunning(selector)) << "the selector is reaped before the call returns";
    // What it started is killed with its group, but nobody here reaps it:
    // its end is the kernel's to finish, so it is waited for (the watchdog
    // ends a wait that never finishes).
    while (processRunning(started)) std::this_thread::sleep_for(std::chrono::milliseconds(10));

    std::filesystem::remove(pids);
    EXPECT_FALSE(platform::runInteractiveFileDialog({}, stop[0]).confirmed);
    EXPECT_FALSE(std::filesystem::exists(pids)) << "a stop asked before the dialog runs no program";
    setenv("PATH", oldPath.c_str(), 1);
    close(stop[0]);
    close(stop[1]);
}

}  // namespace
