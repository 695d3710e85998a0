#include "widgets/BWTextList.h"

#include "guitoolkit/CDrawContext.h"
#include "guitoolkit/CFontDesc.h"
#include "platform/GuiThread.h"

namespace VSTGUI {

void BWTextList::draw(CDrawContext* context, const CRect& rect, int32_t index) const {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!context || index < 0 || static_cast<size_t>(index) >= entries.size()) return;
    context->setFont(font ? font : standardFonts()[0], fontSize);
    context->setFontColor(entries[static_cast<size_t>(index)].colour);
    context->drawString(entries[static_cast<size_t>(index)].text.c_str(), CRect(rect).offset(x, y), false, alignment);
}

}  // namespace VSTGUI
