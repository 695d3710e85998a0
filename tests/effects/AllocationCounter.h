#pragma once
// Counts the allocations made through the global operator new while a counter
// is alive, so that a test can show that an audio-thread path allocates
// nothing.  The replacement operators live in AllocationCounter.cpp, once for
// the whole effects test program.

#include <cstddef>

class AllocationCounter {
public:
    AllocationCounter();   // arms counting from zero
    ~AllocationCounter();  // disarms
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    size_t count() const;  // allocations since construction
};
