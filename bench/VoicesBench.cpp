// The sound engine's voices alone in the render routine's rhythm: three
// layers of eight voices playing the factory instruments, with a filter lane
// per voice, the kick and the compressor, a tick at a time.  Reported as
// voice-samples per second of CPU ("voice_samples") and seconds of audio
// per second ("realtime"), beside the effect chain's benchmark.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/BWSystemInfo.h"
#include "engine/BWRomplerHandler.h"
#include "engine/BWRomplerLibrary.h"
#include "engine/VoiceChain.h"
#include "factory/FactoryCatalog.h"
#include "factory/FactoryContent.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"

namespace {

namespace fs = std::filesystem;

// The factory content in a folder of its own, with the settings beside it,
// so the benchmark never touches the user's settings.
class BenchContent {
public:
    BenchContent() {
        std::string pattern = (fs::temp_directory_path() / "zorvane-bench-XXXXXX").string();
        folder = mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
        setenv("ZORVANE_SETTINGS_DIR", (folder / "settings").c_str(), 1);
        std::string error;
        ok = !folder.empty() && writeFactoryContent(folder, error) &&
             setSettingString(SettingNames::kInstrumentsPath, (folder / kFactoryInstrumentsFolder).string());
    }
    ~BenchContent() {
        std::error_code ignored;
        if (!folder.empty()) fs::remove_all(folder, ignored);
    }

    fs::path folder;
    bool ok = false;
};

void Voices(benchmark::State& state) {
    const float rate = 44100.0f;
    BenchContent content;
    if (!content.ok) {
        state.SkipWithError("factory content could not be written");
        return;
    }
    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(false);
    BWSystemInfo info(8, nullptr, nullptr, nullptr);
    info.setTickLength(16);
    info.takeSampleRate(rate);
    std::unique_ptr<BWRomplerHandler> handlerObjects[kLayerCount];
    VoiceChain::Handlers handlers{};
    const int instruments[kLayerCount] = {0, 1, 3};  // keys, pad and bass: they sustain
    for (int i = 0; i < kLayerCount; ++i) {
        handlerObjects[i] = std::make_unique<BWRomplerHandler>(&library);
        handlerObjects[i]->loadInstrument(factoryInstruments()[size_t(instruments[i])].name, false);
        handlers[i] = handlerObjects[i].get();
    }
    VoiceChain chain(info);
    chain.attach(handlers);
    std::vector<std::vector<float>> combLines(LayerFilter::kChannels, std::vector<float>(986));
    for (int i = 0; i < LayerFilter::kChannels; ++i) chain.setCombLine(i, combLines[size_t(i)]);
    chain.prepare(rate);

    VoiceChainSettings settings;
    for (auto& layer : settings.mix.layers) {
        layer.soundOn = true;
        layer.crush = 0.3f;
        layer.level = 0.3f;
        layer.pan = 0.4f;
        layer.routed = true;
        layer.envelope = layerEnvelopeTimes(0.2f, 0.5f, 0.7f, 0.4f);
    }
    settings.mix.perVoiceFilter = true;
    settings.mix.mix = VoiceMix::filterMix(0.8f);
    settings.mix.filter.cut = 0.2f;
    settings.mix.filter.peak = 0.7f;
    settings.mix.filter.setResonance(0.6f);
    settings.mix.filter.age = AgeSetting::forFilter(0.3f);
    settings.filterEnvelope = filterEnvelopeTimes(0.3f, 0.5f, 0.4f, 0.5f);
    settings.compressor.setDepth(2);
    settings.compressor.setSpeed(2, rate);
    for (int i = 0; i < kLayerCount; ++i) settings.age[size_t(i)] = AgeSetting::forLayer(0.2f);
    chain.kick().setLevel(0.5f);

    // A held chord on all 24 voices, each voice retriggered every 200 ticks.
    const float chord[kLayerVoices] = {36, 40, 43, 47, 50, 53, 57, 60};
    VoiceChainTick input;
    for (int layer = 0; layer < kLayerCount; ++layer)
        for (int v = 0; v < kLayerVoices; ++v) input.notes[size_t(layer)][size_t(v)] = chord[v] + 12.0f * (layer - 1);

    alignas(16) float left[16], right[16], kick[16];
    int64_t tick = 0, active = 0;
    for (auto _ : state) {
        for (int layer = 0; layer < kLayerCount; ++layer)
            for (int v = 0; v < kLayerVoices; ++v)
                input.gates[size_t(layer)][size_t(v)] = (tick + 25 * v + 8 * layer) % 200 < 190 ? 1.0f : 0.0f;
        input.filterGates = input.gates[0];
        input.beatPosition = double(tick) * 16.0 / (rate / 2.0);
        chain.tick(handlers, input, settings);
        chain.render(0, 16, settings, left, right, kick);
        benchmark::DoNotOptimize(left);
        benchmark::DoNotOptimize(right);
        if ((tick & 255) == 0)
            for (int layer = 0; layer < kLayerCount; ++layer)
                for (int v = 0; v < kLayerVoices; ++v) active += chain.layer(layer).reader(v).isActive();
        ++tick;
    }
    const double samples = double(state.iterations()) * 16;
    state.counters["voice_samples"] = benchmark::Counter(samples * kLayerCount * kLayerVoices, benchmark::Counter::kIsRate);
    state.counters["realtime"] = benchmark::Counter(samples / rate, benchmark::Counter::kIsRate);
    state.counters["active_voices"] = double(active) / double((tick + 255) / 256);
}

}  // namespace

BENCHMARK(Voices)->Unit(benchmark::kMicrosecond);
