// The last buttons, the mouse areas and the pattern editors of the
// sequencer: five button lines and eight step tables.

#include "editor/LayoutRows.h"

namespace layout {
namespace {

constexpr ButtonRow late(int32_t tag, int16_t page, Box box, int16_t image, uint8_t initial, Margins margins) {
    return {tag, page, box, image, initial, 1, 2, true, margins, false, 0, false};
}

constexpr LateButton kLateButtons[] = {
    {340, late(341, 1, {163, 168, 21, 21}, 1011, 0, m(5))},
    {341, late(342, 1, {353, 168, 21, 21}, 1011, 0, m(5))},
    {342, late(343, 1, {543, 168, 21, 21}, 1011, 0, m(5))},
    {343, late(44, 1, {586, 110, 57, 13}, 1113, 0, m(1))},
    {353, late(354, 0, {206, 21, 128, 11}, 1104, 0, m(0, 8, 0, 8))},
    {354, late(355, 14, {615, 572, 30, 17}, 1092, 0, m(4, 3, 4, 3))},
    {355, {356, kNoPage, {18, 633, 13, 13}, 1019, 1, 1, 2, true, none, false, 0, true}},
    {357, late(358, 11, {475, 169, 41, 15}, 1007, 0, m(4, 6, 4, 6))},
};

constexpr MouseAreaRow kMouseAreas[] = {
    {365, {649, 88, 79, 76}, 1},
    {366, {15, 256, 104, 19}, 0},
    {78, {667, 570, 195, 23}, 0},
};

constexpr ButtonLineRow kLines[] = {
    {373, {192, 370, 675, 21}, 1006, LineModel::stepLine2},
    {374, {192, 348, 672, 21}, 1117, LineModel::stepLine4},
    {375, {192, 392, 672, 21}, 1003, LineModel::stepLine1},
    {376, {192, 326, 672, 21}, 1050, LineModel::stepLine5},
    {377, {192, 304, 673, 21}, 1086, LineModel::stepLine3},
};

constexpr TableRow lane(int32_t tag, TableModel model, int16_t page) {
    return {tag, {192, 240, 672, 61}, 0, 0, 1085, 59, {64, 104, 62}, {199, 211, 44}, 68, model, page, true};
}

constexpr TableRow kTables[] = {
    {381, {193, 644, 672, 34}, 1058, 1060, 0, 0, {65, 164, 40}, {255, 255, 0}, 69, TableModel::table1, 12, false},
    lane(383, TableModel::lane1, 20),
    lane(384, TableModel::lane2, 21),
    lane(385, TableModel::lane3, 22),
    lane(386, TableModel::lane4, 23),
    lane(387, TableModel::lane5, 24),
    {388, {192, 481, 672, 86}, 0, 0, 1038, 16, {255, 255, 0}, {199, 211, 44}, 68, TableModel::table2, 0, true},
    {389, {192, 416, 672, 61}, 0, 0, 1048, 59, {44, 107, 141}, {199, 211, 44}, 68, TableModel::table3, 0, true},
};

}  // namespace

std::span<const LateButton> lateButtons() { return kLateButtons; }
std::span<const MouseAreaRow> mouseAreas() { return kMouseAreas; }
std::span<const ButtonLineRow> buttonLines() { return kLines; }
std::span<const TableRow> stepTables() { return kTables; }

}  // namespace layout
