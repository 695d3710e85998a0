#pragma once
// A lock its owning thread may take again: Lock answers true only when it
// actually took the mutex, and the caller unlocks only then, so a nested call
// on the owning thread neither deadlocks nor releases early.  Other threads
// wait without a time limit.  Guards the packet dispatcher.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class OwnerThreadMutex {
public:
    OwnerThreadMutex();
    ~OwnerThreadMutex();
    OwnerThreadMutex(const OwnerThreadMutex&) = delete;
    OwnerThreadMutex& operator=(const OwnerThreadMutex&) = delete;

    // False without a mutex, or when the calling thread already owns it.
    bool Lock();
    // Only the owner releases; anyone else changes nothing.
    void Unlock();

    // A nonzero 32-bit id of the calling thread.
    static uint32_t currentThreadID();

private:
    struct Record {
        std::atomic<uint32_t> owner{0};
        std::mutex mutex;
    };
    std::unique_ptr<Record> record;
};

// Locks for a scope when the lock was free for this thread.
class OwnerThreadLock {
public:
    explicit OwnerThreadLock(OwnerThreadMutex& mutex_) : mutex(mutex_), taken(mutex_.Lock()) {}
    ~OwnerThreadLock() {
        if (taken) mutex.Unlock();
    }
    OwnerThreadLock(const OwnerThreadLock&) = delete;
    OwnerThreadLock& operator=(const OwnerThreadLock&) = delete;

private:
    OwnerThreadMutex& mutex;
    bool taken;
};
