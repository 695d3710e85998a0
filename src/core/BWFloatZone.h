#pragma once
// A zone of a float zone lane: every change of its range refreshes the
// mirrors of the handler that made it, which is what the render reads.

#include "core/BWZone.h"

class BWFloatZoneHandler;

class BWFloatZone : public BWZone {
public:
    // GUI thread.  handler is not owned and outlives the zone (it frees it).
    explicit BWFloatZone(BWFloatZoneHandler* owningHandler) : handler(owningHandler) {}

    BWFloatZoneHandler* const handler;

protected:
    void rangeChanged() override;
};
