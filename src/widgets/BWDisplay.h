#pragma once
// A value shown as text, as a frame of a filmstrip, or both, with a label or
// a name from a list: it follows a bound core float without reporting,
// formats it with the editor's formatter or its own number formats, and when
// editable changes its value by dragging and the wheel.  A right click pops
// up the MIDI-learn menu.  GUI thread only.

#include <string>

#include "widgets/BWControl.h"
#include "widgets/BWTextList.h"

namespace VSTGUI {

class BWOptionMenuBase;

class BWDisplay : public BWControl {
public:
    using ContextFormatter = void (*)(float value, char* text, void* context);

    BWDisplay(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner);
    BWDisplay(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner, const char* label,
              bool showValue);

    void draw(CDrawContext* context) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t index) override;
    using BWControl::onWheel;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    void idle(int32_t argument) override;
    // The MIDI-learn menu, as a BWOptionMenuBase*.
    void setExtraPointer(void* menu) override;

    void setValueToText(BWValueToText formatter) { valueToText = std::move(formatter); }
    // The value text as drawing writes it (before the low-threshold text).
    std::string valueText() const;
    // The strip frame for the bound value (or the value), kept to the strip.
    int32_t stripIndex() const;
    int32_t getLastFrameOffset() const { return lastFrameOffset; }

    BWValueToText valueToText;
    ContextFormatter contextFormatter = nullptr;
    void* formatterContext = nullptr;
    std::string label;
    std::string prefix;
    std::string suffix;
    std::string format;  // a printf format of one double
    std::string lowText;
    float lowThreshold = -300000.0f;
    int32_t fieldWidth = 3;
    int32_t precision = 3;
    bool integerValue = false;
    bool showValue = true;
    float* boundValue = nullptr;
    float boundMax = 1.0f;
    float boundMin = 0.0f;
    float dragScale = 1.0f;
    CBitmap* filmstrip = nullptr;  // not owned
    int32_t frameHeight = 0;
    int32_t frameCount = 0;
    bool rawIndex = false;
    bool indexPlusHalf = false;
    bool horizontalStrip = false;
    BWPictureFrame pictureFrame;
    bool noBox = false;
    uint8_t backgroundAlpha = 0;
    bool alphaBackground = false;
    int32_t textMargins[4] = {0, 0, 0, 0};
    int32_t textAlign = 0;  // 0 left, 1 centre, 2 right
    int32_t fontDescSize = 0;
    int32_t lineHeight = 0;
    bool shortenLabel = false;
    BWTextList textList;
    const std::string* textSource = nullptr;
    const BWControl* infoSource = nullptr;
    float* valueSwitch = nullptr;
    BWOptionMenuBase* learnMenu = nullptr;
    bool horizontalDrag = false;

private:
    float fraction() const;
    CRect insetText(const CRect& rect) const;
    // Draws a label or value text; answers the width a widget-font text took.
    int32_t drawText(CDrawContext* context, const CRect& rect, const std::string& text, int32_t align,
                     bool fromList, int32_t listIndex, bool shorten);
    void drawBackground(CDrawContext* context);

    int32_t lastFrameOffset = -1;
    float lastSwitch = -1.0f;
    CPoint lastPoint;
    bool dragging = false;
};

}  // namespace VSTGUI
