#include "core/RandomFloat.h"

#include "core/PatternRandom.h"

// The offset joins the seed in the same step as the draw, which keeps the
// shared sequence exact (PatternRandom.h).
float randomFloat(int32_t offset) { return patternUnit(stepPatternSeed(offset)); }
