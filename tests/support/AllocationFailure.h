#pragma once
// Makes large allocations fail while an AllocationFailure lives, so that a
// test can show what a load does when memory runs out: every allocation of
// at least `bytes` through operator new fails (std::bad_alloc, or null for
// the nothrow forms).  Smaller ones succeed, so the test itself still runs.
// Only one may be armed at a time; the replaced operator new lives beside
// the AllocationCounter.

#include <cstddef>

class AllocationFailure {
public:
    explicit AllocationFailure(size_t bytes);
    ~AllocationFailure();
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;

    size_t refused() const;  // allocations refused since arming

    // For the replaced operator new: whether this allocation must fail.
    static bool refuses(size_t bytes);
};
