#pragma once
// An offline driver for the render routine: a scripted host that answers the
// time request from a transport it moves block by block, hands the instance
// scripted MIDI through processEvents in the block each event falls in, and
// records the notes the instance sends back with their absolute sample
// positions.  One driver is active at a time (the host callback is a plain
// function).

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "InstanceTestSupport.h"
#include "core/VstTypes.h"
#include "persistence/Settings.h"

struct MidiAt {
    int64_t sample;
    uint8_t status;
    uint8_t data1;
    uint8_t data2;
    bool operator==(const MidiAt&) const = default;
};

inline void PrintTo(const MidiAt& m, std::ostream* out) {
    *out << "{" << m.sample << ": " << std::hex << int(m.status) << std::dec << " " << int(m.data1) << " "
         << int(m.data2) << "}";
}

// Records the parameter changes the engine makes while `logging` is on.
class ProbedClient : public BWUniClient {
public:
    using BWUniClient::BWUniClient;
    void setParameter(int32_t index, float value) override {
        if (logging) changes.push_back({index, value});
        BWUniClient::setParameter(index, value);
    }
    bool logging = false;
    std::vector<std::pair<int32_t, float>> changes;
};

class RenderDriver {
public:
    // neverSilent: the instance is built with the "NoSilentOpt" setting.
    explicit RenderDriver(bool neverSilent = false) {
        if (neverSilent) setSettingDword("NoSilentOpt", 1);
        active = this;
        instance = std::make_unique<ProbedClient>(&RenderDriver::callback, 1, false);
        // The engine's noise (retrigger roughening) starts from the clock;
        // a fixed seed makes runs repeatable.
        instance->getSystemInfo()->randomState = 20061977u;
        time.tempo = 120.0;
        time.timeSigNumerator = time.timeSigDenominator = 4;
    }
    ~RenderDriver() {
        instance.reset();
        active = nullptr;
    }

    // Renders `total` samples in blocks of `block`, sending `script` on the
    // way; appends the output to left/right when given.
    void run(const std::vector<MidiAt>& script, int64_t total, int32_t block, std::vector<float>* left = nullptr,
             std::vector<float>* right = nullptr) {
        std::vector<float> l(static_cast<size_t>(block)), r(static_cast<size_t>(block));
        size_t next = 0;
        for (int64_t start = 0; start < total; start += block) {
            const int32_t n = int32_t(std::min<int64_t>(block, total - start));
            std::vector<VstMidiEvent> events;
            while (next < script.size() && script[next].sample < position + n) {
                VstMidiEvent e{};
                e.type = kVstMidiType;
                e.byteSize = sizeof(VstMidiEvent);
                e.deltaFrames = int32_t(script[next].sample - position);
                e.midiData[0] = char(script[next].status);
                e.midiData[1] = char(script[next].data1);
                e.midiData[2] = char(script[next].data2);
                events.push_back(e);
                ++next;
            }
            sendEvents(events);
            time.ppqPos = playing ? ppqStart + double(position - playStart) * time.tempo / (60.0 * sampleRate) : 0.0;
            time.flags = (playing ? TimeInfoFlags::TransportPlaying : 0) | extraFlags;
            float* outputs[2] = {l.data(), r.data()};
            instance->processReplacing(outputs, outputs, n);
            if (left) left->insert(left->end(), l.begin(), l.begin() + n);
            if (right) right->insert(right->end(), r.begin(), r.begin() + n);
            position += n;
        }
    }

    void sendEvents(const std::vector<VstMidiEvent>& events) {
        std::vector<char> list(sizeof(VstEvents) + sizeof(VstEvent*) * (events.size() + 1));
        auto* vst = reinterpret_cast<VstEvents*>(list.data());
        vst->numEvents = int32_t(events.size());
        for (size_t i = 0; i < events.size(); ++i) {
            vst->events[i] = reinterpret_cast<VstEvent*>(const_cast<VstMidiEvent*>(&events[i]));
        }
        instance->processEvents(vst);
    }

    static intptr_t callback(AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
        if (!active) return 0;
        if (opcode == 7) return active->answerTime ? reinterpret_cast<intptr_t>(&active->time) : 0;
        if (opcode != 8 || !ptr) return 0;
        const auto* list = static_cast<const VstEvents*>(ptr);
        for (int32_t i = 0; i < list->numEvents; ++i) {
            const auto* e = reinterpret_cast<const VstMidiEvent*>(list->events[i]);
            active->sent.push_back({active->position + e->deltaFrames, uint8_t(e->midiData[0]),
                                    uint8_t(e->midiData[1]), uint8_t(e->midiData[2])});
        }
        ++active->sendCalls;
        return 1;
    }

    static inline RenderDriver* active = nullptr;
    UserFoldersSandbox sandbox;
    std::unique_ptr<ProbedClient> instance;
    VstTimeInfo time{};
    bool answerTime = true;
    bool playing = false;
    int64_t playStart = 0;
    double ppqStart = 0.0;
    int32_t extraFlags = 0;
    double sampleRate = 44100.0;
    int64_t position = 0;
    int32_t sendCalls = 0;
    std::vector<MidiAt> sent;
};

// Renders tick by tick, calling probe(tick) after each 16-sample block.
template <typename Probe>
void tickByTick(RenderDriver& d, int32_t ticks, Probe probe, const std::vector<MidiAt>& script = {}) {
    std::vector<MidiAt> pending = script;
    for (int32_t t = 0; t < ticks; ++t) {
        std::vector<MidiAt> now;
        for (MidiAt& m : pending) {
            if (m.sample >= d.position && m.sample < d.position + 16) now.push_back(m);
        }
        d.run(now, 16, 16);
        probe(t);
    }
}

inline MidiAt noteOnAt(int64_t sample, int note, int velocity = 100) {
    return {sample, 0x90, uint8_t(note), uint8_t(velocity)};
}
inline MidiAt noteOffAt(int64_t sample, int note) { return {sample, 0x80, uint8_t(note), 0}; }
