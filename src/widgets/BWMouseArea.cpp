#include "widgets/BWMouseArea.h"

#include <algorithm>

#include "guitoolkit/BWFrame.h"
#include "platform/GuiThread.h"

namespace VSTGUI {

BWMouseArea::BWMouseArea(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner)
    : BWControl(rect, listener, tag, owner) {
    controlType = kMouseArea;
}

void BWMouseArea::draw(CDrawContext*) {
    ZORVANE_ASSERT_GUI_THREAD();
    setDirty(false);
}

void BWMouseArea::takeReading(const CPoint& where, const CButtonState& buttons) {
    leftButton = (buttons & kLButton) ? 1.0f : 0.0f;
    rightButton = (buttons & kRButton) ? 1.0f : 0.0f;
    x = static_cast<float>(where.x - size.left) / static_cast<float>(size.width());
    y = static_cast<float>(where.y - size.top) / static_cast<float>(size.height());
    shiftKey = (buttons & kShift) ? 1.0f : 0.0f;
    controlKey = (buttons & kControl) ? 1.0f : 0.0f;
    value = x;
}

void BWMouseArea::clampReading() {
    if (!clampPosition) return;
    x = std::clamp(x, 0.0f, 1.0f);
    y = std::clamp(y, 0.0f, 1.0f);
    value = x;
}

void BWMouseArea::clearButtons() { leftButton = rightButton = shiftKey = controlKey = 0.0f; }

int32_t BWMouseArea::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!size.pointInside(where) || !isVisible() || !getMouseEnabled()) return kMouseEventNotHandled;
    takeReading(where, buttons);
    if (!undoOnLeftOnly || (buttons & kLButton)) recordUndoStep();
    beginEditIfNotified();
    reportValue();
    pressed = true;
    return kMouseEventHandled;
}

int32_t BWMouseArea::onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t) {
    if (!pressed) return kMouseEventHandled;
    takeReading(where, buttons);
    clampReading();
    reportValue();
    setDirty(true);
    return kMouseEventHandled;
}

int32_t BWMouseArea::onMouseUp(CPoint&, const CButtonState&, int32_t) {
    clearButtons();
    reportValue();
    pressed = false;
    setDirty(true);
    endEditIfNotified();
    armHintHide();
    return kMouseEventHandled;
}

// A cancelled press still closes the edit it began, so that the host keeps
// no open gesture.
void BWMouseArea::onMouseCancel(int32_t) {
    const bool wasPressed = pressed;
    pressed = false;
    clearButtons();
    reportValue();
    setDirty(true);
    if (wasPressed) endEditIfNotified();
}

bool BWMouseArea::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    if (!getMouseEnabled() || !size.pointInside(where) || !wheelEnabled) return false;
    takeReading(where, buttons);
    wheel = distance;
    reportValue();
    wheel = 0.0f;
    return true;
}

void BWMouseArea::idle(int32_t argument) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (trackHover && isVisible() && owner) {
        CPoint where;
        owner->getCurrentLocation(where);
        const bool wasInside = inside;
        inside = size.pointInside(where);
        x = static_cast<float>(where.x - size.left) / static_cast<float>(size.width());
        y = static_cast<float>(where.y - size.top) / static_cast<float>(size.height());
        clampReading();
        value = x;
        setOldValue(x);
        if (inside || wasInside) {
            const CButtonState modifiers = owner->getCurrentMouseButtons();
            shiftKey = (modifiers & kShift) ? 1.0f : 0.0f;
            controlKey = (modifiers & kControl) ? 1.0f : 0.0f;
            reportValue();
            setDirty(false);
        }
    }
    BWControl::idle(argument);
}

}  // namespace VSTGUI
