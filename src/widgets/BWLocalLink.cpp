#include "widgets/BWLocalLink.h"

#include "guitoolkit/CBitmap.h"
#include "persistence/PathStrings.h"
#include "persistence/Settings.h"
#include "platform/ShellOpen.h"

namespace VSTGUI {

BWLocalLink::BWLocalLink(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner,
                         const char* text, bool folderOnly)
    : BWControl(rect, listener, tag, owner),
      path(text && *text ? std::string(text) : manualPath(folderOnly)),
      missingText(text && *text ? path + " is not there." : std::string(kManualMissing)) {}

std::string BWLocalLink::manualPath(bool folderOnly) {
    std::string folder;
    if (getSettingString("installpath", folder)) {
        appendBackslash(folder);
        folder += "Manual";
        appendBackslash(folder);
    } else {
        folder = "empty";
    }
    if (!folderOnly) folder += "Manual.htm";
    return folder;
}

void BWLocalLink::draw(CDrawContext* context) {
    if (!isVisible()) return;
    CBitmap* strip = useOwnBitmap ? ownBitmap : getBackground();
    if (strip) drawBitmap(context, strip, size, CPoint(0, size.height() * pressed));
    setDirty(false);
}

void BWLocalLink::setPressed(int32_t value) {
    pressed = value;
    setDirty(true);
}

int32_t BWLocalLink::onMouseDown(CPoint& where, const CButtonState&, int32_t) {
    if (!size.pointInside(where) || !getMouseEnabled()) return kMouseEventNotHandled;
    setPressed(1);
    return kMouseEventHandled;
}

int32_t BWLocalLink::onMouseUp(CPoint& where, const CButtonState&, int32_t) {
    setPressed(0);
    if (!isVisible() || !size.pointInside(where)) return kMouseEventNotHandled;
    platform::openDocumentIfPresent(path, missingText.c_str());
    return kMouseHandledNoMoves;
}

int32_t BWLocalLink::onMouseMoved(CPoint&, const CButtonState&, int32_t) { return kMouseEventHandled; }

void BWLocalLink::onMouseCancel(int32_t) { setPressed(0); }

}  // namespace VSTGUI
