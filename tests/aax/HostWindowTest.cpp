// The view in the host's window, in one process: the host library's
// headless window record reaches the editor through the custom view's
// window link (events, clock, pixels, sizes); records the module cannot use
// give no window; and every open view shares one window back-end, which
// goes, with the shared images, at the last close.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "aax/BWAAXWrapperParameters.h"
#include "aax/HostWindowLink.h"
#include "editor/BWUniClientEditor.h"
#include "editor/SharedImages.h"
#include "host/HeadlessView.h"
#include "host/HostDescription.h"
#include "host/HostInstance.h"
#include "platform/FileDialogs.h"
#include "platform/Framework.h"
#include "platform/InteractiveFileDialogs.h"
#include "platform/X11Windows.h"
#include "plugin/BWUniClient.h"
#include "host/ViewCommands.h"
#include "support/CallLog.h"
#include "support/MessageCapture.h"
#include "support/RealEditor.h"
#include "support/ScopedEditorFactory.h"
#include "support/SettingsSandbox.h"
#include "support/TempDir.h"
#include "support/ToolkitDoubles.h"
#include "support/WindowDoubles.h"
#include "support/WindowPixels.h"
#include "support/X11HostWindow.h"
#include "support/XvfbServer.h"
#include "RegisteredEffect.h"

// After the window layer, whose CursorShape the X headers would meet.
#include <X11/Xlib.h>
#undef CursorShape


namespace {

CallLog* probeLog = nullptr;

// An editor whose frame holds one view that notes what reaches it.
class ProbeEditor : public toolkit_test::TestEditor {
public:
    explicit ProbeEditor(AudioEffect* effect) : TestEditor(effect) {}
    bool open(void* window) override {
        TestEditor::open(window);
        frame->setBackgroundColor(VSTGUI::CColor{30, 40, 50, 255});
        frame->addView(new toolkit_test::ProbeView(*probeLog, "view", VSTGUI::CRect(0, 0, 960, 697)));
        return true;
    }
};

AEffEditor* makeProbeEditor(BWUniClient& client, bool) { return new ProbeEditor(&client); }
struct Instance {
    HostInstance host{registeredEffect(), 2, 48000.0f};
};

TEST(HostWindow, InputClockSizeAndPixelsCrossToTheEditor) {
    SettingsSandbox settings;
    CallLog log;
    probeLog = &log;
    ScopedEditorFactory factory(&makeProbeEditor);
    struct Case {
        int32_t zoomPercent;
        int32_t width, height;  // the host's window after the open
        const char* pressed;    // a left press with Shift at window pixel (150, 300)
    };
    for (const Case& c : {Case{100, 960, 697, "view.down(150,300,18,0)"}, Case{150, 1440, 1045, "view.down(100,200,18,0)"}}) {
        std::string error;
        ASSERT_TRUE(applyZoom(c.zoomPercent, error)) << error;
        Instance instance;
        HeadlessView view(instance.host);
        ASSERT_TRUE(view.ok());
        EXPECT_EQ(view.width(), c.width);
        EXPECT_EQ(view.height(), c.height);
        log.clear();
        view.press(150, 300, 0, platform::kStateShift);
        view.release(150, 300);
        view.wheel(3, 3, -2, platform::kStateControl);
        view.tick(2);
        ASSERT_EQ(log.size(), 3u) << c.zoomPercent;
        EXPECT_EQ(log[0], c.pressed);
        EXPECT_EQ(log[2].substr(0, 10), "view.wheel");
        EXPECT_NE(log[2].find(",-2"), std::string::npos) << log[2];
        // The editor's clock is the host's, and its window's pixels are in
        // the host's buffer after the timer call.
        auto* editor = static_cast<ProbeEditor*>(
            dynamic_cast<BWAAXWrapperParameters*>(instance.host.effect())->getCore()->getEditor());
        ASSERT_FALSE(editor->idleTimes.empty());
        EXPECT_EQ(editor->idleTimes.back(), view.clock());
        const platform::WindowId frameWindow = editor->bwFrame()->getWindow();
        const platform::WindowSurface shown = platform::windowSystem().surface(frameWindow);
        ASSERT_EQ(shown.width, view.width());
        EXPECT_TRUE(std::equal(shown.pixels, shown.pixels + size_t(shown.width) * shown.height, view.pixels().begin()));
    }
}

// A timer call that finds the instance's turn taken (a restore on a host
// thread) returns within a few milliseconds and leaves its input queued;
// the next call delivers it.
TEST(HostWindow, ATimerCallDuringARestoreLeavesItsInputToTheNext) {
    SettingsSandbox settings;
    CallLog log;
    probeLog = &log;
    ScopedEditorFactory factory(&makeProbeEditor);
    Instance instance;
    HeadlessView view(instance.host);
    ASSERT_TRUE(view.ok());
    view.tick();
    BWUniClient& core = *dynamic_cast<BWAAXWrapperParameters*>(instance.host.effect())->getCore();
    const auto pressed = [&] { return std::count(log.begin(), log.end(), "view.down(150,300,2,0)"); };
    log.clear();
    view.press(150, 300);
    view.release(150, 300);
    std::atomic<bool> holding{false}, done{false};
    std::thread restore([&] {
        const std::unique_lock<StateTurn> turn = core.stateTurn().take(0);
        holding.store(turn.owns_lock());
        while (!done.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    while (!holding.load()) std::this_thread::yield();
    const auto start = std::chrono::steady_clock::now();
    view.tick();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(pressed(), 0) << "nothing reached the editor meanwhile";
    done.store(true);
    restore.join();
    EXPECT_LT(waited, std::chrono::milliseconds(250)) << "a bounded wait";
    view.tick();
    EXPECT_EQ(pressed(), 1) << "the next call delivered the press";
}

TEST(HostWindow, RecordsTheModuleCannotUseGiveNoWindow) {
    using platform::HostWindowKind;
    platform::HostWindow headless;
    headless.kind = HostWindowKind::Headless;
    platform::HostWindow olderForm = headless;
    olderForm.recordSize -= 8;
    platform::HostWindow noServer;
    noServer.kind = HostWindowKind::X11;
    noServer.displayName = ":9876";
    platform::HostWindow negative = headless;
    negative.width = -1;
    struct Case {
        const char* what;
        int32_t type;
        platform::HostWindow* record;
        bool linked;
    };
    const Case cases[] = {
        {"no record", 2, nullptr, false},
        {"a type other than the record's", 1, &headless, false},
        {"another form of the record", 2, &olderForm, false},
        {"a display that does not answer", 1, &noServer, false},
        {"a negative size", 2, &negative, false},
        {"a headless window", 2, &headless, true},
    };
    platform::WindowSystem* before = &platform::windowSystem();
    for (const Case& c : cases) {
        const std::unique_ptr<HostWindowLink> link = HostWindowLink::open(c.type, c.record);
        EXPECT_EQ(link != nullptr, c.linked) << c.what;
        EXPECT_EQ(&platform::windowSystem() != before, c.linked) << c.what;
        if (!link) continue;
        // While a headless back-end serves, an X11 window cannot join it.
        platform::HostWindow x11 = noServer;
        x11.displayName = nullptr;
        EXPECT_EQ(HostWindowLink::open(1, &x11), nullptr);
        EXPECT_NE(HostWindowLink::open(2, &headless), nullptr);
    }
    EXPECT_EQ(&platform::windowSystem(), before);
}

TEST(HostWindow, TwoInstancesShareOneBackEndAndTheImagesThroughTwentyOpens) {
    SettingsSandbox settings;
    ScopedEditorFactory factory(&makeRealEditor);
    platform::WindowSystem* before = &platform::windowSystem();
    Instance first, second;
    {
        HeadlessView kept(first.host);
        kept.tick();
        platform::WindowSystem* serving = &platform::windowSystem();
        VSTGUI::CBitmap* background = SharedImages::get(1000);
        ASSERT_NE(background, nullptr);
        for (int round = 0; round < 20; ++round) {
            HeadlessView other(second.host);
            other.tick();
            ASSERT_EQ(SharedImages::openCount(), 2u);
            ASSERT_EQ(&platform::windowSystem(), serving);
            ASSERT_EQ(SharedImages::get(1000), background) << "the images were made again at open " << round;
            ASSERT_EQ(other.pixels(), kept.pixels()) << "both show the same interface";
        }
        EXPECT_EQ(SharedImages::openCount(), 1u);
        EXPECT_EQ(SharedImages::get(1000), background);
        kept.tick();
    }
    EXPECT_EQ(SharedImages::openCount(), 0u);
    EXPECT_EQ(SharedImages::get(1000), nullptr);
    EXPECT_EQ(&platform::windowSystem(), before);
}

TEST(HostWindow, AnX11HostWindowHoldsTheEditorAndTheInteractiveDialogsAndBoxesWhileItIsOpen) {
    if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    SettingsSandbox settings;
    toolkit_test::XvfbServer server;
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    // The host's own connection and window, as zorvane-host editor makes them.
    platform::X11Windows hostWindows(server.name().c_str());
    const platform::WindowId top = hostWindows.createWindow(0, 960, 697, nullptr);
    hostWindows.sync();
    const auto scripted = [](const platform::FileDialogRequest&) { return platform::FileDialogResult{true, {"scripted"}}; };
    platform::setFileDialogHandler(scripted);
    MessageCapture messages;
    platform::WindowSystem* before = &platform::windowSystem();

    CallLog log;
    probeLog = &log;
    ScopedEditorFactory factory(&makeProbeEditor);
    Instance instance;
    platform::HostWindow host = toolkit_test::x11HostWindow(server, hostWindows, top);
    int stop[2];
    ASSERT_EQ(pipe(stop), 0);
    host.stopDescriptor = stop[0];
    ASSERT_EQ(instance.host.openView(&host), AAX_SUCCESS);
    for (int i = 0; i < 3; ++i) instance.host.viewTimer();
    hostWindows.sync();

    // The editor's window is the one child of the host's, and shows there
    // what the editor drew.
    Display* d = hostWindows.getDisplay();
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(d, hostWindows.nativeWindow(top), &root, &parent, &children, &count);
    ASSERT_EQ(count, 1u);
    const Window child = children[0];
    XFree(children);
    auto* editor = static_cast<ProbeEditor*>(
        dynamic_cast<BWAAXWrapperParameters*>(instance.host.effect())->getCore()->getEditor());
    const platform::WindowSurface drawn = platform::windowSystem().surface(editor->bwFrame()->getWindow());
    const std::vector<uint32_t> shown = toolkit_test::serverPixels(d, child, 960, 697);
    EXPECT_EQ(shown, toolkit_test::colourPixels(drawn));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0], 0x1e2832u) << "the frame's colour";
    // While it is open, the file dialogs are the interactive ones (a
    // stand-in "zenity" on the PATH answers), and a stop asked through the
    // host's descriptor cancels them without running the program.
    TempDir bin;
    std::ofstream(bin / "zenity") << "#!/bin/sh\necho /interactive\n";
    std::filesystem::permissions(bin / "zenity", std::filesystem::perms::owner_all);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", bin.str().c_str(), 1);
    EXPECT_EQ(platform::runFileDialog({}).paths, std::vector<std::string>{"/interactive"});
    ASSERT_EQ(write(stop[1], "", 1), 1);
    EXPECT_FALSE(platform::runFileDialog({}).confirmed) << "asked to stop";
    setenv("PATH", path.c_str(), 1);

    instance.host.closeView();
    hostWindows.sync();
    XQueryTree(d, hostWindows.nativeWindow(top), &root, &parent, &children, &count);
    if (children) XFree(children);
    EXPECT_EQ(count, 0u) << "the editor's window went with the view";
    EXPECT_EQ(&platform::windowSystem(), before);
    EXPECT_EQ(platform::runFileDialog({}).paths, std::vector<std::string>{"scripted"}) << "the host's handler is back";
    Alert("after the view");
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"after the view"}) << "the message boxes are the host's again";
    platform::setFileDialogHandler(nullptr);
    close(stop[0]);
    close(stop[1]);
}

// The X server goes while the editor is open: the instance's own
// connection and the host's each mark themselves lost instead of ending the
// process, the view's next timer call closes the editor, and the instance
// renders on.
TEST(HostWindow, ALostDisplayClosesTheEditorAndTheInstancePlaysOn) {
    if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    SettingsSandbox settings;
    toolkit_test::XvfbServer server;
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    auto hostWindows = std::make_unique<platform::X11Windows>(server.name().c_str());
    const platform::WindowId top = hostWindows->createWindow(0, 960, 697, nullptr);
    hostWindows->sync();
    ScopedEditorFactory factory(&makeRealEditor);
    Instance instance;
    BWUniClient& core = *dynamic_cast<BWAAXWrapperParameters*>(instance.host.effect())->getCore();
    platform::HostWindow host = toolkit_test::x11HostWindow(server, *hostWindows, top);
    ASSERT_EQ(instance.host.openView(&host), AAX_SUCCESS);
    for (int i = 0; i < 3; ++i) instance.host.viewTimer();
    auto* editor = dynamic_cast<AEffGUIEditor*>(core.getEditor());
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor->getFrame(), nullptr) << "open";

    server.kill();
    std::vector<float> left(256), right(256);
    float* outputs[2] = {left.data(), right.data()};
    const uint32_t before = core.audioEngine().blocksRendered();
    for (int i = 0; i < 3; ++i) {
        instance.host.viewTimer();
        instance.host.runBlock(outputs, 256);
    }
    EXPECT_EQ(editor->getFrame(), nullptr) << "the editor closed";
    hostWindows->pump(0);
    EXPECT_TRUE(hostWindows->connectionLost());
    for (int i = 0; i < 5; ++i) instance.host.runBlock(outputs, 256);
    EXPECT_EQ(core.audioEngine().blocksRendered() - before, 8u) << "every block rendered";
    instance.host.closeView();
    hostWindows.reset();
}

}  // namespace
