#pragma once
// The notes the core generates, on their way to the host's MIDI output: a
// single-producer single-consumer ring.  The producer is the host callback
// (the core sends its events from the render routine), the consumer the
// process procedure that posts them.  Release/acquire on the indices hands
// each record over whole; neither side ever waits or allocates.  A full ring
// drops new events, as a full VST2 list does.

#include <array>
#include <atomic>
#include <cstdint>

class MidiOutputRing {
public:
    static constexpr uint32_t kCapacity = 256;

    struct Event {
        int32_t deltaFrames;
        uint8_t bytes[4];
    };

    // Producer side.  False when the ring is full (the event is dropped).
    bool push(const Event& event) {
        const uint32_t write = writeIndex.load(std::memory_order_relaxed);
        if (write - readIndex.load(std::memory_order_acquire) >= kCapacity) return false;
        events[write % kCapacity] = event;
        writeIndex.store(write + 1, std::memory_order_release);
        return true;
    }

    // Consumer side: hands every waiting event to `post` in order.
    template <typename Post>
    void drain(Post&& post) {
        uint32_t read = readIndex.load(std::memory_order_relaxed);
        const uint32_t write = writeIndex.load(std::memory_order_acquire);
        for (; read != write; ++read) post(events[read % kCapacity]);
        readIndex.store(read, std::memory_order_release);
    }

private:
    std::array<Event, kCapacity> events{};
    std::atomic<uint32_t> writeIndex{0};
    std::atomic<uint32_t> readIndex{0};
};
