// Value displays: which text a display shows by formatter precedence, labels
// and lists, strip frames from bound values (also out of range), dragging
// with the integer snap, the wheel, and the learn menu.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "RecordingMenu.h"
#include "WidgetScene.h"
#include "guitoolkit/PictureFontWidths.h"
#include "widgets/BWDisplay.h"
#include "widgets/PictureText.h"

namespace widget_test {
namespace {

class InfoControl : public BWControl {
public:
    InfoControl() : BWControl(CRect(0, 0, 1, 1), nullptr, 0, nullptr) {}
    const char* getInfoText() const override { return "info"; }
};

void percent(float v, char* text) { std::snprintf(text, kFormattedTextSize, "%.0f %%", v * 100.0f); }
void withContext(float v, char* text, void* context) {
    std::snprintf(text, kFormattedTextSize, "%s=%.1f", static_cast<const char*>(context), v);
}

TEST(BWDisplay, ValueTextFollowsTheFormatterPrecedence) {
    InfoControl info;
    char name[] = "ctx";
    const struct {
        const char* name;
        std::function<void(BWDisplay&)> setUp;
        float value;
        const char* text;
    } cases[] = {
        {"defaults", [](BWDisplay&) {}, 0.5f, "0.500"},
        {"prefix with width 3, precision 1", [](BWDisplay& d) { d.prefix = "Swing"; d.precision = 1; }, 0.5f,
         "Swing 0.5"},
        {"formatter joined to the prefix", [](BWDisplay& d) { d.prefix = "Mix"; d.setValueToText(percent); }, 0.5f,
         "Mix50 %"},
        {"info text first", [&](BWDisplay& d) { d.infoSource = &info; d.setValueToText(percent); }, 0.5f, "info"},
        {"context formatter", [&](BWDisplay& d) { d.contextFormatter = withContext; d.formatterContext = name; },
         0.25f, "ctx=0.2"},
        {"integer with suffix", [](BWDisplay& d) { d.integerValue = true; d.suffix = " st"; }, 2.7f, "2 st"},
        {"own format", [](BWDisplay& d) { d.format = "%05.1f"; d.suffix = "!"; }, 2.25f, "002.2!"},
        {"suffix only on built-in forms", [](BWDisplay& d) { d.setValueToText(percent); d.suffix = "x"; }, 1.0f,
         "100 %"},
    };
    for (const auto& c : cases) {
        BWDisplay display(CRect(0, 0, 52, 15), nullptr, 1, nullptr);
        c.setUp(display);
        display.setValue(c.value);
        EXPECT_EQ(display.valueText(), c.text) << c.name;
    }
}

// What a picture-font display draws: "100 %" centred by table A, "Err" for a
// list index past the end, the low text below the threshold, nothing while
// the switch hides the value.
TEST(BWDisplay, PictureFontTextsListsAndSwitches) {
    MarkerFont marker(kPictureFontWidthsA, kPictureFontTableSize);
    auto glyphs = [&](BWDisplay& d) {
        std::string shown;
        for (const auto& [x, band] : MarkerFont::markers(*drawn(d, 60, 20), 2)) shown += static_cast<char>(band + 32);
        return shown;
    };
    BWDisplay display(CRect(0, 0, 52, 15), nullptr, 1, nullptr);
    display.pictureFont = &marker.font;
    display.textAlign = 1;
    display.noBox = true;
    display.setValueToText(percent);
    display.setValue(1.0f);
    const auto drawnAt = MarkerFont::markers(*drawn(display, 60, 20), 2);
    ASSERT_EQ(drawnAt.size(), 5u);
    EXPECT_EQ(drawnAt.front().first, 13);
    EXPECT_EQ(drawnAt.back().first, 31);
    display.lowThreshold = 2.0f;
    display.lowText = "off";
    EXPECT_EQ(glyphs(display), "off");

    BWDisplay list(CRect(0, 0, 52, 15), nullptr, 1, nullptr, nullptr, false);
    list.pictureFont = &marker.font;
    list.noBox = true;
    list.textList.entries = {{"Saw", colourWhite}, {"Sine", colourWhite}};
    float index = 1.0f;
    list.boundValue = &index;
    EXPECT_EQ(glyphs(list), "Sine");
    for (float past : {2.0f, -1.0f, 1e30f}) {
        index = past;
        EXPECT_EQ(glyphs(list), "Err") << past;
    }
    float hide = 1.0f;
    list.valueSwitch = &hide;
    EXPECT_EQ(glyphs(list), "") << "the switch hides the label";
    list.showValue = true;
    list.setValue(0.5f);
    EXPECT_EQ(glyphs(list), "0.500") << "and shows the value only at exactly 1.0";
    hide = 0.5f;
    EXPECT_EQ(glyphs(list), "");
}

TEST(BWDisplay, StripFramesFollowTheBoundValueInsideTheStrip) {
    const struct {
        bool raw, half;
        float bound;
        int32_t frame;
    } cases[] = {{false, false, 0.5f, 2}, {false, true, 0.5f, 3}, {true, false, 4.0f, 4}, {true, false, 99.0f, 5},
                 {false, false, 7.0f, 5}, {true, false, -2.0f, 0}};
    for (const auto& c : cases) {
        CBitmap* strip = numberedStrip(10, 8, 6);
        BWDisplay display(CRect(0, 0, 10, 8), nullptr, 1, nullptr, nullptr, false);
        display.filmstrip = strip;
        display.frameHeight = 8;
        display.frameCount = 6;
        display.rawIndex = c.raw;
        display.indexPlusHalf = c.half;
        float bound = c.bound;
        display.boundValue = &bound;
        EXPECT_EQ(frameAt(*drawn(display), 3, 3), c.frame) << c.bound << (c.raw ? " raw" : "");
        EXPECT_EQ(display.getLastFrameOffset(), c.frame * 8);
        strip->forget();
    }
}

// An indicator follows its value on every idle but repaints only when the
// frame it shows moves; a display that shows the value as text repaints on
// every move.
TEST(BWDisplay, APictureRepaintsOnlyWhenItsFrameMoves) {
    const struct {
        float bound;
        bool picture, text;  // repaints, as a picture and as a value text
    } steps[] = {{0.1f, false, true}, {0.19f, false, true}, {0.2f, true, true},
                 {0.39f, false, true}, {0.0f, true, true},  {0.0f, false, false}};
    CBitmap* strip = numberedStrip(10, 8, 6);
    for (const bool text : {false, true}) {
        BWDisplay display(CRect(0, 0, 10, 8), nullptr, 1, nullptr, nullptr, text);
        display.filmstrip = strip;
        display.frameHeight = 8;
        display.frameCount = 6;
        float bound = 0.0f;
        display.boundValue = &bound;
        drawn(display);
        for (const auto& step : steps) {
            bound = step.bound;
            display.idle(0);
            EXPECT_EQ(display.isDirty(), text ? step.text : step.picture) << step.bound << (text ? " text" : "");
            const auto shown = drawn(display);
            if (!text) {
                EXPECT_EQ(frameAt(*shown, 3, 3), int32_t(step.bound * 5.0f)) << "a repaint shows the same frame";
            }
        }
        // Made dirty by something else, a move within the frame keeps it dirty.
        display.setVisible(true);
        bound = 0.05f;
        display.idle(0);
        EXPECT_TRUE(display.isDirty());
    }
    strip->forget();
}

TEST(BWDisplay, DragsSnapIntegersAndTheWheelStepsWithoutEdits) {
    WidgetScene scene;
    RecordingMenu menu(scene.log);
    auto* display = scene.add(new BWDisplay(CRect(0, 0, 52, 15), &scene.listener, 21, scene.frame));
    display->integerValue = true;
    display->setMax(10.0f);
    CPoint p(10, 5), up(10, -265);
    EXPECT_EQ(display->onMouseDown(p, kLButton, 0), kMouseEventHandled);
    display->onMouseMoved(up, kLButton, 0);
    EXPECT_EQ(display->onMouseUp(up, 0, 0), kMouseEventNotHandled) << "a display answers 2 on release";
    EXPECT_EQ(display->getValue(), 2.0f);
    EXPECT_EQ(scene.takeLog(), CallLog{"valueChanged(21,2.7)"}) << "no undo, no edit bracket";
    EXPECT_TRUE(display->onWheel(p, 1.0f, 0));
    EXPECT_FLOAT_EQ(display->getValue(), 2.0175f);
    display->showValue = false;
    display->onMouseDown(p, kLButton, 0);
    EXPECT_EQ(display->onMouseMoved(up, kLButton, 0), kMouseEventNotHandled) << "only a shown value drags";
    display->onMouseUp(up, 0, 0);
    display->setExtraPointer(static_cast<BWOptionMenuBase*>(&menu));
    scene.takeLog();
    EXPECT_EQ(display->onMouseDown(p, kRButton, 0), kMouseHandledNoMoves);
    EXPECT_EQ(scene.takeLog(), CallLog{"menu.popup(2,10,5,21,0,0,52,15,false)"});

    float bound = 0.25f;
    display->boundValue = &bound;
    std::string source = "Attack";
    display->textSource = &source;
    scene.idle();
    EXPECT_EQ(display->label, "Attack");
    EXPECT_EQ(display->getValue(), 0.25f);
    EXPECT_TRUE(scene.log.empty()) << "following is silent";
}

}  // namespace
}  // namespace widget_test
