#pragma once
// A value that one thread writes and others read while it runs, with no
// ordering against anything else: a relaxed atomic, which costs a plain load
// or store on x86-64.  Reads and writes look like those of the plain value, so
// the fields of the audio context that cross threads keep their names.

#include <atomic>

template <class T>
class RelaxedAtomic {
public:
    constexpr RelaxedAtomic(T initial = T{}) : value(initial) {}  // NOLINT: reads like the plain value
    RelaxedAtomic(const RelaxedAtomic&) = delete;
    RelaxedAtomic& operator=(const RelaxedAtomic&) = delete;

    RelaxedAtomic& operator=(T next) {
        value.store(next, std::memory_order_relaxed);
        return *this;
    }
    operator T() const { return value.load(std::memory_order_relaxed); }  // NOLINT
    T load() const { return value.load(std::memory_order_relaxed); }

private:
    static_assert(std::atomic<T>::is_always_lock_free);
    std::atomic<T> value;
};
