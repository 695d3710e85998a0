#pragma once
// Counts allocations made through operator new while an AllocationCounter
// lives, so that a test can show that a real-time path allocates nothing.
// The test binaries replace the global operator new and delete for this;
// only one counter may be armed at a time.

#include <cstddef>

class AllocationCounter {
public:
    AllocationCounter();   // arms the count at zero
    ~AllocationCounter();  // disarms
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    size_t count() const;  // allocations since arming
};
