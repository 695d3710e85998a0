// Feeds the input to one playing instance as MIDI and host blocks: each
// record of six bytes is an event's offset, its three MIDI bytes, the length
// of the block it ends (0: the block goes on) and a raw event code for the
// engine's own handler, which also takes the data bytes unmasked; the same
// bytes, read as a float, land in the step grids and velocities.  Beyond
// "no crash": the outputs stay finite and no note number leaves 0..127.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/VstTypes.h"
#include "plugin/BWUniClient.h"

namespace {

bool badNote = false;

intptr_t host(AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
    if (opcode != 8 || !ptr) return 0;
    const auto* list = static_cast<const VstEvents*>(ptr);
    for (int32_t i = 0; i < list->numEvents; ++i) {
        const auto* e = reinterpret_cast<const VstMidiEvent*>(list->events[i]);
        if (e->midiData[1] < 0 || e->midiData[2] < 0) badNote = true;
    }
    return 1;
}

BWUniClient& instance() {
    static std::unique_ptr<BWUniClient> made = [] {
        // Run by hand, the fuzzer must not write the user's settings.
        setenv("ZORVANE_SETTINGS_DIR", "/tmp/zorvane-fuzz-settings", 0);
        setenv("ZORVANE_DOCUMENTS_DIR", "/tmp/zorvane-fuzz-documents", 0);
        auto client = std::make_unique<BWUniClient>(&host, 1, false);
        // Own clock and chords from the keys: the keys run the sequencer.
        for (int32_t index : {74, 341, 342, 343}) client->setParameter(index, 1.0f);
        client->setParameter(276, 0.0f);
        return client;
    }();
    return *made;
}

void render(BWUniClient& client, std::vector<VstMidiEvent>& events, int32_t frames) {
    std::vector<VstEvent*> list(events.size() + 2);
    auto* header = reinterpret_cast<VstEvents*>(list.data());
    header->numEvents = int32_t(events.size());
    static_assert(sizeof(VstEvents) == 2 * sizeof(VstEvent*));
    for (size_t i = 0; i < events.size(); ++i) header->events[i] = reinterpret_cast<VstEvent*>(&events[i]);
    client.processEvents(header);
    std::vector<float> out(static_cast<size_t>(2 * frames));
    float* outputs[2] = {out.data(), out.data() + frames};
    client.processReplacing(outputs, outputs, frames);
    for (float x : out) {
        if (!std::isfinite(x)) std::abort();
    }
    events.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BWUniClient& client = instance();
    std::vector<VstMidiEvent> events;
    for (size_t at = 0; at + 6 <= size; at += 6) {
        VstMidiEvent e{};
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent);
        e.deltaFrames = int8_t(data[at]);
        for (int b = 0; b < 3; ++b) e.midiData[b] = char(data[at + 1 + b]);
        events.push_back(e);
        MidiEventRecord record;
        record.code = 195u + data[at + 5] % 16u;  // around and beyond 200..206; 205 asks the loader
        if (record.code == kEventProgramChange) record.code = kEventNoteOn;
        record.data1 = int8_t(data[at + 2]);
        record.data2 = int8_t(data[at + 3]) * 300;
        client.audioEngine().handleMidiEvent(record);
        // A pattern value of any bit pattern (NaN, huge) where the sequencer reads.
        float value;
        std::memcpy(&value, data + at, sizeof(value));
        client.patterns().stepLine(data[at + 5] % 5).setStepOnLine(0, data[at + 4] % 32, value);
        client.patterns().gateTable.setValueOnPage(data[at + 1] % 32, 0, value);
        if (data[at + 4] != 0 || events.size() >= 200) render(client, events, data[at + 4] * 7);
    }
    render(client, events, 64);
    if (badNote) std::abort();
    return 0;
}
