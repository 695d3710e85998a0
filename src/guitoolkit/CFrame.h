#pragma once
// The root of the view tree.  This is the frame's toolkit half: the modal,
// focus and mouse-over views, the editor link (edits, idle, zoom), repaint
// requests and the open text field.  The window half (the native window, the
// translation of its messages into view events, painting through the back
// buffer, cursors and resizing) builds on this class; until then the window
// operations answer as a frame without a window does.
//
// Slots continue after the container's 79, in the order declared here.
// Repaint requests end in invalidateWindow, which the window half (and tests)
// override.  GUI thread only.

#include "guitoolkit/CViewContainer.h"

namespace VSTGUI {

class CDrawContext;
class EditField;
class VSTGUIEditorInterface;

class CFrame : public CViewContainer {
public:
    CFrame(const CRect& size, void* parentWindow = nullptr, VSTGUIEditorInterface* editor = nullptr);
    ~CFrame() override;

    using CViewContainer::getVisibleSize;

    void invalidRect(const CRect& rect) override;
    void invalid() override;
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

protected:
    // Repaints a rectangle of the window (window pixels).  Without a window
    // nothing is drawn, so nothing needs repainting.
    virtual void invalidateWindow(const CRect& rect);

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
};

}  // namespace VSTGUI
