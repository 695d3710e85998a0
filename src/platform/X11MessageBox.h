#pragma once
// One message box as an X window: the product's title, the text wrapped,
// its buttons (OK; OK and Cancel; Yes and No).  A click on a button (pressed
// and released on it) answers with that button; Return answers with the
// first button, Escape and the window's close button with the safe answer.
// The box is a dialog transient for its owner's top-level window, modal for
// it, placed over it, and takes the keyboard focus when it shows.
//
// The box does not run a loop of its own: whoever owns the connection
// passes it the events of its window until it has an answer.  Used on the
// thread of its connection.

#include <cstdint>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/MessageBoxLayout.h"

typedef struct _XDisplay Display;
typedef unsigned long XID;
union _XEvent;

namespace platform {

class X11MessageBox {
public:
    // Makes and shows the box, centred on `over` (screen pixels; the
    // screen's centre when empty), transient for `owner` when it is not 0.
    X11MessageBox(Display* display, XID owner, const WindowRect& over, const MessageRequest& request);
    ~X11MessageBox();
    X11MessageBox(const X11MessageBox&) = delete;
    X11MessageBox& operator=(const X11MessageBox&) = delete;

    // 0 when the server did not make it.
    XID window() const { return native; }
    // One event of the box's window; true once the box has its answer.
    bool handle(_XEvent& event);
    MessageAnswer answer() const { return chosen; }

private:
    void draw();
    void present();
    void choose(MessageAnswer answer);

    Display* display;
    MessageKind kind;
    MessageBoxLayout layout;
    XID native = 0;
    std::vector<uint32_t> pixels;
    const MessageBoxButton* pressed = nullptr;
    MessageAnswer chosen;
    bool answered = false;
};

// Shows the box on a connection of its own to the display ("" for
// $DISPLAY) and waits for its answer; for threads that must not use another
// connection.  False when it could not be shown.
bool showMessageBoxAlone(const std::string& displayName, XID owner, const MessageRequest& request,
                         MessageAnswer& answer);

}  // namespace platform
