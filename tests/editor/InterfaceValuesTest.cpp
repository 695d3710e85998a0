// What the value displays show: every display a knob shows while held
// follows that knob's parameter, and the texts are what the sound does, in
// its unit.

#include <gtest/gtest.h>

#include "EditorScene.h"
#include "editor/DisplayTags.h"
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
        {Tag::Osc1Attack, 0.5f, Display::Osc1Attack, "250 ms"},  // layer attack: cubic, 2 s at the top
        {Tag::FilterAttack, 1.0f, Display::FilterAttack, "4.00 s"},  // filter attack: 4 s
        {Tag::MasterRelease, 0.5f, Display::MasterRelease, "2.00 s"},  // master release: linear, 4 s
        {Tag::MasterLevel, 0.5f, Display::MasterLevel, "0.00 db"},  // master level: 2 x gain
        {Tag::Osc1Level, 0.5f, Display::Osc1Level, "-6.02 db"},  // layer level
        {Tag::Osc1Level, 0.0f, Display::Osc1Level, "-oo"},
        {Tag::FilterCutoff, 0.5f, Display::FilterCutoff, "5.00 kHz"},  // cutoff: 20 kHz x position squared
        {Tag::FilterPeak, 0.1f, Display::FilterPeak, "200 Hz"},
        {Tag::Osc1Pan, 0.75f, Display::Osc1Pan, "50.0 %"},  // pan, bipolar
        {Tag::Osc1Age, 0.567f, Display::Osc1Age, "56.0 %"},  // age, in whole percent
        {Tag::FilterReso, 1.0f, Display::FilterReso, "100 %"},
        {Tag::Osc1Octave, 0.5f, Display::Osc1Octave, " 0"},  // octave: the middle of five
        {Tag::Osc1Octave, 1.0f, Display::Osc1Octave, " 2"},
        {Tag::KickTone, 1.0f, Display::KickTone, "20"},  // kick tone
        {Tag::Mastertune, 0.75f, Display::Mastertune, "0.50"},  // master tune, semitones
        {Tag::Osc1Sustain, 0.25f, Display::Osc1Sustain, "0.25"},  // sustain
        {Tag::Dly16TimeR, 1.0f, Display::Dly16TimeR, "16  /16th"},
        {Tag::Dly16TimeL, 0.0f, Display::Dly16TimeL, " 1  /16th"},
        {Tag::DlyTime, 1.0f, Display::DlyTime, "bar"},  // the double delay's longest note, four beats (a bar)
        {Tag::RvsDecay, 1.0f, Display::RvsDecay, "1.50 s"},  // the reverser's fade
    };
    for (const auto& c : kCases) {
        scene.client->setParameter(c.parameter, c.value);
        EXPECT_EQ(scene.shown(c.display).second, c.text) << c.parameter << " at " << c.value;
    }
}

}  // namespace
}  // namespace editor_test
