// Instance start-up: constructing and destroying one plug-in object, with no
// presets or instruments on disk.  The settings and documents folders point
// into a fresh temporary folder, so the user's own are never touched.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "plugin/BWUniClient.h"

namespace {

void useTemporaryUserFolders() {
    static const std::filesystem::path root = [] {
        char pattern[] = "/tmp/zorvane-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::filesystem::path(made ? made : "/tmp");
    }();
    setenv("ZORVANE_SETTINGS_DIR", (root / "settings").c_str(), 1);
    setenv("ZORVANE_DOCUMENTS_DIR", (root / "Documents").c_str(), 1);
}

void BM_InstanceConstruction(benchmark::State& state) {
    useTemporaryUserFolders();
    for (auto _ : state) {
        auto instance = std::make_unique<BWUniClient>(nullptr, 1, false);
        benchmark::DoNotOptimize(instance.get());
    }
}
BENCHMARK(BM_InstanceConstruction)->Unit(benchmark::kMillisecond);

}  // namespace
