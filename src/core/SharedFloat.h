#pragma once
// A plain float of the core that one thread writes while another reads it
// (block peaks, display values, bound parameter values that the interface
// follows): both sides go through these relaxed atomic accesses, which cost a
// plain load or store on x86-64 and keep the exchange free of data races.
// The float keeps its type, so its address can still be handed out.

#include <atomic>

inline float loadShared(const float& value) {
    // atomic_ref of a const object arrives only with C++26; the load does not write.
    return std::atomic_ref<float>(const_cast<float&>(value)).load(std::memory_order_relaxed);
}

inline void storeShared(float& target, float value) {
    std::atomic_ref<float>(target).store(value, std::memory_order_relaxed);
}
