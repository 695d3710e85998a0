#include "platform/InProcessWindows.h"

#include <algorithm>
#include <vector>

namespace platform {

struct InProcessWindows::Record {
    WindowId parent = 0;
    WindowHandler* handler = nullptr;
    int32_t x = 0;  // screen origin of a top-level window; children sit at their parent's
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
    WindowRect update;
    CursorShape cursor = CursorShape::Arrow;
    bool tracking = false;
    bool dropTarget = false;
};

InProcessWindows::InProcessWindows() = default;
InProcessWindows::~InProcessWindows() = default;

InProcessWindows::Record* InProcessWindows::find(WindowId window) const {
    auto it = windows.find(window);
    return it == windows.end() ? nullptr : it->second.get();
}

WindowId InProcessWindows::createWindow(WindowId parent, int32_t width, int32_t height, WindowHandler* handler) {
    if (width < 0 || height < 0 || (parent && !find(parent))) return 0;
    auto record = std::make_unique<Record>();
    record->parent = parent;
    record->handler = handler;
    record->width = width;
    record->height = height;
    record->pixels.assign(static_cast<size_t>(width) * height, 0);
    const WindowId id = nextWindow++;
    windows.emplace(id, std::move(record));
    return id;
}

void InProcessWindows::destroyWindow(WindowId window) {
    Record* record = find(window);
    if (!record) return;
    std::vector<WindowId> children;
    for (auto& [id, r] : windows)
        if (r->parent == window) children.push_back(id);
    for (WindowId child : children) destroyWindow(child);
    WindowEvent event;
    event.kind = WindowEvent::Kind::Destroy;
    deliver(window, event);
    if (capturedWindow == window) capturedWindow = 0;
    if (focusWindow == window) focusWindow = 0;
    windows.erase(window);
}

WindowHandler* InProcessWindows::handlerOf(WindowId window) const {
    Record* record = find(window);
    return record ? record->handler : nullptr;
}

void InProcessWindows::setHandler(WindowId window, WindowHandler* handler) {
    if (Record* record = find(window)) record->handler = handler;
}

WindowId InProcessWindows::parentOf(WindowId window) const {
    Record* record = find(window);
    return record ? record->parent : 0;
}

bool InProcessWindows::windowRect(WindowId window, WindowRect& rect) const {
    Record* record = find(window);
    if (!record) return false;
    int32_t x = record->x, y = record->y;
    for (Record* up = find(record->parent); up; up = find(up->parent)) {
        x += up->x;
        y += up->y;
    }
    rect = {x, y, x + record->width, y + record->height};
    return true;
}

void InProcessWindows::setWindowSize(WindowId window, int32_t width, int32_t height) {
    Record* record = find(window);
    if (!record || width < 0 || height < 0) return;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0);
    for (int32_t row = 0; row < std::min(height, record->height); ++row)
        std::copy_n(record->pixels.begin() + static_cast<size_t>(row) * record->width, std::min(width, record->width),
                    pixels.begin() + static_cast<size_t>(row) * width);
    record->pixels.swap(pixels);
    record->width = width;
    record->height = height;
}

bool InProcessWindows::hasCaption(WindowId window) const {
    Record* record = find(window);
    return record && record->parent == 0;
}

void InProcessWindows::moveWindow(WindowId window, int32_t x, int32_t y) {
    if (Record* record = find(window)) {
        record->x = x;
        record->y = y;
    }
}

void InProcessWindows::invalidate(WindowId window, const WindowRect& rect) {
    Record* record = find(window);
    if (!record) return;
    WindowRect r{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, record->width),
                 std::min(rect.bottom, record->height)};
    if (r.isEmpty()) return;
    WindowRect& u = record->update;
    if (u.isEmpty())
        u = r;
    else
        u = {std::min(u.left, r.left), std::min(u.top, r.top), std::max(u.right, r.right), std::max(u.bottom, r.bottom)};
}

WindowRect InProcessWindows::pendingUpdate(WindowId window) const {
    Record* record = find(window);
    return record ? record->update : WindowRect{};
}

bool InProcessWindows::paint(WindowId window) {
    Record* record = find(window);
    if (!record || record->update.isEmpty()) return false;
    WindowEvent event;
    event.kind = WindowEvent::Kind::Paint;
    event.paintRect = record->update;
    record->update = {};
    deliver(window, event);
    return true;
}

bool InProcessWindows::dispatchPendingPaint() {
    for (auto& [id, record] : windows)
        if (!record->update.isEmpty()) return paint(id);
    return false;
}

WindowSurface InProcessWindows::surface(WindowId window) {
    Record* record = find(window);
    if (!record) return {};
    return {record->pixels.data(), record->width, record->height};
}

void InProcessWindows::trackLeave(WindowId window) {
    if (Record* record = find(window)) record->tracking = true;
}

void InProcessWindows::pointerPosition(int32_t& x, int32_t& y) const {
    x = pointerX;
    y = pointerY;
}

void InProcessWindows::setCursor(WindowId window, CursorShape shape) {
    if (Record* record = find(window)) record->cursor = shape;
}

CursorShape InProcessWindows::cursor(WindowId window) const {
    Record* record = find(window);
    return record ? record->cursor : CursorShape::Arrow;
}

void InProcessWindows::setDropTarget(WindowId window, bool accept) {
    if (Record* record = find(window)) record->dropTarget = accept;
}

bool InProcessWindows::takesDrops(WindowId window) const {
    Record* record = find(window);
    return record && record->dropTarget;
}

uint32_t InProcessWindows::startTimer(uint32_t periodMs, std::function<void(uint32_t)> callback) {
    if (!callback) return 0;
    const uint32_t id = nextTimer++;
    timers.emplace(id, Timer{periodMs, now + std::max<uint32_t>(periodMs, 1), std::move(callback)});
    return id;
}

void InProcessWindows::stopTimer(uint32_t id) { timers.erase(id); }

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

void InProcessWindows::deliver(WindowId window, const WindowEvent& event) {
    Record* record = find(window);
    if (!record || !record->handler) return;
    WindowEvent e = event;
    e.window = window;
    record->handler->handleWindowEvent(e);
}

uint32_t InProcessWindows::buttonBit(MouseButtonId button) const {
    switch (button) {
        case MouseButtonId::Left: return kStateLeft;
        case MouseButtonId::Middle: return kStateMiddle;
        case MouseButtonId::Right: return kStateRight;
        case MouseButtonId::X1: return kStateX1;
        case MouseButtonId::X2: return kStateX2;
    }
    return 0;
}

void InProcessWindows::setPointer(WindowId window, int32_t x, int32_t y) {
    WindowRect r;
    if (!windowRect(window, r)) return;
    pointerX = r.left + x;
    pointerY = r.top + y;
}

void InProcessWindows::press(WindowId window, int32_t x, int32_t y, MouseButtonId button, uint32_t keys) {
    setPointer(window, x, y);
    state = (state & ~(kStateShift | kStateControl | kStateAlt)) | keys | buttonBit(button);
    WindowEvent event;
    event.kind = WindowEvent::Kind::MouseDown;
    event.x = x;
    event.y = y;
    event.button = button;
    event.state = state;
    event.doubleClick = clicks.press(window, button, x, y, now);
    deliver(capturedWindow ? capturedWindow : window, event);
}

void InProcessWindows::release(WindowId window, int32_t x, int32_t y, MouseButtonId button, uint32_t keys) {
    setPointer(window, x, y);
    state = ((state & ~(kStateShift | kStateControl | kStateAlt)) | keys) & ~buttonBit(button);
    WindowEvent event;
    event.kind = WindowEvent::Kind::MouseUp;
    event.x = x;
    event.y = y;
    event.button = button;
    event.state = state;
    deliver(capturedWindow ? capturedWindow : window, event);
}

void InProcessWindows::move(WindowId window, int32_t x, int32_t y, uint32_t keys) {
    setPointer(window, x, y);
    state = (state & ~(kStateShift | kStateControl | kStateAlt)) | keys;
    WindowEvent event;
    event.kind = WindowEvent::Kind::MouseMove;
    event.x = x;
    event.y = y;
    event.state = state;
    deliver(capturedWindow ? capturedWindow : window, event);
}

void InProcessWindows::wheel(WindowId window, int32_t screenX, int32_t screenY, int32_t delta, uint32_t keys) {
    pointerX = screenX;
    pointerY = screenY;
    state = (state & ~(kStateShift | kStateControl | kStateAlt)) | keys;
    WindowEvent event;
    event.kind = WindowEvent::Kind::Wheel;
    event.x = screenX;
    event.y = screenY;
    event.wheelDelta = delta;
    event.state = state;
    deliver(window, event);
}

void InProcessWindows::leave(WindowId window) {
    Record* record = find(window);
    if (!record || !record->tracking) return;
    record->tracking = false;
    WindowEvent event;
    event.kind = WindowEvent::Kind::MouseLeave;
    deliver(window, event);
}

void InProcessWindows::key(WindowId window, WindowKey key, int32_t character, uint32_t keys, bool down) {
    state = (state & ~(kStateShift | kStateControl | kStateAlt)) | keys;
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
