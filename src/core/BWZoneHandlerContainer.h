#pragma once
// Several zone lanes behind one handler interface: the zone widget talks to
// the container as to a single handler and the container forwards to its
// current lane.  It saves all lanes as one record, takes part in the
// pattern-wide init, copy, paste and randomise edits, and copies its current
// lane to the process-wide zone clipboard and back.
//
// Threads: everything runs on the GUI thread (or the program loader), except
// audioLoopRange, which the render calls.  The lanes are replaced only behind
// the lane gate, so a lane the render reads is never freed under it.  The
// clipboard and the registries are shared with the other instances' threads
// behind their locks (core/ZoneClipboard.h).

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/BWInitInterface.h"
#include "core/BWZoneHandlerInterface.h"
#include "core/UseGate.h"
#include "persistence/BWChunkableClass.h"

class BWFloatZoneHandler;
class BWSystemInfo;

template <class Handler>
class BWZoneHandlerContainer : public BWChunkableClass, public BWZoneHandlerInterface, public BWInitInterface {
public:
    static constexpr int32_t kRecordTag = 512795;
    static constexpr int32_t kRecordVersion = 1;
    // Lanes are built for counts 1..63; any other count leaves no lanes.
    static constexpr uint64_t kMaxLanes = 63;
    static constexpr uint64_t kLaneSlots = 64;

    // GUI thread.  Lanes are built empty with id −1; a container that is not
    // a clipboard copy enters its edit interface in the owner's list.
    BWZoneHandlerContainer(BWSystemInfo* owner, int64_t id, uint64_t laneCount, bool isClone);
    ~BWZoneHandlerContainer() override;
    BWZoneHandlerContainer(const BWZoneHandlerContainer&) = delete;
    BWZoneHandlerContainer& operator=(const BWZoneHandlerContainer&) = delete;

    // Persistence, all lanes.  readChunk answers 1, or 0 for a record of
    // another tag or version, more than 63 lanes, a truncated record or a
    // lane record that fails (the lanes before it are read, the rest not).
    int32_t readChunk(BWChunk* chunk, bool skipOnly) override;
    void writeChunk(BWChunk* chunk) override;

    // The lanes; null for an index without a lane.
    void clearCurrentLaneWithId(int64_t laneId);
    Handler* audioLaneHandler() const { return laneHandler(audioLane.load()); }
    Handler* laneHandler(uint64_t index) const;
    // Indices outside the lanes are ignored.
    void setCurrentLane(uint64_t index);
    void setAudioLane(uint64_t index);
    uint64_t getLaneCount() const { return laneCount; }

    // The loop range of the step pattern: the mirrored first zone of the
    // audio lane.  False (nothing written) while the lanes are being replaced
    // or when there is no audio lane.  Audio thread; never waits.
    bool audioLoopRange(float& start, float& end) const;

    // BWZoneHandlerInterface: the zone operations act on the current lane.
    BWChunkableClass* chunkable() override { return this; }
    bool insertZone(std::unique_ptr<BWZone> zone) override;
    void deleteZone(BWZone* zone) override;
    void deleteAllZones(bool deferAll) override;
    std::unique_ptr<BWZone> createZone(int32_t kind) override;
    const char* name() override;
    BWZone* zoneAt(int32_t pos) override;
    const ZoneList& activeZoneList() override;
    bool freeSpaceAfter(int32_t pos, int32_t* lastFree) override;
    bool processPendingDeletes() override;
    bool waitAudioIdle() override;
    bool isAudioBusy() const override;
    uint64_t zoneCount() const override;
    void setAudioBusy(bool busy) override;
    bool isMarked(uint32_t index) const override { return index == markedIndex; }
    int32_t marker() const override { return markerValue < 0 ? 0 : markerValue; }
    void setMarker(int32_t value) override { markerValue = value; }
    BWZone* visibleZone(uint64_t n) override;
    int64_t visibleIndexOf(BWZone* zone) override;
    uint64_t zoneNumberAt(int32_t pos) override;
    uint64_t currentLane() const override { return currentLaneIndex.load(); }
    void setCopySource() override;
    void setLaneLength(uint64_t length) override { laneLength = length; }
    // copy/paste on every live container of this plug-in instance; clipboard
    // copies and other instances' containers are left alone.
    void copyAll(uint64_t from, uint64_t to) override;
    void pasteAll(uint64_t from, uint64_t to) override;
    // The container last marked with setCopySource, if it still lives.
    BWZoneHandlerInterface* copySource() const;

    // BWInitInterface.
    void resetAll() override;
    void resetCurrent() override;
    // Puts a copy of the whole container into the zone clipboard under
    // clipboardKey; the current lane is the one a paste takes.  A clipboard
    // copy itself never copies (it would replace itself).
    void copy(uint64_t from, uint64_t to) override;
    // The current lane receives the visible zones of the lane that was
    // current when the clipboard copy was made; the range is not used.
    void paste(uint64_t from, uint64_t to) override;
    void randomize() override;
    std::unique_ptr<BWInitInterface> clone() override { return makeCopy(); }

    int64_t copiedLane = -1;         // current lane at the last copy; a clipboard copy carries it
    uint32_t markedIndex = UINT32_MAX;
    uint64_t laneLength = 128;       // positions per lane: reading clamps to them, randomize fills them
    uint8_t initEnabled = 1;         // 0: the pattern-wide init leaves the lanes alone

private:
    Handler* current() const { return laneHandler(currentLaneIndex.load()); }
    void buildLanes(uint64_t count);
    std::unique_ptr<BWZoneHandlerContainer> makeCopy();
    std::vector<BWZoneHandlerContainer*> liveContainersOfInstance() const;
    int32_t skipLanes(BWChunk* chunk, int32_t count);
    // Tells the render that the loop range it read may be stale (the
    // owner's zoneEdits): the lanes were rebuilt or the audio lane moved.
    void noteLoopEdit() const;

    BWSystemInfo* const owner;
    const uint32_t instanceId;  // copied: a clipboard copy may outlive its instance
    const bool isClone;
    uint64_t laneCount = 0;
    std::atomic<uint64_t> currentLaneIndex{0};
    std::atomic<uint64_t> audioLane{0};
    using Lanes = std::array<std::unique_ptr<Handler>, kLaneSlots>;
    Lanes lanes{};  // null from laneCount on
    UseGate lanesGate;
    int32_t markerValue = 0;
};

extern template class BWZoneHandlerContainer<BWFloatZoneHandler>;
