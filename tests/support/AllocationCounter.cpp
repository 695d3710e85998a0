#include "support/AllocationCounter.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "support/AllocationFailure.h"

// Every non-aligned and aligned form is replaced, so that each block is freed
// by the family that made it.
namespace {
std::atomic<bool> counting{false};
std::atomic<size_t> allocations{0};
std::atomic<size_t> failureThreshold{SIZE_MAX};
std::atomic<size_t> refusals{0};

void* countedAllocation(size_t bytes) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    if (AllocationFailure::refuses(bytes)) return nullptr;
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void* countedAlignedAllocation(size_t bytes, std::align_val_t alignment) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    if (AllocationFailure::refuses(bytes)) return nullptr;
    const size_t align = static_cast<size_t>(alignment);
    const size_t rounded = (bytes + align - 1) / align * align;
    return std::aligned_alloc(align, rounded == 0 ? align : rounded);
}

// Kept out of line: seen through, free() on a block from operator new looks
// like a mismatch to the compiler, though both sides here use malloc.
[[gnu::noinline]] void releaseCounted(void* block) noexcept { std::free(block); }
}  // namespace

AllocationCounter::AllocationCounter() {
    allocations.store(0);
    counting.store(true);
}

AllocationCounter::~AllocationCounter() { counting.store(false); }

size_t AllocationCounter::count() const { return allocations.load(); }

// Defined here rather than in a file of its own: a test that uses only the
// failure must still link the operator new below.
AllocationFailure::AllocationFailure(size_t bytes) {
    refusals.store(0);
    failureThreshold.store(bytes);
}

AllocationFailure::~AllocationFailure() { failureThreshold.store(SIZE_MAX); }

size_t AllocationFailure::refused() const { return refusals.load(); }

bool AllocationFailure::refuses(size_t bytes) {
    if (bytes < failureThreshold.load(std::memory_order_relaxed)) return false;
    refusals.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void* operator new(size_t bytes) {
    if (void* block = countedAllocation(bytes)) return block;
    throw std::bad_alloc();
}
void* operator new[](size_t bytes) { return operator new(bytes); }
void* operator new(size_t bytes, const std::nothrow_t&) noexcept { return countedAllocation(bytes); }
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept { return countedAllocation(bytes); }
void* operator new(size_t bytes, std::align_val_t alignment) {
    if (void* block = countedAlignedAllocation(bytes, alignment)) return block;
    throw std::bad_alloc();
}
void* operator new[](size_t bytes, std::align_val_t alignment) { return operator new(bytes, alignment); }
void operator delete(void* block) noexcept { releaseCounted(block); }
void operator delete[](void* block) noexcept { releaseCounted(block); }
void operator delete(void* block, size_t) noexcept { releaseCounted(block); }
void operator delete[](void* block, size_t) noexcept { releaseCounted(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { releaseCounted(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { releaseCounted(block); }
void operator delete(void* block, std::align_val_t) noexcept { releaseCounted(block); }
void operator delete[](void* block, std::align_val_t) noexcept { releaseCounted(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { releaseCounted(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { releaseCounted(block); }
