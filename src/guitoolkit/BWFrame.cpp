#include "guitoolkit/BWFrame.h"

#include <algorithm>

#include "platform/WindowSystem.h"

namespace VSTGUI {

BWFrame::BWFrame(const CRect& size, void* parentWindow, VSTGUIEditorInterface* editor)
    : CFrame(size, parentWindow, editor), currentTime(platform::windowSystem().tickCount()) {}

BWFrame::~BWFrame() {
    // Closing an overlay may open or hand over to another; eight rounds end it.
    for (int32_t round = 0; round < 8 && overlay; ++round) overlay->looseFocus();
    overlay = nullptr;
    removeAll(true);
    // A widget leaves the list in its destructor: hand the list over first.
    std::vector<CView*> held;
    held.swap(widgets);
    for (CView* widget : held) {
        if (BWFrameWidget* w = widgetOf(widget)) w->ownerClosing();
        widget->forget();
    }
}

BWFrameWidget* BWFrame::widgetOf(CView* view) const { return dynamic_cast<BWFrameWidget*>(view); }

bool BWFrame::overlayIsOpenMenu() const {
    BWFrameWidget* w = widgetOf(overlay);
    return w && w->getWidgetKind() == BWFrameWidget::kMenuHelper && w->isWidgetVisible();
}

bool BWFrame::overlayIsContainer() const {
    BWFrameWidget* w = widgetOf(overlay);
    return w && w->getWidgetKind() == BWFrameWidget::kWidgetContainer;
}

void BWFrame::addWidget(CView* widget) {
    if (!widget) return;
    widget->remember();
    widgets.push_back(widget);
}

void BWFrame::removeWidget(CView* widget) {
    auto at = std::find(widgets.begin(), widgets.end(), widget);
    if (at != widgets.end()) widgets.erase(at);
}

// --- drawing -------------------------------------------------------------------------

void BWFrame::draw(CDrawContext* context) {
    ++paintCount;
    if (overlay && !isChild(overlay)) {
        overlay->setVisible(false);
        CFrame::draw(context);
        overlay->setVisible(true);
        overlay->draw(context);
        return;
    }
    CFrame::draw(context);
}

void BWFrame::drawRect(CDrawContext* context, const CRect& updateRect) {
    ++paintCount;
    if (updateRect.isEmpty()) return;
    if (overlay && !isChild(overlay)) {
        BWFrameWidget* w = widgetOf(overlay);
        const CRect extent = w ? w->getExtent() : overlay->getViewSize();
        if (extent.rectOverlap(updateRect)) {
            overlay->setVisible(false);
            CFrame::drawRect(context, updateRect);
            overlay->setVisible(true);
            overlay->drawRect(context, updateRect);
            return;
        }
    }
    CFrame::drawRect(context, updateRect);
}

// --- events --------------------------------------------------------------------------

int32_t BWFrame::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) {
    Retained hold(overlay);
    platform::WindowSystem& windows = platform::windowSystem();
    if (getWindow() && windows.focus() != getWindow()) windows.setFocus(getWindow());
    if (index == 0 || index == 1) passThrough[index] = 0;
    if (!overlay) return CFrame::onMouseDown(where, buttons, index);

    if (overlayIsOpenMenu()) {
        // The open list takes the press as a release: it picks what is under it.
        if (overlay->onMouseUp(where, buttons, index) != kMouseHandledNoMoves) return kMouseEventHandled;
        if (overlay) overlay->looseFocus();
        return CFrame::onMouseDown(where, buttons, index);
    }
    if (overlayIsContainer()) {
        const int32_t mode = widgetOf(overlay)->getContainerMode();
        const bool outside = !overlay->getViewSize().pointInside(where);
        if (outside && mode == 9) {
            overlay->looseFocus();
            return CFrame::onMouseDown(where, buttons, index);
        }
        if (outside && (mode == 7 || mode == 8)) {
            if (index == 0 || index == 1) passThrough[index] = 1;
            return CFrame::onMouseDown(where, buttons, index);
        }
        if (outside && (mode == 0 || mode == 6)) return CFrame::onMouseDown(where, buttons, index);
    }
    return overlay->onMouseDown(where, buttons, index);
}

int32_t BWFrame::onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) {
    Retained hold(overlay);
    if (!overlay) return CViewContainer::onMouseUp(where, buttons, index);
    if (overlayIsOpenMenu()) {
        CView* menu = overlay;
        const int32_t result = menu->onMouseUp(where, buttons, index);
        if (result == kMouseEventNotHandled) {
            if (overlay) overlay->looseFocus();
            return CViewContainer::onMouseUp(where, buttons, index);
        }
        if (overlay != menu) return CViewContainer::onMouseUp(where, buttons, index);
        return kMouseEventHandled;
    }
    if (overlayIsContainer()) {
        const int32_t mode = widgetOf(overlay)->getContainerMode();
        if ((mode == 7 || mode == 8) && isPassThrough(index)) return CViewContainer::onMouseUp(where, buttons, index);
        if (mode == 6 && !overlay->getViewSize().pointInside(where)) {
            overlay->looseFocus();
            return kMouseEventHandled;
        }
    }
    return overlay->onMouseUp(where, buttons, index);
}

int32_t BWFrame::onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) {
    Retained hold(overlay);
    if (overlay && !isPassThrough(index)) return overlay->onMouseMoved(where, buttons, index);
    return CFrame::onMouseMoved(where, buttons, index);
}

bool BWFrame::onWheel(const CPoint& where, int32_t axis, float distance, const CButtonState& buttons) {
    Retained hold(overlay);
    return overlay ? overlay->onWheel(where, axis, distance, buttons) : CFrame::onWheel(where, axis, distance, buttons);
}

bool BWFrame::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    Retained hold(overlay);
    return overlay ? overlay->onWheel(where, distance, buttons) : CFrame::onWheel(where, distance, buttons);
}

void BWFrame::looseFocus() {
    if (overlay)
        overlay->looseFocus();
    else
        CViewContainer::looseFocus();
}

bool BWFrame::addView(CView* view) {
    if (insertionAnchor && isChild(insertionAnchor)) return CViewContainer::addView(view, insertionAnchor);
    return CViewContainer::addView(view);
}

CView* BWFrame::getViewAt(const CPoint& where, bool) {
    for (CView* child : children) {
        CRect area;
        child->getMouseableArea(area);
        if (!area.pointInside(where) || !child->isVisible() || !child->getMouseEnabled()) continue;
        BWFrameWidget* w = widgetOf(child);
        if (w && w->getWidgetKind() == BWFrameWidget::kWidgetContainer) {
            if (CView* inner = w->getWidgetAt(where)) return inner;
            continue;
        }
        return child;
    }
    return nullptr;
}

// --- idle ----------------------------------------------------------------------------

void BWFrame::tick(CView* view) {
    if (BWFrameWidget* w = widgetOf(view)) w->idleTick(0);
}

bool BWFrame::pageHides(const BWFrameWidget* w) const {
    const PageSet* pages = w ? w->getPageSet() : nullptr;
    return pages && pages->isShown(BWFrameWidget::kOverlayPage) && w->getPageIndex() != BWFrameWidget::kAlwaysPage;
}

BWFrameWidget* BWFrame::childWidget(size_t index) {
    if (childWidgetsOf != childrenChanges) {
        childWidgets.resize(children.size());
        for (size_t i = 0; i < children.size(); ++i) childWidgets[i] = widgetOf(children[i]);
        childWidgetsOf = childrenChanges;
    }
    return childWidgets[index];
}

bool BWFrame::idle() {
    platform::WindowSystem& windows = platform::windowSystem();
    keyboardFocus = getWindow() != 0 && windows.focus() == getWindow();
    currentTime = windows.tickCount();
    if (redrawRequested) {
        invalid();
        redrawRequested = false;
    }
    if (overlayOnlyIdle && overlay) {
        CView* held = overlay;
        Retained keep(held);
        if (held->isAttached()) tick(held);
        const bool result = CFrame::idle();
        if (!held->isAttached()) tick(held);
        return result;
    }
    // A tick may add or remove views: each step looks the list up afresh.
    for (size_t i = 0; i < children.size(); ++i)
        if (BWFrameWidget* w = childWidget(i); w && !pageHides(w)) w->idleTick(0);
    const bool result = CFrame::idle();
    if (overlay && !overlay->isAttached()) tick(overlay);
    return result;
}

}  // namespace VSTGUI
