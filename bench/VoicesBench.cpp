// The sound engine's voices alone in the render routine's rhythm (VoiceRig.h):
// Voices/N with N of the 24 voices sounding, 0 for the cost of the chain with
// nothing playing.  Reported as voice-samples per second of CPU
// ("voice_samples", N voices a frame), nanoseconds per frame ("ns_per_frame")
// and seconds of audio per second ("realtime"), beside the effect chain's
// benchmark.
#include <benchmark/benchmark.h>

#include "BenchClock.h"
#include "VoiceRig.h"

namespace {

void Voices(benchmark::State& state) {
    const int sounding = static_cast<int>(state.range(0));
    VoiceRig rig(sounding);
    if (!rig.ready(state)) return;
    alignas(16) float left[16], right[16], kick[16];
    int64_t ticks = 0, active = 0;
    const double start = threadCpuSeconds();
    for (auto _ : state) {
        rig.tick(left, right, kick);
        benchmark::DoNotOptimize(left);
        benchmark::DoNotOptimize(right);
        if ((ticks++ & 255) == 0) active += rig.activeVoices();
    }
    const double seconds = threadCpuSeconds() - start;
    const double frames = double(state.iterations()) * 16;
    state.counters["voice_samples"] = benchmark::Counter(frames * sounding, benchmark::Counter::kIsRate);
    state.counters["ns_per_frame"] = seconds * 1e9 / frames;
    state.counters["realtime"] = benchmark::Counter(frames / VoiceRig::kRate, benchmark::Counter::kIsRate);
    state.counters["active_voices"] = double(active) / double((ticks + 255) / 256);
}

}  // namespace

BENCHMARK(Voices)->Arg(0)->Arg(1)->Arg(8)->Arg(24)->Unit(benchmark::kMicrosecond);
