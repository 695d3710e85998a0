#pragma once
// A zone lane whose zones the render can follow without touching them: after
// every change of the list or of a zone's range the handler rewrites fixed
// float mirrors (starts, ends, the zone number at each position), and the
// render reads only those.  The mirrors cover positions 0..127 and the first
// 128 zones; nothing beyond is written.
//
// Threads: as BWZoneHandler.  The mirrors are written and read on the GUI
// thread.  The render reads only the first zone's range, which each refresh
// also publishes as one atomic word (firstZoneRange): the audio thread never
// takes a lock and never sees the start of one range with the end of another.
// Each refresh then moves the owner's zoneEdits, so that the render reads
// that word again only after a change.

#include <array>
#include <atomic>
#include <cstdint>
#include <utility>

#include "core/BWZoneHandler.h"

class BWFloatZoneHandler : public BWZoneHandler {
public:
    static constexpr size_t kMirrorSize = 128;

    // GUI thread; the mirrors start all zero.
    BWFloatZoneHandler(BWSystemInfo* owner, int64_t id, bool isClone);

    std::unique_ptr<BWZone> createZone(int32_t kind) override;
    bool isMarked(uint32_t index) const override { return index == markedIndex; }
    int32_t marker() const override { return markerValue < 0 ? 0 : markerValue; }
    void setMarker(int32_t value) override { markerValue = value; }
    // The 1-based list index of the zone covering pos, 0 where none does.
    uint64_t zoneNumberAt(int32_t pos) override;

    // Rewrites the mirrors from the list (hidden zones included).  Entries of
    // zoneStart and zoneEnd past the zone count keep their earlier values, so
    // the render keeps its last loop range when the lane is emptied.
    void refreshMirrors();
    // zoneStart[0] and zoneEnd[0] as the last refresh left them.  Any thread;
    // lock-free, allocates nothing.
    std::pair<float, float> firstZoneRange() const;

    std::array<float, kMirrorSize> zoneStart{};
    std::array<float, kMirrorSize> zoneEnd{};
    std::array<float, kMirrorSize> zoneNumberAtKey{};  // where zones overlap the later one wins
    float zoneCountF = 0.0f;
    uint32_t markedIndex = 0;

protected:
    void zonesChanged() override { refreshMirrors(); }

private:
    // Null for a clipboard copy, which may outlive its instance.
    BWSystemInfo* const editCounter;
    int32_t markerValue = 0;
    std::atomic<uint64_t> firstZone{0};  // both ends' bits; all zero, as the mirrors start
    static_assert(std::atomic<uint64_t>::is_always_lock_free);
};
