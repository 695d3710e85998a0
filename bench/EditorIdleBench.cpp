// What an open editor costs the host while nobody touches it: the view's
// timer call as the host makes it about 33 times a second (the custom view
// with a headless host window: events, the editor's idle, paint, the copy
// to the host's buffer), measured in CPU time of the calling thread.
//   EditorIdle/0  nothing changes: no audio runs;
//   EditorIdle/1  the dense patch plays between the calls (not measured),
//                 so that meters, play lines and step lights move.
// "core_percent" is the share of one core the calls take at 33 a second.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "aax/BWAAXDescription.h"
#include "aax/BWAAXWrapperParameters.h"
#include "editor/BWUniClientEditor.h"
#include "BenchClock.h"
#include "BenchFolders.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryContent.h"
#include "host/HeadlessView.h"
#include "host/HostDescription.h"
#include "host/HostInstance.h"
#include "host/demo/DensePatch.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "plugin/BWUniClient.h"
#include "plugin/EditorFactory.h"

namespace {

namespace fs = std::filesystem;

constexpr double kCallsPerSecond = 1000.0 / HeadlessView::kTimerPeriodMs;
constexpr int32_t kBlock = 512;

const HostEffectDescriptor& effect() {
    static HostRegistrar* registrar = [] {
        auto* made = new HostRegistrar();
        IACFUnknown* definition = nullptr;
        AAXRegisterPlugin(made->unknown(), &definition);
        if (definition) definition->Release();
        return made;
    }();
    return *registrar->effect();
}

AEffEditor* makeEditor(BWUniClient& client, bool) { return new BWUniClientEditor(&client, false); }

void EditorIdle(benchmark::State& state) {
    const bool playing = state.range(0) != 0;
    const fs::path instruments = benchFolder() / "content" / kFactoryInstrumentsFolder;
    setEditorFactory(&makeEditor);
    {
        HostInstance instance(effect(), 2, 44100.0f);
        BWUniClient& client = *dynamic_cast<BWAAXWrapperParameters*>(instance.effect())->getCore();
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
BENCHMARK(EditorIdle)->Arg(0)->Arg(1)->Iterations(330)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
