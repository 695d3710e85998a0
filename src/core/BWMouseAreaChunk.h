#pragma once
// The persistent object of the mouse-area bindings ("PatternKeys", "Filter
// Type", "MouseArea"): it stores floats of its owner through up to seven
// pointers.  The first pointer starts at the object's own value, which the
// parameter queries report as the binding's current value.
//
// Record: the marker 11, a count n (7 when the seventh pointer is bound,
// else 6) and n floats in pointer order, 0 for an unbound pointer.
//
// The floats are relaxed atomics, since they are parameter values: the
// owner's parameter slots, which the host, the interface and state loads
// store and the audio side reads.  Threads: reads and writes on any thread;
// readChunk and writeChunk on the host/GUI thread or the program loader.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "persistence/BWChunkableClass.h"

class BWMouseAreaChunk : public BWChunkableClass {
public:
    static constexpr int32_t kMarker = 11;
    static constexpr size_t kPointers = 7;
    // More floats than any writer stores; a larger count is refused.
    static constexpr int32_t kMaxStoredFloats = 64;

    explicit BWMouseAreaChunk(float initialValue = 0.0f);
    BWMouseAreaChunk(const BWMouseAreaChunk&) = delete;
    BWMouseAreaChunk& operator=(const BWMouseAreaChunk&) = delete;

    // Reads the marker (its value is not checked) and the count; a count
    // below 1 ends the record.  Stored floats go through the bound pointers,
    // limited to 0..1 (NaN reads as 0); floats beyond them are dropped.
    // Answers 1, or 0 when the count exceeds the words left or the maximum.
    int32_t readChunk(BWChunk* chunk, bool skipOnly) override;
    void writeChunk(BWChunk* chunk) override;

    // Points slot at a float of the owner; null unbinds it.  Slots beyond
    // the seven are ignored.  Before the object is shared.
    void bind(size_t slot, std::atomic<float>* target);
    // The float the first pointer addresses (0 when it is unbound).
    float value() const;
    void setValue(float newValue);

private:
    std::atomic<float> ownValue;
    std::array<std::atomic<float>*, kPointers> targets{};
};
