// What the value displays show: every display a knob shows while held
// follows that knob's parameter, and the texts are what the sound does, in
// its unit.

#include <gtest/gtest.h>

#include "EditorScene.h"
#include "widgets/BWDisplay.h"
#include "widgets/BWKnob.h"

namespace editor_test {
namespace {

using VSTGUI::BWDisplay;

struct ValuesScene : EditorScene {
    ValuesScene() { EXPECT_TRUE(open()); }
    BWDisplay* display(int32_t tag) const { return dynamic_cast<BWDisplay*>(editor->widget(tag)); }
    // The display's bound value after an idle, and its text for it.
    std::pair<float, std::string> shown(int32_t tag) {
        editor->idle();
        BWDisplay* d = display(tag);
        if (!d || !d->boundValue) return {0.0f, "unbound"};
        d->setValue(*d->boundValue);
        return {*d->boundValue, d->valueText()};
    }
};

TEST(InterfaceValues, EveryHeldValueFollowsItsOwnKnob) {
    ValuesScene scene;
    int32_t followed = 0;
    for (VSTGUI::CView* view : scene.frame()->getWidgets()) {
        auto* knob = dynamic_cast<VSTGUI::BWKnob*>(view);
        if (!knob) continue;
        for (VSTGUI::BWControl* linked : knob->getLinkedControls()) {
            auto* display = dynamic_cast<BWDisplay*>(linked);
            ASSERT_NE(display, nullptr);
            if (!display->boundValue) {
                EXPECT_TRUE(display->getBackground()) << "an empty box behind a picture " << display->getTag();
                continue;
            }
            scene.client->setParameter(knob->getTag(), 0.05f);
            const float low = scene.shown(display->getTag()).first;
            scene.client->setParameter(knob->getTag(), 0.95f);
            const float high = scene.shown(display->getTag()).first;
            EXPECT_NE(low, high) << "display " << display->getTag() << " of knob " << knob->getTag();
            ++followed;
        }
    }
    EXPECT_EQ(followed, 69) << "71 links, two of them empty boxes";
}

TEST(InterfaceValues, TextsInTheirUnits) {
    ValuesScene scene;
    const struct {
        int32_t parameter;
        float value;
        int32_t display;
        const char* text;
    } kCases[] = {
        {13, 0.5f, 103, "250 ms"},      // layer attack: cubic, 2 s at the top
        {46, 1.0f, 111, "4.00 s"},      // filter attack: 4 s
        {2, 0.5f, 202, "2.00 s"},       // master release: linear, 4 s
        {0, 0.5f, 195, "0.00 db"},      // master level: 2 x gain
        {17, 0.5f, 137, "-6.02 db"},    // layer level
        {17, 0.0f, 137, "-oo"},
        {50, 0.5f, 147, "5.00 kHz"},    // cutoff: 20 kHz x position squared
        {52, 0.1f, 148, "200 Hz"},
        {18, 0.75f, 142, "50.0 %"},     // pan, bipolar
        {12, 0.567f, 102, "56.0 %"},    // age, in whole percent
        {51, 1.0f, 145, "100 %"},
        {10, 0.5f, 100, " 0"},          // octave: the middle of five
        {10, 1.0f, 100, " 2"},
        {4, 1.0f, 149, "20"},           // kick tone
        {83, 0.75f, 140, "0.50"},       // master tune, semitones
        {15, 0.25f, 105, "0.25"},       // sustain
        {85, 1.0f, 186, "16  /16th"},
        {84, 0.0f, 187, " 1  /16th"},
        {66, 1.0f, 175, "bar"},         // the double delay's longest note, four beats (a bar)
        {55, 1.0f, 165, "1.50 s"},      // the reverser's fade
    };
    for (const auto& c : kCases) {
        scene.client->setParameter(c.parameter, c.value);
        EXPECT_EQ(scene.shown(c.display).second, c.text) << c.parameter << " at " << c.value;
    }
}

}  // namespace
}  // namespace editor_test
