#include "engine/BWRompler.h"

#include <algorithm>
#include <cstring>

#include "platform/Framework.h"
#include "persistence/BWChunk.h"
#include "persistence/BWFileio.h"
#include "persistence/BWStreamChunk.h"
#include "persistence/PathStrings.h"
#include "persistence/WriteObjectChunk.h"

namespace {

// The least a zone takes: its seven words and a sample chunk without marker
// (frames, embedded, loop start, loop end, loop flag).
constexpr uint32_t kMinZoneWords = 12;
// The header tempo that marks an instrument file as such, and the one
// written otherwise.
constexpr float kTempoOne = 1.0f;
constexpr float kDefaultTempo = 120.0f;

}  // namespace

BWRompler::BWRompler(const char* text) : BWChunkableClass(kTypeInstrument), name(text ? text : "") {}

BWRompler::~BWRompler() = default;

void BWRompler::setName(const char* text) {
    name = text ? text : "";
}

int32_t BWRompler::readZones(BWChunk& chunk, bool skipOnly, ZoneList& out) {
    const int32_t count = chunk.readInt();
    if (chunk.hasFailed()) return kChunkReadAbandon;
    if (count < 1) return kChunkReadOk;
    if (uint64_t(count) * kMinZoneWords > chunk.wordsLeft()) return kChunkReadAbandon;
    for (int32_t i = 0; i < count; ++i) {
        auto zone = std::make_unique<BWSampleZone>();
        const int32_t result = zone->readChunk(&chunk, skipOnly);
        if (result == kChunkReadAbandon) return kChunkReadAbandon;
        if (result != kChunkReadOk) AlertPrintf("TODO CHUNK ERROR");
        if (!skipOnly) out.push_back(std::move(zone));
    }
    return kChunkReadOk;
}

int32_t BWRompler::readChunk(BWChunk* chunk, bool skipOnly) {
    if (!chunk) return kChunkReadAbandon;
    ZoneList fresh;
    const int32_t result = readZones(*chunk, skipOnly, fresh);
    if (result != kChunkReadOk || skipOnly) return result;
    headerTempoIsOne = chunk->getTempo() == kTempoOne;
    zones.swap(fresh);
    return kChunkReadOk;
}

void BWRompler::writeChunk(BWChunk* chunk) {
    if (!chunk) return;
    chunk->writeInt(static_cast<int32_t>(zones.size()));
    for (const auto& zone : zones) zone->writeChunk(chunk);
}

bool BWRompler::readFile(BWChunk& chunk) {
    if (!chunk.parseHeader(false) || chunk.getFormatWord() != BWChunk::kFormatPlain) return false;
    return readChunk(&chunk, false) == kChunkReadOk;
}

bool BWRompler::loadFile(const char* path) {
    BWStreamChunk chunk;
    const bool loaded = path && std::strlen(path) >= 2 && chunk.openForReading(path) &&
                        readFile(chunk);
    if (!loaded) {
        AlertPrintf("loading ROM file from %s failed", path ? path : "");
        return false;
    }
    name = getBaseName(path);
    return true;
}

bool BWRompler::saveFile(const char* path) {
    if (!path) return false;
    BWChunk chunk;
    chunk.setTempo(headerTempoIsOne ? kTempoOne : kDefaultTempo);
    if (!writeObjectChunk(this, &chunk)) return false;
    return BWFileio::writeWhole(path, chunk.getWords(), size_t(chunk.getCapacityWords()) * 4);
}

BWSampleZone* BWRompler::addZone() {
    zones.push_back(std::make_unique<BWSampleZone>());
    return zones.back().get();
}

BWSampleZone* BWRompler::findZone(int32_t key, int32_t layer) const {
    for (const auto& zone : zones)
        if (zone->holds(key, layer)) return zone.get();
    return nullptr;
}

BWSampleZone* BWRompler::findZoneByKey(int32_t key) const {
    for (const auto& zone : zones)
        if (zone->holdsKey(key)) return zone.get();
    return nullptr;
}

void BWRompler::buildZoneTable(ZoneTable& table) const {
    for (const auto& zone : zones)
        for (int32_t key = zone->getKeyLow(); key <= zone->getKeyHigh(); ++key)
            for (int32_t layer = zone->getLayerLow(); layer <= zone->getLayerHigh(); ++layer)
                table[key][layer] = zone.get();
}

bool BWRompler::isInUse() const {
    return std::any_of(zones.begin(), zones.end(), [](const auto& zone) { return zone->getSample().isUsedByVoices(); });
}
