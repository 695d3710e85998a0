#pragma once
// The message-box handler for a program whose windows the X11 back-end
// keeps (the editor open on a display).  A box raised on the thread that
// made this object, the GUI's, runs on the back-end's own connection, modal
// for its windows (X11Windows::runModal).  A box raised on any other thread
// runs on a connection of its own to the same display, so that the
// back-end's connection is only ever used by its thread; it is transient
// for the same owner.  Where no box can be shown, the headless answer.

#include <memory>

#include "platform/Dialogs.h"

typedef unsigned long XID;

namespace platform {

class X11Windows;

class X11MessageBoxes {
public:
    // GUI thread; `windows` outlives this object.
    explicit X11MessageBoxes(X11Windows& windows);
    // Boxes that are still raised afterwards take the headless answer.
    ~X11MessageBoxes();
    X11MessageBoxes(const X11MessageBoxes&) = delete;
    X11MessageBoxes& operator=(const X11MessageBoxes&) = delete;

    // The top-level window the boxes belong to (0: none).  GUI thread.
    void setOwner(XID topLevel);
    // The handler to install.  Any thread may call it.
    MessageHandler handler() const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared;
};

}  // namespace platform
