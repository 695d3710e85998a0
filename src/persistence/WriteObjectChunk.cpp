#include "persistence/WriteObjectChunk.h"

#include "persistence/BWChunk.h"
#include "persistence/BWChunkableClass.h"

bool writeInTwoPasses(BWChunk* chunk, const std::function<void(BWChunk*)>& writeAll) {
    if (!chunk) return false;
    chunk->resetForWrite();
    writeAll(chunk);
    const uint32_t measured = chunk->getPosition();
    chunk->allocateMeasured();
    writeAll(chunk);
    return !chunk->hasFailed() && chunk->getPosition() == measured;
}

bool writeObjectChunk(BWChunkableClass* object, BWChunk* chunk) {
    if (!object) return false;
    return writeInTwoPasses(chunk, [object](BWChunk* target) {
        target->writeHeader(BWChunk::kFormatPlain);
        object->writeChunk(target);
    });
}

uint32_t measureObjectWords(BWChunkableClass* object) {
    BWChunk scratch;
    object->writeChunk(&scratch);
    return scratch.getPosition();
}
