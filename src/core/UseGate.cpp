#include "core/UseGate.h"

#include <thread>

#include "platform/Threads.h"

UseGate::Change::Change(UseGate& owner) : gate(owner) {
    gate.closed.store(true, std::memory_order_seq_cst);
    // A refused user also counts itself for a moment; it leaves at once.
    while (gate.isInUse()) std::this_thread::yield();
}

UseGate::Change::Change(UseGate& owner, int sleeps) : gate(owner) {
    gate.closed.store(true, std::memory_order_seq_cst);
    for (int slept = 0; gate.isInUse(); ++slept) {
        if (sleeps != kNoLimit && slept >= sleeps) {
            held = false;
            gate.closed.store(false, std::memory_order_seq_cst);
            return;
        }
        platform::sleepOneMillisecond();
    }
}

UseGate::Change::~Change() {
    if (!held) return;
    // Counted before the gate opens, so that a user let in after it sees it.
    gate.changes.fetch_add(1, std::memory_order_release);
    gate.closed.store(false, std::memory_order_seq_cst);
}
