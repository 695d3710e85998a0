// The record a host hands the plug-in for a window of its own on an X
// server: the server's display and the host's window there.
#pragma once

#include "platform/HostWindow.h"
#include "platform/X11Windows.h"
#include "support/XvfbServer.h"

namespace toolkit_test {

// The server's name is read through the record while the view is open, so
// the server must outlive it.
inline platform::HostWindow x11HostWindow(const XvfbServer& server, platform::X11Windows& windows,
                                          platform::WindowId window) {
    platform::HostWindow host;
    host.kind = platform::HostWindowKind::X11;
    host.displayName = server.name().c_str();
    host.x11Window = windows.nativeWindow(window);
    host.x11Screen = windows.screenNumber();
    return host;
}

}  // namespace toolkit_test
