#include "platform/X11EventWait.h"

#include <X11/Xlib.h>
#include <poll.h>

namespace platform {

bool X11EventWait::next(XEvent& event) {
    while (!lost && !stopAsked()) {
        // XPending flushes what we asked, reads what arrived and, on a dead
        // connection, marks it lost and answers 0.
        if (XPending(display) > 0 && !lost) {
            XNextEvent(display, &event);  // takes a queued event; reads nothing
            return true;
        }
        if (!lost) sleep();
    }
    return false;
}

bool X11EventWait::stopAsked() {
    if (stop < 0) return false;
    pollfd asked{stop, POLLIN, 0};
    if (poll(&asked, 1, 0) <= 0) return false;
    if (asked.revents & POLLIN) return true;
    // Closed, or its writer gone: no stop can come through it any more, and
    // a sleep on it would not sleep.
    stop = -1;
    return false;
}

void X11EventWait::sleep() const {
    pollfd both[2] = {{ConnectionNumber(display), POLLIN, 0}, {stop, POLLIN, 0}};
    // A signal cuts the sleep short (EINTR): the loop then looks again.
    poll(both, stop >= 0 ? 2 : 1, -1);
}

}  // namespace platform
