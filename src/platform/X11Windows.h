#pragma once
// The X11 window back-end: real windows on an X server (Xlib).  A window is a
// child of its parent's X window, or a top-level window for the host
// stand-in; events come from the server when pump() runs, double clicks are
// made by the click tracker, the update region is painted at the end of each
// pump by putting the window's surface, timers run inside pump(), and drops
// arrive by the XDND protocol ("text/uri-list" as files, "text/plain" as
// text).  A top-level window hears Close when the window manager's close
// button is pressed (WM_DELETE_WINDOW).
//
// A window of another X client, or of another connection of this process
// (a host's window that the plug-in opens in), can be taken in as a foreign
// window: it gets an id that createWindow takes as a parent, and nothing
// else is done to it here: it is never drawn, resized or destroyed, and
// hears no events.  GUI thread only (the thread that made it).
//
// A connection whose server goes away (killed, or the network gone) does
// not end the process, as Xlib would by default (X11ConnectionLoss.h): the
// connection marks itself lost (connectionLost()), makes no further
// requests, and its owner closes what it showed.  The window records stay until they are destroyed
// as usual.

#include <chrono>
#include <functional>
#include <string>

#include "platform/WindowRecords.h"

typedef struct _XDisplay Display;
typedef unsigned long XID;
union _XEvent;

namespace platform {

class X11Windows : public WindowRecords {
public:
    // Connects to the display (null: $DISPLAY); check isConnected().
    explicit X11Windows(const char* displayName = nullptr);
    ~X11Windows() override;
    X11Windows(const X11Windows&) = delete;
    X11Windows& operator=(const X11Windows&) = delete;

    bool isConnected() const { return display != nullptr; }
    // The server went away; the connection is of no further use.
    bool connectionLost() const { return lost; }
    Display* getDisplay() const { return display; }
    // The name it was made with ("" for $DISPLAY) and the screen its windows use.
    const std::string& displayName() const { return name; }
    int32_t screenNumber() const;
    XID nativeWindow(WindowId window) const;
    // The id of another client's window (the same id again for the same
    // window); 0 when there is no such window on the display.
    // destroyWindow forgets it and destroys only our windows inside it.
    WindowId foreignWindow(XID native);

    // Handles what the server sent and the timers that fell due, waiting up
    // to timeoutMs for the first event; then paints the update regions.
    void pump(uint32_t timeoutMs = 0);
    // Pumps until the server has handled every request made so far.
    void sync();
    // Runs a window that another part of the program made on this
    // connection (a message box) as modal for ours: its events go to
    // handleModal until that answers true; meanwhile input to our windows is
    // dropped, their exposures wait for the next pump, timers do not run
    // and the pointer is not grabbed.  The keyboard focus comes back after.
    // It also ends, false, without an answer when the connection is lost or
    // the program is asked to stop (setStopDescriptor), so that the call
    // that raised the window returns and its owner can close.
    bool runModal(XID modal, const std::function<bool(_XEvent&)>& handleModal);
    // A descriptor of the program that becomes readable once it is asked
    // to stop (Ctrl-C, a kill); -1, the default: none.  It stays the
    // program's: it is only polled.  The file selector's wait polls it too.
    void setStopDescriptor(int descriptor) { stop = descriptor; }
    int stopDescriptor() const { return stop; }

    WindowId createWindow(WindowId parent, int32_t width, int32_t height, WindowHandler* handler) override;
    bool windowRect(WindowId window, WindowRect& rect) const override;
    void setWindowSize(WindowId window, int32_t width, int32_t height) override;
    void setCapture(WindowId window) override;
    void releaseCapture() override;
    void pointerPosition(int32_t& x, int32_t& y) const override;
    uint32_t inputState() const override;
    bool buttonsSwapped() const override;
    void setFocus(WindowId window) override;
    WindowId focus() const override;
    void setCursor(WindowId window, CursorShape shape) override;
    void setDropTarget(WindowId window, bool accept) override;
    ScreenInfo screen() const override;
    uint32_t tickCount() const override;
    void sleepMs(uint32_t ms) override;

private:
    struct Record;
    struct DragState;
    Record* record(WindowId window) const;
    WindowId idOf(XID native) const;
    bool isForeign(WindowId window) const;
    void handle(_XEvent& event);
    void handleClientMessage(_XEvent& event);
    void handleSelection(_XEvent& event);
    void sendXdnd(XID to, const char* type, XID from, bool accepted);
    void present(WindowRecord& record, const WindowRect& rect) override;
    void windowGone(WindowId window, WindowRecord& record) override;
    void runTimers();
    // A connection that may still make requests.
    bool alive() const { return display != nullptr && !lost; }
    // Xlib's exit handler of this connection: called, in place of exit(),
    // from inside the Xlib call that met the lost server.
    static void markLost(Display* display, void* self);

    Display* display = nullptr;
    bool lost = false;
    int stop = -1;
    std::string name;
    std::unique_ptr<DragState> drag;
    std::chrono::steady_clock::time_point start;
};

}  // namespace platform
