#include "core/RandomFloat.h"

#include "platform/Framework.h"
#include "core/PatternRandom.h"

float randomFloat(int32_t offset) {
    // The offset joins the seed before the step; unsigned arithmetic wraps as
    // the original's 32-bit addition did.
    int32_t& seed = patternRandomSeed();
    seed = static_cast<int32_t>(static_cast<uint32_t>(seed) + static_cast<uint32_t>(offset));
    return nextPatternUnit();
}
