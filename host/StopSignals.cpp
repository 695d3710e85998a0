#include "host/StopSignals.h"

#include <iterator>

namespace {
volatile std::sig_atomic_t noted = 0;
void note(int signal) { noted = signal; }
}  // namespace

int stopSignal() { return noted; }

StopOnSignals::StopOnSignals() {
    struct sigaction stop {};
    stop.sa_handler = note;
    sigemptyset(&stop.sa_mask);
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &stop, &before[i]);
}

StopOnSignals::~StopOnSignals() {
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &before[i], nullptr);
}

void endByStopSignal() {
    if (!noted) return;
    std::signal(noted, SIG_DFL);
    std::raise(noted);
}
