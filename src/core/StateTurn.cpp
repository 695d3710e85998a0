#include "core/StateTurn.h"

#include "platform/Threads.h"

namespace {

// How many turns (of any instance, counting re-entries) this thread holds.
thread_local int32_t turnsHeld = 0;

}  // namespace

void StateTurn::lock() {
    mutex.lock();
    entered();
}

bool StateTurn::try_lock() {
    if (!mutex.try_lock()) return false;
    entered();
    return true;
}

void StateTurn::unlock() {
    --turnsHeld;
    if (--depth == 0) owner.store(std::thread::id(), std::memory_order_relaxed);
    mutex.unlock();
}

void StateTurn::entered() {
    ++turnsHeld;
    if (depth++ == 0) owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

std::unique_lock<StateTurn> StateTurn::take(int32_t waitMs) {
    std::unique_lock<StateTurn> turn(*this, std::try_to_lock);
    for (int32_t waited = 0; !turn.owns_lock() && waited < waitMs; ++waited) {
        platform::sleepOneMillisecond();
        turn.try_lock();
    }
    return turn;
}

bool StateTurn::heldByThisThread() { return turnsHeld > 0; }
