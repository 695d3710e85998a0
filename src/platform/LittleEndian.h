#pragma once
// Little-endian words in byte buffers, the order of every stored format here.

#include <cstdint>
#include <vector>

namespace platform {

inline uint32_t littleWord(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

inline uint16_t littleHalf(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

// Appends the low `bytes` bytes of the value, lowest first.
inline void appendLittle(std::vector<uint8_t>& out, uint32_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace platform
