// Steppers, range edits, pattern-wide edits and table fills (204 to 306).

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "plugin/BindingTable.h"
#include "support/InstanceTestSupport.h"

namespace {

// The up and down buttons of a stepped value; it wraps around its binding's
// step count.
struct StepperCase {
    int32_t up;
    int32_t down;
    int32_t target;
};

const StepperCase kSteppers[] = {
    {Tag::ChordListRotationUp, Tag::ChordListRotationDown, Tag::ChordListRotation},
    {Tag::ChordListPageUp, Tag::ChordListPageDown, Tag::Chordlist},
    {Tag::RestartArpUp, Tag::RestartArpDown, Tag::RestartArp},
    {Tag::Lane1RowUp, Tag::Lane1RowDown, Tag::Lane1Row},
    {Tag::Lane2RowUp, Tag::Lane2RowDown, Tag::Lane2Row},
    {Tag::Lane3RowUp, Tag::Lane3RowDown, Tag::Lane3Row},
    {Tag::Lane4RowUp, Tag::Lane4RowDown, Tag::Lane4Row},
    {Tag::Lane5RowUp, Tag::Lane5RowDown, Tag::Lane5Row},
    {Tag::ChordSeqDivideUp, Tag::ChordSeqDivideDown, Tag::ChordSeqDivide},
    {Tag::FactoryPatternsUp, Tag::FactoryPatternsDown, Tag::Factorypatterns},
    {Tag::ExportLengthUp, Tag::ExportLengthDown, Tag::ExportLength},
};

// The lane's first eight points, as written.
std::vector<float> firstPoints(BWTableXY& table, int n = 8) {
    std::vector<float> points;
    for (int i = 0; i < n; ++i) points.push_back(table.getValue(i));
    return points;
}

void writeRamp(BWTableXY& table) {
    for (uint64_t i = 0; i < table.getCount(); ++i) table.setValue(i, 0.01f * static_cast<float>(i + 1));
}

}  // namespace

TEST_F(InstanceTest, SteppersWrapAroundTheirTargetsOnRisingEdgesOnly) {
    for (const StepperCase& c : kSteppers) {
        auto entry = [&] {
            return c.target == Tag::ChordSeqDivide ? state.sequencer.chordSequenceDivide.stepIndex
                                  : state.patterns.records[c.target].stepIndex;
        };
        set(c.target, 0.0f);
        click(c.down);
        EXPECT_EQ(entry(), stepCount(c.target) - 1) << "down from the first entry wraps to the last: " << c.down;
        click(c.up);
        EXPECT_EQ(entry(), 0) << "up from the last wraps to the first: " << c.up;
        click(c.up);
        EXPECT_EQ(entry(), 1) << c.up;
        click(c.down);
        EXPECT_EQ(entry(), 0) << c.down;
        set(c.up, 0.7f);
        set(c.up, 0.6f);  // still pressed: no second step
        EXPECT_EQ(entry(), 1) << c.up;
        set(c.up, 0.0f);
    }
}

TEST_F(InstanceTest, RangeEditsRunOnReleaseOverTheLoopZoneLimitedToTheSteps) {
    BWTableXY& lane = models.cutoffLane(0);
    struct Case {
        float loopStart;
        float loopEnd;
        bool rotates;
        const char* what;
    } cases[] = {
        {0.0f, 4.0f, true, "steps 0 to 3"},
        {0.0f, 0.0f, true, "bounds of 0: the whole table"},
        {-7.0f, 1e30f, true, "negative and huge bounds: the whole table"},
        {NAN, NAN, true, "NaN bounds read as 0"},
        {10.0f, 4.0f, false, "start beyond end: nothing"},
    };
    for (const Case& c : cases) {
        writeRamp(lane);
        state.patterns.loopStart = c.loopStart;
        state.patterns.loopEnd = c.loopEnd;
        const std::vector<float> before = firstPoints(lane);
        set(Tag::Lane1Left, 1.0f);
        EXPECT_EQ(firstPoints(lane), before) << "pressing alone edits nothing: " << c.what;
        set(Tag::Lane1Left, 0.0f);
        EXPECT_EQ(firstPoints(lane) != before, c.rotates) << c.what;
        EXPECT_FLOAT_EQ(lane.getValue(0), c.rotates ? 0.02f : 0.01f) << c.what;
    }
    // Releasing twice edits twice.
    writeRamp(lane);
    state.patterns.loopStart = 0.0f;
    state.patterns.loopEnd = 4.0f;
    set(Tag::Lane1Left, 0.0f);
    set(Tag::Lane1Left, 0.0f);
    EXPECT_FLOAT_EQ(lane.getValue(0), 0.03f);
}

TEST_F(InstanceTest, PatternWideButtonsActOnceOnReleaseOnEveryModelOfGroupOne) {
    for (int lane = 0; lane < 5; ++lane) writeRamp(models.cutoffLane(lane));
    writeRamp(models.chordList);  // group 0: left alone
    const std::vector<float> listBefore = firstPoints(models.chordList);
    set(Tag::PatternLeft, 1.0f);
    EXPECT_FLOAT_EQ(models.cutoffLane(2).getValue(0), 0.01f);
    set(Tag::PatternLeft, 0.0f);
    for (int lane = 0; lane < 5; ++lane) EXPECT_FLOAT_EQ(models.cutoffLane(lane).getValue(0), 0.02f) << lane;
    EXPECT_EQ(firstPoints(models.chordList), listBefore);
    EXPECT_TRUE(instance->getSystemInfo()->patternsChanged.exchange(false));
    set(Tag::PatternLeft, 0.0f);  // no change of state: nothing more
    EXPECT_FLOAT_EQ(models.cutoffLane(0).getValue(0), 0.02f);
    EXPECT_FALSE(instance->getSystemInfo()->patternsChanged.load());
}

TEST_F(InstanceTest, FillsCopyTheRotatedChordListAndTheFactoryGatesOncePerState) {
    set(Tag::Chordlist, 0.0f);  // chord list page 0: ones at 12, 24, 28, 31, 36
    set(Tag::ChordListRotation, 1.0f);  // rotation 11
    for (int i = 0; i < 11; ++i) EXPECT_FLOAT_EQ(state.patterns.shiftedChordList[i], 0.0f);
    EXPECT_FLOAT_EQ(state.patterns.shiftedChordList[23], 1.0f);  // 12 + 11
    EXPECT_FLOAT_EQ(state.patterns.shiftedChordList[47], 1.0f);  // 36 + 11
    state.patterns.eventTablePage = 3.0f;
    set(Tag::EventTableFill, 1.0f);
    EXPECT_FLOAT_EQ(models.eventTable.getValueOnPage(23, 3), 1.0f);
    EXPECT_FLOAT_EQ(models.eventTable.getValueOnPage(12, 3), 0.0f);
    models.eventTable.setValueOnPage(23, 3, 0.0f);
    set(Tag::EventTableFill, 1.0f);  // same state: no second fill
    EXPECT_FLOAT_EQ(models.eventTable.getValueOnPage(23, 3), 0.0f);

    set(Tag::Factorypatterns, 0.0f);  // factory pattern 0 four times over
    state.patterns.gateTablePage = 2.0f;
    set(Tag::GateTableFill, 1.0f);
    const float pattern0[8] = {1, 0, 0.133333f, 0, 0.666667f, 0, 0.133333f, 0};
    for (int i = 0; i < 32; ++i) EXPECT_NEAR(models.gateTable.getValueOnPage(i, 2), pattern0[i % 8], 1e-5f) << i;
}

TEST_F(InstanceTest, RunSwitchTogglesTheReverserTriggerAndGatesTheLayers) {
    set(Tag::Osc1Sound, 1.0f);
    set(Tag::RunSwitch, 1.0f);
    EXPECT_FLOAT_EQ(state.sequencer.runGate, 1.0f);
    EXPECT_FLOAT_EQ(state.layers[0].gain, 1.0f);
    const float trigger = state.sequencer.reverserTrigger;
    EXPECT_FLOAT_EQ(instance->audioEngine().effects().reverser.getValue(BWReverserX2::kTrig), trigger);
    set(Tag::RunSwitch, 0.0f);
    EXPECT_FLOAT_EQ(state.layers[0].gain, 0.0f);
    EXPECT_FALSE(state.layers[0].gainFromOwnSource);
    set(Tag::RunSwitch, 1.0f);
    EXPECT_NE(state.sequencer.reverserTrigger, trigger) << "each start retriggers";

    // Clock from the host transport: the run switch follows its play flag.
    instance->getSystemInfo()->playing = 1.0f;
    set(Tag::Clocksource, 1.0f);
    EXPECT_FLOAT_EQ(state.patterns.records[279].step, 1.0f);
    instance->getSystemInfo()->playing = 0.0f;
    set(Tag::Clocksource, 1.0f);
    EXPECT_FLOAT_EQ(state.patterns.records[279].step, 0.0f);
    set(Tag::AssignOsc1, 1.0f);
    EXPECT_EQ(state.layers[0].assignReaders[2], LayerState::kSourceA);
    EXPECT_EQ(state.layers[0].assignReaders[0], LayerState::kZeroSource);
}

// What the editor sends between two ticks reaches the engine at the next
// one: a button pressed and let go in between is still a click, and a knob
// moved twice keeps its last value.  Each list is what one tick finds in
// the inbox ("Osc1 Level", then the lane-1 left button over the whole lane,
// then the chord list's page stepper).
TEST_F(InstanceTest, TheNextTickTakesClicksAndLastValuesStoredBetweenTicks) {
    struct Case {
        std::vector<std::vector<float>> ticks;
        float level;       // "Osc1 Level" after them
        int32_t rotations;  // of lane 1, by "lm1"
        int32_t page;       // of the chord list, by its up stepper
        const char* what;
    } cases[] = {
        {{{0.2f, 0.7f}}, 0.7f, 0, 1, "moved twice: the last value; the buttons pressed"},
        {{{1.0f, 0.0f}}, 0.0f, 1, 1, "a click within one tick"},
        {{{1.0f}, {0.0f}}, 0.0f, 1, 1, "pressed in one tick, let go in the next"},
        {{{1.0f}}, 1.0f, 0, 1, "pressed and held"},
        {{{0.0f}, {0.0f}}, 0.0f, 2, 0, "released twice: two edits, no step"},
        {{{1.0f, 0.0f}, {1.0f, 0.0f}}, 0.0f, 2, 2, "a click in each of two ticks"},
        {{{1.0f, 0.0f, 1.0f, 0.0f}}, 0.0f, 1, 1, "two clicks within one tick count once"},
    };
    BWTableXY& lane = models.cutoffLane(0);
    for (const Case& c : cases) {
        set(Tag::Osc1Level, 0.5f);
        set(Tag::Lane1Left, 0.0f);
        set(Tag::ChordListPageUp, 0.0f);
        set(Tag::Chordlist, 0.0f);
        writeRamp(lane);
        state.patterns.loopStart = 0.0f;
        state.patterns.loopEnd = 0.0f;
        for (const std::vector<float>& tick : c.ticks) {
            for (float v : tick) {
                // The level takes the values themselves; the buttons a press
                // for every value from 0.5.
                instance->setParameter(Tag::Osc1Level, v);
                instance->setParameter(Tag::Lane1Left, v);
                instance->setParameter(Tag::ChordListPageUp, v);
            }
            ASSERT_TRUE(instance->deriveNow());
        }
        EXPECT_FLOAT_EQ(state.layers[0].outputGain, c.level) << c.what;
        EXPECT_FLOAT_EQ(lane.getValue(0), 0.01f * float(1 + c.rotations)) << c.what;
        EXPECT_EQ(state.patterns.records[Tag::Chordlist].stepIndex, c.page) << c.what;
    }
}
