#pragma once
// The one rule by which the threads that meet in an instance take turns with
// its state and pattern models (the step tables, button lines, zones and
// object lists that the editor draws and edits in place):
//
//   Off the audio thread, whoever reads or changes the state or the pattern
//   models holds the instance's turn: a restore or a save on any host
//   thread, a program load on the loader, a rate change, the editor's
//   drawing, input and idle (each of the host's view timer calls, the open
//   and the close).  A holder that changes what the render reads holds the
//   engine as well (EngineHold), after it took the turn; the render never
//   takes the turn.
//
//   Nobody keeps the turn while a person or a long job is waited on:
//   - A host's call (a restore, a save, a preset it sets) and a program the
//     loader applies never wait on a person at all (platform::HostCall):
//     what their load meets (an instrument file that cannot be loaded, a
//     sample that cannot be found) is kept for the GUI thread, which tells
//     it at its next idle holding no turn (plugin/PendingNotices.h), so the
//     call returns as soon as the load is done.
//   - A thread that waits on a person (a box, a file selector, a drag out,
//     platform/ModalWait.h) lends every turn it holds for the wait and takes
//     them back after it.  Meanwhile the host's restores, saves, program
//     changes and rate changes run at once on their own threads; what the
//     waiting code read of the models before the wait it reads again after.
//     It lends only where it holds nothing else that others wait for: with
//     the engine or a lock of the models held, nobody is asked anything
//     (platform::NoModalWait).
//   - The MIDI export, which must keep the state fixed from its first tick
//     to its last, parks the turn instead: it keeps it, and nobody waits for
//     a parked turn.  The host is answered from what the holder left
//     (plugin/ParkedState.h): a save gets the state as it stood when the
//     park began, or the state the host restored last; restores, program
//     changes and rate changes wait in order and are applied by the holder
//     the moment the park ends.
//
// So a restore never runs while the editor draws or edits, the engine's
// derivation after a restore runs on the one thread that holds both the turn
// and the engine, and no host call waits on a dialog or the export.  The
// turn is recursive: the editor's own loads and saves (preset menus, undo)
// run inside the view timer's turn.
//
// Every other wait is bounded.  Host threads and the loader wait kStateWaitMs
// at most and then refuse (a load) or report a failure (a save); the editor
// waits a few milliseconds and, when a restore holds the turn, leaves its
// input queued and its drawing for the next timer call.
//
// The turn is a Lockable (std::unique_lock<StateTurn>).  heldHere() and
// heldByThisThread() let the thread rules of either side assert it in debug
// builds; ZORVANE_ASSERT_EDITOR_TURN() is the GUI side's: while a host's
// view is open, the editor's idle, drawing and input run in a turn (and so
// never while the turn is lent).  Debug builds also assert that a thread
// waiting on a person holds no turn but a parked one, and that no load runs
// while a turn is parked.  (Editors that tests drive without a host view are
// not bound by the editor's assertion.)

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

    // The turn, waited for in 1 ms sleeps for at most waitMs; a turn that
    // another thread parked is not waited for (and *parkedElsewhere, when
    // given, tells so).  Check owns_lock.
    std::unique_lock<StateTurn> take(int32_t waitMs, bool* parkedElsewhere = nullptr);

    // This thread holds this turn.  Any thread.
    bool heldHere() const { return owner.load(std::memory_order_relaxed) == std::this_thread::get_id(); }
    // This thread holds some instance's turn.  Any thread.
    static bool heldByThisThread();

    // Parks the turn this thread holds (it keeps it; others stop waiting for
    // it) until unpark.  Holder only.
    void park();
    void unpark();
    // Some thread holds the turn parked.  Any thread.
    bool isParked() const { return parked.load(); }

    // Lends every turn the calling thread holds but the parked ones, all
    // their re-entries, and takes them back in the order they were taken
    // (waiting as long as a holder meanwhile keeps one).  Nested lends nest.
    // The modal waits of platform/ModalWait.h call these.
    static void lendHeldTurns();
    static void takeBackLentTurns();

private:
    void entered();

    std::recursive_mutex mutex;
    std::atomic<std::thread::id> owner{};
    int32_t depth = 0;  // only the owner reads and writes it
    std::atomic<bool> parked{false};
};

#define ZORVANE_ASSERT_EDITOR_TURN()                                                  \
    assert((!platform::isViewOpen() || (platform::isGuiThread() && StateTurn::heldByThisThread())) && \
           "the editor touches the models outside the instance's turn")
