// The last buttons, the mouse areas and the pattern editors of the
// sequencer: five button lines and eight step tables.

#include "editor/LayoutRows.h"

namespace layout {
namespace {

constexpr ButtonRow late(int32_t tag, int16_t page, Box box, int16_t image, uint8_t initial, Margins margins) {
    return {tag, page, box, image, initial, 1, 2, true, margins, false, 0, false};
}

constexpr LateButton kLateButtons[] = {
    {Tag::ChordModePages, late(Tag::Osc1Sound, 1, {163, 168, 21, 21}, Image::PowerButton, 0, m(5))},
    {Tag::Osc1Sound, late(Tag::Osc2Sound, 1, {353, 168, 21, 21}, Image::PowerButton, 0, m(5))},
    {Tag::Osc2Sound, late(Tag::Osc3Sound, 1, {543, 168, 21, 21}, Image::PowerButton, 0, m(5))},
    {Tag::Osc3Sound, late(Tag::FilterVoiceMode, 1, {586, 110, 57, 13}, Image::PolyMonoButton, 0, m(1))},
    {Tag::ModulationPage5, late(Tag::SoundDelayPages, 0, {206, 21, 128, 11}, Image::PageSelector, 0, m(0, 8, 0, 8))},
    {Tag::SoundDelayPages, late(Tag::PatternOctave, 14, {615, 572, 30, 17}, Image::OctaveButton, 0, m(4, 3, 4, 3))},
    {Tag::PatternOctave,
     {Tag::OctavePages, kNoPage, {18, 633, 13, 13}, Image::OctaveLight, 1, 1, 2, true, none, false, 0, true}},
    {Tag::PatternOctavePage, late(Tag::DelaySwitch, 11, {475, 169, 41, 15}, Image::DelayKindButton, 0, m(4, 6, 4, 6))},
};

constexpr MouseAreaRow kMouseAreas[] = {
    {Tag::FilterType, {649, 88, 79, 76}, 1},
    {Tag::ModulationTrackArea, {15, 256, 104, 19}, 0},
    {Tag::PatternKeys, {667, 570, 195, 23}, 0},
};

constexpr ButtonLineRow kLines[] = {
    {Tag::StepEntryArp, {192, 370, 675, 21}, Image::ArpLineCell, LineModel::stepLine2},
    {Tag::StepEntryTie, {192, 348, 672, 21}, Image::TieLineCell, LineModel::stepLine4},
    {Tag::StepEntryAccent, {192, 392, 672, 21}, Image::AccentLineCell, LineModel::stepLine1},
    {Tag::StepEntryGlide, {192, 326, 672, 21}, Image::GlideLineCell, LineModel::stepLine5},
    {Tag::StepEntryOctave, {192, 304, 673, 21}, Image::OctaveLineCell, LineModel::stepLine3},
};

constexpr TableRow lane(int32_t tag, TableModel model, int16_t page) {
    return {tag, {192, 240, 672, 61}, 0, 0, Image::LaneTableStep, 59, {64, 104, 62}, {199, 211, 44}, 68, model, page,
            true};
}

constexpr TableRow kTables[] = {
    {Tag::EventTableXY, {193, 644, 672, 34}, Image::EventTableGrid, Image::EventTableBars, 0, 0, {65, 164, 40},
     {255, 255, 0}, 69, TableModel::table1, 12, false},
    lane(Tag::Cutoff1, TableModel::lane1, 20),
    lane(Tag::Cutoff2, TableModel::lane2, 21),
    lane(Tag::Cutoff3, TableModel::lane3, 22),
    lane(Tag::Cutoff4, TableModel::lane4, 23),
    lane(Tag::Cutoff5, TableModel::lane5, 24),
    {Tag::ChordTable, {192, 481, 672, 86}, 0, 0, Image::ChordTableStep, 16, {255, 255, 0}, {199, 211, 44}, 68,
     TableModel::table2, 0, true},
    {Tag::GateTable, {192, 416, 672, 61}, 0, 0, Image::GateTableStep, 59, {44, 107, 141}, {199, 211, 44}, 68,
     TableModel::table3, 0, true},
};

}  // namespace

std::span<const LateButton> lateButtons() { return kLateButtons; }
std::span<const MouseAreaRow> mouseAreas() { return kMouseAreas; }
std::span<const ButtonLineRow> buttonLines() { return kLines; }
std::span<const TableRow> stepTables() { return kTables; }

}  // namespace layout
