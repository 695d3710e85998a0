#pragma once
// The sound engine's voices on their own, as the voices benchmark and the
// FluidSynth comparison drive them: three layers of eight voices on the
// factory keys, pad and bass, a filter lane per voice, the kick and the
// compressor, a tick at a time.  The first `sounding` voices (layer by
// layer) play a chord, each retriggered every 200 ticks; the others never
// start.  Without the bus (kVoicesAlone) the kick's level and the
// compressor's depth are 0: both still run, as they do in a patch that
// leaves them at 0.  The voices hold their samples from tick to tick, as the
// render does across host blocks.  The factory content and the settings live in a folder of their own, so the
// benchmark never touches the user's.

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

class BenchContent {
public:
    BenchContent() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zorvane-bench-XXXXXX").string();
        folder = mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::path();
        setenv("ZORVANE_SETTINGS_DIR", (folder / "settings").c_str(), 1);
        std::string error;
        ok = !folder.empty() && writeFactoryContent(folder, error) &&
             setSettingString(SettingNames::kInstrumentsPath, (folder / kFactoryInstrumentsFolder).string());
    }
    ~BenchContent() {
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }

    std::filesystem::path folder;
    bool ok = false;
};

class VoiceRig {
public:
    static constexpr int kVoices = kLayerCount * kLayerVoices;
    static constexpr float kRate = 44100.0f;

    enum Bus { kWholeBus, kVoicesAlone };

    // Warmed up until every sounding voice has taken its zone.
    explicit VoiceRig(int sounding, Bus bus = kWholeBus)
        : sounding(sounding), library(SettingNames::kInstrumentsPath), info(8, nullptr, nullptr, nullptr) {
        if (!content.ok) return;
        library.scan(false);
        info.setTickLength(16);
        info.takeSampleRate(kRate);
        const int instruments[kLayerCount] = {0, 1, 3};  // keys, pad and bass: they sustain
        for (int i = 0; i < kLayerCount; ++i) {
            handlerObjects[i] = std::make_unique<BWRomplerHandler>(&library);
            handlerObjects[i]->loadInstrument(factoryInstruments()[size_t(instruments[i])].name, false);
            handlers[i] = handlerObjects[i].get();
        }
        chain = std::make_unique<VoiceChain>(info);
        chain->attach(handlers);
        combLines.assign(LayerFilter::kChannels, std::vector<float>(986));
        for (int i = 0; i < LayerFilter::kChannels; ++i) chain->setCombLine(i, combLines[size_t(i)]);
        chain->prepare(kRate);

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
        settings.compressor.setDepth(bus == kWholeBus ? 2 : 0);
        settings.compressor.setSpeed(2, kRate);
        for (int i = 0; i < kLayerCount; ++i) settings.age[size_t(i)] = AgeSetting::forLayer(0.2f);
        chain->kick().setLevel(bus == kWholeBus ? 0.5f : 0.0f);

        for (int layer = 0; layer < kLayerCount; ++layer)
            for (int v = 0; v < kLayerVoices; ++v)
                input.notes[size_t(layer)][size_t(v)] = kChord[v] + 12.0f * static_cast<float>(layer - 1);
        alignas(16) float left[16], right[16], kick[16];
        for (int warm = 0; warm < 400; ++warm) tick(left, right, kick);
    }

    // False (the run marked as failed) when the content could not be written.
    bool ready(benchmark::State& state) const {
        if (!content.ok) state.SkipWithError("factory content could not be written");
        return content.ok;
    }

    // One tick of 16 frames into left, right and kick.
    void tick(float* left, float* right, float* kick) {
        for (int layer = 0; layer < kLayerCount; ++layer) {
            for (int v = 0; v < kLayerVoices; ++v) {
                const bool plays = layer * kLayerVoices + v < sounding;
                input.gates[size_t(layer)][size_t(v)] =
                    plays && (ticks + 25 * v + 8 * layer) % 200 < 190 ? 1.0f : 0.0f;
            }
        }
        input.filterGates = input.gates[0];
        input.beatPosition = double(ticks) * 16.0 / (kRate / 2.0);
        chain->tick(handlers, input, settings);
        chain->render(0, 16, settings, left, right, kick);
        ++ticks;
    }

    // Looks through the const chain: a voice handed out for changes counts
    // as sounding, so a look must not mark it.
    const VoiceChain& view() const { return *chain; }

    int activeVoices() const {
        int active = 0;
        for (int layer = 0; layer < kLayerCount; ++layer)
            for (int v = 0; v < kLayerVoices; ++v) active += view().layer(layer).reader(v).isActive();
        return active;
    }

    // The zone voice k (layer by layer) plays, and its note; null before it
    // started.
    const BWSampleZone* zone(int k) const { return view().layer(k / kLayerVoices).reader(k % kLayerVoices).getZone(); }
    float note(int k) const { return input.notes[size_t(k / kLayerVoices)][size_t(k % kLayerVoices)]; }

    static constexpr float kChord[kLayerVoices] = {36, 40, 43, 47, 50, 53, 57, 60};

private:
    BenchContent content;  // first: the library scans what it writes
    int sounding;
    BWRomplerLibrary library;
    BWSystemInfo info;
    std::unique_ptr<BWRomplerHandler> handlerObjects[kLayerCount];
    VoiceChain::Handlers handlers{};
    std::unique_ptr<VoiceChain> chain;
    std::vector<std::vector<float>> combLines;
    VoiceChainSettings settings;
    VoiceChainTick input;
    int64_t ticks = 0;
};


