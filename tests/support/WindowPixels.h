#pragma once
// The pixels the window tests compare: a window surface's colours (alpha
// left out), and what an X server holds for a window (XGetImage).

#include <cstdint>
#include <vector>

#include "platform/WindowSystem.h"

struct _XDisplay;

namespace toolkit_test {

std::vector<uint32_t> colourPixels(const platform::WindowSurface& surface);
// Empty when the server gives no image.
std::vector<uint32_t> serverPixels(_XDisplay* display, unsigned long window, int32_t width, int32_t height);

}  // namespace toolkit_test
