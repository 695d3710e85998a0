#include "persistence/RandomFloat.h"

#include "core/Framework.h"

float randomFloat(int32_t offset) {
    int32_t& seed = patternRandomSeed();
    // Unsigned arithmetic wraps as the original's 32-bit multiply did.
    const uint32_t product = (static_cast<uint32_t>(seed) + static_cast<uint32_t>(offset)) * 16807u;
    seed = static_cast<int32_t>(product) % 2147483647;
    return static_cast<float>(seed) * 0x1p-32f + 0.5f;
}
