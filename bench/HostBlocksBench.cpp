// The dense patch as a host plays it: each host buffer through the
// adapter's process procedure (HostInstance::runBlock, with the host's
// coefficient call before it), in buffers of 16, 64 or 512 samples.  Every
// iteration renders the same 4096 frames, so the block size alone differs;
// "ns_per_frame" (CPU time of the calling thread) shows what a host buffer
// costs on top of the audio it carries:
//   HostBlocks/16, HostBlocks/64, HostBlocks/512.
// HostBlocksAlternated plays one instance in buffers of 16 and of 64 samples
// by turns, 4096 frames each, so that both sizes meet the same machine: on
// a loaded machine its "extra_percent" (what 16-sample buffers cost over
// 64-sample ones) swings far less between runs than two separate runs'.

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
constexpr int32_t kLongestBlock = 512;
constexpr int32_t kShortBlock = 16;
constexpr int32_t kUsualBlock = 64;

// One instance playing the dense patch, and its host's output buffers.
struct DenseHost {
    HostInstance instance{moduleEffect(), 2, 44100.0f};
    std::vector<float> left = std::vector<float>(kLongestBlock);
    std::vector<float> right = std::vector<float>(kLongestBlock);
    float* outputs[2] = {left.data(), right.data()};

    DenseHost() {
        const auto instruments = benchFolder() / "content" / kFactoryInstrumentsFolder;
        setSettingString(SettingNames::kInstrumentsPath, instruments.string());
        globalRomplerLibrary().scan(true);
        densePatch(clientOf(instance), true);
    }
    void play(int32_t frames, int32_t block) {
        for (int32_t done = 0; done < frames; done += block) instance.runBlock(outputs, block);
        benchmark::DoNotOptimize(left.data());
    }
    // The CPU time of frames played in buffers of block samples.
    double timedPlay(int32_t frames, int32_t block) {
        const double start = threadCpuSeconds();
        play(frames, block);
        return threadCpuSeconds() - start;
    }
};

void HostBlocks(benchmark::State& state) {
    const auto block = static_cast<int32_t>(state.range(0));
    DenseHost host;
    // The host's audio thread, as hosts run it: denormals flushed.
    const platform::DenormalGuard audioThreadMode;
    host.play(kWarmFrames, block);
    double seconds = 0.0;
    for (auto _ : state) seconds += host.timedPlay(kFramesPerIteration, block);
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

void HostBlocksAlternated(benchmark::State& state) {
    DenseHost host;
    const platform::DenormalGuard audioThreadMode;
    host.play(kWarmFrames, kUsualBlock);
    double shortSeconds = 0.0;
    double usualSeconds = 0.0;
    for (auto _ : state) {
        shortSeconds += host.timedPlay(kFramesPerIteration, kShortBlock);
        usualSeconds += host.timedPlay(kFramesPerIteration, kUsualBlock);
    }
    const double frames = static_cast<double>(state.iterations()) * kFramesPerIteration;
    state.counters["ns_per_frame_16"] = shortSeconds * 1e9 / frames;
    state.counters["ns_per_frame_64"] = usualSeconds * 1e9 / frames;
    state.counters["extra_percent"] = 100.0 * (shortSeconds / usualSeconds - 1.0);
}
BENCHMARK(HostBlocksAlternated)->Repetitions(5)->DisplayAggregatesOnly(true)->MinTime(0.6)->Unit(benchmark::kMicrosecond);

}  // namespace
