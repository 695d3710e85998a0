#pragma once
// The tempo field: shows the tempo of the instance's system information
// through an inner text edit, and when the user types a tempo, stores it
// there with the values derived from it (samples per beat and the like).
// Typing is the inner field's: focus, background and the mouse area are
// forwarded to it.  No undo step, no listener: the tempo reaches the display
// at the next idle.  GUI thread only.

#include "guitoolkit/CControlListener.h"
#include "widgets/BWControl.h"

class BWSystemInfo;

namespace VSTGUI {

class CTextEdit;

class BWBPMControl : public BWControl, public CControlListener {
public:
    BWBPMControl(BWSystemInfo* info, const CRect& size, int32_t tag, BWFrame* owner, CBitmap* background);
    ~BWBPMControl() override;

    void draw(CDrawContext* context) override;
    void idle(int32_t argument) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void takeFocus() override;
    void looseFocus() override;
    void setBackground(CBitmap* background) override;
    CBitmap* getBackground() const override;
    bool isDirty() const override;
    void setDirty(bool dirty = true) override;
    CRect& getMouseableArea() override;
    CRect& getMouseableArea(CRect& rect) const override;
    bool attached(CView* parent) override;
    bool removed(CView* parent) override;

    // The inner field's edit: a typed tempo.
    void valueChanged(CControl* control) override;

    CTextEdit* getTextEdit() const { return textEdit; }
    double getShownTempo() const { return shownTempo; }
    // 1 centres the picture-font text.
    int32_t alignment = 0;

private:
    BWSystemInfo* info;
    CTextEdit* textEdit;  // owned: made here, released once by the destructor
    double shownTempo = 0.0;
};

}  // namespace VSTGUI
