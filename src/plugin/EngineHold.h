#pragma once
// The handshake by which the GUI side (and the preset reader) keeps the
// render routine out of the engine while it changes what the render reads.
//
// A holder raises the hold and then waits, in 1 ms sleeps and for a
// bounded number of tries, until the audio thread is not inside a block.
// The audio thread marks itself busy and then looks at the hold again: if it
// is raised it backs out at once and renders silence.  Both sides write
// first and read second with sequentially consistent operations, so at
// least one of them sees the other's write: never both inside at once.
//
// Threads: acquire/release on the host/GUI thread or the program loader,
// in pairs on one thread, which asks nobody anything in between (a box
// raised meanwhile shows after the release, platform/ModalWait.h);
// enterBlock/leaveBlock on the audio thread (no lock, no allocation, no
// waiting).
//
// Debug builds also remember which thread renders and which threads hold,
// so that the engine and the plug-in object can assert their thread rules
// (mayTouchEngine, renderingHere); release builds write nothing there and
// answer as if every rule were kept.  The bookkeeping's members exist in
// every build, so that code built one way and code built the other agree on
// where each member of the plug-in object lies.

#include <array>
#include <atomic>
#include <cstdint>
#include <thread>

class EngineHold {
public:
    // The edit lock of the GUI gives up after this many tries of 1 ms.
    static constexpr int32_t kEditTries = 500;
    // A preset load waits longer before it is refused.
    static constexpr int32_t kLoadTries = 2000;

    // Raises the hold and waits for the audio thread to leave its block.
    // False after tries sleeps with the audio thread still inside: the hold
    // is then lowered again and nothing may be changed.
    bool acquire(int32_t tries);
    // Raises the hold without waiting (for a caller that knows the audio
    // thread is out, or does not mind it finishing its block).
    void raise();
    // Ends this thread's hold; the engine runs again when none is left.
    void release();
    bool isHeld() const { return holders.load() > 0; }
    // How many holds began so far: what the engine caches from the models
    // is stale once a holder had it.  Any thread.
    uint32_t holdsSoFar() const { return holds.load(std::memory_order_relaxed); }

    // Audio thread: true when the block may run; false means silence.
    bool enterBlock();
    void leaveBlock();
    bool isAudioBusy() const { return audioBusy.load(); }

    // The thread rules (debug builds; release builds answer true).  The
    // calling thread may touch the engine: it renders, or nobody renders
    // and no other thread holds (it holds the engine alone, or nobody does:
    // before the host starts, or between its calls).
    bool mayTouchEngine() const;
    // Nobody renders but perhaps the calling thread: the audio thread's
    // MIDI intake, which a holder never touches.
    bool noOtherRenderer() const;
    // The calling thread is not inside a render (the host side's
    // operations must never run there).
    bool notRenderingHere() const;

private:
    std::atomic<int32_t> holders{0};  // the GUI and the loader may hold at once
    std::atomic<bool> audioBusy{false};
    std::atomic<uint32_t> holds{0};
    // A hold began on this thread.
    void beganHold();
    // The debug builds' bookkeeping (see above).
    void noteHolder(bool on);
    std::atomic<std::thread::id> renderer{};
    std::array<std::atomic<std::thread::id>, 4> holderThreads{};
};

// Holds the engine for one scope; test held() before changing anything.
class EngineHoldScope {
public:
    EngineHoldScope(EngineHold& hold, int32_t tries) : hold(hold), ok(hold.acquire(tries)) {}
    ~EngineHoldScope() {
        if (ok) hold.release();
    }
    EngineHoldScope(const EngineHoldScope&) = delete;
    EngineHoldScope& operator=(const EngineHoldScope&) = delete;
    bool held() const { return ok; }

private:
    EngineHold& hold;
    bool ok;
};
