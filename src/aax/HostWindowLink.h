#pragma once
// The module's side of the window a host hands its view (platform/
// HostWindow.h).  The module carries its own window layer, so a host's
// window is not one of its windows: for an X11 host the module connects to
// the host's display itself and opens the editor in the host's window as a
// foreign parent; for a headless host it runs the in-process back-end, feeds
// it the host's queued events, lets its clock follow the host's and leaves
// the window's pixels in the host's buffer.
//
// One back-end serves every view of the module from the first open to the
// last close; it is the current window system meanwhile, and the one before
// it comes back after.  An X11 back-end also puts the interactive file
// dialogs and its message boxes in place while it serves; a box belongs to
// the top-level window of the view opened last, and a box or a file
// selector ends with its safe answer when that view's stop descriptor
// becomes readable.  A view whose
// host window is of another kind than the back-end in service, or that
// cannot be reached, opens its editor without a window.  Host GUI thread
// only.

#include <memory>

#include "platform/HostWindow.h"
#include "platform/WindowSystem.h"

class HostWindowLink {
public:
    // Null when the host gives no window the module can reach (no record,
    // an unknown kind or form, a display that does not answer).
    static std::unique_ptr<HostWindowLink> open(int32_t type, void* hostWindow);
    // After the editor has closed: its window has gone with it.
    ~HostWindowLink();
    HostWindowLink(const HostWindowLink&) = delete;
    HostWindowLink& operator=(const HostWindowLink&) = delete;

    // The editor's parent window (the handle its open takes).
    void* parentWindow() const;
    // Before the editor's idle: what the host's window system has for it
    // (X11 events; the queued events and the host's clock, headless).
    void beforeIdle();
    // After it: the windows are painted and, headless, the editor's pixels
    // go to the host's buffer.
    void afterIdle();
    // The X server went away: the editor must close; the process goes on.
    bool displayLost() const;

private:
    struct BackEnd;
    // The back-end in service, null while no view is open.
    static BackEnd*& serving();
    HostWindowLink(platform::HostWindow& host, BackEnd& backEnd, uint32_t parent, uint64_t owner);
    void takeHeadlessEvents();
    void copyToHost();
    // One rectangle of the window's surface into the host's buffer, kept to both.
    void copyRect(const platform::WindowSurface& surface, const platform::WindowRect& rect);

    platform::HostWindow& host;
    BackEnd& backEnd;
    uint32_t parent;
    uint64_t owner;  // the top-level window that holds the view (X11)
    // The host's buffer as last filled, and from which window: a new buffer
    // is filled whole, the same one where the window has painted since.
    const uint32_t* filled = nullptr;
    int32_t filledWidth = 0;
    int32_t filledHeight = 0;
    uint32_t filledWindow = 0;
    const uint32_t* filledFrom = nullptr;  // the window's surface it was filled from
};
