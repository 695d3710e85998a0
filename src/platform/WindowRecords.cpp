#include "platform/WindowRecords.h"

#include <algorithm>

namespace platform {

void WindowRecord::resize(int32_t newWidth, int32_t newHeight) {
    std::vector<uint32_t> kept(static_cast<size_t>(newWidth) * newHeight, 0);
    for (int32_t row = 0; row < std::min(newHeight, height); ++row)
        std::copy_n(pixels.begin() + static_cast<size_t>(row) * width, std::min(newWidth, width),
                    kept.begin() + static_cast<size_t>(row) * newWidth);
    pixels.swap(kept);
    width = newWidth;
    height = newHeight;
}

WindowId WindowRecords::add(std::unique_ptr<WindowRecord> record, WindowId parent, int32_t width, int32_t height,
                            WindowHandler* handler) {
    record->parent = parent;
    record->handler = handler;
    record->width = width;
    record->height = height;
    record->pixels.assign(static_cast<size_t>(width) * height, 0);
    const WindowId id = nextWindow++;
    windows.emplace(id, std::move(record));
    return id;
}

WindowRecord* WindowRecords::find(WindowId window) const {
    auto it = windows.find(window);
    return it == windows.end() ? nullptr : it->second.get();
}

void WindowRecords::destroyWindow(WindowId window) {
    if (!find(window)) return;
    for (WindowId child : childrenOf(window)) destroyWindow(child);
    WindowEvent event;
    event.kind = WindowEvent::Kind::Destroy;
    deliver(window, event);
    WindowRecord* record = find(window);  // the handler may have destroyed it already
    if (!record) return;
    if (capturedWindow == window) releaseCapture();
    windowGone(window, *record);
    windows.erase(window);
}

WindowHandler* WindowRecords::handlerOf(WindowId window) const {
    WindowRecord* record = find(window);
    return record ? record->handler : nullptr;
}

void WindowRecords::setHandler(WindowId window, WindowHandler* handler) {
    if (WindowRecord* record = find(window)) record->handler = handler;
}

std::vector<WindowId> WindowRecords::childrenOf(WindowId window) const {
    std::vector<WindowId> children;
    for (auto& [id, record] : windows)
        if (record->parent == window) children.push_back(id);
    return children;
}

WindowId WindowRecords::parentOf(WindowId window) const {
    WindowRecord* record = find(window);
    return record ? record->parent : 0;
}

bool WindowRecords::hasCaption(WindowId window) const {
    WindowRecord* record = find(window);
    return record && record->parent == 0;
}

void WindowRecords::invalidate(WindowId window, const WindowRect& rect) {
    WindowRecord* record = find(window);
    if (!record) return;
    const WindowRect r{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, record->width),
                       std::min(rect.bottom, record->height)};
    if (r.isEmpty()) return;
    record->update = unite(record->update, r);
    record->updatePieces.add(r);
}

WindowRect WindowRecords::unite(const WindowRect& a, const WindowRect& b) {
    if (a.isEmpty()) return b;
    if (b.isEmpty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

size_t WindowRecords::takePainted(WindowId window, WindowRect& box, PaintRegion::Pieces& pieces) {
    box = {};
    WindowRecord* record = find(window);
    if (!record) return 0;
    box = record->painted;
    const size_t count = record->paintedPieces.piecesOf(box, pieces);
    record->painted = {};
    record->paintedPieces.clear();
    return count;
}

bool WindowRecords::paint(WindowId window) {
    WindowRecord* record = find(window);
    if (!record || record->update.isEmpty()) return false;
    WindowEvent event;
    event.kind = WindowEvent::Kind::Paint;
    event.paintRect = record->update;
    PaintRegion::Pieces pieces;
    const size_t count = record->updatePieces.piecesOf(record->update, pieces);
    event.paintPieces.assign(pieces.begin(), pieces.begin() + count);
    record->update = {};
    record->updatePieces.clear();
    record->painted = unite(record->painted, event.paintRect);
    if (event.paintPieces.empty()) record->paintedPieces.add(event.paintRect);
    for (const WindowRect& piece : event.paintPieces) record->paintedPieces.add(piece);
    deliver(window, event);
    if (!(record = find(window))) return true;
    if (event.paintPieces.empty()) {
        present(*record, event.paintRect);
    } else {
        for (const WindowRect& piece : event.paintPieces) present(*record, piece);
    }
    return true;
}

bool WindowRecords::dispatchPendingPaint() {
    for (auto& [id, record] : windows)
        if (!record->update.isEmpty()) return paint(id);
    return false;
}

WindowSurface WindowRecords::surface(WindowId window) {
    WindowRecord* record = find(window);
    if (!record) return {};
    return {record->pixels.data(), record->width, record->height};
}

void WindowRecords::trackLeave(WindowId window) {
    if (WindowRecord* record = find(window)) record->tracking = true;
}

CursorShape WindowRecords::cursor(WindowId window) const {
    WindowRecord* record = find(window);
    return record ? record->cursor : CursorShape::Arrow;
}

uint32_t WindowRecords::startTimer(uint32_t periodMs, std::function<void(uint32_t)> callback) {
    if (!callback) return 0;
    const uint32_t id = nextTimer++;
    timers.emplace(id, Timer{periodMs, tickCount() + std::max<uint32_t>(periodMs, 1), std::move(callback)});
    return id;
}

void WindowRecords::stopTimer(uint32_t id) { timers.erase(id); }

void WindowRecords::deliver(WindowId window, const WindowEvent& event) {
    WindowRecord* record = find(window);
    if (!record || !record->handler) return;
    WindowEvent addressed = event;
    addressed.window = window;
    record->handler->handleWindowEvent(addressed);
}

}  // namespace platform
