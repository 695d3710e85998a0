#include "core/BWZone.h"

#include <algorithm>

#include "persistence/BWChunk.h"

int32_t BWZone::readChunk(BWChunk* chunk, bool skipOnly) {
    if (chunk->wordsLeft() < 1) return kChunkReadFailed;
    if (chunk->readInt() != kRecordVersion) return kWrongVersion;
    if (chunk->wordsLeft() < 2) return kChunkReadFailed;
    const int32_t storedStart = std::clamp(chunk->readInt(), kFirstPosition, kLastPosition);
    const int32_t storedEnd = std::clamp(chunk->readInt(), kFirstPosition, kLastPosition);
    if (skipOnly) return kChunkReadOk;
    start = kFirstPosition;
    end = kLastPosition;
    setStart(storedStart);
    // The mirrors and the render take start <= end for granted.
    setEnd(std::max(storedEnd, storedStart));
    return kChunkReadOk;
}

void BWZone::writeChunk(BWChunk* chunk) {
    chunk->writeInt(kRecordVersion);
    chunk->writeInt(start);
    chunk->writeInt(end);
}

void BWZone::setRange(int32_t newStart, int32_t newEnd) {
    start = newStart;
    end = newEnd;
    notifyListeners(this);
    rangeChanged();
}

void BWZone::setEnd(int32_t newEnd) {
    end = newEnd;
    notifyListeners(this);
    rangeChanged();
}

void BWZone::setStart(int32_t newStart) {
    start = newStart;
    notifyListeners(this);
    rangeChanged();
}
