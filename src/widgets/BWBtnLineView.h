#pragma once
// A row of step buttons that shows and edits the current line of a step
// grid of the core (BWBtnLine): a click counts a step up through 0 ..
// maximum (toggling at once for a maximum of 1), a drag paints the press
// value over the run it passes, the right button erases, the wheel steps,
// and mode 1 keeps at most one step lit.  Edits go straight into the grid;
// the listener hears them only with `notify` on.  It is also the listener of
// companion controls, which only make it redraw.  GUI thread only.

#include <cstdint>

#include "guitoolkit/CControlListener.h"
#include "widgets/BWControl.h"

class BWBtnLine;

namespace VSTGUI {

class BWOptionMenuBase;

class BWBtnLineView : public BWControl, public CControlListener {
public:
    // mode: at most one step on.
    static constexpr int32_t kOneOfMany = 1;

    BWBtnLineView(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner);
    ~BWBtnLineView() override;

    void draw(CDrawContext* context) override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t index) override;
    using CView::onWheel;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    void idle(int32_t argument) override;
    // The popup menu, as a BWOptionMenuBase*.
    void setExtraPointer(void* menu) override;

    void valueChanged(CControl* control) override;

    // The step under the point, or -1.
    int64_t stepAt(const CPoint& where) const;
    void setStepBitmap(CBitmap* bitmap);
    void setPlayingStepBitmap(CBitmap* bitmap);

    BWBtnLine* model = nullptr;
    // The step that plays (a float the sequencer writes); null: none.
    const float* playPosition = nullptr;
    int32_t mode = 0;
    bool notify = false;
    // Value v shows frame v (else v - 1, and 0 an empty cell).
    bool showValueZero = false;
    int64_t lastPlayStep = -1;
    int64_t lastLine = -1;

private:
    float stepValue(uint64_t step) const;
    void setStep(uint64_t step, float v);
    // The value after one click: up by one, wrapping past the maximum to 0.
    float countedUp(float v) const;
    void chooseOnly(uint64_t step);
    void reportIfNotifying();
    int64_t playingStep() const;

    BWOptionMenuBase* menu = nullptr;
    CBitmap* stepBitmap = nullptr;
    CBitmap* playingBitmap = nullptr;
    uint64_t pressStep = 0;
    float pressValue = 0.0f;
    bool moved = false;
    bool dragging = false;
    bool toggledAtPress = false;
};

}  // namespace VSTGUI
