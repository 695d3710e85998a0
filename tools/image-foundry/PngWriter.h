#pragma once
// Encodes pixels as a PNG with libpng: 8-bit RGBA or 8-bit grey with alpha,
// not interlaced.  The pixels are straight (not premultiplied), top row
// first, red, green, blue, alpha bytes.

#include <cstdint>
#include <vector>

namespace foundry {

std::vector<uint8_t> encodePng(const std::vector<uint8_t>& rgba, int width, int height, bool grey);

}  // namespace foundry
