#include "core/RandomFloat.h"

#include "platform/Framework.h"
#include "core/PatternRandom.h"

float randomFloat(int32_t offset) {
    // The offset joins the seed before the step, in wrapping 32-bit
    // arithmetic (done unsigned, so that an overflow is defined), which
    // keeps the shared sequence exact (PatternRandom.h).
    int32_t& seed = patternRandomSeed();
    seed = static_cast<int32_t>(static_cast<uint32_t>(seed) + static_cast<uint32_t>(offset));
    return nextPatternUnit();
}
