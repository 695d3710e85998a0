#include "aax/HostWindowLink.h"

#include <algorithm>

#include "platform/FileDialogs.h"
#include "platform/InProcessWindows.h"
#include "platform/InteractiveFileDialogs.h"
#include "platform/X11MessageBoxes.h"
#include "platform/X11TopLevel.h"
#include "platform/X11Windows.h"

using platform::HostInputEvent;
using platform::HostWindow;
using platform::HostWindowKind;
using platform::WindowRect;

// The window system every open view of the module shares.
struct HostWindowLink::BackEnd {
    HostWindowKind kind = HostWindowKind::None;
    std::unique_ptr<platform::X11Windows> x11;
    std::unique_ptr<platform::InProcessWindows> headless;
    platform::WindowSystem* previous = nullptr;
    platform::FileDialogHandler previousDialogs;
    std::unique_ptr<platform::X11MessageBoxes> boxes;
    platform::MessageHandler previousMessages;
    // The top-level windows of the open views, the latest last: a box
    // belongs to the latest.
    std::vector<uint64_t> owners;
    uint32_t views = 0;

    void ownersChanged() {
        if (boxes) boxes->setOwner(owners.empty() ? 0 : owners.back());
    }

    platform::WindowRecords& windows() {
        if (x11) return *x11;
        return *headless;
    }
};

HostWindowLink::BackEnd*& HostWindowLink::serving() {
    static BackEnd* backEnd = nullptr;
    return backEnd;
}

namespace {

bool sameDisplay(const HostWindow& host, const platform::X11Windows& windows) {
    return windows.displayName() == (host.displayName ? host.displayName : "") &&
           windows.screenNumber() == host.x11Screen;
}

// The host's window when the record is one this module reads.
HostWindow* readable(int32_t type, void* hostWindow) {
    auto* host = static_cast<HostWindow*>(hostWindow);
    if (!host || host->recordSize != sizeof(HostWindow) || static_cast<int32_t>(host->kind) != type) return nullptr;
    if (host->kind == HostWindowKind::X11) return host;
    if (host->kind == HostWindowKind::Headless && host->width >= 0 && host->height >= 0) return host;
    return nullptr;
}

// Moves the in-process clock on to the host's time; it never goes back.
void follow(platform::InProcessWindows& windows, uint32_t hostMs) {
    const auto ahead = static_cast<int32_t>(hostMs - windows.tickCount());
    if (ahead > 0) windows.advance(static_cast<uint32_t>(ahead));
}

}  // namespace

std::unique_ptr<HostWindowLink> HostWindowLink::open(int32_t type, void* hostWindow) {
    HostWindow* host = readable(type, hostWindow);
    if (!host) return nullptr;
    BackEnd*& backEnd = serving();
    const bool starting = backEnd == nullptr;
    if (starting) {
        auto made = std::make_unique<BackEnd>();
        made->kind = host->kind;
        if (host->kind == HostWindowKind::X11) {
            made->x11 = std::make_unique<platform::X11Windows>(host->displayName);
            // Its windows go on the display's default screen: that must be the host's.
            if (!made->x11->isConnected() || made->x11->screenNumber() != host->x11Screen) return nullptr;
        } else {
            made->headless = std::make_unique<platform::InProcessWindows>();
            made->headless->setScreen({host->screenWidth, host->screenHeight, true});
            follow(*made->headless, host->clockMs);
        }
        backEnd = made.release();
    } else if (backEnd->kind != host->kind || (backEnd->x11 && !sameDisplay(*host, *backEnd->x11))) {
        return nullptr;
    }

    uint32_t parent = 0;
    if (backEnd->x11) {
        parent = backEnd->x11->foreignWindow(host->x11Window);
    } else {
        // The host's window as the in-process back-end knows it.
        parent = backEnd->headless->createWindow(0, host->width, host->height, nullptr);
    }
    if (parent == 0) {
        if (starting) {
            delete backEnd;
            backEnd = nullptr;
        }
        return nullptr;
    }
    if (starting) {
        backEnd->previous = platform::setWindowSystem(&backEnd->windows());
        if (backEnd->x11) {
            // The selector ends with its safe answer, as a box does, once
            // the view's host is asked to stop.
            backEnd->previousDialogs =
                platform::setFileDialogHandler([x11 = backEnd->x11.get()](const platform::FileDialogRequest& request) {
                    return platform::runInteractiveFileDialog(request, x11->stopDescriptor());
                });
            backEnd->boxes = std::make_unique<platform::X11MessageBoxes>(*backEnd->x11);
            backEnd->previousMessages = platform::setMessageHandler(backEnd->boxes->handler());
        }
    }
    ++backEnd->views;
    uint64_t owner = 0;
    if (backEnd->x11) {
        backEnd->x11->setStopDescriptor(host->stopDescriptor);
        owner = platform::topLevelOf(backEnd->x11->getDisplay(), host->x11Window);
        backEnd->owners.push_back(owner);
        backEnd->ownersChanged();
    }
    return std::unique_ptr<HostWindowLink>(new HostWindowLink(*host, *backEnd, parent, owner));
}

HostWindowLink::HostWindowLink(HostWindow& host, BackEnd& backEnd, uint32_t parent, uint64_t owner)
    : host(host), backEnd(backEnd), parent(parent), owner(owner) {}

HostWindowLink::~HostWindowLink() {
    backEnd.windows().destroyWindow(parent);
    if (backEnd.x11) {
        std::vector<uint64_t>& owners = backEnd.owners;
        owners.erase(std::find(owners.begin(), owners.end(), owner));
        backEnd.ownersChanged();
    }
    if (--backEnd.views > 0) return;
    platform::setWindowSystem(backEnd.previous);
    if (backEnd.x11) {
        platform::setFileDialogHandler(std::move(backEnd.previousDialogs));
        platform::setMessageHandler(std::move(backEnd.previousMessages));
    }
    serving() = nullptr;
    delete &backEnd;
}

void* HostWindowLink::parentWindow() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(parent)); }

bool HostWindowLink::displayLost() const { return backEnd.x11 && backEnd.x11->connectionLost(); }

void HostWindowLink::beforeIdle() {
    if (backEnd.x11) return backEnd.x11->pump(0);
    if (WindowRect r; backEnd.headless->windowRect(parent, r) && (r.width() != host.width || r.height() != host.height))
        backEnd.headless->setWindowSize(parent, host.width, host.height);
    takeHeadlessEvents();
    follow(*backEnd.headless, host.clockMs);
}

void HostWindowLink::takeHeadlessEvents() {
    platform::InProcessWindows& windows = *backEnd.headless;
    const uint32_t count = std::min(host.eventCount, HostWindow::kQueueSize);
    host.eventCount = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const HostInputEvent& e = host.events[i];
        follow(windows, e.timeMs);
        // The editor's window lies at the host window's origin and takes
        // its events; before it is made, the host's own stand-in does.
        const std::vector<platform::WindowId> children = windows.childrenOf(parent);
        const platform::WindowId target = children.empty() ? parent : children.front();
        const auto button = static_cast<platform::MouseButtonId>(std::min<uint8_t>(e.button, 4));
        const uint32_t keys = e.keys & platform::kStateKeys;
        switch (e.kind) {
            case HostInputEvent::Kind::Press: windows.press(target, e.x, e.y, button, keys); break;
            case HostInputEvent::Kind::Release: windows.release(target, e.x, e.y, button, keys); break;
            case HostInputEvent::Kind::Move: windows.move(target, e.x, e.y, keys); break;
            case HostInputEvent::Kind::Leave: windows.leave(target); break;
            case HostInputEvent::Kind::Wheel: {
                WindowRect r;
                windows.windowRect(target, r);
                windows.wheel(target, r.left + e.x, r.top + e.y, e.wheelDelta, keys);
                break;
            }
            case HostInputEvent::Kind::KeyDown:
            case HostInputEvent::Kind::KeyUp:
                windows.key(target, static_cast<platform::WindowKey>(std::min(e.key, static_cast<uint8_t>(platform::WindowKey::Delete))), e.character, keys,
                            e.kind == HostInputEvent::Kind::KeyDown);
                break;
        }
    }
}

void HostWindowLink::afterIdle() {
    // Every window waiting for paint, not only the one the editor's idle
    // paced; bounded, so that a window that asks again while it paints
    // cannot hold the host's timer.
    platform::WindowRecords& windows = backEnd.windows();
    for (int round = 0; round < 64 && windows.dispatchPendingPaint(); ++round) {
    }
    if (backEnd.headless) copyToHost();
}

// What the editor's window painted since the last copy goes into the
// host's buffer, rectangle by rectangle (a meter in one corner and a light in
// the other are two small copies, not the box around both); a buffer the
// host replaced, or a window surface made anew (which the frame repaints by
// its whole update box, not by the pieces), takes all of it.
void HostWindowLink::copyToHost() {
    const std::vector<platform::WindowId> children = backEnd.headless->childrenOf(parent);
    const platform::WindowId shown = children.empty() ? parent : children.front();
    WindowRect changed;
    platform::PaintRegion::Pieces pieces;
    size_t count = backEnd.headless->takePainted(shown, changed, pieces);
    const platform::WindowSurface s = backEnd.headless->surface(shown);
    if (filled != host.pixels || filledWidth != host.width || filledHeight != host.height || filledWindow != shown ||
        filledFrom != s.pixels) {
        filled = host.pixels;
        filledFrom = s.pixels;
        filledWidth = host.width;
        filledHeight = host.height;
        filledWindow = shown;
        changed = {0, 0, s.width, s.height};
        count = 0;
    }
    if (!host.pixels || !s.pixels) return;
    if (count == 0) return copyRect(s, changed);
    for (size_t i = 0; i < count; ++i) copyRect(s, pieces[i]);
}

void HostWindowLink::copyRect(const platform::WindowSurface& s, const WindowRect& rect) {
    const int32_t right = std::min({rect.right, s.width, host.width});
    const int32_t bottom = std::min({rect.bottom, s.height, host.height});
    const int32_t left = std::max(rect.left, 0), top = std::max(rect.top, 0);
    for (int32_t y = top; y < bottom && left < right; ++y)
        std::copy(s.pixels + size_t(y) * s.width + left, s.pixels + size_t(y) * s.width + right,
                  host.pixels + size_t(y) * host.width + left);
}
