#pragma once
// Reads a PNG held in memory into premultiplied 32-bit pixels with libpng:
// palette and grey images become colour, a transparency chunk becomes alpha
// (other images get alpha 255), 16-bit channels are cut to 8, interlaced
// images are read pass by pass.  Premultiplication divides by 256, truncated
// (so 255 x 255 gives 254, as the drawing code has always shown), and a pixel
// of alpha 0 becomes all zero.
//
// Any libpng error (truncated, corrupt, absurd size) answers false with an
// empty image: a half-decoded picture is never passed off as a good one.

#include <cstddef>
#include <cstdint>

#include "guitoolkit/DecodedImage.h"

namespace VSTGUI {

bool decodePng(const uint8_t* bytes, size_t size, DecodedImage& image);

}  // namespace VSTGUI
