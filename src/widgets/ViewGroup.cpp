#include "widgets/ViewGroup.h"

#include "guitoolkit/CFrame.h"
#include "widgets/BWControl.h"
#include "widgets/StripFrames.h"

namespace VSTGUI {

namespace {
void markFrame(BWControl* widget) {
    if (CFrame* frame = widget->getFrame()) frame->setDirty(true);
}
}  // namespace

void ViewGroup::setPosition(float x, float y, float v) {
    if (x != offsetX || y != offsetY) {
        offsetX = x;
        offsetY = y;
        for (const Member& m : members) {
            const CRect& now = m.widget->getViewSize();
            const int32_t left = truncated(x * scaleX) + m.left, top = truncated(y * scaleY) + m.top;
            m.widget->placeInParent(CRect(left, top, left + now.width(), top + now.height()));
            if (redrawMode == 1) markFrame(m.widget);
        }
    }
    if (v < 0.0f) return;
    visibility = v;
    for (const Member& m : members) {
        if (m.widget->isWidgetVisible() == (v > 0.0f)) continue;
        m.widget->setVisible(v > 0.0f);
        if (redrawMode == 1 && v <= 0.0f) markFrame(m.widget);
    }
}

void nudgeViewGroup(ViewGroup& group) {
    const float x = group.offsetX, y = group.offsetY, v = group.visibility;
    group.offsetX = x + 1.0f;
    group.offsetY = y + 1.0f;
    group.setPosition(x, y, v);
}

}  // namespace VSTGUI
