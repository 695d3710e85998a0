#pragma once
// The plug-in's view opened in a headless host window: no window system,
// only the record of platform/HostWindow.h with a pixel buffer of the view's
// size (resized when the plug-in asks), a queue of input events in window
// pixels and the host's clock.  Each tick moves the clock on and calls the
// view's timer, which takes the queued events and leaves the view's pixels
// in the buffer.  The snapshot command and the tests drive the interface
// through it as a person would with a mouse.  Host GUI thread only.

#include <cstdint>
#include <vector>

#include "platform/HostWindow.h"

class HostInstance;

class HeadlessView {
public:
    static constexpr uint32_t kTimerPeriodMs = 30;

    // Opens the instance's view; ok() tells whether it opened.
    explicit HeadlessView(HostInstance& instance, int32_t screenWidth = 1920, int32_t screenHeight = 1080);
    ~HeadlessView();
    HeadlessView(const HeadlessView&) = delete;
    HeadlessView& operator=(const HeadlessView&) = delete;

    bool ok() const { return opened; }
    // The host's clock moves on by `ms` and the view's timer runs, `count` times.
    void tick(int count = 1, uint32_t ms = kTimerPeriodMs);

    // Input in window pixels, queued for the next tick (a full queue is
    // handed over by a tick first; what a busy view left queued then
    // drops the new event).  Buttons: 0 left, 1 middle, 2 right.
    // Keys: the window layer's kStateShift, kStateControl, kStateAlt.
    void press(int32_t x, int32_t y, uint8_t button = 0, uint32_t keys = 0);
    void release(int32_t x, int32_t y, uint8_t button = 0, uint32_t keys = 0);
    void move(int32_t x, int32_t y, uint32_t keys = 0);
    void leave();
    // Notches of 120; positive away from the user.
    void wheel(int32_t x, int32_t y, int32_t notches, uint32_t keys = 0);
    void key(uint8_t windowKey, int32_t character, uint32_t keys = 0, bool down = true);
    // Press and release at one point.
    void click(int32_t x, int32_t y, uint8_t button = 0, uint32_t keys = 0);
    // A left-button drag in one-pixel moves, as a hand gives them.
    void drag(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, uint32_t keys = 0);

    int32_t width() const { return record.width; }
    int32_t height() const { return record.height; }
    // The view's pixels as of the last tick: bytes blue, green, red, alpha.
    const std::vector<uint32_t>& pixels() const { return buffer; }
    uint32_t clock() const { return record.clockMs; }

private:
    void queue(platform::HostInputEvent event);
    void resize(int32_t width, int32_t height);

    HostInstance& instance;
    platform::HostWindow record;
    std::vector<uint32_t> buffer;
    bool opened = false;
};
