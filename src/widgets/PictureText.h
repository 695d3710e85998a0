#pragma once
// The one routine through which widgets draw text with a picture font: the
// glyphs stand one under the other in the font's picture, each a band of the
// glyph height from x = 0.  The text is centred, right-aligned or left, and
// condensed and shortened to fit where the caller allows.  GUI thread only.

#include <cstdint>
#include <string_view>
#include <vector>

#include "guitoolkit/CRect.h"

namespace VSTGUI {

class BWPictureFont;
class CDrawContext;

enum PictureTextAlign : int32_t {
    kPictureLeft = 0,
    kPictureCentre = 1,
    kPictureCentreWhenWider = 2,  // centred when the rectangle is wider than the text, else left
    kPictureRight = 3,
};

// One glyph as drawn: its left edge and top, its width and its band in the picture.
struct PictureGlyph {
    int32_t x;
    int32_t top;
    int32_t width;
    int32_t index;
    bool operator==(const PictureGlyph&) const = default;
};

// Where the glyphs of a text go (the drawing below places them so).
// shortenMode 0 never shortens; otherwise a text that does not fit (and is
// shorter than 128 characters) is condensed and shortened by the font's rule.
std::vector<PictureGlyph> placePictureText(BWPictureFont& font, const CRect& rect, std::string_view text,
                                           int32_t alignment, bool centreVertically, int32_t shortenMode);

// Nothing without a font, its picture or a text.
void drawPictureText(BWPictureFont* font, CDrawContext* context, const CRect& rect, const char* text,
                     int32_t alignment, bool centreVertically, int32_t shortenMode);

}  // namespace VSTGUI
