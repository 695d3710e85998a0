#pragma once
// The frame the editor builds.  Adds to CFrame an overlay (an open option
// menu's list, an activated widget container or another widget that takes
// all input while it is up and draws above everything), the editor's widget
// list, an idle tick that drives every widget's animation and hint timing
// from the frame's millisecond clock, redraw requests, an insertion anchor
// for new views, and keyboard focus on click.  Widgets are seen through
// BWFrameWidget.  GUI thread only.

#include <cstdint>
#include <vector>

#include "guitoolkit/BWFrameWidget.h"
#include "guitoolkit/CFrame.h"

class BWSystemInfo;

namespace VSTGUI {

class CBitmap;
class CFontDesc;

class BWFrame : public CFrame {
public:
    BWFrame(const CRect& size, void* parentWindow, VSTGUIEditorInterface* editor);
    ~BWFrame() override;

    using CFrame::onWheel;
    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    bool onWheel(const CPoint& where, int32_t axis, float distance, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    void looseFocus() override;
    using CFrame::addView;
    bool addView(CView* view) override;
    CView* getViewAt(const CPoint& where, bool deep = false) override;
    bool idle() override;
    virtual BWSystemInfo* getSystemInfo() const { return systemInfo; }

    // The frame keeps a reference to each widget until it is destroyed.
    void addWidget(CView* widget);
    // Drops the first entry of the widget without releasing it (a widget's
    // destructor: its last reference is already gone).
    void removeWidget(CView* widget);
    const std::vector<CView*>& getWidgets() const { return widgets; }
    void setOverlay(CView* view) { overlay = view; }
    CView* getOverlay() const { return overlay; }
    void setInsertionAnchor(CView* view) { insertionAnchor = view; }
    void requestRedraw() { redrawRequested = true; }
    uint64_t getCurrentTime() const { return currentTime; }
    bool hasKeyboardFocus() const { return keyboardFocus; }
    int32_t getPaintCount() const { return paintCount; }
    bool isPassThrough(int32_t index) const { return (index == 0 || index == 1) && passThrough[index] != 0; }

    void setSystemInfo(BWSystemInfo* info) { systemInfo = info; }
    std::vector<CBitmap*>* imageTable = nullptr;
    void* furtherPointer = nullptr;
    CFontDesc* defaultFont = nullptr;
    int32_t defaultTextSize = 10;
    int32_t hintShowDelay = 2;
    int32_t hintHideDelay = 5;
    // The core's overlay-suppress float: while it is 1.0 knobs draw no value
    // overlay.  Null: never suppressed.
    const float* overlaySuppress = nullptr;
    bool overlayOnlyIdle = false;
    bool hintSuppression = false;

private:
    BWFrameWidget* widgetOf(CView* view) const;
    // The overlay as an open option menu, or as a widget container (kind).
    bool overlayIsOpenMenu() const;
    bool overlayIsContainer() const;
    void tick(CView* view);
    bool pageHides(const BWFrameWidget* w) const;
    // The widget side of the child at `index` (null for a plain view): a
    // dynamic_cast per child and idle cost more than the rest of the idle,
    // so the sides are looked up again only after the list changed.
    BWFrameWidget* childWidget(size_t index);

    uint64_t currentTime = 0;
    std::vector<CView*> widgets;
    std::vector<BWFrameWidget*> childWidgets;
    uint64_t childWidgetsOf = ~uint64_t{0};  // the childrenChanges they were made for
    CView* overlay = nullptr;
    CView* insertionAnchor = nullptr;
    BWSystemInfo* systemInfo = nullptr;
    int32_t passThrough[2] = {0, 0};
    int32_t paintCount = 0;
    bool redrawRequested = false;
    bool keyboardFocus = true;
};

}  // namespace VSTGUI
