#pragma once
// The 128 interface pages, bit n = page n shown: four 32-bit words.  The
// core's page switches set and clear bits (also from the audio thread and the
// program loader); the frame and the widgets read them on the GUI thread to
// decide what shows.  Relaxed atomics: no allocation, no waiting, and a
// reader sees each word whole.

#include <array>
#include <atomic>
#include <cstdint>

class PageSet {
public:
    static constexpr int32_t kPages = 128;

    bool isShown(int32_t page) const {
        if (page < 0 || page >= kPages) return false;
        return (words[page / 32].load(std::memory_order_relaxed) >> (page % 32)) & 1u;
    }
    // Pages outside 0..127 change nothing.
    void setPageBit(int32_t page, bool on) {
        if (page < 0 || page >= kPages) return;
        const uint32_t bit = 1u << (page % 32);
        if (on) {
            words[page / 32].fetch_or(bit, std::memory_order_relaxed);
        } else {
            words[page / 32].fetch_and(~bit, std::memory_order_relaxed);
        }
    }
    uint32_t word(int32_t index) const { return words[index & 3].load(std::memory_order_relaxed); }
    void setWord(int32_t index, uint32_t value) { words[index & 3].store(value, std::memory_order_relaxed); }

private:
    std::array<std::atomic<uint32_t>, 4> words{};
};
