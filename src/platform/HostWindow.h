#pragma once
// What a host hands the plug-in as its window (the view container's
// pointer): a plain record that the host program fills and owns, read by the
// module, which carries its own copy of the window layer.  No code crosses
// with it, only numbers and pointers to the host's memory, so both sides
// need nothing but this header.
//
// X11: the host's X display, its window that the plug-in's window goes into
// (an X window id) and the screen number.  The module opens a connection of
// its own to that display.  The host may also give a descriptor that
// becomes readable once it is asked to stop (Ctrl-C, a kill): a message box
// or a file selector the plug-in waits in then closes with its safe answer,
// so that the host's call returns and the host can end.
//
// Headless: no window system at all.  The host owns a pixel buffer of the
// view's size, in which the module leaves what its window shows after each
// timer call; a queue of mouse, wheel and key events in window pixels that
// the host fills and the module empties at each timer call; the host's clock
// in milliseconds, which the module's clock follows; and the screen size.
// Host GUI thread only, on both sides.

#include <cstdint>

namespace platform {

// The view container's type (its GetType); 0 when the host gives no window.
enum class HostWindowKind : int32_t { None = 0, X11 = 1, Headless = 2 };

// One input event of a headless window, in window pixels.
struct HostInputEvent {
    enum class Kind : uint8_t { Press, Release, Move, Wheel, Leave, KeyDown, KeyUp };
    Kind kind = Kind::Move;
    uint8_t button = 0;      // Press, Release: 0 left, 1 middle, 2 right, 3 and 4 the extra buttons
    int32_t x = 0;
    int32_t y = 0;
    uint32_t keys = 0;       // kStateShift, kStateControl, kStateAlt of WindowSystem.h
    int32_t wheelDelta = 0;  // 120 a notch, positive away from the user
    uint8_t key = 0;         // KeyDown, KeyUp: a WindowKey
    int32_t character = 0;
    uint32_t timeMs = 0;     // the host's clock when it happened
};

struct HostWindow {
    static constexpr uint32_t kQueueSize = 256;

    // Set by the host to the record's size: a module built against another
    // form of it refuses it.
    uint32_t recordSize = sizeof(HostWindow);
    HostWindowKind kind = HostWindowKind::None;

    // X11.
    const char* displayName = nullptr;  // as XOpenDisplay takes it; null: $DISPLAY
    uint64_t x11Window = 0;
    int32_t x11Screen = 0;
    int32_t stopDescriptor = -1;  // -1: none; only polled, never read or closed

    // Headless.  The buffer is width x height pixels, row after row, bytes
    // blue, green, red, alpha (the window layer's surfaces); the host
    // replaces it, and the size, when the view asks for another size.
    int32_t width = 0;
    int32_t height = 0;
    uint32_t* pixels = nullptr;
    // Events [0, eventCount) in the order they happened; the module sets
    // the count back to 0 when it took them.  The host drops what does not fit.
    HostInputEvent events[kQueueSize] = {};
    uint32_t eventCount = 0;
    uint32_t clockMs = 0;
    int32_t screenWidth = 1920;
    int32_t screenHeight = 1080;
};

}  // namespace platform
