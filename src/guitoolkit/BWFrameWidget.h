#pragma once
// What the editor's frame asks of the widgets in it.  The widget base of the
// widget library implements it; the frame reaches a view's widget side with
// a dynamic_cast, so plain views pass through unchanged.  GUI thread only.

#include <cstdint>

#include "core/PageSet.h"
#include "guitoolkit/CRect.h"

namespace VSTGUI {

class CView;

class BWFrameWidget {
public:
    // Kinds the frame tells apart.
    static constexpr int32_t kWidgetContainer = 10;
    static constexpr int32_t kMenuHelper = 11;
    static constexpr int32_t kOverlayPage = 127;
    static constexpr int32_t kAlwaysPage = 100;

    virtual ~BWFrameWidget() = default;

    virtual int32_t getWidgetKind() const = 0;
    // For the menu helper: whether its list is open.
    virtual bool isWidgetVisible() const = 0;
    // For a widget container: its mode.
    virtual int32_t getContainerMode() const { return 0; }
    // For a widget container: its child under the point (frame coordinates),
    // or null.
    virtual CView* getWidgetAt(const CPoint& /*where*/) { return nullptr; }
    // The area the widget draws in (frame coordinates).
    virtual CRect getExtent() const = 0;
    // The frame's idle tick.
    virtual void idleTick(int32_t argument) = 0;
    // The frame is going away: the widget must not reach it any more.
    virtual void ownerClosing() {}
    // The page set the widget is bound to (null: none) and its page.
    // The editor's page set (the core's, which its page switches write).
    virtual const PageSet* getPageSet() const { return nullptr; }
    virtual int32_t getPageIndex() const { return 0; }
};

}  // namespace VSTGUI
