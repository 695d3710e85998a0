#pragma once
// Makes double clicks out of presses: a press of the same button in the same
// window within 500 ms and 4 pixels of the one before is a double click; the
// press after a double click starts over.  Both window back-ends use it, so
// the toolkit sees the same presses from either.  GUI thread only.

#include <cstdint>

#include "platform/WindowSystem.h"

namespace platform {

class ClickTracker {
public:
    static constexpr uint32_t kIntervalMs = 500;
    static constexpr int32_t kDistance = 4;

    // Answers whether this press is the second of a double click.
    bool press(WindowId window, MouseButtonId button, int32_t x, int32_t y, uint32_t timeMs);

private:
    bool armed = false;
    WindowId lastWindow = 0;
    MouseButtonId lastButton = MouseButtonId::Left;
    int32_t lastX = 0;
    int32_t lastY = 0;
    uint32_t lastTime = 0;
};

}  // namespace platform
