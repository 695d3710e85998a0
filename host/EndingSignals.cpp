#include "host/EndingSignals.h"

#include <pthread.h>

#include <atomic>
#include <cassert>
#include <cerrno>

namespace {

// Every signal whose default action ends the program and that a program
// may catch; the real-time ones are added at run time (SIGRTMIN is not a
// constant).
constexpr int kEnding[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT,   SIGBUS,  SIGFPE,
                           SIGUSR1, SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,   SIGSTKFLT, SIGXCPU,
                           SIGXFSZ, SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR, SIGSYS};

// Raised by the processor for the instruction that ran; it happens again
// when the handler returns.
bool isFault(int signal, const siginfo_t* info) {
    const bool faultKind = signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL || signal == SIGTRAP;
    return faultKind && info && info->si_code > 0;
}

sigset_t endingSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kEnding) sigaddset(&set, signal);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) sigaddset(&set, signal);
    return set;
}

std::atomic<void (*)()> cleanupHeld{nullptr};
struct sigaction before[NSIG] = {};
bool caught[NSIG] = {};

void onEndingSignal(int signal, siginfo_t* info, void*) {
    const int savedErrno = errno;
    if (void (*const cleanup)() = cleanupHeld.load()) cleanup();
    sigaction(signal, &before[signal], nullptr);
    // Taken when the handler returns (the signal waits meanwhile), by the
    // handling before.
    if (!isFault(signal, info)) raise(signal);
    errno = savedErrno;
}

}  // namespace

CleanupOnEndingSignals::CleanupOnEndingSignals(void (*cleanup)()) {
    [[maybe_unused]] void (*const earlier)() = cleanupHeld.exchange(cleanup);
    assert(!earlier && "one CleanupOnEndingSignals at a time");
    struct sigaction handling {};
    handling.sa_sigaction = onEndingSignal;
    handling.sa_flags = SA_SIGINFO;
    handling.sa_mask = endingSet();
    for (int signal = 1; signal < NSIG; ++signal) {
        if (!sigismember(&handling.sa_mask, signal)) continue;
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) != 0) continue;
        if (!(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_IGN) continue;
        caught[signal] = sigaction(signal, &handling, &before[signal]) == 0;
    }
}

CleanupOnEndingSignals::~CleanupOnEndingSignals() {
    for (int signal = 1; signal < NSIG; ++signal)
        if (caught[signal]) sigaction(signal, &before[signal], nullptr), caught[signal] = false;
    cleanupHeld.store(nullptr);
}

EndingSignalsHeld::EndingSignalsHeld() {
    const sigset_t ending = endingSet();
    pthread_sigmask(SIG_BLOCK, &ending, &before);
}

EndingSignalsHeld::~EndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &before, nullptr); }
