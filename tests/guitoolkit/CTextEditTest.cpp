#include "guitoolkit/CTextEdit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/ToolkitDoubles.h"
#include "guitoolkit/COffscreenContext.h"

using namespace VSTGUI;
using namespace toolkit_test;

namespace {

VstKeyCode key(int32_t character, uint8_t virt = 0, uint8_t modifier = 0) { return VstKeyCode{character, virt, modifier}; }

// A container at (5, 5) in a frame, holding a text edit at (5, 15, 105, 35):
// (10, 20, 110, 40) in the frame.
class TextEditTest : public ::testing::Test {
protected:
    TextEditTest() {
        frame.addView(container);
        container->addView(edit);
        log.clear();
    }
    int32_t click(CButtonState buttons) {
        CPoint where(20, 20);
        return edit->onMouseDown(where, buttons, 0);
    }

    CallLog log;
    RecordingListener listener{log};
    FakeEditor editor{log, 1.5f};
    FakeFrame frame{CRect(0, 0, 300, 300), &editor};
    CViewContainer* container = new CViewContainer(CRect(5, 5, 200, 200));
    CTextEdit* edit = new CTextEdit(CRect(5, 15, 105, 35), &listener, 9, "old");
};

}  // namespace

TEST(CParamDisplayTest, ShowsTheValueOrItsConversion) {
    CParamDisplay display(CRect(0, 0, 60, 20));
    display.setValue(0.5f);
    display.setFontColor(colourWhite);
    COffscreenContext plain(nullptr, 60, 20, colourGrey);
    display.draw(&plain);
    EXPECT_FALSE(display.isDirty());
    EXPECT_EQ(plain.getPixel(0, 0), 0xFF000000u);   // outline in the frame colour
    EXPECT_EQ(plain.getPixel(1, 1), 0xFF000000u);   // filled with the back colour

    // The same text drawn straight gives the same pixels: "%2.2f" of 0.5.
    CParamDisplay reference(CRect(0, 0, 60, 20));
    COffscreenContext direct(nullptr, 60, 20, colourGrey);
    reference.drawText(&direct, "0.50");
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 60; ++x) ASSERT_EQ(plain.getPixel(x, y), direct.getPixel(x, y));

    display.setStringConvert([](float value, char* text) { std::strcpy(text, value > 0.4f ? "0.50" : "x"); });
    COffscreenContext converted(nullptr, 60, 20, colourGrey);
    display.draw(&converted);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 60; ++x) ASSERT_EQ(converted.getPixel(x, y), direct.getPixel(x, y));

    CParamDisplay hidden(CRect(0, 0, 60, 20), nullptr, kStyleNoDraw);
    EXPECT_FALSE(hidden.isDirty());  // clean when made
    COffscreenContext untouched(nullptr, 60, 20, colourGrey);
    hidden.draw(&untouched);
    EXPECT_EQ(untouched.getPixel(0, 0), 0xFF7F7F7Fu);
}

TEST_F(TextEditTest, TextIsCutTo4095Characters) {
    const std::string huge(5000, 'x');
    edit->setText(huge.c_str());
    EXPECT_EQ(std::strlen(edit->getTextPointer()), 4095u);
    CTextEdit made(CRect(0, 0, 1, 1), nullptr, 0, huge.c_str());
    EXPECT_EQ(std::strlen(made.getTextPointer()), 4095u);
    edit->setDirty(false);
    edit->setText(edit->getTextPointer());
    EXPECT_FALSE(edit->isDirty());  // equal text: nothing
    edit->setText(nullptr);
    EXPECT_STREQ(edit->getTextPointer(), "");
    EXPECT_TRUE(edit->isDirty());
}

TEST_F(TextEditTest, ClickOpensAZoomedFieldOnce) {
    edit->setStyle(kStyleDoubleClick);
    EXPECT_EQ(click(kLButton), kMouseEventNotHandled);
    EXPECT_EQ(click(kRButton | kDoubleClick), kMouseEventNotHandled);
    EXPECT_EQ(edit->getEditField(), nullptr);
    EXPECT_EQ(click(kLButton | kDoubleClick), kMouseHandledNoMoves);

    EditField* field = edit->getEditField();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(frame.getEditField(), field);
    EXPECT_EQ(frame.getFocusView(), edit);
    EXPECT_EQ(field->getRect(), CRect(15, 30, 15 + 151, 30 + 31));
    EXPECT_EQ(field->getFontHeight(), 18);  // 12 x 1.5, below the field's 31 - 2
    EXPECT_EQ(field->getAlignment(), EditField::Alignment::Center);
    EXPECT_EQ(field->getSelectionStart(), 0u);  // all selected
    EXPECT_EQ(field->getSelectionEnd(), 3u);
    EXPECT_EQ(click(kLButton | kDoubleClick), kMouseEventNotHandled);  // already open
    EXPECT_EQ(edit->getEditField(), field);
    EXPECT_EQ(log, (CallLog{"beginEdit(9)", "editor.beginEdit(9)"}));

    COffscreenContext window(nullptr, 300, 300, colourBlack);
    field->draw(&window);  // drawn in the control's back colour within its rectangle
    EXPECT_EQ(window.getPixel(15, 30), 0xFF000000u);
    edit->setBackColor(colourGrey);
    field->draw(&window);
    EXPECT_EQ(window.getPixel(15, 30), 0xFF7F7F7Fu);
    EXPECT_EQ(window.getPixel(14, 30), 0xFF000000u);
}

TEST_F(TextEditTest, FocusLossTakesTheTextAndReportsOnlyAChange) {
    struct CloseCase {
        std::vector<VstKeyCode> keys;
        const char* text;
        bool changed;
    };
    for (const CloseCase& c : {CloseCase{{}, "old", false},
                               CloseCase{{key('n'), key('e'), key('w')}, "new", true},
                               CloseCase{{key(0, kKeyEnd), key(0, kKeyBack), key(0, kKeyBack), key(0, kKeyHome),
                                          key(0, kKeyDelete), key('x'), key(0, kKeyRight), key('y')},
                                         "xy", true}}) {
        edit->setText("old");
        log.clear();
        ASSERT_EQ(click(kLButton), kMouseHandledNoMoves);
        EditField* field = edit->getEditField();
        for (const VstKeyCode& k : c.keys) field->keyDown(k);
        field->focusLost();
        EXPECT_EQ(edit->getEditField(), nullptr);
        EXPECT_EQ(frame.getEditField(), nullptr);
        EXPECT_EQ(frame.getFocusView(), nullptr);
        EXPECT_STREQ(edit->getTextPointer(), c.text);
        CallLog expected{"beginEdit(9)", "editor.beginEdit(9)", "editor.keyInputBlocked(false)", "editor.endEdit(9)",
                         "endEdit(9)"};
        if (c.changed) expected.push_back("valueChanged(9,0)");
        expected.push_back("editor.keyInputBlocked(false)");  // again, as the field's own focus loss ends
        EXPECT_EQ(log, expected) << c.text;
    }
}

TEST_F(TextEditTest, EnterClosesAndTheLimitHolds) {
    click(kLButton);
    EditField* field = edit->getEditField();
    const std::string full(4095, 'z');
    for (char c : full) field->keyDown(key(c));
    field->keyDown(key('!'));  // beyond the limit: refused
    EXPECT_EQ(field->getText(), full);
    field->keyDown(key(0, kKeyLeft, kModifierShift));
    field->keyDown(key('!'));  // replacing a selection stays within it
    EXPECT_EQ(field->getText().size(), 4095u);
    EXPECT_EQ(field->getText().back(), '!');

    field->keyUp(key('a'));  // reports the text (no callback is set) and leaves the field open
    EXPECT_EQ(edit->getEditField(), field);
    EXPECT_EQ(edit->notifyTextChanged("t"), 0);

    field->keyDown(key('\r', kKeyReturn));
    EXPECT_EQ(edit->getEditField(), nullptr);
    EXPECT_TRUE(edit->wasReturnPressed());
    EXPECT_EQ(std::strlen(edit->getTextPointer()), 4095u);
}
