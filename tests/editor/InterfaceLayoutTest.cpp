// Widgets of the open where the layout puts them, drawing and answering as
// a person sees and uses them: pixels of a knob's strip, hint displays,
// mouse areas, absolute knobs, picture and value displays, meters, the
// pages of the lane tables and menus, the start values of menus before the
// first idle, the version label, companion buttons and the locate panel.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "EditorScene.h"
#include "editor/DisplayTags.h"
#include "editor/LayoutRows.h"
#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/COffscreenContext.h"
#include "persistence/Settings.h"
#include "support/TempDir.h"
#include "widgets/BWButton.h"
#include "widgets/BWDisplay.h"
#include "widgets/BWImage.h"
#include "widgets/BWKnob.h"
#include "widgets/BWLabel.h"
#include "widgets/BWOptionMenu.h"
#include "widgets/BWTableView.h"
#include "widgets/BWViewContainer.h"
#include "widgets/PictureText.h"

namespace editor_test {
namespace {

using VSTGUI::BWButton;
using VSTGUI::BWDisplay;
using VSTGUI::BWKnob;
using VSTGUI::BWOptionMenu;
using VSTGUI::CRect;

struct LayoutScene : EditorScene {
    LayoutScene() {
        EXPECT_TRUE(open());
        // Without instruments the open shows the locate panel over the lanes.
        if (VSTGUI::CView* panel = frame()->getOverlay()) panel->looseFocus();
        settle();
    }
    void settle(int passes = 2) {
        for (int i = 0; i < passes; ++i) {
            windows.advance(40);
            editor->idle();
            client->idle();  // the host's view timer: the editor, then the instance
            windows.dispatchPendingPaint();
        }
    }
    template <class W = VSTGUI::BWControl>
    W* at(int32_t tag) const {
        auto* w = dynamic_cast<W*>(editor->widget(tag));
        EXPECT_NE(w, nullptr) << tag;
        return w;
    }
    void click(int32_t x, int32_t y) {
        const platform::WindowId window = frame()->getWindow();
        windows.press(window, x, y);
        windows.release(window, x, y);
    }
};

// What cairo's "over" gives for a premultiplied source on an opaque one.
uint32_t over(uint32_t source, uint32_t below) {
    const uint32_t a = source >> 24;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t s = (source >> shift) & 255, d = (below >> shift) & 255;
        out |= std::min<uint32_t>(255, s + (d * (255 - a) + 127) / 255) << shift;
    }
    return out;
}

TEST(InterfaceLayout, KnobZeroDrawsItsMiddleFrameAndShowsItsLevelWhileThePointerRests) {
    LayoutScene scene;
    scene.client->setParameter(Tag::MasterLevel, 0.5f);
    scene.settle();
    // Frame 63 of the 128 in image 1062: source rows from 63 x 43 = 2709,
    // over the panel at (893, 104).  The meters stand at its sides.
    const platform::WindowSurface s = scene.windows.surface(scene.frame()->getWindow());
    VSTGUI::CBitmap* strip = scene.editor->getBitmap(1062);
    VSTGUI::CBitmap* panel = scene.editor->getBitmap(1000);
    int32_t worst = 0;
    for (int32_t y = 2; y < 41; ++y) {
        for (int32_t x = 3; x < 40; ++x) {
            const uint32_t want = over(strip->getPixels()[(2709 + y) * 43 + x], panel->getPixels()[(104 + y) * 960 + 893 + x]);
            const uint32_t got = s.pixels[(104 + y) * s.width + 893 + x];
            for (int shift = 0; shift < 24; shift += 8)
                worst = std::max(worst, std::abs(int32_t((want >> shift) & 255) - int32_t((got >> shift) & 255)));
        }
    }
    EXPECT_LE(worst, 2);

    auto* level = scene.at(Display::MasterLevel);
    EXPECT_FALSE(level->isVisible());
    scene.windows.move(scene.frame()->getWindow(), 914, 125);
    scene.settle();
    EXPECT_TRUE(level->isVisible()) << "the level shows while the pointer rests on the knob";
    EXPECT_EQ(scene.at<BWDisplay>(Display::MasterLevel)->valueText(), "0.00 db");
    scene.windows.move(scene.frame()->getWindow(), 500, 10);
    scene.settle();
    EXPECT_FALSE(level->isVisible());
}

// The MIDI export row stands where the layout puts it, over the master
// column's tune knob, and no widget of the open covers a word the panel
// prints: every pixel of the panel's text shows in the open window as the
// panel has it (the sections and plates are darker than any text).
TEST(InterfaceLayout, TheExportRowStandsInItsPlaceAndThePanelsWordsShowAroundIt) {
    LayoutScene scene;
    EXPECT_EQ(scene.at(layout::kExportButtonTag)->getViewSize(), CRect(841, 56, 952, 89));
    EXPECT_EQ(scene.at(Tag::ExportLengthUp)->getViewSize(), CRect(825, 65, 836, 73));
    EXPECT_EQ(scene.at(Tag::ExportLengthDown)->getViewSize(), CRect(825, 74, 836, 82));
    EXPECT_EQ(scene.at(Tag::ExportLength)->getViewSize(), CRect(811, 68, 825, 79));

    const platform::WindowSurface s = scene.windows.surface(scene.frame()->getWindow());
    ASSERT_EQ(std::pair(s.width, s.height), std::pair(960, 697)) << "the panel's size";
    const uint32_t* panel = scene.editor->getBitmap(1000)->getPixels();
    constexpr uint32_t kTextGreen = 0x50;  // over half a label (#8A9099) on the section (#26292E)
    int32_t text = 0, covered = 0;
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x) {
            const uint32_t printed = panel[y * s.width + x];
            if (((printed >> 8) & 255) < kTextGreen) continue;
            ++text;
            covered += (s.pixels[y * s.width + x] & 0xFFFFFF) != (printed & 0xFFFFFF);
        }
    EXPECT_GT(text, 2000) << "the sections' titles and the labels";
    EXPECT_EQ(covered, 0);
}

// In every picture font of the open, drawn with its own glyph strip, a
// word space reads as one although table A gives it only two pixels: the
// blank between two words is wider than any between two letters, and two
// columns wider than most, for every letter and digit.
TEST(InterfaceLayout, WordSpacesStandOutInEveryPictureFont) {
    LayoutScene scene;
    VSTGUI::BWPictureFont* const* fonts = scene.editor->getPictureFontTable();
    for (int32_t i = 0; i < BWUniClientEditor::kFilledPictureFonts; ++i) {
        VSTGUI::BWPictureFont* font = fonts[i];
        ASSERT_NE(font->getPicture(), nullptr) << "font " << i;
        const bool tableB = font->getGlyphHeight() == 15;
        EXPECT_EQ(font->glyphWidth(' '), tableB ? 4 : 2) << "font " << i;
        for (std::string words : {"Warm Pad", "QUARTER FEEL", "Nylon Pluck", "The quick brown fox jumps over a lazy dog",
                                  "JINX QUIZ WAVY 0123 4567 89", "hi ji il 11 1i"}) {
            constexpr int32_t kWidth = 400;
            VSTGUI::COffscreenContext c(nullptr, kWidth, 20, VSTGUI::colourBlack);
            VSTGUI::drawPictureText(font, &c, CRect(0, 0, kWidth, 20), words.c_str(), 0, false, 0);
            std::vector<int32_t> gaps;  // blank runs between ink columns
            int32_t blank = -1;         // -1 before the first ink
            for (int32_t x = 0; x < kWidth; ++x) {
                bool ink = false;
                for (int32_t y = 0; y < 20 && !ink; ++y) ink = (c.getPixel(x, y) & 0xFFFFFF) > 0x303030;
                if (ink && blank > 0) gaps.push_back(blank);
                blank = ink ? 0 : blank < 0 ? -1 : blank + 1;
            }
            const auto spaces = std::count(words.begin(), words.end(), ' ');
            std::sort(gaps.begin(), gaps.end());
            ASSERT_GT(gaps.size(), size_t(spaces)) << "font " << i << ": " << words;
            const size_t letterGaps = gaps.size() - spaces;
            const int32_t narrowestSpace = gaps[letterGaps];
            EXPECT_GT(narrowestSpace, gaps[letterGaps - 1]) << "font " << i << ": " << words;
            EXPECT_GE(narrowestSpace, gaps[letterGaps / 2] + 2) << "font " << i << ": " << words;
        }
    }
}

TEST(InterfaceLayout, AbsoluteKnobsTakeTheirValueFromWhereTheyAreClicked) {
    LayoutScene scene;
    scene.client->setParameter(Tag::SoundDelayPages, 0.0f);  // the sound page
    scene.settle();
    CRect area;
    scene.at(Tag::ManualChordSel)->getMouseableArea(area);
    EXPECT_EQ(area, CRect(538, 613, 867, 640)) << "its margins widen the mouse area";
    scene.click(47, 72);
    auto* octave = scene.at<BWKnob>(Tag::Osc1Octave);
    EXPECT_NEAR(octave->getValue(), 0.49254f, 1e-5f);
    EXPECT_EQ(octave->frameIndex(octave->position()), 2);
    EXPECT_NEAR(scene.client->getParameter(Tag::Osc1Octave), 0.49254f, 1e-5f) << "reported to the host's parameter";
}

TEST(InterfaceLayout, DisplaysAndMetersShowTheirFrameAndText) {
    LayoutScene scene;
    scene.client->displayBlock().chordNumber = 3.0f;
    scene.client->displayBlock().peakLeft = 0.25f;
    scene.settle(1);
    EXPECT_EQ(scene.at<BWDisplay>(Display::ChordNumber)->getLastFrameOffset(), 75);
    // The square root of the peak, 0.5, of 17 frames 55 high; then the
    // meter takes the level and the peak falls.
    EXPECT_EQ(scene.at<VSTGUI::BWLevelMeterPic>(Display::PeakLeft)->getStripOffset().y, 440);
    scene.settle(1);
    EXPECT_EQ(scene.at<VSTGUI::BWLevelMeterPic>(Display::PeakLeft)->getStripOffset().y, 7 * 55);

    // The sixteenth-note delay's time, shown while the pointer rests on its knob.
    scene.client->setParameter(Tag::SoundDelayPages, 1.0f);
    scene.client->setParameter(Tag::DelaySwitch, 1.0f);
    scene.client->setParameter(Tag::Dly16TimeR, 2.0f / 15.0f);  // three sixteenths
    scene.settle();
    scene.windows.move(scene.frame()->getWindow(), 548, 122);
    scene.settle();
    EXPECT_TRUE(scene.at(Display::Dly16TimeR)->isVisible()) << "the delay panels' images leave the knobs the pointer";
    EXPECT_EQ(scene.at<BWDisplay>(Display::Dly16TimeR)->valueText(), " 3  /16th");
    const platform::WindowRect window = [&] {
        platform::WindowRect r;
        scene.windows.windowRect(scene.frame()->getWindow(), r);
        return r;
    }();
    scene.windows.wheel(scene.frame()->getWindow(), window.left + 548, window.top + 122, 120);
    EXPECT_NEAR(scene.client->rawValue(Tag::Dly16TimeR), 2.0f / 15.0f + 0.0175f, 1e-6f) << "and the wheel";
}

TEST(InterfaceLayout, TheLaneSwitchShowsOneTableAndOneTargetMenu) {
    LayoutScene scene;
    for (int32_t lane = 0; lane < 5; ++lane) {
        scene.client->setParameter(Tag::ModulationTracks, 0.25f * static_cast<float>(lane));
        scene.settle(1);
        for (int32_t other = 0; other < 5; ++other) {
            EXPECT_EQ(scene.at(383 + other)->isVisible(), other == lane) << lane << " table " << 383 + other;
            EXPECT_EQ(scene.at(332 + other)->isVisible(), other == lane) << lane << " menu " << 332 + other;
            EXPECT_EQ(scene.at(383 + other)->pageIndex, 20 + other);
            EXPECT_EQ(scene.at(332 + other)->pageIndex, 25 + other);
        }
    }
    // With page 21 alone of the lane pages, its group shows, the first not.
    PageSet& pages = scene.client->interfaceRequests().pages;
    for (int32_t page = 20; page < 30; ++page) pages.setPageBit(page, page == 21);
    for (int32_t tag : {244, 245, 246, 247, 248, 251}) EXPECT_TRUE(scene.at(tag)->isVisible()) << tag;
    for (int32_t tag : {236, 237, 238, 239, 240, 243}) EXPECT_FALSE(scene.at(tag)->isVisible()) << tag;
}

TEST(InterfaceLayout, MenusShowTheirStartEntryUntilTheFirstIdleTakesTheCores) {
    EditorScene scene;
    scene.client->setParameter(Tag::Osc2Channel, 0.0f);
    scene.client->setParameter(Tag::ChordSeqDivide, 0.0f);
    ASSERT_TRUE(scene.open());
    std::string channel, divide;
    auto* channels = dynamic_cast<BWOptionMenu*>(scene.editor->widget(Tag::Osc2Channel));
    auto* divides = dynamic_cast<BWOptionMenu*>(scene.editor->widget(Tag::ChordSeqDivide));
    ASSERT_TRUE(channels && divides);
    channels->getCurrentText(&channel, true);
    divides->getCurrentText(&divide, true);
    EXPECT_EQ(channel + "|" + divide, "Channel 2|2/1");
    scene.editor->idle();
    channels->getCurrentText(&channel, true);
    divides->getCurrentText(&divide, true);
    EXPECT_EQ(channel + "|" + divide, "Channel 1|no divide");
}

TEST(InterfaceLayout, VersionLabelCompanionsAndTheLitMenuButton) {
    TempDir presets;  // the menu lists the folders of the preset folder
    std::filesystem::create_directories(presets.path() / "Pads");
    EditorScene maker;
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
        maker.client->setParameter(Tag::MasterLevel, name[0] == 'B' ? 0.8f : 0.2f);
        const auto file = presets.path() / "Pads" / (std::string(name) + ".zvp");
        ASSERT_TRUE(maker.client->savePreset(file.c_str(), 0, "zvp", nullptr, nullptr));
    }
    LayoutScene scene;
    // The instance names its own folders when it is made: the open that
    // follows lists this one.
    scene.editor->close();
    setSettingString("presetpath0", presets.path().string() + "/");
    ASSERT_TRUE(scene.open());
    if (VSTGUI::CView* panel = scene.frame()->getOverlay()) panel->looseFocus();

    auto* label = scene.at<VSTGUI::BWLabel>(Widget::VersionLabel);
    EXPECT_EQ(label->getText(), "1.5.9");
    EXPECT_EQ(label->getViewSize(), CRect(497, 263, 537, 283));
    EXPECT_EQ(label->getParentView(), scene.editor->widgets().hookContainer);

    auto* next = scene.at<BWButton>(Tag::InterfaceSwitch4);
    auto* menu = scene.at<BWOptionMenu>(Widget::GlobalPresetMenu);
    EXPECT_EQ(next->getTag(), 10051);
    EXPECT_EQ(next->boundValue, nullptr);
    EXPECT_EQ(scene.at<BWButton>(Tag::InterfaceSwitch5)->getTag(), 10052);
    scene.click(473, 26);
    scene.settle();
    EXPECT_EQ(menu->pickedName, "Alpha") << "the first file of the folder";
    scene.click(473, 26);
    scene.settle();
    EXPECT_EQ(menu->pickedName, "Beta");
    EXPECT_EQ(scene.client->rawValue(Tag::MasterLevel), 0.8f) << "and it is loaded";

    auto* opener = scene.at<BWButton>(Widget::GlobalPresetOpener);
    scene.click(459, 26);
    EXPECT_TRUE(menu->isListOpen());
    scene.settle();
    EXPECT_EQ(opener->getValue(), 1.0f) << "lit while its menu is open";
    menu->closeList();
    EXPECT_EQ(opener->getValue(), 0.0f);
    setSettingString("presetpath0", "");
}

TEST(InterfaceLayout, AnEmptyLibraryShowsTheLocatePanelWithItsButton) {
    EditorScene scene;
    ASSERT_TRUE(scene.open());
    VSTGUI::BWViewContainer* locate = scene.editor->widgets().locateContainer;
    ASSERT_NE(locate, nullptr);
    EXPECT_EQ(scene.frame()->getOverlay(), locate);
    EXPECT_TRUE(locate->isVisible());
    EXPECT_EQ(locate->getViewSize(), CRect(365, 223, 665, 407));
    EXPECT_EQ(scene.editor->widget(Tag::SelectPath)->getParentView(), locate);
    EXPECT_EQ(scene.editor->widget(Tag::SelectPath)->getViewSize(), CRect(593, 378, 661, 399));
    EXPECT_EQ(scene.editor->widget(Widget::LibraryPath)->getViewSize(), CRect(372, 379, 590, 398));
}

}  // namespace
}  // namespace editor_test
