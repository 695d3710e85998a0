#pragma once
// A view that holds an ordered list of children: it draws them back to front
// (optionally through an off-screen context), hands mouse, wheel, key and drag
// events to the right child, keeps one pressed child per pointer index,
// passes focus between children, resizes them by their autosize flags and
// turns dirty children into repaint requests.  The frame is a container and
// the root of the tree.
//
// Children's rectangles are in the container's own coordinates; the points
// given to the look-ups and the mouse operations are in the coordinates of the
// container's parent, like every view's.
//
// The list remembers each child it takes.  Removing with forget (the default,
// and what the destructor does) drops the maker's reference as well, so a view
// made with new and added belongs to the container.  A child that is removed is
// first cleared from the pressed and drag places, so no event reaches a
// removed view; a child is also kept alive for the length of each event it
// is handed.  GUI thread only.

#include <vector>

#include "guitoolkit/CColor.h"
#include "guitoolkit/CView.h"

namespace VSTGUI {

class COffscreenContext;

class CViewContainer : public CView {
public:
    explicit CViewContainer(const CRect& size, CFrame* frame = nullptr, CBitmap* background = nullptr);
    // Copies the view fields, colours and off-screen setting and adds a copy
    // of every child.
    CViewContainer(const CViewContainer& other);
    ~CViewContainer() override;

    using CView::getVisibleSize;
    using CView::onWheel;

    int32_t notify(CBaseObject* sender, const char* message) override;
    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    bool isDirty() const override;
    void invalidRect(const CRect& rect) override;
    void invalid() override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t index) override;
    bool onWheel(const CPoint& where, int32_t axis, float distance, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    bool onDrop(CDragContainer* drag, const CPoint& where) override;
    void onDragEnter(CDragContainer* drag, const CPoint& where) override;
    void onDragLeave(CDragContainer* drag, const CPoint& where) override;
    void onDragMove(CDragContainer* drag, const CPoint& where) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;
    void setViewSize(const CRect& rect, bool invalid = true) override;
    void parentSizeChanged() override;
    CPoint& frameToLocal(CPoint& point) const override;
    CPoint& localToFrame(CPoint& point) const override;
    void looseFocus() override;
    void takeFocus() override;
    bool removed(CView* parent) override;
    bool attached(CView* parent) override;
    bool isTypeOf(const char* name) const override;
    CView* newCopy() const override;

    virtual bool addView(CView* view, CView* before);                                   // 56
    virtual bool addView(CView* view, const CRect& mouseableArea, bool mouseEnabled = true);  // 57
    virtual bool addView(CView* view);                                                  // 58
    virtual bool removeView(CView* view, bool withForget = true);                       // 59
    virtual bool removeAll(bool withForget = true);                                     // 60
    virtual bool isChild(CView* view) const;                                            // 61
    virtual int32_t getNbViews() const;                                                 // 62
    virtual CView* getView(int32_t index) const;                                        // 63
    virtual CView* getViewBehind(const CPoint& where, CView* view);                     // 64
    virtual CView* getViewAt(const CPoint& where, bool deep = false);                   // 65
    virtual CViewContainer* getContainerAt(const CPoint& where, bool deep = true);      // 66
    virtual void setBackgroundColor(const CColor& color);                               // 67
    virtual CColor getBackgroundColor() const;                                          // 68
    virtual void setBackgroundOffset(const CPoint& offset);                             // 69
    virtual const CPoint& getBackgroundOffset() const;                                  // 70
    virtual void drawBackgroundRect(CDrawContext* context, const CRect& rect);          // 71
    virtual void useOffscreen(bool value);                                              // 72
    virtual bool advanceNextFocusView(CView* oldFocus, bool reverse = false);           // 73
    virtual bool invalidateDirtyViews();                                                // 74
    virtual CRect getVisibleSize(const CRect& rect) const;                              // 75
    // The attach step (slot 76); attached (slot 52) runs it.  C++ cannot give
    // two slots of one signature the same name.
    virtual bool attachToParent(CView* parent);                                         // 76
    virtual bool checkUpdateRect(CView* view, const CRect& rect);                       // 77
    virtual bool hitTestSubViews(const CPoint& where, const CButtonState& buttons);      // 78

    CView* getPressedView(int32_t index) const { return index == 0 || index == 1 ? pressedViews[index] : nullptr; }
    CView* getDragView() const { return dragView; }
    COffscreenContext* getOffscreen() const { return offscreen; }

protected:
    // Asks the parent, or without one the frame, to repaint a rectangle given
    // in the parent's coordinates.
    void invalidateInParent(const CRect& rect);
    // Drops the view from the pressed and drag places.
    void forgetEventTargets(CView* view);
    void detachChild(CView* view, bool withForget);
    // Takes the view into the list at the place and attaches it when this
    // container is attached.
    void adopt(CView* view, std::vector<CView*>::iterator at);
    // Offers the key to the children, the front one first, until one takes it.
    int32_t keyToChildren(VstKeyCode& keyCode, int32_t (CView::*handler)(VstKeyCode&));

    std::vector<CView*> children;
    // Counts every change of the list, so that what is derived from it (the
    // frame's widget sides) is made again only when it moved.
    uint64_t childrenChanges = 0;
    COffscreenContext* offscreen = nullptr;
    CColor backgroundColor = colourBlack;
    CPoint backgroundOffset;
    bool drawInOffscreen = false;
    CView* dragView = nullptr;
    CView* pressedViews[2] = {nullptr, nullptr};
};

}  // namespace VSTGUI
