// What a headless host shows of the open editor while the dense patch plays:
// the editor repaints and copies only what moved, so after many timer calls
// the host's buffer must still be, pixel for pixel, a full repaint of the
// same state.  At each zoom (whole, bilinear and doubled blits).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aax/BWAAXWrapperParameters.h"
#include "editor/BWUniClientEditor.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryContent.h"
#include "guitoolkit/CFrame.h"
#include "host/HeadlessView.h"
#include "host/HostInstance.h"
#include "host/ViewCommands.h"
#include "host/demo/DensePatch.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "platform/WindowSystem.h"
#include "plugin/BWUniClient.h"
#include "support/RealEditor.h"
#include "support/ScopedEditorFactory.h"
#include "support/SettingsSandbox.h"
#include "support/TempDir.h"
#include "RegisteredEffect.h"

namespace {

// Pixels that differ between the host's copy and the window's full repaint.
size_t differing(const std::vector<uint32_t>& host, const uint32_t* other) {
    size_t count = 0;
    for (size_t i = 0; i < host.size(); ++i) count += host[i] != other[i];
    return count;
}

}  // namespace

TEST(HostCopy, AfterPlayingTheHostHoldsWhatAFullRepaintShows) {
    SettingsSandbox settings;
    TempDir content;
    std::string error;
    ASSERT_TRUE(writeFactoryContent(content.path(), error)) << error;
    setSettingString(SettingNames::kInstrumentsPath, (content.path() / kFactoryInstrumentsFolder).string());
    globalRomplerLibrary().scan(true);
    ScopedEditorFactory factory(&makeRealEditor);
    std::vector<float> left(512), right(512);
    float* outputs[2] = {left.data(), right.data()};
    for (const int32_t zoomPercent : {100, 150, 200}) {
        ASSERT_TRUE(applyZoom(zoomPercent, error)) << error;
        HostInstance host(registeredEffect(), 2, 44100.0f);
        BWUniClient& core = *dynamic_cast<BWAAXWrapperParameters*>(host.effect())->getCore();
        densePatch(core, true);
        HeadlessView view(host);
        ASSERT_TRUE(view.ok());
        view.tick(2);
        const std::vector<uint32_t> still = view.pixels();
        // Two seconds of playing, a timer call every 30 ms: meters, lights
        // and play lines move, each on some calls and not on others.
        for (int call = 0; call < 66; ++call) {
            for (int block = 0; block < 3; ++block) host.runBlock(outputs, 512);
            view.tick();
        }
        const std::vector<uint32_t> played = view.pixels();
        EXPECT_GT(differing(played, still.data()), 0u)
            << "the indicators moved at " << zoomPercent << " %";
        VSTGUI::CFrame* frame = static_cast<BWUniClientEditor*>(core.getEditor())->getFrame();
        ASSERT_NE(frame, nullptr);
        frame->paintWindow(VSTGUI::CRect(0, 0, view.width(), view.height()));
        const platform::WindowSurface repainted = platform::windowSystem().surface(frame->getWindow());
        ASSERT_EQ(size_t(repainted.width) * repainted.height, played.size());
        EXPECT_EQ(differing(played, repainted.pixels), 0u) << "at " << zoomPercent << " %";
    }
}
