#pragma once
// Colours of the view toolkit (red, green, blue, alpha bytes in that order)
// and the table of the 18 standard colours.  Drawing takes only red, green and
// blue from a colour, as Windows GDI's pens and brushes do, so the standard
// colours with alpha 0 (colourOrange and its neighbours) still draw opaque;
// alpha matters only to the container background rule.

#include <cstdint>

namespace VSTGUI {

struct CColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;

    constexpr bool operator==(const CColor&) const = default;

    // The colour as one pixel of a 32-bit buffer (alpha, red, green, blue from
    // the top byte down: blue, green, red, alpha in memory), opaque.
    constexpr uint32_t opaquePixel() const {
        return 0xFF000000u | uint32_t{red} << 16 | uint32_t{green} << 8 | blue;
    }
    // The same with the colour's own alpha.
    constexpr uint32_t pixel() const {
        return uint32_t{alpha} << 24 | uint32_t{red} << 16 | uint32_t{green} << 8 | blue;
    }
};

inline constexpr CColor kStandardColours[18] = {
    {255, 255, 255, 0},    {0, 0, 0, 255},       {255, 255, 255, 255}, {127, 127, 127, 255},
    {255, 0, 0, 255},      {0, 255, 0, 255},     {0, 0, 255, 255},     {255, 255, 0, 255},
    {255, 0, 255, 255},    {0, 255, 255, 255},   {255, 255, 100, 0},   {245, 127, 55, 0},
    {69, 196, 220, 0},     {203, 203, 141, 0},   {203, 101, 101, 0},   {101, 203, 101, 0},
    {128, 179, 179, 0},    {1, 1, 1, 0},
};

inline constexpr const CColor& colourTransparent = kStandardColours[0];
inline constexpr const CColor& colourBlack = kStandardColours[1];
inline constexpr const CColor& colourWhite = kStandardColours[2];
inline constexpr const CColor& colourGrey = kStandardColours[3];
inline constexpr const CColor& colourRed = kStandardColours[4];
inline constexpr const CColor& colourGreen = kStandardColours[5];
inline constexpr const CColor& colourBlue = kStandardColours[6];
inline constexpr const CColor& colourYellow = kStandardColours[7];
inline constexpr const CColor& colourMagenta = kStandardColours[8];
inline constexpr const CColor& colourCyan = kStandardColours[9];
inline constexpr const CColor& colourLightYellow = kStandardColours[10];
inline constexpr const CColor& colourOrange = kStandardColours[11];
inline constexpr const CColor& colourLightBlue = kStandardColours[12];
inline constexpr const CColor& colourPaleOlive = kStandardColours[13];
inline constexpr const CColor& colourLightRed = kStandardColours[14];
inline constexpr const CColor& colourLightGreen = kStandardColours[15];
inline constexpr const CColor& colourGreyTeal = kStandardColours[16];
// The option menus' "no colour" marker.
inline constexpr const CColor& colourNone = kStandardColours[17];

}  // namespace VSTGUI
