// Reads arbitrary words as a sample chunk, from memory and from a file
// stream.  A skipping read must consume what a full read does, and an
// accepted sample must write a chunk that reads back and writes the same.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/BWSampleData.h"
#include "persistence/BWChunk.h"
#include "persistence/BWStreamChunk.h"
#include "support/SavedWords.h"

namespace {

void checkRoundTrip(BWSampleData& sample) {
    std::vector<uint32_t> first = wordsOf(sample);
    BWChunk chunk(first.data(), uint32_t(first.size() * 4));
    BWSampleData copy;
    if (copy.readChunk(&chunk, false) != kChunkReadOk || chunk.getPosition() != first.size()) __builtin_trap();
    if (wordsOf(copy) != first) __builtin_trap();
}

void readInMemory(const uint8_t* data, size_t size) {
    // A buffer of exactly the input's size, so that any overrun is caught.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size]);
    std::memcpy(exact.get(), data, size);
    BWChunk skipping(exact.get(), uint32_t(size));
    BWSampleData sample;
    const int16_t previous[] = {1, 2, 3};
    sample.setData(previous, nullptr, 3, 44100.0f);
    const int32_t skipped = sample.readChunk(&skipping, true);

    BWChunk reading(exact.get(), uint32_t(size));
    const int32_t result = sample.readChunk(&reading, false);
    if ((skipped == kChunkReadAbandon) != (result == kChunkReadAbandon)) __builtin_trap();
    if (result != kChunkReadAbandon && skipping.getPosition() != reading.getPosition()) __builtin_trap();
    if (result == kChunkReadOk && (sample.isEmbedData() || sample.getFrames() == 0)) checkRoundTrip(sample);
}

void readAsStream(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!file) return;
    BWStreamChunk chunk;
    chunk.attachForReading(file);
    BWSampleData sample;
    sample.readChunk(&chunk, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) return 0;
    readInMemory(data, size);
    readAsStream(data, size);
    return 0;
}
