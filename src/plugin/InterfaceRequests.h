#pragma once
// What the parameter cases ask of the interface.  The engine runs them on
// the audio thread (or a thread that holds the engine: a load, the idle of
// a host that stopped processing), so they never call the editor: they set
// page bits, count refresh requests and mark views dirty here, and the
// editor's idle (GUI thread) reads and clears them.
// Lock-free atomics: no allocation, no waiting.

#include <atomic>
#include <cstdint>

#include "core/PageSet.h"

// The views that step entry marks for redrawing.
enum DirtyView : uint32_t {
    kLane1View = 1u << 0,  // lanes 1 to 5: bits 0 to 4
    kChordTableView = 1u << 5,
    kGateTableView = 1u << 6,
    kStepLine1View = 1u << 7,  // step lines 1 to 5: bits 7 to 11
};

class InterfaceRequests {
public:
    void requestRefresh() { refreshes.fetch_add(1, std::memory_order_relaxed); }
    void markDirty(uint32_t views) { dirtyViews.fetch_or(views, std::memory_order_relaxed); }

    // GUI thread: what was asked since the last call, which it clears.
    uint32_t takeRefreshRequests() { return refreshes.exchange(0, std::memory_order_relaxed); }
    uint32_t takeDirtyViews() { return dirtyViews.exchange(0, std::memory_order_relaxed); }

    PageSet pages;

private:
    std::atomic<uint32_t> refreshes{0};
    std::atomic<uint32_t> dirtyViews{0};
};
