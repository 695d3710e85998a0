#include "platform/X11Windows.h"

#include "platform/Framework.h"
#include "platform/UriList.h"
#include "platform/X11ConnectionLoss.h"
#include "platform/X11EventWait.h"
#include "platform/X11TopLevel.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>
#include <poll.h>
#undef CursorShape  // an X protocol constant; the window layer's enumeration has the name

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

namespace platform {

struct X11Windows::Record : WindowRecord {
    Window native = 0;
    GC gc = nullptr;   // null for a foreign window
    bool foreign = false;
};

// The drop being offered by another program (XDND).
struct X11Windows::DragState {
    WindowId target = 0;
    Window source = 0;
    bool hasUriList = false;
    bool hasText = false;
};

namespace {

Atom atom(Display* display, const char* name) { return XInternAtom(display, name, False); }

// The pointer's screen position and the button and key mask.
void queryPointer(Display* display, int32_t& x, int32_t& y, unsigned int& mask) {
    Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rx, &ry, &wx, &wy, &mask);
    x = rx;
    y = ry;
}

uint32_t stateOf(unsigned int x) {
    uint32_t state = 0;
    if (x & Button1Mask) state |= kStateLeft;
    if (x & Button2Mask) state |= kStateMiddle;
    if (x & Button3Mask) state |= kStateRight;
    if (x & ShiftMask) state |= kStateShift;
    if (x & ControlMask) state |= kStateControl;
    if (x & Mod1Mask) state |= kStateAlt;
    return state;
}

bool buttonOf(unsigned int x, MouseButtonId& button) {
    switch (x) {
        case Button1: button = MouseButtonId::Left; return true;
        case Button2: button = MouseButtonId::Middle; return true;
        case Button3: button = MouseButtonId::Right; return true;
        case 8: button = MouseButtonId::X1; return true;
        case 9: button = MouseButtonId::X2; return true;
        default: return false;
    }
}

WindowKey keyOf(KeySym sym) {
    switch (sym) {
        case XK_KP_Add: return WindowKey::Add;
        case XK_KP_Subtract: return WindowKey::Subtract;
        case XK_BackSpace: return WindowKey::Back;
        case XK_Tab:
        case XK_ISO_Left_Tab: return WindowKey::Tab;
        case XK_Return: return WindowKey::Return;
        case XK_Escape: return WindowKey::Escape;
        case XK_Left: return WindowKey::Left;
        case XK_Right: return WindowKey::Right;
        case XK_Up: return WindowKey::Up;
        case XK_Down: return WindowKey::Down;
        case XK_Home: return WindowKey::Home;
        case XK_End: return WindowKey::End;
        case XK_Delete: return WindowKey::Delete;
        default: return WindowKey::Other;
    }
}

unsigned int cursorFontShape(CursorShape shape) {
    switch (shape) {
        case CursorShape::Wait: return XC_watch;
        case CursorShape::SizeWE: return XC_sb_h_double_arrow;
        case CursorShape::SizeNS: return XC_sb_v_double_arrow;
        case CursorShape::SizeAll: return XC_fleur;
        case CursorShape::SizeNESW: return XC_bottom_left_corner;
        case CursorShape::SizeNWSE: return XC_bottom_right_corner;
        case CursorShape::No: return XC_X_cursor;
        case CursorShape::Hand: return XC_hand2;
        case CursorShape::Arrow: break;
    }
    return XC_left_ptr;
}

}  // namespace

X11Windows::X11Windows(const char* displayName)
    : name(displayName ? displayName : ""), start(std::chrono::steady_clock::now()) {
    display = XOpenDisplay(displayName);
    if (display) watchConnection(display, &X11Windows::markLost, this);
}

void X11Windows::markLost(Display* /*display*/, void* self) { static_cast<X11Windows*>(self)->lost = true; }

int32_t X11Windows::screenNumber() const { return display ? DefaultScreen(display) : -1; }

X11Windows::~X11Windows() {
    if (!display) return;
    while (!windows.empty()) destroyWindow(windows.begin()->first);
    forgetConnection(display);
    XCloseDisplay(display);
}

X11Windows::Record* X11Windows::record(WindowId window) const {
    return static_cast<Record*>(find(window));  // every record here is one of ours
}

WindowId X11Windows::idOf(XID native) const {
    for (auto& [id, own] : windows)
        if (static_cast<const Record&>(*own).native == native) return id;
    return 0;
}

XID X11Windows::nativeWindow(WindowId window) const {
    const Record* own = record(window);
    return own ? own->native : 0;
}

bool X11Windows::isForeign(WindowId window) const {
    const Record* own = record(window);
    return own && own->foreign;
}

WindowId X11Windows::foreignWindow(XID native) {
    if (!alive() || !native) return 0;
    if (const WindowId known = idOf(native)) return known;
    // Asked of the server, so that a stale id is refused here rather than
    // failing later as the parent of a window.
    XWindowAttributes attributes{};
    XErrorHandler before = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const Status found = XGetWindowAttributes(display, native, &attributes);
    XSync(display, False);
    XSetErrorHandler(before);
    if (!found) return 0;
    auto own = std::make_unique<Record>();
    own->native = native;
    own->foreign = true;
    // No surface: nothing here draws into it.
    return add(std::move(own), 0, 0, 0, nullptr);
}

WindowId X11Windows::createWindow(WindowId parent, int32_t width, int32_t height, WindowHandler* handler) {
    if (!alive() || width <= 0 || height <= 0 || (parent && !find(parent))) return 0;
    const Window parentNative = parent ? record(parent)->native : DefaultRootWindow(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | LeaveWindowMask |
                            KeyPressMask | KeyReleaseMask | StructureNotifyMask | FocusChangeMask;
    const Window native = XCreateWindow(display, parentNative, 0, 0, width, height, 0, CopyFromParent, InputOutput,
                                        CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    if (!native) return 0;
    auto own = std::make_unique<Record>();
    own->native = native;
    own->gc = XCreateGC(display, native, 0, nullptr);
    if (!parent) {
        describeTopLevel(display, native, getProductName(), width, height);
        // The close button asks rather than cutting the connection.
        Atom closing = atom(display, "WM_DELETE_WINDOW");
        XSetWMProtocols(display, native, &closing, 1);
    }
    XMapWindow(display, native);
    return add(std::move(own), parent, width, height, handler);
}

void X11Windows::windowGone(WindowId window, WindowRecord& gone) {
    if (drag && drag->target == window) drag.reset();
    const Record& own = static_cast<const Record&>(gone);
    if (own.foreign) return;  // the other client's to destroy
    XFreeGC(display, own.gc);  // Xlib's memory, even with the server gone
    if (!alive()) return;
    XDestroyWindow(display, own.native);
    XFlush(display);
}

bool X11Windows::windowRect(WindowId window, WindowRect& rect) const {
    const Record* own = record(window);
    if (!own) return false;
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, own->native, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    int32_t width = own->width, height = own->height;
    if (own->foreign) {
        // Its size is the other client's, asked each time.
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, own->native, &attributes)) return false;
        width = attributes.width;
        height = attributes.height;
    }
    rect = {x, y, x + width, y + height};
    return true;
}

void X11Windows::setWindowSize(WindowId window, int32_t width, int32_t height) {
    Record* own = record(window);
    if (!own || own->foreign || width <= 0 || height <= 0) return;
    own->resize(width, height);
    if (!own->parent) fixTopLevelSize(display, own->native, width, height);
    XResizeWindow(display, own->native, width, height);
}

void X11Windows::present(WindowRecord& painted, const WindowRect& rect) {
    Record& own = static_cast<Record&>(painted);
    if (own.foreign || !alive()) return;
    Visual* visual = DefaultVisual(display, DefaultScreen(display));
    XImage* image = XCreateImage(display, visual, 24, ZPixmap, 0, reinterpret_cast<char*>(own.pixels.data()),
                                 own.width, own.height, 32, own.width * 4);
    if (!image) return;
    XPutImage(display, own.native, own.gc, image, rect.left, rect.top, rect.left, rect.top, rect.width(),
              rect.height());
    image->data = nullptr;  // the pixels stay the record's
    XDestroyImage(image);
    XFlush(display);
}

void X11Windows::setCapture(WindowId window) {
    const Record* own = record(window);
    if (!own) return;
    capturedWindow = window;
    XGrabPointer(display, own->native, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                 GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
}

void X11Windows::releaseCapture() {
    capturedWindow = 0;
    if (display) XUngrabPointer(display, CurrentTime);
}

void X11Windows::pointerPosition(int32_t& x, int32_t& y) const {
    unsigned int mask = 0;
    queryPointer(display, x, y, mask);
}

uint32_t X11Windows::inputState() const {
    int32_t x = 0, y = 0;
    unsigned int mask = 0;
    queryPointer(display, x, y, mask);
    return stateOf(mask);
}

bool X11Windows::buttonsSwapped() const {
    unsigned char map[8] = {};
    return XGetPointerMapping(display, map, 8) >= 3 && map[0] == 3;
}

void X11Windows::setFocus(WindowId window) {
    if (const Record* own = record(window)) XSetInputFocus(display, own->native, RevertToParent, CurrentTime);
}

WindowId X11Windows::focus() const {
    Window native = 0;
    int revert = 0;
    XGetInputFocus(display, &native, &revert);
    return idOf(native);
}

void X11Windows::setCursor(WindowId window, CursorShape shape) {
    Record* own = record(window);
    if (!own) return;
    own->cursor = shape;
    const Cursor cursor = XCreateFontCursor(display, cursorFontShape(shape));
    XDefineCursor(display, own->native, cursor);
    XFreeCursor(display, cursor);
}

void X11Windows::setDropTarget(WindowId window, bool accept) {
    const Record* own = record(window);
    if (!own) return;
    // The toolkit's window is a child: the drop arrives at the top-level
    // window, so that one says it takes drops and passes them down.  In a
    // foreign window, the outermost of ours says it (the other client
    // answers for its own windows).
    Window top = own->native;
    for (const Record* up = own; up && !up->foreign; up = record(up->parent)) top = up->native;
    const Atom aware = atom(display, "XdndAware");
    if (accept) {
        const long version = 5;
        XChangeProperty(display, top, aware, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&version), 1);
    } else {
        XDeleteProperty(display, top, aware);
    }
    XFlush(display);
}

ScreenInfo X11Windows::screen() const {
    const int number = DefaultScreen(display);
    return {DisplayWidth(display, number), DisplayHeight(display, number), true};
}

uint32_t X11Windows::tickCount() const {
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

void X11Windows::sleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void X11Windows::runTimers() {
    const uint32_t now = tickCount();
    std::vector<uint32_t> due;
    for (auto& [id, timer] : timers)
        if (static_cast<int32_t>(now - timer.due) >= 0) due.push_back(id);
    for (uint32_t id : due) {
        auto it = timers.find(id);
        if (it == timers.end()) continue;  // stopped by an earlier call
        it->second.due = now + std::max<uint32_t>(it->second.period, 1);
        auto callback = it->second.callback;
        callback(id);
    }
}

void X11Windows::pump(uint32_t timeoutMs) {
    if (!alive()) return;
    XFlush(display);
    if (lost) return;
    if (!XPending(display) && timeoutMs > 0) {
        uint32_t wait = timeoutMs;
        const uint32_t now = tickCount();
        for (auto& [id, timer] : timers)
            wait = std::min<uint32_t>(wait, static_cast<int32_t>(timer.due - now) > 0 ? timer.due - now : 0);
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(wait));
    }
    while (!lost && XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        handle(event);
    }
    runTimers();
    std::vector<WindowId> ids;
    for (auto& [id, own] : windows)
        if (!own->update.isEmpty()) ids.push_back(id);
    for (WindowId id : ids) paint(id);
}

void X11Windows::sync() {
    if (!alive()) return;
    XSync(display, False);
    pump(0);
}

bool X11Windows::runModal(XID modal, const std::function<bool(_XEvent&)>& handleModal) {
    if (!alive()) return false;
    const WindowId focused = focus();
    // A grab of ours would keep the pointer from the box.
    if (capturedWindow) XUngrabPointer(display, CurrentTime);
    X11EventWait wait(display, lost, stop);
    bool answered = false;
    for (XEvent event; !answered && wait.next(event);) {
        if (event.xany.window == modal) {
            answered = handleModal(event);
            continue;
        }
        // Our windows keep their shape and note what needs painting (the
        // paint follows the box); what the person does to them waits for
        // no one: it is dropped.
        if (event.type == Expose || event.type == ConfigureNotify) handle(event);
    }
    if (!alive()) return false;  // the owner closes what it showed
    if (focused && find(focused)) setFocus(focused);
    XFlush(display);
    return answered;
}

void X11Windows::handle(XEvent& xevent) {
    if (xevent.type == ClientMessage) return handleClientMessage(xevent);
    if (xevent.type == SelectionNotify) return handleSelection(xevent);
    WindowId window = idOf(xevent.xany.window);
    if (!window || isForeign(window)) return;
    WindowEvent event;
    switch (xevent.type) {
        case Expose: {
            const XExposeEvent& e = xevent.xexpose;
            invalidate(window, {e.x, e.y, e.x + e.width, e.y + e.height});
            return;
        }
        case ButtonPress:
        case ButtonRelease: {
            const XButtonEvent& e = xevent.xbutton;
            if (xevent.type == ButtonPress && (e.button == Button4 || e.button == Button5)) {
                event.kind = WindowEvent::Kind::Wheel;
                event.x = e.x_root;
                event.y = e.y_root;
                event.wheelDelta = e.button == Button4 ? 120 : -120;
                event.state = stateOf(e.state);
                break;
            }
            if (!buttonOf(e.button, event.button)) return;
            const uint32_t bit = stateBitOf(event.button);
            event.x = e.x;
            event.y = e.y;
            if (xevent.type == ButtonPress) {
                event.kind = WindowEvent::Kind::MouseDown;
                event.state = stateOf(e.state) | bit;
                event.doubleClick = clicks.press(window, event.button, e.x, e.y, static_cast<uint32_t>(e.time));
            } else {
                event.kind = WindowEvent::Kind::MouseUp;
                event.state = stateOf(e.state) & ~bit;
            }
            break;
        }
        case MotionNotify:
            event.kind = WindowEvent::Kind::MouseMove;
            event.x = xevent.xmotion.x;
            event.y = xevent.xmotion.y;
            event.state = stateOf(xevent.xmotion.state);
            break;
        case LeaveNotify: {
            WindowRecord* own = find(window);
            if (!own->tracking || xevent.xcrossing.mode != NotifyNormal) return;
            own->tracking = false;
            event.kind = WindowEvent::Kind::MouseLeave;
            break;
        }
        case KeyPress:
        case KeyRelease: {
            char text[8] = {};
            KeySym sym = 0;
            const int n = XLookupString(&xevent.xkey, text, sizeof(text), &sym, nullptr);
            event.kind = xevent.type == KeyPress ? WindowEvent::Kind::KeyDown : WindowEvent::Kind::KeyUp;
            event.key = keyOf(sym);
            event.character = n > 0 ? static_cast<unsigned char>(text[0]) : 0;
            event.state = stateOf(xevent.xkey.state);
            break;
        }
        case ConfigureNotify: {
            WindowRecord* own = find(window);
            const XConfigureEvent& e = xevent.xconfigure;
            if (e.width != own->width || e.height != own->height) {
                // A window resized from outside (the host's top-level window).
                own->pixels.assign(static_cast<size_t>(e.width) * e.height, 0);
                own->width = e.width;
                own->height = e.height;
                invalidate(window, {0, 0, e.width, e.height});
            }
            return;
        }
        default: return;
    }
    deliver(capturedWindow && event.kind != WindowEvent::Kind::Wheel ? capturedWindow : window, event);
}

// XDND, target side: enter, position (answered with a status that takes the
// drop), drop (the data is asked for; handleSelection delivers it), leave.
void X11Windows::handleClientMessage(XEvent& xevent) {
    const XClientMessageEvent& m = xevent.xclient;
    const WindowId top = idOf(m.window);
    if (!top || isForeign(top)) return;
    if (m.message_type == atom(display, "WM_PROTOCOLS") &&
        static_cast<Atom>(m.data.l[0]) == atom(display, "WM_DELETE_WINDOW")) {
        WindowEvent event;
        event.kind = WindowEvent::Kind::Close;
        return deliver(top, event);
    }
    const auto source = static_cast<Window>(m.data.l[0]);
    // The drop goes to the deepest of our windows that takes it: the child.
    WindowId target = top;
    for (auto& [id, record] : windows)
        for (WindowId up = record->parent; up; up = parentOf(up))
            if (up == top) target = id;

    if (m.message_type == atom(display, "XdndEnter")) {
        drag = std::make_unique<DragState>();
        drag->target = target;
        drag->source = source;
        const Atom uriList = atom(display, "text/uri-list");
        const Atom plain = atom(display, "text/plain");
        auto note = [&](Atom type) {
            drag->hasUriList |= type == uriList;
            drag->hasText |= type == plain;
        };
        if (m.data.l[1] & 1) {
            Atom actual = 0;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, drag->source, atom(display, "XdndTypeList"), 0, 64, False, XA_ATOM,
                                   &actual, &format, &count, &after, &data) == Success && data) {
                for (unsigned long i = 0; i < count; ++i) note(reinterpret_cast<Atom*>(data)[i]);
                XFree(data);
            }
        } else {
            for (int i = 2; i < 5; ++i) note(static_cast<Atom>(m.data.l[i]));
        }
    } else if (m.message_type == atom(display, "XdndPosition")) {
        sendXdnd(source, "XdndStatus", m.window, drag && (drag->hasUriList || drag->hasText));
    } else if (m.message_type == atom(display, "XdndLeave")) {
        drag.reset();
    } else if (m.message_type == atom(display, "XdndDrop")) {
        if (!drag || !(drag->hasUriList || drag->hasText)) {
            sendXdnd(source, "XdndFinished", m.window, false);
            drag.reset();
            return;
        }
        const Atom wanted = atom(display, drag->hasUriList ? "text/uri-list" : "text/plain");
        XConvertSelection(display, atom(display, "XdndSelection"), wanted, atom(display, "ZORVANE_DROP"),
                          m.window, static_cast<Time>(m.data.l[2]));
        XFlush(display);
    }
}

void X11Windows::handleSelection(XEvent& xevent) {
    const XSelectionEvent& s = xevent.xselection;
    if (!drag || s.property == None) return;
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string bytes;
    if (XGetWindowProperty(display, s.requestor, s.property, 0, 1 << 20, True, AnyPropertyType, &actual, &format,
                           &count, &after, &data) == Success && data) {
        bytes.assign(reinterpret_cast<char*>(data), count * (format / 8));
        XFree(data);
    }
    WindowEvent event;
    event.kind = WindowEvent::Kind::Drop;
    if (s.target == atom(display, "text/uri-list"))
        event.dropFiles = pathsOfUriList(bytes);
    else
        event.dropText = bytes;
    const std::unique_ptr<DragState> done = std::move(drag);
    sendXdnd(done->source, "XdndFinished", s.requestor, true);
    deliver(done->target, event);
}

// A status (whether the drop is taken) or a finish, from our top-level window
// to the drag's source; the action is always a copy.
void X11Windows::sendXdnd(XID to, const char* type, XID from, bool accepted) {
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.display = display;
    message.xclient.window = to;
    message.xclient.message_type = atom(display, type);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(from);
    message.xclient.data.l[1] = accepted ? 1 : 0;
    const long action = accepted ? static_cast<long>(atom(display, "XdndActionCopy")) : 0;
    message.xclient.data.l[std::strcmp(type, "XdndFinished") == 0 ? 2 : 4] = action;
    XSendEvent(display, to, False, NoEventMask, &message);
    XFlush(display);
}

}  // namespace platform
