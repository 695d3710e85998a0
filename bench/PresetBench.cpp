// Preset loads: applying a global preset (the whole state, as a preset file,
// a program change or undo do) and writing one, on an instance whose
// settings and documents folders lie in a fresh temporary folder.  The goal
// for a global preset load is under 5 ms.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "plugin/BWUniClient.h"

namespace {

std::unique_ptr<BWUniClient> benchInstance() {
    char pattern[] = "/tmp/zorvane-bench-presets-XXXXXX";
    const char* made = mkdtemp(pattern);
    const std::filesystem::path root = made ? made : "/tmp";
    setenv("ZORVANE_SETTINGS_DIR", (root / "settings").c_str(), 1);
    setenv("ZORVANE_DOCUMENTS_DIR", (root / "Documents").c_str(), 1);
    return std::make_unique<BWUniClient>(nullptr, 1, false);
}

void BM_GlobalPresetLoad(benchmark::State& state) {
    auto instance = benchInstance();
    BWChunk chunk;
    instance->saveStateToChunk(&chunk, 0, nullptr);
    for (auto _ : state) {
        // As a preset file or program loads it: applied without force.
        benchmark::DoNotOptimize(instance->loadPresetFile(&chunk, 0, false, true, false, false));
    }
    state.counters["words"] = double(chunk.getDataLength());
}
BENCHMARK(BM_GlobalPresetLoad)->Unit(benchmark::kMillisecond);

void BM_GlobalPresetSave(benchmark::State& state) {
    auto instance = benchInstance();
    for (auto _ : state) {
        BWChunk chunk;
        benchmark::DoNotOptimize(instance->saveStateToChunk(&chunk, 0, nullptr));
    }
}
BENCHMARK(BM_GlobalPresetSave)->Unit(benchmark::kMillisecond);

}  // namespace
