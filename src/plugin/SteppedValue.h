#pragma once
// The record of a parameter that selects one of N choices: the value as it
// arrived, the chosen step as a float and as an integer.  The value reaching
// these helpers has been limited to 0..1 already, so every step lies within
// 0..N-1.

#include <algorithm>
#include <cstddef>
#include <cstdint>

struct SteppedValue {
    float raw = 0.0f;
    float step = 0.0f;
    int32_t stepIndex = 0;

    // min(trunc(N v), N - 1): v = 1 selects the last step.
    void setSteps(float v, int32_t n) { setStep(v, std::min(static_cast<int32_t>(n * v), n - 1)); }
    // Two states: trunc(min(2v, 1)).
    void setSwitch(float v) { setStep(v, static_cast<int32_t>(std::min(2.0f * v, 1.0f))); }
    // The page switches and sound switches give the middle a small margin.
    void setSwitchWithMargin(float v) {
        setStep(v, static_cast<int32_t>(std::min(2.0f * v + 0.001f, 1.0f)));
    }
    void setStepsWithMargin(float v, int32_t n) {
        setStep(v, static_cast<int32_t>(std::min(n * v + 0.001f, static_cast<float>(n - 1))));
    }
    void setStep(float v, int32_t s) {
        raw = v;
        stepIndex = s;
        step = static_cast<float>(s);
    }
};

// Entry s of a table of n, or the fallback when s lies outside it.
template <typename T, size_t N>
T tableEntry(const T (&table)[N], int32_t s, T fallback) {
    return s >= 0 && static_cast<size_t>(s) < N ? table[s] : fallback;
}
