#pragma once
// Lets the audio thread use an array without a lock while the GUI thread or
// the program loader may replace or free it.
//
// A user (any thread, typically the audio thread reading a table) opens a
// Use; while the gate is closed the Use is refused and the user must not touch
// the array (the table getters then answer 0).  A changer opens a Change
// before it swaps or frees the array: it closes the gate and waits until every
// user that got in has left.  Users never wait; changers wait only for the
// few instructions a user spends inside.
//
// The handshake is the engine hold in small: the user counts itself in and
// then checks the gate, the changer closes the gate and then checks the count,
// both sequentially consistent, so at least one of them sees the other.

#include <atomic>
#include <cstdint>

class UseGate {
public:
    class Use {
    public:
        explicit Use(const UseGate& gate);
        ~Use();
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;
        explicit operator bool() const { return admitted; }

    private:
        const UseGate& gate;
        bool admitted;
    };

    // Changers on one gate must not overlap (they run on the GUI thread or on
    // the program loader while the engine is held); a Use must not be open on
    // the changer's own thread.
    class Change {
    public:
        explicit Change(UseGate& gate);
        ~Change();
        Change(const Change&) = delete;
        Change& operator=(const Change&) = delete;

    private:
        UseGate& gate;
    };

private:
    mutable std::atomic<uint32_t> users{0};
    std::atomic<bool> closed{false};
};
