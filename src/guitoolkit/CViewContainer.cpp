#include "guitoolkit/CViewContainer.h"

#include <algorithm>
#include <cstring>

#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CControl.h"
#include "guitoolkit/CDragContainer.h"
#include "guitoolkit/CDrawContext.h"
#include "guitoolkit/CFrame.h"
#include "guitoolkit/COffscreenContext.h"

namespace VSTGUI {

namespace {

bool validIndex(int32_t index) { return index == 0 || index == 1; }

constexpr int32_t kModifierButtons = kRButton | kShift | kControl | kAlt | kApple;

}  // namespace

CViewContainer::CViewContainer(const CRect& size, CFrame* frame, CBitmap* bitmap) : CView(size) {
    parentFrame = frame;
    if (bitmap) setBackground(bitmap);
    dirty = false;
}

CViewContainer::CViewContainer(const CViewContainer& other)
    : CView(other),
      backgroundColor(other.backgroundColor),
      backgroundOffset(other.backgroundOffset),
      drawInOffscreen(other.drawInOffscreen) {
    // As with every child, the list owns the maker's reference of each copy.
    for (CView* child : other.children) addView(child->newCopy());
}

CViewContainer::~CViewContainer() {
    removeAll(true);
    if (offscreen) offscreen->forget();
}

int32_t CViewContainer::notify(CBaseObject*, const char* message) {
    return message == kMsgCheckIfViewContainer ? 1 : 0;
}

bool CViewContainer::isTypeOf(const char* name) const {
    return name && (std::strcmp(name, "CViewContainer") == 0 || CView::isTypeOf(name));
}

CView* CViewContainer::newCopy() const { return new CViewContainer(*this); }

// --- the list ---------------------------------------------------------------

void CViewContainer::adopt(CView* view, std::vector<CView*>::iterator at) {
    view->remember();
    children.insert(at, view);
    ++childrenChanges;
    if (attachedFlag) {
        view->attached(this);
        view->invalid();
    }
}

bool CViewContainer::addView(CView* view, CView* before) {
    if (!view || view->isAttached()) return false;
    auto at = std::find(children.begin(), children.end(), before);
    if (at == children.end() && !children.empty()) at = children.end() - 1;  // in front of the last
    adopt(view, at);
    return true;
}

bool CViewContainer::addView(CView* view, const CRect& area, bool enabled) {
    if (!view || !addView(view)) return false;
    view->setMouseEnabled(enabled);
    view->setMouseableArea(area);
    return true;
}

bool CViewContainer::addView(CView* view) {
    if (!view || view->isAttached()) return false;
    adopt(view, children.end());
    return true;
}

void CViewContainer::forgetEventTargets(CView* view) {
    for (CView*& pressed : pressedViews)
        if (pressed == view) pressed = nullptr;
    if (dragView == view) dragView = nullptr;
}

void CViewContainer::detachChild(CView* view, bool withForget) {
    forgetEventTargets(view);
    if (parentFrame) parentFrame->onViewRemoved(view);
    if (attachedFlag) view->removed(this);
    if (withForget) view->forget();
    view->forget();
}

bool CViewContainer::removeView(CView* view, bool withForget) {
    auto at = std::find(children.begin(), children.end(), view);
    if (!view || at == children.end()) return false;
    view->invalid();
    // The view may have been removed by its own invalidation; look again.
    at = std::find(children.begin(), children.end(), view);
    if (at == children.end()) return false;
    children.erase(at);
    ++childrenChanges;
    detachChild(view, withForget);
    return true;
}

bool CViewContainer::removeAll(bool withForget) {
    while (!children.empty()) {
        CView* view = children.front();
        children.erase(children.begin());
        ++childrenChanges;
        detachChild(view, withForget);
    }
    return true;
}

bool CViewContainer::isChild(CView* view) const {
    return view && std::find(children.begin(), children.end(), view) != children.end();
}

int32_t CViewContainer::getNbViews() const { return static_cast<int32_t>(children.size()); }

CView* CViewContainer::getView(int32_t index) const {
    return index >= 0 && index < getNbViews() ? children[static_cast<size_t>(index)] : nullptr;
}

// --- look-ups -----------------------------------------------------------------

CView* CViewContainer::getViewBehind(const CPoint& where, CView* view) {
    if (!isVisible() || !parentFrame) return nullptr;
    const CPoint local(where.x - size.left, where.y - size.top);
    bool behind = false;
    for (size_t i = children.size(); i-- > 0;) {
        CView* child = children[i];
        if (behind && child->isVisible() && child->getMouseableArea().pointInside(local)) return child;
        if (child == view) behind = true;
    }
    return nullptr;
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) {
    if (!isVisible() || !parentFrame) return nullptr;
    const CPoint local(where.x - size.left, where.y - size.top);
    for (size_t i = children.size(); i-- > 0;) {
        CView* child = children[i];
        if (!child->isVisible() || !child->getMouseableArea().pointInside(local)) continue;
        if (deep && child->isTypeOf("CViewContainer"))
            return static_cast<CViewContainer*>(child)->getViewAt(local, deep);
        return child;
    }
    return nullptr;
}

CViewContainer* CViewContainer::getContainerAt(const CPoint& where, bool deep) {
    if (!parentFrame) return nullptr;
    if (!deep) return this;
    const CPoint local(where.x - size.left, where.y - size.top);
    for (size_t i = children.size(); i-- > 0;) {
        CView* child = children[i];
        if (child->isVisible() && child->isTypeOf("CViewContainer") && child->getMouseableArea().pointInside(local))
            return static_cast<CViewContainer*>(child)->getContainerAt(local, deep);
    }
    return this;
}

bool CViewContainer::hitTestSubViews(const CPoint& where, const CButtonState& buttons) {
    const CPoint local(where.x - size.left, where.y - size.top);
    for (size_t i = children.size(); i-- > 0;) {
        CView* child = children[i];
        if (child->getMouseEnabled() && child->hitTest(local, buttons)) return true;
    }
    return false;
}

bool CViewContainer::checkUpdateRect(CView* view, const CRect& rect) {
    return view->checkUpdate(rect) && view->isVisible();
}

// --- background and drawing -----------------------------------------------------

void CViewContainer::setBackgroundColor(const CColor& color) {
    backgroundColor = color;
    setDirty(true);
}

CColor CViewContainer::getBackgroundColor() const { return backgroundColor; }
void CViewContainer::setBackgroundOffset(const CPoint& offset) { backgroundOffset = offset; }
const CPoint& CViewContainer::getBackgroundOffset() const { return backgroundOffset; }

void CViewContainer::useOffscreen(bool value) {
    drawInOffscreen = value;
    if (!value && offscreen) {
        offscreen->forget();
        offscreen = nullptr;
    }
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& rect) {
    if (background) {
        ScopedClip clip(*context, rect);
        drawBitmap(context, background, rect, CPoint(backgroundOffset.x + rect.left, backgroundOffset.y + rect.top));
        return;
    }
    // An opaque colour with the transparent flag draws nothing: stored
    // layouts rely on this odd rule.
    if (backgroundColor.alpha == 255 && transparent) return;
    context->setFillColor(backgroundColor);
    context->setFrameColor(backgroundColor);
    context->drawRect(CRect(0, 0, size.width(), size.height()), kDrawFilledAndFramed);
}

void CViewContainer::draw(CDrawContext* context) { drawRect(context, size); }

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect) {
    if (!context) return;
    if (drawInOffscreen && !offscreen)
        offscreen = new COffscreenContext(parentFrame, size.width(), size.height(), colourBlack);
    if (offscreen && transparent)
        offscreen->copyPixelsFrom(*context, CRect(0, 0, size.width(), size.height()), size.getTopLeft());

    const CPoint savedOffset = context->getOffset();
    CDrawContext* target = context;
    if (drawInOffscreen && offscreen)
        target = offscreen;
    else
        context->setOffset(CPoint(savedOffset.x + size.left, savedOffset.y + size.top));

    CRect local = updateRect;
    local.bound(size);
    local.offset(-size.left, -size.top);

    CRect entryClip;
    target->getClipRect(entryClip);
    CRect clip = local;
    clip.bound(entryClip);
    target->setClipRect(clip);

    drawBackgroundRect(target, clip);

    for (size_t i = 0; i < children.size(); ++i) {
        CView* child = children[i];
        if (!checkUpdateRect(child, local)) continue;
        CRect childClip = child->getViewSize();
        childClip.bound(clip);
        if (childClip.isEmpty()) continue;
        target->setClipRect(childClip);
        Retained keep(child);
        child->drawRect(target, local);
    }

    target->setClipRect(entryClip);
    if (target == offscreen) {
        CRect destination = local;
        destination.offset(size.left, size.top);
        offscreen->copyFrom(context, destination, local.getTopLeft());
    } else {
        context->setOffset(savedOffset);
    }
}

// --- repaint requests -------------------------------------------------------------

void CViewContainer::invalidateInParent(const CRect& rect) {
    if (parentView)
        parentView->invalidRect(rect);
    else if (parentFrame)
        parentFrame->invalidRect(rect);
}

void CViewContainer::invalid() {
    if (isVisible()) invalidateInParent(size);
}

void CViewContainer::invalidRect(const CRect& rect) {
    if (!isVisible()) return;
    CRect r = rect;
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.offset(size.left, size.top);
    r.right = std::min(r.right, size.right);
    r.bottom = std::min(r.bottom, size.bottom);
    if (r.left < r.right && r.top < r.bottom) invalidateInParent(r);
}

bool CViewContainer::isDirty() const {
    if (dirty) return true;
    const CRect area(0, 0, size.width(), size.height());
    for (CView* child : children) {
        if (!child->isDirty()) continue;
        CRect overlap = child->getViewSize();
        overlap.bound(area);
        if (!overlap.isEmpty()) return true;
    }
    return false;
}

bool CViewContainer::invalidateDirtyViews() {
    if (!isVisible()) return true;
    if (dirty) {
        invalidateInParent(size);
        dirty = false;
        return true;
    }
    for (size_t i = 0; i < children.size(); ++i) {
        CView* child = children[i];
        if (!child->isDirty() || !child->isVisible()) continue;
        Retained keep(child);
        if (child->isTypeOf("CViewContainer"))
            static_cast<CViewContainer*>(child)->invalidateDirtyViews();
        else
            child->invalid();
    }
    return true;
}

// --- mouse, wheel, keys --------------------------------------------------------------

int32_t CViewContainer::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) {
    const CPoint local(where.x - size.left, where.y - size.top);
    for (size_t i = children.size(); i-- > 0;) {
        CView* child = children[i];
        if (!child->isVisible() || !child->getMouseEnabled() || !child->hitTest(local, buttons)) continue;
        const bool pressed = child == pressedViews[0] || child == pressedViews[1];
        if (pressed && !child->acceptsSecondPress() && buttons != kRButton) continue;

        Retained keep(child);
        if (child->isTypeOf("CControl") && (buttons & kModifierButtons)) {
            auto* control = static_cast<CControl*>(child);
            if (CControlListener* listener = control->getListener())
                if (listener->controlModifierClicked(control, buttons) != 0) return kMouseEventHandled;
        }
        CPoint point = local;
        const int32_t result = child->onMouseDown(point, buttons, index);
        // A child that removed itself while handling the press is not recorded.
        if (result == kMouseEventHandled && validIndex(index) && isChild(child)) pressedViews[index] = child;
        return result;
    }
    return kMouseEventNotHandled;
}

int32_t CViewContainer::onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) {
    CView* child = validIndex(index) ? pressedViews[index] : nullptr;
    if (!child) return kMouseEventNotHandled;
    pressedViews[index] = nullptr;
    Retained keep(child);
    CPoint point(where.x - size.left, where.y - size.top);
    child->onMouseUp(point, buttons, index);
    return kMouseEventHandled;
}

int32_t CViewContainer::onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) {
    CView* child = validIndex(index) ? pressedViews[index] : nullptr;
    if (!child) return kMouseEventNotHandled;
    Retained keep(child);
    CPoint point(where.x - size.left, where.y - size.top);
    if (child->onMouseMoved(point, buttons, index) == kMouseEventHandled) return kMouseEventHandled;
    if (pressedViews[index] == child) pressedViews[index] = nullptr;
    return kMouseEventNotHandled;
}

void CViewContainer::onMouseCancel(int32_t index) {
    CView* child = validIndex(index) ? pressedViews[index] : nullptr;
    if (!child) return;
    pressedViews[index] = nullptr;
    Retained keep(child);
    child->onMouseCancel(index);
}

bool CViewContainer::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    return onWheel(where, 1, distance, buttons);
}

bool CViewContainer::onWheel(const CPoint& where, int32_t axis, float distance, const CButtonState& buttons) {
    CView* child = getViewAt(where, false);
    if (!child) return false;
    Retained keep(child);
    const CPoint local(where.x - size.left, where.y - size.top);
    return child->onWheel(local, axis, distance, buttons);
}

int32_t CViewContainer::keyToChildren(VstKeyCode& keyCode, int32_t (CView::*handler)(VstKeyCode&)) {
    for (size_t i = children.size(); i-- > 0;) {
        if (i >= children.size()) continue;  // a handler removed children
        CView* child = children[i];
        Retained keep(child);
        const int32_t result = (child->*handler)(keyCode);
        if (result != -1) return result;
    }
    return -1;
}

int32_t CViewContainer::onKeyDown(VstKeyCode& keyCode) { return keyToChildren(keyCode, &CView::onKeyDown); }
int32_t CViewContainer::onKeyUp(VstKeyCode& keyCode) { return keyToChildren(keyCode, &CView::onKeyUp); }

// --- drag and drop -----------------------------------------------------------------------

void CViewContainer::onDragEnter(CDragContainer* drag, const CPoint& where) {
    if (!parentFrame) return;
    const CPoint local(where.x - size.left, where.y - size.top);
    if (CView* old = dragView) {
        Retained keep(old);
        old->onDragLeave(drag, local);
    }
    dragView = getViewAt(where, false);
    if (CView* entered = dragView) {
        Retained keep(entered);
        entered->onDragEnter(drag, local);
    }
}

void CViewContainer::onDragLeave(CDragContainer* drag, const CPoint& where) {
    if (!parentFrame) return;
    const CPoint local(where.x - size.left, where.y - size.top);
    if (CView* old = dragView) {
        dragView = nullptr;
        Retained keep(old);
        old->onDragLeave(drag, local);
    }
}

void CViewContainer::onDragMove(CDragContainer* drag, const CPoint& where) {
    if (!parentFrame) return;
    const CPoint local(where.x - size.left, where.y - size.top);
    CView* under = getViewAt(where, false);
    if (under != dragView) {
        if (drag) {
            int32_t itemSize = 0, type = 0;
            drag->first(itemSize, type);
        }
        if (CView* old = dragView) {
            Retained keep(old);
            old->onDragLeave(drag, local);
        }
        dragView = under;
        if (under && isChild(under)) {
            Retained keep(under);
            under->onDragEnter(drag, local);
        }
    } else if (under) {
        Retained keep(under);
        under->onDragMove(drag, local);
    }
}

bool CViewContainer::onDrop(CDragContainer* drag, const CPoint& where) {
    if (!parentFrame) return false;
    const CPoint local(where.x - size.left, where.y - size.top);
    CView* under = getViewAt(where, false);
    if (under != dragView && dragView) {
        CView* old = dragView;
        Retained keep(old);
        old->onDragLeave(drag, local);
    }
    dragView = nullptr;
    if (!under) return false;
    Retained keep(under);
    const bool result = under->onDrop(drag, local);
    under->onDragLeave(drag, local);
    return result;
}

// --- focus -------------------------------------------------------------------------------

void CViewContainer::looseFocus() {
    for (size_t i = 0; i < children.size(); ++i) {
        Retained keep(children[i]);
        children[i]->looseFocus();
    }
}

void CViewContainer::takeFocus() {
    for (size_t i = 0; i < children.size(); ++i) {
        Retained keep(children[i]);
        children[i]->takeFocus();
    }
}

bool CViewContainer::advanceNextFocusView(CView* oldFocus, bool reverse) {
    const size_t count = children.size();
    bool skipping = oldFocus != nullptr && isChild(oldFocus);
    for (size_t step = 0; step < count && step < children.size(); ++step) {
        CView* child = children[reverse ? children.size() - 1 - step : step];
        if (skipping) {
            if (child == oldFocus) skipping = false;
            continue;
        }
        if (child->wantsFocus()) {
            Retained keep(child);
            if (parentFrame) parentFrame->setFocusView(child);
            child->takeFocus();
            return true;
        }
        if (child->isTypeOf("CViewContainer")) {
            Retained keep(child);
            if (static_cast<CViewContainer*>(child)->advanceNextFocusView(nullptr, reverse)) return true;
        }
    }
    return false;
}

// --- size and coordinates -------------------------------------------------------------------

void CViewContainer::setViewSize(const CRect& rect, bool invalidate) {
    if (rect == size) return;
    const CRect old = size;
    CView::setViewSize(rect, invalidate);
    const int32_t dw = rect.width() - old.width();
    const int32_t dh = rect.height() - old.height();
    if (dw != 0 || dh != 0) {
        const int32_t n = static_cast<int32_t>(children.size());
        for (int32_t i = 0; i < n && i < static_cast<int32_t>(children.size()); ++i) {
            CView* child = children[static_cast<size_t>(i)];
            const int32_t flags = child->getAutosizeFlags();
            CRect r = child->getViewSize();
            CRect area = child->getMouseableArea();
            auto adjust = [&](int32_t CRect::*low, int32_t CRect::*high, int32_t delta, int32_t ownFlag,
                              int32_t highFlag, int32_t lowFlag) {
                if (autosizeFlags & ownFlag) {
                    const int32_t share = delta / n;
                    r.*high += share + share * i;
                    r.*low += share * i;
                    area.*high += share + share * i;
                    area.*low += share * i;
                } else if ((flags & highFlag) && delta != 0) {
                    r.*high += delta;
                    area.*high += delta;
                    if (!(flags & lowFlag)) {
                        r.*low += delta;
                        area.*low += delta;
                    }
                }
            };
            adjust(&CRect::left, &CRect::right, dw, kAutosizeColumn, kAutosizeRight, kAutosizeLeft);
            adjust(&CRect::top, &CRect::bottom, dh, kAutosizeRow, kAutosizeBottom, kAutosizeTop);
            if (r != child->getViewSize()) {
                child->setViewSize(r, true);
                child->setMouseableArea(area);
            }
        }
    }
    parentSizeChanged();
    if (offscreen && drawInOffscreen) {
        offscreen->forget();
        offscreen = new COffscreenContext(parentFrame, size.width(), size.height(), colourBlack);
    }
}

void CViewContainer::parentSizeChanged() {
    for (size_t i = 0; i < children.size(); ++i) children[i]->parentSizeChanged();
}

CRect CViewContainer::getVisibleSize(const CRect& rect) const {
    CRect r = rect;
    r.offset(size.left, size.top);
    if (r.left < size.left) r.left = size.left;
    if (r.top < size.top) r.top = size.top;
    r.right = std::max(r.left, std::min(r.right, size.right));
    r.bottom = std::max(r.top, std::min(r.bottom, size.bottom));
    if (!isTypeOf("CFrame")) {
        if (auto* container = static_cast<CViewContainer*>(parentContainer()))
            r = container->getVisibleSize(r);
        else if (parentFrame)
            r = parentFrame->getVisibleSize(r);
    }
    r.offset(-size.left, -size.top);
    return r;
}

CPoint& CViewContainer::frameToLocal(CPoint& point) const {
    point.offset(-size.left, -size.top);
    if (auto* container = parentContainer()) return container->frameToLocal(point);
    return point;
}

CPoint& CViewContainer::localToFrame(CPoint& point) const {
    point.offset(size.left, size.top);
    if (auto* container = parentContainer()) return container->localToFrame(point);
    return point;
}

// --- attaching -------------------------------------------------------------------------------

bool CViewContainer::attached(CView* parent) { return attachToParent(parent); }

bool CViewContainer::attachToParent(CView* parent) {
    if (attachedFlag) return false;
    parentFrame = parent ? parent->getFrame() : nullptr;
    if (drawInOffscreen && !offscreen)
        offscreen = new COffscreenContext(parentFrame, size.width(), size.height(), colourBlack);
    for (size_t i = 0; i < children.size(); ++i) children[i]->attached(this);
    attachedFlag = true;
    parentView = parent;
    return true;
}

bool CViewContainer::removed(CView* parent) {
    if (!attachedFlag) return false;
    if (parentFrame) parentFrame->onViewRemoved(this);
    if (offscreen) {
        offscreen->forget();
        offscreen = nullptr;
    }
    pressedViews[0] = pressedViews[1] = nullptr;
    dragView = nullptr;
    // A child's removal may end an edit whose listener removes children.
    const std::vector<CView*> snapshot = children;
    for (CView* child : snapshot) {
        if (!isChild(child)) continue;
        Retained keep(child);
        child->removed(this);
    }
    parentFrame = nullptr;
    return CView::removed(parent);
}

}  // namespace VSTGUI
