#include "persistence/BWUndoManager.h"

#include "persistence/BWChunkableClass.h"
#include "persistence/BWUndoClient.h"
#include "persistence/WriteObjectChunk.h"

namespace {

// Clears the busy flag however the applying ends.
struct BusyScope {
    bool& flag;
    explicit BusyScope(bool& f) : flag(f) { flag = true; }
    ~BusyScope() { flag = false; }
};

}  // namespace

BWUndoManager::~BWUndoManager() { dropNewestFrom(0); }

void BWUndoManager::dropNewestFrom(size_t index) {
    while (steps.size() > index) steps.pop_back();
}

bool BWUndoManager::writeSnapshot(BWChunk& chunk, BWChunkableClass* object) {
    if (object) return writeObjectChunk(object, &chunk);
    return client && client->saveStateToChunk(&chunk, 0, nullptr);
}

bool BWUndoManager::applySnapshot(BWChunk& chunk, BWChunkableClass* object) {
    if (!object) return client && client->loadPresetFileSimple(&chunk, 0);
    if (!chunk.parseHeader(true)) return false;
    return object->readChunk(&chunk, false) == kChunkReadOk;
}

void BWUndoManager::storeState() {
    auto step = std::make_unique<UndoStep>();
    if (!writeSnapshot(step->undoSnapshot, nullptr)) return;
    push(std::move(step));
}

void BWUndoManager::storeParameter(int32_t) { storeState(); }

void BWUndoManager::storeObjectState(BWChunkableClass* object) {
    if (!object) return;
    auto step = std::make_unique<UndoStep>();
    step->object = object;
    if (!writeSnapshot(step->undoSnapshot, object)) return;
    push(std::move(step));
}

void BWUndoManager::push(std::unique_ptr<UndoStep> step) {
    if (busy || !step) return;
    dropNewestFrom(current);
    steps.push_back(std::move(step));
    if (steps.size() == size_t(depth)) steps.erase(steps.begin());
    current = steps.size();
}

void BWUndoManager::captureRedo(UndoStep& step) {
    if (step.redoSnapshot) return;
    auto snapshot = std::make_unique<BWChunk>();
    if (writeSnapshot(*snapshot, step.object)) step.redoSnapshot = std::move(snapshot);
}

// The index moves only when the snapshot was applied, so that a refused
// snapshot leaves history and instance in agreement.
void BWUndoManager::undo() {
    if (busy || current == 0) return;
    BusyScope scope(busy);
    UndoStep& step = *steps[current - 1];
    captureRedo(step);
    if (!step.redoSnapshot) return;
    if (applySnapshot(step.undoSnapshot, step.object)) --current;
}

void BWUndoManager::redo() {
    if (busy || current >= steps.size()) return;
    BusyScope scope(busy);
    UndoStep& step = *steps[current];
    if (step.redoSnapshot && applySnapshot(*step.redoSnapshot, step.object)) ++current;
}
