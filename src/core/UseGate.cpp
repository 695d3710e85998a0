#include "core/UseGate.h"

#include <thread>

UseGate::Use::Use(const UseGate& owner) : gate(owner) {
    gate.users.fetch_add(1, std::memory_order_seq_cst);
    admitted = !gate.closed.load(std::memory_order_seq_cst);
}

UseGate::Use::~Use() { gate.users.fetch_sub(1, std::memory_order_seq_cst); }

UseGate::Change::Change(UseGate& owner) : gate(owner) {
    gate.closed.store(true, std::memory_order_seq_cst);
    // A refused user also counts itself for a moment; it leaves at once.
    while (gate.users.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
}

UseGate::Change::~Change() { gate.closed.store(false, std::memory_order_seq_cst); }
