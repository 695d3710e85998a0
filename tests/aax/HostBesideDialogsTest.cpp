// The host's state calls while the editor waits on a person or runs the MIDI
// export: a box on an X server of the test's own, the file selector's
// program waiting for its answer, and a long export started from the
// export button.  While each is open, on a host thread: a save gives the
// state byte for byte as a save just before gave it, a restore succeeds and
// a save after it gives the restored bytes, and a MIDI program change and a
// rate change are applied: at once beside a box or a file selector, the
// moment the export ends beside the export.  The dialog is only answered
// after the host's calls returned, so none of them can have waited for it.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "aax/AAX_SPlugInChunk.h"
#include "aax/BWAAXWrapperParameters.h"
#include "core/AEffect.h"
#include "core/VstOpcodes.h"
#include "editor/BWUniClientEditor.h"
#include "editor/MidiExport.h"
#include "host/HeadlessView.h"
#include "host/HostInstance.h"
#include "persistence/BWFileio.h"
#include "persistence/Settings.h"
#include "platform/DragOut.h"
#include "platform/FileDialogs.h"
#include "platform/HostWindow.h"
#include "platform/InteractiveFileDialogs.h"
#include "platform/X11Windows.h"
#include "plugin/BWUniClient.h"
#include "plugin/BindingTable.h"
#include "support/MessageBoxWatch.h"
#include "support/PluginTestSupport.h"
#include "support/RealEditor.h"
#include "support/ScopedEditorFactory.h"
#include "support/SettingsSandbox.h"
#include "support/TempDir.h"
#include "support/WindowPixels.h"
#include "support/X11HostWindow.h"
#include "support/XvfbServer.h"
#include "HostThreadCalls.h"
#include "RegisteredEffect.h"

// After the window layer, whose CursorShape the X headers would meet.
#include <X11/Xlib.h>
#undef CursorShape

namespace {

using Clock = std::chrono::steady_clock;

constexpr float kStartRate = 48000.0f;
constexpr float kNewRate = 96000.0f;
constexpr int32_t kProgram = 1;
// A generous guard against a hang, never a measure of speed.
constexpr auto kWatchdog = std::chrono::seconds(60);

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What the host thread saw while the dialog was open.
struct HostCalls {
    std::vector<uint8_t> save;           // the first save
    AAX_Result restore = -1;
    std::vector<uint8_t> saveAfterRestore;
    std::string programDuring;           // the program's name as the loader left it
    float rateDuring = 0.0f;
    bool dialogStillOpen = false;        // after the last call
    double saveMs = 0.0, restoreMs = 0.0, programMs = 0.0, rateMs = 0.0;
};

// One instance with its editor, a bank of two programs and two states.
class DialogSession {
public:
    DialogSession() : instance(registeredEffect(), 2, kStartRate) {
        core = dynamic_cast<BWAAXWrapperParameters*>(instance.effect())->getCore();
        std::string root;
        if (!getSettingString("presetpath0", root)) {
            root = (files / "Presets").string();
            setSettingString("presetpath0", root);
        }
        const std::filesystem::path bank = std::filesystem::path(root) / "Midi Programs";
        std::filesystem::create_directories(bank);
        for (int i = 0; i < 2; ++i) {
            core->setParameter(Tag::FilterReso, 0.25f * float(i + 1));
            core->deriveNow();
            core->savePreset((bank / ("M " + std::to_string(i) + ".zvp")).string().c_str(), 0, nullptr, nullptr, nullptr);
        }
        core->setParameter(Tag::FilterReso, 0.1f);
        core->deriveNow();
        core->setPresetName(0, "before");
        for (int tag = 10; tag < 30; ++tag) core->setParameter(tag, float(tag % 5) / 4.0f);
        core->deriveNow();
        other = instance.saveState();
        for (int tag = 10; tag < 30; ++tag) core->setParameter(tag, float(tag % 3) / 2.0f);
        core->deriveNow();
        before = instance.saveState();
    }

    // The calls of a host thread, made while `open` holds (the caller
    // answers the dialog afterwards).  What a program change and a rate
    // change left is read at once only where they apply at once.
    HostCalls callWhileOpen(const std::function<bool()>& open, bool appliesAtOnce) {
        HostCalls seen;
        const Clock::time_point waitFrom = Clock::now();
        while (!open() && Clock::now() - waitFrom < kWatchdog) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        Clock::time_point start = Clock::now();
        seen.save = instance.saveState();
        seen.saveMs = millisecondsSince(start);
        start = Clock::now();
        seen.restore = restoreOnHostThread(instance, other);
        seen.restoreMs = millisecondsSince(start);
        seen.saveAfterRestore = instance.saveState();
        start = Clock::now();
        programChange();
        if (appliesAtOnce) seen.programDuring = core->presetName(0);
        seen.programMs = millisecondsSince(start);
        start = Clock::now();
        AEffect* effect = dynamic_cast<BWAAXWrapperParameters*>(instance.effect())->getEffect();
        effect->dispatcher(effect, EffectOpcode::SetSampleRate, 0, 0, nullptr, kNewRate);
        if (appliesAtOnce) seen.rateDuring = core->getSampleRate();
        seen.rateMs = millisecondsSince(start);
        seen.dialogStillOpen = open();
        return seen;
    }

    // A MIDI program change in one block of the host's audio, and the
    // loader's work on it.
    void programChange() {
        instance.queueMidi(0, 0xC0, kProgram, 0);
        std::vector<float> left(64), right(64);
        float* outputs[2] = {left.data(), right.data()};
        instance.runBlock(outputs, 64);
        const Clock::time_point start = Clock::now();
        while (core->isLoaderBusy() && Clock::now() - start < kWatchdog) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    void print(const char* context, const HostCalls& seen) const {
        std::printf("[ measured ] beside %s: save %.1f ms, restore %.1f ms (%d), program change %.1f ms, rate change %.1f ms\n",
                    context, seen.saveMs, seen.restoreMs, int(seen.restore), seen.programMs, seen.rateMs);
    }

    // What every context must show of the calls made while it was open.
    void expectServed(const HostCalls& seen) const {
        EXPECT_TRUE(seen.dialogStillOpen) << "the calls ended after the dialog";
        EXPECT_EQ(seen.save, before) << "a save beside the dialog gives the state as it was";
        EXPECT_EQ(seen.restore, AAX_SUCCESS);
        EXPECT_EQ(seen.saveAfterRestore, other) << "a save after the restore gives the state the host gave";
    }

    // Applied by the time the dialog is over.  The program's name stays
    // unless the dialog itself named the state (a preset saved).
    void expectApplied(bool named = true) const {
        if (named) {
            EXPECT_EQ(core->presetName(0), "M " + std::to_string(kProgram));
        }
        EXPECT_FLOAT_EQ(core->rawValue(Tag::FilterReso), 0.25f * float(kProgram + 1));
        EXPECT_EQ(core->getSampleRate(), kNewRate);
        EXPECT_EQ(core->getSystemInfo()->sampleRate, kNewRate);
    }

    SettingsSandbox settings;
    UserFoldersSandbox folders;
    TempDir files;
    ScopedEditorFactory factory{&makeRealEditor};
    HostInstance instance;
    BWUniClient* core = nullptr;
    std::vector<uint8_t> before, other;
};

// The editor's GLOBAL preset menu loads a damaged preset inside the view's
// turn: "This is no valid Zorvane format!" shows on the X server until the
// person clicks OK.
TEST(HostBesideDialogs, ABoxOnTheXServer) {
    if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    toolkit_test::XvfbServer server;
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    DialogSession session;
    platform::X11Windows hostWindows(server.name().c_str());
    const platform::WindowId top = hostWindows.createWindow(0, 960, 697, nullptr);
    hostWindows.sync();
    const unsigned long owner = hostWindows.nativeWindow(top);
    platform::HostWindow host = toolkit_test::x11HostWindow(server, hostWindows, top);
    ASSERT_EQ(session.instance.openView(&host), AAX_SUCCESS);
    session.instance.viewTimer();
    const std::string damaged = (session.files / "Damaged.zvp").string();
    std::ofstream(damaged) << "not a preset at all, and long enough to be read as one";

    std::atomic<bool> boxShown{false};
    HostCalls seen;
    std::thread hostThread([&] {
        Display* watcher = toolkit_test::openXTestDisplay(server.name().c_str());
        ASSERT_NE(watcher, nullptr);
        const toolkit_test::SeenWindow box = toolkit_test::waitForBox(watcher, owner);
        boxShown = box.window != 0;
        seen = session.callWhileOpen([&] { return !toolkit_test::boxesOf(watcher, owner).empty(); }, true);
        if (box.window) {
            toolkit_test::act(watcher, box, toolkit_test::BoxAct::ClickFirst);
            EXPECT_TRUE(toolkit_test::waitUntilGone(watcher, owner, box));
        }
        XCloseDisplay(watcher);
    });
    {
        // As the menu's choice runs: inside the view's timer call.
        const std::unique_lock<StateTurn> turn = session.core->guiTurn(true);
        EXPECT_FALSE(session.core->loadPresetFromFile(damaged.c_str(), 0));
    }
    hostThread.join();
    ASSERT_TRUE(boxShown) << "the box did not show";
    session.print("a box", seen);
    session.expectServed(seen);
    EXPECT_EQ(seen.programDuring, "M " + std::to_string(kProgram)) << "applied at once";
    EXPECT_EQ(seen.rateDuring, kNewRate) << "applied at once";
    session.expectApplied();
    session.instance.closeView();
}

// The preset menu's "save" entry asks for the file in the file selector,
// whose program ("zenity" on the PATH) waits until the test answers.
TEST(HostBesideDialogs, TheFileSelectorsProgramWaiting) {
    DialogSession session;
    const std::filesystem::path bin = session.files / "bin";
    std::filesystem::create_directories(bin);
    const std::filesystem::path opened = session.files / "selector-open";
    const std::filesystem::path answer = session.files / "selector-answer";
    const std::filesystem::path chosen = session.files / "Chosen.zvp";
    {
        std::ofstream script(bin / "zenity");
        script << "#!/bin/sh\ntouch '" << opened.string() << "'\nwhile [ ! -e '" << answer.string()
               << "' ]; do sleep 0.01; done\ncat '" << answer.string() << "'\n";
    }
    chmod((bin / "zenity").c_str(), 0755);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin.string() + ":" + path).c_str(), 1);
    const platform::FileDialogHandler previous = platform::setFileDialogHandler(
        [](const platform::FileDialogRequest& request) { return platform::runInteractiveFileDialog(request); });

    HostCalls seen;
    std::thread hostThread([&] {
        seen = session.callWhileOpen([&] { return std::filesystem::exists(opened) && !std::filesystem::exists(answer); },
                                     true);
        std::ofstream(answer.string() + ".part") << chosen.string() << "\n";
        std::filesystem::rename(answer.string() + ".part", answer);
    });
    bool saved = false;
    {
        const std::unique_lock<StateTurn> turn = session.core->guiTurn(true);
        saved = session.core->savePreset(nullptr, 0, "zvp", nullptr, nullptr);
    }
    hostThread.join();
    platform::setFileDialogHandler(previous);
    setenv("PATH", path.c_str(), 1);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(std::filesystem::exists(chosen)) << "the selector's answer was taken";
    session.print("the file selector", seen);
    session.expectServed(seen);
    EXPECT_EQ(seen.programDuring, "M " + std::to_string(kProgram)) << "applied at once";
    EXPECT_EQ(seen.rateDuring, kNewRate) << "applied at once";
    session.expectApplied(false);
    EXPECT_EQ(session.core->presetName(0), "Chosen");
}

// The export button, pressed in the view: the export renders inside the
// view's timer call.  An export shorter than the host's calls is made again
// twice as long.
TEST(HostBesideDialogs, ALongMidiExport) {
    DialogSession session;
    platform::setDragOutReceiver([](const platform::DragOutRequest&) { return platform::kDropEffectNone; });
    HeadlessView view(session.instance);
    ASSERT_TRUE(view.ok());
    // Without instruments the open shows the panel that asks for them; a
    // press inside closes it.
    view.click(400, 223);
    view.tick(2);
    constexpr int32_t kLengths = 14;  // 1 bar to 64 bars
    HostCalls seen;
    for (int32_t length = 7; length < kLengths; ++length) {
        SCOPED_TRACE(length);
        AEffect* effect = dynamic_cast<BWAAXWrapperParameters*>(session.instance.effect())->getEffect();
        effect->dispatcher(effect, EffectOpcode::SetSampleRate, 0, 0, nullptr, kStartRate);
        ASSERT_EQ(session.instance.loadState(session.before), AAX_SUCCESS);
        session.core->setParameter(Tag::ExportLength, float(length) / float(stepCount(Tag::ExportLength)) + 0.00001f);
        session.core->deriveNow();
        session.before = session.instance.saveState();
        std::thread hostThread([&] {
            seen = session.callWhileOpen([&] { return session.core->renderState().ownTransport.load(); }, false);
        });
        view.click(890, 70);
        view.tick();
        hostThread.join();
        if (seen.dialogStillOpen || length == kLengths - 1) break;
    }
    platform::setDragOutReceiver({});
    for (const std::string& name : {std::string("before"), session.core->getCurrentProgramName()})
        std::filesystem::remove(getTempPath() + midiExportFileName(name));
    session.print("the MIDI export", seen);
    session.expectServed(seen);
    session.expectApplied();
}

}  // namespace
