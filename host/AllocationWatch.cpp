#include "host/AllocationWatch.h"

namespace {
thread_local bool watching = false;
thread_local size_t allocations = 0;
}  // namespace

// Called by the program's operator new (AllocationHooks.cpp).
void noteAllocation() {
    if (watching) ++allocations;
}

AllocationWatch::AllocationWatch() {
    allocations = 0;
    watching = true;
}
AllocationWatch::~AllocationWatch() { watching = false; }
size_t AllocationWatch::count() const { return allocations; }

AllocationWatch::Pause::Pause() : was(watching) { watching = false; }
AllocationWatch::Pause::~Pause() { watching = was; }

// The program's hooks answer true; elsewhere operator new is not watched.
__attribute__((weak)) bool allocationWatchAvailable() { return false; }
