#include "platform/ClickTracker.h"

#include <cstdlib>

namespace platform {

bool ClickTracker::press(WindowId window, MouseButtonId button, int32_t x, int32_t y, uint32_t timeMs) {
    const bool twice = armed && window == lastWindow && button == lastButton && timeMs - lastTime <= kIntervalMs &&
                       std::abs(x - lastX) <= kDistance && std::abs(y - lastY) <= kDistance;
    armed = !twice;
    lastWindow = window;
    lastButton = button;
    lastX = x;
    lastY = y;
    lastTime = timeMs;
    return twice;
}

}  // namespace platform
