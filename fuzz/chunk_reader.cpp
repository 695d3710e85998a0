// Header parsing, the compressed-body path and every kind of chunk read over
// outside bytes, both in memory and through a file stream.
//
// Input: one byte n, then n operation bytes, then the chunk's bytes.  Each
// operation byte picks an operation (low four bits) and a size (high four).

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "persistence/BWChunk.h"
#include "persistence/BWStreamChunk.h"

namespace {

void runOperation(BWChunk& chunk, uint8_t op) {
    const uint32_t size = op >> 4;
    const uint32_t n = size * 3;  // also sizes that are not whole words
    unsigned char scratch[64];
    std::string text;
    int32_t rect[4];
    ChunkRect chunkRect;
    float f;
    int32_t i;
    uint32_t u;
    switch (op & 15) {
        case 0: chunk.readInt(); break;
        case 1: chunk.readFloat(); break;
        case 2: chunk.readRect(rect); break;
        case 3: chunk.readRect(chunkRect); break;
        case 4: chunk.readString(text); break;
        case 5: chunk.readString(); break;
        case 6: chunk.readString(reinterpret_cast<char*>(scratch), size); break;
        case 7: chunk.readBytes(scratch, n); break;
        case 8: chunk.readRawBytes(scratch, int32_t(n)); break;
        case 9: chunk.readPaddedBytes(scratch, n); break;
        case 10: chunk.stepBack(); break;
        case 11: chunk.read(u); break;
        case 12:
            chunk.read(f);
            chunk.read(i);
            break;
        case 13: chunk.setPosition(chunk.getPosition() + size); break;
        case 14: chunk.writeString("fuzz"); break;
        default: chunk.writeBlock(scratch, n); break;
    }
}

void runOperations(BWChunk& chunk, const std::vector<uint8_t>& ops) {
    for (uint8_t op : ops) runOperation(chunk, op);
}

void readInMemory(std::vector<unsigned char> bytes, const std::vector<uint8_t>& ops) {
    // A buffer of exactly the input's size, so that any overrun is caught.
    std::unique_ptr<unsigned char[]> exact(new unsigned char[bytes.size()]);
    if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
    BWChunk chunk(bytes.empty() ? nullptr : exact.get(), uint32_t(bytes.size()));
    if (chunk.parseHeader(true)) {
        if (chunk.getFormatWord() == BWChunk::kFormatCompressedWithInfo && !ops.empty())
            chunk.setPosition(chunk.getPosition() + ops[0] % 8);  // a description's words
        chunk.inflateCompressedBody(true);
    }
    runOperations(chunk, ops);
}

void readAsStream(std::vector<unsigned char> bytes, const std::vector<uint8_t>& ops) {
    if (bytes.empty()) return;
    std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!file) return;
    BWStreamChunk chunk;
    chunk.attachForReading(file);
    if (chunk.parseHeader(true)) chunk.inflateCompressedBody(true);
    runOperations(chunk, ops);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) return 0;
    const size_t opCount = std::min<size_t>(data[0], size - 1);
    const std::vector<uint8_t> ops(data + 1, data + 1 + opCount);
    const std::vector<unsigned char> bytes(data + 1 + opCount, data + size);
    readInMemory(bytes, ops);
    readAsStream(bytes, ops);
    return 0;
}
