#pragma once
// The continuous control: a frame of a filmstrip chosen by its value (or a
// handle placed by it, or a bar, or the value as text), edited by dragging
// relative or absolute, by the wheel and by a reset to the default; it
// follows the core float it is bound to at every idle without reporting, so
// automation and presets move it; it can show a second value as an overlay,
// hold a core "touched" flag while edited, and spring back to the middle.
// GUI thread only.

#include "widgets/BWControl.h"

namespace VSTGUI {

class BWOptionMenuBase;

class BWKnob : public BWControl {
public:
    enum Orientation : int32_t { kNoOrientation = 0, kHorizontal = 1, kVertical = 2, kFilmstrip = 3 };
    enum DrawMode : int32_t { kOpaque = 0, kAlphaBlend = 1, kTransparent = 2 };
    enum PositionMode : int32_t { kRelative = 0, kAbsolute = 1, kAbsoluteHandle = 2 };
    // Which pointer moves turn a relative knob (up, right, or up and right
    // together); an absolute knob reads x with kDragHorizontal, else y.
    // Other values turn nothing.
    enum DragAxis : int32_t { kDragVertical = 0, kDragHorizontal = 1, kDragBoth = 2 };

    BWKnob(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner, CBitmap* filmstrip,
           int32_t frameHeight, int32_t frameCount, float dragScale);
    ~BWKnob() override;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t index) override;
    int32_t onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    int32_t onMouseExited(CPoint& where, const CButtonState& buttons) override;
    using BWControl::onWheel;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    void getTotalBounds(CRect& rect) const override { uniteWithLinked(rect); }
    void idle(int32_t argument) override;
    void setViewSizeAndArea(const CRect& rect) override;
    // The MIDI-learn menu, as a BWOptionMenuBase*.
    void setExtraPointer(void* menu) override;
    void setExtraInt1(int32_t value) override { learnIndex = value; }

    // The displayed position: the bound value in its range, else the value.
    float position() const;
    // The strip frame drawn for a position.
    int32_t frameIndex(float position) const;
    bool isPressed() const { return pressed; }

    CBitmap* bitmap = nullptr;  // not owned; null draws the value as text
    int32_t frameHeight = 0;
    int32_t frameCount = 0;
    float dragScale = 1.0f;
    CBitmap* backgroundBitmap = nullptr;
    CBitmap* overlayBitmap = nullptr;
    float* boundValue = nullptr;
    float boundMax = 1.0f;
    float boundMin = 0.0f;
    float* overlayValue = nullptr;  // negative: no overlay
    float* touchFlag = nullptr;     // 1.0 while held or just wheeled
    int32_t touchHoldMs = 0;
    int32_t orientation = kNoOrientation;
    int32_t drawMode = kOpaque;
    int32_t alpha = 0;
    BWOptionMenuBase* learnMenu = nullptr;
    int32_t learnIndex = -1;  // -1: the tag
    int32_t positionMode = kRelative;
    int32_t dragAxis = kDragVertical;
    int32_t style = 0;  // 1: a bar drawn with rectangles
    bool springBack = false;
    bool hidden = false;
    bool fullFrameScale = false;
    bool menuAtPointer = true;
    bool horizontalStrip = false;
    bool relativeOnly = false;

private:
    bool isAbsolute() const { return positionMode != kRelative && !relativeOnly; }
    float absoluteValue(const CPoint& where) const;
    float clamped(float v) const;
    void setTouch(float v);
    void paint(CDrawContext* context, const CRect* update);
    void paintBar(CDrawContext* context);
    void paintText(CDrawContext* context);
    void paintOverlay(CDrawContext* context, const CRect* update, float v);
    void blit(CBitmap* image, CDrawContext* context, const CRect& target, CPoint offset, const CRect* update,
              bool byDrawMode) const;
    void armHintHideOnly();

    float lastOverlay = 0.0f;
    int64_t touchDeadline = -1;
    CPoint lastPoint;
    bool pressed = false;
};

}  // namespace VSTGUI
