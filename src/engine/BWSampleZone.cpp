#include "engine/BWSampleZone.h"

#include <algorithm>
#include <cmath>

#include "persistence/BWChunk.h"

namespace {

int32_t toKey(int32_t value) {
    return std::clamp(value, 0, BWSampleZone::kMaxKey);
}

}  // namespace

BWSampleZone::BWSampleZone() : BWChunkableClass(kTypeSampleZone) {}

void BWSampleZone::setKeyRange(int32_t low, int32_t high) {
    keyLow = toKey(low);
    keyHigh = toKey(high);
}

void BWSampleZone::setLayerRange(int32_t low, int32_t high) {
    layerLow = toKey(low);
    layerHigh = toKey(high);
}

void BWSampleZone::setTune(float semitones) {
    tune = std::isfinite(semitones) ? semitones : 0.0f;
}

int32_t BWSampleZone::readChunk(BWChunk* chunk, bool skipOnly) {
    if (!chunk) return kChunkReadAbandon;
    int32_t words[6];
    for (int32_t& word : words) word = chunk->readInt();
    const float storedTune = chunk->readFloat();
    if (chunk->hasFailed()) return kChunkReadAbandon;
    const int32_t result = sample.readChunk(chunk, skipOnly);
    if (result == kChunkReadAbandon || skipOnly) return result;
    setKeyRange(words[0], words[1]);
    setLayerRange(words[2], words[3]);
    rootKey = words[4];
    reserved = words[5];
    setTune(storedTune);
    return result;
}

void BWSampleZone::writeChunk(BWChunk* chunk) {
    if (!chunk) return;
    for (int32_t word : {keyLow, keyHigh, layerLow, layerHigh, rootKey, reserved}) chunk->writeInt(word);
    chunk->writeFloat(tune);
    sample.writeChunk(chunk);
}
