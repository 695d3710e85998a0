#include "guitoolkit/DrawStringFitted.h"

#include <string>

#include "guitoolkit/CDrawContext.h"

namespace VSTGUI {

void drawStringFitted(CDrawContext* context, const CRect& rect, const char* text, int32_t mode) {
    if (!context || !text) return;
    if (mode == 0 || mode == 1) {
        std::string fitted(text);
        while (!fitted.empty() && context->getStringWidth(fitted.c_str()) > rect.width()) fitted.pop_back();
        context->drawString(fitted.c_str(), rect, false, mode == 0 ? kLeftText : kCenterText);
    } else if (mode == 2) {
        const bool narrower = context->getStringWidth(text) < rect.width();
        context->drawString(text, rect, false, narrower ? kCenterText : kLeftText);
    } else {
        context->drawString(text, rect, false, kRightText);
    }
}

}  // namespace VSTGUI
