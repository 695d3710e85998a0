#pragma once
// The columns of a step table's curve display: one normalised value per
// pixel column.  Each of n steps owns k = width / n columns; the first
// r = k × ramp of them rise (or fall) in a straight line from the previous
// step's value (0 before the first step) and the others hold the step's
// value, so ramp 0 draws a staircase.  Columns after the last step repeat
// its value.  The ramp is held to 0 .. 1 (NaN as 0), so a watched value out
// of range never writes past a step's columns or the array.

#include <cstddef>
#include <cstdint>

#include "widgets/StripFrames.h"

namespace VSTGUI {

// value(step) answers the normalised value of a step; it is asked only for
// steps that own columns and for the last step.  Nothing happens without
// steps.
template <class StepValue>
void fillCurveColumns(float* columns, size_t columnCount, uint64_t steps, StepValue value, float ramp) {
    if (steps == 0 || columnCount == 0) return;
    const size_t width = columnCount - 1;
    const uint64_t k = width / steps;
    const float held = ramp > 1.0f ? 1.0f : ramp > 0.0f ? ramp : 0.0f;  // NaN fails both tests
    const auto r = static_cast<uint64_t>(truncated(static_cast<float>(k) * held));
    size_t column = 0;
    float previous = 0.0f;
    for (uint64_t step = 0; k > 0 && step < steps; ++step) {
        const float v = value(step);
        for (uint64_t j = 0; j < k; ++j, ++column)
            columns[column] =
                j < r ? previous + (v - previous) * static_cast<float>(j + 1) / static_cast<float>(r) : v;
        previous = v;
    }
    const float last = value(steps - 1);
    for (; column < columnCount; ++column) columns[column] = last;
}

}  // namespace VSTGUI
