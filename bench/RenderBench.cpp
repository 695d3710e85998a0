// The render routine: one instance playing a held chord through the
// sequencer, the arpeggiator, the step lanes and all six effects, rendered in
// host blocks of 512 samples.  Reported as seconds of audio per second of
// CPU ("realtime").  The sample voices are not part of it yet.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/VstTypes.h"
#include "plugin/BWUniClient.h"

namespace {

constexpr int32_t kBlock = 512;

void useTemporaryUserFolders() {
    static const std::filesystem::path root = [] {
        char pattern[] = "/tmp/zorvane-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::filesystem::path(made ? made : "/tmp");
    }();
    setenv("ZORVANE_SETTINGS_DIR", (root / "settings").c_str(), 1);
    setenv("ZORVANE_DOCUMENTS_DIR", (root / "Documents").c_str(), 1);
}

void holdChord(BWUniClient& client) {
    std::vector<VstMidiEvent> notes(3);
    std::vector<VstEvent*> list(5);
    auto* events = reinterpret_cast<VstEvents*>(list.data());
    events->numEvents = 3;
    const int keys[3] = {60, 64, 67};
    for (int i = 0; i < 3; ++i) {
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

void BM_RenderBlock(benchmark::State& state) {
    useTemporaryUserFolders();
    auto client = std::make_unique<BWUniClient>(nullptr, 1, false);
    client->setParameter(276, 0.0f);
    client->setParameter(74, 1.0f);
    for (int layer = 0; layer < 3; ++layer) client->setParameter(341 + layer, 1.0f);
    for (int32_t effectSwitch = 307; effectSwitch <= 311; ++effectSwitch) client->setParameter(effectSwitch, 1.0f);
    for (int32_t mix : {57, 61, 65, 69, 73}) client->setParameter(mix, 0.5f);
    for (uint64_t step = 0; step < 32; ++step) {
        client->patterns().stepLine(0).setStepOnLine(0, step, 1.0f + float(step % 3));
        client->patterns().stepLine(1).setStepOnLine(0, step, 1.0f);
    }
    holdChord(*client);
    std::vector<float> left(kBlock), right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    for (auto _ : state) {
        client->processReplacing(outputs, outputs, kBlock);
        benchmark::DoNotOptimize(left.data());
    }
    const double rate = client->getSystemInfo()->sampleRate;
    state.counters["realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock / rate, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderBlock);

}  // namespace
