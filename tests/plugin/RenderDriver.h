#pragma once
// An offline driver for the render routine: a scripted host that answers the
// time request from a transport it moves block by block, hands the instance
// scripted MIDI through processEvents in the block each event falls in, and
// records the notes the instance sends back at their absolute samples.  One
// driver is active at a time (the host callback is a plain function).

#include <cstdint>
#include <memory>
#include <vector>

#include "support/InstanceTestSupport.h"
#include "core/VstTypes.h"
#include "persistence/Settings.h"
#include "support/AllocationCounter.h"

struct MidiAt {
    int64_t sample;
    uint8_t status;
    uint8_t data1;
    uint8_t data2;
    bool operator==(const MidiAt&) const = default;
};

// A bar of four beats at the driver's 120 bpm and 44.1 kHz, in samples.
constexpr int64_t kBar = 88200;

inline MidiAt noteOnAt(int64_t sample, int note) { return {sample, 0x90, uint8_t(note), 100}; }
inline MidiAt noteOffAt(int64_t sample, int note) { return {sample, 0x80, uint8_t(note), 0}; }

class RenderDriver {
public:
    // neverSilent: the instance is built with the "NoSilentOpt" setting.
    explicit RenderDriver(bool neverSilent = false) {
        if (neverSilent) setSettingDword("NoSilentOpt", 1);
        active = this;
        instance = std::make_unique<BWUniClient>(&RenderDriver::callback, 1, false);
        // The engine's noise starts from the clock; a fixed seed repeats.
        instance->getSystemInfo()->randomState = 20061977u;
        time.tempo = 120.0;
        sent.reserve(1 << 16);
    }
    ~RenderDriver() {
        instance.reset();
        active = nullptr;
    }

    // Renders `total` samples in blocks of `block`, sending `script` on the
    // way, appending the left output to `audio` when given; adds the
    // allocations made inside the instance's audio calls to `allocations`.
    void run(const std::vector<MidiAt>& script, int64_t total, int32_t block, std::vector<float>* audio = nullptr) {
        std::vector<float> left(static_cast<size_t>(block)), right(static_cast<size_t>(block));
        std::vector<VstMidiEvent> events(script.size());
        std::vector<VstEvent*> list(script.size() + 2);
        auto* vst = reinterpret_cast<VstEvents*>(list.data());
        for (size_t next = 0; total > 0; total -= block) {
            const int32_t n = int32_t(std::min<int64_t>(block, total));
            for (vst->numEvents = 0; next < script.size() && script[next].sample < position + n; ++next) {
                VstMidiEvent& e = events[next];
                e = {kVstMidiType, sizeof(VstMidiEvent), int32_t(script[next].sample - position), 0, 0, 0,
                     {char(script[next].status), char(script[next].data1), char(script[next].data2), 0}, 0, 0, 0, 0};
                vst->events[vst->numEvents++] = reinterpret_cast<VstEvent*>(&e);
            }
            time.ppqPos = playing ? ppqStart + double(position - playStart) * time.tempo / (60.0 * rate) : 0.0;
            time.flags = (playing ? TimeInfoFlags::TransportPlaying : 0) | extraFlags;
            float* outputs[2] = {left.data(), right.data()};
            {
                AllocationCounter counter;
                instance->processEvents(vst);
                instance->processReplacing(outputs, outputs, n);
                allocations += counter.count();
            }
            if (audio) audio->insert(audio->end(), left.begin(), left.begin() + n);
            position += n;
        }
    }

    static intptr_t callback(AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
        if (!active) return 0;
        if (opcode == 7) return reinterpret_cast<intptr_t>(&active->time);
        if (opcode != 8 || !ptr) return 0;
        const auto* list = static_cast<const VstEvents*>(ptr);
        for (int32_t i = 0; i < list->numEvents; ++i) {
            const auto* e = reinterpret_cast<const VstMidiEvent*>(list->events[i]);
            active->sent.push_back({active->position + e->deltaFrames, uint8_t(e->midiData[0]),
                                    uint8_t(e->midiData[1]), uint8_t(e->midiData[2])});
        }
        return 1;
    }

    static inline RenderDriver* active = nullptr;
    UserFoldersSandbox sandbox;
    std::unique_ptr<BWUniClient> instance;
    VstTimeInfo time{};
    bool playing = false;
    int64_t playStart = 0;  // the sample at which the host stood at ppqStart
    double ppqStart = 0.0;
    double rate = 44100.0;  // the host's rate, by which its position moves
    int32_t extraFlags = 0;
    int64_t position = 0;
    size_t allocations = 0;
    std::vector<MidiAt> sent;
};

// Renders tick by tick, calling probe(tick) after each 16-sample block.
template <typename Probe>
void tickByTick(RenderDriver& d, int32_t ticks, Probe probe, const std::vector<MidiAt>& script = {}) {
    for (int32_t t = 0; t < ticks; ++t) {
        std::vector<MidiAt> now;
        for (const MidiAt& m : script) {
            if (m.sample >= d.position && m.sample < d.position + 16) now.push_back(m);
        }
        d.run(now, 16, 16);
        probe(t);
    }
}
