// The open editor on the in-process window system: one full redraw of the
// whole interface at 100 %, 150 % and 200 % (its idle in the host's timer calls is
// EditorIdleBench).  The settings and documents folders point into a fresh
// temporary folder.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

#include "editor/BWUniClientEditor.h"
#include "guitoolkit/BWFrame.h"
#include "host/ViewCommands.h"
#include "platform/InProcessWindows.h"
#include "plugin/BWUniClient.h"
#include "BenchFolders.h"

namespace {

// An instance with its editor open in a host window, at the zoom the
// settings give it (applyZoom).
struct OpenEditor {
    OpenEditor() {
        // Not DPI-aware: the base factor stays 1, so the zoom is the one asked for.
        windows.setScreen({3840, 2160, false});
        previous = platform::setWindowSystem(&windows);
        client = std::make_unique<BWUniClient>(nullptr, 1, false);
        editor = new BWUniClientEditor(client.get(), false);  // the instance owns its editor
        parent = windows.createWindow(0, 1920, 1200, nullptr);
        editor->open(reinterpret_cast<void*>(static_cast<uintptr_t>(parent)));
        // The locate panel stays shut: the whole interface is what is drawn.
        if (VSTGUI::CView* panel = editor->getBWFrame()->getOverlay()) panel->looseFocus();
        idlePass();
    }
    ~OpenEditor() {
        editor->close();
        client.reset();
        platform::setWindowSystem(previous);
    }
    void idlePass() {
        windows.advance(30);
        editor->idle();
        client->idle();
        windows.dispatchPendingPaint();
    }

    platform::InProcessWindows windows;
    platform::WindowSystem* previous = nullptr;
    std::unique_ptr<BWUniClient> client;
    BWUniClientEditor* editor = nullptr;
    platform::WindowId parent = 0;
};

void BM_EditorFullRedraw(benchmark::State& state) {
    const auto percent = static_cast<int32_t>(state.range(0));
    useTemporaryUserFolders();
    // The settings are the whole run's: the zoom is set for every row,
    // whatever the benchmarks before it left there.
    std::string error;
    if (!applyZoom(percent, error)) return state.SkipWithError(error.c_str());
    OpenEditor open;
    if (std::lround(open.editor->getZoomFactor() * 100.0f) != percent)
        return state.SkipWithError("the editor did not open at the zoom asked for");
    VSTGUI::BWFrame* frame = open.editor->getBWFrame();
    for (auto _ : state) {
        frame->invalid();
        open.windows.dispatchPendingPaint();
    }
    state.counters["paints"] = static_cast<double>(frame->getPaintCount());
}
BENCHMARK(BM_EditorFullRedraw)->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMillisecond);


}  // namespace
