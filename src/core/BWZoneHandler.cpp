#include "core/BWZoneHandler.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/BWSystemInfo.h"
#include "core/BWZone.h"
#include "platform/Framework.h"
#include "core/ZoneClipboard.h"
#include "persistence/BWChunk.h"
#include "core/RandomFloat.h"

namespace {

// Words of one zone entry of a handler record: kind, version, start, end.
constexpr uint32_t kWordsPerZone = 4;

bool contains(const std::vector<BWZone*>& list, const BWZone* zone) {
    return std::find(list.begin(), list.end(), zone) != list.end();
}

void eraseFirst(std::vector<BWZone*>& list, const BWZone* zone) {
    auto found = std::find(list.begin(), list.end(), zone);
    if (found != list.end()) list.erase(found);
}

BWZoneHandler::ZoneList::iterator findZone(BWZoneHandler::ZoneList& list, const BWZone* zone) {
    return std::find_if(list.begin(), list.end(), [zone](const auto& entry) { return entry.get() == zone; });
}

}  // namespace

BWZoneHandler::BWZoneHandler(BWSystemInfo* systemInfo, int64_t handlerId, bool clone)
    : owner(systemInfo), instanceId(systemInfo != nullptr ? systemInfo->instanceId : 0), isClone(clone) {
    id = handlerId;
    {
        const std::unique_lock<std::mutex> registries = lockZoneRegistries();
        allZoneHandlers().push_back(this);
    }
    if (owner != nullptr && !isClone) owner->addInitInterface(this);
}

BWZoneHandler::~BWZoneHandler() {
    {
        const std::unique_lock<std::mutex> registries = lockZoneRegistries();
        auto& registry = allZoneHandlers();
        registry.erase(std::remove(registry.begin(), registry.end(), this), registry.end());
        if (zoneCopySource() == this) setZoneCopySource(nullptr);
    }
    if (owner != nullptr && !isClone) owner->removeInitInterface(this);
}

// ---- the zone list ------------------------------------------------------

std::unique_ptr<BWZone> BWZoneHandler::createZone(int32_t /*kind*/) { return std::make_unique<BWZone>(); }

void BWZoneHandler::setAudioBusy(bool busy) {
    // A mark, not a count: only its changes enter or leave the gate.  The
    // reader walks the zones even when refused; it then gets the empty list.
    if (audioBusy.exchange(busy) == busy) return;
    if (busy)
        zonesGate.enter();
    else
        zonesGate.leave();
}

bool BWZoneHandler::audioStayedBusy() {
    AlertPrintf("Can't delete Zone. Reduce CPU Usage and try again.");
    return false;
}

bool BWZoneHandler::waitAudioIdle() {
    const UseGate::Change change = zonesGate.tryFor(kAudioWaitTries);
    return change || audioStayedBusy();
}

bool BWZoneHandler::insertZone(std::unique_ptr<BWZone> zone) {
    if (zone == nullptr) return false;
    // Range edits do not re-sort the list, so search it rather than bisect it.
    auto before = std::find_if(zones.begin(), zones.end(),
                               [&zone](const auto& other) { return other->start > zone->start; });
    const auto at = before - zones.begin();
    {
        const UseGate::Change change = zonesGate.tryFor(kAudioWaitTries);
        if (!change) return audioStayedBusy();
        zones.insert(zones.begin() + at, std::move(zone));
    }
    zonesChanged();
    return true;
}

void BWZoneHandler::queuePending(BWZone* zone) {
    if (!contains(pendingDeletes, zone)) pendingDeletes.push_back(zone);
}

void BWZoneHandler::removeAndDestroy(BWZone* zone) {
    eraseFirst(pendingDeletes, zone);
    auto found = findZone(zones, zone);
    if (found != zones.end()) zones.erase(found);
}

// Frees a zone of the list once the audio side is idle; false when it stayed busy.
bool BWZoneHandler::tryFree(BWZone* zone) {
    const UseGate::Change change = zonesGate.tryFor(kAudioWaitTries);
    if (!change) return audioStayedBusy();
    removeAndDestroy(zone);
    return true;
}

void BWZoneHandler::deleteZone(BWZone* zone) {
    if (zone == nullptr || findZone(zones, zone) == zones.end()) return;
    zone->hidden |= 1;
    if (zone->isLocked() || !tryFree(zone)) queuePending(zone);
    zonesChanged();
}

void BWZoneHandler::deleteAllZones(bool deferAll) {
    if (deferAll) {
        for (const auto& zone : zones) {
            zone->hidden |= 1;
            queuePending(zone.get());
        }
        zonesChanged();
        return;
    }
    size_t i = 0;
    while (i < zones.size()) {
        BWZone* zone = zones[i].get();
        zone->hidden |= 1;
        if (zone->isLocked()) {
            queuePending(zone);
            ++i;
        } else if (!tryFree(zone)) {
            ++i;  // stays hidden in the list until the next clear
        }
        // A freed zone's successor has moved into place i.
    }
    zonesChanged();
}

bool BWZoneHandler::processPendingDeletes() {
    if (audioBusy.load() || pendingDeletes.empty() || isEditing()) return false;
    bool freed = false;
    size_t i = 0;
    while (i < pendingDeletes.size()) {
        BWZone* zone = pendingDeletes[i];
        if (zone->isLocked()) break;  // the rest waits for it
        if (findZone(zones, zone) != zones.end() && tryFree(zone)) {
            freed = true;
            continue;  // the next entry has moved into place i
        }
        ++i;
    }
    if (freed) zonesChanged();
    return true;
}

// ---- queries ------------------------------------------------------------

BWZone* BWZoneHandler::zoneAt(int32_t pos) {
    for (const auto& zone : zones)
        if (!zone->isHidden() && zone->start <= pos && pos <= zone->end) return zone.get();
    return nullptr;
}

const BWZoneHandler::ZoneList& BWZoneHandler::activeZoneList() { return isEditing() ? editShadow : zones; }

bool BWZoneHandler::freeSpaceAfter(int32_t pos, int32_t* lastFree) {
    *lastFree = BWZone::kLastPosition;
    for (const auto& zone : zones) {  // hidden zones still take their room
        if (zone->start <= pos && pos <= zone->end) return false;
        if (zone->start > pos) {
            *lastFree = zone->start - 1;
            return true;
        }
    }
    return true;
}

BWZone* BWZoneHandler::visibleZone(uint64_t n) {
    for (const auto& zone : zones) {
        if (zone->isHidden()) continue;
        if (n == 0) return zone.get();
        --n;
    }
    return nullptr;
}

int64_t BWZoneHandler::visibleIndexOf(BWZone* zone) {
    if (isEditing() || zone == nullptr) return -1;
    int64_t visibleBefore = 0;
    for (const auto& entry : zones) {
        if (entry.get() == zone) return visibleBefore;
        if (!entry->isHidden()) ++visibleBefore;
    }
    return -1;
}

// ---- bulk edits ---------------------------------------------------------

void BWZoneHandler::clampZones(int32_t low, int32_t highExclusive) {
    if (highExclusive <= low) return;
    const int32_t last = highExclusive - 1;
    for (const auto& zone : zones) {
        if (zone->start < low) zone->setStart(low);
        if (zone->end > last) zone->setEnd(last);
        if (zone->start <= zone->end) continue;
        // Outside the range (or inverted): keep a single position inside it.
        if (zone->start > last)
            zone->setStart(zone->end);
        else
            zone->setEnd(zone->start);
    }
}

void BWZoneHandler::clearHandlersWithId(int64_t handlerId) {
    // The lanes of clipboard copies carry the instance too; clearing them
    // would empty the clipboard along with the lanes.
    std::vector<BWZoneHandler*> handlers;
    {
        const std::unique_lock<std::mutex> registries = lockZoneRegistries();
        for (BWZoneHandler* handler : allZoneHandlers())
            if (handler->instanceId == instanceId && !handler->isClone && handler->id == handlerId)
                handlers.push_back(handler);
    }
    for (BWZoneHandler* handler : handlers) handler->deleteAllZones(false);
}

void BWZoneHandler::copyZones(BWZoneHandler* target, BWZoneHandler* source) {
    if (target == nullptr || source == nullptr) return;
    target->deleteAllZones(false);
    // Taken after the clear, so that a handler pasted onto itself ends empty.
    std::vector<const BWZone*> visible;
    for (const auto& zone : source->zones)
        if (!zone->isHidden()) visible.push_back(zone.get());
    for (const BWZone* zone : visible) {
        std::unique_ptr<BWZone> copy = target->createZone(zone->kind());
        copy->setRange(zone->start, zone->end);
        target->insertZone(std::move(copy));
    }
}

void BWZoneHandler::setCopySource() {
    const std::unique_lock<std::mutex> registries = lockZoneRegistries();
    setZoneCopySource(this);
}

// Under the lock: the source, perhaps another instance's, cannot die meanwhile.
void BWZoneHandler::pasteFromCopySource() {
    const std::unique_lock<std::mutex> registries = lockZoneRegistries();
    copyZones(this, zoneCopySource());
}

void BWZoneHandler::generateRandom(uint64_t steps) {
    deleteAllZones(false);
    const float first = randomFloat(0);
    const auto count = static_cast<int32_t>(steps);
    if (count <= 0) return;
    // The draws follow the full count; zones exist only on positions 0..127.
    float base = static_cast<float>(first * 2.1 / count);
    float chance = base;
    int32_t last = -1;  // the last position that started or extended a zone
    const int32_t limit = std::min(count, kPositions);
    for (int32_t i = 0; i < limit; ++i) {
        const float weight = i % 4 == 0 ? 0.5f : 1.0f;
        if (randomFloat(0) >= weight * chance) {
            chance = last != -1 ? static_cast<float>(chance * 0.75) : base;
        } else if (last >= 0 && i == last + 1) {
            if (BWZone* zone = zoneAt(last)) zone->setEnd(i);
            chance = static_cast<float>(chance * 0.9);
            last = i;
        } else {
            std::unique_ptr<BWZone> zone = createZone(0);
            zone->setRange(i, i);
            insertZone(std::move(zone));
            chance = static_cast<float>(last == -1 ? base * 6 + 0.7 : base * 3 + 0.4);
            base = static_cast<float>(base * 0.93);
            last = i;
        }
    }
}

// ---- persistence --------------------------------------------------------

void BWZoneHandler::writeChunk(BWChunk* chunk) {
    chunk->writeInt(kRecordVersion);
    chunk->writeInt(kRecordMark);
    chunk->writeInt(static_cast<int32_t>(zones.size()));
    for (const auto& zone : zones) {
        chunk->writeInt(zone->kind());
        zone->writeChunk(chunk);
    }
}

bool BWZoneHandler::readRecordHead(BWChunk* chunk, int32_t& count) {
    if (chunk->wordsLeft() < 1) return false;
    // Records without the mark (version 0 or below) are of the older layout.
    if (chunk->readInt() > 0 && (chunk->wordsLeft() < 1 || chunk->readInt() != kRecordMark)) return false;
    if (chunk->wordsLeft() < 1) return false;
    count = chunk->readInt();
    return count >= 0 && static_cast<uint64_t>(count) <= kMaxZones &&
           static_cast<uint64_t>(count) * kWordsPerZone <= chunk->wordsLeft();
}

int32_t BWZoneHandler::skipRecord(BWChunk* chunk) {
    int32_t count = 0;
    if (!readRecordHead(chunk, count)) return kRecordFailed;
    for (int32_t i = 0; i < count; ++i) {
        chunk->readInt();  // kind
        if (chunk->readInt() != BWZone::kRecordVersion) return kRecordFailed;
        chunk->readInt();
        chunk->readInt();
    }
    return kChunkReadOk;
}

int32_t BWZoneHandler::readChunk(BWChunk* chunk, bool skipOnly) {
    if (skipOnly) return skipRecord(chunk);
    int32_t count = 0;
    if (!readRecordHead(chunk, count)) return kRecordFailed;
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<BWZone> zone = createZone(chunk->readInt());
        if (zone->readChunk(chunk, false) != kChunkReadOk) return kRecordFailed;
        insertZone(std::move(zone));
    }
    if (keepEmpty == 0 && count == 0) {
        std::unique_ptr<BWZone> zone = createZone(0);
        zone->setRange(0, 3);
        insertZone(std::move(zone));
    }
    return kChunkReadOk;
}
