#include "support/ChunkWords.h"

#include <cstring>

#include "persistence/BWChunk.h"
#include "persistence/BWChunkableClass.h"

std::vector<uint32_t> wordsOf(const BWChunk& chunk) {
    std::vector<uint32_t> words(chunk.getCapacityWords());
    if (!words.empty()) std::memcpy(words.data(), chunk.getWords(), words.size() * 4);
    return words;
}

std::vector<uint32_t> wordsOf(BWChunkableClass& object) {
    BWChunk chunk;
    object.writeChunk(&chunk);
    chunk.allocateMeasured();
    chunk.setPosition(0);
    object.writeChunk(&chunk);
    return wordsOf(chunk);
}

std::ostream& operator<<(std::ostream& out, const ChunkRead& read) {
    return out << "{result " << read.result << ", position " << read.position << "}";
}

ChunkRead readWords(BWChunkableClass& object, std::vector<uint32_t> words, bool skipOnly) {
    BWChunk chunk(words.data(), static_cast<uint32_t>(words.size() * 4));
    const int32_t result = object.readChunk(&chunk, skipOnly);
    return {result, chunk.getPosition()};
}
