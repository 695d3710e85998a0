#pragma once
// A generous bound on a test whose fault would be to wait for ever (a read
// that waits on a named pipe): if the test is still running when the time
// is up, SIGALRM ends the process and the run reports the test as failed
// instead of stalling.  It measures nothing; ctest runs one test a process.

#include <unistd.h>

class HangWatchdog {
public:
    explicit HangWatchdog(unsigned seconds = 300) { ::alarm(seconds); }
    ~HangWatchdog() { ::alarm(0); }
    HangWatchdog(const HangWatchdog&) = delete;
    HangWatchdog& operator=(const HangWatchdog&) = delete;
};
