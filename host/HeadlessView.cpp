#include "host/HeadlessView.h"

#include <algorithm>
#include <cstdlib>

#include "host/HostInstance.h"

using platform::HostInputEvent;

HeadlessView::HeadlessView(HostInstance& instance, int32_t screenWidth, int32_t screenHeight) : instance(instance) {
    record.kind = platform::HostWindowKind::Headless;
    record.screenWidth = screenWidth;
    record.screenHeight = screenHeight;
    instance.viewContainer.resized = [this](int32_t width, int32_t height) { resize(width, height); };
    opened = instance.openView(&record) == AAX_SUCCESS;
}

HeadlessView::~HeadlessView() {
    instance.closeView();
    instance.viewContainer.resized = nullptr;
    instance.viewContainer.window = nullptr;
}

void HeadlessView::resize(int32_t width, int32_t height) {
    if (width < 0 || height < 0) return;
    buffer.assign(size_t(width) * size_t(height), 0);
    record.pixels = buffer.data();
    record.width = width;
    record.height = height;
}

void HeadlessView::tick(int count, uint32_t ms) {
    for (int i = 0; i < count; ++i) {
        record.clockMs += ms;
        instance.viewTimer();
    }
}

void HeadlessView::queue(HostInputEvent event) {
    if (record.eventCount >= platform::HostWindow::kQueueSize) tick(1, 0);
    // A view whose timer call left its input queued (a restore held the
    // instance) loses what does not fit, as the record's contract says.
    if (record.eventCount >= platform::HostWindow::kQueueSize) return;
    event.timeMs = record.clockMs;
    record.events[record.eventCount++] = event;
}

void HeadlessView::press(int32_t x, int32_t y, uint8_t button, uint32_t keys) {
    queue({.kind = HostInputEvent::Kind::Press, .button = button, .x = x, .y = y, .keys = keys});
}

void HeadlessView::release(int32_t x, int32_t y, uint8_t button, uint32_t keys) {
    queue({.kind = HostInputEvent::Kind::Release, .button = button, .x = x, .y = y, .keys = keys});
}

void HeadlessView::move(int32_t x, int32_t y, uint32_t keys) {
    queue({.kind = HostInputEvent::Kind::Move, .x = x, .y = y, .keys = keys});
}

void HeadlessView::leave() { queue({.kind = HostInputEvent::Kind::Leave}); }

void HeadlessView::wheel(int32_t x, int32_t y, int32_t notches, uint32_t keys) {
    queue({.kind = HostInputEvent::Kind::Wheel, .x = x, .y = y, .keys = keys, .wheelDelta = notches * 120});
}

void HeadlessView::key(uint8_t windowKey, int32_t character, uint32_t keys, bool down) {
    queue({.kind = down ? HostInputEvent::Kind::KeyDown : HostInputEvent::Kind::KeyUp,
           .keys = keys,
           .key = windowKey,
           .character = character});
}

void HeadlessView::click(int32_t x, int32_t y, uint8_t button, uint32_t keys) {
    move(x, y, keys);
    press(x, y, button, keys);
    release(x, y, button, keys);
}

void HeadlessView::drag(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, uint32_t keys) {
    move(fromX, fromY, keys);
    press(fromX, fromY, 0, keys);
    const int32_t steps = std::max(std::abs(toX - fromX), std::abs(toY - fromY));
    for (int32_t i = 1; i <= steps; ++i)
        move(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps, keys);
    release(toX, toY, 0, keys);
}
