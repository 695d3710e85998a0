// The engine's running state as a copy, and its return (see Engine.h).
// The audio side allocates nothing and frees nothing, so between two blocks
// the running state lives in records of plain values, in the voices and in
// the blocks of the tracked-buffer list.  The blocks are megabytes of delay
// lines; a state load clears them, so a copy is taken only while they are
// clear, and putting it back leaves them to the load.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

#include "core/BWSystemInfo.h"
#include "core/StateResetList.h"
#include "plugin/Engine.h"
#include "plugin/InterfaceRequests.h"
#include "plugin/ParameterInbox.h"

namespace {

// A plain record copied as its bytes: some hold atomics, which have no
// assignment, and the MIDI output points into itself.
template <class Record>
struct Bytes {
    static_assert(std::is_trivially_copyable_v<Record>);
    alignas(Record) std::byte bytes[sizeof(Record)];
    void take(const Record& from) { std::memcpy(bytes, &from, sizeof(Record)); }
    void give(Record& to) const { std::memcpy(static_cast<void*>(&to), bytes, sizeof(Record)); }
};

// The audio context's share: the held notes, the voices' notes, the clock
// and the noise generator.
struct ContextState {
    uint32_t randomState = 0;
    int32_t tickSamples = 0;
    double positionBeats = 0.0;
    float positionBeatsF = 0.0f;
    float programNumber = 0.0f;
    float playing = 0.0f;
    float pitchBend = 0.0f;
    float lastNote = 0.0f;
    float lastVelocity = 0.0f;
    float lastNoteFrequency = 0.0f;
    float channelPressure = 0.0f;
    int32_t nextVoice = 0;
    std::vector<int32_t> noteOrder;
    std::vector<float> voiceNote, voiceVelocity, voiceFrequency;
    std::array<float, 128> controllerValues{};
    std::array<float, BWSystemInfo::kChordSize> sortedNotes{}, sortedVelocities{}, shiftedNotes{},
        shiftedNotesClamped{};
};

// Every value of the context that the running state keeps, in one list
// that the save walks one way (move(kept, live) copies out) and the
// restore the other.  The note order keeps its length: the restore copies
// into the context's own list.
template <class Kept, class Live, class Move>
void eachContextValue(Kept& kept, Live& live, Move move) {
    move(kept.randomState, live.randomState);
    move(kept.tickSamples, live.tickSamples);
    move(kept.positionBeats, live.positionBeats);
    move(kept.positionBeatsF, live.positionBeatsF);
    move(kept.programNumber, live.programNumber);
    move(kept.playing, live.playing);
    move(kept.pitchBend, live.pitchBend);
    move(kept.lastNote, live.lastNote);
    move(kept.lastVelocity, live.lastVelocity);
    move(kept.lastNoteFrequency, live.lastNoteFrequency);
    move(kept.channelPressure, live.channelPressure);
    move(kept.nextVoice, live.nextVoice);
    move(kept.controllerValues, live.controllerValues);
    move(kept.sortedNotes, live.sortedNotes);
    move(kept.sortedVelocities, live.sortedVelocities);
    move(kept.shiftedNotes, live.shiftedNotes);
    move(kept.shiftedNotesClamped, live.shiftedNotesClamped);
    if constexpr (std::is_const_v<Kept>) {
        std::copy(kept.noteOrder.begin(), kept.noteOrder.end(), live.noteOrder.begin());
    } else {
        kept.noteOrder = live.noteOrder;
    }
}

// The voices' slots (as many as the note order holds): each kept list with
// the context's aligned floats it stands for.
template <class Kept, class Live>
auto voiceSlots(Kept& kept, Live& live) {
    return std::array{std::pair{&kept.voiceNote, live.voiceNote.get()},
                      std::pair{&kept.voiceVelocity, live.voiceVelocity.get()},
                      std::pair{&kept.voiceFrequency, live.voiceFrequency.get()}};
}

}  // namespace

struct Engine::RunningState {
    EngineState engine;
    SequencerRuntime sequencer;
    MidiEventQueue queue;
    VoiceChainSettings voiceSettings;
    VoiceChainTick voiceTick;
    VoiceChain::Running voices;
    Bytes<RenderState> render;
    Bytes<MidiOutput> midiOut;
    Bytes<InterfaceRequests> requests;
    int32_t silenceCounter = 0;
    int32_t longLinePosition = 0;
    bool notesHanging = false;
    ContextState context;
    std::array<float, ParameterInbox::kSlots> inbox{};
    float filterTypeCompanion = 0.0f;
};

namespace {

// Whether every block holds what a suspend or a state load writes into it.
bool blocksAreClear(const StateResetList& list) {
    for (size_t i = 0; i < list.size(); ++i) {
        const TrackedBufferRecord& block = list.at(i);
        if (block.fillValue == 0.0f) {
            const auto* bytes = static_cast<const unsigned char*>(block.data);
            if (block.byteLength > 0 && (bytes[0] != 0 || std::memcmp(bytes, bytes + 1, block.byteLength - 1) != 0))
                return false;
            continue;
        }
        const auto* floats = static_cast<const float*>(block.data);
        for (uint64_t k = 0; k < block.byteLength / sizeof(float); ++k)
            if (floats[k] != block.fillValue) return false;
    }
    return true;
}

}  // namespace

std::shared_ptr<const Engine::RunningState> Engine::saveRunningState() const {
    checkThread();
    if (context.trackedBufferList && !blocksAreClear(*context.trackedBufferList)) return nullptr;
    auto saved = std::make_shared<RunningState>();
    saved->engine = engine;
    saved->sequencer = sequencer;
    saved->queue = queue;
    saved->voiceSettings = voiceSettings;
    saved->voiceTick = voiceTick;
    saved->voices = voices.running();
    saved->render.take(render);
    saved->midiOut.take(midiOut);
    saved->requests.take(requests);
    saved->silenceCounter = silenceCounter;
    saved->longLinePosition = longLinePosition;
    saved->notesHanging = notesHanging;
    eachContextValue(saved->context, context, [](auto& kept, const auto& live) { kept = live; });
    const size_t slotCount = context.noteOrder.size();
    for (auto [kept, live] : voiceSlots(saved->context, context)) kept->assign(live, live + slotCount);
    for (int32_t index = 0; index < ParameterInbox::kSlots; ++index) saved->inbox[size_t(index)] = inbox.value(index);
    saved->filterTypeCompanion = inbox.filterTypeCompanion.load(std::memory_order_relaxed);
    return saved;
}

void Engine::restoreRunningState(const RunningState& saved) {
    checkThread();
    engine = saved.engine;
    sequencer = saved.sequencer;
    queue = saved.queue;
    voiceSettings = saved.voiceSettings;
    voiceTick = saved.voiceTick;
    voices.restore(saved.voices);
    saved.render.give(render);
    saved.midiOut.give(midiOut);
    saved.requests.give(requests);
    silenceCounter = saved.silenceCounter;
    longLinePosition = saved.longLinePosition;
    notesHanging = saved.notesHanging;
    // What the engine keeps of the models and of its own last passes is read
    // and worked out afresh.
    patternReads.invalidate();
    voiceSettingsStale = true;
    display.forgetMarkers();
    laneSelections.fill(-1);
    beatTickBasis = {-1.0, -1.0};
    eachContextValue(saved.context, context, [](const auto& kept, auto& live) { live = kept; });
    for (auto [kept, live] : voiceSlots(saved.context, context)) std::copy(kept->begin(), kept->end(), live);
    // Published, not stored: nothing is marked for the next take.
    for (int32_t index = 0; index < ParameterInbox::kSlots; ++index) inbox.publish(index, saved.inbox[size_t(index)]);
    inbox.filterTypeCompanion.store(saved.filterTypeCompanion, std::memory_order_relaxed);
}
