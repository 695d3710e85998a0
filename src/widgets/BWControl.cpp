#include "widgets/BWControl.h"

#include <cairo.h>

#include <algorithm>

#include "core/BWSystemInfo.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "persistence/BWUndoManager.h"
#include "platform/GuiThread.h"

namespace VSTGUI {

BWControl::BWControl(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner, CBitmap* background)
    : CControl(rect, listener, tag, background), owner(owner) {
    // The frame is known before the widget is attached, so that edits and
    // the clock reach it from the start.
    parentFrame = owner;
    if (owner) {
        owner->addWidget(this);
        font = owner->defaultFont;
        fontSize = owner->defaultTextSize;
        textColour = colourBlack;
    }
}

BWControl::~BWControl() {
    if (owner) owner->removeWidget(this);
}

void BWControl::draw(CDrawContext*) {}

bool BWControl::isDirty() const { return isVisible() && CControl::isDirty(); }

void BWControl::setVisible(bool value) {
    widgetVisible = value;
    setDirty(true);
}

namespace {

// A page's bit: words 0 to 2 hold pages 0 to 95, word 3 the rest (modulo 32).
bool pageBit(const PageSet& pages, int32_t page) {
    if (page < 0) return false;
    const int32_t word = std::min(page / 32, 3);
    return (pages.word(word) >> ((page - word * 32) % 32)) & 1u;
}

}  // namespace

bool BWControl::isVisible() const { return widgetVisible && (!pageSet || pageBit(*pageSet, pageIndex)); }

int32_t BWControl::onMouseDown(CPoint& where, const CButtonState&, int32_t) {
    ZORVANE_ASSERT_GUI_THREAD();
    return isVisible() && getMouseEnabled() && size.pointInside(where) ? kMouseEventHandled : kMouseEventNotHandled;
}

int32_t BWControl::onMouseEntered(CPoint&, const CButtonState&) {
    armHintShow();
    return 1;
}

int32_t BWControl::onMouseExited(CPoint&, const CButtonState&) {
    armHintHide();
    return 1;
}

bool BWControl::hitTest(const CPoint& where, const CButtonState&) {
    return mouseableArea.pointInside(where) && isVisible() && getMouseEnabled();
}

void BWControl::looseFocus() {
    if (!owner || owner->getOverlay() != this) return;
    owner->setOverlay(previousOverlay);
    previousOverlay = nullptr;
    owner->setDirty(true);
}

bool BWControl::dropObject(CDragContainer*, const CPoint&) { return false; }

void BWControl::activate(int32_t reason) {
    if (!owner) return;
    if (CView* current = owner->getOverlay(); current && current != this && reason != 7 && reason != 8)
        previousOverlay = current;
    owner->setOverlay(this);
    for (int32_t i = 0; i < owner->getNbViews(); ++i) {
        auto* child = dynamic_cast<BWControl*>(owner->getView(i));
        if (!child) continue;
        if (child->isWidgetContainer()) child->hideChildHints();
        child->hideHint();
    }
    BWFrame* frame = owner;
    if (frame->removeView(this, false)) {
        if (reason >= 1 && reason <= 3)
            frame->CViewContainer::addView(this);
        else
            frame->addView(this);
    }
    const int32_t s = styleFlags & kShadowStyle ? shadowWidth : 0;
    frame->invalidRect(CRect(size.left, size.top, size.right + s, size.bottom + s));
    setDirty(true);
}

void BWControl::getTotalBounds(CRect& rect) const { rect = size; }

void BWControl::uniteWithLinked(CRect& rect) const {
    rect = size;
    for (const BWControl* hint : linkedControls) {
        CRect bounds;
        hint->getTotalBounds(bounds);
        rect.unite(bounds);
    }
}

void BWControl::placeHint(const CRect& rect) {
    if (!hintPlaceable) return;
    const int32_t w = size.width(), h = size.height();
    int32_t x = 0;
    if (rect.left <= w + 10)
        x = rect.right < -10 ? 0 : rect.right + 10;  // no room on the left
    else
        x = std::max(0, rect.left - (w + 10));
    const int32_t y = std::max(0, rect.top + (rect.bottom - rect.top) / 2 - h / 2);
    CRect placed(x, y, x + w, y + h);
    setViewSizeWithMargins(placed);
}

int64_t BWControl::frameTime() const { return owner ? static_cast<int64_t>(owner->getCurrentTime()) : 0; }

void BWControl::armHintShow() {
    hintShowDeadline = owner && owner->hintSuppression ? -1 : frameTime() + (owner ? owner->hintShowDelay : 0);
    hintHideDeadline = -1;
}

void BWControl::armHintHide() {
    hintHideDeadline = frameTime() + (owner ? owner->hintHideDelay : 0);
    hintShowDeadline = -1;
}

void BWControl::idle(int32_t) {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!isVisible()) {
        if (hintShown) hideHint();
        return;
    }
    const int64_t now = frameTime();
    if (hintShown && hintHideDeadline != -1 && now > hintHideDeadline) hideHint();
    if (!hintShown && hintShowDeadline != -1 && now > hintShowDeadline) showHint();
}

void BWControl::showHint() {
    auto reveal = [this](BWControl* hint) {
        hint->setVisible(true);
        hint->setDirty(true);
        CRect bounds;
        hint->getTotalBounds(bounds);
        invalidRect(bounds);
    };
    for (BWControl* hint : linkedControls)
        if (!hint->pageSet || pageBit(*hint->pageSet, hint->pageIndex)) reveal(hint);
    for (BWControl* hint : placedControls) {
        if (!hint->isVisible()) hint->placeHint(size);
        reveal(hint);
    }
    hintShowDeadline = hintHideDeadline = -1;
    hintShown = true;
}

void BWControl::hideHint() {
    for (const auto* list : {&placedControls, &linkedControls})
        for (BWControl* hint : *list) {
            if (!hint->isVisible()) continue;
            CRect bounds;
            hint->getTotalBounds(bounds);
            invalidRect(bounds);
            hint->setVisible(false);
        }
    hintShown = false;
}

void BWControl::setViewSizeWithMargins(CRect& rect) {
    CView::setViewSize(rect, true);
    rect.left -= margins[0];
    rect.top -= margins[1];
    rect.right += margins[2];
    rect.bottom += margins[3];
    setMouseableArea(rect);
}

void BWControl::setViewSizeAndArea(const CRect& rect) {
    setMouseableArea(rect);
    CRect copy = rect;
    setViewSizeWithMargins(copy);
}

void BWControl::placeInParent(const CRect& rect) {
    const CRect oldSize = size, oldArea = mouseableArea;
    CView* parent = getParentView();
    if (parent && parent->isTypeOf("BWVC")) {
        if (auto* container = dynamic_cast<BWControl*>(parent)) container->recordChildOffset(this, rect.getTopLeft());
        const CRect& box = parent->getViewSize();
        CRect moved(CPoint(box.left + rect.left, box.top + rect.top), CPoint(size.width(), size.height()));
        movePicture(moved.getTopLeft());
        setViewSizeWithMargins(moved);
        setMouseableArea(CRect(oldArea).offset(size.left - oldSize.left, size.top - oldSize.top));
        return;
    }
    if (!movePicture(rect.getTopLeft())) {
        CRect placed = rect;
        setViewSizeWithMargins(placed);
    }
    if (oldArea == oldSize)
        setMouseableArea(rect);
    else
        setMouseableArea(CRect(rect.left + oldArea.left - oldSize.left, rect.top + oldArea.top - oldSize.top,
                               rect.right + oldArea.right - oldSize.right,
                               rect.bottom + oldArea.bottom - oldSize.bottom));
}

void BWControl::addLinkedControl(BWControl* control) {
    if (!control) return;
    linkedControls.push_back(control);
    control->setVisible(false);
}

void BWControl::addPlacedControl(BWControl* control) {
    if (!control) return;
    placedControls.push_back(control);
    control->setVisible(false);
}

void BWControl::recordUndoStep() {
    if (undoMode == kNoUndo || !owner) return;
    BWSystemInfo* info = owner->getSystemInfo();
    BWUndoManager* undo = info ? info->undoManager : nullptr;
    if (!undo) return;
    if (undoMode == kParameterUndo)
        undo->storeParameter(tag);
    else if (undoMode == kStateUndo)
        undo->storeState();
}

void BWControl::beginEditIfNotified() {
    if (editNotify) beginEdit();
}

void BWControl::endEditIfNotified() {
    if (editNotify) endEdit();
}

void BWControl::reportValue() {
    if (listener) listener->valueChanged(this);
}

namespace {

// A black fill at a constant alpha over the destination.
void fillShadow(CDrawContext& context, const CRect& rect, int32_t alpha) {
    cairo_t* cr = context.getCairo();
    if (!cr || rect.isEmpty()) return;
    cairo_save(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, (alpha & 0xFF) / 255.0);
    cairo_rectangle(cr, rect.left + context.getOffset().x, rect.top + context.getOffset().y, rect.width(),
                    rect.height());
    cairo_fill(cr);
    cairo_restore(cr);
}

int32_t widthOf(const CBitmap* b) { return b ? b->getWidth() : 0; }
int32_t heightOf(const CBitmap* b) { return b ? b->getHeight() : 0; }

void drawPiece(CBitmap* piece, CDrawContext* context, const CRect& rect) {
    if (piece) piece->draw(context, rect);
}

// The piece repeated along a run, the last copy cut where the run ends.
void tile(CBitmap* piece, CDrawContext* context, const CRect& run, bool across) {
    if (!piece) return;
    const int32_t step = across ? piece->getWidth() : piece->getHeight();
    if (step <= 0) return;
    if (across)
        for (int32_t x = run.left; x < run.right; x += step)
            piece->draw(context, CRect(x, run.top, std::min(x + step, run.right), run.bottom));
    else
        for (int32_t y = run.top; y < run.bottom; y += step)
            piece->draw(context, CRect(run.left, y, run.right, std::min(y + step, run.bottom)));
}

}  // namespace

void BWControl::drawShadow(CDrawContext* context, const CRect& rect) const {
    if (!context) return;
    int32_t alpha = shadowAlpha;
    for (int32_t i = 0; i < shadowWidth; ++i, alpha += shadowAlphaStep) {
        const int32_t top = rect.top + i + 1, left = rect.left + i + 1;
        fillShadow(*context, CRect(rect.right + i, top, rect.right + i + 1, top + rect.height()), alpha);
        fillShadow(*context, CRect(left, rect.bottom + i, left + rect.width() - 1, rect.bottom + i + 1), alpha);
    }
}

void BWControl::drawPictureFrame(const BWPictureFrame& f, CDrawContext* context, const CRect& r) {
    if (!f.enabled || !context) return;
    const int32_t left = widthOf(f.topLeft), top = heightOf(f.topLeft);
    const int32_t right = widthOf(f.bottomRight), bottom = heightOf(f.bottomRight);
    context->setFillColor(f.fill);
    if (f.simple) {
        context->drawRect(CRect(r.left, r.top + top, r.right, r.bottom - bottom), kDrawFilled);
        context->drawRect(CRect(r.left + left, r.top, r.right - right, r.bottom), kDrawFilled);
    } else {
        context->drawRect(CRect(r.left + left, r.top + top, r.right - right, r.bottom - bottom), kDrawFilled);
    }
    drawPiece(f.topLeft, context, CRect(r.left, r.top, r.left + left, r.top + top));
    drawPiece(f.topRight, context,
              CRect(r.right - widthOf(f.topRight), r.top, r.right, r.top + heightOf(f.topRight)));
    drawPiece(f.bottomLeft, context,
              CRect(r.left, r.bottom - heightOf(f.bottomLeft), r.left + widthOf(f.bottomLeft), r.bottom));
    drawPiece(f.bottomRight, context, CRect(r.right - right, r.bottom - bottom, r.right, r.bottom));
    if (f.simple) return;
    tile(f.top, context, CRect(r.left + left, r.top, r.right - widthOf(f.topRight), r.top + heightOf(f.top)), true);
    tile(f.bottom, context,
         CRect(r.left + widthOf(f.bottomLeft), r.bottom - heightOf(f.bottom), r.right - right, r.bottom), true);
    tile(f.left, context, CRect(r.left, r.top + top, r.left + widthOf(f.left), r.bottom - heightOf(f.bottomLeft)),
         false);
    tile(f.right, context,
         CRect(r.right - widthOf(f.right), r.top + heightOf(f.topRight), r.right, r.bottom - bottom), false);
}

}  // namespace VSTGUI
