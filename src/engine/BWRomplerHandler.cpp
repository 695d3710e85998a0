#include "engine/BWRomplerHandler.h"

#include <utility>

#include "engine/BWSampleZone.h"
#include "persistence/BWChunk.h"
#include "platform/ModalWait.h"

namespace {

bool inTable(int32_t key, int32_t layer) {
    return key >= 0 && key < BWRomplerHandler::kKeys && layer >= 0 && layer < BWRomplerHandler::kLayers;
}

}  // namespace

BWRomplerHandler::ZoneAccess::ZoneAccess(const BWRomplerHandler& handler) : handler(handler), use(handler.gate) {}

BWSampleZone* BWRomplerHandler::ZoneAccess::zoneFor(int32_t key, int32_t layer) const {
    if (!use || !inTable(key, layer)) return nullptr;
    if (handler.tableHoldsLayers) return handler.zoneTable->cells[key][layer];
    return handler.instrument ? handler.instrument->findZone(key, layer) : nullptr;
}

BWRomplerHandler::BWRomplerHandler(BWRomplerLibrary* library)
    : BWChunkableClass(kTypeLayerHandler), zoneTable(std::make_unique<ZoneTable>()), library(library) {}

BWRomplerHandler::~BWRomplerHandler() {
    if (library) library->release(instrument);
}

bool BWRomplerHandler::loadInstrument(const std::string& name, bool deleteNow) {
    return switchInstrument(name, deleteNow, false) == Outcome::Loaded;
}

BWRomplerHandler::Outcome BWRomplerHandler::switchInstrument(const std::string& name, bool deleteNow,
                                                             bool silenceUnreadable) {
    if (!library) return Outcome::NotListed;
    // A file that fails to load says so once the locks are let go: nobody
    // waits on a person while they are held (platform/ModalWait.h).
    const platform::NoModalWait noBoxHere;
    std::lock_guard<std::mutex> changing(changeMutex);
    auto holding = library->hold();
    if (library->isEmpty()) library->scan(false);
    // Parked, not deleted: the table below still offers the old zones.
    bool unreadable = false;
    BWRompler* next = library->acquire(instrument, name, false, &unreadable);
    const bool silenced = unreadable && silenceUnreadable;
    BWRompler* const previous = instrument;
    if (silenced) next = nullptr;
    {
        UseGate::Change change(gate);
        instrument = next;
        rebuildTable();
    }
    // The library kept the previous instrument counted for the layer; its
    // use ends now that the table no longer offers its zones (voices still
    // playing them keep it parked).
    if (silenced && previous) library->release(previous);
    // A refused file leaves the previous instrument, whose name stays.
    instrumentName = next ? next->getName() : silenced ? name : kNoInstrument;
    if (deleteNow) library->purgeReleased();
    if (unreadable) return Outcome::Unreadable;
    return next ? Outcome::Loaded : Outcome::NotListed;
}

void BWRomplerHandler::rebuildTable() {
    auto& cells = zoneTable->cells;
    for (auto& row : cells)
        for (BWSampleZone*& cell : row) cell = nullptr;
    tableHoldsLayers = useLayerTable;
    if (!instrument) return;
    if (useLayerTable) {
        instrument->buildZoneTable(cells);
        return;
    }
    for (int32_t key = 0; key < kKeys; ++key) cells[key][0] = instrument->findZoneByKey(key);
}

int32_t BWRomplerHandler::readChunk(BWChunk* chunk, bool skipOnly) {
    if (!chunk) return kChunkReadFailed;
    chunk->readInt();  // tag and version: every form reads the same way
    chunk->readInt();
    std::string name;
    chunk->readString(name);
    MissingInstrument missing;
    if (!name.empty() && !chunk->hasFailed() && !skipOnly) {
        const Outcome outcome = switchInstrument(name, false, true);
        if (outcome != Outcome::Loaded && name != kNoInstrument) missing = {name, outcome == Outcome::Unreadable};
        resetVoices();
    }
    {
        std::lock_guard<std::mutex> changing(changeMutex);
        missingInstrument = missing;
    }
    return getInstrument() ? kChunkReadOk : kChunkReadFailed;
}

void BWRomplerHandler::writeChunk(BWChunk* chunk) {
    chunk->writeInt(kChunkTag);
    chunk->writeInt(kChunkVersion);
    chunk->writeString(getInstrumentName().c_str());
}

void BWRomplerHandler::setName(const char* name) {
    std::lock_guard<std::mutex> changing(changeMutex);
    instrumentName = name ? name : "";
}

const char* BWRomplerHandler::getName() { return instrumentName.c_str(); }

std::string BWRomplerHandler::getInstrumentName() const {
    std::lock_guard<std::mutex> changing(changeMutex);
    return instrumentName;
}

BWRomplerHandler::MissingInstrument BWRomplerHandler::takeMissingInstrument() {
    std::lock_guard<std::mutex> changing(changeMutex);
    return std::exchange(missingInstrument, MissingInstrument{});
}

void BWRomplerHandler::addVoice(BWRomplerReaderBase* voice) {
    if (voice) voices.push_back(voice);
}

void BWRomplerHandler::resetVoices() {
    for (BWRomplerReaderBase* voice : voices) voice->reset();
}

BWRompler* BWRomplerHandler::getInstrument() const {
    std::lock_guard<std::mutex> changing(changeMutex);
    return instrument;
}

BWSampleZone* BWRomplerHandler::getTableZone(int32_t key, int32_t layer) const {
    if (!inTable(key, layer)) return nullptr;
    std::lock_guard<std::mutex> changing(changeMutex);
    return zoneTable->cells[key][layer];
}
