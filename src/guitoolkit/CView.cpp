#include "guitoolkit/CView.h"

#include <algorithm>
#include <cstring>

#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CFrame.h"
#include "guitoolkit/CViewContainer.h"

namespace VSTGUI {

CView::CView(const CRect& size) : size(size), mouseableArea(size) {}

CView::CView(const CView& other)
    : CBaseObject(other),
      size(other.size),
      mouseableArea(other.mouseableArea),
      mouseEnabled(other.mouseEnabled),
      transparent(other.transparent),
      focusWanted(other.focusWanted),
      autosizeFlags(other.autosizeFlags),
      background(other.background),
      attributes(other.attributes) {
    if (background) background->remember();
}

CView::~CView() {
    if (background) background->forget();
}

void CView::draw(CDrawContext* context) {
    if (background && context) drawBitmap(context, background, size, CPoint());
    setDirty(false);
}

void CView::drawBitmap(CDrawContext* context, CBitmap* bitmap, const CRect& rect, const CPoint& offset) const {
    if (transparent)
        bitmap->drawTransparent(context, rect, offset);
    else
        bitmap->draw(context, rect, offset);
}

void CView::drawRect(CDrawContext* context, const CRect& /*updateRect*/) { draw(context); }

bool CView::checkUpdate(const CRect& rect) const { return size.rectOverlap(rect); }

bool CView::isDirty() const { return dirty; }

void CView::setDirty(bool value) { dirty = value; }

void CView::invalidRect(const CRect& rect) {
    if (!attachedFlag || !isVisible()) return;
    if (parentView)
        parentView->invalidRect(rect);
    else if (parentFrame)
        parentFrame->invalidRect(rect);
}

void CView::invalid() {
    setDirty(false);
    invalidRect(size);
}

void CView::setVisible(bool value) {
    if (visible == value) return;
    visible = value;
    setDirty(true);
}

bool CView::isVisible() const { return visible; }

int32_t CView::onMouseDown(CPoint&, const CButtonState&, int32_t) { return kMouseEventNotHandled; }
int32_t CView::onMouseUp(CPoint&, const CButtonState&, int32_t) { return kMouseEventNotHandled; }
int32_t CView::onMouseMoved(CPoint&, const CButtonState&, int32_t) { return kMouseEventNotHandled; }
void CView::onMouseCancel(int32_t) {}
bool CView::acceptsSecondPress() const { return false; }
int32_t CView::onMouseEntered(CPoint&, const CButtonState&) { return 0; }
int32_t CView::onMouseExited(CPoint&, const CButtonState&) { return 0; }

bool CView::hitTest(const CPoint& where, const CButtonState&) { return mouseableArea.pointInside(where); }

bool CView::onWheel(const CPoint& where, int32_t axis, float distance, const CButtonState& buttons) {
    return onWheel(where, axis == 0 ? -distance : distance, buttons);
}

bool CView::onWheel(const CPoint&, float, const CButtonState&) { return false; }

void CView::setMouseEnabled(bool enabled) { mouseEnabled = enabled; }
bool CView::getMouseEnabled() const { return mouseEnabled; }
void CView::setMouseableArea(const CRect& rect) { mouseableArea = rect; }
CRect& CView::getMouseableArea() { return mouseableArea; }
CRect& CView::getMouseableArea(CRect& rect) const { return rect = mouseableArea; }

bool CView::onDrop(CDragContainer*, const CPoint&) { return false; }
void CView::onDragEnter(CDragContainer*, const CPoint&) {}
void CView::onDragLeave(CDragContainer*, const CPoint&) {}
void CView::onDragMove(CDragContainer*, const CPoint&) {}

int32_t CView::onKeyDown(VstKeyCode&) { return -1; }
int32_t CView::onKeyUp(VstKeyCode&) { return -1; }

void CView::setViewSize(const CRect& rect, bool invalidate) {
    size = rect;
    if (invalidate) setDirty(true);
}

const CRect& CView::getViewSize() const { return size; }
CRect& CView::getViewSize(CRect& rect) const { return rect = size; }

CView* CView::parentContainer() const {
    return parentView && parentView->isTypeOf("CViewContainer") ? parentView : nullptr;
}

CRect CView::getVisibleSize() const {
    if (auto* container = static_cast<CViewContainer*>(parentContainer()))
        return container->getVisibleSize(size);
    if (parentFrame) return parentFrame->getVisibleSize(size);
    return CRect();
}

void CView::parentSizeChanged() {}

CPoint& CView::frameToLocal(CPoint& point) const {
    if (auto* container = parentContainer()) return container->frameToLocal(point);
    return point;
}

CPoint& CView::localToFrame(CPoint& point) const {
    if (auto* container = parentContainer()) return container->localToFrame(point);
    return point;
}

void CView::setAutosizeFlags(int32_t flags) { autosizeFlags = flags; }
int32_t CView::getAutosizeFlags() const { return autosizeFlags; }
void CView::looseFocus() {}
void CView::takeFocus() {}
bool CView::wantsFocus() const { return focusWanted; }
void CView::setWantsFocus(bool wants) { focusWanted = wants; }

void CView::setBackground(CBitmap* bitmap) {
    if (bitmap) bitmap->remember();  // first, in case it is the current one
    if (background) background->forget();
    background = bitmap;
    setDirty(true);
}

CBitmap* CView::getBackground() const { return background; }
void CView::setTransparency(bool value) { transparent = value; }
bool CView::getTransparency() const { return transparent; }

bool CView::removed(CView*) {
    if (!attachedFlag) return false;
    // A view removed with its container must not stay the frame's focus or
    // mouse-over view.
    if (parentFrame) parentFrame->onViewRemoved(this);
    attachedFlag = false;
    parentFrame = nullptr;
    parentView = nullptr;
    return true;
}

bool CView::attached(CView* parent) {
    if (attachedFlag) return false;
    parentView = parent;
    parentFrame = parent ? parent->getFrame() : nullptr;
    attachedFlag = true;
    return true;
}

VSTGUIEditorInterface* CView::getEditor() const { return parentFrame ? parentFrame->getEditor() : nullptr; }

bool CView::isTypeOf(const char* name) const { return name && std::strcmp(name, "CView") == 0; }

CView* CView::newCopy() const { return new CView(*this); }

bool CView::setAttribute(uint32_t id, int32_t length, const void* data) {
    if (length < 0 || (length > 0 && !data)) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    auto it = std::find_if(attributes.begin(), attributes.end(), [id](const Attribute& a) { return a.id == id; });
    if (it == attributes.end()) it = attributes.insert(attributes.end(), Attribute{id, {}});
    it->data.assign(bytes, bytes + length);
    return true;
}

bool CView::getAttributeSize(uint32_t id, int32_t& length) const {
    for (const auto& a : attributes)
        if (a.id == id) {
            length = static_cast<int32_t>(a.data.size());
            return true;
        }
    return false;
}

bool CView::getAttribute(uint32_t id, int32_t inSize, void* buffer, int32_t& outSize) const {
    for (const auto& a : attributes) {
        if (a.id != id) continue;
        if (!buffer || inSize < static_cast<int32_t>(a.data.size())) return false;
        if (!a.data.empty()) std::memcpy(buffer, a.data.data(), a.data.size());
        outSize = static_cast<int32_t>(a.data.size());
        return true;
    }
    return false;
}

}  // namespace VSTGUI
