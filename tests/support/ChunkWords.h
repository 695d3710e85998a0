#pragma once
// The words a chunkable object writes, and what its reader makes of given
// words: the two halves of every record test of the pattern models.

#include <cstdint>
#include <ostream>
#include <vector>

class BWChunk;
class BWChunkableClass;

// The words of a chunk, as far as its capacity.
std::vector<uint32_t> wordsOf(const BWChunk& chunk);

// The words the object writes, through both passes of a chunk.
std::vector<uint32_t> wordsOf(BWChunkableClass& object);

// What readChunk answered and how many words it consumed.
struct ChunkRead {
    int32_t result;
    uint32_t position;
    bool operator==(const ChunkRead&) const = default;
};
std::ostream& operator<<(std::ostream& out, const ChunkRead& read);

// Reads the object from exactly these words.
ChunkRead readWords(BWChunkableClass& object, std::vector<uint32_t> words, bool skipOnly = false);
