#include "guitoolkit/CDrawContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include <fontconfig/fontconfig.h>

#include "guitoolkit/BWBufferDraw.h"
#include "guitoolkit/CFontDesc.h"
#include "guitoolkit/COffscreenContext.h"
#include "guitoolkit/DrawStringFitted.h"

using namespace VSTGUI;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// The smallest rectangle around every pixel that is not the background.
CRect ink(const COffscreenContext& context, uint32_t backgroundPixel = kBlack) {
    CRect box(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    for (int32_t y = 0; y < context.getHeight(); ++y)
        for (int32_t x = 0; x < context.getWidth(); ++x)
            if (context.getPixel(x, y) != backgroundPixel) box.unite(CRect(x, y, x + 1, y + 1));
    return box;
}

bool samePixels(const COffscreenContext& a, const COffscreenContext& b) {
    for (int32_t y = 0; y < a.getHeight(); ++y)
        for (int32_t x = 0; x < a.getWidth(); ++x)
            if (a.getPixel(x, y) != b.getPixel(x, y)) return false;
    return true;
}

}  // namespace

TEST(CDrawContextTest, RectanglesLinesOffsetAndClipHitExactPixels) {
    struct RectCase {
        int32_t style;
        const char* name;
    };
    for (const RectCase& c : {RectCase{kDrawStroked, "outline"}, RectCase{kDrawFilled, "fill"}}) {
        COffscreenContext context(nullptr, 32, 32, colourBlack);
        context.setFrameColor(colourWhite);
        context.setFillColor(colourWhite);
        context.setOffset(CPoint(2, 3));
        context.drawRect(CRect(8, 7, 18, 17), c.style);  // (10, 10, 20, 20) on the surface
        for (int32_t y = 0; y < 32; ++y)
            for (int32_t x = 0; x < 32; ++x) {
                const bool inside = x >= 10 && x < 20 && y >= 10 && y < 20;
                const bool border = inside && (x == 10 || x == 19 || y == 10 || y == 19);
                const bool lit = c.style == kDrawFilled ? inside : border;
                ASSERT_EQ(context.getPixel(x, y), lit ? kWhite : kBlack) << c.name << " " << x << "," << y;
            }
    }

    COffscreenContext context(nullptr, 32, 32, colourBlack);
    context.setFrameColor(colourOrange);  // alpha 0 in the table, drawn opaque
    context.moveTo(CPoint(2, 2));
    context.lineTo(CPoint(6, 2));
    context.lineTo(CPoint(6, 6));
    EXPECT_EQ(context.getPenPosition(), CPoint(6, 6));
    EXPECT_EQ(context.getPixel(2, 2), 0xFFF57F37u);
    EXPECT_EQ(context.getPixel(6, 2), 0xFFF57F37u);  // the first segment's end is the second's start
    EXPECT_EQ(context.getPixel(6, 5), 0xFFF57F37u);
    EXPECT_EQ(context.getPixel(6, 6), kBlack);  // a line leaves out its end point

    context.setClipRect(CRect(0, 0, 12, 12));
    context.setFillColor(colourWhite);
    context.drawRect(CRect(10, 10, 30, 30), kDrawFilled);
    EXPECT_EQ(ink(context, kBlack).getBottomRight(), CPoint(12, 12));
    CRect clip;
    context.setOffset(CPoint(5, 5));
    EXPECT_EQ(context.getClipRect(clip), CRect(-5, -5, 7, 7));
}

TEST(CDrawContextTest, OffscreenCopiesPixelsUnchanged) {
    COffscreenContext source(nullptr, 10, 10, CColor{10, 20, 30, 255});
    COffscreenContext target(nullptr, 20, 20, colourBlack);
    target.setOffset(CPoint(1, 1));
    source.copyFrom(&target, CRect(4, 4, 8, 8), CPoint(2, 2));
    EXPECT_EQ(ink(target), CRect(5, 5, 9, 9));
    EXPECT_EQ(target.getPixel(5, 5), 0xFF0A141Eu);
}

TEST(CDrawContextTest, TextIsMeasuredAndPlacedByAlignment) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Arial"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* family = nullptr;
    ASSERT_TRUE(match && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch);
    EXPECT_STREQ(reinterpret_cast<const char*>(family), "Liberation Sans");
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);

    COffscreenContext context(nullptr, 200, 40, colourBlack);
    const int32_t hello = context.getStringWidth("Hello");
    EXPECT_GE(hello, 26);  // Arial's advances at 12 pixels: 27.3 before hinting
    EXPECT_LE(hello, 30);
    EXPECT_EQ(context.getStringWidth("HelloHello"), 2 * hello);
    context.setCharacterSpacing(2.0f);
    EXPECT_EQ(context.getStringWidth("Hello"), hello + 10);
    context.setCharacterSpacing(0.0f);
    context.setFont(standardFonts()[0], 18);
    EXPECT_GT(context.getStringWidth("Hello"), hello * 14 / 10);
    EXPECT_EQ(context.getFont()->getSize(), 18);
    EXPECT_EQ(standardFonts()[0]->getSize(), 12);  // a new description, not the standard font changed

    // Bold strokes light more pixels than regular ones.
    auto litPixels = [](int32_t style) {
        COffscreenContext canvas(nullptr, 60, 20, colourBlack);
        canvas.setFont(standardFonts()[0], 0, style);
        canvas.drawString("Hello", CRect(0, 0, 60, 20));
        int lit = 0;
        for (int32_t y = 0; y < 20; ++y)
            for (int32_t x = 0; x < 60; ++x) lit += canvas.getPixel(x, y) != kBlack;
        return lit;
    };
    EXPECT_GT(litPixels(kBoldFace), litPixels(0) * 12 / 10);

    const CRect box(20, 5, 180, 35);
    struct PlaceCase {
        int32_t alignment;
        int32_t leftMin, leftMax, rightMin, rightMax;  // where the ink may start and end
    };
    const int32_t centreLeft = 20 + (160 - hello) / 2;
    for (const PlaceCase& c : {PlaceCase{kLeftText, 21, 23, 21 + hello - 3, 21 + hello},
                               PlaceCase{kCenterText, centreLeft, centreLeft + 2, centreLeft + hello - 3, centreLeft + hello},
                               PlaceCase{kRightText, 180 - hello, 180 - hello + 2, 177, 180}}) {
        COffscreenContext canvas(nullptr, 200, 40, colourBlack);
        canvas.drawString("Hello", box, false, c.alignment);
        const CRect drawn = ink(canvas);
        EXPECT_GE(drawn.left, c.leftMin) << c.alignment;
        EXPECT_LE(drawn.left, c.leftMax) << c.alignment;
        EXPECT_GE(drawn.right, c.rightMin) << c.alignment;
        EXPECT_LE(drawn.right, c.rightMax) << c.alignment;
        EXPECT_NEAR((drawn.top + drawn.bottom) / 2.0, (box.top + box.bottom) / 2.0, 3.0);  // centred vertically
    }
}

TEST(CDrawContextTest, FittedStringsShortenFromTheEndToAnyLength) {
    COffscreenContext measure(nullptr, 10, 10);
    const CRect narrow(10, 5, 10 + measure.getStringWidth("Hello") + 1, 30);

    COffscreenContext fitted(nullptr, 200, 40, colourBlack);
    drawStringFitted(&fitted, narrow, "Hello World", 0);
    COffscreenContext plain(nullptr, 200, 40, colourBlack);
    plain.drawString("Hello", narrow, false, kLeftText);
    EXPECT_TRUE(samePixels(fitted, plain));

    const std::string longText(1000, 'W');
    COffscreenContext wide(nullptr, 200, 40, colourBlack);
    drawStringFitted(&wide, CRect(0, 0, 200, 40), longText.c_str(), 1);
    const CRect drawn = ink(wide);
    EXPECT_GE(drawn.left, 0);
    EXPECT_LE(drawn.right, 200);
    EXPECT_GT(drawn.width(), 150);  // as many as fit, centred

    COffscreenContext empty(nullptr, 50, 40, colourBlack);
    drawStringFitted(&empty, CRect(10, 0, 10, 40), "Hello", 0);
    EXPECT_EQ(ink(empty), CRect(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN));
}

TEST(BWBufferDrawTest, CurveRowsTakeTheirGradientEntries) {
    BWBufferDraw curve;
    for (int32_t t = 0; t < 2; ++t)
        for (int32_t i = 0; i < 256; ++i) curve.setGradient(t, i, CColor{uint8_t(t + 1), uint8_t(i), 0, 255});
    curve.setLineColor(CColor{0, 0, 255, 255});
    curve.setBackColor(CColor{9, 9, 9, 255});
    curve.setFillColor(CColor{7, 7, 7, 255});
    curve.setSize(CRect(0, 0, 8, 20));
    ASSERT_EQ(curve.getValueCount(), 9u);
    auto entry = [](int32_t table, int32_t index) { return CColor{uint8_t(table + 1), uint8_t(index), 0, 255}.pixel(); };
    const uint32_t line = CColor{0, 0, 255, 255}.pixel();
    const BWRawBlit& pixels = curve.getBuffer();

    curve.drawCurve(0);  // all values 0
    for (int32_t x = 0; x < 8; ++x) {
        EXPECT_EQ(pixels.getPixel(x, 18), entry(1, 255)) << x;
        EXPECT_EQ(pixels.getPixel(x, 17), entry(0, 255)) << x;
        EXPECT_EQ(pixels.getPixel(x, 19), entry(1, 0)) << x;
        EXPECT_EQ(pixels.getPixel(x, 16), (CColor{9, 9, 9, 255}).pixel()) << x;
    }

    curve.getValues()[3] = 1.0f;  // a peak at column 3, row 2
    curve.drawCurve(0);
    int lines = 0;
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 8; ++x) lines += pixels.getPixel(x, y) == line;
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(pixels.getPixel(3, 2), line);   // the peak
    EXPECT_EQ(pixels.getPixel(2, 18), line);  // where the flat run turns up
    EXPECT_EQ(pixels.getPixel(3, 18), entry(1, 15));   // falling back towards the next column: 1/17 of 255
    EXPECT_EQ(pixels.getPixel(3, 3), entry(1, 240));
    EXPECT_EQ(pixels.getPixel(2, 2), entry(0, 15));   // rising towards the peak
    EXPECT_EQ(pixels.getPixel(2, 17), entry(0, 240));
    EXPECT_EQ(pixels.getPixel(2, 19), entry(1, 0));
    EXPECT_EQ(pixels.getPixel(4, 2), entry(0, 15));    // the column after comes down the other way

    // Bipolar: the fill runs from the curve to the middle row 18 - 16 / 2.
    for (size_t i = 0; i < curve.getValueCount(); ++i) curve.getValues()[i] = 1.0f;
    curve.drawBipolar();
    EXPECT_EQ(pixels.getPixel(5, 10), line);
    EXPECT_EQ(pixels.getPixel(5, 6), (CColor{7, 7, 7, 255}).pixel());
    EXPECT_EQ(pixels.getPixel(5, 12), (CColor{9, 9, 9, 255}).pixel());
    curve.getValues()[3] = 1.0f;

    curve.setSize(CRect(0, 0, 8, 10));  // same width: the series stays
    EXPECT_EQ(curve.getValues()[3], 1.0f);
    for (float wild : {1.5f, -0.5f, NAN, 1e30f, -1e30f}) {
        for (size_t i = 0; i < curve.getValueCount(); ++i) curve.getValues()[i] = wild;
        curve.drawCurve(0);
        curve.drawBipolar();  // clamped rows: no write outside the buffer
    }
    EXPECT_EQ(pixels.getPixel(0, 5), line);  // the bipolar middle row: 8 - 6 / 2
    curve.setSize(CRect(0, 0, 5, 10));
    EXPECT_EQ(curve.getValueCount(), 6u);
    EXPECT_EQ(curve.getValues()[3], 0.0f);
}
