// Loads for the host that meet an instrument file cut short ("Soft Keys",
// 2,000 bytes left) while the editor is open on an X server of the test's
// own: a restore, a sound preset the host sets and a MIDI program change,
// each on a host thread while the GUI thread runs the view's timer.  The
// host's call returns (the program change: the plug-in renders again) with
// the layer silent under the instrument's name before anyone is asked
// anything; the box shows afterwards, on the GUI thread's own connection;
// while it is up a save on another host thread answers.  The box is
// answered only after all that, so nothing can have waited for it.  The
// bounded waits guard against a hang and measure nothing.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "aax/BWAAXWrapperParameters.h"
#include "editor/BWUniClientEditor.h"
#include "engine/BWRompler.h"
#include "engine/BWRomplerLibrary.h"
#include "host/HostInstance.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "platform/HostWindow.h"
#include "platform/X11Windows.h"
#include "plugin/BWUniClient.h"
#include "support/HangWatchdog.h"
#include "support/MessageBoxWatch.h"
#include "support/MessageCapture.h"
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

// A guard against a hang, never a measure of speed.
constexpr auto kGuard = std::chrono::seconds(20);
constexpr uintmax_t kCutTo = 2000;
constexpr int32_t kProgram = 1;
constexpr int32_t kSampleFrames = 20000;

bool waitUntil(const std::function<bool()>& done) {
    for (const Clock::time_point until = Clock::now() + kGuard; !done();) {
        if (Clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void writeInstrument(const std::filesystem::path& file) {
    BWRompler instrument;
    BWSampleZone* zone = instrument.addZone();
    zone->setKeyRange(0, 127);
    std::vector<int16_t> values(kSampleFrames);
    for (int32_t i = 0; i < kSampleFrames; ++i) values[size_t(i)] = int16_t((i % 100) * 300 - 15000);
    ASSERT_TRUE(zone->getSample().setData(values.data(), nullptr, kSampleFrames, 44100.0f));
    zone->getSample().setEmbedData(true);
    ASSERT_TRUE(instrument.saveFile(file.c_str()));
}

// One instance whose states, sound preset and program 1 name "Soft Keys"
// for layer 1, in an instrument folder where that file is cut short and
// "Warm Pad" is whole.
class DamagedInstrument {
public:
    DamagedInstrument() {
        // The instance writes the settings' folders as it starts.
        instance = std::make_unique<HostInstance>(registeredEffect(), 2, 44100.0f);
        core = dynamic_cast<BWAAXWrapperParameters*>(instance->effect())->getCore();
        const std::filesystem::path instruments = files / "Instruments";
        std::filesystem::create_directories(instruments);
        writeInstrument(instruments / "Soft Keys.bwr");
        writeInstrument(instruments / "Warm Pad.bwr");
        std::filesystem::resize_file(instruments / "Soft Keys.bwr", kCutTo);
        setSettingString(SettingNames::kInstrumentsPath, instruments.string());
        setSettingString("presetpath0", (files / "Presets").string());
        globalRomplerLibrary().scan(true);
        core->soundLayer(0).setName("Soft Keys");
        state = instance->saveState();
        BWChunk sound;
        if (core->saveStateToChunk(&sound, 1, nullptr)) {
            const auto* bytes = static_cast<const uint8_t*>(sound.getWords());
            soundPreset.assign(bytes, bytes + size_t(sound.getDataLength()) * 4);
        }
        const std::filesystem::path bank = files / "Presets" / "Midi Programs";
        std::filesystem::create_directories(bank);
        for (int i = 0; i < 2; ++i)
            core->savePreset((bank / ("M " + std::to_string(i) + ".zvp")).string().c_str(), 0, nullptr, nullptr, nullptr);
    }

    // Layer 1 plays the whole instrument again, as before each load.
    void playWarmPad() {
        const std::unique_lock<StateTurn> turn = core->guiTurn(true);
        core->soundLayer(0).loadInstrument("Warm Pad", true);
    }

    // A MIDI program change in one block of the host's audio; done when the
    // loader has applied it and the plug-in renders again.
    bool programChange() {
        instance->queueMidi(0, 0xC0, kProgram, 0);
        std::vector<float> left(64), right(64);
        float* outputs[2] = {left.data(), right.data()};
        instance->runBlock(outputs, 64);
        return waitUntil([&] { return instance->readyToRender(); });
    }

    SettingsSandbox settings;
    TempDir files;
    ScopedEditorFactory factory{&makeRealEditor};
    std::unique_ptr<HostInstance> instance;
    BWUniClient* core = nullptr;
    std::vector<uint8_t> state, soundPreset;
};

// What was seen of one load while its box was up.
struct Seen {
    toolkit_test::SeenWindow box;
    bool loadDone = false;       // the host's call had returned by the time the box was up
    bool loadSucceeded = false;
    bool saveAnswered = false;   // a save on another host thread, while the box stayed up
    std::vector<uint8_t> saved;
    bool rendering = false;      // the plug-in would render a block while the box is up
    double loadMs = 0.0, saveMs = 0.0;
};

TEST(DamagedInstrumentBox, ShowsOnTheGuiThreadAfterTheHostsCallReturned) {
    if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    const HangWatchdog watchdog;
    toolkit_test::XvfbServer server;
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    DamagedInstrument session;
    ASSERT_FALSE(session.state.empty());
    ASSERT_FALSE(session.soundPreset.empty());
    platform::X11Windows hostWindows(server.name().c_str());
    const platform::WindowId top = hostWindows.createWindow(0, 960, 697, nullptr);
    hostWindows.sync();
    const unsigned long owner = hostWindows.nativeWindow(top);
    platform::HostWindow host = toolkit_test::x11HostWindow(server, hostWindows, top);
    ASSERT_EQ(session.instance->openView(&host), AAX_SUCCESS);
    // Closed before the windows and the server go, however the test ends.
    const std::unique_ptr<HostInstance, void (*)(HostInstance*)> viewOpen(session.instance.get(),
                                                                          [](HostInstance* i) { i->closeView(); });
    session.instance->viewTimer();
    // The editor's window: its id names the GUI thread's connection, on
    // which a box raised on that thread is made (another thread's box gets
    // a connection of its own).
    Display* probe = toolkit_test::openXTestDisplay(server.name().c_str());
    ASSERT_NE(probe, nullptr);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    ASSERT_TRUE(XQueryTree(probe, owner, &root, &parent, &children, &count) && count > 0);
    const unsigned long editorWindow = children[0];
    XFree(children);
    XCloseDisplay(probe);
    const unsigned long clientBits = ~0x1FFFFFul;  // the part of an id that names its connection

    HostInstance& instance = *session.instance;
    const struct {
        const char* load;
        std::function<bool()> run;  // on a host thread; true when the host's call succeeded
    } cases[] = {
        {"a restore", [&] { return restoreOnHostThread(instance, session.state) == AAX_SUCCESS; }},
        {"a sound preset set by the host",
         [&] { return restoreOnHostThread(instance, session.soundPreset, BWAAXWrapperParameters::kSoundPresetID) == AAX_SUCCESS; }},
        {"a program change", [&] { return session.programChange(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.load);
        session.playWarmPad();
        ASSERT_NE(session.core->soundLayer(0).getInstrument(), nullptr);
        std::atomic<bool> loaded{false}, answered{false};
        Seen seen;
        std::thread hostThread([&] {
            const Clock::time_point start = Clock::now();
            seen.loadSucceeded = c.run();
            seen.loadMs = millisecondsSince(start);
            loaded = true;
        });
        std::thread person([&] {
            Display* watcher = toolkit_test::openXTestDisplay(server.name().c_str());
            if (watcher) {
                seen.box = toolkit_test::waitForBox(watcher, owner);
                if (seen.box.window) {
                    seen.loadDone = waitUntil([&] { return loaded.load(); });
                    seen.rendering = instance.readyToRender();
                    auto save = std::async(std::launch::async, [&] {
                        const Clock::time_point start = Clock::now();
                        std::vector<uint8_t> bytes = instance.saveState();
                        seen.saveMs = millisecondsSince(start);
                        return bytes;
                    });
                    seen.saveAnswered = save.wait_for(kGuard) == std::future_status::ready &&
                                        !toolkit_test::boxesOf(watcher, owner).empty();
                    toolkit_test::act(watcher, seen.box, toolkit_test::BoxAct::ClickFirst);
                    EXPECT_TRUE(toolkit_test::waitUntilGone(watcher, owner, seen.box)) << "the box outlived its answer";
                    seen.saved = save.get();
                }
                XCloseDisplay(watcher);
            }
            answered = true;
        });
        // The GUI thread: the host's view timer, whose call shows the box.
        while (!answered.load()) {
            instance.viewTimer();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        hostThread.join();
        person.join();

        std::printf("[ measured ] %s meeting a damaged instrument: returned in %.1f ms, a save beside its box %.1f ms\n",
                    c.load, seen.loadMs, seen.saveMs);
        ASSERT_NE(seen.box.window, 0u) << "no box showed";
        EXPECT_EQ(seen.box.title, "Zorvane");
        EXPECT_EQ(seen.box.window & clientBits, editorWindow & clientBits) << "the box was not raised on the GUI thread";
        EXPECT_TRUE(seen.loadDone) << "the host's call had not returned while the box was up";
        EXPECT_TRUE(seen.loadSucceeded);
        EXPECT_TRUE(seen.rendering) << "the plug-in stayed silent while the box was up";
        EXPECT_TRUE(seen.saveAnswered) << "a save waited for the box";
        EXPECT_FALSE(seen.saved.empty());
        EXPECT_EQ(session.core->soundLayer(0).getInstrument(), nullptr) << "the layer plays what it played before";
        EXPECT_EQ(session.core->soundLayer(0).getInstrumentName(), "Soft Keys");
    }
    EXPECT_EQ(session.core->presetName(0), "M " + std::to_string(kProgram));
}

// Without a view nobody can be shown a box: the text goes to the message
// handler (standard error by default) at the host's idle, not inside the
// host's call.
TEST(DamagedInstrumentBox, WithoutAViewTheTextWaitsForTheHostsIdle) {
    DamagedInstrument session;
    MessageCapture messages;
    const std::string refusal = "loading ROM file from " + (session.files / "Instruments" / "Soft Keys.bwr").string() + " failed";
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "a restore" : "a program change");
        session.playWarmPad();
        if (round == 0) {
            std::thread([&] { EXPECT_EQ(restoreOnHostThread(*session.instance, session.state), AAX_SUCCESS); }).join();
        } else {
            std::thread([&] { EXPECT_TRUE(session.programChange()); }).join();
        }
        EXPECT_TRUE(messages.texts().empty()) << "told inside the host's call";
        EXPECT_EQ(session.core->soundLayer(0).getInstrument(), nullptr);
        session.instance->effect()->TimerWakeup();
        EXPECT_EQ(messages.texts(), std::vector<std::string>{refusal});
        messages.clear();
    }
}

}  // namespace
