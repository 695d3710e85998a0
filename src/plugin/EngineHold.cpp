#include "plugin/EngineHold.h"

#include "platform/ModalWait.h"
#include "platform/Threads.h"

bool EngineHold::acquire(int32_t tries) {
    holders.fetch_add(1);
    holds.fetch_add(1, std::memory_order_relaxed);
    for (int32_t i = 0; audioBusy.load(); ++i) {
        if (i >= tries) {
            holders.fetch_sub(1);
            return false;
        }
        platform::sleepOneMillisecond();
    }
    beganHold();
    return true;
}

void EngineHold::raise() {
    holders.fetch_add(1);
    holds.fetch_add(1, std::memory_order_relaxed);
    beganHold();
}

// The render waits in silence for the holder: nobody is asked anything
// until the hold ends (platform/ModalWait.h).
void EngineHold::beganHold() {
    platform::beginNoModalWait();
#ifndef NDEBUG
    noteHolder(true);
#endif
}

void EngineHold::release() {
#ifndef NDEBUG
    noteHolder(false);
#endif
    holders.fetch_sub(1);
    platform::endNoModalWait();
}

bool EngineHold::enterBlock() {
    if (holders.load() > 0) return false;
    audioBusy.store(true);
    if (holders.load() > 0) {
        audioBusy.store(false);
        return false;
    }
#ifndef NDEBUG
    renderer.store(std::this_thread::get_id());
#endif
    return true;
}

void EngineHold::leaveBlock() {
#ifndef NDEBUG
    renderer.store(std::thread::id());
#endif
    // A release store is enough to leave: a holder that reads false sees the
    // whole block before it, and the next block's entry makes its own
    // sequentially consistent store before it looks at the hold again.  It
    // spares the audio thread a locked exchange on every host buffer.
    audioBusy.store(false, std::memory_order_release);
}

// One slot per holding thread; a fifth holder at once goes unrecorded and is
// then simply not recognised by the assertions.
void EngineHold::noteHolder(bool on) {
    const std::thread::id me = std::this_thread::get_id();
    for (std::atomic<std::thread::id>& slot : holderThreads) {
        std::thread::id expected = on ? std::thread::id() : me;
        if (slot.compare_exchange_strong(expected, on ? me : std::thread::id())) return;
    }
}

#ifndef NDEBUG

// Holders may hold at once (the edit lock of the learn map does not touch the
// engine), but only one of them may touch it: the only one.
bool EngineHold::mayTouchEngine() const {
    const std::thread::id me = std::this_thread::get_id();
    const std::thread::id rendering = renderer.load();
    if (rendering == me) return true;
    bool otherHolder = false;
    for (const std::atomic<std::thread::id>& slot : holderThreads) {
        const std::thread::id holder = slot.load();
        otherHolder = otherHolder || (holder != std::thread::id() && holder != me);
    }
    return rendering == std::thread::id() && !otherHolder;
}

bool EngineHold::noOtherRenderer() const {
    const std::thread::id rendering = renderer.load();
    return rendering == std::thread::id() || rendering == std::this_thread::get_id();
}

bool EngineHold::notRenderingHere() const { return renderer.load() != std::this_thread::get_id(); }
#else
bool EngineHold::mayTouchEngine() const { return true; }
bool EngineHold::noOtherRenderer() const { return true; }
bool EngineHold::notRenderingHere() const { return true; }
#endif
