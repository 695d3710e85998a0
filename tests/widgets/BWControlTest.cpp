// The widget base: page visibility, hint timing on the frame's clock and hint
// placement, margins, the drop shadow, activation as overlay, labels, and the
// picture-font text routine.

#include <gtest/gtest.h>

#include "WidgetScene.h"
#include "guitoolkit/CFontDesc.h"
#include "guitoolkit/PictureFontWidths.h"
#include "widgets/BWControl.h"
#include "widgets/BWLabel.h"
#include "widgets/PictureText.h"

namespace widget_test {
namespace {

TEST(BWControl, PageVisibilityFollowsTheBitOfItsPage) {
    BWControl widget(CRect(0, 0, 10, 10), nullptr, 0, nullptr);
    EXPECT_TRUE(widget.isVisible()) << "no page set";
    PageSet pages;
    widget.pageSet = &pages;
    const struct {
        int32_t page, word;
        uint32_t bits;
        bool shown;
    } cases[] = {{33, 1, 1u << 1, true},   {33, 1, ~(1u << 1), false}, {33, 0, 1u << 1, false},
                 {0, 0, 1u, true},         {95, 2, 1u << 31, true},    {127, 3, 1u << 31, true},
                 {130, 3, 1u << 2, true},  {-1, 0, ~0u, false}};
    for (const auto& c : cases) {
        for (int32_t w = 0; w < 4; ++w) pages.setWord(w, 0);
        pages.setWord(c.word, c.bits);
        widget.pageIndex = c.page;
        EXPECT_EQ(widget.isVisible(), c.shown) << "page " << c.page << " word " << c.word;
    }
    pages.setWord(1, 1u << 1);
    widget.pageIndex = 33;
    widget.setVisible(false);
    EXPECT_FALSE(widget.isVisible()) << "its own flag comes first";
    widget.setDirty(false);
    widget.setVisible(false);
    widget.setVisible(true);
    EXPECT_TRUE(widget.isDirty()) << "setVisible marks dirty even without a change";
    EXPECT_STREQ(widget.getInfoText(), "no info");
    EXPECT_EQ(widget.getExtraInt1() + widget.getExtraInt2(), -2);
}

TEST(BWControl, HintsPlaceBesideTheirWidgetAndMarginsGrowTheArea) {
    const int32_t w = 40, h = 20;
    const struct {
        CRect widget;
        CRect expected;
    } cases[] = {
        {{w + 11, 100, w + 61, 120}, {1, 100, 1 + w, 120}},            // room on the left: 10 px away
        {{w + 10, 100, w + 60, 120}, {w + 70, 100, w + 70 + w, 120}},  // none: to the right
        {{w + 100, 2, w + 150, 6}, {90, 0, 90 + w, h}},               // never above the top
        {{0, 50, -20, 90}, {0, 60, w, 80}},                            // far left of the frame
    };
    for (const auto& c : cases) {
        BWControl hint(CRect(0, 0, w, h), nullptr, 0, nullptr);
        hint.placeHint(c.widget);
        EXPECT_EQ(hint.getViewSize(), c.expected) << toolkit_test::describe(c.widget);
    }
    BWControl pinned(CRect(0, 0, w, h), nullptr, 0, nullptr);
    pinned.hintPlaceable = false;
    pinned.placeHint(CRect(200, 200, 220, 220));
    EXPECT_EQ(pinned.getViewSize(), CRect(0, 0, w, h));

    BWControl widget(CRect(0, 0, 5, 5), nullptr, 0, nullptr);
    const int32_t margins[4] = {1, 5, 1, 5};
    std::copy(margins, margins + 4, widget.margins);
    CRect r(10, 10, 30, 30);
    widget.setViewSizeWithMargins(r);
    EXPECT_EQ(widget.getViewSize(), CRect(10, 10, 30, 30));
    EXPECT_EQ(widget.getMouseableArea(), CRect(9, 5, 31, 35));
    EXPECT_EQ(r, CRect(9, 5, 31, 35)) << "the caller's rectangle grows too";
    const CRect kept(20, 20, 40, 40);
    widget.setViewSizeAndArea(kept);
    EXPECT_EQ(widget.getMouseableArea(), CRect(19, 15, 41, 45));
    EXPECT_EQ(kept, CRect(20, 20, 40, 40));
}

// Entering arms the show deadline, the clock must pass it strictly, leaving
// hides after the hide delay; an invisible widget drops its hint; with the
// frame suppressing hints entering arms nothing.
TEST(BWControl, HintsShowAndHideOnTheFramesClock) {
    WidgetScene scene;
    auto* widget = scene.add(new BWControl(CRect(100, 50, 140, 70), nullptr, 1, scene.frame));
    auto* linked = scene.add(new BWControl(CRect(100, 80, 140, 90), nullptr, 2, scene.frame));
    auto* placed = scene.add(new BWControl(CRect(0, 0, 30, 10), nullptr, 3, scene.frame));
    widget->addLinkedControl(linked);
    widget->addPlacedControl(placed);
    EXPECT_FALSE(linked->isVisible());
    EXPECT_FALSE(placed->isVisible());

    scene.idle();
    CPoint p(110, 60);
    widget->onMouseEntered(p, 0);
    EXPECT_EQ(widget->getHintShowDeadline(), widget->frameTime() + 2);
    scene.idle(2);
    EXPECT_FALSE(widget->isHintShown()) << "the clock must be strictly later";
    scene.idle(1);
    EXPECT_TRUE(widget->isHintShown());
    EXPECT_TRUE(linked->isVisible());
    EXPECT_EQ(placed->getViewSize(), CRect(60, 55, 90, 65)) << "left of the widget, centred";

    widget->onMouseExited(p, 0);
    scene.idle(5);
    EXPECT_TRUE(widget->isHintShown());
    scene.idle(1);
    EXPECT_FALSE(widget->isHintShown());
    EXPECT_FALSE(linked->isVisible());
    EXPECT_FALSE(placed->isVisible());

    widget->showHint();
    widget->setVisible(false);
    scene.idle();
    EXPECT_FALSE(widget->isHintShown()) << "an invisible widget drops its hint";
    widget->setVisible(true);

    scene.frame->hintSuppression = true;
    widget->onMouseEntered(p, 0);
    EXPECT_EQ(widget->getHintShowDeadline(), -1);
    widget->onMouseExited(p, 0);
    EXPECT_NE(widget->getHintHideDeadline(), -1);
}

TEST(BWControl, ActivationMakesTheOverlayAndLosingFocusGivesItBack) {
    WidgetScene scene;
    auto* first = scene.add(new BWControl(CRect(0, 0, 10, 10), nullptr, 1, scene.frame));
    auto* second = scene.add(new BWControl(CRect(20, 0, 30, 10), nullptr, 2, scene.frame));
    scene.add(new BWControl(CRect(40, 0, 50, 10), nullptr, 3, scene.frame));
    first->showHint();
    first->activate(1);
    EXPECT_EQ(scene.frame->getOverlay(), first);
    EXPECT_EQ(scene.frame->getView(scene.frame->getNbViews() - 1), first) << "front-most";
    EXPECT_FALSE(first->isHintShown());
    second->activate(4);
    EXPECT_EQ(scene.frame->getOverlay(), second);
    second->looseFocus();
    EXPECT_EQ(scene.frame->getOverlay(), first) << "the previous overlay comes back";
    first->looseFocus();
    EXPECT_EQ(scene.frame->getOverlay(), nullptr);
    second->activate(7);
    second->looseFocus();
    EXPECT_EQ(scene.frame->getOverlay(), nullptr) << "reasons 7 and 8 keep no previous overlay";
}

// The shadow of (0, 0, 10, 4): a right strip in columns 10..14 and a bottom
// strip in rows 4..8, each step one pixel further out and 20 alpha lighter.
TEST(BWControl, DropShadowStepsOutAndFades) {
    COffscreenContext c(nullptr, 20, 20, colourWhite);
    BWControl widget(CRect(0, 0, 10, 4), nullptr, 0, nullptr);
    widget.drawShadow(&c, CRect(0, 0, 10, 4));
    auto darkness = [&](int32_t x, int32_t y) { return 255 - static_cast<int32_t>(c.getPixel(x, y) & 0xFF); };
    for (int32_t i = 0; i < 5; ++i) {
        const int32_t alpha = 128 - 20 * i;
        EXPECT_NEAR(darkness(10 + i, i + 1), alpha, 1) << "right strip, step " << i;
        EXPECT_NEAR(darkness(10 + i, i + 4), alpha, 1);
        EXPECT_EQ(darkness(10 + i, i), 0) << "starts one row lower per step";
        EXPECT_NEAR(darkness(i + 1, 4 + i), alpha, 1) << "bottom strip, step " << i;
        EXPECT_NEAR(darkness(i + 9, 4 + i), alpha, 1);
        EXPECT_EQ(darkness(i, 4 + i), 0) << "starts one column further per step";
    }
    for (int32_t k = 0; k < 20; ++k) {
        EXPECT_EQ(darkness(15, k), 0) << "nothing beyond column 14";
        EXPECT_EQ(darkness(k, 9), 0) << "nothing beyond row 8";
    }
}

// "A", a line break and "B" in bands of 12: the same pixels whichever break
// is used, ink in both bands; in one call the text lies on one line.
TEST(BWLabel, LineBreaksDrawBandsOfTheLineHeight) {
    auto inkRows = [](const char* text, int32_t lineHeight) {
        BWLabel label(CRect(0, 0, 40, 30), nullptr, 0, nullptr, text, standardFonts()[0], 10, colourWhite,
                      lineHeight, 0);
        COffscreenContext c(nullptr, 40, 30, colourBlack);
        label.draw(&c);
        std::vector<int32_t> rows;
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 40; ++x)
                if (c.getPixel(x, y) & 0xFFFFFF) {
                    rows.push_back(y);
                    break;
                }
        return rows;
    };
    const std::vector<int32_t> newline = inkRows("A\nB", 12);
    EXPECT_EQ(newline, inkRows("A\\nB", 12));
    ASSERT_FALSE(newline.empty());
    EXPECT_LT(newline.front(), 12);
    EXPECT_GE(newline.back(), 12);
    EXPECT_LT(newline.back(), 24);
    BWLabel label(CRect(0, 0, 10, 10), nullptr, 0, nullptr, "x", nullptr, 0, colourWhite);
    EXPECT_FALSE(label.getMouseEnabled());
}

// "100 %" centred in 52 pixels with the widths of table A: 4 + 6 + 6 + 2 + 7
// = 25 wide, so the glyphs start at 13, 17, 23, 29 and 31.
TEST(PictureText, GlyphsArePlacedByWidthAlignmentAndShortening) {
    MarkerFont marker(kPictureFontWidthsA, kPictureFontTableSize);
    BWPictureFont& font = marker.font;
    auto starts = [&](const char* text, CRect rect, int32_t align, bool centre = false, int32_t shorten = 0) {
        std::vector<int32_t> xs;
        for (const PictureGlyph& g : placePictureText(font, rect, text, align, centre, shorten)) xs.push_back(g.x);
        return xs;
    };
    using V = std::vector<int32_t>;
    EXPECT_EQ(starts("100 %", CRect(0, 0, 52, 15), kPictureCentre), (V{13, 17, 23, 29, 31}));
    EXPECT_EQ(starts("100 %", CRect(0, 0, 52, 15), kPictureCentreWhenWider), (V{13, 17, 23, 29, 31}));
    EXPECT_EQ(starts("100 %", CRect(0, 0, 52, 15), kPictureRight), (V{27, 31, 37, 43, 45}));
    EXPECT_EQ(starts("100 %", CRect(5, 0, 52, 15), kPictureLeft), (V{5, 9, 15, 21, 23}));
    EXPECT_EQ(starts("100 %", CRect(0, 0, 20, 15), kPictureCentre), (V{0, 4, 10, 16, 18})) << "too wide, no shortening";
    font.setSpacing(1);
    EXPECT_EQ(starts("ab", CRect(0, 0, 52, 15), kPictureLeft), (V{1, 10})) << "spacing comes before each glyph";
    font.setCondensation(1);
    // "Channel 16" (70 px with spacing 1) into 40: condensed (no spacing) and
    // shortened to "Chan.." (37 px), centred.
    const auto shortened = placePictureText(font, CRect(0, 0, 40, 15), "Channel 16", kPictureCentre, false, 1);
    std::string shown;
    for (const PictureGlyph& g : shortened) shown += static_cast<char>(g.index + 32);
    EXPECT_EQ(shown, "Chan..");
    EXPECT_EQ(shortened.front().x, 1);
    EXPECT_FALSE(font.isCondensed()) << "the flag is cleared after drawing";
    font.setSpacing(0);
    const auto middle = placePictureText(font, CRect(0, 0, 52, 31), "A", kPictureLeft, true, 0);
    EXPECT_EQ(middle.front().top, 10) << "centred vertically: (31 - 11) / 2";
    EXPECT_EQ(placePictureText(font, CRect(0, 0, 52, 15), "\x7f\x01", kPictureLeft, false, 0).back().index, 63);

    COffscreenContext c(nullptr, 60, 15, colourBlack);
    drawPictureText(&font, &c, CRect(0, 0, 52, 15), "100 %", kPictureCentre, false, 0);
    EXPECT_EQ(MarkerFont::markers(c, 0),
              (std::vector<std::pair<int32_t, int32_t>>{{13, '1' - 32}, {17, '0' - 32}, {23, '0' - 32},
                                                        {29, ' ' - 32}, {31, '%' - 32}}));
    drawPictureText(nullptr, &c, CRect(0, 0, 52, 15), "x", 0, false, 0);
    drawPictureText(&font, &c, CRect(0, 0, 52, 15), nullptr, 0, false, 0);
}

}  // namespace
}  // namespace widget_test
