#include "support/MessageBoxWatch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "support/WindowPixels.h"

namespace toolkit_test {

using Clock = std::chrono::steady_clock;

namespace {

// A box may close between the server's list of windows and the next
// question about one of them; the answer is then an error, which Xlib's
// default handler turns into exit() on the watching thread while the
// box's own loop still runs.  While the watcher looks, its errors are
// ignored (the question simply fails); any other connection's go to the
// handler that was there.
class WatcherErrors {
public:
    explicit WatcherErrors(Display* display) : display(display) {
        XSync(display, False);
        watched = display;
        before = XSetErrorHandler(&handle);
    }
    ~WatcherErrors() {
        XSync(display, False);
        XSetErrorHandler(before);
        watched = nullptr;
    }
    WatcherErrors(const WatcherErrors&) = delete;
    WatcherErrors& operator=(const WatcherErrors&) = delete;

private:
    static int handle(Display* from, XErrorEvent* error) {
        if (from == watched) return 0;
        return before ? before(from, error) : 0;
    }
    Display* display;
    static inline Display* watched = nullptr;
    static inline XErrorHandler before = nullptr;
};

}  // namespace

std::vector<unsigned long> boxesOf(Display* display, unsigned long owner) {
    const WatcherErrors quiet(display);
    std::vector<unsigned long> found;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (unsigned int i = 0; i < count; ++i) {
        Window transientFor = 0;
        XWindowAttributes attributes{};
        if (XGetTransientForHint(display, children[i], &transientFor) && transientFor == owner &&
            XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
            found.push_back(children[i]);
    }
    if (children) XFree(children);
    return found;
}

SeenWindow readWindow(Display* display, unsigned long window) {
    const WatcherErrors quiet(display);
    SeenWindow seen;
    seen.window = window;
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, seen.window, &attributes);
    seen.width = attributes.width;
    seen.height = attributes.height;
    Window child = 0;
    XTranslateCoordinates(display, seen.window, DefaultRootWindow(display), 0, 0, &seen.x, &seen.y, &child);
    char* title = nullptr;
    if (XFetchName(display, seen.window, &title) && title) {
        seen.title = title;
        XFree(title);
    }
    XClassHint names{};
    if (XGetClassHint(display, seen.window, &names)) {
        seen.instance = names.res_name;
        seen.windowClass = names.res_class;
        XFree(names.res_name);
        XFree(names.res_class);
    }
    XSizeHints hints{};
    long supplied = 0;
    if (XGetWMNormalHints(display, seen.window, &hints, &supplied) && (hints.flags & PMinSize) && (hints.flags & PMaxSize)) {
        seen.minWidth = hints.min_width;
        seen.maxWidth = hints.max_width;
        seen.minHeight = hints.min_height;
        seen.maxHeight = hints.max_height;
    }
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, seen.window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL,
                           &type, &format, &items, &after, &data) == Success && data) {
        seen.hasPid = items == 1 && *reinterpret_cast<long*>(data) == getpid();
        XFree(data);
    }
    seen.pixels = toolkit_test::serverPixels(display, seen.window, seen.width, seen.height);
    return seen;
}

SeenWindow waitForBox(Display* display, unsigned long owner) {
    SeenWindow seen;
    const auto end = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < end) {
        const std::vector<unsigned long> boxes = boxesOf(display, owner);
        Window focused = 0;
        int revert = 0;
        XGetInputFocus(display, &focused, &revert);
        // Shown, drawn and holding the keyboard.
        if (boxes.size() == 1 && focused == boxes[0]) {
            seen.window = boxes[0];
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!seen.window) return seen;
    // Drawn: the box's Expose has been answered when its first button shows
    // in its colour (every kind of box has it), so a click finds it.
    for (int tries = 0; tries < 200; ++tries) {
        seen = readWindow(display, seen.window);
        if (!seen.pixels.empty() && !boundsOf(seen, kBoxAccent).isEmpty()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return seen;
}

platform::WindowRect boundsOf(const SeenWindow& box, uint32_t colour) {
    platform::WindowRect r{box.width, box.height, 0, 0};
    for (int y = 0; y < box.height; ++y)
        for (int x = 0; x < box.width; ++x)
            if (box.pixels[size_t(y) * box.width + x] == colour) {
                r.left = std::min(r.left, x);
                r.top = std::min(r.top, y);
                r.right = std::max(r.right, x + 1);
                r.bottom = std::max(r.bottom, y + 1);
            }
    return r;
}

void clickAt(Display* display, unsigned long window, int x, int y) {
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

namespace {

void press(Display* display, KeySym key) {
    const KeyCode code = XKeysymToKeycode(display, key);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XFlush(display);
}

}  // namespace

void act(Display* display, const SeenWindow& box, BoxAct action) {
    switch (action) {
        case BoxAct::ClickFirst:
        case BoxAct::ClickSecond: {
            const platform::WindowRect r = boundsOf(box, action == BoxAct::ClickFirst ? kBoxAccent : kBoxOutline);
            clickAt(display, box.window, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
            break;
        }
        case BoxAct::ClickOutside: clickAt(display, box.window, 2, 2); break;
        case BoxAct::Return: press(display, XK_Return); break;
        case BoxAct::Escape: press(display, XK_Escape); break;
        case BoxAct::Close: {
            XEvent message{};
            message.xclient.type = ClientMessage;
            message.xclient.window = box.window;
            message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
            message.xclient.format = 32;
            message.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
            XSendEvent(display, box.window, False, NoEventMask, &message);
            XFlush(display);
            break;
        }
    }
}

bool waitUntilGone(Display* display, unsigned long owner, const SeenWindow& box) {
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end) {
        const std::vector<unsigned long> boxes = boxesOf(display, owner);
        if (std::find(boxes.begin(), boxes.end(), box.window) == boxes.end()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    act(display, box, BoxAct::Close);
    return false;
}

}  // namespace toolkit_test
