#pragma once
// Plays the built-in chord phrase through an instance, over and over, on a
// thread of its own as a host's audio thread does: each block when its time
// has come on the steady clock, so that the interface's meters and play
// lines move as they would in a session.  The sound is thrown away.  The
// instance's audio side belongs to this thread while it plays.

#include <atomic>
#include <thread>

class HostInstance;

class RealTimePlayer {
public:
    static constexpr int32_t kBlock = 512;

    explicit RealTimePlayer(HostInstance& instance);
    // Stops after the block under way.
    ~RealTimePlayer();
    RealTimePlayer(const RealTimePlayer&) = delete;
    RealTimePlayer& operator=(const RealTimePlayer&) = delete;

private:
    void play();

    HostInstance& instance;
    std::atomic<bool> stopping{false};
    std::thread thread;
};
