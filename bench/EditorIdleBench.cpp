// What an open editor costs the host while nobody touches it: the view's
// timer call as the host makes it about 33 times a second (the custom view
// with a headless host window: events, the editor's idle, paint, the copy
// to the host's buffer), measured in CPU time of the calling thread.
//   EditorIdle/0/Z  nothing changes: no audio runs;
//   EditorIdle/1/Z  the dense patch plays between the calls (not measured),
//                   so that meters, play lines and step lights move;
// at the zoom Z in percent.  "core_percent" is the share of one core the
// calls take at 33 a second.
//   EditorPageSwitch/Z  a click on the sound/effects switch, back and forth:
//                   the timer call that takes the click and the next one.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "editor/BWUniClientEditor.h"
#include "BenchClock.h"
#include "BenchFolders.h"
#include "BenchModule.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryContent.h"
#include "host/HeadlessView.h"
#include "host/HostInstance.h"
#include "host/PageSetScript.h"
#include "host/ViewCommands.h"
#include "host/demo/DensePatch.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "plugin/BWUniClient.h"
#include "plugin/EditorFactory.h"

namespace {

namespace fs = std::filesystem;

constexpr double kCallsPerSecond = 1000.0 / HeadlessView::kTimerPeriodMs;
constexpr int32_t kBlock = 512;

AEffEditor* makeEditor(BWUniClient& client, bool) { return new BWUniClientEditor(&client, false); }

void EditorIdle(benchmark::State& state) {
    const bool playing = state.range(0) != 0;
    const auto zoom = static_cast<int32_t>(state.range(1));
    const fs::path instruments = benchFolder() / "content" / kFactoryInstrumentsFolder;
    setEditorFactory(&makeEditor);
    {
        std::string error;
        if (!applyZoom(zoom, error)) state.SkipWithError(error.c_str());
        HostInstance instance(moduleEffect(), 2, 44100.0f);
        BWUniClient& client = clientOf(instance);
        setSettingString(SettingNames::kInstrumentsPath, instruments.string());
        globalRomplerLibrary().scan(true);
        densePatch(client, playing);
        std::vector<float> left(kBlock), right(kBlock);
        float* outputs[2] = {left.data(), right.data()};
        HeadlessView view(instance);
        if (!view.ok()) state.SkipWithError("the view did not open");
        // Past the open's first full drawing.
        view.tick(10);
        double measured = 0;
        for (auto _ : state) {
            if (playing)
                for (int block = 0; block < 3; ++block) instance.runBlock(outputs, kBlock);
            const double before = threadCpuSeconds();
            view.tick();
            const double call = threadCpuSeconds() - before;
            measured += call;
            state.SetIterationTime(call);
        }
        // Seconds per call x calls a second x 100.
        state.counters["core_percent"] = measured / double(state.iterations()) * kCallsPerSecond * 100.0;
    }
    setEditorFactory(nullptr);
}
// Ten seconds of the host's calls: the measured calls are short, the rendering between them is not.
BENCHMARK(EditorIdle)
    ->Args({0, 100})
    ->Args({1, 100})
    ->Args({1, 150})
    ->Args({1, 200})
    ->Iterations(330)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// The sound/effects switch, the first point of the page script that changes the page set.
constexpr DesignPoint kPageSwitch = {270, 26};

void EditorPageSwitch(benchmark::State& state) {
    const auto zoom = static_cast<int32_t>(state.range(0));
    useTemporaryUserFolders();
    setEditorFactory(&makeEditor);
    {
        std::string error;
        if (!applyZoom(zoom, error)) state.SkipWithError(error.c_str());
        HostInstance instance(moduleEffect(), 2, 44100.0f);
        HeadlessView view(instance);
        if (!view.ok()) state.SkipWithError("the view did not open");
        view.tick(10);
        // The locate panel over the empty library closes at a press inside it.
        const DesignPoint panel = pageSetScript()[1].clicks[0];
        view.click(windowPixel(panel.x, zoom), windowPixel(panel.y, zoom));
        view.tick(10);
        for (auto _ : state) {
            view.click(windowPixel(kPageSwitch.x, zoom), windowPixel(kPageSwitch.y, zoom));
            const double before = threadCpuSeconds();
            view.tick(2);
            state.SetIterationTime(threadCpuSeconds() - before);
            // Apart in time, so that two clicks are never one double click.
            view.tick(10);
        }
    }
    setEditorFactory(nullptr);
}
BENCHMARK(EditorPageSwitch)->Arg(100)->Arg(150)->Arg(200)->Iterations(60)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
