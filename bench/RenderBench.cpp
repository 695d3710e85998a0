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

#include "core/VstTypes.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryCatalog.h"
#include "factory/FactoryContent.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "plugin/BWUniClient.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kBlock = 512;

// Settings, documents and the factory content in a folder of the bench's
// own, made once, so that the user's are never touched.  (Not removed: the
// process ends with the benchmarks.)
const fs::path& benchFolder() {
    static const fs::path root = [] {
        char pattern[] = "/tmp/zorvane-render-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        const fs::path folder(made ? made : "/tmp");
        setenv("ZORVANE_SETTINGS_DIR", (folder / "settings").c_str(), 1);
        setenv("ZORVANE_DOCUMENTS_DIR", (folder / "Documents").c_str(), 1);
        std::string error;
        writeFactoryContent(folder / "content", error);
        return folder;
    }();
    return root;
}

void holdKeys(BWUniClient& client, const std::vector<int>& keys) {
    std::vector<VstMidiEvent> notes(keys.size());
    std::vector<VstEvent*> list(keys.size() + 2);
    auto* events = reinterpret_cast<VstEvents*>(list.data());
    events->numEvents = static_cast<int32_t>(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        notes[i] = {};
        notes[i].type = kVstMidiType;
        notes[i].byteSize = sizeof(VstMidiEvent);
        notes[i].midiData[0] = char(0x90);
        notes[i].midiData[1] = char(keys[i]);
        notes[i].midiData[2] = 100;
        events->events[i] = reinterpret_cast<VstEvent*>(&notes[i]);
    }
    client.processEvents(events);
}

// Own clock, chord steps (every voice of the chord gated) that retrigger
// twice a step, every effect on at half mix, the filter per voice with all
// layers routed through it; the instruments only with voices.
void densePatch(BWUniClient& client, bool voices) {
    const int instruments[3] = {0, 1, 3};  // keys, pad and bass: they sustain
    for (int layer = 0; layer < 3; ++layer) {
        if (voices) client.soundLayer(layer).loadInstrument(factoryInstruments()[size_t(instruments[layer])].name, false);
        client.setParameter(341 + layer, 1.0f);
        client.setParameter(233 + layer, 1.0f);  // through the filter
        client.setParameter(8 + 11 * layer, 0.0f);  // trigger pair 0: the chord
        client.setParameter(11 + 11 * layer, 0.3f);  // polycrush
        client.setParameter(12 + 11 * layer, 0.2f);  // age
        client.setParameter(17 + 11 * layer, 0.3f);
    }
    for (auto [index, value] : {std::pair{276, 0.0f}, {74, 1.0f}, {76, 0.5f}, {44, 1.0f}, {53, 0.8f}, {50, 0.3f},
                                {52, 0.7f}, {51, 0.6f}, {45, 0.3f}, {3, 0.5f}, {6, 0.5f}, {7, 0.5f}}) {
        client.setParameter(index, value);
    }
    for (int32_t effectSwitch = 307; effectSwitch <= 311; ++effectSwitch) client.setParameter(effectSwitch, 1.0f);
    for (int32_t mix : {57, 61, 65, 69, 73}) client.setParameter(mix, 0.5f);
    for (uint64_t step = 0; step < 32; ++step) {
        client.patterns().stepLine(0).setStepOnLine(0, step, 1.0f);
        client.patterns().stepLine(1).setStepOnLine(0, step, 0.0f);
    }
    holdKeys(client, {48, 52, 55, 59, 62, 65, 69, 72});
}

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
            for (int layer = 0; layer < 3; ++layer)
                for (int v = 0; v < kLayerVoices; ++v) active += client->voiceChain().layer(layer).reader(v).isActive();
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
