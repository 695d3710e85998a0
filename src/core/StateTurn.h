#pragma once
// The one rule by which the threads that meet in an instance take turns with
// its state and pattern models (the step tables, button lines, zones and
// object lists that the editor draws and edits in place):
//
//   Off the audio thread, whoever reads or changes the state or the pattern
//   models holds the instance's turn: a restore or a save on any host
//   thread, a program load on the loader, the editor's drawing, input and
//   idle (each of the host's view timer calls, the open and the close).
//   A holder that changes what the render reads holds the engine as well
//   (EngineHold), after it took the turn; the render never takes the turn.
//
// So a restore never runs while the editor draws or edits, and the engine's
// derivation after a restore runs on the one thread that holds both the turn
// and the engine.  The turn is recursive: the editor's own loads and saves
// (preset menus, undo) run inside the view timer's turn.
//
// Every wait is bounded.  Host threads and the loader wait kStateWaitMs at
// most and then refuse (a load) or answer nothing (a save); the editor waits
// a few milliseconds and, when a restore holds the turn, leaves its input
// queued and its drawing for the next timer call.
//
// The turn is a Lockable (std::unique_lock<StateTurn>).  heldHere() and
// heldByThisThread() let the thread rules of either side assert it in debug
// builds; ZORVANE_ASSERT_EDITOR_TURN() is the GUI side's: while a host's
// view is open, the editor's idle, drawing and input run in a turn.
// (Editors that tests drive without a host view are not bound by it.)

#include <atomic>
#include <cassert>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/GuiThread.h"

class StateTurn {
public:
    StateTurn() = default;
    StateTurn(const StateTurn&) = delete;
    StateTurn& operator=(const StateTurn&) = delete;

    // Lockable; recursive on one thread.  Never on the audio thread.
    void lock();
    bool try_lock();
    void unlock();

    // The turn, waited for in 1 ms sleeps for at most waitMs.  Check owns_lock.
    std::unique_lock<StateTurn> take(int32_t waitMs);

    // This thread holds this turn.  Any thread.
    bool heldHere() const { return owner.load(std::memory_order_relaxed) == std::this_thread::get_id(); }
    // This thread holds some instance's turn.  Any thread.
    static bool heldByThisThread();

private:
    void entered();

    std::recursive_mutex mutex;
    std::atomic<std::thread::id> owner{};
    int32_t depth = 0;  // only the owner reads and writes it
};

#define ZORVANE_ASSERT_EDITOR_TURN()                                                  \
    assert((!platform::isViewOpen() || (platform::isGuiThread() && StateTurn::heldByThisThread())) && \
           "the editor touches the models outside the instance's turn")
