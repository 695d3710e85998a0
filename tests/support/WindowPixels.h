#pragma once
// The pixels the window tests compare: a window surface's colours (alpha
// left out), and what an X server holds for a window (XGetImage); and the
// test's own connection to that server, through which XTest sends input.

#include <cstdint>
#include <vector>

#include "platform/WindowSystem.h"

struct _XDisplay;

namespace toolkit_test {

std::vector<uint32_t> colourPixels(const platform::WindowSurface& surface);
// Empty when the server gives no image.
std::vector<uint32_t> serverPixels(_XDisplay* display, unsigned long window, int32_t width, int32_t height);
// A connection to the server that offers XTest; null without either.
_XDisplay* openXTestDisplay(const char* name);

}  // namespace toolkit_test
