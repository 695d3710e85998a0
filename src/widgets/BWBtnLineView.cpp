#include "widgets/BWBtnLineView.h"

#include <cmath>

#include "core/BWBtnLine.h"
#include "core/SharedFloat.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "platform/GuiThread.h"
#include "widgets/BWOptionMenuBase.h"
#include "widgets/ModelUndo.h"
#include "widgets/StripFrames.h"

namespace VSTGUI {

BWBtnLineView::BWBtnLineView(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner)
    : BWControl(rect, listener, tag, owner) {}

BWBtnLineView::~BWBtnLineView() {
    if (stepBitmap) stepBitmap->forget();
    if (playingBitmap) playingBitmap->forget();
}

void BWBtnLineView::setExtraPointer(void* pointer) { menu = static_cast<BWOptionMenuBase*>(pointer); }

void BWBtnLineView::valueChanged(CControl*) { setDirty(true); }

namespace {

void replaceBitmap(CBitmap*& slot, CBitmap* bitmap) {
    if (bitmap) bitmap->remember();
    if (slot) slot->forget();
    slot = bitmap;
}

}  // namespace

void BWBtnLineView::setStepBitmap(CBitmap* bitmap) {
    replaceBitmap(stepBitmap, bitmap);
    setDirty(true);
}

void BWBtnLineView::setPlayingStepBitmap(CBitmap* bitmap) {
    replaceBitmap(playingBitmap, bitmap);
    setDirty(true);
}

// --- the line ------------------------------------------------------------------------

int64_t BWBtnLineView::stepAt(const CPoint& where) const {
    const uint64_t steps = model ? model->getStepCount() : 0;
    if (steps == 0 || !size.pointInside(where)) return -1;
    const int64_t cell = size.width() / static_cast<int64_t>(steps);
    for (uint64_t i = 0; i < steps; ++i) {
        const int64_t from = size.left + static_cast<int64_t>(i) * cell;
        if (where.x >= from && where.x <= from + cell) return static_cast<int64_t>(i);
    }
    return -1;
}

float BWBtnLineView::stepValue(uint64_t step) const { return model->getStepOnLine(model->getCurrentLine(), step); }

void BWBtnLineView::setStep(uint64_t step, float v) { model->setStepOnLine(model->getCurrentLine(), step, v); }

float BWBtnLineView::countedUp(float v) const { return v < model->maxValue ? v + 1.0f : 0.0f; }

void BWBtnLineView::chooseOnly(uint64_t step) {
    const float old = std::trunc(stepValue(step));
    for (uint64_t i = 0; i < model->getStepCount(); ++i) setStep(i, 0.0f);
    setStep(step, 1.0f - old);
}

void BWBtnLineView::reportIfNotifying() {
    if (notify) reportValue();
}

int64_t BWBtnLineView::playingStep() const { return playPosition ? truncated(loadShared(*playPosition)) : -1; }

// --- mouse and wheel -----------------------------------------------------------------

int32_t BWBtnLineView::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!size.pointInside(where) || !isVisible() || !model || model->getStepCount() == 0)
        return kMouseEventNotHandled;
    moved = false;
    const int64_t found = stepAt(where);
    if (found < 0) return kMouseEventHandled;
    const auto step = static_cast<uint64_t>(found);
    showHint();
    if (mode == kOneOfMany) {
        recordModelUndo(*this, model);
        chooseOnly(step);
        reportIfNotifying();
        setDirty(true);
        return kMouseHandledNoMoves;
    }
    if (buttons & (kRButton | kApple)) {
        recordModelUndo(*this, model);
        if ((buttons & kShift) && menu) {
            menu->setVisible(true);
            menu->setExtraInt1(tag);
            menu->setExtraInt2(static_cast<int32_t>(step));
            menu->popup(2, &where, tag, CRect(where.x, size.top, size.right, size.bottom), false);
            return kMouseHandledNoMoves;
        }
        setStep(step, 0.0f);
        pressValue = 0.0f;
        moved = true;
    } else {
        recordModelUndo(*this, model);
        if (model->maxValue != 1.0f) {
            // Multi-value steps count up on release, unless the press becomes a drag.
            pressValue = stepValue(step);
            pressStep = step;
            dragging = true;
            return kMouseEventHandled;
        }
        toggledAtPress = true;
        pressValue = countedUp(stepValue(step));
        setStep(step, pressValue);
    }
    reportIfNotifying();
    setDirty(true);
    pressStep = step;
    dragging = true;
    return kMouseEventHandled;
}

int32_t BWBtnLineView::onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t) {
    if (!dragging || !model) return kMouseEventHandled;
    const int64_t found = stepAt(where);
    if (found < 0 || static_cast<uint64_t>(found) == pressStep) return kMouseEventHandled;
    const auto step = static_cast<uint64_t>(found);
    if (buttons & kRButton) {
        setStep(step, 0.0f);
    } else {
        // The run between the press and the pointer takes the press value.
        const int64_t direction = step < pressStep ? 1 : -1;
        for (int64_t i = found; i != static_cast<int64_t>(pressStep); i += direction)
            setStep(static_cast<uint64_t>(i), pressValue);
    }
    reportIfNotifying();
    moved = true;
    setDirty(true);
    return kMouseEventHandled;
}

int32_t BWBtnLineView::onMouseUp(CPoint& where, const CButtonState&, int32_t) {
    if (!dragging || !model) return kMouseEventHandled;
    const int64_t found = stepAt(where);
    if (found >= 0 && !moved && !toggledAtPress) {
        const auto step = static_cast<uint64_t>(found);
        setStep(step, countedUp(stepValue(step)));
        reportIfNotifying();
    }
    dragging = false;
    toggledAtPress = false;
    setDirty(true);
    return kMouseEventHandled;
}

void BWBtnLineView::onMouseCancel(int32_t) {
    dragging = false;
    setDirty(true);
}

bool BWBtnLineView::onWheel(const CPoint& where, float distance, const CButtonState&) {
    if (!size.pointInside(where) || !isVisible() || !model || model->getStepCount() == 0) return false;
    const int64_t found = stepAt(where);
    if (found < 0) return true;
    const auto step = static_cast<uint64_t>(found);
    if (mode == kOneOfMany) {
        chooseOnly(step);
    } else {
        const float v = stepValue(step);
        if (distance > 0.0f)
            setStep(step, countedUp(v));
        else
            setStep(step, v > 0.0f ? v - 1.0f : model->maxValue);
    }
    reportIfNotifying();
    setDirty(true);
    return true;
}

// --- drawing and idle ----------------------------------------------------------------

void BWBtnLineView::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!context || !isVisible() || !model || !stepBitmap || !stepBitmap->isLoaded()) return;
    const uint64_t steps = model->getStepCount();
    const int32_t cell = stepBitmap->getWidth();
    const int32_t height = size.height();
    const int64_t playing = playingStep();
    ScopedClip clip(*context, size);
    for (uint64_t i = 0; i < steps; ++i) {
        const int64_t left = size.left + static_cast<int64_t>(i) * cell;
        if (left >= size.right) break;
        const int64_t frame = int64_t{truncated(stepValue(i))} - (showValueZero ? 0 : 1);
        CBitmap* image = playingBitmap && static_cast<int64_t>(i) == playing ? playingBitmap : stepBitmap;
        // A frame past the strip leaves the cell empty, as value 0 does.
        const int64_t sourceTop = frame * height;
        if (frame < 0 || sourceTop >= image->getHeight()) continue;
        const auto x = static_cast<int32_t>(left);
        image->draw(context, CRect(x, size.top, x + cell, size.bottom), CPoint(0, static_cast<int32_t>(sourceTop)));
    }
    setDirty(false);
}

void BWBtnLineView::idle(int32_t argument) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (model) {
        if (const int64_t playing = playingStep(); playing != lastPlayStep) {
            lastPlayStep = playing;
            setDirty(true);
        }
        if (const auto line = static_cast<int64_t>(model->getCurrentLine()); line != lastLine) {
            lastLine = line;
            setDirty(true);
        }
    }
    BWControl::idle(argument);
}

}  // namespace VSTGUI
