#pragma once
// The undo and redo history of one instance: a bounded list of snapshots,
// each of the whole state or of one pattern object, taken before an edit;
// the state after it is taken when the step is first undone, for redo.
// GUI thread only; the busy flag guards against re-entry from the state that
// an undo applies, not against other threads.

#include <cstdint>
#include <memory>
#include <vector>

#include "persistence/BWChunk.h"

class BWChunkableClass;
class BWUndoClient;

struct UndoStep {
    BWChunk undoSnapshot;
    std::unique_ptr<BWChunk> redoSnapshot;  // absent until the step is first undone
    BWChunkableClass* object = nullptr;     // none for a whole-state step
};

class BWUndoManager {
public:
    static constexpr int32_t kDepth = 100;

    BWUndoManager() = default;
    virtual ~BWUndoManager();
    BWUndoManager(const BWUndoManager&) = delete;
    BWUndoManager& operator=(const BWUndoManager&) = delete;

    void setClient(BWUndoClient* core) { client = core; }
    // Records a whole-state step.
    void storeState();
    // The same as storeState: the history keeps no per-parameter steps.
    void storeParameter(int32_t id);
    // Records a step that holds only the object's chunk.
    void storeObjectState(BWChunkableClass* object);
    void push(std::unique_ptr<UndoStep> step);
    void captureRedo(UndoStep& step);
    void undo();
    void redo();

    size_t getStepCount() const { return steps.size(); }
    size_t getCurrentIndex() const { return current; }

private:
    bool writeSnapshot(BWChunk& chunk, BWChunkableClass* object);
    bool applySnapshot(BWChunk& chunk, BWChunkableClass* object);
    void dropNewestFrom(size_t index);

    std::vector<std::unique_ptr<UndoStep>> steps;  // oldest first
    size_t current = 0;                            // steps that can be undone
    BWUndoClient* client = nullptr;
    int32_t depth = kDepth;
    bool busy = false;
};
