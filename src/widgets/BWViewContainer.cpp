#include "widgets/BWViewContainer.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "core/SharedFloat.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/COffscreenContext.h"
#include "platform/GuiThread.h"

namespace VSTGUI {

BWViewContainer::BWViewContainer(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner)
    : BWControl(rect, listener, tag, owner) {
    controlType = kViewContainer;
}

BWViewContainer::~BWViewContainer() {
    // The frame may be going away around us: release the children without
    // reaching it.
    for (Child& child : children)
        if (child.owned) child.view->forget();
    if (offscreen) offscreen->forget();
}

bool BWViewContainer::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "BWVC") == 0) || BWControl::isTypeOf(name);
}

// --- children ------------------------------------------------------------------------

void BWViewContainer::moveChildView(CView* view, const CRect& rect, bool asArea) {
    if (auto* widget = dynamic_cast<BWControl*>(view)) {
        if (asArea) {
            widget->setViewSizeAndArea(rect);
        } else {
            CRect moved = rect;
            widget->setViewSizeWithMargins(moved);
        }
        return;
    }
    view->setViewSize(rect, true);
    view->setMouseableArea(rect);
}

void BWViewContainer::followContainer(Child& child) {
    CView* view = child.view;
    if (auto* widget = dynamic_cast<BWControl*>(view); widget && widget->getParentView() == this) {
        // The child's own placement keeps its picture and its mouse area in step.
        const CRect& own = view->getViewSize();
        widget->placeInParent(CRect(child.x, child.y, child.x + own.width(), child.y + own.height()));
        return;
    }
    const CRect old = view->getViewSize();
    const int32_t dx = size.left + child.x - old.left, dy = size.top + child.y - old.top;
    CRect area;
    view->getMouseableArea(area);
    view->setViewSize(CRect(old).offset(dx, dy), true);
    view->setMouseableArea(area.offset(dx, dy));
}

void BWViewContainer::recordChildOffset(BWControl* child, const CPoint& offset) {
    for (Child& entry : children)
        if (entry.view == child) {
            entry.x = offset.x;
            entry.y = offset.y;
        }
}

bool BWViewContainer::addView(CView* view, int32_t x, int32_t y) {
    if (!view) return false;
    const bool keepRect = x == kNoPosition;
    children.push_back(Child{view, keepRect ? 0 : x, keepRect ? 0 : y, true});
    view->attached(this);
    if (!keepRect) followContainer(children.back());
    view->setDirty(true);
    return true;
}

bool BWViewContainer::addViewCentred(CView* view, int32_t y) {
    if (!view) return false;
    return addView(view, size.width() / 2 - view->getViewSize().width() / 2, y);
}

void BWViewContainer::setChildrenVisible(bool value) {
    for (Child& child : children) child.view->setVisible(value);
}

void BWViewContainer::setChildrenDirty(bool value) {
    for (Child& child : children) child.view->setDirty(value);
}

BWViewContainer::Child* BWViewContainer::childWithTag(int32_t tag) {
    for (Child& child : children)
        if (auto* control = dynamic_cast<CControl*>(child.view); control && control->getTag() == tag) return &child;
    return nullptr;
}

void BWViewContainer::moveChild(const CPoint& topLeft, int32_t tag) {
    Child* child = childWithTag(tag);
    if (!child) return;
    const CRect& own = child->view->getViewSize();
    moveChildView(child->view, CRect(topLeft, CPoint(own.width(), own.height())), false);
    child->x = child->view->getViewSize().left - size.left;
    child->y = child->view->getViewSize().top - size.top;
}

void BWViewContainer::placeChild(int32_t tag, int32_t x, int32_t y, int32_t width, int32_t height) {
    Child* child = childWithTag(tag);
    if (!child) return;
    child->x = x;
    child->y = y;
    const CRect& own = child->view->getViewSize();
    const CPoint extent(width < 0 ? own.width() : width, height < 0 ? own.height() : height);
    moveChildView(child->view, CRect(CPoint(size.left + x, size.top + y), extent), false);
}

void BWViewContainer::moveChildTo(int64_t packedTopLeft, int32_t tag) {
    Child* child = childWithTag(tag);
    if (!child) return;
    const auto bits = static_cast<uint64_t>(packedTopLeft);
    const CPoint topLeft(static_cast<int32_t>(static_cast<uint32_t>(bits)),
                         static_cast<int32_t>(static_cast<uint32_t>(bits >> 32)));
    const CRect& own = child->view->getViewSize();
    moveChildView(child->view, CRect(topLeft, CPoint(own.width(), own.height())), true);
    child->x = child->view->getViewSize().left - size.left;
    child->y = child->view->getViewSize().top - size.top;
}

void BWViewContainer::resizeChild(int32_t tag, int32_t width, int32_t height) {
    Child* child = childWithTag(tag);
    if (!child) return;
    const CRect& own = child->view->getViewSize();
    const CRect resized(own.left, own.top, own.left + width, height < 0 ? own.bottom : own.top + height);
    moveChildView(child->view, resized, true);
}

CView* BWViewContainer::getViewAt(const CPoint& where) const {
    for (auto at = children.rbegin(); at != children.rend(); ++at)
        if (at->view->isVisible() && at->view->hitTest(where, 0)) return at->view;
    return nullptr;
}

void BWViewContainer::hideHints() {
    for (Child& child : children)
        if (auto* widget = dynamic_cast<BWControl*>(child.view)) {
            if (auto* inner = dynamic_cast<BWViewContainer*>(widget)) inner->hideHints();
            widget->hideHint();
        }
}

bool BWViewContainer::hasPressedChild() const { return pressed[0] || pressed[1]; }

void BWViewContainer::forgetPressedChildren() { pressed[0] = pressed[1] = nullptr; }

// --- size ----------------------------------------------------------------------------

void BWViewContainer::setViewSizeWithMargins(CRect& rect) {
    invalidRect(size);
    const CPoint oldTopLeft = size.getTopLeft();
    BWControl::setViewSizeWithMargins(rect);
    if (offscreen && (offscreen->getWidth() != size.width() || offscreen->getHeight() != size.height()))
        useOffscreen(true);
    if (size.getTopLeft() == oldTopLeft) return;
    for (Child& child : children) followContainer(child);
}

void BWViewContainer::useOffscreen(bool on) {
    if (offscreen) offscreen->forget();
    offscreen = on && !size.isEmpty() ? new COffscreenContext(owner, size.width(), size.height()) : nullptr;
    setDirty(true);
}

// --- drawing -------------------------------------------------------------------------

CDrawContext* BWViewContainer::target(CDrawContext* context) {
    if (!offscreen) return context;
    offscreen->setOffset(CPoint(-size.left, -size.top));
    return offscreen;
}

void BWViewContainer::copyOut(CDrawContext* context, const CRect& area) {
    if (offscreen) offscreen->copyFrom(context, area, CPoint(area.left - size.left, area.top - size.top));
}

void BWViewContainer::paintBackground(CDrawContext* context, const CRect& area) {
    if ((styleFlags & kBitmapStyle) && background) {
        drawBitmap(context, background, area, CPoint(area.left - size.left, area.top - size.top));
    } else if (styleFlags & kFillStyle) {
        context->setFillColor(fillColour);
        context->drawRect(area, kDrawFilled);
    } else if (styleFlags & kPictureFrameStyle) {
        drawPictureFrame(pictureFrame, context, size);
    }
}

void BWViewContainer::drawChild(CDrawContext* context, const Child& child, const CRect* update) {
    Retained keep(child.view);
    // A child that sticks out on the left is kept to the container.
    std::optional<ScopedClip> clip;
    if (child.x < 0) clip.emplace(*context, size);
    if (update)
        child.view->drawRect(context, *update);
    else
        child.view->draw(context);
}

void BWViewContainer::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!context || !isVisible()) return;
    CDrawContext* into = target(context);
    const bool withBackground = !(styleFlags & kNoBackground);
    if (withBackground) paintBackground(into, size);
    for (size_t i = 0; i < children.size(); ++i) drawChild(into, children[i], nullptr);
    copyOut(context, size);
    // The shadow lies outside the container, so never in its buffer.
    if (withBackground && (styleFlags & kShadow)) drawShadow(context, size);
    setDirty(false);
}

void BWViewContainer::drawRect(CDrawContext* context, const CRect& updateRect) {
    if (!context || !isVisible()) return;
    CRect area = size;
    area.bound(updateRect);
    if (area.isEmpty()) return;
    CDrawContext* into = target(context);
    {
        ScopedClip clip(*into, area);
        paintBackground(into, area);
        for (size_t i = 0; i < children.size(); ++i) {
            CView* view = children[i].view;
            if (view->checkUpdate(updateRect) || view->isDirty()) drawChild(into, children[i], &updateRect);
        }
    }
    copyOut(context, area);
    setDirty(false);
}

bool BWViewContainer::isDirty() const {
    if (BWControl::isDirty()) return true;
    return std::any_of(children.begin(), children.end(), [](const Child& c) { return c.view->isDirty(); });
}

void BWViewContainer::invalid() {
    if (!isVisible()) return;
    if (BWControl::isDirty()) {
        invalidRect(size);
        setDirty(false);
        for (Child& child : children) child.view->setDirty(false);
        return;
    }
    CRect united;
    bool any = false;
    for (size_t i = 0; i < children.size(); ++i) {
        CView* view = children[i].view;
        if (!view->isDirty() || !view->isVisible()) continue;
        if (auto* inner = dynamic_cast<BWViewContainer*>(view)) {
            inner->invalid();
            continue;
        }
        const CRect& r = view->getViewSize();
        if (any)
            united.unite(r);
        else
            united = r;
        any = true;
        view->setDirty(false);
    }
    if (any) invalidRect(united);
}

void BWViewContainer::setVisible(bool value) {
    // Once hidden the container asks for nothing: its area is repainted first.
    if (!value && isAttached() && BWControl::isVisible()) invalidRect(size);
    BWControl::setVisible(value);
}

// --- mouse ---------------------------------------------------------------------------

int32_t BWViewContainer::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!isVisible()) return kMouseEventNotHandled;
    Retained self(this);
    for (size_t i = children.size(); i-- > 0;) {
        if (i >= children.size()) continue;
        CView* child = children[i].view;
        if (!child->isVisible() || !child->getMouseEnabled() || !child->hitTest(where, buttons)) continue;
        const bool holdsPress = child == pressed[0] || child == pressed[1];
        if (buttons != kRButton && holdsPress && !child->acceptsSecondPress()) continue;
        Retained keep(child);
        CPoint point = where;
        const int32_t result = child->onMouseDown(point, buttons, index);
        if (result == kMouseHandledNoMoves) return result;
        if (result == kMouseEventHandled) {
            if (validIndex(index)) pressed[index] = child;
            return result;
        }
    }
    if (validIndex(index) && pressed[index]) return kMouseEventHandled;
    const bool inside = size.pointInside(where);
    const bool closes = closeMode == kCloseAfterRelease || closeMode == kCloseOnAnyPress ||
                        (closeMode == kCloseOnPressInside && inside) || (closeMode == kCloseOnPressOutside && !inside);
    if (!closes) return kMouseEventNotHandled;
    close();
    return kMouseHandledNoMoves;
}

int32_t BWViewContainer::onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) {
    if (swallowNextRelease) {
        swallowNextRelease = false;
        return kMouseEventHandled;
    }
    Retained self(this);
    int32_t result = kMouseEventHandled;
    if (CView* child = getPressedChild(index)) {
        pressed[index] = nullptr;
        Retained keep(child);
        result = child->onMouseUp(where, buttons, index);
    }
    if (closeMode == kCloseAfterRelease) close();
    return result;
}

int32_t BWViewContainer::onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) {
    CView* child = getPressedChild(index);
    if (isVisible()) {
        if (!child) return kMouseHandledNoMoves;
        Retained keep(child);
        return child->onMouseMoved(where, buttons, index);
    }
    onMouseCancel(index);
    return kMouseEventNotHandled;
}

void BWViewContainer::onMouseCancel(int32_t index) {
    CView* child = getPressedChild(index);
    if (!child) return;
    pressed[index] = nullptr;
    Retained keep(child);
    child->onMouseCancel(index);
}

int32_t BWViewContainer::onMouseEntered(CPoint& where, const CButtonState&) {
    return isVisible() && size.pointInside(where) ? 1 : 2;
}

int32_t BWViewContainer::onMouseExited(CPoint&, const CButtonState&) { return isVisible() ? 1 : 2; }

bool BWViewContainer::hitTest(const CPoint& where, const CButtonState& buttons) {
    if (!mouseableArea.pointInside(where) || !isVisible() || !getMouseEnabled()) return false;
    if (!hitOnlyThroughChildren) return true;
    for (auto at = children.rbegin(); at != children.rend(); ++at)
        if (at->view->hitTest(where, buttons)) return true;
    return false;
}

bool BWViewContainer::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    if (!isVisible()) return false;
    Retained self(this);
    for (size_t i = children.size(); i-- > 0;) {
        if (i >= children.size()) continue;
        CView* child = children[i].view;
        if (!child->getViewSize().pointInside(where)) continue;
        Retained keep(child);
        if (child->onWheel(where, distance, buttons)) return true;
    }
    return false;
}

// --- drag and drop, keys -------------------------------------------------------------

bool BWViewContainer::onDrop(CDragContainer* drag, const CPoint& where) {
    CView* child = dragChild;
    dragChild = nullptr;
    if (!child) return false;
    Retained keep(child);
    return child->onDrop(drag, where);
}

void BWViewContainer::onDragEnter(CDragContainer* drag, const CPoint& where) {
    dragChild = getViewAt(where);
    if (CView* child = dragChild) {
        Retained keep(child);
        child->onDragEnter(drag, where);
    }
}

void BWViewContainer::onDragLeave(CDragContainer* drag, const CPoint& where) {
    CView* child = dragChild;
    dragChild = nullptr;
    if (!child) return;
    Retained keep(child);
    child->onDragLeave(drag, where);
}

void BWViewContainer::onDragMove(CDragContainer* drag, const CPoint& where) {
    CView* under = getViewAt(where);
    if (under == dragChild) {
        if (under) {
            Retained keep(under);
            under->onDragMove(drag, where);
        }
        return;
    }
    onDragLeave(drag, where);
    onDragEnter(drag, where);
}

int32_t BWViewContainer::keyToChildren(VstKeyCode& keyCode, int32_t (CView::*handler)(VstKeyCode&)) {
    Retained self(this);
    for (size_t i = 0; i < children.size(); ++i) {
        CView* child = children[i].view;
        Retained keep(child);
        const int32_t result = (child->*handler)(keyCode);
        if (result != -1) return result;
    }
    return -1;
}

int32_t BWViewContainer::onKeyDown(VstKeyCode& keyCode) { return keyToChildren(keyCode, &CView::onKeyDown); }
int32_t BWViewContainer::onKeyUp(VstKeyCode& keyCode) { return keyToChildren(keyCode, &CView::onKeyUp); }

// --- idle, activation, closing -------------------------------------------------------

void BWViewContainer::updateHover() {
    if (!owner || owner->getCurrentMouseButtons() != 0) return;
    CPoint where;
    if (!owner->getCurrentLocation(where) || !owner->getViewSize().pointInside(where)) return;
    CView* under = getViewAt(where);
    if (under == hovered) return;
    const CButtonState none = 0;
    // The frame's own pointer tracking reaches into containers: a child it
    // tracks hears enter and exit from the frame, not twice.
    CView* trackedByFrame = owner->getMouseOverView();
    if (CView* left = hovered) {
        hovered = nullptr;
        if (!hoverFromFrame) {
            Retained keep(left);
            left->onMouseExited(where, none);
        }
    }
    hovered = under;
    hoverFromFrame = under && under == trackedByFrame;
    if (under && !hoverFromFrame) {
        Retained keep(under);
        under->onMouseEntered(where, none);
    }
}

void BWViewContainer::idle(int32_t argument) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!isVisible()) return;
    BWControl::idle(argument);
    Retained self(this);
    for (size_t i = 0; i < children.size(); ++i)
        if (auto* widget = dynamic_cast<BWFrameWidget*>(children[i].view)) widget->idleTick(argument);
    updateHover();
    if (idleHook) idleHook(this, idleArgument);
}

void BWViewContainer::activate(int32_t mode, const CPoint* position, int32_t argument) {
    if (position && owner) {
        const CRect& frameSize = owner->getViewSize();
        CRect placed(*position, CPoint(size.width(), size.height()));
        placed.offset(std::min(0, frameSize.right - placed.right), std::min(0, frameSize.bottom - placed.bottom));
        setViewSizeWithMargins(placed);
    }
    closeMode = closeModeDefault != kModeOfActivation ? closeModeDefault : mode;
    if (touchFlag) storeShared(*touchFlag, 1.0f);
    setVisible(true);
    if (owner && !owner->isChild(this)) {
        owner->CViewContainer::addView(this);
        // The frame takes back the reference a close left with us, or holds
        // the container only while it is up.
        addedByActivation = !holdsOwnReference;
        holdsOwnReference = false;
    }
    if (activationHook) {
        intValue = argument;
        activationHook(this, activationArgument);
    }
    BWControl::activate(mode);
}

void BWViewContainer::looseFocus() {
    Retained self(this);
    BWControl::looseFocus();
    if (touchFlag) storeShared(*touchFlag, 0.0f);
    setVisible(false);
    if (owner) {
        if (owner->removeView(this, false)) {
            // The frame drops its list's reference; the one it took over
            // when the container was added stays with the container.
            holdsOwnReference = !addedByActivation;
            addedByActivation = false;
        }
        owner->requestRedraw();
    }
    forgetPressedChildren();
    hovered = nullptr;
    dragChild = nullptr;
}

void BWViewContainer::ownerClosing() {
    BWControl::ownerClosing();
    if (!holdsOwnReference) return;
    holdsOwnReference = false;
    forget();  // the frame still holds the container in its widget list
}

bool BWViewContainer::close() {
    looseFocus();
    return true;
}

}  // namespace VSTGUI
