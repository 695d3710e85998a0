#include "core/BWZoneHandlerContainer.h"

#include <algorithm>
#include <tuple>

#include "core/BWFloatZoneHandler.h"
#include "core/BWSystemInfo.h"
#include "core/BWZone.h"
#include "core/ZoneClipboard.h"
#include "persistence/BWChunk.h"

namespace {

// A lane record is at least its version, mark and zone count.
constexpr uint32_t kMinWordsPerLane = 3;
constexpr uint32_t kHeadWords = 4;

const BWZoneHandlerInterface::ZoneList& noZones() {
    static const BWZoneHandlerInterface::ZoneList empty;
    return empty;
}

}  // namespace

template <class Handler>
BWZoneHandlerContainer<Handler>::BWZoneHandlerContainer(BWSystemInfo* systemInfo, int64_t containerId,
                                                        uint64_t count, bool clone)
    : owner(systemInfo), instanceId(systemInfo != nullptr ? systemInfo->instanceId : 0), isClone(clone) {
    id = containerId;
    buildLanes(count);
    {
        const std::unique_lock<std::mutex> registries = lockZoneRegistries();
        allZoneContainers().push_back(this);
    }
    if (owner != nullptr && !isClone) owner->addInitInterface(this);
}

template <class Handler>
BWZoneHandlerContainer<Handler>::~BWZoneHandlerContainer() {
    {
        const std::unique_lock<std::mutex> registries = lockZoneRegistries();
        auto& registry = allZoneContainers();
        registry.erase(std::remove(registry.begin(), registry.end(), this), registry.end());
        if (zoneContainerCopySource() == this) setZoneContainerCopySource(nullptr);
    }
    buildLanes(0);  // frees every lane once the render has let go
    if (owner != nullptr && !isClone) owner->removeInitInterface(this);
}

// ---- lanes --------------------------------------------------------------

template <class Handler>
void BWZoneHandlerContainer<Handler>::buildLanes(uint64_t count) {
    Lanes fresh{};
    const uint64_t built = count >= 1 && count <= kMaxLanes ? count : 0;
    for (uint64_t i = 0; i < built; ++i) fresh[i] = std::make_unique<Handler>(owner, -1, isClone);
    {
        UseGate::Change change(lanesGate);
        lanes.swap(fresh);
        laneCount = built;
    }
    noteLoopEdit();
    // fresh now holds the old lanes: freed on return, out of the render's reach.
}

template <class Handler>
Handler* BWZoneHandlerContainer<Handler>::laneHandler(uint64_t index) const {
    return index < laneCount ? lanes[index].get() : nullptr;
}

template <class Handler>
void BWZoneHandlerContainer<Handler>::setCurrentLane(uint64_t index) {
    if (index < laneCount) currentLaneIndex.store(index);
}

template <class Handler>
void BWZoneHandlerContainer<Handler>::setAudioLane(uint64_t index) {
    if (index < laneCount && audioLane.exchange(index) != index) noteLoopEdit();
}

template <class Handler>
void BWZoneHandlerContainer<Handler>::noteLoopEdit() const {
    // A clipboard copy is never read by the render, and may outlive its
    // instance.
    if (owner != nullptr && !isClone) owner->zoneEdits.fetch_add(1, std::memory_order_release);
}

template <class Handler>
bool BWZoneHandlerContainer<Handler>::audioLoopRange(float& start, float& end) const {
    UseGate::Use use(lanesGate);
    if (!use) return false;
    const Handler* lane = laneHandler(audioLane.load());
    if (lane == nullptr) return false;
    std::tie(start, end) = lane->firstZoneRange();
    return true;
}

template <class Handler>
void BWZoneHandlerContainer<Handler>::clearCurrentLaneWithId(int64_t laneId) {
    if (Handler* lane = current()) lane->clearHandlersWithId(laneId);
}

// ---- forwarding to the current lane -------------------------------------

template <class Handler>
bool BWZoneHandlerContainer<Handler>::insertZone(std::unique_ptr<BWZone> zone) {
    Handler* lane = current();
    return lane != nullptr && lane->insertZone(std::move(zone));
}

template <class Handler>
void BWZoneHandlerContainer<Handler>::deleteZone(BWZone* zone) {
    if (Handler* lane = current()) lane->deleteZone(zone);
}

template <class Handler>
void BWZoneHandlerContainer<Handler>::deleteAllZones(bool deferAll) {
    if (Handler* lane = current()) lane->deleteAllZones(deferAll);
}

template <class Handler>
std::unique_ptr<BWZone> BWZoneHandlerContainer<Handler>::createZone(int32_t kind) {
    Handler* lane = current();
    return lane != nullptr ? lane->createZone(kind) : nullptr;
}

template <class Handler>
const char* BWZoneHandlerContainer<Handler>::name() {
    Handler* lane = current();
    return lane != nullptr ? lane->name() : "empty";
}

template <class Handler>
BWZone* BWZoneHandlerContainer<Handler>::zoneAt(int32_t pos) {
    Handler* lane = current();
    return lane != nullptr ? lane->zoneAt(pos) : nullptr;
}

template <class Handler>
const BWZoneHandlerInterface::ZoneList& BWZoneHandlerContainer<Handler>::activeZoneList() {
    Handler* lane = current();
    return lane != nullptr ? lane->activeZoneList() : noZones();
}

template <class Handler>
bool BWZoneHandlerContainer<Handler>::freeSpaceAfter(int32_t pos, int32_t* lastFree) {
    Handler* lane = current();
    return lane != nullptr && lane->freeSpaceAfter(pos, lastFree);
}

template <class Handler>
bool BWZoneHandlerContainer<Handler>::processPendingDeletes() {
    Handler* lane = current();
    return lane != nullptr && lane->processPendingDeletes();
}

template <class Handler>
bool BWZoneHandlerContainer<Handler>::waitAudioIdle() {
    Handler* lane = current();
    return lane == nullptr || lane->waitAudioIdle();
}

template <class Handler>
bool BWZoneHandlerContainer<Handler>::isAudioBusy() const {
    UseGate::Use use(lanesGate);
    const Handler* lane = use ? current() : nullptr;
    return lane != nullptr && lane->isAudioBusy();
}

template <class Handler>
uint64_t BWZoneHandlerContainer<Handler>::zoneCount() const {
    const Handler* lane = current();
    return lane != nullptr ? lane->zoneCount() : 0;
}

template <class Handler>
void BWZoneHandlerContainer<Handler>::setAudioBusy(bool busy) {
    UseGate::Use use(lanesGate);
    Handler* lane = use ? current() : nullptr;
    if (lane != nullptr) lane->setAudioBusy(busy);
}

template <class Handler>
BWZone* BWZoneHandlerContainer<Handler>::visibleZone(uint64_t n) {
    Handler* lane = current();
    return lane != nullptr ? lane->visibleZone(n) : nullptr;
}

template <class Handler>
int64_t BWZoneHandlerContainer<Handler>::visibleIndexOf(BWZone* zone) {
    Handler* lane = current();
    return lane != nullptr ? lane->visibleIndexOf(zone) : -1;
}

template <class Handler>
uint64_t BWZoneHandlerContainer<Handler>::zoneNumberAt(int32_t pos) {
    Handler* lane = current();
    return lane != nullptr ? lane->zoneNumberAt(pos) : 0;
}

// ---- copy sources and clipboard -----------------------------------------

template <class Handler>
void BWZoneHandlerContainer<Handler>::setCopySource() {
    const std::unique_lock<std::mutex> registries = lockZoneRegistries();
    setZoneContainerCopySource(this);
}

template <class Handler>
BWZoneHandlerInterface* BWZoneHandlerContainer<Handler>::copySource() const {
    const std::unique_lock<std::mutex> registries = lockZoneRegistries();
    return zoneContainerCopySource();
}

template <class Handler>
std::unique_ptr<BWZoneHandlerContainer<Handler>> BWZoneHandlerContainer<Handler>::makeCopy() {
    auto copy = std::make_unique<BWZoneHandlerContainer>(owner, id, laneCount, true);
    for (uint64_t i = 0; i < laneCount; ++i) BWZoneHandler::copyZones(copy->lanes[i].get(), lanes[i].get());
    copy->setId(id);
    copy->sharedClipboardKey = sharedClipboardKey;
    copy->clipboardKey = clipboardKey;
    copy->copiedLane = copiedLane;
    return copy;
}

template <class Handler>
void BWZoneHandlerContainer<Handler>::copy(uint64_t from, uint64_t to) {
    copiedLane = static_cast<int64_t>(currentLaneIndex.load());
    if (isClone || clipboardKey == -1) return;
    std::unique_ptr<BWZoneHandlerContainer> copy = makeCopy();
    copy->copyFrom = from;
    copy->copyTo = to;
    zoneClipboard().store(std::move(copy));  // replaces the entry of the same key
}

template <class Handler>
void BWZoneHandlerContainer<Handler>::paste(uint64_t /*from*/, uint64_t /*to*/) {
    zoneClipboard().read(clipboardKey, [&](BWInitInterface& copy) {
        auto* entry = dynamic_cast<BWZoneHandlerContainer*>(&copy);
        if (entry == nullptr || entry->copiedLane < 0) return;
        BWZoneHandler::copyZones(current(), entry->laneHandler(static_cast<uint64_t>(entry->copiedLane)));
    });
}

template <class Handler>
std::vector<BWZoneHandlerContainer<Handler>*> BWZoneHandlerContainer<Handler>::liveContainersOfInstance() const {
    // Collected first, under the lock (a copy adds a container to the
    // registry); only this instance's, which die only in its turn.
    std::vector<BWZoneHandlerContainer*> live;
    const std::unique_lock<std::mutex> registries = lockZoneRegistries();
    for (BWZoneHandlerInterface* entry : allZoneContainers()) {
        auto* container = dynamic_cast<BWZoneHandlerContainer*>(entry);
        if (container != nullptr && !container->isClone && container->instanceId == instanceId)
            live.push_back(container);
    }
    return live;
}

template <class Handler>
void BWZoneHandlerContainer<Handler>::copyAll(uint64_t from, uint64_t to) {
    for (BWZoneHandlerContainer* container : liveContainersOfInstance()) container->copy(from, to);
}

template <class Handler>
void BWZoneHandlerContainer<Handler>::pasteAll(uint64_t from, uint64_t to) {
    for (BWZoneHandlerContainer* container : liveContainersOfInstance()) container->paste(from, to);
}

// ---- pattern-wide edits -------------------------------------------------

template <class Handler>
void BWZoneHandlerContainer<Handler>::resetAll() {
    if (initEnabled != 0)
        for (uint64_t i = 0; i < laneCount; ++i) lanes[i]->deleteAllZones(false);
    changed = 1;
}

template <class Handler>
void BWZoneHandlerContainer<Handler>::resetCurrent() {
    if (initEnabled == 0) return;
    deleteAllZones(false);
    changed = 1;
}

template <class Handler>
void BWZoneHandlerContainer<Handler>::randomize() {
    if (Handler* lane = current()) lane->generateRandom(laneLength);
}

// ---- persistence --------------------------------------------------------

template <class Handler>
void BWZoneHandlerContainer<Handler>::writeChunk(BWChunk* chunk) {
    chunk->writeInt(kRecordTag);
    chunk->writeInt(kRecordVersion);
    chunk->writeInt(static_cast<int32_t>(laneCount));
    chunk->writeInt(static_cast<int32_t>(currentLaneIndex.load()));
    for (uint64_t i = 0; i < laneCount; ++i) lanes[i]->writeChunk(chunk);
}

template <class Handler>
int32_t BWZoneHandlerContainer<Handler>::skipLanes(BWChunk* chunk, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        if (BWZoneHandler::skipRecord(chunk) != kChunkReadOk) return kChunkReadFailed;
    return kChunkReadOk;
}

template <class Handler>
int32_t BWZoneHandlerContainer<Handler>::readChunk(BWChunk* chunk, bool skipOnly) {
    if (chunk->wordsLeft() < kHeadWords) return kChunkReadFailed;
    const int32_t tag = chunk->readInt();
    const int32_t version = chunk->readInt();
    const int32_t count = chunk->readInt();
    chunk->readInt();  // the stored current lane; the present one stays
    if (tag != kRecordTag || version != kRecordVersion) return kChunkReadFailed;
    if (count < 0 || static_cast<uint64_t>(count) > kMaxLanes ||
        static_cast<uint64_t>(count) * kMinWordsPerLane > chunk->wordsLeft())
        return kChunkReadFailed;
    if (skipOnly) return skipLanes(chunk, count);

    if (static_cast<uint64_t>(count) != laneCount) buildLanes(static_cast<uint64_t>(count));
    const auto positions = static_cast<int32_t>(std::min<uint64_t>(laneLength, BWZoneHandler::kPositions));
    for (uint64_t i = 0; i < laneCount; ++i) {
        lanes[i]->deleteAllZones(false);
        // A lane cut short keeps the zones read before the cut, so they are
        // brought into the lane as well: unclamped they would be saved with
        // positions past its end.
        const bool whole = lanes[i]->readChunk(chunk, false) == kChunkReadOk;
        lanes[i]->clampZones(0, positions);
        if (!whole) return kChunkReadFailed;
    }
    return kChunkReadOk;
}

template class BWZoneHandlerContainer<BWFloatZoneHandler>;
