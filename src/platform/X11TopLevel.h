#pragma once
// What a desktop reads from a top-level window: its title (WM_NAME and
// _NET_WM_NAME), which program it belongs to (WM_CLASS, WM_CLIENT_MACHINE,
// _NET_WM_PID) and, since the interface's windows are not resizable by the
// user, a fixed size (WM_NORMAL_HINTS with the minimum equal to the
// maximum).  Used on the connection that made the window, on its thread.

#include <cstdint>

typedef struct _XDisplay Display;
typedef unsigned long XID;

namespace platform {

// The class is the title; the instance the program's own name.
void describeTopLevel(Display* display, XID window, const char* title, int32_t width, int32_t height);

// The size hints again, for a window given a new size.
void fixTopLevelSize(Display* display, XID window, int32_t width, int32_t height);

// The top-level window that holds the window (itself when it is one): the
// outermost ancestor a window manager manages (it carries WM_STATE), else
// the outermost below the root.  The window itself when the server does not
// know it.
XID topLevelOf(Display* display, XID window);

}  // namespace platform
