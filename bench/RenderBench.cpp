// The whole render routine at 44.1 kHz in host blocks of 512 samples: the
// sequencer, step lanes, voices, filter, kick, compressor and all six
// effects.  Two patches side by side:
//   Render/0  the effect chain alone: the layers hold no instrument, so the
//             sequencer runs but no voice starts;
//   Render/1  the dense patch: three layers of eight voices playing factory
//             instruments on an eight-note chord, a filter lane per voice,
//             the kick, the compressor and all six effects.
// Reported as seconds of audio per second of CPU ("realtime") and, for the
// dense patch, voice-samples per second of CPU ("voice_samples", 24 voices a
// sample) with the voices actually sounding ("active_voices").

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchFolders.h"
#include "engine/BWRomplerLibrary.h"
#include "host/demo/DensePatch.h"
#include "factory/FactoryContent.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "plugin/BWUniClient.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kBlock = 512;

void Render(benchmark::State& state) {
    const fs::path instruments = benchFolder() / "content" / kFactoryInstrumentsFolder;
    const bool voices = state.range(0) != 0;
    auto client = std::make_unique<BWUniClient>(nullptr, 1, false);
    // After the instance's start-up, which points the setting at its own
    // content folder when that is new.
    setSettingString(SettingNames::kInstrumentsPath, instruments.string());
    globalRomplerLibrary().scan(true);
    client->setSampleRate(44100.0f);
    densePatch(*client, voices);
    std::vector<float> left(kBlock), right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    for (int warm = 0; warm < 200; ++warm) client->processReplacing(outputs, outputs, kBlock);
    int64_t blocks = 0, active = 0;
    for (auto _ : state) {
        client->processReplacing(outputs, outputs, kBlock);
        benchmark::DoNotOptimize(left.data());
        if ((blocks++ & 15) == 0) {
            for (int layer = 0; layer < 3; ++layer) {
                const VoiceLayer& sounding = client->audioEngine().voiceChain().layer(layer);
                for (int v = 0; v < kLayerVoices; ++v) active += sounding.reader(v).isActive();
            }
        }
    }
    const double samples = static_cast<double>(state.iterations()) * kBlock;
    state.counters["realtime"] = benchmark::Counter(samples / client->getSystemInfo()->sampleRate,
                                                    benchmark::Counter::kIsRate);
    if (voices) {
        state.counters["voice_samples"] =
            benchmark::Counter(samples * kLayerCount * kLayerVoices, benchmark::Counter::kIsRate);
        state.counters["active_voices"] = static_cast<double>(active) / static_cast<double>((blocks + 15) / 16);
    }
}
BENCHMARK(Render)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
