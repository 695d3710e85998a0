#pragma once
// The filter's two fixed coefficient tables over 11 frequency columns
// (column j stands for j × sampleRate / 20) and 11 resonance rows, stored row
// by row as (value, slope) pairs with the slope to the next entry.  Entry 121,
// one past the grid, is a zero guard.  Constant data shared by all instances:
// any thread may read it.

#include <array>

#include "core/BWSystemInfo.h"

constexpr int kFilterTableColumns = 11;
constexpr int kFilterTableRows = 11;
constexpr int kFilterTableEntries = kFilterTableColumns * kFilterTableRows + 1;

using FilterCoefficientTable = std::array<ValueSlope, kFilterTableEntries>;

// The frequency coefficient: a rising concave curve per row.
const FilterCoefficientTable& filterCoefTableF();
// The damping coefficient, falling toward 1.0 at the highest column.
const FilterCoefficientTable& filterCoefTableQ();

// The tables' values alone, row by row, for reads of a row's columns eight
// at a time: past the grid the last entry repeats (as a read past the grid
// is held to it), far enough that every read from a cell of the grid or of
// the row above it, sixteen entries on, stays inside.
constexpr int kFilterValueEntries = 128;
using FilterCoefficientValues = std::array<float, kFilterValueEntries>;
const FilterCoefficientValues& filterCoefValuesF();
const FilterCoefficientValues& filterCoefValuesQ();
