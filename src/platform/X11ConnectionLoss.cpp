#include "platform/X11ConnectionLoss.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace platform {

namespace {

std::mutex& watchLock() {
    static std::mutex lock;
    return lock;
}
std::vector<Display*>& watched() {
    static std::vector<Display*> displays;
    return displays;
}
XIOErrorHandler replaced = nullptr;

int ioError(Display* display) {
    XIOErrorHandler other = nullptr;
    {
        const std::lock_guard<std::mutex> lock(watchLock());
        const std::vector<Display*>& ours = watched();
        if (std::find(ours.begin(), ours.end(), display) != ours.end()) return 0;  // on to the exit handler
        other = replaced;
    }
    // What we replaced: the default handler (which exits) or the host's own.
    return other ? other(display) : 0;
}

}  // namespace

void watchConnection(Display* display, ConnectionLost lost, void* context) {
    XSetIOErrorExitHandler(display, lost, context);
    const std::lock_guard<std::mutex> lock(watchLock());
    if (watched().empty()) replaced = XSetIOErrorHandler(&ioError);
    watched().push_back(display);
}

void forgetConnection(Display* display) {
    const std::lock_guard<std::mutex> lock(watchLock());
    std::vector<Display*>& ours = watched();
    ours.erase(std::remove(ours.begin(), ours.end(), display), ours.end());
    if (!ours.empty()) return;
    // Put back what was there, unless someone replaced ours meanwhile: a
    // module that goes must not leave its handler behind.
    const XIOErrorHandler current = XSetIOErrorHandler(replaced);
    if (current != &ioError) XSetIOErrorHandler(current);
    replaced = nullptr;
}

}  // namespace platform
