#pragma once
// The listener of controls: hears every edit.  The editor is the listener of
// almost every widget; composite widgets listen to their own companions.

#include <cstdint>

#include "guitoolkit/MouseEvents.h"

namespace VSTGUI {

class CControl;

class CControlListener {
public:
    virtual ~CControlListener() = default;                                            // 0
    virtual void valueChanged(CControl* control) = 0;                                  // 1
    // Non-zero: the click was consumed and the control never sees it.
    virtual int32_t controlModifierClicked(CControl* /*control*/, CButtonState /*buttons*/) { return 0; }  // 2
    virtual void controlBeginEdit(CControl* /*control*/) {}                            // 3
    virtual void controlEndEdit(CControl* /*control*/) {}                              // 4
};

}  // namespace VSTGUI
