#pragma once
// The glyph widths of the interface's picture fonts for the characters ' '
// (32) to '~' (126): table A for the 11-pixel fonts, table B for the
// condensed 15-pixel one.  The editor gives them to its fonts; the image
// foundry draws the glyph strips to them.  Code 127 keeps a font's default.

#include <cstdint>

namespace VSTGUI {

inline constexpr int32_t kPictureFontTableSize = 95;

inline constexpr uint8_t kPictureFontWidthsA[kPictureFontTableSize] = {
    2, 4, 4, 7, 7, 7, 7, 3, 5, 4, 7, 6, 5, 5, 4, 5, 6, 4, 6, 6, 6, 6, 6, 6, 6, 6, 3, 4, 7, 7, 7, 7,
    11, 8, 7, 7, 7, 6, 6, 7, 7, 3, 7, 7, 6, 8, 7, 7, 6, 7, 7, 7, 7, 7, 7, 10, 7, 7, 7, 4, 6, 4, 4, 7,
    3, 8, 7, 7, 7, 6, 6, 7, 7, 3, 7, 7, 6, 8, 7, 7, 6, 7, 7, 7, 7, 7, 7, 10, 7, 7, 7, 5, 2, 6, 7};

inline constexpr uint8_t kPictureFontWidthsB[kPictureFontTableSize] = {
    4, 4, 6, 10, 8, 10, 10, 5, 7, 7, 6, 8, 5, 5, 4, 5, 8, 7, 8, 8, 8, 8, 8, 8, 8, 8, 4, 5, 10, 10, 10, 10,
    15, 10, 10, 10, 10, 9, 9, 10, 10, 5, 7, 10, 9, 11, 10, 11, 9, 10, 10, 9, 9, 10, 10, 13, 10, 10, 10, 7, 9, 7, 7, 10,
    6, 8, 9, 8, 9, 7, 5, 8, 9, 4, 4, 9, 4, 12, 9, 9, 9, 9, 6, 7, 5, 8, 8, 11, 8, 8, 8, 8, 5, 9, 10};

// Fonts 1, 4 and 7 of the editor draw '%' 8 pixels wide.
inline constexpr uint8_t kPictureFontPercentWidth = 8;

}  // namespace VSTGUI
