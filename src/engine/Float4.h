#pragma once
// Four floats (or 32-bit integers) in one vector register, through the
// compiler's vector extension: the voices' hot loops work four voices,
// frames or filter channels at a time with it.  Arithmetic, comparisons
// and ?: work lane by lane.

#include <cstdint>
#include <cstring>

using Float4 = float __attribute__((vector_size(16)));
using Int4 = int32_t __attribute__((vector_size(16)));

inline Float4 load4(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store4(float* p, Float4 v) { std::memcpy(p, &v, sizeof v); }
