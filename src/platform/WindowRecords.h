#pragma once
// What both window back-ends keep of their windows and do the same way: a
// record per window (parent, handler, pixels, update region, cursor, leave
// tracking), the timers' table, the click tracker and the captured window,
// and the operations that need nothing more than those.  A back-end derives
// its record from WindowRecord for what its windows hold besides, and hooks
// in where the screen takes part: after a paint (present) and when a window
// goes (windowGone).  GUI thread only.

#include <map>
#include <memory>
#include <vector>

#include "platform/ClickTracker.h"
#include "platform/PaintRegion.h"
#include "platform/WindowSystem.h"

namespace platform {

struct WindowRecord {
    virtual ~WindowRecord() = default;
    // A new size that keeps the pixels the old and new sizes share.
    void resize(int32_t newWidth, int32_t newHeight);

    WindowId parent = 0;
    WindowHandler* handler = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
    WindowRect update;
    PaintRegion updatePieces;  // the same, rectangle by rectangle
    WindowRect painted;  // since takePainted last asked
    PaintRegion paintedPieces;  // the same, rectangle by rectangle
    CursorShape cursor = CursorShape::Arrow;
    bool tracking = false;
};

class WindowRecords : public WindowSystem {
public:
    // Destroys the children first; each handler hears Destroy while its
    // window is still there.
    void destroyWindow(WindowId window) override;
    WindowHandler* handlerOf(WindowId window) const override;
    void setHandler(WindowId window, WindowHandler* handler) override;
    WindowId parentOf(WindowId window) const override;
    // The window's children, in the order they were made.
    std::vector<WindowId> childrenOf(WindowId window) const;
    // The part of the window's surface painted since the last call: the
    // rectangles apart into `pieces`, their number the result; 0 when the
    // box around them is the one piece (`box` holds it, empty when nothing
    // was painted).
    size_t takePainted(WindowId window, WindowRect& box, PaintRegion::Pieces& pieces);
    static WindowRect unite(const WindowRect& a, const WindowRect& b);
    bool hasCaption(WindowId window) const override;
    void invalidate(WindowId window, const WindowRect& rect) override;
    bool dispatchPendingPaint() override;
    WindowSurface surface(WindowId window) override;
    WindowId captured() const override { return capturedWindow; }
    void trackLeave(WindowId window) override;
    CursorShape cursor(WindowId window) const override;
    uint32_t startTimer(uint32_t periodMs, std::function<void(uint32_t)> callback) override;
    void stopTimer(uint32_t id) override;

protected:
    struct Timer {
        uint32_t period;
        uint32_t due;
        std::function<void(uint32_t)> callback;
    };

    // Files the record with its common fields and blank pixels; its id.
    WindowId add(std::unique_ptr<WindowRecord> record, WindowId parent, int32_t width, int32_t height,
                 WindowHandler* handler);
    WindowRecord* find(WindowId window) const;
    // Sends Paint for the update region when it is not empty, then presents
    // it: the rectangles made invalid one by one, not the box around them.
    bool paint(WindowId window);
    void deliver(WindowId window, const WindowEvent& event);

    virtual void present(WindowRecord&, const WindowRect&) {}
    // The record is about to be dropped: release what the back-end made for it.
    virtual void windowGone(WindowId, WindowRecord&) {}

    std::map<WindowId, std::unique_ptr<WindowRecord>> windows;
    std::map<uint32_t, Timer> timers;
    ClickTracker clicks;
    WindowId capturedWindow = 0;

private:
    WindowId nextWindow = 1;
    uint32_t nextTimer = 1;
};

}  // namespace platform
