#pragma once
// The base of every element of the plug-in window: a rectangle in its parent's
// coordinates that draws itself, takes part in redrawing and receives mouse,
// wheel, key and drag events.
//
// The virtual operations are declared in the order of their fixed slots (0 to
// 3 from CBaseObject, 4 to 55 here); containers and controls continue at 56,
// the frame at 79.  Keep that order when adding overrides or operations.
//
// A view never paints outside a draw call: to change its look it marks itself
// dirty, and the frame's idle turns dirty views into repaints.  GUI thread only.

#include <cstdint>
#include <vector>

#include "guitoolkit/CBaseObject.h"
#include "guitoolkit/CRect.h"
#include "guitoolkit/KeyCodes.h"
#include "guitoolkit/MouseEvents.h"

namespace VSTGUI {

class CBitmap;
class CDragContainer;
class CDrawContext;
class CFrame;
class VSTGUIEditorInterface;

class CView : public CBaseObject {
public:
    explicit CView(const CRect& size);
    // Copies geometry, flags, background and attributes; the copy is visible,
    // clean and detached.
    CView(const CView& other);
    ~CView() override;

    virtual void draw(CDrawContext* context);                                       // 4
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);          // 5
    virtual bool checkUpdate(const CRect& rect) const;                              // 6
    virtual bool isDirty() const;                                                   // 7
    virtual void setDirty(bool dirty = true);                                       // 8
    virtual void invalidRect(const CRect& rect);                                    // 9
    virtual void invalid();                                                         // 10
    virtual void setVisible(bool visible);                                          // 11
    virtual bool isVisible() const;                                                 // 12
    virtual int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index);   // 13
    virtual int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index);     // 14
    virtual int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index);  // 15
    virtual void onMouseCancel(int32_t index);                                      // 16
    virtual bool acceptsSecondPress() const;                                        // 17
    virtual int32_t onMouseEntered(CPoint& where, const CButtonState& buttons);     // 18
    virtual int32_t onMouseExited(CPoint& where, const CButtonState& buttons);      // 19
    virtual bool hitTest(const CPoint& where, const CButtonState& buttons);         // 20
    // Axis 0 is horizontal: its distance reaches slot 22 negated.
    virtual bool onWheel(const CPoint& where, int32_t axis, float distance, const CButtonState& buttons);  // 21
    virtual bool onWheel(const CPoint& where, float distance, const CButtonState& buttons);               // 22
    virtual void setMouseEnabled(bool enabled);                                     // 23
    virtual bool getMouseEnabled() const;                                           // 24
    virtual void setMouseableArea(const CRect& rect);                               // 25
    virtual CRect& getMouseableArea();                                              // 26
    virtual CRect& getMouseableArea(CRect& rect) const;                             // 27
    virtual bool onDrop(CDragContainer* drag, const CPoint& where);                 // 28
    virtual void onDragEnter(CDragContainer* drag, const CPoint& where);            // 29
    virtual void onDragLeave(CDragContainer* drag, const CPoint& where);            // 30
    virtual void onDragMove(CDragContainer* drag, const CPoint& where);             // 31
    virtual int32_t onKeyDown(VstKeyCode& keyCode);                                 // 32
    virtual int32_t onKeyUp(VstKeyCode& keyCode);                                   // 33
    virtual void setViewSize(const CRect& rect, bool invalid = true);               // 34
    virtual const CRect& getViewSize() const;                                       // 35
    virtual CRect& getViewSize(CRect& rect) const;                                  // 36
    virtual CRect getVisibleSize() const;                                           // 37
    virtual void parentSizeChanged();                                               // 38
    virtual CPoint& frameToLocal(CPoint& point) const;                              // 39
    virtual CPoint& localToFrame(CPoint& point) const;                              // 40
    virtual void setAutosizeFlags(int32_t flags);                                   // 41
    virtual int32_t getAutosizeFlags() const;                                       // 42
    virtual void looseFocus();                                                      // 43
    virtual void takeFocus();                                                       // 44
    virtual bool wantsFocus() const;                                                // 45
    virtual void setWantsFocus(bool wants);                                         // 46
    virtual void setBackground(CBitmap* background);                                // 47
    virtual CBitmap* getBackground() const;                                         // 48
    virtual void setTransparency(bool transparent);                                 // 49
    virtual bool getTransparency() const;                                           // 50
    virtual bool removed(CView* parent);                                            // 51
    virtual bool attached(CView* parent);                                           // 52
    virtual VSTGUIEditorInterface* getEditor() const;                               // 53
    virtual bool isTypeOf(const char* name) const;                                  // 54
    virtual CView* newCopy() const;                                                 // 55

    // Attributes: small blobs stored under an id (copied in and out).
    bool setAttribute(uint32_t id, int32_t size, const void* data);
    bool getAttributeSize(uint32_t id, int32_t& size) const;
    // Copies at most inSize bytes; false when absent or the buffer is too small.
    bool getAttribute(uint32_t id, int32_t inSize, void* buffer, int32_t& outSize) const;

    CFrame* getFrame() const { return parentFrame; }
    CView* getParentView() const { return parentView; }
    bool isAttached() const { return attachedFlag; }
    // The parent as a container, when it is one.
    CView* parentContainer() const;

protected:
    // Draws the bitmap at the rectangle, leaving out its transparent colour
    // when this view is transparent.
    void drawBitmap(CDrawContext* context, CBitmap* bitmap, const CRect& rect, const CPoint& offset) const;

    CRect size;
    int32_t reserved[2] = {0, 0};
    CRect mouseableArea;
    CFrame* parentFrame = nullptr;
    CView* parentView = nullptr;
    bool dirty = false;
    bool mouseEnabled = true;
    bool transparent = false;
    bool focusWanted = false;
    bool attachedFlag = false;
    bool visible = true;
    int32_t autosizeFlags = 0;
    CBitmap* background = nullptr;

private:
    struct Attribute {
        uint32_t id;
        std::vector<uint8_t> data;
    };
    std::vector<Attribute> attributes;
};

}  // namespace VSTGUI
