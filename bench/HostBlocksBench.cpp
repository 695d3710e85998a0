// The dense patch as a host plays it: each host buffer through the
// adapter's process procedure (HostInstance::runBlock, with the host's
// coefficient call before it), in buffers of 16, 64 or 512 samples.  Every
// iteration renders the same 4096 frames, so the block size alone differs;
// "ns_per_frame" (CPU time of the calling thread) shows what a host buffer
// costs on top of the audio it carries:
//   HostBlocks/16, HostBlocks/64, HostBlocks/512.

#include <benchmark/benchmark.h>

#include <vector>

#include "BenchClock.h"
#include "BenchFolders.h"
#include "BenchModule.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryContent.h"
#include "host/demo/DensePatch.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "platform/DenormalGuard.h"

namespace {

constexpr int32_t kFramesPerIteration = 4096;
constexpr int32_t kWarmFrames = 44100;  // a second, so that every voice has started

void HostBlocks(benchmark::State& state) {
    const auto block = static_cast<int32_t>(state.range(0));
    const auto instruments = benchFolder() / "content" / kFactoryInstrumentsFolder;
    HostInstance instance(moduleEffect(), 2, 44100.0f);
    setSettingString(SettingNames::kInstrumentsPath, instruments.string());
    globalRomplerLibrary().scan(true);
    densePatch(clientOf(instance), true);
    std::vector<float> left(static_cast<size_t>(block)), right(static_cast<size_t>(block));
    float* outputs[2] = {left.data(), right.data()};
    // The host's audio thread, as hosts run it: denormals flushed.
    const platform::DenormalGuard audioThreadMode;
    for (int32_t done = 0; done < kWarmFrames; done += block) instance.runBlock(outputs, block);
    const double start = threadCpuSeconds();
    for (auto _ : state) {
        for (int32_t done = 0; done < kFramesPerIteration; done += block) instance.runBlock(outputs, block);
        benchmark::DoNotOptimize(left.data());
    }
    const double seconds = threadCpuSeconds() - start;
    state.counters["ns_per_frame"] = seconds * 1e9 / (static_cast<double>(state.iterations()) * kFramesPerIteration);
}
BENCHMARK(HostBlocks)
    ->Arg(16)
    ->Arg(64)
    ->Arg(512)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true)
    ->MinTime(0.3)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
