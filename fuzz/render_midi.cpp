// Feeds the input to one playing instance as MIDI and host blocks: each
// record of six bytes is an event's offset, its three MIDI bytes, the length
// of the block it ends (7 frames a unit; 0: the block goes on) and a raw
// event code for the engine's own handler, which also takes the data bytes
// unmasked; the same bytes, read as a float, land in the step grids and
// velocities.  An input renders at most kFrameBudget frames: a few dozen
// ticks from a fresh instance, so that inputs run at a thousand a second;
// long phrases are the validation battery's and the soak's.  Beyond "no
// crash": the outputs stay finite and no note number leaves 0..127.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/VstTypes.h"
#include "support/Check.h"
#include "support/FuzzInstance.h"
#include "support/PlayedInstance.h"
#include "support/ReusedSubject.h"

namespace {

constexpr int32_t kFrameBudget = 256;

// The notes the instance sends, for the check and the digest.
std::vector<VstMidiEvent>* sentNotes = nullptr;

intptr_t host(AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
    if (opcode != 8 || !ptr || !sentNotes) return 0;
    const auto* list = static_cast<const VstEvents*>(ptr);
    for (int32_t i = 0; i < list->numEvents; ++i)
        sentNotes->push_back(*reinterpret_cast<const VstMidiEvent*>(list->events[i]));
    return 1;
}

class RenderMidiSubject {
public:
    RenderMidiSubject() : client(makeFuzzInstance(&host)) {
        // Own clock and chords from the keys: the keys run the sequencer.
        for (int32_t index : {74, 341, 342, 343}) client->setParameter(index, 1.0f);
        client->setParameter(276, 0.0f);
        PatternModels& models = client->patterns();
        std::vector<BWChunkableClass*> written{&models.gateTable};
        for (int line = 0; line < 5; ++line) written.push_back(&models.stepLine(line));
        played = std::make_unique<PlayedInstance>(*client, written);
    }

    void reset() { played->reset(digestsWanted()); }

    void run(const uint8_t* data, size_t size, Digest& digest) {
        std::vector<VstMidiEvent> sent;
        sentNotes = &sent;
        int32_t budget = kFrameBudget;
        std::vector<VstMidiEvent> events;
        for (size_t at = 0; at + 6 <= size && budget > 0; at += 6) {
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
            client->audioEngine().handleMidiEvent(record);
            // A pattern value of any bit pattern (NaN, huge) where the sequencer reads.
            float value;
            std::memcpy(&value, data + at, sizeof(value));
            client->patterns().stepLine(data[at + 5] % 5).setStepOnLine(0, data[at + 4] % 32, value);
            client->patterns().gateTable.setValueOnPage(data[at + 1] % 32, 0, value);
            if (data[at + 4] != 0 || events.size() >= 200) render(events, std::min(data[at + 4] * 7, budget), budget, digest);
        }
        render(events, std::min(64, budget), budget, digest);
        for (const VstMidiEvent& e : sent) {
            check(e.midiData[1] >= 0 && e.midiData[2] >= 0, "no note number or velocity leaves 0..127");
            digest.add(e);
        }
        sentNotes = nullptr;
        if (digest.wanted()) {
            const std::vector<uint8_t> state = stateOf(*client);
            digest.add(state.data(), state.size());
        }
    }

private:
    void render(std::vector<VstMidiEvent>& events, int32_t frames, int32_t& budget, Digest& digest) {
        std::vector<VstEvent*> list(events.size() + 2);
        auto* header = reinterpret_cast<VstEvents*>(list.data());
        header->numEvents = int32_t(events.size());
        static_assert(sizeof(VstEvents) == 2 * sizeof(VstEvent*));
        for (size_t i = 0; i < events.size(); ++i) header->events[i] = reinterpret_cast<VstEvent*>(&events[i]);
        client->processEvents(header);
        awaitProgramLoader(*client);
        std::vector<float> out(static_cast<size_t>(2 * std::max(frames, 0)));
        float* outputs[2] = {out.data(), out.data() + frames};
        client->processReplacing(outputs, outputs, frames);
        for (float x : out) check(std::isfinite(x), "the outputs stay finite");
        digest.add(out.data(), out.size() * sizeof(float));
        budget -= std::max(frames, 0);
        events.clear();
    }

    std::unique_ptr<BWUniClient> client;
    std::unique_ptr<PlayedInstance> played;
};

}  // namespace

ZORVANE_REUSED_SUBJECT(RenderMidiSubject)
