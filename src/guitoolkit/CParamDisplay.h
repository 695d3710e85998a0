#pragma once
// A control that draws its value, or a text made from it, in its rectangle
// with a background, an optional frame and an optional text shadow.  Without
// a conversion function the value shows as "%2.2f" ("0.50").  Slots 79 to 91
// follow the control's.  GUI thread only.

#include "guitoolkit/CControl.h"
#include "guitoolkit/CColor.h"

namespace VSTGUI {

class CFontDesc;

using CParamDisplayValueToStringProc = void (*)(float value, char* text);
using CParamDisplayValueToStringUserProc = void (*)(float value, char* text, void* userData);
using CParamDisplaySpareProc = void (*)();

// Bits of the display's style.
enum ParamDisplayStyle : int32_t {
    kStyleShadowText = 0x4,   // the text again, one pixel right and down, in the shadow colour, first
    kStyle3DIn = 0x80,        // upper-left lines in the back colour, lower-right in the frame colour
    kStyle3DOut = 0x100,      // (without 3DIn) the other way round
    kStyleNoText = 0x800,
    kStyleNoDraw = 0x1000,    // draws nothing; the display is clean when made
    kStyleDoubleClick = 0x2000,  // (text edit) opens only on a double click
    kStyleNoFrame = 0x4000,   // no outline around the filled background
};

class CParamDisplay : public CControl {
public:
    // Room for the text of one value conversion.
    static constexpr size_t kValueTextSize = 256;

    explicit CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32_t style = 0);
    CParamDisplay(const CParamDisplay& other);
    ~CParamDisplay() override;

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;
    CView* newCopy() const override;

    virtual void setFont(CFontDesc* font);                                          // 79
    virtual void setFontColor(const CColor& color);                                 // 80
    virtual void setBackColor(const CColor& color);                                 // 81
    virtual void setFrameColor(const CColor& color);                               // 82
    virtual void setShadowColor(const CColor& color);                               // 83
    virtual void setSecondTextFlag(bool value);                                     // 84
    virtual void setHoriAlign(int32_t alignment);                                   // 85
    virtual void setStringConvert(CParamDisplayValueToStringUserProc proc, void* userData);  // 86
    virtual void setStringConvert(CParamDisplayValueToStringProc proc);             // 87
    virtual void setSpareConverter(CParamDisplaySpareProc proc);                    // 88
    virtual void setStyle(int32_t value);                                           // 89
    virtual void setTextTransparency(bool value);                                   // 90
    virtual void drawText(CDrawContext* context, const char* text, CBitmap* bitmap = nullptr);  // 91

    CFontDesc* getFont() const { return font; }
    const CColor& getFontColor() const { return fontColor; }
    const CColor& getBackColor() const { return backColor; }
    const CColor& getFrameColor() const { return frameColor; }
    const CColor& getShadowColor() const { return shadowColor; }
    int32_t getHoriAlign() const { return horiTxtAlign; }
    int32_t getStyle() const { return style; }
    bool getTextTransparency() const { return textTransparent; }

protected:
    // The value as text: the user conversion, else the plain one, else "%2.2f".
    void convertValue(char* text) const;
    bool hasValueConversion() const { return valueToStringUser || valueToString; }
    // Sets a field that shows, marking the display dirty when it changes.
    template <class T>
    void change(T& field, const T& value);

    CParamDisplayValueToStringProc valueToString = nullptr;
    CParamDisplayValueToStringUserProc valueToStringUser = nullptr;
    CParamDisplaySpareProc spareConverter = nullptr;
    void* userData = nullptr;
    int32_t horiTxtAlign = 1;
    int32_t style = 0;
    CFontDesc* font = nullptr;
    CColor fontColor = colourWhite;
    CColor backColor = colourBlack;
    CColor frameColor = colourBlack;
    CColor shadowColor = colourRed;
    bool textTransparent = true;
    bool secondTextFlag = true;
};

}  // namespace VSTGUI
