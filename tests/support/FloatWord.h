#pragma once
// A float as the word a chunk or a kernel's bit comparison sees.

#include <bit>
#include <cstdint>

inline uint32_t floatWord(float value) { return std::bit_cast<uint32_t>(value); }
