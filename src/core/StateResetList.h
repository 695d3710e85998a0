#pragma once
// The instance's list of memory blocks that hold running audio state (delay
// lines, filter memories of the effects, pattern buffers).  A suspend or a
// state load silences the whole instance in one pass over it instead of asking
// every owner.  The list does not own the blocks; each owner enters a block
// when it allocates it and removes it before freeing it.

#include <cstddef>
#include <cstdint>
#include <vector>

struct TrackedBufferRecord {
    void* data = nullptr;     // first byte of the block
    uint64_t byteLength = 0;  // length of the block in bytes
    float fillValue = 0.0f;   // 0 clears every byte, anything else is written into every float
    bool renderWritesOnly = false;  // zero until rendered: only the render writes anything but zeros
};

class StateResetList {
public:
    // Host/GUI thread (construction, rate preparation); never the audio thread.
    // renderWritesOnly marks a zero-filled block that nothing but the render
    // writes other than zeros (a delay line).
    void append(void* data, uint64_t byteLength, float fillValue, bool renderWritesOnly = false);
    // Removes the first record of that block; an unknown block is ignored.
    // Host/GUI thread.
    void remove(const void* data);

    // Writes every block's fill value into it.  Host/GUI thread, while the
    // audio thread is held or not running.  With rendered false (nothing was
    // rendered since the last reset or since the blocks were sized) the
    // blocks only the render writes are still zero and are passed over: a
    // load into a new instance then neither clears its delay lines again nor
    // brings in their pages that the tempo does not reach.
    void resetAll(bool rendered = true) const;

    size_t size() const { return records.size(); }
    const TrackedBufferRecord& at(size_t index) const { return records.at(index); }

private:
    std::vector<TrackedBufferRecord> records;
};
