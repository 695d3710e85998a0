#pragma once
// A parameter display whose text the user edits: a click opens an edit field
// over the control (at its rectangle in the zoomed window, in the display's
// font and alignment, all text selected) and the field closes when it loses
// the keyboard focus, when Enter closes it, or when the frame's focus view
// changes.  Closing ends the edit, takes the field's text, tells the listener
// when the text changed and sends "LooseFocus" up the parent chain.  Slots 92
// to 97 follow the display's.  GUI thread only.

#include <cstdint>

#include "guitoolkit/CParamDisplay.h"
#include "guitoolkit/EditField.h"

namespace VSTGUI {

using CTextEditToDisplayProc = void (*)(const char* text, char* display);
using CTextEditToDisplayUserProc = void (*)(const char* text, char* display, void* userData);
using CTextEditChangedProc = int32_t (*)(const char* text, void* userData);

class CTextEdit : public CParamDisplay, private EditField::Owner {
public:
    static constexpr size_t kTextSize = 4096;  // at most 4095 characters and the terminating zero

    CTextEdit(const CRect& size, CControlListener* listener, int32_t tag, const char* text = nullptr,
              CBitmap* background = nullptr, int32_t style = 0);
    // Copies every field but an open edit field.
    CTextEdit(const CTextEdit& other);
    ~CTextEdit() override;

    void draw(CDrawContext* context) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void looseFocus() override;
    void takeFocus() override;
    // An open field closes before the control leaves the tree, so that the
    // frame never routes keys to a field whose control is gone.
    bool removed(CView* parent) override;
    bool isTypeOf(const char* name) const override;
    CView* newCopy() const override;

    virtual void setText(const char* text);                                                  // 92
    virtual char* getTextPointer();                                                          // 93
    virtual void getText(char* buffer) const;                                                // 94
    virtual void setTextEditConvert(CTextEditToDisplayUserProc proc, void* userData);        // 95
    virtual void setTextEditConvert(CTextEditToDisplayProc proc);                            // 96
    virtual int32_t notifyTextChanged(const char* text);                                     // 97

    EditField* getEditField() const { return editWindow; }
    bool wasReturnPressed() const { return returnPressed; }
    void setEnterCloses(bool value) { enterCloses = value; }
    void setMultiLine(bool value) { multiLine = value; }

private:
    bool editFieldKeyDown(const VstKeyCode& key) override;
    bool editFieldKeyUp(const VstKeyCode& key) override;
    void editFieldFocusLost() override;
    void editFieldColors(CColor& text, CColor& back) const override;
    bool enterClosesField() const { return !multiLine || enterCloses; }
    void closeOnEnter();
    void closeField();
    void copyText(const char* source);

    EditField* editWindow = nullptr;
    bool returnPressed = false;
    bool enterCloses = true;
    bool multiLine = false;
    char text[kTextSize] = {};
    CTextEditChangedProc textChanged = nullptr;
    void* textChangedUserData = nullptr;
    CTextEditToDisplayProc textToDisplay = nullptr;
    CTextEditToDisplayUserProc textToDisplayUser = nullptr;
};

}  // namespace VSTGUI
