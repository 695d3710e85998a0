#pragma once
// The Park–Miller steps of the pattern randomisers (tables, paged tables,
// button lines).  They share the one process-wide seed of platform/Framework.h
// with randomFloat, so every draw of any randomiser moves the same sequence,
// and the sequences are reproduced exactly: stored patterns and tests depend
// on them.  GUI thread (the seed is a plain global).

#include <cstdint>

// seed := (seed × 16807 in wrapping 32-bit arithmetic) remainder 2147483647,
// with the sign of the dividend; answers the new seed.
int32_t nextPatternSeed();

// The unit value of a drawn seed, seed × 2^−32 + 0.5 in single precision:
// a value in 0..1.
float patternUnit(int32_t seed);

// One draw: patternUnit(nextPatternSeed()).
float nextPatternUnit();
