#pragma once
// Draws a text into a rectangle so that it fits its width: modes 0 and 1 drop
// characters from the end until the text fits, then draw it left-aligned (0)
// or centred (1); mode 2 centres a text narrower than the rectangle and
// left-aligns any other; every other mode right-aligns.  Texts of any length.

#include <cstdint>

#include "guitoolkit/CRect.h"

namespace VSTGUI {

class CDrawContext;

void drawStringFitted(CDrawContext* context, const CRect& rect, const char* text, int32_t mode);

}  // namespace VSTGUI
