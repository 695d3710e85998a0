#pragma once
// The built-in sine table of the kick generator and its table of slopes, so
// that the audio thread reads a sine with one multiply-add instead of calling
// sin.  Constant data shared by all instances, built before first use and
// never written afterwards: any thread may read it.

#include <array>
#include <cmath>
#include <cstdint>

constexpr int kSineTableSize = 1024;  // entries of one period
constexpr int32_t kSineIndexMask = kSineTableSize - 1;

struct SineTables {
    // One period plus a guard entry equal to the first.
    std::array<float, kSineTableSize + 1> sineTable;
    // Entry i: sineTable[i + 1] - sineTable[i]; the guard repeats entry 0.
    std::array<float, kSineTableSize + 1> sineSlopeTable;
};

const SineTables& sineTables();

// The names under which the plug-in object installs the two tables.
const float* getLookupTable0();  // the sine values
const float* getLookupTable9();  // their slopes

// The value of a (values, slopes) wave table at a phase counted in table
// entries.  The phase wraps by the index mask, so every read stays within the
// first 1024 entries; a phase too large for an integer is wrapped first and a
// NaN or infinite phase reads entry 0.  Audio thread.
inline float lookupWave(const float* values, const float* slopes, float phase) {
    if (!(std::fabs(phase) < 2147483648.0f)) {
        phase = std::isfinite(phase) ? std::fmod(phase, static_cast<float>(kSineTableSize)) : 0.0f;
    }
    const int32_t whole = static_cast<int32_t>(phase);
    const float fraction = phase - static_cast<float>(whole);
    const int32_t index = whole & kSineIndexMask;
    return values[index] + fraction * slopes[index];
}
