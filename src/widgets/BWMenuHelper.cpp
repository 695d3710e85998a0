#include "widgets/BWMenuHelper.h"

#include "guitoolkit/BWFrame.h"
#include "platform/GuiThread.h"
#include "widgets/BWOptionMenu.h"

namespace VSTGUI {

BWMenuHelper::BWMenuHelper(CControlListener* listener, BWFrame* owner, BWOptionMenu* menu)
    : BWControl(CRect(), listener, -1, owner), menu(menu) {
    controlType = kMenuHelper;
}

// Each event keeps the menu alive while it runs: a pick may make the editor
// refill the tree the menu belongs to.

void BWMenuHelper::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (menu) menu->drawList(context);
    setDirty(false);
}

int32_t BWMenuHelper::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!menu) return kMouseEventNotHandled;
    Retained keep(menu);
    return menu->onMouseDown(where, buttons, index);
}

int32_t BWMenuHelper::onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) {
    if (!menu) return kMouseEventNotHandled;
    Retained keep(menu);
    return menu->onMouseUp(where, buttons, index);
}

int32_t BWMenuHelper::onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) {
    if (!menu) return kMouseEventNotHandled;
    Retained keep(menu);
    return menu->onMouseMoved(where, buttons, index);
}

void BWMenuHelper::onMouseCancel(int32_t index) {
    if (!menu) return;
    Retained keep(menu);
    menu->onMouseCancel(index);
}

bool BWMenuHelper::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    if (!menu) return false;
    Retained keep(menu);
    return menu->onWheel(where, distance, buttons);
}

void BWMenuHelper::leaveOverlayChain() {
    if (!owner) return;
    if (owner->getOverlay() == this) {
        BWControl::looseFocus();
        return;
    }
    // Never left pointing at a closed list: whoever comes back to this one
    // comes back to what this one came from.
    CView* above = owner->getOverlay();
    for (int32_t depth = 0; depth < 64; ++depth) {
        auto* helper = dynamic_cast<BWMenuHelper*>(above);
        if (!helper) break;
        if (helper->previousOverlay == this) {
            helper->previousOverlay = previousOverlay;
            break;
        }
        above = helper->previousOverlay;
    }
    previousOverlay = nullptr;
}

void BWMenuHelper::looseFocus() {
    if (!menu) {
        leaveOverlayChain();
        return;
    }
    Retained keep(menu);
    menu->looseFocus();
}

bool BWMenuHelper::isWidgetVisible() const { return menu && menu->isListOpen(); }

}  // namespace VSTGUI
