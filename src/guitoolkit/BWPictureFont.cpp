#include "guitoolkit/BWPictureFont.h"

#include <algorithm>

namespace VSTGUI {

BWPictureFont::BWPictureFont() { std::fill(std::begin(widths), std::end(widths), uint8_t{kDefaultWidth}); }

void BWPictureFont::setWidths(const uint8_t* table, size_t count) {
    if (!table) return;
    std::copy_n(table, std::min<size_t>(count, kGlyphCount), widths);
}

uint8_t BWPictureFont::getWidth(int32_t index) const {
    return index >= 0 && index < kGlyphCount ? widths[index] : 0;
}

int32_t BWPictureFont::glyphWidth(uint8_t character) const {
    const int32_t index = character < 32 || character > 127 ? 63 : character - 32;
    return widths[index];
}

int32_t BWPictureFont::textWidth(std::string_view text) const {
    int64_t width = 0;
    for (char c : text) width += glyphWidth(static_cast<uint8_t>(c));
    width += static_cast<int64_t>(text.size()) * effectiveSpacing();
    return static_cast<int32_t>(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
}

std::string BWPictureFont::shortenText(std::string_view source, int32_t maxWidth, int32_t mode) const {
    std::string output(source);
    if (textWidth(output) <= maxWidth) return output;
    const size_t length = source.size();

    if (mode == 2 && length >= 3) {
        // Keep n characters on each side of "..", n from half the length
        // less one down to 3.
        for (size_t n = length / 2 - 1; n >= 3 && textWidth(output) > maxWidth; --n)
            output = std::string(source.substr(0, n)) + ".." + std::string(source.substr(length - n));
        return output;
    }

    size_t before = length;
    while (textWidth(output) > maxWidth && before >= 4) {
        before = output.size();
        output.pop_back();
        output.replace(output.size() - 2, 2, "..");
    }
    // Two dots alone say nothing: show the start of the text instead.
    if (output.size() == 2) {
        output = std::string(source.substr(0, 1));
    } else if (output.size() == 3) {
        output = std::string(source.substr(0, 2));
        if (textWidth(output) > maxWidth) output.resize(1);
    }
    return output;
}

}  // namespace VSTGUI
