#pragma once
// What the host is answered while the MIDI export keeps the instance's state
// fixed (the turn parked, core/StateTurn.h), and what waits for the export
// to end.
//
// From begin to end: a save gets the bytes of the last restore that came
// meanwhile, or else the state as it stood at begin (the holder's own save
// just before it parked); a restore, a program change, a rate change and a
// suspend are kept, in the order the state needs them: the rate and the
// suspend first, then the restores and program changes as they came (a
// restore replaces everything kept before it, a program change an earlier
// program change).  end hands them to the holder, which applies them.
//
// The calls of other threads answer false when nothing is parked, or when
// the holder itself calls: the caller then takes the turn as usual.  Any
// thread but the audio thread; one mutex, held only for copies.

#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class ParkedState {
public:
    // A load that waits for the end: the bytes of a restore, or a program.
    struct Load {
        std::vector<uint8_t> restore;  // empty: the program below
        int32_t program = -1;
    };
    struct Pending {
        std::optional<float> rate;
        bool suspend = false;
        std::vector<Load> loads;  // in order
    };

    // The holder of the turn, with the state as it stands.
    void begin(std::vector<uint8_t> state);
    // The holder: what waits, to be applied now; nothing is parked after.
    Pending end();

    // Another thread: true when parked (and then answered or kept).
    bool answerSave(std::vector<uint8_t>& bytes) const;
    bool keepRestore(const uint8_t* bytes, size_t size);
    bool keepProgram(int32_t program);
    bool keepRate(float rate);
    bool keepSuspend();
    // Parked by a thread other than the caller's.  Any thread.
    bool parkedElsewhere() const;

private:
    bool parkedForOthers() const;  // with the mutex held

    mutable std::mutex mutex;
    bool parked = false;
    std::thread::id holder;
    std::vector<uint8_t> stateAtBegin;
    Pending pending;
};
