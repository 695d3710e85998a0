#pragma once
// Texts that buttons and displays draw besides their own: a list of entries
// of text and colour shown by index, and the value-to-text formatters the
// editor gives them.  GUI thread only.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "guitoolkit/CColor.h"
#include "guitoolkit/CRect.h"

namespace VSTGUI {

class CDrawContext;
class CFontDesc;

// Writes the text of a value into a buffer of kFormattedTextSize bytes.
using BWValueToText = std::function<void(float value, char* text)>;
inline constexpr size_t kFormattedTextSize = 256;

// Entries of text and colour drawn by index in one font (buttons and displays).
struct BWTextList {
    struct Entry {
        std::string text;
        CColor colour;
    };
    CFontDesc* font = nullptr;  // null: the standard 12-point font
    int32_t x = 0;
    int32_t y = 0;
    int32_t fontSize = 12;
    int32_t alignment = 0;  // 0 left, 1 centre, 2 right
    std::vector<Entry> entries;

    // Draws entry `index` into the rectangle offset by (x, y); nothing for an
    // index outside the list.
    void draw(CDrawContext* context, const CRect& rect, int32_t index) const;
};

}  // namespace VSTGUI
