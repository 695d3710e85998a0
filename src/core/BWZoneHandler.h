#pragma once
// The zones of one lane: a list sorted by start that the handler creates,
// frees, saves, restores, fills at random and copies from another handler.
//
// Threads: everything runs on the GUI thread (or the program loader), except
// that an audio-side reader of the zone objects marks itself busy while it
// walks them: a use of the handler's gate.  An edit that would free or move a
// zone is a change of that gate, which waits for the reader (1 ms sleeps, at
// most 1000) and meanwhile hands readers an empty list; a zone that cannot be
// freed at once is hidden and freed later.  The render itself reads only the
// float handler's mirrors.

#include <atomic>
#include <cstdint>
#include <vector>

#include "core/BWInitInterface.h"
#include "core/BWZoneHandlerInterface.h"
#include "core/UseGate.h"
#include "persistence/BWChunkableClass.h"

class BWSystemInfo;

class BWZoneHandler : public BWChunkableClass, public BWZoneHandlerInterface, public BWInitInterface {
public:
    static constexpr int32_t kRecordVersion = 1;
    static constexpr int32_t kRecordMark = 520860;
    // readChunk's answer for a record it cannot take: the load stops.
    static constexpr int32_t kRecordFailed = kChunkReadAbandon;
    // Positions 0..127 hold at most this many zones; longer lists are refused.
    static constexpr uint64_t kMaxZones = 128;
    static constexpr int32_t kPositions = 128;
    static constexpr int kAudioWaitTries = 1000;

    // GUI thread.  A handler that is not a clipboard copy enters its edit
    // interface in the owner's init-interface list (owner may be null).
    BWZoneHandler(BWSystemInfo* owner, int64_t id, bool isClone);
    ~BWZoneHandler() override;
    BWZoneHandler(const BWZoneHandler&) = delete;
    BWZoneHandler& operator=(const BWZoneHandler&) = delete;

    // BWZoneHandlerInterface; GUI thread unless said otherwise.
    BWChunkableClass* chunkable() override { return this; }
    bool insertZone(std::unique_ptr<BWZone> zone) override;
    void deleteZone(BWZone* zone) override;
    void deleteAllZones(bool deferAll) override;
    // Adds the stored zones to those present.  Answers 1, or 3 for a record
    // that is refused (wrong mark, a zone of another version, a count that is
    // negative, above 128 or beyond the words left); zones read before a bad
    // zone stay.  With skipOnly nothing changes.
    int32_t readChunk(BWChunk* chunk, bool skipOnly) override;
    void writeChunk(BWChunk* chunk) override;
    std::unique_ptr<BWZone> createZone(int32_t kind) override;
    const char* name() override { return "empty"; }
    BWZone* zoneAt(int32_t pos) override;
    const ZoneList& activeZoneList() override;
    bool freeSpaceAfter(int32_t pos, int32_t* lastFree) override;
    bool processPendingDeletes() override;
    bool waitAudioIdle() override;
    bool isAudioBusy() const override { return audioBusy.load(); }  // any thread
    uint64_t zoneCount() const override { return zones.size(); }
    void setAudioBusy(bool busy) override;  // audio thread
    bool isMarked(uint32_t /*index*/) const override { return false; }
    int32_t marker() const override { return 0; }
    void setMarker(int32_t /*value*/) override {}
    BWZone* visibleZone(uint64_t n) override;
    int64_t visibleIndexOf(BWZone* zone) override;
    uint64_t zoneNumberAt(int32_t /*pos*/) override { return UINT64_MAX; }
    uint64_t currentLane() const override { return 0; }
    void setCopySource() override;
    void pasteFromCopySource() override;
    void generateRandom(uint64_t steps) override;

    // BWInitInterface: the pattern-wide init clears the lane; handlers are
    // not cloned on their own (the container clones whole).
    void resetAll() override { deleteAllZones(false); }

    // Brings every zone inside low..highExclusive − 1, keeping start <= end:
    // a zone wholly above the range ends as the single last position.
    void clampZones(int32_t low, int32_t highExclusive);
    // deleteAllZones(false) on every live handler of this plug-in instance
    // whose id equals the argument; clipboard copies keep their zones.
    void clearHandlersWithId(int64_t handlerId);
    // target loses its zones and receives copies of source's visible zones.
    static void copyZones(BWZoneHandler* target, BWZoneHandler* source);
    // Consumes one handler record without a handler; answers as readChunk.
    static int32_t skipRecord(BWChunk* chunk);

    uint32_t getInstanceId() const { return instanceId; }
    // The list itself, also during an edit; GUI thread.
    const ZoneList& zoneList() const { return zones; }
    const std::vector<BWZone*>& pendingList() const { return pendingDeletes; }

    // When 0, reading a record without zones creates one zone 0..3.
    uint8_t keepEmpty = 1;

protected:
    // Called after every change of the zone list.
    virtual void zonesChanged() {}

private:
    // Reads the version, the mark (newer layout) and the zone count, checking
    // the count against the words left; false for a record to refuse.
    static bool readRecordHead(BWChunk* chunk, int32_t& count);
    // Shows that an edit gave up waiting for the audio side; answers false.
    static bool audioStayedBusy();
    bool isEditing() const { return zonesGate.isChanging(); }
    void queuePending(BWZone* zone);
    void removeAndDestroy(BWZone* zone);
    bool tryFree(BWZone* zone);
    void fillRandomZones(int32_t steps);

    BWSystemInfo* const owner;
    const uint32_t instanceId;  // copied: a clipboard copy may outlive its instance
    const bool isClone;
    ZoneList zones;                       // sorted by start; hidden ones included
    std::vector<BWZone*> pendingDeletes;  // hidden zones waiting to be freed (also in zones)
    const ZoneList editShadow;            // what readers get during an edit: nothing
    std::atomic<bool> audioBusy{false};   // the audio side's mark; while set it is a user of the gate
    UseGate zonesGate;                    // closed while an edit changes the list
};
