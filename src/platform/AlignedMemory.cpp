#include "platform/AlignedMemory.h"

#include <cstdlib>
#include <limits>

void* AlignedAllocWithAlignment(size_t bytes, size_t alignment) {
    if (bytes == 0) bytes = alignment;  // a valid, freeable block even for no data
    // aligned_alloc wants a size that is a multiple of the alignment.
    if (bytes > std::numeric_limits<size_t>::max() - alignment) return nullptr;
    const size_t rounded = (bytes + alignment - 1) / alignment * alignment;
    return std::aligned_alloc(alignment, rounded);
}

void* AlignedAlloc(size_t bytes) { return AlignedAllocWithAlignment(bytes, 16); }

float* AlignedAllocFloats(size_t count) {
    if (count > std::numeric_limits<size_t>::max() / sizeof(float)) return nullptr;
    return static_cast<float*>(AlignedAlloc(count * sizeof(float)));
}

void AlignedFree(void* block) { std::free(block); }
