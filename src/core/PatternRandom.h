#pragma once
// The Park–Miller steps of the pattern randomisers (tables, paged tables,
// button lines).  They share the one process-wide seed of platform/Framework.h
// with randomFloat, so every draw of any randomiser moves the same sequence,
// and the sequences are reproduced exactly: stored patterns and tests depend
// on them.  Any thread, the audio thread included: the seed is an atomic that
// each draw steps with one compare-and-exchange, so that the draws of
// several instances' threads interleave whole, never torn nor lost.

#include <atomic>
#include <cstdint>

// seed := (seed × 16807 in wrapping 32-bit arithmetic) remainder 2147483647,
// with the sign of the dividend; answers the new seed.
int32_t nextPatternSeed();

// The unit value of a drawn seed, seed × 2^−32 + 0.5 in single precision:
// a value in 0..1.
float patternUnit(int32_t seed);

// One draw: patternUnit(nextPatternSeed()).
float nextPatternUnit();

// One step of the seed, after adding offset to it (wrapping); answers the
// new seed.  The randomisers' draws all come through here.
int32_t stepPatternSeed(int32_t offset);
