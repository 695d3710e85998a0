// A state that names a sample nobody can find, loaded while the editor is
// open on an X server: the question shows as a box over the host's window,
// and the person's answer decides: Cancel leaves the sample out, OK opens
// the file selector and loads the file chosen there.  Restored by the host
// on a thread of its own, the state is applied without a question and the
// question comes at the view's next timer call, on the GUI thread.

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <thread>

#include "aax/BWAAXWrapperParameters.h"
#include "editor/BWUniClientEditor.h"
#include "engine/BWSampleData.h"
#include "host/HostInstance.h"
#include "persistence/BWChunk.h"
#include "platform/FileDialogs.h"
#include "platform/HostWindow.h"
#include "platform/X11Windows.h"
#include "plugin/BWUniClient.h"
#include "support/MessageBoxWatch.h"
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

using toolkit_test::BoxAct;

constexpr int32_t kFrames = 441;

// A plain kind-0 member made to carry a sample while the test runs: the
// instance binds no sample of its own, and the reader asks the question for
// any sample a state names that cannot be found.
class SampleStandIn {
public:
    explicit SampleStandIn(BWUniClient& client) {
        for (ParamBinding* member : client.presetMembers(0))
            if (!member->object && member->value && !member->remember) {
                binding = member;
                break;
            }
        if (binding) binding->object = &sample;
    }
    ~SampleStandIn() {
        if (binding) binding->object = nullptr;
    }
    ParamBinding* binding = nullptr;
    BWSampleData sample;
};

TEST(MissingSampleQuestion, CancelLeavesTheSampleOutAndOkLoadsTheFileChosenInTheSelector) {
    if (!toolkit_test::XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs the xvfb package)";
    SettingsSandbox settings;
    TempDir files;
    toolkit_test::XvfbServer server;
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    platform::X11Windows hostWindows(server.name().c_str());
    const platform::WindowId top = hostWindows.createWindow(0, 960, 697, nullptr);
    hostWindows.sync();
    const unsigned long owner = hostWindows.nativeWindow(top);
    Display* watcher = toolkit_test::openXTestDisplay(server.name().c_str());
    ASSERT_NE(watcher, nullptr);

    // A sample file, and a state that names it where it no longer is.
    std::filesystem::create_directories(files / "moved");
    std::filesystem::create_directories(files / "was");
    std::vector<int16_t> values(kFrames);
    for (int32_t i = 0; i < kFrames; ++i) values[i] = int16_t((i % 50) * 600 - 15000);
    {
        BWSampleData source;
        ASSERT_TRUE(source.setData(values.data(), nullptr, kFrames, 44100.0f));
        source.setSampleName("kick");
        ASSERT_TRUE(source.exportWave((files / "was").c_str()));
    }

    ScopedEditorFactory factory(&makeRealEditor);
    HostInstance instance(registeredEffect(), 2, 44100.0f);
    BWUniClient& client = *dynamic_cast<BWAAXWrapperParameters*>(instance.effect())->getCore();
    SampleStandIn standIn(client);
    ASSERT_NE(standIn.binding, nullptr);
    ASSERT_TRUE(standIn.sample.importAudioFile((files / "was" / "kick.wav").c_str()));
    void* data = nullptr;
    const int32_t size = client.getChunk(&data, false);
    ASSERT_GT(size, 0);
    std::vector<uint8_t> state(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    std::filesystem::rename(files / "was" / "kick.wav", files / "moved" / "kick.wav");

    platform::HostWindow host = toolkit_test::x11HostWindow(server, hostWindows, top);
    ASSERT_EQ(instance.openView(&host), AAX_SUCCESS);
    instance.viewTimer();

    struct Case {
        BoxAct answer;
        bool byHost;             // restored by the host, not loaded by the editor
        int32_t frames;          // the sample's after the load
        size_t selectorsOpened;
    };
    const Case cases[] = {{BoxAct::ClickSecond, false, 0, 0}, {BoxAct::ClickFirst, false, kFrames, 1}, {BoxAct::ClickFirst, true, kFrames, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer == BoxAct::ClickFirst ? (c.byHost ? "OK after the host's restore" : "OK") : "Cancel");
        std::vector<platform::FileDialogRequest> selectors;
        const platform::FileDialogHandler interactive = platform::setFileDialogHandler([&](const platform::FileDialogRequest& r) {
            selectors.push_back(r);
            return platform::FileDialogResult{true, {(files / "moved" / "kick.wav").string()}};
        });
        auto watching = std::async(std::launch::async, [&] {
            const toolkit_test::SeenWindow seen = toolkit_test::waitForBox(watcher, owner);
            if (seen.window) {
                toolkit_test::act(watcher, seen, c.answer);
                EXPECT_TRUE(toolkit_test::waitUntilGone(watcher, owner, seen)) << "the question outlived its answer";
            }
            return seen;
        });
        if (c.byHost) {
            std::thread([&] { EXPECT_EQ(restoreOnHostThread(instance, state), AAX_SUCCESS); }).join();
            instance.viewTimer();
        } else {
            std::vector<uint8_t> bytes = state;
            BWChunk chunk(bytes.data(), uint32_t(bytes.size()));
            client.loadPresetFile(&chunk, 0, false, false, false, false);
        }
        const toolkit_test::SeenWindow seen = watching.get();
        platform::setFileDialogHandler(interactive);

        ASSERT_NE(seen.window, 0u) << "the question did not show";
        EXPECT_EQ(seen.title, "Zorvane");
        EXPECT_EQ(standIn.sample.getFrames(), c.frames);
        ASSERT_EQ(selectors.size(), c.selectorsOpened);
        if (!selectors.empty()) {
            EXPECT_EQ(selectors[0].title, "Choose a file to load");
            EXPECT_EQ(selectors[0].style, platform::FileDialogStyle::Load);
        }
        EXPECT_TRUE(toolkit_test::boxesOf(watcher, owner).empty());
    }
    instance.closeView();
    XCloseDisplay(watcher);
}

}  // namespace
