#include "core/AudioEffect.h"

#include <gtest/gtest.h>

#include "support/DispatchCase.h"
#include "support/ProbeEffect.h"
#include "support/RecordingEditor.h"
#include "support/RecordingHost.h"

namespace {

// The probe answers -5 everywhere: int32 results come back sign-extended,
// bool results as 1.
const DispatchCase kBaseOpcodes[] = {
    {0, 0, 0, 0, {"open()"}, 0},
    {1, 0, 0, 0, {"close()"}, 0},
    {2, 0, 3, 0, {"setProgram(3)"}, 0},
    {2, 0, 4, 0, {}, 0},  // at numPrograms: ignored
    {2, 0, -1, 0, {"setProgram(-1)"}, 0},
    {3, 0, 0, 0, {"getProgram()"}, -5},
    {4, 0, 0, 0, {"setProgramName(P)"}, 0},
    {5, 0, 0, 0, {"getProgramName(P)"}, 0},
    {6, 7, 0, 0, {"getParameterLabel(7,P)"}, 0},
    {7, 8, 0, 0, {"getParameterDisplay(8,P)"}, 0},
    {8, 9, 0, 0, {"getParameterName(9,P)"}, 0},
    {9, 0, 0, 0, {}, 0},
    {10, 0, 0, 48000.0f, {"setSampleRate(48000)"}, 0},
    {11, 0, 512, 0, {"setBlockSize(512)"}, 0},
    {12, 0, 0, 0, {"suspend()"}, 0},
    {12, 0, -1, 0, {"resume()", "canDo(receiveVstMidiEvent)"}, 0},
    {20, 0, 0, 0, {}, 0},
    {21, 0, 0, 0, {}, 0},
    {22, 0, 0, 0, {}, 0x4E764566},
    {23, 1, 0, 0, {"getChunk(P,true)"}, -5},
    {23, 0, 0, 0, {"getChunk(P,false)"}, -5},
    {24, 0, 100, 0, {"setChunk(P,100,false)"}, -5},
    {24, 2, 100, 0, {"setChunk(P,100,true)"}, -5},
};

const DispatchCase kEditorOpcodes[] = {
    {13, 0, 0, 0, {"getRect(P)"}, 1},
    {14, 0, 0, 0, {"open(P)"}, 1},
    {15, 0, 0, 0, {"close()"}, 0},
    {16, 0, 0, 0, {"draw(P)"}, 0},
    {17, 3, 4, 0, {"mouse(3,4)"}, -5},
    {18, 0, 65, 0, {"key(65)"}, -5},
    {19, 0, 0, 0, {"idle()"}, 0},
};

}  // namespace

TEST(AudioEffect, DispatcherReachesTheOperationOfEachBasicOpcode) {
    CallLog log;
    ProbeEffect effect(nullptr, log);
    for (const DispatchCase& c : kBaseOpcodes) expectDispatch(effect, log, c);
    // Opcodes from 25 on belong to the extended dispatcher.
    for (int32_t opcode : {25, 51, 79, 80, 1000}) {
        log.clear();
        EXPECT_EQ(effect.AudioEffect::dispatcher(opcode, 1, 1, probeBuffer, 1.0f), 0);
        EXPECT_TRUE(log.empty()) << opcode;
    }
}

TEST(AudioEffect, EditorOpcodesReachTheEditorOnlyWhenThereIsOne) {
    CallLog log;
    ProbeEffect effect(nullptr, log);
    for (const DispatchCase& c : kEditorOpcodes)
        expectDispatch(effect, log, {c.opcode, c.index, c.value, 0, {}, 0});

    effect.setEditor(new RecordingEditor(log));
    for (const DispatchCase& c : kEditorOpcodes) expectDispatch(effect, log, c);
}

TEST(AudioEffect, RecordEntriesForwardToTheObject) {
    CallLog log;
    ProbeEffect effect(nullptr, log);
    AEffect* record = effect.getAeffect();
    float* buffers[2] = {};
    double* doubles[2] = {};
    auto* in = reinterpret_cast<float**>(probeBuffer);

    EXPECT_EQ(record->dispatcher(record, 3, 0, 0, nullptr, 0), -5);
    record->process(record, in, buffers, 16);
    record->processReplacing(record, in, buffers, 32);
    record->processDoubleReplacing(record, reinterpret_cast<double**>(probeBuffer), doubles, 64);
    record->setParameter(record, 5, 0.5f);
    EXPECT_EQ(record->getParameter(record, 6), 0.25f);
    record->undo(record);
    record->redo(record);
    record->openHookMenu(record);
    record->openManual(record);
    record->hook5(record);
    EXPECT_TRUE(record->isKeyInputBlocked(record));
    effect.answer = 0;
    EXPECT_FALSE(record->isPageVisible(record, 12));
    EXPECT_EQ(log, (CallLog{"getProgram()", "process(P,other,16)", "processReplacing(P,other,32)",
                            "processDoubleReplacing(P,other,64)", "setParameter(5,0.5)", "getParameter(6)",
                            "undo()", "redo()", "openHookMenu()", "openManual()", "hook5()",
                            "isKeyInputBlocked()", "isPageVisible(12)"}));
}

TEST(AudioEffect, CloseThroughTheRecordClosesThenDeletesTheObject) {
    CallLog log;
    auto* effect = new ProbeEffect(nullptr, log);
    effect->setEditor(new RecordingEditor(log));
    AEffect* record = effect->getAeffect();
    EXPECT_EQ(record->dispatcher(record, 1, 0, 0, nullptr, 0), 1);
    EXPECT_EQ(log, (CallLog{"close()", "~effect", "isOpen()", "~editor"}));
}

TEST(AudioEffect, DestructorClosesAnOpenEditorBeforeDeletingIt) {
    CallLog log;
    {
        ProbeEffect effect(nullptr, log);
        auto* editor = new RecordingEditor(log);
        editor->opened = true;
        effect.setEditor(editor);
    }
    EXPECT_EQ(log, (CallLog{"~effect", "isOpen()", "close()", "~editor"}));
}

TEST(AudioEffect, HostQueriesSendTheirRequestsWithTheOwnRecord) {
    RecordingHost host;
    CallLog log;
    ProbeEffect effect(RecordingHost::callback, log);
    AEffect* record = effect.getAeffect();

    host.answer(1, 2400);
    host.answer(2, 77);
    host.answer(4, 1);
    effect.setParameterAutomated(9, 0.75f);
    EXPECT_EQ(effect.getMasterVersion(), 2400);
    EXPECT_EQ(effect.getCurrentUniqueId(), 77);
    effect.masterIdle();
    EXPECT_FALSE(effect.isInputConnected(3));
    EXPECT_FALSE(effect.isOutputConnected(0));

    EXPECT_EQ(log, CallLog{"setParameter(9,0.75)"});  // set before the host hears of it
    EXPECT_EQ(host.requests(), (std::vector<HostRequest>{
                                   {record, 0, 9, 0, nullptr, 0.75f},
                                   {record, 1, 0, 0, nullptr, 0},
                                   {record, 2, 0, 0, nullptr, 0},
                                   {record, 3, 0, 0, nullptr, 0},
                                   {record, 4, 3, 0, nullptr, 0},
                                   {record, 4, 0, 1, nullptr, 0},
                               }));

    host.answer(1, 0);
    host.answer(4, 0);
    EXPECT_EQ(effect.getMasterVersion(), 1);  // a host that gives no version
    EXPECT_TRUE(effect.isInputConnected(0));
}

TEST(AudioEffect, HostQueriesFallBackWithoutAHost) {
    CallLog log;
    ProbeEffect effect(nullptr, log);
    effect.setParameterAutomated(2, 0.5f);
    EXPECT_EQ(log, CallLog{"setParameter(2,0.5)"});
    EXPECT_EQ(effect.getMasterVersion(), 1);
    EXPECT_EQ(effect.getCurrentUniqueId(), 0);
    EXPECT_TRUE(effect.isInputConnected(0));
    EXPECT_TRUE(effect.isOutputConnected(1));
}
