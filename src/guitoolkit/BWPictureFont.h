#pragma once
// A bitmap font: the glyphs of the characters from " " upward stand side by
// side in one picture, each 10 pixels high, with a width per character.  The
// widgets draw their values and labels with it; here it measures texts and
// shortens them to a width.  The picture is not owned.  GUI thread only.

#include <cstdint>
#include <string>
#include <string_view>

namespace VSTGUI {

class CBitmap;

class BWPictureFont {
public:
    static constexpr int32_t kGlyphCount = 96;  // character codes 32 to 127
    static constexpr int32_t kDefaultWidth = 10;

    BWPictureFont();

    void setPicture(CBitmap* bitmap) { picture = bitmap; }
    CBitmap* getPicture() const { return picture; }
    int32_t getGlyphHeight() const { return glyphHeight; }
    void setGlyphHeight(int32_t value) { glyphHeight = value; }
    void setName(std::string_view value) { name = value; }
    const std::string& getName() const { return name; }

    // Widths of the codes 32 upward (at most 96 taken).
    void setWidths(const uint8_t* table, size_t count);
    uint8_t getWidth(int32_t index) const;
    // The width that stands for a character: codes outside 32..127 use the
    // width of index 63.
    int32_t glyphWidth(uint8_t character) const;

    void setSpacing(int32_t value) { spacing = value; }
    int32_t getSpacing() const { return spacing; }
    void setCondensation(int32_t value) { condensation = value; }
    int32_t getCondensation() const { return condensation; }
    void setCondensed(bool value) { condensed = value; }
    bool isCondensed() const { return condensed; }
    // The spacing after every character: less the condensation while the
    // drawing widget condenses.
    int32_t effectiveSpacing() const { return condensed ? spacing - condensation : spacing; }
    // Glyphs are drawn leaving out the picture's transparent colour.
    void setTransparent(bool value) { transparent = value; }
    bool isTransparent() const { return transparent; }

    int32_t textWidth(std::string_view text) const;

    // A form of the source that is at most maxWidth wide where the steps
    // allow: mode 2 cuts out the middle ("abcde..hijkl"), other modes cut the
    // end ("Channel.."); a text that fits is returned unchanged.
    std::string shortenText(std::string_view source, int32_t maxWidth, int32_t mode) const;

private:
    CBitmap* picture = nullptr;
    int32_t glyphHeight = 10;
    uint8_t widths[kGlyphCount];
    std::string name = "none";
    int32_t spacing = 0;
    int32_t condensation = 0;
    bool condensed = false;
    bool transparent = false;
};

}  // namespace VSTGUI
