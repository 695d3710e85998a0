#pragma once
// The input of the event-playing harnesses, read a byte at a time: past its
// end every byte reads as 0, so a harness never runs off the data.

#include <cstddef>
#include <cstdint>

class ByteInput {
public:
    ByteInput(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool more() const { return at < size; }
    uint8_t byte() { return at < size ? data[at++] : 0; }
    // Four bytes, the first lowest.
    uint32_t word() { return uint32_t{byte()} | uint32_t{byte()} << 8 | uint32_t{byte()} << 16 | uint32_t{byte()} << 24; }

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};
