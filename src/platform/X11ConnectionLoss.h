#pragma once
// Keeps a lost X server from ending the process.  Xlib meets a dead
// connection in two steps: the process-wide I/O error handler (whose default
// prints a line and exits), then the connection's own exit handler (whose
// default exits).  A watched connection gets an exit handler that calls
// `lost` and returns, and while any is watched the process-wide handler is
// one that returns for the watched connections and hands every other
// connection to the handler it replaced, so that the host's own connections
// keep whatever their owner chose.  After the loss Xlib makes no further
// requests on the connection; its owner stops using it and closes it.
// GUI thread.

typedef struct _XDisplay Display;

namespace platform {

using ConnectionLost = void (*)(Display* display, void* context);

void watchConnection(Display* display, ConnectionLost lost, void* context);
// Before the connection is closed.
void forgetConnection(Display* display);

}  // namespace platform
