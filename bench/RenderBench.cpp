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
//
// Idle: an instance with no key held once the silence optimisation has
// taken over, which is what a host pays for every instance it keeps loaded
// but quiet:
//   Idle/0    a fresh instance with no instrument;
//   Idle/1    the dense patch after its keys were let go and its tails died.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchFolders.h"
#include "core/VstTypes.h"
#include "engine/BWRomplerLibrary.h"
#include "host/demo/DensePatch.h"
#include "factory/FactoryContent.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "plugin/BWUniClient.h"
#include "plugin/DisplayBlock.h"
#include "plugin/DisplayPublisher.h"

namespace {

constexpr int32_t kBlock = 512;

// An instance at 44.1 kHz that finds the factory instruments.
std::unique_ptr<BWUniClient> makeInstance() {
    auto client = std::make_unique<BWUniClient>(nullptr, 1, false);
    // After the instance's start-up, which points the setting at its own
    // content folder when that is new.
    setSettingString(SettingNames::kInstrumentsPath, (benchFolder() / "content" / kFactoryInstrumentsFolder).string());
    globalRomplerLibrary().scan(true);
    client->setSampleRate(44100.0f);
    return client;
}

// The dense patch (with or without its instruments) on a new instance,
// played for 200 blocks; outputs are the two channels it renders into.
std::unique_ptr<BWUniClient> playingDensePatch(bool voices, float** outputs) {
    auto client = makeInstance();
    densePatch(*client, voices);
    for (int warm = 0; warm < 200; ++warm) client->processReplacing(outputs, outputs, kBlock);
    return client;
}

void Render(benchmark::State& state) {
    const bool voices = state.range(0) != 0;
    std::vector<float> left(kBlock), right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    auto client = playingDensePatch(voices, outputs);
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

void releaseKeys(BWUniClient& client, std::initializer_list<int> keys) {
    std::vector<VstMidiEvent> notes(keys.size());
    std::vector<VstEvent*> list(keys.size() + 2);
    auto* events = reinterpret_cast<VstEvents*>(list.data());
    events->numEvents = 0;
    for (int key : keys) {
        VstMidiEvent& note = notes[size_t(events->numEvents)];
        note = {};
        note.type = kVstMidiType;
        note.byteSize = sizeof(VstMidiEvent);
        note.midiData[0] = char(0x80);
        note.midiData[1] = char(key);
        events->events[events->numEvents++] = reinterpret_cast<VstEvent*>(&note);
    }
    client.processEvents(events);
}

void Idle(benchmark::State& state) {
    const bool dense = state.range(0) != 0;
    std::vector<float> left(kBlock), right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    const std::unique_ptr<BWUniClient> client = dense ? playingDensePatch(true, outputs) : makeInstance();
    if (dense) releaseKeys(*client, {48, 52, 55, 59, 62, 65, 69, 72});
    // Tails of up to ten seconds, then four beats of silence.
    for (int block = 0; block < 2000 && !client->audioEngine().renderState().silent; ++block)
        client->processReplacing(outputs, outputs, kBlock);
    if (!client->audioEngine().renderState().silent) {
        state.SkipWithError("the instance never fell silent");
        return;
    }
    const double start = threadCpuSeconds();
    for (auto _ : state) {
        client->processReplacing(outputs, outputs, kBlock);
        benchmark::DoNotOptimize(left.data());
    }
    const double seconds = threadCpuSeconds() - start;
    const double samples = static_cast<double>(state.iterations()) * kBlock;
    state.counters["realtime"] = benchmark::Counter(samples / client->getSystemInfo()->sampleRate,
                                                    benchmark::Counter::kIsRate);
    state.counters["ns_per_frame"] = seconds * 1e9 / samples;
}
BENCHMARK(Idle)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// What the render's tick spends on the interface's indicators: one publish
// of the display block's sources, with the dense patch sounding.  Beside
// Render/1 (32 ticks a block) it gives the share of a tick.
void DisplayPublish(benchmark::State& state) {
    std::vector<float> left(kBlock), right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    auto client = playingDensePatch(true, outputs);
    DisplayBlock block;
    DisplayPublisher publisher(block, *client->getSystemInfo());
    for (auto _ : state) {
        publisher.publish(client->audioEngine(), 0.0f, 0.0f);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(DisplayPublish)->Unit(benchmark::kNanosecond);

}  // namespace
