#pragma once
// Keeps the engine's edits of the pattern models (the interface's buttons,
// steppers and step entry, which the engine runs when it takes them from the
// inbox) apart from a save that reads the models, and from a clipboard
// button's copy or paste on the thread that pressed it, without the audio
// side ever waiting.  A save or a clipboard edit takes the lock, waiting in
// 1 ms sleeps while an edit is under way (the engine's take of one tick);
// the engine only tries it and, when one of them holds it, leaves the
// interface's indices in the inbox for the next tick.
//
// Both sides change the word with a sequentially consistent exchange, so the
// edits before an unlock happen before the reads after the next lock.
//
// Threads: lockForReading/unlockReading on the host/GUI thread (one holder
// at a time: saves and clipboard edits hold the instance's turn);
// tryEditing/endEditing on the audio side.

#include <atomic>
#include <cstdint>

#include "platform/Threads.h"

class PatternEditLock {
public:
    // False after `tries` sleeps with an edit still under way.
    bool lockForReading(int32_t tries) {
        for (int32_t i = 0;; ++i) {
            int32_t free = kFree;
            if (word.compare_exchange_strong(free, kReading)) return true;
            if (i >= tries) return false;
            platform::sleepOneMillisecond();
        }
    }
    void unlockReading() { word.store(kFree); }

    bool tryEditing() {
        int32_t free = kFree;
        return word.compare_exchange_strong(free, kEditing);
    }
    void endEditing() { word.store(kFree); }

private:
    static constexpr int32_t kFree = 0;
    static constexpr int32_t kReading = 1;
    static constexpr int32_t kEditing = 2;
    std::atomic<int32_t> word{kFree};
};
