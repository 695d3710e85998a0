#include "guitoolkit/CControl.h"

#include <cstring>

#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CFrame.h"

namespace VSTGUI {

CControl::CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* bitmap)
    : CView(size), listener(listener), tag(tag) {
    if (bitmap) {
        background = bitmap;
        bitmap->remember();
    }
    CControl::setDirty(true);
}

CControl::CControl(const CControl& other)
    : CView(other),
      listener(other.listener),
      tag(other.tag),
      oldValue(other.oldValue),
      defaultValue(other.defaultValue),
      value(other.value),
      vmin(other.vmin),
      vmax(other.vmax),
      wheelInc(other.wheelInc),
      backOffset(other.backOffset) {}

bool CControl::isDirty() const { return dirty || oldValue != value; }

void CControl::setDirty(bool value_) {
    dirty = value_;
    if (value_)
        oldValue = value == -1.0f ? 0.0f : -1.0f;
    else
        oldValue = value;
}

bool CControl::isTypeOf(const char* name) const {
    return name && (std::strcmp(name, "CControl") == 0 || CView::isTypeOf(name));
}

void CControl::doIdleStuff() {
    if (parentFrame) parentFrame->doIdleStuff();
}

void CControl::setValue(float v) { value = v; }
float CControl::getValue() const { return value; }
void CControl::setMin(float v) { vmin = v; }
float CControl::getMin() const { return vmin; }
void CControl::setMax(float v) { vmax = v; }
float CControl::getMax() const { return vmax; }
void CControl::setOldValue(float v) { oldValue = v; }
float CControl::getOldValue() const { return oldValue; }
void CControl::setDefaultValue(float v) { defaultValue = v; }
float CControl::getDefaultValue() const { return defaultValue; }

void CControl::bounceValue() {
    if (value > vmax)
        value = vmax;
    else if (value < vmin)
        value = vmin;
}

bool CControl::checkDefaultValue(CButtonState buttons) {
    if (buttons != (kControl | kLButton)) return false;
    beginEdit();
    value = getDefaultValue();
    if (isDirty() && listener) listener->valueChanged(this);
    endEdit();
    return true;
}

void CControl::setTag(int32_t v) { tag = v; }
int32_t CControl::getTag() const { return tag; }

void CControl::beginEdit() {
    if (listener) listener->controlBeginEdit(this);
    if (parentFrame) {
        parentFrame->setFocusView(this);
        parentFrame->beginEdit(tag);
    }
}

void CControl::endEdit() {
    if (parentFrame) parentFrame->endEdit(tag);
    if (listener) listener->controlEndEdit(this);
}

CControlListener* CControl::getListener() const { return listener; }
void CControl::setListener(CControlListener* v) { listener = v; }
void CControl::setBackOffset(const CPoint& offset) { backOffset = offset; }
void CControl::copyBackOffset() { backOffset = size.getTopLeft(); }
void CControl::setWheelInc(float v) { wheelInc = v; }
float CControl::getWheelInc() const { return wheelInc; }

}  // namespace VSTGUI
