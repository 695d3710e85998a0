// What the indices 204 to 306 derive: the steppers, the range edit buttons of
// the lanes, tables and step lines, the pattern-wide buttons, the table
// fills, the run and clock switches and the plain switches of the sequencer.
// Buttons act when they are let go (value exactly 0); steppers on a rising
// edge.  Audio side.

#include <bit>
#include <cassert>
#include <cmath>

#include "core/BWSystemInfo.h"
#include "core/SharedFloat.h"
#include "plugin/BindingTable.h"
#include "plugin/ClipboardRequests.h"
#include "plugin/Engine.h"
#include "plugin/EngineHold.h"
#include "plugin/EngineHost.h"
#include "plugin/InterfaceRequests.h"
#include "plugin/PatternModels.h"

namespace {

struct Stepper {
    int32_t up;
    int32_t down;
    int32_t target;
    int32_t entries;
    uint32_t stepBits;  // 1/N + 0.00001 as a 32-bit float
};

constexpr Stepper kSteppers[] = {
    {Tag::ChordListRotationUp, Tag::ChordListRotationDown, Tag::ChordListRotation, 12, 0x3DAAAFE9u},
    {Tag::ChordListPageUp, Tag::ChordListPageDown, Tag::Chordlist, 8, 0x3E00029Fu},
    {Tag::RestartArpUp, Tag::RestartArpDown, Tag::RestartArp, 6, 0x3E2AAD4Au},
    {Tag::Lane1RowUp, Tag::Lane1RowDown, Tag::Lane1Row, 10, 0x3DCCD20Bu},
    {Tag::Lane2RowUp, Tag::Lane2RowDown, Tag::Lane2Row, 10, 0x3DCCD20Bu},
    {Tag::Lane3RowUp, Tag::Lane3RowDown, Tag::Lane3Row, 10, 0x3DCCD20Bu},
    {Tag::Lane4RowUp, Tag::Lane4RowDown, Tag::Lane4Row, 10, 0x3DCCD20Bu},
    {Tag::Lane5RowUp, Tag::Lane5RowDown, Tag::Lane5Row, 6, 0x3E2AAD4Au},
    {Tag::ChordSeqDivideUp, Tag::ChordSeqDivideDown, Tag::ChordSeqDivide, 3, 0x3EAAABFBu},
    {Tag::FactoryPatternsUp, Tag::FactoryPatternsDown, Tag::Factorypatterns, 8, 0x3E00029Fu},
    {Tag::ExportLengthUp, Tag::ExportLengthDown, Tag::ExportLength, 14, 0x3D924E63u},
};

enum class EditTarget { EventTable, Lane1, Lane2, Lane3, Lane4, Lane5, GateTable, ChordTable, StepLines };
enum class EditOp { Copy, Paste, Left, Right, Init, Random };

struct RangeEdit {
    EditTarget target;
    EditOp op;
};

// The range edit buttons of each model, by operation (copy, paste, left,
// right, init, random); kNoButton where the model has none.
constexpr int32_t kNoButton = -1;
struct RangeEditButtons {
    EditTarget target;
    int32_t byOp[6];
};

using enum EditTarget;
constexpr RangeEditButtons kRangeEdits[] = {
    {EventTable, {Tag::EventTableCopy, Tag::EventTablePaste, Tag::EventTableLeft, Tag::EventTableRight,
                  Tag::EventTableInit, kNoButton}},
    {Lane1, {Tag::Lane1Copy, Tag::Lane1Paste, Tag::Lane1Left, Tag::Lane1Right, Tag::Lane1Init, Tag::Lane1Random}},
    {Lane2, {Tag::Lane2Copy, Tag::Lane2Paste, Tag::Lane2Left, Tag::Lane2Right, Tag::Lane2Init, Tag::Lane2Random}},
    {Lane3, {Tag::Lane3Copy, Tag::Lane3Paste, Tag::Lane3Left, Tag::Lane3Right, Tag::Lane3Init, Tag::Lane3Random}},
    {Lane4, {Tag::Lane4Copy, Tag::Lane4Paste, Tag::Lane4Left, Tag::Lane4Right, Tag::Lane4Init, Tag::Lane4Random}},
    {Lane5, {Tag::Lane5Copy, Tag::Lane5Paste, Tag::Lane5Left, Tag::Lane5Right, Tag::Lane5Init, Tag::Lane5Random}},
    {GateTable, {Tag::GateTableCopy, Tag::GateTablePaste, Tag::GateTableLeft, Tag::GateTableRight, Tag::GateTableInit,
                 Tag::GateTableRandom}},
    {StepLines, {Tag::StepLinesCopy, Tag::StepLinesPaste, Tag::StepLinesLeft, Tag::StepLinesRight, Tag::StepLinesInit,
                 Tag::StepLinesRandom}},
    {ChordTable, {Tag::ChordTableCopy, Tag::ChordTablePaste, Tag::ChordTableLeft, Tag::ChordTableRight,
                  Tag::ChordTableInit, Tag::ChordTableRandom}},
};

// The pattern-wide buttons in the order their checks run.
constexpr int32_t kPatternWideButtons[6] = {Tag::PatternInit,   Tag::PatternCopy, Tag::PatternPaste,
                                            Tag::PatternRandom, Tag::PatternLeft, Tag::PatternRight};

// The check of a pattern-wide button; -1 for any other index.
int patternWideCheck(int32_t index) {
    for (int check = 0; check < 6; ++check)
        if (kPatternWideButtons[check] == index) return check;
    return -1;
}

// The edit a button runs; false when the index is no range edit button.
bool findRangeEdit(int32_t index, RangeEdit& edit) {
    for (const RangeEditButtons& model : kRangeEdits) {
        for (int op = 0; op < 6; ++op) {
            if (model.byOp[op] != index) continue;
            edit = {model.target, static_cast<EditOp>(op)};
            return true;
        }
    }
    return false;
}

void runTableEdit(BWTableXY& table, EditOp op, uint64_t from, uint64_t to) {
    switch (op) {
        case EditOp::Copy: table.copyShared(from, to); break;
        case EditOp::Paste: table.pasteShared(from, to); break;
        case EditOp::Left: table.BWTable::rotateLeft(from, to); break;
        case EditOp::Right: table.BWTable::rotateRight(from, to); break;
        case EditOp::Init: table.reset(); break;
        case EditOp::Random: table.BWTable::randomize(); break;
    }
}

void runLineEdit(BWBtnLine& line, EditOp op, uint64_t from, uint64_t to) {
    switch (op) {
        case EditOp::Copy: line.copyShared(from, to); break;
        case EditOp::Paste: line.pasteShared(from, to); break;
        case EditOp::Left: line.rotateLeft(from, to); break;
        case EditOp::Right: line.rotateRight(from, to); break;
        case EditOp::Init: line.fill(); break;
        case EditOp::Random: line.randomize(); break;
    }
}

void runInitInterface(BWInitInterface& entry, int check) {
    switch (check) {
        case 0: entry.resetCurrent(); break;
        case 1: entry.copy(0, 32); break;
        case 2: entry.paste(0, 32); break;
        case 3: entry.randomize(); break;
        case 4: entry.rotateLeft(0, 32); break;
        default: entry.rotateRight(0, 32); break;
    }
}

// A loop bound as a step number: never through an unsigned conversion of a
// negative or huge float, and never past the steps that exist.
uint64_t stepBound(float bound, uint64_t steps) {
    if (!(bound > 0.0f)) return 0;
    if (bound >= static_cast<float>(steps)) return steps;
    return static_cast<uint64_t>(bound);
}

}  // namespace

void Engine::applyPatternEdit(int32_t index, float v) {
    PatternEditState& p = engine.patterns;
    SteppedValue& record = p.records[index];
    if (applyStepper(index, v) || applyRangeEdit(index, v)) return;
    switch (index) {
        case Tag::EventTableFill: fillEventTable(); return;
        case Tag::GateTableFill: fillGateTable(); return;
        case Tag::RunSwitch: applyRunSwitch(v); return;
        case Tag::Clocksource: applyClockSource(v); return;
        case Tag::AssignOsc1:
        case Tag::AssignOsc2:
        case Tag::AssignOsc3: applyAssignSwitch(index - Tag::AssignOsc1, v); return;
        case Tag::PatternCopy:
        case Tag::PatternPaste:
        case Tag::PatternLeft:
        case Tag::PatternRight:
        case Tag::PatternInit:
        case Tag::PatternRandom:
            record.setSwitch(v);
            requests.requestRefresh();
            runPatternWideEdits();
            return;
        case Tag::InterfaceSwitch1:
        case Tag::InterfaceSwitch2: record.setSwitch(v); requests.requestRefresh(); return;
        case Tag::Arpmode:
        case Tag::TieOsc1:
        case Tag::TieOsc2:
        case Tag::TieOsc3:
        case Tag::TieExtra: record.setSwitch(v); return;
        case Tag::Osc1SelectorA:
        case Tag::Osc1SelectorB:
        case Tag::Osc2SelectorA:
        case Tag::Osc2SelectorB:
        case Tag::Osc3SelectorA:
        case Tag::Osc3SelectorB: record.setSteps(v, stepCount(index)); requests.requestRefresh(); return;
        default: return;  // 216, 222, 229, 232 and the unused indices
    }
}

bool Engine::applyStepper(int32_t index, float v) {
    for (const Stepper& stepper : kSteppers) {
        if (index != stepper.up && index != stepper.down) continue;
        SteppedValue& record = engine.patterns.records[index];
        if (v >= 0.5f && record.raw < 0.5f) {
            const float step = std::bit_cast<float>(stepper.stepBits);
            const int32_t k = stepper.target == Tag::ChordSeqDivide ? engine.sequencer.chordSequenceDivide.stepIndex
                                                                    : engine.patterns.records[stepper.target].stepIndex;
            const int32_t last = stepper.entries - 1;
            float value;
            if (index == stepper.up) {
                value = k < last ? static_cast<float>(k + 1) * step : 0.0f;
            } else {
                // Just above 1 at the first entry: the target limits it to its last.
                value = k > 0 ? static_cast<float>(k - 1) * step : static_cast<float>(stepper.entries) * step;
            }
            send(stepper.target, value);
        }
        record.setSwitch(v);
        requests.requestRefresh();
        return true;
    }
    return false;
}

// Copy and paste go through the process's clipboards: the thread that
// pressed runs them (runClipboardEdit), never the render.
bool Engine::applyRangeEdit(int32_t index, float v) {
    RangeEdit edit;
    if (!findRangeEdit(index, edit)) return false;
    engine.patterns.records[index].setSwitch(v);
    requests.requestRefresh();
    if (v == 0.0f && !ClipboardRequests::isButton(index)) runRangeEdit(index);
    return true;
}

bool Engine::loopRange(uint64_t steps, uint64_t& from, uint64_t& to) const {
    from = stepBound(loadShared(engine.patterns.loopStart), steps);
    to = stepBound(loadShared(engine.patterns.loopEnd), steps);
    return from <= to;
}

void Engine::runRangeEdit(int32_t index) {
    RangeEdit edit;
    if (!findRangeEdit(index, edit)) return;
    uint64_t from = 0;
    uint64_t to = 0;
    switch (edit.target) {
        case EditTarget::EventTable: runTableEdit(models.eventTable, edit.op, 0, 48); return;
        case EditTarget::StepLines:
            if (!loopRange(models.stepLines[0].getStepCount(), from, to)) return;
            for (BWBtnLine& line : models.stepLines) runLineEdit(line, edit.op, from, to);
            return;
        default: break;
    }
    BWTableXY& table = edit.target == EditTarget::GateTable    ? models.gateTable
                       : edit.target == EditTarget::ChordTable ? models.chordTable
                       : models.cutoffLane(static_cast<int>(edit.target) - static_cast<int>(EditTarget::Lane1));
    if (loopRange(table.getCount(), from, to)) runTableEdit(table, edit.op, from, to);
}

void Engine::runPatternWideEdits() {
    PatternEditState& p = engine.patterns;
    for (int check = 0; check < 6; ++check) {
        const float state = p.records[kPatternWideButtons[check]].step;
        if (state == p.patternWideMemory[check]) continue;
        p.patternWideMemory[check] = state;
        if (state == 0.0f && !ClipboardRequests::isButton(kPatternWideButtons[check])) runPatternWideEdit(check);
    }
}

void Engine::runPatternWideEdit(int check) {
    for (BWInitInterface* entry : context.initInterfaceList) {
        if (entry && entry->id == 1) runInitInterface(*entry, check);
    }
    context.patternsChanged.store(true);
}

// Reads only what the render publishes as atomics (the loop zone) and the
// models, whose own atomics and gates let it run beside the render.
void Engine::runClipboardEdit(int32_t index) {
    assert(hold.notRenderingHere() && "the clipboards are the process's: never touched in a render");
    if (!ClipboardRequests::isButton(index)) return;
    RangeEdit edit;
    if (findRangeEdit(index, edit)) {
        runRangeEdit(index);
    } else {
        runPatternWideEdit(patternWideCheck(index));
    }
    requests.requestRefresh();
}

// A fill button writes its values onto the table's current page once per
// press: the record's step changes only on a new press.
void Engine::fillTablePage(int32_t index, float& memory, BWTableXY& table, float pageValue,
                                std::span<const float> values) {
    SteppedValue& record = engine.patterns.records[index];
    record.setSwitch(engine.raw[index]);
    requests.requestRefresh();
    if (record.step == memory) return;
    memory = record.step;
    const uint64_t page = stepBound(pageValue, UINT32_MAX);
    for (uint64_t i = 0; i < values.size(); ++i) table.setValueOnPage(i, page, values[i]);
}

void Engine::fillEventTable() {
    PatternEditState& p = engine.patterns;
    fillTablePage(Tag::EventTableFill, p.eventFillMemory, models.eventTable, p.eventTablePage, p.shiftedChordList);
}

void Engine::fillGateTable() {
    PatternEditState& p = engine.patterns;
    fillTablePage(Tag::GateTableFill, p.gateFillMemory, models.gateTable, p.gateTablePage, p.factoryGateValues);
}

void Engine::applyRunSwitch(float v) {
    SequencerState& s = engine.sequencer;
    SteppedValue& record = engine.patterns.records[Tag::RunSwitch];
    record.setSwitch(v);
    const int32_t run = record.stepIndex;
    host.runStateChanged(run);
    s.runGate = run > 0 ? 1.0f : 0.0f;
    if (record.step != s.runMemory) {
        s.runMemory = record.step;
        s.retrigger = record.step;
    }
    passRetrigger();
    updateLayerGains();
}

// A new run or a counted preset load restarts the reverser's capture: its
// trigger value toggles between 1.0 and 0.98 on every rise of the counter.
void Engine::passRetrigger() {
    SequencerState& s = engine.sequencer;
    if (s.loadPresetCount != s.loadCountMemory) {
        s.loadCountMemory = s.loadPresetCount;
        s.retrigger = s.loadPresetCount;
    }
    if (s.retrigger != s.lastRetrigger) {
        s.lastRetrigger = s.retrigger;
        if (s.retrigger > 0.0f) s.reverserTrigger = s.reverserTrigger == 1.0f ? 0.98f : 1.0f;
    }
    chain.reverser.setParameter(BWReverserX2::kTrig, s.reverserTrigger);
}

void Engine::updateLayerGains() {
    const float run = engine.patterns.records[Tag::RunSwitch].step;
    for (LayerState& layer : engine.layers) {
        layer.gain = run * layer.soundSwitch.step;
        layer.gainFromOwnSource = layer.gain != 0.0f;
    }
}

void Engine::applyClockSource(float v) {
    SequencerState& s = engine.sequencer;
    SteppedValue& record = engine.patterns.records[Tag::Clocksource];
    record.setSwitch(v);
    const float source = record.stepIndex >= 1 ? context.playing.load() : s.internalRunFlag;
    if (source != s.runSource) {
        s.runSource = source;
        send(Tag::RunSwitch, source);
    }
}

void Engine::applyAssignSwitch(int layer, float v) {
    SteppedValue& record = engine.patterns.records[Tag::AssignOsc1 + layer];
    record.setSwitch(v);
    using S = LayerState::Source;
    engine.layers[layer].assignReaders = record.stepIndex == 0
                                             ? std::array<int32_t, 4>{S::kSourceA, S::kSourceB, S::kZeroSource, S::kZeroSource}
                                             : std::array<int32_t, 4>{S::kZeroSource, S::kZeroSource, S::kSourceA, S::kSourceB};
}
