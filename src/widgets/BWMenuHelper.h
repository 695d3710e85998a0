#pragma once
// The open list of an option menu as the frame sees it: the overlay that the
// menu puts on top of the frame's views while its list is open.  It draws the
// list and hands every event it receives to its menu.  The frame counts it as
// an open option menu (kind 11) while the list is open.  GUI thread only.

#include "widgets/BWControl.h"

namespace VSTGUI {

class BWOptionMenu;

class BWMenuHelper : public BWControl {
public:
    BWMenuHelper(CControlListener* listener, BWFrame* owner, BWOptionMenu* menu);

    using CView::onWheel;
    void draw(CDrawContext* context) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t index) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    void looseFocus() override;
    bool isWidgetVisible() const override;

    // The list closes: the frame's overlay goes back to what it was before
    // this one, or, when another list was opened over this one, that list
    // takes over what this one would have given back.  (looseFocus goes to
    // the menu.)
    void leaveOverlayChain();
    BWOptionMenu* getMenu() const { return menu; }
    // The menu is going away.
    void detachMenu() { menu = nullptr; }

private:
    BWOptionMenu* menu;
};

}  // namespace VSTGUI
