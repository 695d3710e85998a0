#pragma once
// Reads a device-independent bitmap as the module keeps its bitmap resources:
// a 40-byte (or longer) information header, then uncompressed rows of 24 or
// 32 bits per pixel padded to four bytes, bottom-up for a positive height and
// top-down for a negative one.  The pixels come out opaque (alpha 255); a
// bitmap resource has no per-pixel alpha.  Headers that do not describe
// bytes the resource holds answer false with an empty image.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "guitoolkit/DecodedImage.h"

namespace VSTGUI {

bool decodeDib(const uint8_t* bytes, size_t size, DecodedImage& image);

// The resource form of opaque pixels (24 bits, bottom-up); used by the image
// foundry and tests.
std::vector<uint8_t> encodeDib(const DecodedImage& image);

}  // namespace VSTGUI
