#pragma once
// The window layer: what the interface toolkit asks of the window system.
// Child windows with a handler (the window's user pointer), rectangles and a
// parent chain; mouse, wheel, leave, key, paint, focus and drop events;
// capture, pointer and key state; cursors; timers; the screen; the clock.
//
// Two back-ends stand behind it: the in-process one (windows are records,
// events are injected, paint is synchronous, the clock is virtual), which
// tests and headless rendering use, and the X11 one, which makes real
// windows.  One back-end is current per process; the in-process one until
// another is installed.
//
// Each window owns a surface of 32-bit pixels (blue, green, red, alpha bytes,
// the toolkit's layout) of its size; a paint handler writes the pixels of the
// update rectangle into it, and the back-end puts them on the screen when the
// handler returns.  GUI thread only.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

using WindowId = uint32_t;  // 0 = no window

// The window of a handle as the host hands it over (a pointer-sized value).
inline WindowId windowIdOf(void* handle) { return static_cast<WindowId>(reinterpret_cast<uintptr_t>(handle)); }

struct WindowRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const WindowRect&) const = default;
};

// Bits of the pointer and key state, and of the buttons of a mouse event.
enum InputState : uint32_t {
    kStateLeft = 1,
    kStateMiddle = 2,
    kStateRight = 4,
    kStateX1 = 8,
    kStateX2 = 16,
    kStateShift = 32,
    kStateControl = 64,
    kStateAlt = 128,
};

enum class MouseButtonId : uint8_t { Left, Middle, Right, X1, X2 };

// The state bit of a button: the buttons' bits are in the enumeration's order.
constexpr uint32_t stateBitOf(MouseButtonId button) { return 1u << static_cast<uint32_t>(button); }
static_assert(stateBitOf(MouseButtonId::Right) == kStateRight && stateBitOf(MouseButtonId::X2) == kStateX2);

constexpr uint32_t kStateKeys = kStateShift | kStateControl | kStateAlt;

// Keys the toolkit tells apart (Add and Subtract are the keypad's); everything
// else arrives as Other with its character.
enum class WindowKey : uint8_t { Other, Add, Subtract, Back, Tab, Return, Escape, Left, Right, Up, Down, Home, End, Delete };

enum class CursorShape : uint8_t { Arrow, Wait, SizeWE, SizeNS, SizeAll, SizeNESW, SizeNWSE, No, Hand };

struct WindowEvent {
    // Close: the person asks to close a top-level window (its close button);
    // the window stays until its owner destroys it.
    enum class Kind : uint8_t { Paint, MouseDown, MouseUp, MouseMove, Wheel, MouseLeave, KeyDown, KeyUp, Destroy, Drop, Close };
    Kind kind = Kind::Paint;
    WindowId window = 0;
    int32_t x = 0;  // window pixels; for Wheel the screen position
    int32_t y = 0;
    MouseButtonId button = MouseButtonId::Left;
    uint32_t state = 0;      // InputState bits at the event, the changed button included on a press
    bool doubleClick = false;
    int32_t wheelDelta = 0;  // 120 per notch, positive away from the user
    WindowKey key = WindowKey::Other;
    int32_t character = 0;
    WindowRect paintRect;                 // Paint: the update rectangle, window pixels
    std::vector<WindowRect> paintPieces;  // Paint: what was made invalid, apart, inside it (empty: all of it)
    std::string dropText;                 // Drop: text, or
    std::vector<std::string> dropFiles;   // the dropped files' paths
};

class WindowHandler {
public:
    virtual ~WindowHandler() = default;
    virtual void handleWindowEvent(const WindowEvent& event) = 0;
};

// A window's pixels: row after row of `width` pixels.
struct WindowSurface {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

struct ScreenInfo {
    int32_t width = 1920;
    int32_t height = 1080;
    bool dpiAware = true;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // A visible child of the parent at (0, 0), or a top-level window when the
    // parent is 0 (the host stand-in's window).  0 when it cannot be made.
    virtual WindowId createWindow(WindowId parent, int32_t width, int32_t height, WindowHandler* handler) = 0;
    // Sends Destroy to the handler first.
    virtual void destroyWindow(WindowId window) = 0;
    virtual WindowHandler* handlerOf(WindowId window) const = 0;
    virtual void setHandler(WindowId window, WindowHandler* handler) = 0;
    // 0 for a top-level window or one that does not exist.
    virtual WindowId parentOf(WindowId window) const = 0;
    // Screen coordinates; false for an unknown window.
    virtual bool windowRect(WindowId window, WindowRect& rect) const = 0;
    virtual void setWindowSize(WindowId window, int32_t width, int32_t height) = 0;
    // Whether the window has a title bar (a top-level window).
    virtual bool hasCaption(WindowId window) const = 0;

    // Adds the rectangle (window pixels) to the window's update region.
    virtual void invalidate(WindowId window, const WindowRect& rect) = 0;
    // Paints one window whose update region is not empty (the frame's own
    // windows are the only ones); false when none waits.
    virtual bool dispatchPendingPaint() = 0;
    virtual WindowSurface surface(WindowId window) = 0;

    virtual void setCapture(WindowId window) = 0;
    virtual void releaseCapture() = 0;
    virtual WindowId captured() const = 0;
    // Asks for one MouseLeave when the pointer leaves the window.
    virtual void trackLeave(WindowId window) = 0;
    // Pointer position in screen coordinates.
    virtual void pointerPosition(int32_t& x, int32_t& y) const = 0;
    virtual uint32_t inputState() const = 0;
    virtual bool buttonsSwapped() const = 0;

    virtual void setFocus(WindowId window) = 0;
    virtual WindowId focus() const = 0;
    virtual void setCursor(WindowId window, CursorShape shape) = 0;
    virtual CursorShape cursor(WindowId window) const = 0;
    // Whether the window takes drops (text and file lists).
    virtual void setDropTarget(WindowId window, bool accept) = 0;

    // A periodic call on the GUI thread; 0 when it cannot be started.
    virtual uint32_t startTimer(uint32_t periodMs, std::function<void(uint32_t id)> callback) = 0;
    virtual void stopTimer(uint32_t id) = 0;

    virtual ScreenInfo screen() const = 0;
    // Milliseconds of a monotonic clock.
    virtual uint32_t tickCount() const = 0;
    virtual void sleepMs(uint32_t ms) = 0;
};

// The current back-end.
WindowSystem& windowSystem();
// Installs a back-end (not owned; null restores the in-process one) and
// answers the one before.
WindowSystem* setWindowSystem(WindowSystem* system);

}  // namespace platform
