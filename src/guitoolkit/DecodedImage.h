#pragma once
// Pixels that an image reader made: 32-bit words (blue, green, red, alpha
// bytes in memory), top row first, as the bitmap and cairo keep them.

#include <cstdint>
#include <vector>

namespace VSTGUI {

struct DecodedImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

// Colour channels (0..255) scaled by alpha / 256, truncated, in one pixel.
inline uint32_t premultipliedPixel(uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue) {
    return alpha << 24 | (red * alpha >> 8) << 16 | (green * alpha >> 8) << 8 | (blue * alpha >> 8);
}

// The largest image the readers accept: far above the interface's own
// (the tallest strip is 5504 rows), low enough that hostile headers cannot ask
// for gigabytes.
inline constexpr int64_t kMaxImageSide = 65536;
inline constexpr int64_t kMaxImagePixels = int64_t{1} << 25;

}  // namespace VSTGUI
