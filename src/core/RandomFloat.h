#pragma once
// The zone randomiser's draw: one step of the pattern generator
// (core/PatternRandom.h) after adding an offset to the shared seed.
// Reproduced bit for bit, since stored randomisations depend on the sequence.

#include <cstdint>

// seed := ((seed + offset) * 16807 in wrapping 32-bit arithmetic) remainder
// 2147483647, with the sign of the dividend; answers seed * 2^-32 + 0.5 in
// single precision, a value in (0, 1).  Any thread (core/PatternRandom.h).
float randomFloat(int32_t offset);
