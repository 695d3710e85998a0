// The view in the host's window, in one process: the host library's
// headless window record reaches the editor through the custom view's
// window link (events, clock, pixels, sizes); records the module cannot use
// give no window; and every open view shares one window back-end, which
// goes, with the shared images, at the last close.

#include <gtest/gtest.h>

#include "aax/BWAAXWrapperParameters.h"
#include "aax/HostWindowLink.h"
#include "editor/BWUniClientEditor.h"
#include "editor/SharedImages.h"
#include "host/HeadlessView.h"
#include "host/HostDescription.h"
#include "host/HostInstance.h"
#include "persistence/Settings.h"
#include "plugin/BWUniClient.h"
#include "host/ViewCommands.h"
#include "support/CallLog.h"
#include "support/ScopedEditorFactory.h"
#include "support/SettingsSandbox.h"
#include "support/ToolkitDoubles.h"
#include "support/WindowDoubles.h"
#include "RegisteredEffect.h"


namespace {

CallLog* probeLog = nullptr;

// An editor whose frame holds one view that notes what reaches it.
class ProbeEditor : public toolkit_test::TestEditor {
public:
    explicit ProbeEditor(AudioEffect* effect) : TestEditor(effect) {}
    bool open(void* window) override {
        TestEditor::open(window);
        frame->addView(new toolkit_test::ProbeView(*probeLog, "view", VSTGUI::CRect(0, 0, 960, 697)));
        return true;
    }
};

AEffEditor* makeProbeEditor(BWUniClient& client, bool) { return new ProbeEditor(&client); }
AEffEditor* makeEditor(BWUniClient& client, bool) { return new BWUniClientEditor(&client, false); }

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
        ScopedZoom zoom;
        ASSERT_TRUE(zoom.apply(c.zoomPercent, error)) << error;
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
    // The zoom was the run's: the person's plug-in opens unforced again.
    EXPECT_EQ(getSettingDword("forceresize"), 0u);
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
    ScopedEditorFactory factory(&makeEditor);
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

}  // namespace
