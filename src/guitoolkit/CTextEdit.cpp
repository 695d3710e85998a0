#include "guitoolkit/CTextEdit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "guitoolkit/CDrawContext.h"
#include "guitoolkit/CFontDesc.h"
#include "guitoolkit/CFrame.h"
#include "guitoolkit/VSTGUIEditorInterface.h"

namespace VSTGUI {

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener_, int32_t tag_, const char* initial,
                     CBitmap* bitmap, int32_t style_)
    : CParamDisplay(size, bitmap, style_) {
    listener = listener_;
    tag = tag_;
    copyText(initial);
    setWantsFocus(true);
}

CTextEdit::CTextEdit(const CTextEdit& other)
    : CParamDisplay(other),
      returnPressed(other.returnPressed),
      enterCloses(other.enterCloses),
      multiLine(other.multiLine),
      textChanged(other.textChanged),
      textChangedUserData(other.textChangedUserData),
      textToDisplay(other.textToDisplay),
      textToDisplayUser(other.textToDisplayUser) {
    std::memcpy(text, other.text, kTextSize);
}

CTextEdit::~CTextEdit() {
    listener = nullptr;
    looseFocus();
}

bool CTextEdit::isTypeOf(const char* name) const {
    return name && (std::strcmp(name, "CTextEdit") == 0 || CParamDisplay::isTypeOf(name));
}

CView* CTextEdit::newCopy() const { return new CTextEdit(*this); }

void CTextEdit::copyText(const char* source) {
    if (!source) source = "";
    const size_t length = std::min(std::strlen(source), kTextSize - 1);
    std::memcpy(text, source, length);
    text[length] = 0;
}

void CTextEdit::setText(const char* value) {
    if (!value) {
        if (text[0]) {
            text[0] = 0;
            setDirty(true);
        }
        return;
    }
    if (std::strcmp(value, text) == 0) return;
    copyText(value);
    setDirty(true);
}

char* CTextEdit::getTextPointer() { return text; }

void CTextEdit::getText(char* buffer) const {
    if (buffer) std::memcpy(buffer, text, std::strlen(text) + 1);
}

void CTextEdit::setTextEditConvert(CTextEditToDisplayUserProc proc, void* data) {
    textToDisplayUser = proc;
    userData = data;
}

void CTextEdit::setTextEditConvert(CTextEditToDisplayProc proc) { textToDisplay = proc; }

int32_t CTextEdit::notifyTextChanged(const char* value) {
    return textChanged ? textChanged(value, textChangedUserData) : 0;
}

void CTextEdit::draw(CDrawContext* context) {
    if (editWindow) {
        setDirty(false);
        return;
    }
    char display[kTextSize] = {};
    if (textToDisplayUser) {
        textToDisplayUser(text, display, userData);
    } else if (textToDisplay) {
        textToDisplay(text, display);
    } else if (hasValueConversion()) {
        convertValue(display);
        copyText(display);
    } else {
        std::snprintf(display, sizeof(display), "%s", text);
    }
    display[kTextSize - 1] = 0;
    drawText(context, display, nullptr);
    setDirty(false);
}

int32_t CTextEdit::onMouseDown(CPoint&, const CButtonState& buttons, int32_t) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    if (parentFrame && parentFrame->getFocusView() == this) return kMouseEventNotHandled;
    if ((style & kStyleDoubleClick) && !(buttons & kDoubleClick)) return kMouseEventNotHandled;
    beginEdit();
    takeFocus();
    return kMouseHandledNoMoves;
}

void CTextEdit::takeFocus() {
    if (editWindow) return;
    returnPressed = false;

    // The control's rectangle in frame coordinates, then in window pixels.
    CRect r = size;
    for (CView* parent = parentView; parent; parent = parent->getParentView())
        if (parent->notify(this, kMsgCheckIfViewContainer) == 1)
            r.offset(parent->getViewSize().left, parent->getViewSize().top);
    VSTGUIEditorInterface* editor = getEditor();
    const float zoom = editor ? editor->getZoomFactor() : 1.0f;
    const auto x = static_cast<int32_t>(static_cast<float>(r.left) * zoom);
    const auto y = static_cast<int32_t>(static_cast<float>(r.top) * zoom);
    const int32_t width = static_cast<int32_t>(static_cast<float>(r.right) * zoom) - x + 1;
    const int32_t height = static_cast<int32_t>(static_cast<float>(r.bottom) * zoom) - y + 1;

    const auto fontHeight = static_cast<int32_t>(
        std::min(static_cast<float>(font->getSize()) * zoom, static_cast<float>(height - 2)));
    const auto alignment = horiTxtAlign == kLeftText    ? EditField::Alignment::Left
                           : horiTxtAlign == kRightText ? EditField::Alignment::Right
                                                        : EditField::Alignment::Center;
    editWindow = new EditField(*this, CRect(x, y, x + width, y + height), text, multiLine, alignment,
                               font->getName(), fontHeight);
    if (parentFrame) parentFrame->setEditField(editWindow);
}

void CTextEdit::looseFocus() {
    // The listener may release this control when it hears of the change; the
    // destructor (count 0) closes the field without that guard.
    Retained keep(getNbReference() > 0 ? this : nullptr);
    closeField();
}

void CTextEdit::closeField() {
    if (parentFrame) {
        if (parentFrame->getFocusView() == this) parentFrame->setFocusView(nullptr);
        if (VSTGUIEditorInterface* editor = getEditor()) editor->setKeyInputBlocked(false);
    }
    if (!editWindow) return;

    endEdit();
    const std::string old = text;
    copyText(editWindow->getText().c_str());
    if (parentFrame && parentFrame->getEditField() == editWindow) parentFrame->setEditField(nullptr);
    delete editWindow;
    editWindow = nullptr;

    if (old != text && listener) listener->valueChanged(this);

    CView* receiver = parentView ? parentView : parentFrame;
    for (; receiver; receiver = receiver->getParentView())
        if (receiver->notify(this, kMsgLooseFocus) == 1) break;
}

bool CTextEdit::removed(CView* parent) {
    Retained keep(this);  // closing the field tells the listener, which may release this control
    if (editWindow) looseFocus();
    return CParamDisplay::removed(parent);
}

void CTextEdit::closeOnEnter() {
    returnPressed = true;
    if (parentFrame) parentFrame->setFocusView(nullptr);
    // A field opened without the control becoming the focus view closes too.
    if (editWindow) looseFocus();
}

bool CTextEdit::editFieldKeyDown(const VstKeyCode& key) {
    Retained keep(this);  // a listener may release this control while the field closes
    if (EditField::isEnter(key) && enterClosesField()) closeOnEnter();
    return editWindow != nullptr;
}

bool CTextEdit::editFieldKeyUp(const VstKeyCode& key) {
    Retained keep(this);
    if (editWindow) {
        const std::string current = editWindow->getText();
        notifyTextChanged(current.c_str());
    }
    if (editWindow && EditField::isEnter(key) && enterClosesField()) closeOnEnter();
    return editWindow != nullptr;
}

void CTextEdit::editFieldFocusLost() {
    Retained keep(this);
    looseFocus();
}

void CTextEdit::editFieldColors(CColor& textColor, CColor& back) const {
    textColor = fontColor;
    back = backColor;
}

}  // namespace VSTGUI
