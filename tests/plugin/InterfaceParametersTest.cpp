// Page switches, lists, filter type, modulation area and step entry (307 to
// 389): what they leave in the page set, the records and the models.

#include <gtest/gtest.h>

#include <vector>

#include "support/InstanceTestSupport.h"

namespace {

std::vector<int32_t> shownPages(const PageSet& pages, int32_t from, int32_t to) {
    std::vector<int32_t> shown;
    for (int32_t page = from; page <= to; ++page) {
        if (pages.isShown(page)) shown.push_back(page);
    }
    return shown;
}

}  // namespace

TEST_F(InstanceTest, PageSwitchesShowTheirStatesPatternUnderAShownParent) {
    PageSet& pages = instance->interfaceRequests().pages;
    for (int32_t page : {30, 31, 32}) pages.setPageBit(page, true);
    pages.setPageBit(0, false);
    set(Tag::ChordModePages, 1.0f);
    EXPECT_EQ(shownPages(pages, 30, 32), std::vector<int32_t>{}) << "a hidden parent hides all";

    pages.setPageBit(0, true);
    set(Tag::ChordModePages, 1.0f);
    EXPECT_EQ(shownPages(pages, 30, 32), std::vector<int32_t>{30});
    set(Tag::ChordModePages, 0.0f);
    EXPECT_EQ(shownPages(pages, 30, 32), (std::vector<int32_t>{31, 32}));

    // 350 at state 2: page 20 goes (re-sending 348), page 22 comes (re-sending
    // 351, which then shows its page 27 for its stored state 0).
    for (int32_t page = 20; page <= 29; ++page) pages.setPageBit(page, false);
    pages.setPageBit(20, true);
    pages.setPageBit(25, true);
    set(Tag::ModulationPage3, 0.0f);
    set(Tag::ModulationTracks, 0.5f);
    EXPECT_EQ(shownPages(pages, 20, 29), (std::vector<int32_t>{22, 27}));
    EXPECT_EQ(state.patterns.records[350].stepIndex, 2);

    // "MouseArea" at the top picks track 4 and sends 350 the value 1.0.
    set(Tag::ModulationTrackArea, 1.0f);
    EXPECT_FLOAT_EQ(state.patterns.records[350].raw, 1.0f);
    EXPECT_EQ(shownPages(pages, 20, 24), std::vector<int32_t>{24});

    // The delay switch under page 11 moves the delay mix to the sixteenth delay.
    pages.setPageBit(11, true);
    set(Tag::DlyOnOff, 1.0f);
    set(Tag::DlyMix, 1.0f);
    set(Tag::DelaySwitch, 1.0f);
    EXPECT_EQ(shownPages(pages, 2, 3), std::vector<int32_t>{3});
    EXPECT_FLOAT_EQ(state.patterns.effectMix[PatternEditState::kDelay16], 1.0f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[PatternEditState::kDoubleDelay], 0.0f);
    EXPECT_TRUE(instance->isPageVisible(3));
    pages.setPageBit(500, true);  // beyond the set: nothing
    EXPECT_FALSE(instance->isPageVisible(500));
}

TEST_F(InstanceTest, ListsAndSelectorsTakeTheirLastEntryAtTheTop) {
    set(Tag::Chordlist, 1.0f);
    EXPECT_EQ(models.chordList.getCurrentPage(), 7u);
    set(Tag::ExportLength, 1.0f);
    EXPECT_FLOAT_EQ(state.patterns.exportBars[0], 64.0f);
    EXPECT_FLOAT_EQ(state.patterns.exportBars[1], 64.0f);
    set(Tag::ExportLength, 0.5f);
    EXPECT_FLOAT_EQ(state.patterns.exportBars[1], 8.0f);
    set(Tag::Osc1Channel, 1.0f);
    EXPECT_EQ(state.patterns.records[329].stepIndex, 15);
    set(Tag::Lane5Row, 1.0f);
    EXPECT_EQ(state.patterns.records[336].stepIndex, 5);
}

TEST_F(InstanceTest, FilterTypeModesFollowTheStrictThresholds) {
    struct Case {
        float w;
        float v;
        int32_t flag;
        int32_t selector;  // the step sent to 344 .. 347
    } cases[] = {
        {0.2f, 0.2f, 0, 0}, {0.2f, 0.6f, 2, 2}, {0.8f, 0.9f, 3, 3},
        {0.8f, 0.5f, 4, 4}, {0.8f, 0.1f, 1, 1}, {0.8f, 0.7f, 0, 0},  // exactly 0.7: no row holds
        {0.5f, 0.9f, 0, 0},
    };
    for (const Case& c : cases) {
        instance->parameterInbox().filterTypeCompanion.store(c.w);
        set(Tag::FilterType, c.v);
        for (int32_t flag = 0; flag < 5; ++flag) {
            EXPECT_FLOAT_EQ(state.filter.typeFlags[flag], flag == c.flag ? 1.0f : 0.0f) << c.w << " " << c.v;
        }
        for (int32_t index = 344; index <= 347; ++index) {
            EXPECT_EQ(state.patterns.records[index].stepIndex, c.selector) << index << " " << c.w << " " << c.v;
        }
        EXPECT_EQ(state.filter.typeSources[0], c.selector);
    }
}

TEST_F(InstanceTest, StepEntryWritesAtTheCursorAndMarksTheViewDirty) {
    InterfaceRequests& requests = instance->interfaceRequests();
    requests.takeDirtyViews();
    state.patterns.stepCursor = 3;
    BWBtnLine& line = models.stepLine(0);  // "Acclr8", values up to 3
    set(Tag::StepEntryAccent, 0.5f);
    EXPECT_FLOAT_EQ(line.getStepOnLine(line.getCurrentLine(), 3), 2.0f);  // trunc(1.5 + 0.5)
    EXPECT_EQ(requests.takeDirtyViews(), static_cast<uint32_t>(kStepLine1View));
    set(Tag::StepEntryGlide, 1.0f);  // "GLIDE": grid 5
    EXPECT_EQ(requests.takeDirtyViews(), static_cast<uint32_t>(kStepLine1View) << 4);

    set(Tag::Cutoff2, 0.25f);
    EXPECT_FLOAT_EQ(models.cutoffLane(1).getNormalized(3), 0.25f);
    set(Tag::ChordTable, 1.0f);
    EXPECT_FLOAT_EQ(models.chordTable.getNormalized(3), 1.0f);
    EXPECT_EQ(requests.takeDirtyViews(), (static_cast<uint32_t>(kLane1View) << 1) | kChordTableView);

    state.patterns.stepCursor = 32;  // no step there: nothing written, nothing read out of the line
    set(Tag::StepEntryAccent, 1.0f);
    set(Tag::GateTable, 1.0f);
    EXPECT_EQ(requests.takeDirtyViews(), static_cast<uint32_t>(kStepLine1View) | kGateTableView);
}
