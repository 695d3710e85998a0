#pragma once
// What the zone widget, the undo steps and the container see of a zone lane:
// a single handler (BWZoneHandler) or a container of lanes that forwards to
// its current lane (BWZoneHandlerContainer).  GUI thread, except isAudioBusy
// and setAudioBusy, which the audio side uses.

#include <cstdint>
#include <memory>
#include <vector>

class BWChunk;
class BWChunkableClass;
class BWZone;

class BWZoneHandlerInterface {
public:
    // The zones of a lane; the lane owns them and hands out observers.
    using ZoneList = std::vector<std::unique_ptr<BWZone>>;

    virtual ~BWZoneHandlerInterface() = default;

    // The object an undo step snapshots.
    virtual BWChunkableClass* chunkable() = 0;
    // Takes the zone and inserts it sorted by start; false when there is no
    // lane or the audio side stayed busy (the zone is then dropped).
    virtual bool insertZone(std::unique_ptr<BWZone> zone) = 0;
    virtual void deleteZone(BWZone* zone) = 0;
    virtual void deleteAllZones(bool deferAll) = 0;
    virtual int32_t readChunk(BWChunk* chunk, bool skipOnly) = 0;
    virtual void writeChunk(BWChunk* chunk) = 0;
    // A new zone that is not yet in the list; null when there is no lane.
    virtual std::unique_ptr<BWZone> createZone(int32_t kind) = 0;
    virtual const char* name() = 0;
    // The first visible zone covering pos; null if none.
    virtual BWZone* zoneAt(int32_t pos) = 0;
    // The zone list, or an empty list while an edit is under way.
    virtual const ZoneList& activeZoneList() = 0;
    virtual bool freeSpaceAfter(int32_t pos, int32_t* lastFree) = 0;
    virtual bool processPendingDeletes() = 0;
    virtual bool waitAudioIdle() = 0;
    virtual bool isAudioBusy() const = 0;
    // Zones in the list, hidden ones included.
    virtual uint64_t zoneCount() const = 0;
    virtual void setAudioBusy(bool busy) = 0;
    virtual bool isMarked(uint32_t index) const = 0;
    virtual int32_t marker() const = 0;
    virtual void setMarker(int32_t value) = 0;
    // The n-th zone that is not hidden; null if there are fewer.
    virtual BWZone* visibleZone(uint64_t n) = 0;
    // −1 while an edit is under way, for null or for a zone not in the list.
    virtual int64_t visibleIndexOf(BWZone* zone) = 0;
    virtual uint64_t zoneNumberAt(int32_t pos) = 0;
    virtual uint64_t currentLane() const = 0;
    virtual void setCopySource() = 0;

    // Operations of one kind of handler; the others leave them without effect.
    virtual void pasteFromCopySource() {}                       // single handlers
    virtual void generateRandom(uint64_t /*steps*/) {}          // single handlers
    virtual void setLaneLength(uint64_t /*length*/) {}          // containers
    virtual void copyAll(uint64_t /*from*/, uint64_t /*to*/) {}  // containers
    virtual void pasteAll(uint64_t /*from*/, uint64_t /*to*/) {} // containers

    // Set by a container's resets; the zone views read and clear it.
    uint8_t changed = 0;
};
