#pragma once
// Ctrl-C, a kill or a hang-up asks a long run of the host program (a
// render, an editor session) to stop: while a StopOnSignals lives, the
// signal is only noted, the run sees it at its next check, finishes what
// must be finished, and the program then ends by that same signal, as the
// shell expects.

#include <signal.h>

#include <csignal>

// The signal that asked for the stop, 0 while none has.
int stopSignal();
// A descriptor that becomes readable once a stop is asked, for a wait that
// polls (a box of the plug-in's that waits for its answer); -1 while no
// StopOnSignals lives.  Only to poll: nothing is to be read from it.
int stopDescriptor();

class StopOnSignals {
public:
    StopOnSignals();
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

private:
    static constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction before[3] = {};  // one for each signal
};

// Ends the program by the signal that stopped its run, if one did.
void endByStopSignal();
