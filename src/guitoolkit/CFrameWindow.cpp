// The window half of CFrame: its window, the window procedure, painting,
// cursors, the pointer and resizing.  See CFrame.h.

#include <cairo.h>

#include <cstring>

#include "core/AudioEffectX.h"
#include "core/StateTurn.h"
#include "guitoolkit/AEffGUIEditor.h"
#include "guitoolkit/CDropTarget.h"
#include "guitoolkit/CFrame.h"
#include "guitoolkit/COffscreenContext.h"
#include "guitoolkit/EditField.h"
#include "guitoolkit/EditorZoom.h"

namespace VSTGUI {

namespace {

using platform::WindowEvent;

CButtonState buttonsOf(uint32_t state) {
    CButtonState buttons = 0;
    if (state & platform::kStateLeft) buttons |= kLButton;
    if (state & platform::kStateRight) buttons |= kRButton;
    if (state & platform::kStateMiddle) buttons |= kMButton;
    if (state & platform::kStateShift) buttons |= kShift;
    if (state & platform::kStateControl) buttons |= kControl;
    if (state & platform::kStateX1) buttons |= kButton4;
    if (state & platform::kStateX2) buttons |= kButton5;
    if (state & platform::kStateAlt) buttons |= kAlt;
    return buttons;
}

CButtonState modifiersOf(uint32_t state) {
    return buttonsOf(state & (platform::kStateShift | platform::kStateControl | platform::kStateAlt));
}

uint8_t virtualKeyOf(platform::WindowKey key) {
    using platform::WindowKey;
    switch (key) {
        case WindowKey::Add: return kKeyAdd;
        case WindowKey::Subtract: return kKeySubtract;
        case WindowKey::Back: return kKeyBack;
        case WindowKey::Tab: return kKeyTab;
        case WindowKey::Return: return kKeyReturn;
        case WindowKey::Escape: return kKeyEscape;
        case WindowKey::Left: return kKeyLeft;
        case WindowKey::Right: return kKeyRight;
        case WindowKey::Up: return kKeyUp;
        case WindowKey::Down: return kKeyDown;
        case WindowKey::Home: return kKeyHome;
        case WindowKey::End: return kKeyEnd;
        case WindowKey::Delete: return kKeyDelete;
        case WindowKey::Other: break;
    }
    return 0;
}

platform::CursorShape cursorOf(int32_t type, platform::CursorShape saved) {
    using platform::CursorShape;
    switch (type) {
        case 1: return CursorShape::Wait;
        case 2: return CursorShape::SizeWE;
        case 3: return CursorShape::SizeNS;
        case 4: return CursorShape::SizeAll;
        case 5: return CursorShape::SizeNESW;
        case 6: return CursorShape::SizeNWSE;
        case 8: return CursorShape::No;
        case 9: return CursorShape::Hand;
        default: return saved;
    }
}

}  // namespace

CFrame::CFrame(const CRect& size, void* parentWindow, VSTGUIEditorInterface* editor)
    : CViewContainer(size), editor(editor), parentWindow(parentWindow) {
    parentFrame = this;
    attachedFlag = true;
    initFrame(parentWindow);
}

CFrame::~CFrame() {
    if (modalView) CViewContainer::removeView(modalView, false);
    modalView = nullptr;
    setCursor(0);
    setDropActive(false);
    focusView = nullptr;
    mouseOverView = nullptr;
    removeAll(true);
    parentFrame = nullptr;
    if (backBuffer) backBuffer->forget();
    backBuffer = nullptr;
    closeWindow();
}

bool CFrame::initFrame(void* parent) {
    if (!parent) return false;
    int32_t width = size.width(), height = size.height();
    if (const EditorZoom* zoom = zoomOf(); zoom && zoom->designWidth > 0) {
        width = zoom->zoomedWidth;
        height = zoom->zoomedHeight;
    }
    window = platform::windowSystem().createWindow(platform::windowIdOf(parent), width, height, this);
    if (!window) return false;
    setDropActive(true);
    return true;
}

void CFrame::closeWindow() {
    if (!window) return;
    platform::WindowSystem& windows = platform::windowSystem();
    windows.setHandler(window, nullptr);
    windows.destroyWindow(window);
    window = 0;
}

EditorZoom* CFrame::zoomOf() const {
    auto* base = dynamic_cast<AEffGUIEditor*>(editor);
    return base ? &base->getZoom() : nullptr;
}

float CFrame::inverseZoom() const {
    if (const EditorZoom* zoom = zoomOf()) return zoom->inverseFactor;
    return editor ? 1.0f / editor->getZoomFactor() : 1.0f;
}

CPoint CFrame::toViewPoint(int32_t x, int32_t y) const {
    const float inverse = inverseZoom();
    return CPoint(static_cast<int32_t>(x * inverse), static_cast<int32_t>(y * inverse));
}

void CFrame::invalidateWindow(const CRect& rect) {
    if (window) platform::windowSystem().invalidate(window, {rect.left, rect.top, rect.right, rect.bottom});
}

uint32_t CFrame::getTicks() const { return platform::windowSystem().tickCount(); }

// --- the window procedure ------------------------------------------------------------

void CFrame::handleWindowEvent(const WindowEvent& event) {
    // Every view draws and takes input here: the models they show must not
    // change under them (core/StateTurn.h).
    ZORVANE_ASSERT_EDITOR_TURN();
    platform::WindowSystem& windows = platform::windowSystem();
    Retained keep(this);  // a view may close the editor from an event
    switch (event.kind) {
        case WindowEvent::Kind::Destroy:
            setOpenFlag(false);
            parentWindow = nullptr;
            window = 0;
            break;
        case WindowEvent::Kind::Paint:
            paint(CRect(event.paintRect.left, event.paintRect.top, event.paintRect.right, event.paintRect.bottom),
                  event.paintPieces);
            break;
        case WindowEvent::Kind::KeyDown:
        case WindowEvent::Kind::KeyUp:
            keyFromWindow(event, event.kind == WindowEvent::Kind::KeyDown);
            break;
        case WindowEvent::Kind::MouseMove: {
            CPoint where = toViewPoint(event.x, event.y);
            onMouseMoved(where, buttonsOf(event.state), 0);
            break;
        }
        case WindowEvent::Kind::MouseDown: {
            CPoint where = toViewPoint(event.x, event.y);
            const CButtonState buttons = buttonsOf(event.state) | (event.doubleClick ? kDoubleClick : 0);
            if (onMouseDown(where, buttons, 0) == kMouseEventHandled && window) windows.setCapture(window);
            break;
        }
        case WindowEvent::Kind::MouseUp: {
            CPoint where = toViewPoint(event.x, event.y);
            onMouseUp(where, buttonsOf(event.state), 0);
            windows.releaseCapture();
            break;
        }
        case WindowEvent::Kind::Wheel: {
            platform::WindowRect r;
            if (!windows.windowRect(window, r)) break;
            const CPoint where = toViewPoint(event.x - r.left, event.y - r.top);
            onWheel(where, static_cast<float>(event.wheelDelta / 120), modifiersOf(event.state));
            break;
        }
        case WindowEvent::Kind::MouseLeave: {
            CPoint where;
            getCurrentLocation(where);
            onMouseExited(where, getCurrentMouseButtons());
            break;
        }
        case WindowEvent::Kind::Drop:
            if (dropTarget) dropTarget->deliver(event.dropText, event.dropFiles);
            break;
        case WindowEvent::Kind::Close:  // only top-level windows hear it; the frame's is a child
            break;
    }
}

void CFrame::keyFromWindow(const WindowEvent& event, bool down) {
    VstKeyCode key{event.character, virtualKeyOf(event.key), 0};
    if (event.state & platform::kStateShift) key.modifier |= kModifierShift;
    if (event.state & platform::kStateAlt) key.modifier |= kModifierAlt;
    if (event.state & platform::kStateControl) key.modifier |= kModifierControl;
    // An open text field has the keyboard, as the system's edit control had.
    if (editField) {
        down ? editField->keyDown(key) : editField->keyUp(key);
        return;
    }
    const bool zoomKey = event.key == platform::WindowKey::Add || event.key == platform::WindowKey::Subtract;
    if (down && zoomKey && (event.state & platform::kStateControl)) {
        VstKeyCode zoomCode{0, virtualKeyOf(event.key), kModifierControl};
        onKeyDown(zoomCode);
    }
}

// --- paint ---------------------------------------------------------------------------

void CFrame::paintWindow(const CRect& rect) { paint(rect, {}); }

void CFrame::paint(const CRect& paintRect, std::span<const platform::WindowRect> pieces) {
    if (!window || paintRect.isEmpty()) return;
    if (!backBuffer) backBuffer = new COffscreenContext(this, size.width(), size.height(), colourBlack);
    const platform::WindowSurface target = platform::windowSystem().surface(window);
    // Only what was made invalid is drawn and blitted, piece by piece, while
    // the surface still holds the rest; a new surface holds none of it.
    const bool sameSurface = target.pixels == paintedSurface.pixels && target.width == paintedSurface.width &&
                             target.height == paintedSurface.height;
    paintedSurface = target;
    if (!sameSurface || pieces.empty()) {
        paintPiece(paintRect, target);
    } else {
        for (const platform::WindowRect& piece : pieces)
            paintPiece(CRect(piece.left, piece.top, piece.right, piece.bottom), target);
    }
    checkResize();
}

void CFrame::paintPiece(const CRect& piece, const platform::WindowSurface& target) {
    CRect update = piece;
    const EditorZoom* zoom = zoomOf();
    const float factor = zoom ? zoom->totalFactor : (editor ? editor->getZoomFactor() : 1.0f);
    if (factor != 1.0f) {
        const float inverse = 1.0f / factor;
        update = CRect(static_cast<int32_t>(piece.left * inverse), static_cast<int32_t>(piece.top * inverse),
                       static_cast<int32_t>(piece.right * inverse), static_cast<int32_t>(piece.bottom * inverse));
        platform::WindowRect r;
        const platform::ScreenInfo screen = platform::windowSystem().screen();
        if (platform::windowSystem().windowRect(window, r)) {
            if (r.right > screen.width) update.right += 2;
            if (r.bottom > screen.height) update.bottom += 2;
        }
    }
    drawRect(backBuffer, update);
    if (editField) editField->draw(backBuffer);

    cairo_surface_t* image = backBuffer->getSurface();
    cairo_surface_flush(image);
    const auto* pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(image));
    const int32_t stride = cairo_image_surface_get_stride(image) / 4;
    static const EditorZoom plainCopy;  // the blit of a frame without an editor base
    const EditorZoom& blitter = zoom ? *zoom : plainCopy;
    blitter.blit(pixels, stride, backBuffer->getWidth(), backBuffer->getHeight(), target, piece);
}

// After the host's window was dragged to a new size, the zoom step whose
// width matches takes over; no match puts the window back.
void CFrame::checkResize() {
    EditorZoom* zoom = zoomOf();
    auto* base = dynamic_cast<AEffGUIEditor*>(editor);
    if (!zoom || !base || !zoom->resizable || !zoom->resizePending) return;
    platform::WindowRect parent;
    if (!parentWindow || !platform::windowSystem().windowRect(platform::windowIdOf(parentWindow), parent)) return;
    zoom->resizePending = false;
    if (std::abs(parent.width() - zoom->zoomedWidth) < 21) return;
    for (float step : zoom->steps) {
        const auto width = static_cast<int32_t>(zoom->designWidth * zoom->baseFactor * step);
        if (std::abs(width - parent.width()) < 20) {
            if (step > 0.0f) return base->zoom(step, false);
            break;
        }
    }
    base->zoom(zoom->userFactor(), false);
}

void CFrame::draw(CDrawContext* context) { drawRect(context, size); }

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect) {
    if (!context) context = backBuffer;
    if (!context) return;
    context->remember();
    CRect previous;
    context->getClipRect(previous);
    CRect clip = updateRect;
    clip.offset(-context->getOffset().x, -context->getOffset().y);
    clip.bound(previous);
    context->setClipRect(clip);
    if (!updateRect.isEmpty()) CViewContainer::drawRect(context, updateRect);
    context->setClipRect(previous);
    context->forget();
}

// --- mouse, wheel and keys -----------------------------------------------------------

int32_t CFrame::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) {
    if (index == 0 || index == 1) {
        if (CView* left = pressedViews[index]) {
            pressedViews[index] = nullptr;
            left->onMouseCancel(index);
        }
    }
    if (focusView) setFocusView(nullptr);
    return CViewContainer::onMouseDown(where, buttons, index);
}

int32_t CFrame::onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) {
    if (!trackingMouse && window) {
        platform::windowSystem().trackLeave(window);
        trackingMouse = true;
    }
    if (modalView) {
        Retained keep(modalView);
        return modalView->onMouseMoved(where, buttons, index);
    }
    if ((index == 0 || index == 1) && pressedViews[index]) {
        CView* pressed = pressedViews[index];
        Retained keep(pressed);
        CPoint local = where;
        if (CView* parent = pressed->getParentView(); parent && parent != this) parent->frameToLocal(local);
        if (pressed->onMouseMoved(local, buttons, index) == kMouseEventHandled) return kMouseEventHandled;
        if (pressedViews[index] == pressed) pressedViews[index] = nullptr;
    }
    CView* under = getViewAt(where, true);
    if (under != mouseOverView) {
        if (CView* old = mouseOverView) {
            Retained keep(old);
            CPoint local = where;
            old->frameToLocal(local);
            old->onMouseExited(local, buttons);
        }
        mouseOverView = under;
        if (under) {
            Retained keep(under);
            CPoint local = where;
            under->frameToLocal(local);
            under->onMouseEntered(local, buttons);
        }
        return kMouseEventHandled;
    }
    if (!under) return kMouseEventNotHandled;
    Retained keep(under);
    CPoint local = where;
    under->frameToLocal(local);
    return under->onMouseMoved(local, buttons, index);
}

int32_t CFrame::onMouseExited(CPoint& where, const CButtonState& buttons) {
    if (CView* old = mouseOverView) {
        Retained keep(old);
        old->onMouseExited(where, buttons);
    }
    mouseOverView = nullptr;
    trackingMouse = false;
    return kMouseEventHandled;
}

bool CFrame::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    return onWheel(where, 1, distance, buttons);
}

bool CFrame::onWheel(const CPoint& where, int32_t axis, float distance, const CButtonState& buttons) {
    if (pressedViews[0]) return false;
    CView* candidate = modalView ? modalView : getViewAt(where, false);
    while (candidate) {
        Retained keep(candidate);
        const CPoint local(where.x - size.left, where.y - size.top);
        if (candidate->onWheel(local, axis, distance, buttons)) return true;
        if (candidate == modalView) return false;
        candidate = getViewBehind(where, candidate);
    }
    return false;
}

int32_t CFrame::onKeyDown(VstKeyCode& keyCode) {
    const bool zoomModifier = keyCode.modifier == kModifierControl || keyCode.modifier == kModifierCommand;
    auto* base = dynamic_cast<AEffGUIEditor*>(editor);
    if (base && zoomModifier) {
        EditorZoom& zoom = base->getZoom();
        if (zoom.resizable && (keyCode.virt == kKeyAdd || keyCode.virt == kKeySubtract)) {
            const int32_t step = zoom.nearestStep(zoom.userFactor()) + (keyCode.virt == kKeyAdd ? 1 : -1);
            if (step >= 0 && static_cast<size_t>(step) < zoom.steps.size() && zoom.steps[step] != 0.0f)
                base->zoom(zoom.steps[step], false);
            return 1;
        }
        if (keyCode.virt == kKeyNumpad0 || keyCode.character == 48) {
            base->zoom(zoom.baseFactor, false);
            return 1;
        }
    }
    if (const int32_t result = keyToFocusOrModal(keyCode, &CView::onKeyDown); result != -1) return result;
    if (keyCode.virt == kKeyTab)
        return advanceNextFocusView(focusView, (keyCode.modifier & kModifierShift) != 0) ? 1 : -1;
    return -1;
}

int32_t CFrame::onKeyUp(VstKeyCode& keyCode) { return keyToFocusOrModal(keyCode, &CView::onKeyUp); }

int32_t CFrame::keyToFocusOrModal(VstKeyCode& keyCode, int32_t (CView::*handler)(VstKeyCode&)) {
    for (CView* view : {focusView, modalView}) {
        if (!view) continue;
        Retained keep(view);
        const int32_t result = (view->*handler)(keyCode);
        if (result != -1) return result;
    }
    return -1;
}

// --- cursor, pointer, position and size ----------------------------------------------

void CFrame::setCursor(int32_t type) {
    platform::WindowSystem& windows = platform::windowSystem();
    if (!window) return;
    if (!cursorSaved) {
        savedCursor = windows.cursor(window);
        cursorSaved = true;
    }
    windows.setCursor(window, cursorOf(type, savedCursor));
}

bool CFrame::getCurrentLocation(CPoint& where) {
    if (idleCount != locationIdleCount) {
        platform::WindowSystem& windows = platform::windowSystem();
        int32_t x = 0, y = 0;
        windows.pointerPosition(x, y);
        platform::WindowRect r;
        if (window && windows.windowRect(window, r)) {
            x -= r.left;
            y -= r.top;
        }
        cachedLocation = toViewPoint(x, y);
        locationIdleCount = idleCount;
    }
    where = cachedLocation;
    return true;
}

CButtonState CFrame::getCurrentMouseButtons() const {
    const platform::WindowSystem& windows = platform::windowSystem();
    uint32_t state = windows.inputState();
    if (windows.buttonsSwapped()) {
        const uint32_t left = state & platform::kStateLeft, right = state & platform::kStateRight;
        state = (state & ~(platform::kStateLeft | platform::kStateRight)) | (left ? uint32_t{platform::kStateRight} : 0u) |
                (right ? uint32_t{platform::kStateLeft} : 0u);
    }
    return buttonsOf(state & ~(platform::kStateX1 | platform::kStateX2));
}

bool CFrame::getPosition(int32_t& x, int32_t& y) const {
    x = y = 0;
    if (!window) return true;
    platform::WindowSystem& windows = platform::windowSystem();
    platform::WindowId outer = window;
    for (;;) {
        const platform::WindowId parent = windows.parentOf(outer);
        platform::WindowRect a, b;
        if (windows.hasCaption(outer) || !parent || !windows.windowRect(outer, a) || !windows.windowRect(parent, b))
            break;
        if (std::abs(b.width() - a.width()) > 60 || std::abs(b.height() - a.height()) > 60) break;
        outer = parent;
    }
    platform::WindowRect r, p;
    if (!windows.windowRect(outer, r)) return true;
    x = r.left;
    y = r.top;
    if (const platform::WindowId parent = windows.parentOf(outer); parent && windows.windowRect(parent, p)) {
        x -= p.left;
        y -= p.top;
    }
    return true;
}

bool CFrame::getSize(CRect* rect) const {
    if (!rect) return false;
    platform::WindowSystem& windows = platform::windowSystem();
    const platform::WindowId parent = window ? windows.parentOf(window) : 0;
    platform::WindowRect r, origin;
    if (!parent || !windows.windowRect(parent, r)) {
        *rect = size;
        return true;
    }
    if (const platform::WindowId grand = windows.parentOf(parent); grand && windows.windowRect(grand, origin)) {
        r.left -= origin.left;
        r.right -= origin.left;
        r.top -= origin.top;
        r.bottom -= origin.top;
    }
    *rect = CRect(r.left, r.top, r.right, r.bottom);
    return true;
}

void CFrame::setWindowSize(int32_t width, int32_t height) {
    if (window) platform::windowSystem().setWindowSize(window, width, height);
}

// Child windows here have no borders, so only the frame's window needs the
// new size when the host will not resize.
bool CFrame::setSize(int32_t width, int32_t height) {
    if (width == size.width() && height == size.height()) return false;
    if (backBuffer) backBuffer->forget();
    backBuffer = nullptr;
    auto* base = dynamic_cast<AEffGUIEditor*>(editor);
    auto* effect = base ? dynamic_cast<AudioEffectX*>(base->getEffect()) : nullptr;
    if (effect && effect->canHostDo("sizeWindow")) effect->sizeWindow(width, height);
    setWindowSize(width, height);
    setViewSize(CRect(size.left, size.top, size.left + width, size.top + height), true);
    return true;
}

void CFrame::setDropActive(bool value) {
    if (value == dropActive) return;
    dropActive = value;
    if (window) platform::windowSystem().setDropTarget(window, value);
    if (value && !dropTarget) {
        dropTarget = new CDropTarget(this);
        dropTarget->AddRef();
    } else if (!value && dropTarget) {
        dropTarget->clearFrame();
        dropTarget->Release();
        dropTarget = nullptr;
    }
}

}  // namespace VSTGUI
