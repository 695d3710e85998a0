#pragma once
// The calling thread's CPU time, which other processes on a loaded machine
// do not inflate the way they inflate wall time.

#include <ctime>

inline double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}
