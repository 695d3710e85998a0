#pragma once
// A widget that holds child views of its own: it keeps each child's place
// relative to its top-left corner and moves the children with it, draws them
// (optionally through an off-screen buffer), routes mouse, wheel, key and
// drag events to them (one pressed child per pointer index), synthesises
// enter and exit events for them from its idle, and serves as a pop-up
// panel: activated at a point it becomes the frame's overlay on top of
// everything and closes by its close mode when a press misses its children.
//
// Children stand in frame coordinates like every widget; the stored offsets
// say where they sit inside the container.  The frame sees the container
// through BWFrameWidget (kind kWidgetContainer, its close mode, the child
// under a point).  GUI thread only.

#include <cstdint>
#include <vector>

#include "widgets/BWControl.h"

namespace VSTGUI {

class COffscreenContext;

class BWViewContainer : public BWControl {
public:
    // Style bits (styleFlags).
    enum Style : int32_t { kNoBackground = 1, kFillStyle = 2, kBitmapStyle = 4, kShadow = 8, kPictureFrameStyle = 16 };
    // Close modes: how an activated container closes when a press reaches
    // none of its children (and, for kCloseAfterRelease, after every
    // release).  Other modes keep it open.
    enum CloseMode : int32_t {
        kCloseOnPressOutside = 2,
        kCloseOnPressInside = 3,
        kCloseOnAnyPress = 4,
        kCloseAfterRelease = 5,
    };
    // A close mode that takes the mode given to activate.
    static constexpr int32_t kModeOfActivation = 10;
    // addView's x that keeps the child's own rectangle.
    static constexpr int32_t kNoPosition = -10000;

    using Hook = void (*)(BWViewContainer* container, void* argument);

    struct Child {
        CView* view;
        int32_t x;
        int32_t y;
        bool owned;
    };

    BWViewContainer(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner);
    ~BWViewContainer() override;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    bool isDirty() const override;
    void invalid() override;
    void setVisible(bool visible) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t index) override;
    bool acceptsSecondPress() const override { return true; }
    int32_t onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    int32_t onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool hitTest(const CPoint& where, const CButtonState& buttons) override;
    using CView::onWheel;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    bool onDrop(CDragContainer* drag, const CPoint& where) override;
    void onDragEnter(CDragContainer* drag, const CPoint& where) override;
    void onDragLeave(CDragContainer* drag, const CPoint& where) override;
    void onDragMove(CDragContainer* drag, const CPoint& where) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;
    // Closes the container.
    void looseFocus() override;
    bool isTypeOf(const char* name) const override;

    void activate(int32_t reason) override { activate(reason, nullptr, 0); }
    // Opens the container as a pop-up: moved to the point (kept inside the
    // frame's right and bottom edges), closing by `mode` unless a close-mode
    // default is set, on top of the frame's views.
    void activate(int32_t mode, const CPoint* position, int32_t argument);
    bool isWidgetContainer() const override { return true; }
    void idle(int32_t argument) override;
    void setViewSizeWithMargins(CRect& rect) override;
    void setExtraInt1(int32_t value) override { intValue = value; }
    int32_t getExtraInt1() const override { return intValue; }

    // BWFrameWidget
    int32_t getContainerMode() const override { return closeMode; }
    CView* getWidgetAt(const CPoint& where) override { return getViewAt(where); }
    // A closed container releases the reference it kept for itself.
    void ownerClosing() override;

    // Takes the caller's reference.  x = kNoPosition keeps the child's own
    // rectangle and records the offsets (0, 0).
    virtual bool addView(CView* view, int32_t x, int32_t y);                            // 98
    virtual bool addViewCentred(CView* view, int32_t y);                                // 99
    virtual void setChildrenVisible(bool visible);                                      // 100
    virtual void setChildrenDirty(bool dirty);                                          // 101
    // By the child's tag; an unknown tag changes nothing.
    virtual void moveChild(const CPoint& topLeft, int32_t tag);                         // 102
    virtual void placeChild(int32_t tag, int32_t x, int32_t y, int32_t width, int32_t height);  // 103
    // x in the low 32 bits, y in the high ones.
    virtual void moveChildTo(int64_t packedTopLeft, int32_t tag);                       // 104
    virtual void resizeChild(int32_t tag, int32_t width, int32_t height);               // 105
    virtual bool close();                                                               // 106
    virtual bool hasPressedChild() const;                                               // 107
    virtual void forgetPressedChildren();                                               // 108
    virtual void copyViewRect(CRect& rect) const { rect = size; }                       // 109

    // The front-most visible child whose hit test takes the point.
    CView* getViewAt(const CPoint& where) const;
    // Hides the hints of every child, and of their children.
    void hideHints();
    // Draws through an off-screen buffer of the container's size (or not).
    void useOffscreen(bool on);

    const std::vector<Child>& getChildren() const { return children; }
    CView* getPressedChild(int32_t index) const { return validIndex(index) ? pressed[index] : nullptr; }
    CView* getHoveredChild() const { return hovered; }

    BWPictureFrame pictureFrame;
    int32_t closeModeDefault = kModeOfActivation;
    int32_t closeMode = kModeOfActivation;
    Hook activationHook = nullptr;
    void* activationArgument = nullptr;
    Hook idleHook = nullptr;
    void* idleArgument = nullptr;
    float* touchFlag = nullptr;
    float scale = 1.0f;
    bool swallowNextRelease = false;
    bool hitOnlyThroughChildren = true;

protected:
    void hideChildHints() override { hideHints(); }
    void recordChildOffset(BWControl* child, const CPoint& offset) override;

private:
    static bool validIndex(int32_t index) { return index == 0 || index == 1; }
    Child* childWithTag(int32_t tag);
    // Moves a child to the container's top-left plus its offsets, at its own size.
    void followContainer(Child& child);
    void moveChildView(CView* view, const CRect& rect, bool asArea);
    void paintBackground(CDrawContext* context, const CRect& area);
    void drawChild(CDrawContext* context, const Child& child, const CRect* update);
    CDrawContext* target(CDrawContext* context);
    void copyOut(CDrawContext* context, const CRect& area);
    void updateHover();
    int32_t keyToChildren(VstKeyCode& keyCode, int32_t (CView::*handler)(VstKeyCode&));

    std::vector<Child> children;
    COffscreenContext* offscreen = nullptr;
    CView* pressed[2] = {nullptr, nullptr};
    CView* hovered = nullptr;
    CView* dragChild = nullptr;
    int32_t intValue = -1;
    // A container added to the frame belongs to it; a close takes it out of
    // the frame's views but keeps that reference here, for the next
    // activation or for the frame's end.  One that only activation added is
    // held by the frame while it is up.
    bool holdsOwnReference = false;
    // The hovered child is the frame's mouse-over view, told by the frame.
    bool hoverFromFrame = false;
    bool addedByActivation = false;
};

}  // namespace VSTGUI
