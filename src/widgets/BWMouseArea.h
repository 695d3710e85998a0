#pragma once
// An invisible control that turns pointer input over its rectangle into
// numbers for the core: the position as fractions of the rectangle, the left
// and right buttons, Shift and Control, the wheel distance.  It reports
// every press, drag, release and wheel step, and with trackHover every
// movement at idle.  The control value mirrors x.  GUI thread only.

#include "widgets/BWControl.h"

namespace VSTGUI {

class BWMouseArea : public BWControl {
public:
    BWMouseArea(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner);

    void draw(CDrawContext* context) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t index) override;
    using BWControl::onWheel;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    void idle(int32_t argument) override;

    // The readings, 0.0 or 1.0 for the flags.
    float leftButton = 0.0f;
    float rightButton = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float shiftKey = 0.0f;
    float controlKey = 0.0f;
    float wheel = 0.0f;

    bool clampPosition = true;
    bool trackHover = false;
    bool undoOnLeftOnly = false;
    bool wheelEnabled = true;

    bool isPressed() const { return pressed; }

private:
    void takeReading(const CPoint& where, const CButtonState& buttons);
    void clampReading();
    void clearButtons();

    bool pressed = false;
    bool inside = false;
};

}  // namespace VSTGUI
