// The six effects of the output chain in the render routine's rhythm: 16-sample
// sub-blocks through each effect in chain order, then each effect's tick.
// Reported as seconds of audio per second of CPU ("realtime").
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "core/BWSystemInfo.h"
#include "core/PointerList.h"
#include "core/SampleRatePreparation.h"
#include "core/StateResetList.h"
#include "effects/BWChorusXStereo.h"
#include "effects/BWDelay16.h"
#include "effects/BWDoubleDelay.h"
#include "effects/BWPhaser.h"
#include "effects/BWReverserX2.h"
#include "effects/RevTamselEcoShot.h"

namespace {

constexpr int kTick = 16;

// An audio context prepared at a rate, with no plug-in object behind it.
class BenchContext : private SampleRateOwner {
public:
    explicit BenchContext(float rate) : info(8, &resetList, &listeners, nullptr), preparation(info, *this) {
        info.setTickLength(kTick);
        info.setTempo(120.0);
        preparation.prepareSampleRate(rate);
    }

    StateResetList resetList;
    PointerList listeners;
    BWSystemInfo info;

private:
    void resizeDelayLines(const EngineRateConstants&) override {}
    void reapplyParameter(int32_t) override {}
    void refreshHeldNotes() override {}
    SampleRatePreparation preparation;
};

struct Chain {
    explicit Chain(BWSystemInfo* info) {
        effects[0] = std::make_unique<BWReverserX2>(195, info);
        effects[1] = std::make_unique<BWChorusXStereo>(213, info);
        effects[2] = std::make_unique<BWPhaser>(160, info);
        effects[3] = std::make_unique<BWDoubleDelay>(178, info);
        effects[4] = std::make_unique<BWDelay16>(194, info);
        effects[5] = std::make_unique<RevTamselEcoShot>(196, info);
        for (auto& effect : effects) {
            for (int32_t i = 0; i < effect->getParameterCount(); ++i) effect->setParameter(i, 0.7f);
            effect->setMix(0.5f);
        }
        effects[0]->setParameter(3, 1.0f);  // the reverser plays its slices
    }

    void process(float* left, float* right) {
        for (auto& effect : effects) effect->process(left, right, kTick);
        for (auto& effect : effects) effect->tick();
    }

    std::array<std::unique_ptr<BWEffect>, 6> effects;
};

void EffectsChain(benchmark::State& state) {
    const float rate = static_cast<float>(state.range(0));
    BenchContext context(rate);
    Chain chain(&context.info);

    // A second of noise, reused block after block.
    std::vector<float> noise(static_cast<size_t>(rate));
    uint32_t seed = 1;
    for (float& sample : noise) {
        seed = seed * 1664525u + 1013904223u;
        sample = static_cast<float>(static_cast<int32_t>(seed)) * 4.6566e-10f * 0.5f;
    }

    alignas(16) float left[kTick];
    alignas(16) float right[kTick];
    size_t position = 0;
    for (auto _ : state) {
        for (int i = 0; i < kTick; ++i) left[i] = right[i] = noise[position + i];
        position = (position + kTick) % (noise.size() - kTick);
        chain.process(left, right);
        benchmark::DoNotOptimize(left);
        benchmark::DoNotOptimize(right);
    }
    state.SetItemsProcessed(state.iterations() * kTick);
    state.counters["realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kTick / rate, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(EffectsChain)->Arg(44100)->Arg(96000)->Unit(benchmark::kMicrosecond);
