// Instance start-up: constructing and destroying one plug-in object, with no
// presets or instruments on disk.  The settings and documents folders point
// into a fresh temporary folder, so the user's own are never touched.

#include <benchmark/benchmark.h>

#include <memory>

#include "BenchFolders.h"
#include "plugin/BWUniClient.h"

namespace {

void BM_InstanceConstruction(benchmark::State& state) {
    useTemporaryUserFolders();
    for (auto _ : state) {
        auto instance = std::make_unique<BWUniClient>(nullptr, 1, false);
        benchmark::DoNotOptimize(instance.get());
    }
}
BENCHMARK(BM_InstanceConstruction)->Unit(benchmark::kMillisecond);

}  // namespace
