#pragma once
// Allocation on 16-byte boundaries for audio buffers (SIMD loads) and on
// larger boundaries for the plug-in object.  A failed allocation yields null.

#include <cstddef>
#include <memory>

void* AlignedAlloc(size_t bytes);           // 16-byte aligned; null on failure
float* AlignedAllocFloats(size_t count);    // count floats, 16-byte aligned
void* AlignedAllocWithAlignment(size_t bytes, size_t alignment);
void AlignedFree(void* block);              // frees a block of the above; null is ignored

struct AlignedFloatsDeleter {
    void operator()(float* block) const { AlignedFree(block); }
};
// An owned array from AlignedAllocFloats.
using AlignedFloats = std::unique_ptr<float[], AlignedFloatsDeleter>;
