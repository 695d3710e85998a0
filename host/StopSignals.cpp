#include "host/StopSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

namespace {
volatile std::sig_atomic_t noted = 0;
// The pipe's ends while a StopOnSignals lives, else -1.
volatile std::sig_atomic_t wakeRead = -1;
volatile std::sig_atomic_t wakeWrite = -1;

void note(int signal) {
    noted = signal;
    if (wakeWrite < 0) return;
    // Never blocks (the pipe does not wait): a full pipe is readable already.
    const int saved = errno;
    [[maybe_unused]] const ssize_t written = write(wakeWrite, "", 1);
    errno = saved;
}
}  // namespace

int stopSignal() { return noted; }

int stopDescriptor() { return wakeRead; }

StopOnSignals::StopOnSignals() {
    // Not inherited by the programs the run starts (the file selector).
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead = ends[0];
        wakeWrite = ends[1];
    }
    struct sigaction stop {};
    stop.sa_handler = note;
    sigemptyset(&stop.sa_mask);
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &stop, &before[i]);
}

StopOnSignals::~StopOnSignals() {
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &before[i], nullptr);
    if (wakeRead < 0) return;
    close(wakeRead);
    close(wakeWrite);
    wakeRead = -1;
    wakeWrite = -1;
}

void endByStopSignal() {
    if (!noted) return;
    std::signal(noted, SIG_DFL);
    std::raise(noted);
}
