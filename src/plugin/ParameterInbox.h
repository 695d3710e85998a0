#pragma once
// Every parameter's raw value as the host, the editor and presets see it,
// and the audio side's inbox of what changed: one relaxed atomic float and
// one changed bit per index.
//
// The host side (host automation, the editor, the program loader, state
// loads, the randomiser) only stores: the value, then the index's bit, with
// release ordering, so that the audio side, which takes the bits with
// acquire ordering at the top of each tick, reads the value that was stored
// with them or a newer one.  It derives every engine value from the taken
// values itself; no derived value has two writers.  What the audio side sets
// itself (step lanes, learned controllers, the chord sequence, one switch
// setting another) it publishes here without marking it, so that host and
// editor read the value the parameter really has; a store of the same index
// that waits to be taken is newer and keeps its value.
//
// A button pressed and let go between two ticks would leave only its release
// in the slot; the interface's indices therefore also count rising edges
// (stores of 0.5 or more after one below), and the take reports them, so
// that the press still acts.
//
// Threads: store, value and pending on any thread but the audio side's
// render; publish and take on the audio side (the audio thread, or a thread
// that holds the engine).  Lock-free and allocation-free throughout.

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>

#include "plugin/ParameterTags.h"

class ParameterInbox {
public:
    // Every binding's tag has a slot, 390 included (reached only through
    // its object, never marked).
    static constexpr int32_t kSlots = Tag::FactoryPatternTable + 1;

    // Stores a value (already limited to 0..1) and marks the index changed.
    void store(int32_t index, float value) {
        if (index >= Tag::FirstPatternIndex) {
            const float before = slots[index].exchange(value, std::memory_order_relaxed);
            if (before < 0.5f && value >= 0.5f) rises[index].fetch_add(1, std::memory_order_relaxed);
        } else {
            slots[index].store(value, std::memory_order_relaxed);
        }
        changed[index / 64].fetch_or(uint64_t{1} << (index % 64), std::memory_order_release);
        // Sequentially consistent, so that the flag is out before the store
        // returns, as the mark is: the next tick sees it.
        anyMarked.store(true);
    }
    // Stores a value the audio side set itself; marks nothing.
    void publish(int32_t index, float value) { slots[index].store(value, std::memory_order_relaxed); }
    // The audio side's own change of an index the host side also stores
    // (one index setting another, a step lane, a learned controller):
    // published unless a store of that index waits to be taken.  That store
    // is newer than what the engine derives now and is applied after it, as
    // the order of the stores asks: a state that holds both an index and
    // one it sets loads back as it was saved.
    void publishUnlessStored(int32_t index, float value) {
        if (!waitsToBeTaken(index)) publish(index, value);
    }

    float value(int32_t index) const { return slots[index].load(std::memory_order_relaxed); }
    // The slot itself, for the bindings and the objects that keep their
    // value in it.
    std::atomic<float>& slot(int32_t index) { return slots[index]; }
    // Whether any index from `from` up to (not including) `to` waits to be
    // taken.  Plain loads: a mark stored meanwhile may be seen next time.
    bool pending(int32_t from = 0, int32_t to = kSlots) const {
        for (int32_t w = from / 64; w < kWords && w * 64 < to; ++w)
            if ((changed[w].load(std::memory_order_relaxed) & wordMask(w, from, to)) != 0) return true;
        return false;
    }

    // Audio side: whether anything may have been marked since the last call,
    // and the answer cleared, so that a tick with nothing new reads one flag
    // instead of every word.  A store is seen at the latest by the call after
    // its mark: the mark comes before the flag, and the flag is cleared
    // before the words are read.  A reader that leaves marks for later hands
    // them on with keepMarked.
    bool takeAnyMarked() {
        if (!anyMarked.load()) return false;
        return anyMarked.exchange(false);
    }
    void keepMarked() { anyMarked.store(true, std::memory_order_relaxed); }

    // Audio side: calls apply(index, value, pressedSince) for every index
    // from `from` up to (not including) `to` marked since the last take, in
    // ascending index order, and clears their marks.  pressedSince: the
    // index rose to 0.5 or more since the last take (also when it has been
    // let go again since).
    template <typename Apply>
    void take(int32_t from, int32_t to, Apply&& apply) {
        for (int32_t w = from / 64; w < kWords && w * 64 < to; ++w) {
            // A word with nothing marked costs a plain load, not a locked
            // exchange: a tick with nothing new costs next to nothing.
            const uint64_t mask = wordMask(w, from, to);
            if ((changed[w].load(std::memory_order_relaxed) & mask) == 0) continue;
            uint64_t bits = changed[w].fetch_and(~mask, std::memory_order_acquire) & mask;
            takingWord = w;
            while (bits != 0) {
                const int32_t index = w * 64 + std::countr_zero(bits);
                bits &= bits - 1;
                takingBits = bits;  // still to be applied: they wait as the marked ones do
                const uint32_t count = rises[index].load(std::memory_order_relaxed);
                const bool pressed = count != risesTaken[index];
                risesTaken[index] = count;
                apply(index, value(index), pressed);
            }
            takingWord = -1;
            takingBits = 0;
        }
    }

    // The filter type's companion value, kept beside it by its area (the
    // interface and state loads write it; the audio side reads it).
    std::atomic<float> filterTypeCompanion{0.0f};

private:
    static constexpr int32_t kWords = (kSlots + 63) / 64;

    // Audio side: whether a store of the index waits to be taken, marked or
    // in the word being taken.
    bool waitsToBeTaken(int32_t index) const {
        const int32_t w = index / 64;
        const uint64_t bit = uint64_t{1} << (index % 64);
        return (changed[w].load(std::memory_order_relaxed) & bit) != 0 || (w == takingWord && (takingBits & bit) != 0);
    }

    // The bits of word w that stand for indices from `from` up to `to`.
    static uint64_t wordMask(int32_t w, int32_t from, int32_t to) {
        const int32_t low = std::max(from - w * 64, 0);
        const int32_t high = std::min(to - w * 64, 64);
        if (low >= high) return 0;
        return (high == 64 ? ~uint64_t{0} : (uint64_t{1} << high) - 1) & ~((uint64_t{1} << low) - 1);
    }

    std::array<std::atomic<float>, kSlots> slots{};
    std::array<std::atomic<uint64_t>, kWords> changed{};
    std::atomic<bool> anyMarked{false};
    std::array<std::atomic<uint32_t>, kSlots> rises{};
    std::array<uint32_t, kSlots> risesTaken{};  // audio side only
    // The word a take is applying and its indices not applied yet (audio side only).
    int32_t takingWord = -1;
    uint64_t takingBits = 0;
};
