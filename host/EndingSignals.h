#pragma once
// A clean-up that must happen however the program ends by a signal it can
// catch: Ctrl-C, a kill, a hang-up, a closed pipe, an abort, a fault, a
// timer.  While a CleanupOnEndingSignals lives, each signal whose default
// action ends the program runs the clean-up first and is then handled as
// before: by its default, or by a crash reporter installed before (a
// sanitizer's), so that the program ends by that same signal as it would
// have without it (a fault of the processor's happens again).  Signals that
// were ignored when it was made stay ignored: they end nothing.  Made early,
// before anything but a crash reporter handles a signal.
//
// The clean-up runs inside a signal handler, on any thread, perhaps on two
// at once: it makes only async-signal-safe calls, on data made before, and
// must be safe to run twice.  While it runs, the other ending signals wait.
//
// One at a time in a process.  Made and destroyed on the main thread before
// any other thread starts or after all have ended, since signal handlers are
// the process's.  A StopOnSignals made later takes over the signals it
// notes, and gives them back.

#include <signal.h>

class CleanupOnEndingSignals {
public:
    explicit CleanupOnEndingSignals(void (*cleanup)());
    // The handling before comes back.
    ~CleanupOnEndingSignals();
    CleanupOnEndingSignals(const CleanupOnEndingSignals&) = delete;
    CleanupOnEndingSignals& operator=(const CleanupOnEndingSignals&) = delete;
};

// Holds the ending signals back on the calling thread while the clean-up's
// data change; one that comes meanwhile is taken when the hold ends.
class EndingSignalsHeld {
public:
    EndingSignalsHeld();
    ~EndingSignalsHeld();
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

private:
    sigset_t before;
};
