#pragma once
// Waiting for the next event of a connection whose server may go away, and
// that its program may be asked to leave meanwhile.  Xlib's own wait
// (XNextEvent) reads from a connection that is already lost and then takes
// an event from an empty queue; this wait reads only through XPending, which
// meets the loss as the connection's exit handler arranged
// (X11ConnectionLoss.h) and returns, and sleeps in poll() between events.
// Used by the loops that wait for a box's answer.  The thread of the
// connection.

typedef struct _XDisplay Display;
union _XEvent;

namespace platform {

class X11EventWait {
public:
    // `lost` is the flag the connection's exit handler sets; `stop` a
    // descriptor that becomes readable when the program is asked to stop
    // (-1: none).
    X11EventWait(Display* display, const bool& lost, int stop) : display(display), lost(lost), stop(stop) {}

    // The next event of the connection.  False, without one, once the
    // connection is lost or the stop descriptor is readable; a stop is seen
    // before any event that waits.
    bool next(_XEvent& event);

private:
    bool stopAsked();
    // Sleeps until the connection or the stop descriptor has something.
    void sleep() const;

    Display* display;
    const bool& lost;
    int stop;
};

}  // namespace platform
