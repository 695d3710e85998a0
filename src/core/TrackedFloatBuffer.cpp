#include "core/TrackedFloatBuffer.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>

#include "core/StateResetList.h"
#include "platform/AlignedMemory.h"

namespace {

// Above this count 4 × n no longer fits the address space; the request fails
// as the heap's out-of-memory failure, like any other impossible size.
constexpr uint64_t kLargestCount = uint64_t{1} << 62;

// calloc's blocks serve the aligned buffers too: the heap hands out blocks
// on this boundary already, and AlignedFree is plain free.
constexpr size_t kVectorAlignment = 16;
static_assert(alignof(std::max_align_t) >= kVectorAlignment);

// The smallest page the kernel maps: one write into each is enough to make
// it resident.
constexpr uint64_t kFloatsPerPage = 4096 / sizeof(float);

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

// calloc takes a large block straight from the kernel, whose pages read as
// zero without a write, so the lines sized for the slowest tempo cost no pass
// of their own; smaller blocks it clears itself.
float* TrackedFloatBuffer::allocateZeroed(uint64_t n) const {
    if (n >= kLargestCount) throw std::bad_alloc();
    void* block = std::calloc(std::max<size_t>(static_cast<size_t>(n), 1), sizeof(float));
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<float*>(block);
}

// A page first met on the audio thread would cost it a fault there.  One
// zero a page brings the first `resident` floats' pages in, here on the
// sizing thread; one read a page maps the rest to the kernel's shared zero
// page, which takes no memory, so that the render's reads there fault no
// more and only its writes, a page at a time, take pages of their own.  The
// accesses are volatile because the compiler knows calloc's block reads
// zero and would drop them.  The last float is met too: the block need not
// start on a page, so steps of a page from its start can miss its last page.
void TrackedFloatBuffer::makeResident(float* block, uint64_t n, uint64_t resident) {
    if (n == 0) return;
    volatile float* const pages = block;
    resident = std::min(resident, n);
    for (uint64_t i = 0; i < resident; i += kFloatsPerPage) pages[i] = 0.0f;
    float sum = 0.0f;
    for (uint64_t i = resident; i < n; i += kFloatsPerPage) sum += pages[i];
    if (resident == n) {
        pages[n - 1] = 0.0f;
    } else {
        sum += pages[n - 1];
    }
    static_cast<void>(sum);
}

void TrackedFloatBuffer::freeBlock(float* block) const {
    if (aligned) {
        AlignedFree(block);
    } else {
        std::free(block);
    }
}

// Only the render writes anything but zeros into an owner's lines.
void TrackedFloatBuffer::list(float* block, uint64_t n) const {
    if (tracked && trackedList != nullptr) trackedList->append(block, n * sizeof(float), 0.0f, true);
}

void TrackedFloatBuffer::unlist(float* block) const {
    if (tracked && trackedList != nullptr) trackedList->remove(block);
}

void TrackedFloatBuffer::forget() {
    data = nullptr;
    capacity = 0;
    size = 0;
}

void TrackedFloatBuffer::reallocateZeroed(uint64_t n, uint64_t resident) {
    release();
    data = allocateZeroed(n);
    capacity = size = n;
    list(data, n);
    makeResident(data, n, resident);
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
