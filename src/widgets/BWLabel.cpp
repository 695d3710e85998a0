#include "widgets/BWLabel.h"

#include "guitoolkit/CDrawContext.h"
#include "platform/GuiThread.h"
#include "widgets/TextLines.h"

namespace VSTGUI {

BWLabel::BWLabel(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner, const char* value,
                 CFontDesc* labelFont, int32_t labelFontSize, const CColor& colour, int32_t lines, int32_t align)
    : BWControl(rect, listener, tag, owner), lineHeight(lines), alignment(align), text(value ? value : "") {
    font = labelFont;
    fontSize = labelFontSize;
    textColour = colour;
    setMouseEnabled(false);
}

void BWLabel::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!context || !isVisible()) return;
    if (font) context->setFont(font, fontSize);
    context->setFontColor(textColour);
    if (lineHeight == 0) {
        context->drawString(text.c_str(), size, false, alignment);
    } else {
        int32_t top = size.top;
        for (const std::string& line : splitLines(text)) {
            context->drawString(line.c_str(), CRect(size.left, top, size.right, top + lineHeight), false, alignment);
            top += lineHeight;
        }
    }
    setDirty(false);
}

}  // namespace VSTGUI
