// zorvane-host's replacement of the global operator new: every allocation of
// the program and the module it loads passes here and is noted.  Only the
// program links this file; the test binaries have their own counter.

#include <cstdlib>
#include <new>

#include "host/AllocationWatch.h"

void noteAllocation();

bool allocationWatchAvailable() { return true; }

void* operator new(std::size_t bytes) {
    noteAllocation();
    if (void* block = std::malloc(bytes ? bytes : 1)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t bytes) { return operator new(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    noteAllocation();
    return std::malloc(bytes ? bytes : 1);
}
void* operator new[](std::size_t bytes, const std::nothrow_t& tag) noexcept { return operator new(bytes, tag); }
void* operator new(std::size_t bytes, std::align_val_t alignment) {
    noteAllocation();
    const std::size_t align = std::size_t(alignment);
    if (void* block = std::aligned_alloc(align, (bytes + align - 1) / align * align ?: align)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t bytes, std::align_val_t alignment) { return operator new(bytes, alignment); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }
