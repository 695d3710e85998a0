// setParameter as the host calls it: one store of the raw value and one
// changed bit, whatever the index.  Two conditions side by side:
//   SetParameter/0  nothing else runs;
//   SetParameter/1  an audio thread renders the dense patch (no instruments)
//                   flat out meanwhile, taking the inbox at every tick, so
//                   the host's stores meet the audio side's on the same
//                   cache lines far more often than in real time.
// Reported as the time per call; the indices walk over every one that
// stores (0 to 94 and 204 to 389).

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "host/demo/DensePatch.h"
#include "BenchFolders.h"
#include "plugin/BWUniClient.h"

namespace {

void SetParameter(benchmark::State& state) {
    useTemporaryUserFolders();
    auto client = std::make_unique<BWUniClient>(nullptr, 1, false);
    densePatch(*client, false);
    std::atomic<bool> done{false};
    std::thread audio;
    if (state.range(0) != 0) {
        audio = std::thread([&] {
            std::vector<float> left(64), right(64);
            float* outputs[2] = {left.data(), right.data()};
            while (!done.load(std::memory_order_relaxed)) client->processReplacing(outputs, outputs, 64);
        });
    }
    int32_t index = 0;
    float value = 0.0f;
    for (auto _ : state) {
        client->setParameter(index, value);
        index = index == Tag::LastHostIndex ? Tag::FirstPatternIndex : index == Tag::HighestIndex ? 0 : index + 1;
        value = value >= 1.0f ? 0.0f : value + 0.001f;
    }
    done.store(true);
    if (audio.joinable()) audio.join();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SetParameter)->Arg(0)->Arg(1)->Unit(benchmark::kNanosecond);

}  // namespace
