#pragma once
// The in-process window back-end: windows are records with a pixel surface,
// events are injected by the caller and reach the handler at once, paint runs
// when the caller (or the editor's idle) dispatches it, and the clock is
// virtual: advance() moves it and fires the timers that fall due, sleepMs()
// only moves it.  Tests and headless rendering use it; nothing waits for real
// time.  GUI thread only.

#include "platform/WindowRecords.h"

namespace platform {

class InProcessWindows : public WindowRecords {
public:
    InProcessWindows();
    ~InProcessWindows() override;

    WindowId createWindow(WindowId parent, int32_t width, int32_t height, WindowHandler* handler) override;
    bool windowRect(WindowId window, WindowRect& rect) const override;
    void setWindowSize(WindowId window, int32_t width, int32_t height) override;
    void setCapture(WindowId window) override { capturedWindow = window; }
    void releaseCapture() override { capturedWindow = 0; }
    void pointerPosition(int32_t& x, int32_t& y) const override;
    uint32_t inputState() const override { return state; }
    bool buttonsSwapped() const override { return swapped; }
    void setFocus(WindowId window) override { focusWindow = window; }
    WindowId focus() const override { return focusWindow; }
    void setCursor(WindowId window, CursorShape shape) override;
    void setDropTarget(WindowId window, bool accept) override;
    ScreenInfo screen() const override { return screenInfo; }
    uint32_t tickCount() const override { return now; }
    void sleepMs(uint32_t ms) override { now += ms; }

    // --- injection (window pixels unless said otherwise) ---
    void press(WindowId window, int32_t x, int32_t y, MouseButtonId button = MouseButtonId::Left, uint32_t keys = 0);
    void release(WindowId window, int32_t x, int32_t y, MouseButtonId button = MouseButtonId::Left, uint32_t keys = 0);
    void move(WindowId window, int32_t x, int32_t y, uint32_t keys = 0);
    // Screen position, like the system's wheel message.
    void wheel(WindowId window, int32_t screenX, int32_t screenY, int32_t delta, uint32_t keys = 0);
    // The pointer leaves the window: one MouseLeave when it was asked for.
    void leave(WindowId window);
    void key(WindowId window, WindowKey key, int32_t character, uint32_t keys, bool down = true);
    // False when the window does not take drops.
    bool drop(WindowId window, const std::string& text, const std::vector<std::string>& files);
    // Paints the window now when its update region is not empty.
    using WindowRecords::paint;
    // Moves the virtual clock, firing due timers in time order.
    void advance(uint32_t ms);

    void setScreen(const ScreenInfo& info) { screenInfo = info; }
    void setButtonsSwapped(bool value) { swapped = value; }
    // Places a top-level window on the screen.
    void moveWindow(WindowId window, int32_t x, int32_t y);
    WindowRect pendingUpdate(WindowId window) const;
    bool takesDrops(WindowId window) const;
    size_t windowCount() const { return windows.size(); }

private:
    struct Record;
    Record* record(WindowId window) const;
    void windowGone(WindowId window, WindowRecord&) override;
    // A pointer event at window pixels, with the pointer and the keys of the
    // state moved there.
    WindowEvent pointerEvent(WindowEvent::Kind kind, WindowId window, int32_t x, int32_t y, uint32_t keys);
    void setKeys(uint32_t keys);
    void deliverPointer(WindowId window, const WindowEvent& event);

    ScreenInfo screenInfo;
    WindowId focusWindow = 0;
    uint32_t state = 0;
    uint32_t now = 0;
    int32_t pointerX = 0;
    int32_t pointerY = 0;
    bool swapped = false;
};

}  // namespace platform
