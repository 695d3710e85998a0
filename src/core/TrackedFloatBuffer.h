#pragma once
// A growable float array whose storage is listed in the instance's
// StateResetList while it exists, so that suspend silences it together with
// every other listed buffer.  Sized off the audio thread (construction,
// parameter set-up, sample-rate preparation); the audio thread only reads and
// writes the floats.

#include <cstdint>

class StateResetList;

class TrackedFloatBuffer {
public:
    TrackedFloatBuffer() = default;
    TrackedFloatBuffer(StateResetList* list, bool trackedFlag, bool alignedFlag)
        : trackedList(list), tracked(trackedFlag), aligned(alignedFlag) {}
    ~TrackedFloatBuffer();
    TrackedFloatBuffer(const TrackedFloatBuffer&) = delete;
    TrackedFloatBuffer& operator=(const TrackedFloatBuffer&) = delete;

    // Drops the old storage and provides n zeroed floats, every page of them
    // resident.  Host/GUI thread.  Throws std::bad_alloc when the storage
    // cannot be had.
    void reallocateZeroed(uint64_t n) { reallocateZeroed(n, n); }
    // The same, with only the pages of the first `resident` floats brought
    // in now: a line sized for the slowest tempo leaves the part that only a
    // slower tempo reaches on the kernel's zero page, and the render's
    // writes take it over a page at a time as its ring grows into it.
    void reallocateZeroed(uint64_t n, uint64_t resident);
    // Makes room for n floats and keeps the contents; shrinking only sets the
    // size.  Host/GUI thread.  Throws std::bad_alloc like reallocateZeroed.
    void resize(uint64_t n);
    // Frees block (a block of this buffer's allocator), or the own storage when
    // block is null, after which the buffer is empty.  Host/GUI thread.
    void release(float* block = nullptr);

    float* getData() const { return data; }
    uint64_t getSize() const { return size; }
    uint64_t getCapacity() const { return capacity; }
    float& operator[](uint64_t index) { return data[index]; }
    float operator[](uint64_t index) const { return data[index]; }

    // Set by the owner before the first sizing.
    StateResetList* trackedList = nullptr;  // not owned; may be null
    bool tracked = false;                   // list the storage in trackedList
    bool aligned = false;                   // 16-byte aligned storage (vector code)

private:
    float* allocate(uint64_t n) const;
    float* allocateZeroed(uint64_t n) const;
    static void makeResident(float* block, uint64_t n, uint64_t resident);
    void freeBlock(float* block) const;
    void list(float* block, uint64_t n) const;
    void unlist(float* block) const;
    void forget();

    float* data = nullptr;
    uint64_t capacity = 0;
    uint64_t size = 0;
};
