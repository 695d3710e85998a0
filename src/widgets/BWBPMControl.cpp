#include "widgets/BWBPMControl.h"

#include "core/BWSystemInfo.h"
#include "core/NumberFormat.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "guitoolkit/CTextEdit.h"
#include "platform/GuiThread.h"
#include "widgets/PictureText.h"

namespace VSTGUI {

BWBPMControl::BWBPMControl(BWSystemInfo* systemInfo, const CRect& rect, int32_t tag, BWFrame* owner,
                           CBitmap* background)
    : BWControl(rect, nullptr, tag, owner, background),
      info(systemInfo),
      textEdit(new CTextEdit(rect, this, tag, "textedit", background, 0)) {
    controlType = kTempoField;
}

BWBPMControl::~BWBPMControl() {
    // Its listener goes with this widget: an open edit box closes first.
    textEdit->setListener(nullptr);
    textEdit->looseFocus();
    textEdit->forget();
}

bool BWBPMControl::attached(CView* parent) {
    if (!BWControl::attached(parent)) return false;
    // The edit box opens over the field, in the field's frame.
    textEdit->attached(parent);
    return true;
}

bool BWBPMControl::removed(CView* parent) {
    textEdit->removed(parent);
    return BWControl::removed(parent);
}

void BWBPMControl::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!isVisible()) return;
    if (CBitmap* background = getBackground()) drawBitmap(context, background, size, CPoint());
    const double tempo = info ? static_cast<double>(static_cast<float>(info->tempo.load())) : 0.0;
    char text[32];
    formatFixed(text, sizeof text, tempo, 3, 2);
    shownTempo = info ? info->tempo.load() : 0.0;
    textEdit->setText(text);
    if (pictureFont) {
        drawPictureText(pictureFont, context, size, text, alignment == 1 ? kPictureCentre : kPictureLeft, true, 0);
    } else {
        if (font) context->setFont(font, fontSize);
        context->setFontColor(textEdit->getFontColor());
        context->drawString(text, size, false, kCenterText);
    }
    textEdit->setDirty(false);
    CControl::setDirty(false);
}

void BWBPMControl::idle(int32_t) {
    ZORVANE_ASSERT_GUI_THREAD();
    // No hint: the field follows only the tempo.
    if (info && info->tempo.load() != shownTempo) setDirty(true);
}

// The field is edited through the focus operations, never by a press.
int32_t BWBPMControl::onMouseDown(CPoint&, const CButtonState&, int32_t) { return kMouseEventNotHandled; }

void BWBPMControl::takeFocus() { textEdit->takeFocus(); }
void BWBPMControl::looseFocus() { textEdit->looseFocus(); }
void BWBPMControl::setBackground(CBitmap* background) { textEdit->setBackground(background); }
CBitmap* BWBPMControl::getBackground() const { return textEdit->getBackground(); }
bool BWBPMControl::isDirty() const { return textEdit->isDirty(); }

void BWBPMControl::setDirty(bool dirty) {
    CControl::setDirty(dirty);
    textEdit->setDirty(dirty);
}

CRect& BWBPMControl::getMouseableArea() { return textEdit->getMouseableArea(); }
CRect& BWBPMControl::getMouseableArea(CRect& rect) const { return textEdit->getMouseableArea(rect); }

void BWBPMControl::valueChanged(CControl* control) {
    if (control != textEdit || !info) return;
    // The system information raises slow tempos to 45 and refuses NaN and
    // tempos of 500 or more, so "nan" changes nothing.
    const double typed = parseLeadingNumber(textEdit->getTextPointer());
    info->setTempo(static_cast<double>(static_cast<float>(typed)));
}

}  // namespace VSTGUI
