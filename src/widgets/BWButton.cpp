#include "widgets/BWButton.h"

#include <algorithm>
#include <cstring>

#include "core/SharedFloat.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "guitoolkit/CFontDesc.h"
#include "platform/GuiThread.h"
#include "widgets/PictureText.h"
#include "widgets/StripFrames.h"

namespace VSTGUI {

namespace {
constexpr CColor kBoxOutline{200, 200, 200, 0};
constexpr CColor kBoxOn{60, 60, 60, 0};
constexpr CColor kBoxOff{150, 150, 150, 50};
constexpr float kFlashValue = 0.33f;
constexpr int32_t kFlashRedraws = 3;
constexpr int32_t kStateLimit = 1 << 20;
}  // namespace

BWButton::BWButton(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner, const char* text,
                   uint8_t initialValue, int32_t mode)
    : BWControl(rect, listener, tag, owner), mode(mode), caption(text ? text : "") {
    controlType = kButton;
    textColour = kBoxOutline;
    value = initialValue;
    if (!caption.empty()) setDirty(true);
}

BWButton::~BWButton() = default;

bool BWButton::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "BWBUTTON") == 0) || BWControl::isTypeOf(name);
}

void BWButton::setExtraPointer(void* menu) { optionMenu = static_cast<BWOptionMenuBase*>(menu); }

void BWButton::menuOpened() {
    setValue(1.0f);
    setDirty(true);
}

void BWButton::menuClosed() {
    setValue(0.0f);
    setDirty(true);
}

void BWButton::report() {
    beginEditIfNotified();
    reportValue();
    endEditIfNotified();
}

// --- mouse ---------------------------------------------------------------------------

int32_t BWButton::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!mouseableArea.pointInside(where) || (!isVisible() && !clickableHidden)) return kMouseEventNotHandled;
    if (mode == 9 && optionMenu) {
        CRect bounds;
        getTotalBounds(bounds);
        optionMenu->openList(bounds.getTopLeft(), false);
        return kMouseEventNotHandled;
    }
    if (optionMenu && ((buttons & (kRButton | kApple)) || menuOnAnyClick)) {
        optionMenu->setExtraInt2(0);
        optionMenu->setExtraInt1(tag);
        if (menuAtPointer) {
            CRect at = optionMenu->getViewSize();
            at.moveTo(where.x, at.top);
            at.moveTo(at.left, where.y);
            optionMenu->setViewSizeWithMargins(at);
        }
        optionMenu->popup(2, menuAtPointer ? &where : nullptr, tag, mouseableArea, false);
        return kMouseHandledNoMoves;
    }
    if (mode == 10) {
        value = (buttons & kDoubleClick) ? 3.0f : (buttons & kLButton) ? 1.0f : 2.0f;
        report();
        return kMouseHandledNoMoves;
    }
    if (!(buttons & kLButton) && mode != 7) return kMouseHandledNoMoves;
    recordUndoStep();
    showHint();
    pressed = true;
    applyPress(buttons);
    if (mode == 6 || mode == 8) {
        setDirty(true);
        return kMouseEventHandled;
    }
    report();
    setDirty(true);
    return kMouseEventHandled;
}

void BWButton::applyPress(const CButtonState& buttons) {
    switch (mode) {
        case 1: {
            const float from = boundValue ? loadShared(*boundValue) : value;
            float next = from + 1.0f;
            if (next >= static_cast<float>(stateCount)) next = 0.0f;
            if ((buttons & kRButton) && stateCount >= 3) next = 0.0f;
            value = next;
            break;
        }
        case 7:
            value = value != 0.0f ? 0.0f : (buttons & kRButton) ? 2.0f : 1.0f;
            break;
        case 0:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
            value = 1.0f;
            break;
        default:
            break;
    }
    if ((mode == 0 || (mode >= 3 && mode <= 5)) && flashCount > 0) flashCount = kFlashRedraws;
}

int32_t BWButton::onMouseUp(CPoint& where, const CButtonState&, int32_t) {
    pressed = false;
    hintHideDeadline = frameTime() + (owner ? owner->hintHideDelay : 0);
    if (mode == 8 && size.pointInside(where)) {
        value += 1.0f;
        if (value >= static_cast<float>(stateCount)) value = 0.0f;
        report();
    } else if ((mode == 0 && value != 0.0f) || mode == 6 || mode == 5 || mode == 4) {
        value = 0.0f;
        report();
    }
    if (mode == 4) return kMouseEventHandled;  // without a redraw request
    setDirty(true);
    return kMouseEventHandled;
}

void BWButton::onMouseCancel(int32_t) {
    pressed = false;
    hintHideDeadline = frameTime() + (owner ? owner->hintHideDelay : 0);
    if (mode == 4 || mode == 5) value = 0.0f;
    setDirty(true);
}

int32_t BWButton::onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t) {
    if (mode == 8) {
        const bool inside = mouseableArea.pointInside(where);
        if (inside != hover) {
            hover = inside;
            setDirty(true);
        }
    } else if (mode == 5 && value == 1.0f && !(buttons & (kLButton | kRButton))) {
        report();
    }
    return kMouseEventHandled;
}

int32_t BWButton::onMouseEntered(CPoint&, const CButtonState&) {
    hover = true;
    if (hoverFramed()) setDirty(true);
    if (!owner || !owner->hintSuppression) armHintShow();
    return 1;
}

int32_t BWButton::onMouseExited(CPoint&, const CButtonState&) {
    armHintHide();
    hover = false;
    if (hoverFramed()) setDirty(true);
    return 1;
}

// --- idle and drawing ----------------------------------------------------------------

void BWButton::idle(int32_t argument) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (isVisible()) {
        if (boundValue && floatChanged(loadShared(*boundValue), value)) {
            setDirty(true);
            hintHideDeadline = frameTime() + (owner ? owner->hintHideDelay : 0);
        }
        if (stateSource && (stateSource->isOn() ? 1.0f : 0.0f) != value) setDirty(true);
    }
    BWControl::idle(argument);
}

void BWButton::refreshValue() {
    if (boundValue) value = loadShared(*boundValue);
    if (stateSource) value = stateSource->isOn() ? 1.0f : 0.0f;
}

int32_t BWButton::stripFrameIndex(int32_t state) const {
    state = std::clamp(state, 0, kStateLimit);  // a wild bound value still names a frame
    if (frameFlags & kPressHoverOnly) return pressed ? 1 : hover ? 2 : 0;
    if (frameFlags & kOnHoverOnly) return value != 0.0f ? 1 : hover ? 2 : 0;
    const int32_t perState = 1 + ((frameFlags & kPressedFrame) ? 1 : 0) + ((frameFlags & kHoverFrame) ? 1 : 0);
    if (pressed && (frameFlags & kPressedFrame)) return perState * state + 1;
    if (hover && (frameFlags & kHoverFrame)) return perState * state + ((frameFlags & kPressedFrame) ? 2 : 1);
    return perState * state;
}

void BWButton::drawCaption(CDrawContext* context, const char* text) const {
    if (pictureFont) {
        drawPictureText(pictureFont, context, size, text, captionAlign == 1 ? kPictureCentre : kPictureLeft, false,
                        0);
        return;
    }
    if (font) context->setFont(font, fontSize);
    context->setFontColor(textColour);
    context->drawString(text, size, false, captionAlign);
}

void BWButton::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!context || !isVisible()) return;
    refreshValue();
    if (listMode) {
        textList.draw(context, size, truncated(value));
        setDirty(false);
        return;
    }
    int32_t state = truncated(value);
    if (flashCount >= 2) {
        --flashCount;
        value = kFlashValue;
        state = 1;
    }
    if (!background) {
        if (valueToText && boundValue) {
            context->setFillColor(fillColour);
            context->drawRect(size, kDrawFilled);
            char text[kFormattedTextSize] = {};
            valueToText(loadShared(*boundValue), text);
            drawCaption(context, text);
        } else {
            context->setFrameColor(kBoxOutline);
            context->setFillColor(value != 0.0f ? kBoxOn : kBoxOff);
            context->drawRect(size, kDrawFilledAndFramed);
        }
    } else {
        const int32_t height = std::max(1, size.height());
        const int32_t frames = std::max(1, background->getHeight() / height);
        const int32_t frame = stripFrame(static_cast<float>(stripFrameIndex(state)), frames);
        background->draw(context, size, CPoint(0, frame * size.height()));
    }
    const std::string* text = !caption.empty() ? &caption : borrowedCaption;
    if (text && !text->empty())
        drawCaption(context, text->c_str());
    else if (!textList.entries.empty())
        textList.draw(context, size, truncated(value));
    setDirty(false);
}

}  // namespace VSTGUI
