#pragma once
// A closed range [start, end] of step positions on a zone lane.  Zones are
// made by their handler (createZone), live in its sorted list and are freed
// by it; the range setters do not re-sort that list.  GUI thread only.

#include <cstdint>

#include "core/BWZoneInformer.h"
#include "persistence/BWChunkableClass.h"

class BWZone : public BWChunkableClass, public BWZoneInformer {
public:
    static constexpr int32_t kRecordVersion = 0;
    // Positions a zone may hold; the float handler mirrors exactly these.
    static constexpr int32_t kFirstPosition = 0;
    static constexpr int32_t kLastPosition = 127;
    // readChunk's answer for a record of another version.
    static constexpr int32_t kWrongVersion = 4;

    BWZone() = default;

    // Reads version, start and end.  Positions are limited to 0..127 and an
    // inverted range becomes the single position start.  Answers 1, 4 for a
    // record of another version (nothing more read) or 0 for a truncated one.
    int32_t readChunk(BWChunk* chunk, bool skipOnly) override;
    void writeChunk(BWChunk* chunk) override;

    // Each setter stores without checks, then tells the listeners.
    virtual void setRange(int32_t newStart, int32_t newEnd);
    virtual void setEnd(int32_t newEnd);
    virtual void setStart(int32_t newStart);
    virtual int32_t kind() const { return 0; }

    bool isLocked() const { return (locked & 1) != 0; }
    bool isHidden() const { return (hidden & 1) != 0; }

    int32_t start = 0;
    int32_t end = 0;       // inclusive
    uint8_t locked = 0;    // bit 0: in use; a deletion waits in the pending list
    uint8_t hidden = 0;    // bit 0: deleted, waiting to be freed

protected:
    // Called after every range change, once the listeners have been told.
    virtual void rangeChanged() {}
};
