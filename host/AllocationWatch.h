#pragma once
// Counts operator new calls on the watching thread while armed, so that the
// validation can show that a process call allocates nothing.  The program
// replaces the global operator new for this (AllocationWatch.cpp); the
// plug-in module's allocations come through it as well.

#include <cstddef>

class AllocationWatch {
public:
    AllocationWatch();   // arms this thread's count at zero
    ~AllocationWatch();  // disarms
    AllocationWatch(const AllocationWatch&) = delete;
    AllocationWatch& operator=(const AllocationWatch&) = delete;
    size_t count() const;

    // The host's own bookkeeping inside a watched call is not counted.
    class Pause {
    public:
        Pause();
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        bool was;
    };
};

// Whether this program replaces operator new (tests link their own).
bool allocationWatchAvailable();
