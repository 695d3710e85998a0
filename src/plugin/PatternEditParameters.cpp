// Indices 204 to 306: the steppers, the range edit buttons of the lanes,
// tables and step lines, the pattern-wide buttons, the table fills, the run
// and clock switches and the plain switches of the sequencer.  Buttons act
// when they are let go (value exactly 0); steppers on a rising edge.

#include <bit>
#include <cmath>

#include "plugin/BWUniClient.h"

namespace {

struct Stepper {
    int32_t up;
    int32_t down;
    int32_t target;
    int32_t entries;
    uint32_t stepBits;  // 1/N + 0.00001 as a 32-bit float
};

constexpr Stepper kSteppers[] = {
    {205, 206, 327, 12, 0x3DAAAFE9u}, {207, 208, 326, 8, 0x3E00029Fu}, {218, 219, 328, 6, 0x3E2AAD4Au},
    {241, 242, 332, 10, 0x3DCCD20Bu}, {249, 250, 333, 10, 0x3DCCD20Bu}, {257, 258, 334, 10, 0x3DCCD20Bu},
    {265, 266, 335, 10, 0x3DCCD20Bu}, {273, 274, 336, 6, 0x3E2AAD4Au},  {277, 278, 79, 3, 0x3EAAABFBu},
    {301, 302, 337, 8, 0x3E00029Fu},  {324, 325, 339, 14, 0x3D924E63u},
};

enum class EditTarget { EventTable, Lane1, Lane2, Lane3, Lane4, Lane5, GateTable, ChordTable, StepLines };
enum class EditOp { Copy, Paste, Left, Right, Init, Random };

struct RangeEdit {
    int32_t index;
    EditTarget target;
    EditOp op;
};

constexpr RangeEdit kRangeEdits[] = {
    {209, EditTarget::EventTable, EditOp::Copy}, {210, EditTarget::EventTable, EditOp::Paste},
    {211, EditTarget::EventTable, EditOp::Left}, {212, EditTarget::EventTable, EditOp::Right},
    {213, EditTarget::EventTable, EditOp::Init},
    {236, EditTarget::Lane1, EditOp::Copy}, {237, EditTarget::Lane1, EditOp::Paste},
    {238, EditTarget::Lane1, EditOp::Left}, {239, EditTarget::Lane1, EditOp::Right},
    {240, EditTarget::Lane1, EditOp::Init}, {243, EditTarget::Lane1, EditOp::Random},
    {244, EditTarget::Lane2, EditOp::Copy}, {245, EditTarget::Lane2, EditOp::Paste},
    {246, EditTarget::Lane2, EditOp::Left}, {247, EditTarget::Lane2, EditOp::Right},
    {248, EditTarget::Lane2, EditOp::Init}, {251, EditTarget::Lane2, EditOp::Random},
    {252, EditTarget::Lane3, EditOp::Copy}, {253, EditTarget::Lane3, EditOp::Paste},
    {254, EditTarget::Lane3, EditOp::Left}, {255, EditTarget::Lane3, EditOp::Right},
    {256, EditTarget::Lane3, EditOp::Init}, {259, EditTarget::Lane3, EditOp::Random},
    {260, EditTarget::Lane4, EditOp::Copy}, {261, EditTarget::Lane4, EditOp::Paste},
    {262, EditTarget::Lane4, EditOp::Left}, {263, EditTarget::Lane4, EditOp::Right},
    {264, EditTarget::Lane4, EditOp::Init}, {267, EditTarget::Lane4, EditOp::Random},
    {268, EditTarget::Lane5, EditOp::Copy}, {269, EditTarget::Lane5, EditOp::Paste},
    {270, EditTarget::Lane5, EditOp::Left}, {271, EditTarget::Lane5, EditOp::Right},
    {272, EditTarget::Lane5, EditOp::Init}, {275, EditTarget::Lane5, EditOp::Random},
    {286, EditTarget::GateTable, EditOp::Copy}, {287, EditTarget::GateTable, EditOp::Paste},
    {288, EditTarget::GateTable, EditOp::Left}, {289, EditTarget::GateTable, EditOp::Right},
    {290, EditTarget::GateTable, EditOp::Init}, {304, EditTarget::GateTable, EditOp::Random},
    {291, EditTarget::StepLines, EditOp::Copy}, {292, EditTarget::StepLines, EditOp::Paste},
    {293, EditTarget::StepLines, EditOp::Left}, {294, EditTarget::StepLines, EditOp::Right},
    {295, EditTarget::StepLines, EditOp::Init}, {303, EditTarget::StepLines, EditOp::Random},
    {296, EditTarget::ChordTable, EditOp::Copy}, {297, EditTarget::ChordTable, EditOp::Paste},
    {298, EditTarget::ChordTable, EditOp::Left}, {299, EditTarget::ChordTable, EditOp::Right},
    {300, EditTarget::ChordTable, EditOp::Init}, {305, EditTarget::ChordTable, EditOp::Random},
};

// The pattern-wide buttons in the order their checks run.
constexpr int32_t kPatternWideButtons[6] = {284, 280, 281, 306, 282, 283};

const RangeEdit* findRangeEdit(int32_t index) {
    for (const RangeEdit& edit : kRangeEdits) {
        if (edit.index == index) return &edit;
    }
    return nullptr;
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

void BWUniClient::applyPatternEdit(int32_t index, float v) {
    PatternEditState& p = engine.patterns;
    SteppedValue& record = p.records[index];
    if (applyStepper(index, v) || applyRangeEdit(index, v)) return;
    switch (index) {
        case 204: fillEventTable(); return;
        case 285: fillGateTable(); return;
        case 279: applyRunSwitch(v); return;
        case 276: applyClockSource(v); return;
        case 233:
        case 234:
        case 235: applyAssignSwitch(index - 233, v); return;
        case 280:
        case 281:
        case 282:
        case 283:
        case 284:
        case 306:
            record.setSwitch(v);
            requests.requestRefresh();
            runPatternWideEdits();
            return;
        case 214:
        case 215: record.setSwitch(v); requests.requestRefresh(); return;
        case 217:
        case 223:
        case 224:
        case 225:
        case 226: record.setSwitch(v); return;
        case 220:
        case 221:
        case 227:
        case 228:
        case 230:
        case 231: record.setSteps(v, 5); requests.requestRefresh(); return;
        default: return;  // 216, 222, 229, 232 and the unused indices
    }
}

bool BWUniClient::applyStepper(int32_t index, float v) {
    for (const Stepper& stepper : kSteppers) {
        if (index != stepper.up && index != stepper.down) continue;
        SteppedValue& record = engine.patterns.records[index];
        if (v >= 0.5f && record.raw < 0.5f) {
            const float step = std::bit_cast<float>(stepper.stepBits);
            const int32_t k = stepper.target == 79 ? engine.sequencer.chordSequenceDivide.stepIndex
                                                   : engine.patterns.records[stepper.target].stepIndex;
            const int32_t last = stepper.entries - 1;
            float value;
            if (index == stepper.up) {
                value = k < last ? static_cast<float>(k + 1) * step : 0.0f;
            } else {
                // Just above 1 at the first entry: the target limits it to its last.
                value = k > 0 ? static_cast<float>(k - 1) * step : static_cast<float>(stepper.entries) * step;
            }
            setParameter(stepper.target, value);
        }
        record.setSwitch(v);
        requests.requestRefresh();
        return true;
    }
    return false;
}

bool BWUniClient::applyRangeEdit(int32_t index, float v) {
    if (!findRangeEdit(index)) return false;
    engine.patterns.records[index].setSwitch(v);
    requests.requestRefresh();
    if (v == 0.0f) runRangeEdit(index);
    return true;
}

bool BWUniClient::loopRange(uint64_t steps, uint64_t& from, uint64_t& to) const {
    from = stepBound(engine.patterns.loopStart, steps);
    to = stepBound(engine.patterns.loopEnd, steps);
    return from <= to;
}

void BWUniClient::runRangeEdit(int32_t index) {
    const RangeEdit& edit = *findRangeEdit(index);
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

void BWUniClient::runPatternWideEdits() {
    PatternEditState& p = engine.patterns;
    for (int check = 0; check < 6; ++check) {
        const float state = p.records[kPatternWideButtons[check]].step;
        if (state == p.patternWideMemory[check]) continue;
        p.patternWideMemory[check] = state;
        if (state != 0.0f) continue;
        for (BWInitInterface* entry : context.initInterfaceList) {
            if (entry && entry->id == 1) runInitInterface(*entry, check);
        }
        context.patternsChanged.store(true);
    }
}

// A fill button writes its values onto the table's current page once per
// press: the record's step changes only on a new press.
void BWUniClient::fillTablePage(int32_t index, float& memory, BWTableXY& table, float pageValue,
                                std::span<const float> values) {
    SteppedValue& record = engine.patterns.records[index];
    record.setSwitch(engine.raw[index]);
    requests.requestRefresh();
    if (record.step == memory) return;
    memory = record.step;
    const uint64_t page = stepBound(pageValue, UINT32_MAX);
    for (uint64_t i = 0; i < values.size(); ++i) table.setValueOnPage(i, page, values[i]);
}

void BWUniClient::fillEventTable() {
    PatternEditState& p = engine.patterns;
    fillTablePage(204, p.eventFillMemory, models.eventTable, p.eventTablePage, p.shiftedChordList);
}

void BWUniClient::fillGateTable() {
    PatternEditState& p = engine.patterns;
    fillTablePage(285, p.gateFillMemory, models.gateTable, p.gateTablePage, p.factoryGateValues);
}

void BWUniClient::applyRunSwitch(float v) {
    SequencerState& s = engine.sequencer;
    SteppedValue& record = engine.patterns.records[279];
    record.setSwitch(v);
    const int32_t run = record.stepIndex;
    callHost(53, run, 0, nullptr, 0.0f);
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
void BWUniClient::passRetrigger() {
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

void BWUniClient::updateLayerGains() {
    const float run = engine.patterns.records[279].step;
    for (LayerState& layer : engine.layers) {
        layer.gain = run * layer.soundSwitch.step;
        layer.gainFromOwnSource = layer.gain != 0.0f;
    }
}

void BWUniClient::applyClockSource(float v) {
    SequencerState& s = engine.sequencer;
    SteppedValue& record = engine.patterns.records[276];
    record.setSwitch(v);
    const float source = record.stepIndex >= 1 ? context.playing.load() : s.internalRunFlag;
    if (source != s.runSource) {
        s.runSource = source;
        setParameter(279, source);
    }
}

void BWUniClient::applyAssignSwitch(int layer, float v) {
    SteppedValue& record = engine.patterns.records[233 + layer];
    record.setSwitch(v);
    using S = LayerState::Source;
    engine.layers[layer].assignReaders = record.stepIndex == 0
                                             ? std::array<int32_t, 4>{S::kSourceA, S::kSourceB, S::kZeroSource, S::kZeroSource}
                                             : std::array<int32_t, 4>{S::kZeroSource, S::kZeroSource, S::kSourceA, S::kSourceB};
}
