#include "platform/X11MessageBoxes.h"

#include "platform/X11MessageBox.h"
#include "platform/X11Windows.h"

#include <X11/Xlib.h>

#include <atomic>
#include <thread>

namespace platform {

struct X11MessageBoxes::Shared {
    // Read and written on the GUI thread only; null once the boxes are gone.
    X11Windows* windows = nullptr;
    std::thread::id gui;
    std::string displayName;
    std::atomic<XID> owner{0};
};

namespace {

// The owner's place on the screen, for the box to go over it.
WindowRect screenRectOf(Display* display, XID window) {
    XWindowAttributes attributes{};
    int x = 0, y = 0;
    Window child = 0;
    if (!window || !XGetWindowAttributes(display, window, &attributes) ||
        !XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child))
        return {};
    return {x, y, x + attributes.width, y + attributes.height};
}

MessageAnswer showOnGuiThread(X11Windows& windows, XID owner, const MessageRequest& request) {
    Display* display = windows.getDisplay();
    X11MessageBox box(display, owner, screenRectOf(display, owner), request);
    if (!box.window()) return answerHeadless(request);
    windows.runModal(box.window(), [&box](_XEvent& event) { return box.handle(event); });
    return box.answer();
}

}  // namespace

X11MessageBoxes::X11MessageBoxes(X11Windows& windows) : shared(std::make_shared<Shared>()) {
    shared->windows = &windows;
    shared->gui = std::this_thread::get_id();
    shared->displayName = windows.displayName();
}

X11MessageBoxes::~X11MessageBoxes() { shared->windows = nullptr; }

void X11MessageBoxes::setOwner(XID topLevel) { shared->owner.store(topLevel); }

MessageHandler X11MessageBoxes::handler() const {
    return [shared = shared](const MessageRequest& request) {
        const XID owner = shared->owner.load();
        if (std::this_thread::get_id() == shared->gui) {
            if (!shared->windows || !shared->windows->isConnected()) return answerHeadless(request);
            return showOnGuiThread(*shared->windows, owner, request);
        }
        MessageAnswer answer = safeAnswer(request.kind);
        return showMessageBoxAlone(shared->displayName, owner, request, answer) ? answer : answerHeadless(request);
    };
}

}  // namespace platform
