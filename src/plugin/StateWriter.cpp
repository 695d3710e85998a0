// The state writer: the whole state, a global preset or a preset of one
// kind, in the body layout the reader of StateBody.cpp checks.  Host/GUI
// thread (getChunk, preset saves, undo snapshots); the program loader never
// writes.  A save takes the instance's turn (core/StateTurn.h), so it never
// reads what a load is writing: it waits for the load (kStateWaitMs at most).
// While the MIDI export keeps the turn parked, the host's save is answered
// from the park instead (StatePark.cpp).

#include <cassert>

#include "persistence/BWChunkableClass.h"
#include "persistence/PresetInfo.h"
#include "persistence/WriteObjectChunk.h"
#include "platform/Threads.h"
#include "plugin/BWUniClient.h"
#include "plugin/StateBody.h"

using namespace StateFormat;

namespace {

void writeEntry(BWChunk* chunk, const LearnEntry& entry) {
    chunk->writeInt(entry.tag);
    chunk->writeInt(entry.subIndex);
}

void writeLearnMap(BWChunk* chunk, const MidiLearnMap& map) {
    for (int32_t controller = 0; controller < MidiLearnMap::kControllers; ++controller) {
        const std::vector<LearnEntry>& list = map.controller(controller);
        if (list.empty()) continue;
        chunk->writeInt(controller);
        for (const LearnEntry& entry : list) writeEntry(chunk, entry);
        chunk->writeInt(kEndOfController);
    }
    chunk->writeInt(kEndOfMap);
}

void writeBinding(BWChunk* chunk, const ParamBinding& binding) {
    chunk->writeInt(binding.id);
    if (BWChunkableClass* object = binding.object) {
        if (chunk->isMeasuring()) object->prepareForSaving();
        // The object's length goes before its words; it is filled in once they
        // are written, rather than written once more just to count them.
        const uint32_t lengthAt = chunk->getPosition();
        chunk->writeInt(0);
        object->writeChunk(chunk);
        const uint32_t end = chunk->getPosition();
        chunk->setPosition(lengthAt);
        chunk->writeInt(int32_t(end - lengthAt - 1));
        chunk->setPosition(end);
        return;
    }
    chunk->writeInt(1);
    chunk->writeFloat(binding.read());
}

}  // namespace

bool BWUniClient::saveStateToChunk(BWChunk* chunk, int32_t kind, PresetInfo* info) {
    assert(hold.notRenderingHere());
    if (!chunk) return false;
    const std::unique_lock<StateTurn> reading = lockState();
    if (!reading.owns_lock()) return false;
    settleParameters();
    if (!copyLearnMap()) return false;
    if (!patternEdits.lockForReading(kStateWaitMs)) return false;
    chunk->setTempo(static_cast<float>(context.tempo));
    chunk->setSampleRate(sampleRate);
    chunk->resetForWrite();
    const bool written = writeInTwoPasses(chunk, [&](BWChunk* c) { writeState(c, kind, info); });
    patternEdits.unlockReading();
    return written;
}

void BWUniClient::writeState(BWChunk* chunk, int32_t kind, PresetInfo* info) {
    chunk->writeHeader(info ? BWChunk::kFormatPlainWithInfo : BWChunk::kFormatPlain);
    if (info) info->writeChunk(chunk);
    chunk->writeInt(int32_t(chunk->getPosition()));  // the words before this one
    chunk->writeInt(1);
    chunk->writeInt(kBodyVersion);
    chunk->writeInt(kBodyMarker);
    for (const ParamBinding* binding : presetMembers(kind)) writeBinding(chunk, *binding);
    chunk->writeInt(kEndOfBindings);

    std::lock_guard<std::mutex> names(namesLock);
    if (kind == 0) {
        writeLearnMap(chunk, savedLearn);
        chunk->writeInt(kNameCount);
        for (int32_t i = 0; i < 3; ++i) chunk->writeString(presetNames[i].c_str());
    }
    chunk->writeString(presetNames[kind == 0 ? 3 : kind & 3].c_str());
    chunk->writeInt(kTailVersion);
    if (kind == 0) {
        chunk->writeInt(curProgram);
        chunk->writeInt(currentBank);
        chunk->writeInt(int32_t(savedLearn.targets().size()));
        for (const LearnEntry& entry : savedLearn.targets()) writeEntry(chunk, entry);
        chunk->writeInt(kEndOfTargets);
    }
    chunk->writeInt(0);
    chunk->writeInt(0);
    chunk->writeInt(kEndWord);
}

// A value stored just before the save may set others when the engine takes
// it ("Chord Select" the pattern octave, a stepper its list): the save waits
// for the audio thread's next tick to take it, a few milliseconds at most,
// and takes it itself when no audio runs.
void BWUniClient::settleParameters(int32_t from) {
    const auto pending = [&] { return inbox.pending(from, ParameterInbox::kSlots); };
    const uint32_t start = engine.blocksRendered();
    for (int32_t waited = 0; pending() && waited < kSettleWaitMs; ++waited) {
        if (waited >= 2 && engine.blocksRendered() == start) break;  // the host does not process
        platform::sleepOneMillisecond();
    }
    if (!pending()) return;
    EngineHoldScope held(hold, 0);
    if (held.held()) engine.takeParameters();
}

// The render moves an armed learn target into a controller's list: while
// one waits, the save copies the map with the engine held (a bounded wait
// for the block under way, as the editor's learn edits wait; the render is
// silent for that moment).  With none armed nothing but a load or an edit
// changes the map, and neither runs while the save holds the turn.
bool BWUniClient::copyLearnMap() {
    if (!learn.armed.load()) {
        savedLearn.copyFrom(learn);
        return true;
    }
    EngineHoldScope held(hold, EngineHold::kEditTries);
    if (!held.held()) return false;
    savedLearn.copyFrom(learn);
    return true;
}

int32_t BWUniClient::getChunk(void** data, bool /*isPreset*/) {
    if (!data) return 0;
    *data = nullptr;
    const HostCallScope hostCall(pendingNotices);
    int32_t bytes = 0;
    inTurnOrParked(
        [&] {
            if (!parkedState.answerSave(parkedAnswer)) return false;
            *data = parkedAnswer.data();
            bytes = int32_t(parkedAnswer.size());
            return true;
        },
        [&] {
            if (!saveStateToChunk(&stateChunk, 0, nullptr)) return;
            *data = stateChunk.getWords();
            bytes = int32_t(stateChunk.getDataLength() * 4);
        });
    return bytes;
}
