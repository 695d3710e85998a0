#include "persistence/BWUndoManager.h"

#include <gtest/gtest.h>

#include "persistence/BWChunkableClass.h"
#include "persistence/BWUndoClient.h"
#include "persistence/WriteObjectChunk.h"

namespace {

// An instance whose whole state is one number, and one object of its own.
struct Counter : BWChunkableClass {
    int32_t value = 0;
    int32_t readChunk(BWChunk* chunk, bool) override {
        value = chunk->readInt();
        return kChunkReadOk;
    }
    void writeChunk(BWChunk* chunk) override { chunk->writeInt(value); }
};

struct Instance : BWUndoClient {
    int32_t state = 0;
    Counter object;
    bool refuse = false;
    BWUndoManager* manager = nullptr;  // set to record from inside a load
    bool saveStateToChunk(BWChunk* chunk, int32_t, PresetInfo*) override {
        return writeInTwoPasses(chunk, [&](BWChunk* c) {
            c->writeHeader(BWChunk::kFormatPlain);
            c->writeInt(state);
        });
    }
    bool loadPresetFileSimple(BWChunk* chunk, int32_t) override {
        if (refuse || !chunk->parseHeader(true)) return false;
        state = chunk->readInt();
        if (manager) manager->storeState();  // re-entry: must not be kept
        return true;
    }
};

struct UndoFixture : ::testing::Test {
    Instance instance;
    BWUndoManager undo;
    UndoFixture() { undo.setClient(&instance); }
    void edit(int32_t to) {
        undo.storeParameter(42);
        instance.state = to;
    }
};

}  // namespace

TEST_F(UndoFixture, HistoryKeeps99StepsAndUndoRedoWalkIt) {
    for (int32_t i = 1; i <= 100; ++i) edit(i);
    EXPECT_EQ(undo.getStepCount(), 99u);
    for (int i = 0; i < 99; ++i) undo.undo();
    EXPECT_EQ(instance.state, 1);  // the first edit fell out of the history
    undo.undo();
    EXPECT_EQ(instance.state, 1);
    for (int i = 0; i < 99; ++i) undo.redo();
    EXPECT_EQ(instance.state, 100);
    undo.redo();
    EXPECT_EQ(undo.getCurrentIndex(), 99u);
}

TEST_F(UndoFixture, RedoSnapshotsAreReusedAndANewEditDropsTheRedoTail) {
    edit(5);
    undo.undo();
    undo.redo();
    undo.undo();
    EXPECT_EQ(instance.state, 0);
    undo.redo();
    EXPECT_EQ(instance.state, 5);
    undo.undo();
    edit(7);  // the undone step goes
    undo.redo();
    EXPECT_EQ(instance.state, 7);
    EXPECT_EQ(undo.getStepCount(), 1u);
}

TEST_F(UndoFixture, ObjectStepsRestoreOnlyTheirObject) {
    instance.object.value = 3;
    undo.storeObjectState(&instance.object);
    instance.object.value = 9;
    instance.state = 11;
    undo.undo();
    EXPECT_EQ(instance.object.value, 3);
    EXPECT_EQ(instance.state, 11);
    undo.redo();
    EXPECT_EQ(instance.object.value, 9);
}

TEST_F(UndoFixture, ARefusedSnapshotLeavesTheIndexAndReentryRecordsNothing) {
    edit(1);
    edit(2);
    instance.refuse = true;
    undo.undo();
    EXPECT_EQ(undo.getCurrentIndex(), 2u);
    EXPECT_EQ(instance.state, 2);
    instance.refuse = false;
    instance.manager = &undo;
    undo.undo();
    EXPECT_EQ(instance.state, 1);
    EXPECT_EQ(undo.getStepCount(), 2u);
    EXPECT_EQ(undo.getCurrentIndex(), 1u);
}
