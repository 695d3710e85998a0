#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CFontDesc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace VSTGUI;

TEST(CFontDescTest, StylesMakeTheRequestedFont) {
    struct StyleCase {
        int32_t style;
        int32_t weight;
        bool italic, underline;
        int32_t escapement;
    };
    for (const StyleCase& c : {StyleCase{0, 400, false, false, 0}, StyleCase{9, 700, false, false, 900},
                               StyleCase{16, 400, false, false, -900}, StyleCase{2 | 4, 400, true, true, 0}}) {
        CFontDesc font("Arial", 14, c.style);
        const SystemFont* made = font.getFont();
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->height, -14);
        EXPECT_EQ(made->weight, c.weight) << c.style;
        EXPECT_EQ(made->italic, c.italic) << c.style;
        EXPECT_EQ(made->underline, c.underline) << c.style;
        EXPECT_EQ(made->escapement, c.escapement) << c.style;
        EXPECT_EQ(made->orientation, c.escapement) << c.style;
        EXPECT_FALSE(made->decorative);
        EXPECT_NE(made->face, nullptr);
    }

    CFontDesc font("Arial", 12);
    font.getFont();
    font.setName("Arial");
    EXPECT_TRUE(font.hasFont());
    font.setName("Symbol");
    EXPECT_FALSE(font.hasFont());
    EXPECT_TRUE(font.getFont()->decorative);  // named like the standard symbol font
    font.setSize(13);
    EXPECT_FALSE(font.hasFont());

    const struct {
        const char* name;
        int32_t size;
    } standard[] = {{"Arial", 12}, {"Arial", 18}, {"Arial", 14}, {"Arial", 12},
                    {"Arial", 11}, {"Arial", 10}, {"Arial", 9},  {"Symbol", 13}};
    for (int32_t i = 0; i < kStandardFontCount; ++i) {
        EXPECT_STREQ(standardFonts()[i]->getName(), standard[i].name) << i;
        EXPECT_EQ(standardFonts()[i]->getSize(), standard[i].size) << i;
        EXPECT_EQ(standardFonts()[i]->getStyle(), 0);
    }
}

TEST(BWPictureFontTest, WidthsCountEveryCharacterAndTheSpacing) {
    BWPictureFont font;
    EXPECT_EQ(font.getName(), "none");
    EXPECT_EQ(font.getGlyphHeight(), 10);
    EXPECT_EQ(font.textWidth("A"), 10);
    EXPECT_EQ(font.textWidth(""), 0);

    uint8_t widths[BWPictureFont::kGlyphCount];
    for (int32_t i = 0; i < BWPictureFont::kGlyphCount; ++i) widths[i] = static_cast<uint8_t>(i % 7 + 3);
    font.setWidths(widths, sizeof(widths));
    font.setSpacing(2);
    font.setCondensation(3);
    struct WidthCase {
        const char* text;
        bool condensed;
        int32_t width;
    };
    // ' ' is index 0 (width 3), 'A' index 33 (8), '_' index 63 (3); codes
    // outside 32..127 measure as '_'.
    for (const WidthCase& c : {WidthCase{" ", false, 3 + 2}, WidthCase{"A", false, 8 + 2},
                               WidthCase{"A A", false, 8 + 3 + 8 + 6}, WidthCase{"\x7f", false, widths[95] + 2},
                               WidthCase{"\xe9\x01", false, 3 + 3 + 4}, WidthCase{"AA", true, 16 - 2}}) {
        font.setCondensed(c.condensed);
        EXPECT_EQ(font.textWidth(c.text), c.width) << c.text;
    }
}

TEST(BWPictureFontTest, ShorteningSteps) {
    BWPictureFont font;  // every width 10, no spacing
    BWPictureFont narrowDots;
    uint8_t widths[BWPictureFont::kGlyphCount];
    std::fill(std::begin(widths), std::end(widths), uint8_t{10});
    widths['.' - 32] = 5;
    narrowDots.setWidths(widths, sizeof(widths));
    struct ShortenCase {
        const BWPictureFont* font;
        const char* source;
        int32_t maxWidth;
        int32_t mode;
        const char* result;
    };
    for (const ShortenCase& c : {
             ShortenCase{&narrowDots, "abcdefghijkl", 120, 2, "abcdefghijkl"},  // fits: unchanged
             ShortenCase{&narrowDots, "abcdefghijkl", 119, 2, "abcde..hijkl"},  // 110
             ShortenCase{&narrowDots, "abcdefghijkl", 100, 2, "abcd..ijkl"},    // 90
             ShortenCase{&narrowDots, "abcdefghijkl", 80, 2, "abc..jkl"},       // 70
             ShortenCase{&narrowDots, "abcdefghijkl", 10, 2, "abc..jkl"},  // no fewer than 3 on each side
             ShortenCase{&font, "abcdefgh", 60, 0, "abcd.."},
             ShortenCase{&font, "Channel 16", 90, 0, "Channel.."},
             ShortenCase{&font, "Channel 16", 80, 1, "Channe.."},
             ShortenCase{&font, "abcd", 30, 0, "ab"},   // "a.." says less than two letters
             ShortenCase{&font, "abcd", 15, 0, "a"},
             ShortenCase{&font, "abc", 20, 0, "ab"},
             ShortenCase{&font, "ab", 10, 0, "a"},
             ShortenCase{&font, "ab", 20, 0, "ab"},
             ShortenCase{&font, "ab", 5, 2, "a"},
             ShortenCase{&font, "", 0, 0, ""},
         }) {
        const std::string result = c.font->shortenText(c.source, c.maxWidth, c.mode);
        EXPECT_EQ(result, c.result) << c.source << " to " << c.maxWidth << " mode " << c.mode;
        EXPECT_LE(result.size(), std::strlen(c.source));
    }
}
