#pragma once
// How long a test that runs threads against each other goes on: from the
// end of its set-up, for at least the time asked and until every thread has
// made the rounds the test counts, however slow or busy the machine; only a
// hang is cut short, by a watchdog far beyond any honest run (the test's
// counts then fail it).  So a slow set-up or a starved thread never leaves
// a thread without its rounds.

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

class RunLength {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::minutes kWatchdog{10};

    // Starts counting now: construct it after the set-up.
    explicit RunLength(std::chrono::milliseconds minimum) : minimum(minimum) {}

    // Whether to go on: short of the minimum time or of the rounds
    // (`enough` false), and not past the watchdog.
    bool goOn(bool enough) const {
        const Clock::duration elapsed = Clock::now() - start;
        return elapsed < kWatchdog && (elapsed < minimum || !enough);
    }

    // Waits in 1 ms sleeps until `done()` holds (true), or until the
    // watchdog ends a hang (false): a wait for another thread's work, never
    // a measure of its speed.
    template <typename Done>
    static bool waitFor(Done done) {
        const Clock::time_point start = Clock::now();
        while (!done()) {
            if (Clock::now() - start >= kWatchdog) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    // ZORVANE_STRESS_SECONDS, or `otherwise` when it is not set.
    static std::chrono::milliseconds stressSeconds(int32_t otherwise) {
        const char* seconds = std::getenv("ZORVANE_STRESS_SECONDS");
        return std::chrono::seconds(seconds ? std::atoi(seconds) : otherwise);
    }

private:
    Clock::time_point start = Clock::now();
    std::chrono::milliseconds minimum;
};
