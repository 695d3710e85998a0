#pragma once
// The Windows C runtime's rand and srand, draw for draw: a linear
// congruential generator with results 0..32767.  Callers that depend on its
// range and sequence (the randomisers, random presets) use it instead of
// std::rand, whose sequence differs from one C library to the next.  As in
// that runtime the state is per thread and starts at seed 1.

#include <cstdint>

namespace platform {

constexpr int kMsvcRandMax = 32767;

void msvcSrand(uint32_t seed);  // any thread; affects only the calling thread
int msvcRand();                 // any thread; 0..32767

}  // namespace platform
