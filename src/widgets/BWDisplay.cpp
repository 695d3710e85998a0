#include "widgets/BWDisplay.h"

#include <algorithm>
#include <cstdio>

#include "core/SharedFloat.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "guitoolkit/CFontDesc.h"
#include "platform/GuiThread.h"
#include "widgets/BWOptionMenuBase.h"
#include "widgets/PictureText.h"
#include "widgets/StripFrames.h"
#include "widgets/TextLines.h"

namespace VSTGUI {

namespace {
constexpr float kDisplayDragStep = -0.01f;
constexpr float kDisplayFineDragStep = -0.0005f;
constexpr float kDisplayWheelStep = 0.0175f;

// drawPictureText takes 3 for right alignment.
int32_t pictureAlignment(int32_t align) { return align == 2 ? kPictureRight : align; }
}  // namespace

BWDisplay::BWDisplay(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner)
    : BWControl(rect, listener, tag, owner) {
    controlType = kDisplay;
    textColour = colourBlack;
}

BWDisplay::BWDisplay(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner, const char* text,
                     bool shows)
    : BWDisplay(rect, listener, tag, owner) {
    showValue = shows;
    if (text) {
        label = text;
        setDirty(true);
    }
}

void BWDisplay::setExtraPointer(void* menu) { learnMenu = static_cast<BWOptionMenuBase*>(menu); }

float BWDisplay::fraction() const { return (loadShared(*boundValue) - boundMin) / (boundMax - boundMin); }

int32_t BWDisplay::stripIndex() const {
    if (!boundValue) return stripFrame(static_cast<float>(frameCount - 1) * value, frameCount);
    if (rawIndex) return stripFrame(loadShared(*boundValue), frameCount);
    const float index = static_cast<float>(frameCount - 1) * fraction();
    return stripFrame(indexPlusHalf ? index + 0.5f : index, frameCount);
}

// --- idle ----------------------------------------------------------------------------

void BWDisplay::idle(int32_t argument) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (isVisible()) {
        if (textSource && *textSource != label) {
            label = *textSource;
            setDirty(true);
        }
        if (valueSwitch && floatChanged(loadShared(*valueSwitch), lastSwitch)) {
            lastSwitch = loadShared(*valueSwitch);
            setDirty(true);
        }
        if (boundValue && !dragging) {
            const float next = rawIndex ? loadShared(*boundValue) : fraction();
            if (floatChanged(next, value)) {
                // A control counts any new value as dirty; a picture whose
                // frame stays the one shown (and that shows no value text
                // or list entry) is no change to the eye, so it stays clean
                // unless something else made it dirty.
                const bool wasDirty = isDirty();
                value = next;
                const int32_t index = rawIndex ? stripFrame(next, frameCount)
                                               : stripFrame(static_cast<float>(frameCount - 1) * next, frameCount);
                if (index * frameHeight != lastFrameOffset)
                    setDirty(true);
                else if (!wasDirty && !showValue && textList.entries.empty())
                    setDirty(false);
            }
        }
    }
    BWControl::idle(argument);
}

// --- drawing -------------------------------------------------------------------------

std::string BWDisplay::valueText() const {
    char text[kFormattedTextSize] = {};
    bool builtIn = false;
    if (infoSource) {
        std::snprintf(text, sizeof(text), "%s", infoSource->getInfoText());
    } else if (valueToText) {
        char formatted[kFormattedTextSize] = {};
        valueToText(value, formatted);
        std::snprintf(text, sizeof(text), "%s%s", prefix.c_str(), formatted);
    } else if (contextFormatter) {
        contextFormatter(value, text, formatterContext);
    } else {
        builtIn = true;
        if (integerValue) {
            std::snprintf(text, sizeof(text), "%d", truncated(value));
        } else if (!prefix.empty()) {
            std::snprintf(text, sizeof(text), "%s %*.*f", prefix.c_str(), std::clamp(fieldWidth, 0, 60),
                          std::clamp(precision, 0, 60), static_cast<double>(value));
        } else if (!format.empty()) {
            std::snprintf(text, sizeof(text), format.c_str(), static_cast<double>(value));
        } else {
            std::snprintf(text, sizeof(text), "%*.*f", std::clamp(fieldWidth, 0, 60), std::clamp(precision, 0, 60),
                          static_cast<double>(value));
        }
    }
    text[sizeof(text) - 1] = 0;
    std::string result(text);
    if (builtIn) result += suffix;
    return result;
}

CRect BWDisplay::insetText(const CRect& rect) const {
    return CRect(rect.left + textMargins[0], rect.top + textMargins[1], rect.right - textMargins[2],
                 rect.bottom - textMargins[3]);
}

void BWDisplay::drawBackground(CDrawContext* context) {
    if (background) {
        if (alphaBackground)
            background->drawAlphaBlend(context, size, CPoint(), backgroundAlpha);
        else
            drawBitmap(context, background, size, CPoint());
        return;
    }
    if (filmstrip) {
        const int32_t offset = stripIndex() * frameHeight;
        if (boundValue) lastFrameOffset = offset;
        drawBitmap(context, filmstrip, size, horizontalStrip ? CPoint(offset, 0) : CPoint(0, offset));
        return;
    }
    if (!noBox) drawPictureFrame(pictureFrame, context, size);
}

int32_t BWDisplay::drawText(CDrawContext* context, const CRect& rect, const std::string& text, int32_t align,
                            bool fromList, int32_t listIndex, bool shorten) {
    const std::vector<std::string> lines =
        lineHeight != 0 ? splitLines(text) : std::vector<std::string>{text};
    auto bandOf = [&](size_t i) {
        return lineHeight != 0 ? CRect(rect.left, rect.top + static_cast<int32_t>(i) * lineHeight, rect.right,
                                       rect.top + static_cast<int32_t>(i + 1) * lineHeight)
                               : rect;
    };
    if (pictureFont) {
        for (size_t i = 0; i < lines.size(); ++i)
            drawPictureText(pictureFont, context, bandOf(i), lines[i].c_str(), pictureAlignment(align), true,
                            shorten ? 1 : 0);
        return 0;
    }
    if (fromList) {
        textList.draw(context, rect, listIndex);
        return 0;
    }
    if (font) context->setFont(font, fontSize >= 1 ? fontSize : fontDescSize);
    context->setFontColor(textColour);
    for (size_t i = 0; i < lines.size(); ++i) context->drawString(lines[i].c_str(), bandOf(i), false, align);
    return context->getStringWidth(text.c_str());
}

void BWDisplay::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!context || !isVisible()) return;
    drawBackground(context);
    const float switchValue = valueSwitch ? loadShared(*valueSwitch) : 0.0f;
    CRect textRect = insetText(size);
    bool labelDrawn = false;
    if ((!label.empty() || !textList.entries.empty()) && switchValue == 0.0f) {
        const bool fromList = !textList.entries.empty() && boundValue;
        const int32_t index = fromList ? truncated(loadShared(*boundValue)) : -1;
        std::string text = label;
        if (fromList) {
            const bool inList = index >= 0 && static_cast<size_t>(index) < textList.entries.size();
            text = inList ? textList.entries[static_cast<size_t>(index)].text : pictureFont ? "Err" : "";
        }
        const int32_t align = fromList && pictureFont ? textList.alignment : textAlign;
        const int32_t width = drawText(context, textRect, text, align, fromList, index, shortenLabel);
        if (!pictureFont) textRect.left += width;
        labelDrawn = true;
    }
    const bool switchAllows = !valueSwitch || switchValue == 1.0f;
    if (showValue && switchAllows) {
        std::string text = value < lowThreshold ? lowText : valueText();
        drawText(context, labelDrawn ? insetText(textRect) : textRect, text, textAlign, false, -1, false);
    }
    setDirty(false);
}

// --- mouse ---------------------------------------------------------------------------

int32_t BWDisplay::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!size.pointInside(where) || !getMouseEnabled() || !isVisible()) return kMouseEventNotHandled;
    if ((buttons & kRButton) && learnMenu) {
        learnMenu->popup(2, &where, tag, mouseableArea, false);
        return kMouseHandledNoMoves;
    }
    dragging = true;
    lastPoint = where;
    return kMouseEventHandled;
}

int32_t BWDisplay::onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t) {
    if (!showValue || !(buttons & (kLButton | kRButton)) || !dragging) return kMouseEventNotHandled;
    const int32_t d = horizontalDrag ? -(where.x - lastPoint.x) : where.y - lastPoint.y;
    lastPoint = where;
    value += static_cast<float>(d) * ((buttons & kShift) ? kDisplayFineDragStep : kDisplayDragStep) * dragScale;
    value = std::max(std::min(value, getMax()), getMin());
    reportValue();
    setDirty(true);
    return kMouseEventHandled;
}

int32_t BWDisplay::onMouseUp(CPoint&, const CButtonState&, int32_t) {
    dragging = false;
    if (integerValue) setValue(static_cast<float>(truncated(value)));
    setDirty(true);
    return kMouseEventNotHandled;
}

void BWDisplay::onMouseCancel(int32_t) {
    dragging = false;
    setDirty(true);
}

bool BWDisplay::onWheel(const CPoint&, float distance, const CButtonState&) {
    if (!getMouseEnabled() || !isVisible()) return false;
    value = std::max(std::min(value + distance * kDisplayWheelStep, getMax()), getMin());
    reportValue();
    setDirty(true);
    return true;
}

}  // namespace VSTGUI
