#include "core/CurveTables.h"

#include <numbers>

namespace {

SineTables buildSineTables() {
    SineTables tables{};
    for (int i = 0; i < kSineTableSize; ++i) {
        const double angle = 2.0 * std::numbers::pi * i / kSineTableSize;
        tables.sineTable[i] = static_cast<float>(std::sin(angle));
    }
    tables.sineTable[kSineTableSize] = tables.sineTable[0];
    for (int i = 0; i < kSineTableSize; ++i) {
        tables.sineSlopeTable[i] = tables.sineTable[i + 1] - tables.sineTable[i];
    }
    tables.sineSlopeTable[kSineTableSize] = tables.sineSlopeTable[0];
    return tables;
}

// Built while the library loads, before the audio thread can ask for it.
[[maybe_unused]] const SineTables& builtAtLoad = sineTables();

}  // namespace

const SineTables& sineTables() {
    static const SineTables tables = buildSineTables();
    return tables;
}

const float* getLookupTable0() { return sineTables().sineTable.data(); }

const float* getLookupTable9() { return sineTables().sineSlopeTable.data(); }
