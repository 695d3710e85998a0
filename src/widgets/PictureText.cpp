#include "widgets/PictureText.h"

#include <string>

#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CBitmap.h"

namespace VSTGUI {

namespace {

constexpr size_t kLongestShortened = 128;

void emitGlyphs(const BWPictureFont& font, int32_t x, int32_t top, std::string_view text,
                std::vector<PictureGlyph>& out) {
    for (char c : text) {
        const auto code = static_cast<uint8_t>(c);
        x += font.effectiveSpacing();
        const int32_t width = font.glyphWidth(code);
        out.push_back({x, top, width, code < 32 || code > 127 ? 63 : code - 32});
        x += width;
    }
}

void place(BWPictureFont& font, CRect rect, std::string_view text, int32_t alignment, bool centreVertically,
           int32_t shortenMode, std::vector<PictureGlyph>& out) {
    if (centreVertically && rect.height() > font.getGlyphHeight())
        rect.top += (rect.height() - font.getGlyphHeight()) / 2;
    const int32_t width = font.textWidth(text);
    const bool fits = rect.width() >= width;
    const bool mayShorten = shortenMode != 0 && text.size() < kLongestShortened;
    // The shortened copy is measured and drawn condensed.
    auto shortened = [&](int32_t align) {
        font.setCondensed(true);
        const std::string copy = font.shortenText(text, rect.width(), shortenMode);
        place(font, rect, copy, align, false, 0, out);
        font.setCondensed(false);
    };
    if (alignment == kPictureCentre || (alignment == kPictureCentreWhenWider && rect.width() > width)) {
        if (fits) return emitGlyphs(font, rect.left + (rect.width() - width) / 2, rect.top, text, out);
        if (mayShorten) return shortened(kPictureCentre);
    }
    if (fits || !mayShorten)
        return emitGlyphs(font, alignment == kPictureRight ? rect.right - width : rect.left, rect.top, text, out);
    shortened(alignment);
}

}  // namespace

std::vector<PictureGlyph> placePictureText(BWPictureFont& font, const CRect& rect, std::string_view text,
                                           int32_t alignment, bool centreVertically, int32_t shortenMode) {
    std::vector<PictureGlyph> glyphs;
    place(font, rect, text, alignment, centreVertically, shortenMode, glyphs);
    return glyphs;
}

void drawPictureText(BWPictureFont* font, CDrawContext* context, const CRect& rect, const char* text,
                     int32_t alignment, bool centreVertically, int32_t shortenMode) {
    if (!font || !text || !context) return;
    CBitmap* picture = font->getPicture();
    if (!picture) return;
    const int32_t height = font->getGlyphHeight();
    for (const PictureGlyph& g : placePictureText(*font, rect, text, alignment, centreVertically, shortenMode)) {
        const CRect target(g.x, g.top, g.x + g.width, g.top + height);
        const CPoint source(0, g.index * height);
        if (font->isTransparent())
            picture->drawTransparent(context, target, source);
        else
            picture->draw(context, target, source);
    }
}

}  // namespace VSTGUI
