#include "core/PatternRandom.h"

#include "platform/Framework.h"

int32_t nextPatternSeed() {
    int32_t& seed = patternRandomSeed();
    const auto product = static_cast<int32_t>(static_cast<uint32_t>(seed) * 16807u);
    seed = product % 2147483647;
    return seed;
}

float patternUnit(int32_t seed) { return static_cast<float>(seed) * 0x1p-32f + 0.5f; }

float nextPatternUnit() { return patternUnit(nextPatternSeed()); }
