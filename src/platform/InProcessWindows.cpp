#include "platform/InProcessWindows.h"

#include <algorithm>

namespace platform {

struct InProcessWindows::Record : WindowRecord {
    int32_t x = 0;  // screen origin of a top-level window; children sit at their parent's
    int32_t y = 0;
    bool dropTarget = false;
};

InProcessWindows::InProcessWindows() = default;
InProcessWindows::~InProcessWindows() = default;

InProcessWindows::Record* InProcessWindows::record(WindowId window) const {
    return static_cast<Record*>(find(window));  // every record here is one of ours
}

WindowId InProcessWindows::createWindow(WindowId parent, int32_t width, int32_t height, WindowHandler* handler) {
    if (width < 0 || height < 0 || (parent && !find(parent))) return 0;
    return add(std::make_unique<Record>(), parent, width, height, handler);
}

void InProcessWindows::windowGone(WindowId window, WindowRecord&) {
    if (focusWindow == window) focusWindow = 0;
}

bool InProcessWindows::windowRect(WindowId window, WindowRect& rect) const {
    const Record* own = record(window);
    if (!own) return false;
    int32_t x = own->x, y = own->y;
    for (const Record* up = record(own->parent); up; up = record(up->parent)) {
        x += up->x;
        y += up->y;
    }
    rect = {x, y, x + own->width, y + own->height};
    return true;
}

void InProcessWindows::setWindowSize(WindowId window, int32_t width, int32_t height) {
    WindowRecord* own = find(window);
    if (own && width >= 0 && height >= 0) own->resize(width, height);
}

void InProcessWindows::moveWindow(WindowId window, int32_t x, int32_t y) {
    if (Record* own = record(window)) {
        own->x = x;
        own->y = y;
    }
}

WindowRect InProcessWindows::pendingUpdate(WindowId window) const {
    const WindowRecord* own = find(window);
    return own ? own->update : WindowRect{};
}

void InProcessWindows::pointerPosition(int32_t& x, int32_t& y) const {
    x = pointerX;
    y = pointerY;
}

void InProcessWindows::setCursor(WindowId window, CursorShape shape) {
    if (WindowRecord* own = find(window)) own->cursor = shape;
}

void InProcessWindows::setDropTarget(WindowId window, bool accept) {
    if (Record* own = record(window)) own->dropTarget = accept;
}

bool InProcessWindows::takesDrops(WindowId window) const {
    const Record* own = record(window);
    return own && own->dropTarget;
}

void InProcessWindows::advance(uint32_t ms) {
    const uint32_t end = now + ms;
    for (;;) {
        // The earliest due timer, the first started among equals.
        auto next = timers.end();
        for (auto it = timers.begin(); it != timers.end(); ++it)
            if (static_cast<int32_t>(end - it->second.due) >= 0 &&
                (next == timers.end() || static_cast<int32_t>(next->second.due - it->second.due) > 0))
                next = it;
        if (next == timers.end()) break;
        const uint32_t id = next->first;
        now = next->second.due;
        next->second.due += std::max<uint32_t>(next->second.period, 1);
        auto callback = next->second.callback;  // the call may stop or restart its timer
        callback(id);
    }
    now = end;
}

void InProcessWindows::setKeys(uint32_t keys) { state = (state & ~kStateKeys) | keys; }

WindowEvent InProcessWindows::pointerEvent(WindowEvent::Kind kind, WindowId window, int32_t x, int32_t y,
                                           uint32_t keys) {
    if (WindowRect r; windowRect(window, r)) {
        pointerX = r.left + x;
        pointerY = r.top + y;
    }
    setKeys(keys);
    WindowEvent event;
    event.kind = kind;
    event.x = x;
    event.y = y;
    return event;
}

void InProcessWindows::deliverPointer(WindowId window, const WindowEvent& event) {
    deliver(capturedWindow ? capturedWindow : window, event);
}

void InProcessWindows::press(WindowId window, int32_t x, int32_t y, MouseButtonId button, uint32_t keys) {
    WindowEvent event = pointerEvent(WindowEvent::Kind::MouseDown, window, x, y, keys);
    state |= stateBitOf(button);
    event.button = button;
    event.state = state;
    event.doubleClick = clicks.press(window, button, x, y, now);
    deliverPointer(window, event);
}

void InProcessWindows::release(WindowId window, int32_t x, int32_t y, MouseButtonId button, uint32_t keys) {
    WindowEvent event = pointerEvent(WindowEvent::Kind::MouseUp, window, x, y, keys);
    state &= ~stateBitOf(button);
    event.button = button;
    event.state = state;
    deliverPointer(window, event);
}

void InProcessWindows::move(WindowId window, int32_t x, int32_t y, uint32_t keys) {
    WindowEvent event = pointerEvent(WindowEvent::Kind::MouseMove, window, x, y, keys);
    event.state = state;
    deliverPointer(window, event);
}

void InProcessWindows::wheel(WindowId window, int32_t screenX, int32_t screenY, int32_t delta, uint32_t keys) {
    pointerX = screenX;
    pointerY = screenY;
    setKeys(keys);
    WindowEvent event;
    event.kind = WindowEvent::Kind::Wheel;
    event.x = screenX;
    event.y = screenY;
    event.wheelDelta = delta;
    event.state = state;
    deliver(window, event);
}

void InProcessWindows::leave(WindowId window) {
    WindowRecord* own = find(window);
    if (!own || !own->tracking) return;
    own->tracking = false;
    WindowEvent event;
    event.kind = WindowEvent::Kind::MouseLeave;
    deliver(window, event);
}

void InProcessWindows::key(WindowId window, WindowKey key, int32_t character, uint32_t keys, bool down) {
    setKeys(keys);
    WindowEvent event;
    event.kind = down ? WindowEvent::Kind::KeyDown : WindowEvent::Kind::KeyUp;
    event.key = key;
    event.character = character;
    event.state = state;
    deliver(window, event);
}

bool InProcessWindows::drop(WindowId window, const std::string& text, const std::vector<std::string>& files) {
    if (!takesDrops(window)) return false;
    WindowEvent event;
    event.kind = WindowEvent::Kind::Drop;
    event.dropText = text;
    event.dropFiles = files;
    deliver(window, event);
    return true;
}

// --- the current back-end --------------------------------------------------------

namespace {
WindowSystem* current = nullptr;
}

WindowSystem& windowSystem() {
    static InProcessWindows fallback;
    return current ? *current : fallback;
}

WindowSystem* setWindowSystem(WindowSystem* system) {
    WindowSystem* previous = current;
    current = system;
    return previous;
}

}  // namespace platform
