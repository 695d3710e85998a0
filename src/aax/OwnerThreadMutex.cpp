#include "aax/OwnerThreadMutex.h"

#include <new>

OwnerThreadMutex::OwnerThreadMutex() : record(new (std::nothrow) Record) {}

OwnerThreadMutex::~OwnerThreadMutex() = default;

uint32_t OwnerThreadMutex::currentThreadID() {
    static std::atomic<uint32_t> next{1};
    thread_local const uint32_t id = next.fetch_add(1);
    return id;
}

bool OwnerThreadMutex::Lock() {
    if (!record) return false;
    const uint32_t self = currentThreadID();
    if (record->owner.load() == self) return false;
    record->mutex.lock();
    record->owner.store(self);
    return true;
}

void OwnerThreadMutex::Unlock() {
    if (!record || record->owner.load() != currentThreadID()) return;
    record->owner.store(0);
    record->mutex.unlock();
}
