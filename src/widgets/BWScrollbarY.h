#pragma once
// The vertical scroll bar of an open option-menu list.  It owns none of the
// numbers it shows: it is bound to two floats of its menu, the thumb size and
// the scroll position (both 0 to 1), moves the position when dragged and
// tells its listener (the menu) when either changed.  GUI thread only.

#include "guitoolkit/CPoint.h"
#include "widgets/BWControl.h"

namespace VSTGUI {

class BWScrollbarY : public BWControl {
public:
    BWScrollbarY(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner, float* thumbSize,
                 float* position);

    using CView::onWheel;
    void draw(CDrawContext* context) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t) override { dragging = false; }
    // The menu scrolls its list itself.
    bool onWheel(const CPoint&, float, const CButtonState&) override { return false; }
    void idle(int32_t) override {}

    // The thumb's height and its offset from the top of a track of this
    // height (the control's, or the inside of its frame lines when it is
    // drawn without pictures).
    int32_t thumbHeight(int32_t track) const;
    int32_t thumbOffset(int32_t track) const;
    // The height the thumb moves in.
    int32_t trackHeight() const;
    bool isDragging() const { return dragging; }
    int32_t getThumbTop() const { return thumbTop; }
    int32_t getThumbBottom() const { return thumbBottom; }

    CColor thumbColour = colourBlack;
    CBitmap* thumbTopPicture = nullptr;
    CBitmap* thumbMiddlePicture = nullptr;
    CBitmap* thumbBottomPicture = nullptr;
    float* thumbSizeRef;
    float* positionRef;
    // A horizontal drag changes the thumb size.
    bool sizeDraggable = false;

private:
    float thumbSize() const;
    float position() const;
    void drawPictureThumb(CDrawContext* context);

    CPoint lastPoint;
    int32_t thumbTop = 0;
    int32_t thumbBottom = 0;
    bool dragging = false;
};

}  // namespace VSTGUI
