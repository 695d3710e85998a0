#pragma once
// The program loader: one long-lived worker that applies the library presets
// that MIDI program changes ask for, so that the audio thread never loads a
// file or starts a thread.  A request replaces any request not yet served;
// a burst of program changes therefore ends on the last one, also when it
// arrives while an earlier preset is being applied.
//
// Threads: request() and isBusy() on the audio thread (no lock, no
// allocation: an atomic store and a futex wake); start() and stop() on the
// host thread; the load function runs on the loader thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

class ProgramLoader {
public:
    // Applies one program; runs on the loader thread.
    using LoadFunction = std::function<void(int32_t program)>;

    explicit ProgramLoader(LoadFunction load);
    ~ProgramLoader();
    ProgramLoader(const ProgramLoader&) = delete;
    ProgramLoader& operator=(const ProgramLoader&) = delete;

    // Starts the worker; false when no thread could be started, and then
    // requests are ignored (the engine is never left waiting for it).
    bool start();
    // Ends the worker after the load under way, if any, and joins it.
    void stop();

    void request(int32_t program);
    // True from a request until every request has been applied: the render
    // routine outputs silence meanwhile.
    bool isBusy() const;
    int32_t getRequestedProgram() const { return requested.load(); }

private:
    void run();

    LoadFunction load;
    std::thread worker;
    std::atomic<int32_t> requested{-1};
    std::atomic<uint32_t> requestCount{0};  // raised by every request
    std::atomic<uint32_t> servedCount{0};   // the count whose request was taken
    std::atomic<bool> applying{false};
    std::atomic<bool> running{false};
    std::atomic<bool> stopping{false};
};
