#include "core/TrackedFloatBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "core/StateResetList.h"
#include "platform/AlignedMemory.h"

namespace {

// Above this count 4 × n no longer fits the address space; the request fails
// as the heap's out-of-memory failure, like any other impossible size.
constexpr uint64_t kLargestCount = uint64_t{1} << 62;

}  // namespace

TrackedFloatBuffer::~TrackedFloatBuffer() { release(); }

float* TrackedFloatBuffer::allocate(uint64_t n) const {
    if (n >= kLargestCount) throw std::bad_alloc();
    const size_t bytes = static_cast<size_t>(n) * sizeof(float);
    // malloc(0) may answer null; a zero-length buffer still gets a real block
    // so that it can be listed and freed like any other.
    void* block = aligned ? AlignedAlloc(bytes) : std::malloc(std::max<size_t>(bytes, 1));
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<float*>(block);
}

void TrackedFloatBuffer::freeBlock(float* block) const {
    if (aligned) {
        AlignedFree(block);
    } else {
        std::free(block);
    }
}

void TrackedFloatBuffer::list(float* block, uint64_t n) const {
    if (tracked && trackedList != nullptr) trackedList->append(block, n * sizeof(float), 0.0f);
}

void TrackedFloatBuffer::unlist(float* block) const {
    if (tracked && trackedList != nullptr) trackedList->remove(block);
}

void TrackedFloatBuffer::forget() {
    data = nullptr;
    capacity = 0;
    size = 0;
}

void TrackedFloatBuffer::reallocateZeroed(uint64_t n) {
    release();
    data = allocate(n);
    capacity = size = n;
    list(data, n);
    std::fill_n(data, n, 0.0f);
}

void TrackedFloatBuffer::resize(uint64_t n) {
    if (capacity == 0) {
        reallocateZeroed(n);
        return;
    }
    if (n <= capacity) {
        size = n;
        return;
    }
    float* grown = allocate(n);
    std::copy_n(data, capacity, grown);
    std::fill_n(grown + capacity, n - capacity, 0.0f);
    float* old = data;
    data = grown;
    capacity = size = n;
    unlist(old);
    freeBlock(old);
    list(data, n);
}

void TrackedFloatBuffer::release(float* block) {
    float* target = block != nullptr ? block : data;
    if (target == nullptr) return;
    unlist(target);
    freeBlock(target);
    // Releasing the own storage by its address must not leave it dangling.
    if (target == data) forget();
}
