#include "guitoolkit/CFrame.h"

#include <chrono>
#include <cmath>
#include <cstring>

#include "guitoolkit/VSTGUIEditorInterface.h"

namespace VSTGUI {

namespace {
// A focus change that makes another one on the way (a view that loses focus
// and moves it) is ignored: one process-wide flag marks a change under way.
bool focusChanging = false;

// Tells the containers between the view and the frame that the focus came or went.
void notifyContainers(CView* view, const CFrame* frame, const char* message) {
    for (CView* parent = view->getParentView(); parent && parent != frame; parent = parent->getParentView())
        parent->notify(view, message);
}
}  // namespace

bool CFrame::isTypeOf(const char* name) const {
    return name && (std::strcmp(name, "CFrame") == 0 || CViewContainer::isTypeOf(name));
}

VSTGUIEditorInterface* CFrame::getEditor() const { return editor; }

void CFrame::invalidRect(const CRect& rect) {
    if (!isVisible()) return;
    const float zoom = editor ? editor->getZoomFactor() : 1.0f;
    if (zoom == 1.0f) {
        invalidateWindow(rect);
        return;
    }
    CRect r;
    if (zoom == std::floor(zoom) && zoom >= 2.0f && zoom <= 6.0f) {
        const auto k = static_cast<int32_t>(zoom);
        r = CRect(rect.left * k, rect.top * k, rect.right * k, rect.bottom * k);
    } else {
        // Bilinear zoom reads a neighbour pixel on each side.
        r.left = std::max(0, static_cast<int32_t>(rect.left * zoom - zoom));
        r.top = std::max(0, static_cast<int32_t>(rect.top * zoom - zoom));
        r.right = static_cast<int32_t>(rect.right * zoom + zoom);
        r.bottom = static_cast<int32_t>(rect.bottom * zoom + zoom);
    }
    invalidateWindow(r);
}

void CFrame::invalid() {
    invalidRect(size);
    dirty = false;
}

bool CFrame::removeView(CView* view, bool withForget) {
    if (view && view == modalView) modalView = nullptr;
    return CViewContainer::removeView(view, withForget);
}

bool CFrame::removeAll(bool withForget) {
    modalView = nullptr;
    focusView = nullptr;
    mouseOverView = nullptr;
    return CViewContainer::removeAll(withForget);
}

bool CFrame::advanceNextFocusView(CView* oldFocus, bool reverse) {
    if (modalView) return false;
    return CViewContainer::advanceNextFocusView(oldFocus, reverse);
}

bool CFrame::open(CPoint*) { return false; }
bool CFrame::close() { return false; }
bool CFrame::isOpen() const { return openFlag; }

bool CFrame::idle() {
    if (!openFlag) return false;
    invalidateDirtyViews();
    ++idleCount;
    return true;
}

void CFrame::doIdleStuff() {
    if (editor) editor->doIdleStuff();
}

int32_t CFrame::getKnobMode() const { return editor ? editor->getKnobMode() : 0; }
bool CFrame::setPosition(int32_t, int32_t) { return false; }

bool CFrame::getSize(CRect& rect) const { return getSize(&rect); }

bool CFrame::setModalView(CView* view) {
    if (!view) {
        if (modalView) CViewContainer::removeView(modalView, false);
        modalView = nullptr;
        return true;
    }
    if (modalView || view->isAttached()) return false;
    modalView = view;
    addView(view);
    return true;
}

CView* CFrame::getModalView() const { return modalView; }

void CFrame::beginEdit(int32_t index) {
    if (editor) editor->beginEdit(index);
}

void CFrame::endEdit(int32_t index) {
    if (editor) editor->endEdit(index);
}

void CFrame::setFocusView(CView* view) {
    if (view == focusView || focusChanging) return;
    focusChanging = true;
    CView* old = focusView;
    focusView = view;
    if (view && view->wantsFocus()) {
        view->setDirty(true);
        notifyContainers(view, this, kMsgNewFocusView);
    }
    if (old) {
        Retained keep(old);  // losing focus may end an edit whose listener releases the view
        if (old->wantsFocus()) {
            old->setDirty(true);
            notifyContainers(old, this, kMsgOldFocusView);
        }
        old->looseFocus();
    }
    focusChanging = false;
}

CView* CFrame::getFocusView() const { return focusView; }

void CFrame::onViewRemoved(CView* view) {
    if (mouseOverView == view) mouseOverView = nullptr;
    if (focusView == view) focusView = nullptr;
}

bool CFrame::isDropActive() const { return dropActive; }
void CFrame::setOpenFlag(bool value) { openFlag = value; }
bool CFrame::getOpenFlag() const { return openFlag; }

void CFrame::invalidate(const CRect& rect) {
    for (CView* child : children)
        if (child->getViewSize().rectOverlap(rect)) child->setDirty(true);
}

void* CFrame::getMouseObserver() const { return mouseObserver; }
void CFrame::setMouseObserver(void* observer) { mouseObserver = observer; }

}  // namespace VSTGUI
