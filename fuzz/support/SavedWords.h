#pragma once
// An object's chunk words as it writes them (measured, then written), for
// harnesses that check a read-back writes the same.

#include <cstdint>
#include <vector>

#include "persistence/BWChunk.h"
#include "persistence/BWChunkableClass.h"

inline std::vector<uint32_t> wordsOf(BWChunkableClass& object) {
    BWChunk chunk;
    object.writeChunk(&chunk);
    chunk.allocateMeasured();
    chunk.setPosition(0);
    object.writeChunk(&chunk);
    const auto* words = static_cast<const uint32_t*>(chunk.getWords());
    return std::vector<uint32_t>(words, words + chunk.getCapacityWords());
}
