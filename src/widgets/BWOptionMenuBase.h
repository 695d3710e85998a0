#pragma once
// What knobs, buttons and displays ask of an option menu: the MIDI-learn menu
// or a menu of their own, which a right click pops up (or button mode 9 opens
// as a list), and the callback through which a menu tells the button that
// owns it that it opened or closed.  The option menu derives from this base.
// GUI thread only.

#include "widgets/BWControl.h"

namespace VSTGUI {

class BWOptionMenuBase : public BWControl {
public:
    using BWControl::BWControl;

    // Pops the menu up for the control `identifier` at the pointer (null: at
    // the area), opening to the left or not.
    virtual void popup(int32_t mode, const CPoint* where, int32_t identifier, const CRect& area, bool toLeft) = 0;
    // Opens the list with its top-left corner at the point.
    virtual void openList(const CPoint& where, bool toLeft) = 0;
};

class BWOptionMenuExtraCallBack {
public:
    virtual ~BWOptionMenuExtraCallBack() = default;
    virtual void menuOpened() = 0;
    virtual void menuClosed() = 0;
};

}  // namespace VSTGUI
