#pragma once
// A control value turned into a per-sample line: it takes a target once per
// tick and moves there in the tick's samples.  A step too small to matter
// (below 1e-7 a sample) is not spread: the value jumps, so that a ramp at
// rest stays exactly at its target.  Audio thread.

#include <cmath>
#include <cstdint>

struct SampleRamp {
    float current = 0.0f;
    float step = 0.0f;

    void setTarget(float target, float tickReciprocal) {
        step = (target - current) * tickReciprocal;
        if (std::fabs(step) < 1e-7f) {
            step = 0.0f;
            current = target;
        }
    }
    float next() { return current += step; }
    // n samples on, one step at a time.
    void advance(int32_t n) {
        if (step == 0.0f) return;
        for (int32_t i = 0; i < n; ++i) current += step;
    }
};
