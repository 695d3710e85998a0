#include "widgets/BWRegPathVisualizer.h"

#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "persistence/PathStrings.h"
#include "persistence/Settings.h"
#include "platform/GuiThread.h"
#include "widgets/PictureText.h"

namespace VSTGUI {

BWRegPathVisualizer::BWRegPathVisualizer(const CRect& rect, CControlListener* listener, int32_t tag,
                                         BWFrame* owner, const char* name)
    : BWControl(rect, listener, tag, owner), valueName(std::string(name ? name : "none").substr(0, kNameLimit)) {
    std::string stored;
    if (getSettingString(valueName, stored)) pathText = stored.substr(0, kPathLimit);
}

int32_t BWRegPathVisualizer::measure(CDrawContext* context, const std::string& text) const {
    if (pictureFont) return pictureFont->textWidth(text);
    if (!context) return 0;
    if (font) context->setFont(font, fontSize);
    return context->getStringWidth(text.c_str());
}

std::string BWRegPathVisualizer::shownText(CDrawContext* context) const {
    const int32_t width = size.width();
    const int32_t whole = measure(context, pathText);
    if (pictureFont ? whole <= width : whole < width) return pathText;
    // The first separator from the third character on behind which the rest
    // fits: the two characters before it become the dots.
    for (size_t i = 2; i < pathText.size(); ++i) {
        if (!isPathSeparator(pathText[i])) continue;
        if (measure(context, pathText.substr(i - 1)) < width) return ".." + pathText.substr(i);
    }
    return pathText;
}

void BWRegPathVisualizer::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!isVisible()) return;
    if (CBitmap* background = getBackground()) background->draw(context, size);
    const std::string text = shownText(context);
    if (pictureFont) {
        drawPictureText(pictureFont, context, size, text.c_str(), kPictureLeft, false, 0);
    } else {
        if (font) context->setFont(font, fontSize);
        context->drawString(text.c_str(), size, false, kLeftText);
    }
    setDirty(false);
}

}  // namespace VSTGUI
