#include "guitoolkit/CParamDisplay.h"

#include <cstdio>
#include <cstring>

#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "guitoolkit/CFontDesc.h"

namespace VSTGUI {

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* bitmap, int32_t style)
    : CControl(size, nullptr, 0, bitmap), style(style), font(standardFonts()[0]) {
    font->remember();
    if (style & kStyleNoDraw) CParamDisplay::setDirty(false);
}

CParamDisplay::CParamDisplay(const CParamDisplay& other)
    : CControl(other),
      valueToString(other.valueToString),
      valueToStringUser(other.valueToStringUser),
      spareConverter(other.spareConverter),
      userData(other.userData),
      horiTxtAlign(other.horiTxtAlign),
      style(other.style),
      font(other.font),
      fontColor(other.fontColor),
      backColor(other.backColor),
      frameColor(other.frameColor),
      shadowColor(other.shadowColor),
      textTransparent(other.textTransparent),
      secondTextFlag(other.secondTextFlag) {
    if (font) font->remember();
}

CParamDisplay::~CParamDisplay() {
    if (font) font->forget();
}

bool CParamDisplay::isTypeOf(const char* name) const {
    return name && (std::strcmp(name, "CParamDisplay") == 0 || CControl::isTypeOf(name));
}

CView* CParamDisplay::newCopy() const { return new CParamDisplay(*this); }

void CParamDisplay::convertValue(char* text) const {
    text[0] = 0;
    if (valueToStringUser)
        valueToStringUser(value, text, userData);
    else if (valueToString)
        valueToString(value, text);
    else
        std::snprintf(text, kValueTextSize, "%2.2f", static_cast<double>(value));
    text[kValueTextSize - 1] = 0;
}

void CParamDisplay::draw(CDrawContext* context) {
    char text[kValueTextSize];
    convertValue(text);
    drawText(context, text, nullptr);
}

void CParamDisplay::drawText(CDrawContext* context, const char* text, CBitmap* bitmap) {
    setDirty(false);
    if ((style & kStyleNoDraw) || !context) return;

    if (!bitmap) bitmap = background;
    if (bitmap) {
        drawBitmap(context, bitmap, size, backOffset);
    } else if (!transparent) {
        context->setFillColor(backColor);
        context->drawRect(size, kDrawFilled);
        if (!(style & (kStyle3DIn | kStyle3DOut | kStyleNoFrame))) {
            context->setFrameColor(frameColor);
            context->drawRect(size, kDrawStroked);
        }
    }

    if (style & (kStyle3DIn | kStyle3DOut)) {
        const bool in = (style & kStyle3DIn) != 0;
        context->setLineWidth(1);
        context->setFrameColor(in ? backColor : frameColor);
        context->moveTo(CPoint(size.left, size.bottom));
        context->lineTo(CPoint(size.left, size.top + 1));
        context->lineTo(CPoint(size.right - 1, size.top + 1));
        context->setFrameColor(in ? frameColor : backColor);
        context->moveTo(CPoint(size.right - 1, size.top + 1));
        context->lineTo(CPoint(size.right - 1, size.bottom));
        context->lineTo(CPoint(size.left, size.bottom));
    }

    if ((style & kStyleNoText) || !text || !*text) return;

    ScopedClip clip(*context, size);
    context->setFont(font);
    if (style & kStyleShadowText) {
        CRect shadow = size;
        shadow.offset(1, 1);
        context->setFontColor(shadowColor);
        context->drawString(text, shadow, !textTransparent, horiTxtAlign);
    }
    context->setFontColor(fontColor);
    context->drawString(text, size, !textTransparent, horiTxtAlign);
}

void CParamDisplay::setFont(CFontDesc* value) {
    if (!value) return;
    setDirty(true);
    value->remember();
    if (font) font->forget();
    font = value;
}

template <class T>
void CParamDisplay::change(T& field, const T& value) {
    if (value != field) setDirty(true);
    field = value;
}

void CParamDisplay::setFontColor(const CColor& color) { change(fontColor, color); }
void CParamDisplay::setBackColor(const CColor& color) { change(backColor, color); }
void CParamDisplay::setFrameColor(const CColor& color) { change(frameColor, color); }
void CParamDisplay::setShadowColor(const CColor& color) { change(shadowColor, color); }

void CParamDisplay::setSecondTextFlag(bool value) { secondTextFlag = value; }

void CParamDisplay::setHoriAlign(int32_t alignment) { change(horiTxtAlign, alignment); }

void CParamDisplay::setStringConvert(CParamDisplayValueToStringUserProc proc, void* data) {
    valueToStringUser = proc;
    userData = data;
}

void CParamDisplay::setStringConvert(CParamDisplayValueToStringProc proc) { valueToString = proc; }
void CParamDisplay::setSpareConverter(CParamDisplaySpareProc proc) { spareConverter = proc; }

void CParamDisplay::setStyle(int32_t value) {
    if (value == style) return;
    style = value;
    setDirty(true);
}

void CParamDisplay::setTextTransparency(bool value) { textTransparent = value; }

}  // namespace VSTGUI
