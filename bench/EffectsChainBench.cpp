// The six effects of the output chain in the render routine's rhythm: 16-sample
// sub-blocks through each effect in chain order, then each effect's tick.
// Every effect alone and the whole chain, at 44.1 and 96 kHz, each reported
// as nanoseconds per stereo frame ("ns_per_frame") and seconds of audio per
// second of CPU ("x_realtime"); the medians of several repetitions count.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchClock.h"
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

enum Which { kReverser, kChorus, kPhaser, kDoubleDelay, kDelay16, kReverb, kWholeChain };

std::unique_ptr<BWEffect> makeEffect(int which, BWSystemInfo* info) {
    switch (which) {
        case kReverser: return std::make_unique<BWReverserX2>(195, info);
        case kChorus: return std::make_unique<BWChorusXStereo>(213, info);
        case kPhaser: return std::make_unique<BWPhaser>(160, info);
        case kDoubleDelay: return std::make_unique<BWDoubleDelay>(178, info);
        case kDelay16: return std::make_unique<BWDelay16>(194, info);
        default: return std::make_unique<RevTamselEcoShot>(196, info);
    }
}

// Every parameter at 0.7, half level, the reverser playing its slices.
struct Chain {
    Chain(int which, BWSystemInfo* info) {
        for (int k = kReverser; k <= kReverb; ++k)
            if (which == kWholeChain || which == k) effects.push_back(makeEffect(k, info));
        for (auto& effect : effects) {
            for (int32_t i = 0; i < effect->getParameterCount(); ++i) effect->setParameter(i, 0.7f);
            effect->setMix(0.5f);
        }
        if (which == kWholeChain || which == kReverser) effects[0]->setParameter(3, 1.0f);
    }

    void process(float* left, float* right) {
        for (auto& effect : effects) effect->process(left, right, kTick);
        for (auto& effect : effects) effect->tick();
    }

    std::vector<std::unique_ptr<BWEffect>> effects;
};

void runEffects(benchmark::State& state, int which, float rate) {
    BenchContext context(rate);
    Chain chain(which, &context.info);

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
    const double start = threadCpuSeconds();
    for (auto _ : state) {
        for (int i = 0; i < kTick; ++i) left[i] = right[i] = noise[position + i];
        position = (position + kTick) % (noise.size() - kTick);
        chain.process(left, right);
        benchmark::DoNotOptimize(left);
        benchmark::DoNotOptimize(right);
    }
    const double seconds = threadCpuSeconds() - start;
    const double frames = static_cast<double>(state.iterations()) * kTick;
    state.counters["ns_per_frame"] = seconds * 1e9 / frames;
    state.counters["x_realtime"] = frames / rate / seconds;
}

// Registered by name: "chain/44100", "reverb/96000" and so on.
const bool registered = [] {
    const char* names[] = {"reverser", "chorus", "phaser", "doubledelay", "delay16", "reverb", "chain"};
    for (int which = kReverser; which <= kWholeChain; ++which) {
        for (int rate : {44100, 96000}) {
            const std::string name = std::string(names[which]) + "/" + std::to_string(rate);
            benchmark::RegisterBenchmark(name.c_str(), runEffects, which, static_cast<float>(rate))
                ->Repetitions(5)
                ->DisplayAggregatesOnly(true)
                ->MinTime(0.2)
                ->Unit(benchmark::kMicrosecond);
        }
    }
    return true;
}();

}  // namespace
