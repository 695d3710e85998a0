// Header parsing, the compressed-body path and every kind of chunk read over
// outside bytes: in memory, through a file stream and loaded as a whole file
// with its cut-off check.
//
// Input: one byte n, then n operation bytes, then the chunk's bytes.  Each
// operation byte picks an operation (low four bits) and a size (high four).
//
// Random bytes almost never make a zlib stream, so the bytes are also taken
// as the plain body of a chunk that the harness compresses itself: that
// chunk must inflate to exactly those bytes, and the operations then read
// the inflated body.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <zlib.h>

#include "persistence/BWChunk.h"
#include "persistence/BWStreamChunk.h"
#include "support/Check.h"
#include "support/MemoryFile.h"

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

// Past the header (and the description words the first operation names),
// inflates a compressed body.
bool openBody(BWChunk& chunk, const std::vector<uint8_t>& ops) {
    if (chunk.getFormatWord() == BWChunk::kFormatCompressedWithInfo && !ops.empty())
        chunk.setPosition(chunk.getPosition() + ops[0] % 8);  // a description's words
    return chunk.inflateCompressedBody(true);
}

void readInMemory(const std::vector<unsigned char>& bytes, const std::vector<uint8_t>& ops) {
    // A buffer of exactly the input's size, so that any overrun is caught.
    std::unique_ptr<unsigned char[]> exact(new unsigned char[bytes.size()]);
    if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
    BWChunk chunk(bytes.empty() ? nullptr : exact.get(), uint32_t(bytes.size()));
    if (chunk.parseHeader(true)) openBody(chunk, ops);
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

// The whole-file load takes a file exactly when its header parses and the
// length word does not reach past the file's words.
void readAsFile(const std::vector<unsigned char>& bytes, const std::vector<uint8_t>& ops) {
    static MemoryFile file("chunk_reader");
    if (!file.fill(bytes.data(), bytes.size())) return;
    BWChunk chunk;
    const bool loaded = chunk.loadFromFile(file.path().c_str(), true);

    std::vector<unsigned char> padded(bytes);
    padded.resize((bytes.size() + 3) / 4 * 4);
    BWChunk inMemory(padded.empty() ? nullptr : padded.data(), uint32_t(padded.size()));
    const bool expected = inMemory.parseHeader(true) && inMemory.getDataLength() <= inMemory.getCapacityWords();
    check(loaded == expected, "a whole file loads exactly when its header parses and it is not cut off");
    if (!loaded) return;
    openBody(chunk, ops);
    runOperations(chunk, ops);
}

std::vector<unsigned char> wordBytes(const std::vector<uint32_t>& words) {
    std::vector<unsigned char> bytes(words.size() * 4);
    for (size_t i = 0; i < words.size(); ++i)
        for (int b = 0; b < 4; ++b) bytes[4 * i + b] = uint8_t(words[i] >> (8 * b));
    return bytes;
}

// A compressed chunk whose body is the input's whole words; empty when there
// are none.  With a description when the first operation is odd.
std::vector<unsigned char> compressedChunk(const std::vector<unsigned char>& body, const std::vector<uint8_t>& ops,
                                           uint32_t& headWords) {
    const uLong plainBytes = uLong(body.size() / 4 * 4);
    if (plainBytes == 0) return {};
    std::vector<Bytef> packed(compressBound(plainBytes));
    uLongf packedBytes = packed.size();
    if (compress2(packed.data(), &packedBytes, body.data(), plainBytes, 6) != Z_OK) return {};
    const bool described = !ops.empty() && ops[0] % 2 == 1;
    const uint32_t info = described ? ops[0] % 8 : 0;
    headWords = BWChunk::kHeaderWords + info;
    std::vector<uint32_t> words(headWords + 1 + (packedBytes + 3) / 4);
    words[0] = uint32_t(words.size());
    words[1] = 9;
    words[2] = 0x42F00000;  // 120.0f
    words[3] = 0x472C4400;  // 44100.0f
    words[4] = described ? BWChunk::kFormatCompressedWithInfo : BWChunk::kFormatCompressed;
    words[headWords] = uint32_t(plainBytes);
    std::vector<unsigned char> bytes = wordBytes(words);
    std::memcpy(bytes.data() + 4 * (headWords + 1), packed.data(), packedBytes);
    return bytes;
}

void readCompressed(const std::vector<unsigned char>& body, const std::vector<uint8_t>& ops) {
    uint32_t headWords = 0;
    const std::vector<unsigned char> bytes = compressedChunk(body, ops, headWords);
    if (bytes.empty()) return;
    static MemoryFile file("chunk_reader_compressed");
    if (!file.fill(bytes.data(), bytes.size())) return;
    BWChunk chunk;
    check(chunk.loadFromFile(file.path().c_str(), true) && openBody(chunk, ops), "a sound compressed chunk inflates");
    const size_t plainBytes = body.size() / 4 * 4;
    check(chunk.getCapacityWords() == headWords + plainBytes / 4 && chunk.getPosition() == headWords &&
              !BWChunk::isCompressedFormat(chunk.getFormatWord()),
          "the inflated chunk is plain, with its body after the head");
    check(std::memcmp(static_cast<const unsigned char*>(chunk.getWords()) + 4 * headWords, body.data(), plainBytes) == 0,
          "the body inflates to the bytes compressed");
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
    readAsFile(bytes, ops);
    readCompressed(bytes, ops);
    return 0;
}
