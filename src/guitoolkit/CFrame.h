#pragma once
// The root of the view tree and the owner of the plug-in's one child window.
// CFrame.cpp is the toolkit half: the modal, focus and mouse-over views, the
// editor link (edits, idle, zoom), repaint requests and the open text field.
// CFrameWindow.cpp is the window half: the window in the parent the host
// gives (through the window layer), the window procedure that turns its
// events into view events (points divided by the zoom), the paint through the
// design-size back buffer and the editor's zoomed blit, cursors, the pointer
// and resizing.  Without a parent window no window is made and the frame
// works on view sizes only.
//
// Slots continue after the container's 79, in the order declared here.
// Repaint requests end in invalidateWindow, which tests may override.
// GUI thread only.

#include <span>

#include "guitoolkit/CViewContainer.h"
#include "platform/WindowSystem.h"

namespace VSTGUI {

class CDrawContext;
class CDropTarget;
class EditField;
class EditorZoom;
class VSTGUIEditorInterface;

class CFrame : public CViewContainer, public platform::WindowHandler {
public:
    CFrame(const CRect& size, void* parentWindow = nullptr, VSTGUIEditorInterface* editor = nullptr);
    ~CFrame() override;

    using CViewContainer::getVisibleSize;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void invalidRect(const CRect& rect) override;
    void invalid() override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, int32_t axis, float distance, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;
    bool removeView(CView* view, bool withForget = true) override;
    bool removeAll(bool withForget = true) override;
    bool advanceNextFocusView(CView* oldFocus, bool reverse = false) override;
    bool isTypeOf(const char* name) const override;
    VSTGUIEditorInterface* getEditor() const override;

    virtual bool open(CPoint* point = nullptr);                 // 79
    virtual bool close();                                       // 80
    virtual bool isOpen() const;                                // 81
    virtual bool idle();                                        // 82
    virtual void doIdleStuff();                                 // 83
    virtual uint32_t getTicks() const;                          // 84
    virtual int32_t getKnobMode() const;                        // 85
    virtual bool setPosition(int32_t x, int32_t y);             // 86
    virtual bool getPosition(int32_t& x, int32_t& y) const;     // 87
    virtual bool setSize(int32_t width, int32_t height);        // 88
    virtual bool getSize(CRect* rect) const;                    // 89
    virtual bool getSize(CRect& rect) const;                    // 90
    virtual bool setModalView(CView* view);                     // 91
    virtual CView* getModalView() const;                        // 92
    virtual void beginEdit(int32_t index);                      // 93
    virtual void endEdit(int32_t index);                        // 94
    virtual bool getCurrentLocation(CPoint& where);             // 95
    virtual CButtonState getCurrentMouseButtons() const;        // 96
    virtual void setCursor(int32_t type);                       // 97
    virtual void setFocusView(CView* view);                     // 98
    virtual CView* getFocusView() const;                        // 99
    virtual void onViewRemoved(CView* view);                    // 100
    virtual void setDropActive(bool value);                     // 101
    virtual bool isDropActive() const;                          // 102
    virtual void setOpenFlag(bool value);                       // 103
    virtual bool getOpenFlag() const;                           // 104
    virtual void invalidate(const CRect& rect);                 // 105
    virtual void* getMouseObserver() const;                     // 106
    virtual void setMouseObserver(void* observer);              // 107

    // The edit field that has the keyboard while a text edit is open (null
    // otherwise): the window hands it keys and focus changes and draws it.
    void setEditField(EditField* field) { editField = field; }
    EditField* getEditField() const { return editField; }
    CView* getMouseOverView() const { return mouseOverView; }

    // The window procedure.
    void handleWindowEvent(const platform::WindowEvent& event) override;
    platform::WindowId getWindow() const { return window; }
    // Paints a rectangle of the window (window pixels) now.
    void paintWindow(const CRect& rect);
    // Resizes the frame's window only (the zoom does this).
    void setWindowSize(int32_t width, int32_t height);
    COffscreenContext* getBackBuffer() const { return backBuffer; }

protected:
    // Repaints a rectangle of the window (window pixels).  Without a window
    // nothing is drawn, so nothing needs repainting.
    virtual void invalidateWindow(const CRect& rect);
    // The editor's zoom when the editor is an editor base, else null.
    EditorZoom* zoomOf() const;
    float inverseZoom() const;
    CPoint toViewPoint(int32_t x, int32_t y) const;

private:
    bool initFrame(void* parent);
    void closeWindow();
    // Paints the rectangle, or only the pieces of it that were made invalid.
    void paint(const CRect& paintRect, std::span<const platform::WindowRect> pieces);
    // Draws a rectangle of the window (window pixels) into the back buffer
    // and blits it to the window's surface.
    void paintPiece(const CRect& piece, const platform::WindowSurface& target);
    void checkResize();
    void keyFromWindow(const platform::WindowEvent& event, bool down);
    // The focus view, then the modal view, until one takes the key.
    int32_t keyToFocusOrModal(VstKeyCode& keyCode, int32_t (CView::*handler)(VstKeyCode&));

    VSTGUIEditorInterface* editor = nullptr;
    void* parentWindow = nullptr;
    CView* modalView = nullptr;
    CView* focusView = nullptr;
    CView* mouseOverView = nullptr;
    EditField* editField = nullptr;
    void* mouseObserver = nullptr;
    uint32_t idleCount = 0;
    bool openFlag = true;
    bool dropActive = false;
    platform::WindowId window = 0;
    COffscreenContext* backBuffer = nullptr;
    // The surface the last paint wrote to.
    platform::WindowSurface paintedSurface{};
    CDropTarget* dropTarget = nullptr;
    uint32_t locationIdleCount = 0xffffffffu;
    CPoint cachedLocation;
    bool trackingMouse = false;
    bool cursorSaved = false;
    platform::CursorShape savedCursor = platform::CursorShape::Arrow;
};

}  // namespace VSTGUI
