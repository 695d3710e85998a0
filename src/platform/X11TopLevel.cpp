#include "platform/X11TopLevel.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace platform {
namespace {

bool hasProperty(Display* display, Window window, Atom property) {
    int count = 0;
    Atom* properties = XListProperties(display, window, &count);
    bool found = false;
    for (int i = 0; i < count && !found; ++i) found = properties[i] == property;
    if (properties) XFree(properties);
    return found;
}

}  // namespace

void describeTopLevel(Display* display, XID window, const char* title, int32_t width, int32_t height) {
    XStoreName(display, window, title);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));

    std::string instance = program_invocation_short_name;
    std::string windowClass = title;
    XClassHint names{instance.data(), windowClass.data()};
    XSetClassHint(display, window, &names);

    // _NET_WM_PID means something only beside the machine's name.
    char host[256] = {};
    if (gethostname(host, sizeof(host) - 1) == 0) {
        XTextProperty machine{};
        char* list[] = {host};
        if (XStringListToTextProperty(list, 1, &machine)) {
            XSetWMClientMachine(display, window, &machine);
            XFree(machine.value);
        }
        const long pid = getpid();
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
    }
    fixTopLevelSize(display, window, width, height);
}

void fixTopLevelSize(Display* display, XID window, int32_t width, int32_t height) {
    XSizeHints* hints = XAllocSizeHints();
    if (!hints) return;
    hints->flags = PSize | PMinSize | PMaxSize;
    hints->width = hints->min_width = hints->max_width = width;
    hints->height = hints->min_height = hints->max_height = height;
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
}

XID topLevelOf(Display* display, XID window) {
    const Atom managed = XInternAtom(display, "WM_STATE", False);
    XID outermost = window, found = 0;
    for (Window at = window;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, at, &root, &parent, &children, &count)) break;
        if (children) XFree(children);
        if (hasProperty(display, at, managed)) found = at;
        if (parent == root || parent == 0) break;
        outermost = at = parent;
    }
    return found ? found : outermost;
}

}  // namespace platform
