#pragma once
// The switch of the interface.  Its mode (given at construction) fixes what a
// press and a release do: momentary, multi-state, toggle, act-on-release,
// menu-opening and more.  It draws one frame of its background strip chosen
// by value, press and hover (frameFlags), or a box with a caption, or one
// entry of a text list; it follows a bound core float and a state source,
// flashes its "on" frame, and lights while its option menu is open.
// GUI thread only.

#include <memory>
#include <string>

#include "widgets/BWOptionMenuBase.h"
#include "widgets/BWTextList.h"

namespace VSTGUI {

// Something that tells whether a button is on.
class BWStateSource {
public:
    virtual ~BWStateSource() = default;
    virtual bool isOn() const = 0;
};

class BWButton : public BWControl, public BWOptionMenuExtraCallBack {
public:
    enum FrameFlag : int32_t { kPressedFrame = 1, kHoverFrame = 2, kPressHoverOnly = 4, kOnHoverOnly = 8 };

    BWButton(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner, const char* caption,
             uint8_t initialValue, int32_t mode);
    ~BWButton() override;

    void draw(CDrawContext* context) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t index) override;
    int32_t onMouseEntered(CPoint& where, const CButtonState& buttons) override;
    int32_t onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* name) const override;

    void getTotalBounds(CRect& rect) const override { uniteWithLinked(rect); }
    void idle(int32_t argument) override;
    // The option menu, as a BWOptionMenuBase*.
    void setExtraPointer(void* menu) override;

    void menuOpened() override;
    void menuClosed() override;

    // The strip frame for a state, pressed and hovered, by frameFlags.
    int32_t stripFrameIndex(int32_t state) const;
    bool isPressed() const { return pressed; }
    bool isHovered() const { return hover; }

    int32_t mode;
    int32_t stateCount = 2;
    int32_t flashCount = 0;
    int32_t frameFlags = 0;
    bool clickableHidden = false;
    bool listMode = false;
    bool menuAtPointer = true;
    bool menuOnAnyClick = false;
    std::string caption;
    const std::string* borrowedCaption = nullptr;
    float* boundValue = nullptr;
    std::unique_ptr<BWStateSource> stateSource;
    BWValueToText valueToText;
    BWOptionMenuBase* optionMenu = nullptr;
    int32_t captionAlign = 0;
    BWTextList textList;

private:
    void applyPress(const CButtonState& buttons);
    void report();
    void refreshValue();
    bool hoverFramed() const { return frameFlags & (kHoverFrame | kPressHoverOnly | kOnHoverOnly); }
    void drawCaption(CDrawContext* context, const char* text) const;

    bool pressed = false;
    bool hover = false;
};

}  // namespace VSTGUI
