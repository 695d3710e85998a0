#pragma once
// Lets the audio thread use an array without a lock while the GUI thread or
// the program loader may replace or free it.
//
// A user (any thread, typically the audio thread reading a table) opens a
// Use; while the gate is closed the Use is refused and the user must not touch
// the array (the table getters then answer 0).  A changer opens a Change
// before it swaps or frees the array: it closes the gate and waits until every
// user that got in has left.  Users never wait.
//
// Two kinds of change: Change waits for users that stay a few instructions
// (it only yields); tryFor waits in 1 ms sleeps for users that may stay long
// (a voice playing a sample, the zone walk, the table view) and gives up
// after a number of sleeps, reopening the gate, so the writer can report it.
//
// The handshake is the engine hold in small: the user counts itself in and
// then checks the gate, the changer closes the gate and then checks the count,
// both sequentially consistent, so at least one of them sees the other.

#include <atomic>
#include <cstdint>

class UseGate {
public:
    // tryFor's limit for a changer that waits as long as it takes.
    static constexpr int kNoLimit = -1;

    class Use {
    public:
        explicit Use(const UseGate& owner) : gate(owner), admitted(owner.enter()) {}
        ~Use() { gate.leave(); }
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;
        explicit operator bool() const { return admitted; }

    private:
        const UseGate& gate;
        const bool admitted;
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
        // False for a tryFor that gave up: the gate is open again and the
        // changer must leave the guarded data alone.
        explicit operator bool() const { return held; }

    private:
        friend class UseGate;
        Change(UseGate& gate, int sleeps);
        UseGate& gate;
        bool held = true;
    };

    // A change that sleeps 1 ms at a time while users are in, at most
    // `sleeps` times (kNoLimit: until they have left).
    Change tryFor(int sleeps) { return Change(*this, sleeps); }

    // For a user whose stay spans calls (a voice's read, the audio side's walk
    // of the zones): enter counts the user in and answers whether the gate was
    // open.  A refused user stays counted until its leave and must not touch
    // what the gate guards.  Every enter is paired with one leave.
    // Inline: the render enters gates dozens of times a tick.
    bool enter() const {
        users.fetch_add(1, std::memory_order_seq_cst);
        return !closed.load(std::memory_order_seq_cst);
    }
    void leave() const { users.fetch_sub(1, std::memory_order_seq_cst); }

    // How many changes have ended (a change that gave up does not count):
    // a user that got in and finds the count it saw on its last stay knows
    // that nothing was swapped between the two.  Any thread.
    uint32_t changeCount() const { return changes.load(std::memory_order_acquire); }

    // Any thread; a snapshot.
    bool isInUse() const { return users.load(std::memory_order_seq_cst) != 0; }
    bool isChanging() const { return closed.load(std::memory_order_seq_cst); }

private:
    mutable std::atomic<uint32_t> users{0};
    std::atomic<bool> closed{false};
    std::atomic<uint32_t> changes{0};
};
