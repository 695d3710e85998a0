#include "support/WindowPixels.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace toolkit_test {

std::vector<uint32_t> colourPixels(const platform::WindowSurface& s) {
    std::vector<uint32_t> pixels(s.pixels, s.pixels + static_cast<size_t>(s.width) * s.height);
    for (uint32_t& p : pixels) p &= 0xffffff;
    return pixels;
}

std::vector<uint32_t> serverPixels(_XDisplay* display, unsigned long window, int32_t width, int32_t height) {
    XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    if (!image) return {};
    std::vector<uint32_t> held(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) held[static_cast<size_t>(y) * width + x] = XGetPixel(image, x, y) & 0xffffff;
    XDestroyImage(image);
    return held;
}

_XDisplay* openXTestDisplay(const char* name) {
    Display* display = XOpenDisplay(name);
    if (!display) return nullptr;
    int unused = 0;
    if (XTestQueryExtension(display, &unused, &unused, &unused, &unused)) return display;
    XCloseDisplay(display);
    return nullptr;
}

}  // namespace toolkit_test
