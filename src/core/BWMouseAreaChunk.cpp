#include "core/BWMouseAreaChunk.h"

#include <algorithm>

#include "persistence/BWChunk.h"

namespace {

// The floats are parameter values: keep them in 0..1 before anything uses them.
float parameterValue(float stored) { return stored > 0.0f ? std::min(stored, 1.0f) : 0.0f; }

}  // namespace

BWMouseAreaChunk::BWMouseAreaChunk(float initialValue) : BWChunkableClass(kTypeFloatValue), ownValue(initialValue) {
    targets[0] = &ownValue;
}

void BWMouseAreaChunk::bind(size_t slot, std::atomic<float>* target) {
    if (slot < kPointers) targets[slot] = target;
}

float BWMouseAreaChunk::value() const {
    return targets[0] != nullptr ? targets[0]->load(std::memory_order_relaxed) : 0.0f;
}

void BWMouseAreaChunk::setValue(float newValue) {
    if (targets[0] != nullptr) targets[0]->store(newValue, std::memory_order_relaxed);
}

void BWMouseAreaChunk::writeChunk(BWChunk* chunk) {
    const size_t count = targets[kPointers - 1] != nullptr ? kPointers : kPointers - 1;
    chunk->writeInt(kMarker);
    chunk->writeInt(static_cast<int32_t>(count));
    for (size_t i = 0; i < count; ++i) {
        chunk->writeFloat(targets[i] != nullptr ? targets[i]->load(std::memory_order_relaxed) : 0.0f);
    }
}

int32_t BWMouseAreaChunk::readChunk(BWChunk* chunk, bool skipOnly) {
    if (chunk->wordsLeft() < 2) return kChunkReadFailed;
    chunk->readInt();  // marker
    const int32_t count = chunk->readInt();
    if (count < 1) return kChunkReadOk;
    if (count > kMaxStoredFloats || static_cast<uint32_t>(count) > chunk->wordsLeft()) return kChunkReadFailed;
    for (int32_t i = 0; i < count; ++i) {
        const float stored = chunk->readFloat();
        const auto slot = static_cast<size_t>(i);
        if (!skipOnly && slot < kPointers && targets[slot] != nullptr) {
            targets[slot]->store(parameterValue(stored), std::memory_order_relaxed);
        }
    }
    return kChunkReadOk;
}
