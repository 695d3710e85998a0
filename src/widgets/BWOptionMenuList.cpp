// The open list of an option menu: its width and place on the frame, the
// scroll bar, the drawing its overlay does, presses, releases, moves, the
// wheel, the idle tick (hovered row, sub-menus, hover-open) and closing.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "core/SharedFloat.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/COffscreenContext.h"
#include "persistence/PathStrings.h"
#include "persistence/Settings.h"
#include "widgets/BWMenuHelper.h"
#include "widgets/BWOptionMenu.h"
#include "widgets/BWScrollbarY.h"
#include "widgets/BWWidgetEditor.h"
#include "widgets/PictureText.h"
#include "widgets/StripFrames.h"

namespace VSTGUI {

namespace {

// Sets a flag for a scope and clears it on every way out.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag(flag) { flag = true; }
    ~FlagScope() { flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag;
};

constexpr float kWheelRowsPerNotch = 0.4f;
constexpr int32_t kFrameGap = 2;  // the list stays this far inside the frame

std::string numbered(int32_t index, const std::string& text) {
    char prefix[16];
    std::snprintf(prefix, sizeof(prefix), "%d. ", index);
    return prefix + text;
}

bool contains(const CRect& outer, const CRect& inner) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

}  // namespace

// --- geometry ------------------------------------------------------------------------

bool BWOptionMenu::scrollBarShown() const { return scrollBar->isVisible(); }

int32_t BWOptionMenu::visibleRows() const { return (listRect.height() - insetTop - insetBottom) / pitch(); }

int32_t BWOptionMenu::firstVisibleRow() const {
    if (!scrollBarShown()) return 0;
    return std::max(0, truncated(static_cast<float>(getNumEntries() - visibleRows()) * scrollPos));
}

int32_t BWOptionMenu::rowTop(int32_t row) const {
    return listRect.top + insetTop + (row - firstVisibleRow()) * pitch();
}

int32_t BWOptionMenu::rowRight() const {
    const bool bar = scrollBarShown();
    if (style & kStyleTextWidth) return listRect.right - insetRight - (bar ? scrollBarWidth + arrowGap : 0);
    if (style & kStylePictureRows) return listRect.right - insetRight + 2;
    int32_t right = listRect.right - 1;
    if (hasFramePictures && framePictures.right) right -= framePictures.right->getWidth();
    if (bar) right -= scrollBarWidth;
    return right;
}

// Rows are hit only where they are drawn.
int32_t BWOptionMenu::rowAt(const CPoint& where, bool skipTitles, bool stopAtKeepOpen) const {
    const int32_t step = pitch(), count = getNumEntries();
    int32_t top = listRect.top + insetTop;
    for (int32_t row = firstVisibleRow(); row < count; ++row, top += step) {
        const int32_t bottom = top + step;
        if (bottom > listRect.bottom - insetBottom) break;
        const bool inBand = where.y >= top && where.y < bottom;
        const bool aboveFirst = stopAtKeepOpen && row == 0 && entries[0].keepOpen && where.y < bottom;
        if (!inBand && !aboveFirst) continue;
        return skipTitles && entries[row].title ? -1 : row;
    }
    return -1;
}

int32_t BWOptionMenu::measureWidth() {
    if (rowPicture && rowPicture->getWidth() > 0) return rowPicture->getWidth();
    const bool numberedRows = has(kStyleNumbered | kStyleTextWidth);
    COffscreenContext* measurer = nullptr;
    if (!pictureFont) {
        measurer = new COffscreenContext(owner, 1, 1);
        measurer->setFont(font, textHeight() - fontReduction + rowGap);
    }
    auto widthOf = [&](const std::string& text) {
        return pictureFont ? pictureFont->textWidth(text) : measurer->getStringWidth(text.c_str());
    };
    int32_t widest = 0;
    bool anySubMenu = false;
    for (int32_t i = 0; i < getNumEntries(); ++i) {
        const std::string& text = entries[i].text;
        widest = std::max(widest, widthOf(numberedRows ? numbered(i, text) : text));
        anySubMenu = anySubMenu || entries[i].subMenu;
    }
    int32_t arrow = 0;
    if (subMenuArrowPicture)
        arrow = subMenuArrowPicture->getWidth();
    else if (anySubMenu)
        arrow = widthOf(">  ") + arrowGap;
    if (measurer) measurer->forget();

    int32_t width = 0;
    if (style & kStyleTextWidth) {
        const int32_t whole = getNumEntries() * pitch() + insetTop + insetBottom;
        const bool scrolled = owner && whole > owner->getViewSize().height();
        width = widest + arrow + insetLeft + insetRight + (scrolled ? scrollBarWidth + arrowGap : 0) + 12;
    } else {
        width = std::max(size.width(), widest + insetLeft + insetRight + 8 + (style & kStyleNumbered ? 16 : 0)) + arrow;
    }
    if (maxListWidth) width = std::min(width, maxListWidth);
    if (minListWidth) width = std::max(width, minListWidth);
    return width;
}

void BWOptionMenu::placeList(const CPoint& where, bool toLeft, int32_t width) {
    const CRect frame = owner->getViewSize();
    const CRect usable(frame.left + kFrameGap, frame.top + kFrameGap, frame.right - kFrameGap,
                       frame.bottom - kFrameGap);
    int32_t height = getNumEntries() * pitch() + insetTop + insetBottom;
    if (rowPicture && background) {
        width = background->getWidth();
        height = background->getHeight();
    }
    int32_t x = where.x;
    if (x + width > usable.right) x = usable.right - width;
    x += listOffsetX;
    int32_t y = std::max(1, where.y + listOffsetY);
    scrollBar->setVisible(false);
    if (y + height > usable.bottom) y -= y + height - usable.bottom;
    if (x + width > usable.right) x -= x + width - usable.right;
    listRect = CRect(x, y, x + width, y + height);

    // Opening to the left: the list ends 2 pixels left of the point.
    if (toLeft && where.x > listRect.left) listRect.offset(where.x - 2 - listRect.right, 0);

    if (y >= 1) return;
    // Taller than the frame: the list spans it and scrolls.
    scrollPos = 0.0f;
    thumbSize = 1.0f - static_cast<float>(frame.height()) / static_cast<float>(height);
    listRect.top = 0;
    listRect.bottom = fixedListHeight ? fixedListHeight : frame.height() + 4;
    if (style & kStyleTextWidth)
        listRect.bottom = listRect.top + visibleRows() * pitch() + insetTop + insetBottom;
    else
        listRect.right += scrollBarWidth;
    int32_t barRight = listRect.right - 3;
    if (style & kStyleTextWidth)
        barRight = listRect.right - insetRight;
    else if (hasFramePictures && framePictures.right)
        barRight = listRect.right - framePictures.right->getWidth();
    scrollBarArea = CRect(barRight - scrollBarWidth, listRect.top + 2, barRight, listRect.bottom - 2);
    CRect bar = scrollBarArea;
    scrollBar->setViewSizeWithMargins(bar);
    scrollBar->setVisible(true);
    scrollBar->fillColour = scrollBarColour;
    scrollBar->thumbColour = scrollBarThumbColour;
}

void BWOptionMenu::markLibrarySelection() {
    if (!has(kStyleFileMenu | kStyleMarkSelection) || settingsIndex != 0) return;
    BWWidgetEditor* editor = BWWidgetEditor::of(owner);
    int32_t bank = -1, index = -1;
    if (!editor || !editor->lookupLibraryEntry(&bank, &index)) return;
    const int32_t at = headerCount() + bank;
    if (!entryExists(at) || !entries[at].subMenu) return;
    if (entryExists(selectionSubMenu) && entries[selectionSubMenu].subMenu)
        entries[selectionSubMenu].subMenu->selectionSubMenu = -1;
    selectionSubMenu = at;
    entries[at].subMenu->selectionSubMenu = index;
}

// --- opening and closing -------------------------------------------------------------

void BWOptionMenu::openList(const CPoint& where, bool toLeft) {
    if (!owner) return;
    Retained keep(this);
    if (isOpen) closeList();
    if (current == -1) current = 0;
    pickedOnPress = false;
    if (style & kStyleIndexedSettings) {
        removeAllEntries();
        std::vector<std::string> texts;
        readIndexedSettingStrings(indexedSettingName, texts, indexedSettingCount);
        for (size_t i = 0; i < texts.size(); ++i) addEntry(texts[i], static_cast<int32_t>(i));
    }
    if (openCallback && !openCallback(this, openCallbackArg)) return;
    if (!owner || isOpen) return;  // the callback closed the editor or opened the list itself

    placeList(where, toLeft, measureWidth());
    listWidth = listRect.width();
    ignoreNextMouseUp = contains(listRect, size);
    isOpen = true;
    hovered = -1;
    if (style & kStyleFolderTree) pickedFullPath = "none";
    markLibrarySelection();

    // The overlay covers the list and, for a list that casts one, its shadow.
    CRect covered = listRect;
    if (styleFlags & kShadowStyle) {
        covered.right += shadowWidth;
        covered.bottom += shadowWidth;
    }
    overlay->setViewSizeWithMargins(covered);
    // The frame's hold on the overlay: its list's reference and one that a
    // removal with release (ours at closing, or the frame's own teardown)
    // gives back, so the menu's own reference always stays.
    if (owner->addView(overlay)) overlay->remember();
    overlay->activate(0);
    if (extraCallBack) extraCallBack->menuOpened();
}

void BWOptionMenu::popup(int32_t, const CPoint* where, int32_t identifier, const CRect&, bool toLeft) {
    targetId = identifier;
    setVisible(true);
    openList(where ? CPoint(where->x + 1, where->y + 1) : size.getTopLeft(), toLeft);
}

void BWOptionMenu::closeSubMenu() {
    if (!openSubMenu) return;
    BWOptionMenu* sub = std::exchange(openSubMenu, nullptr);
    Retained keep(sub);
    sub->closeList();
    // The frame's two references: its list's and the one taken at the opening.
    if (owner) owner->removeView(sub, true);
}

void BWOptionMenu::closeList() {
    Retained keep(this);
    closeTree();
}

// Takes no reference of its own: the destructor closes an open list too.
void BWOptionMenu::closeTree() {
    closeSubMenu();
    const bool wasOpen = isOpen;
    isOpen = false;
    hovered = -1;
    scrollDragging = false;
    if (owner) {
        overlay->leaveOverlayChain();
        if (owner->isChild(overlay)) owner->removeView(overlay, true);
        owner->requestRedraw();
    }
    if (wasOpen && extraCallBack) extraCallBack->menuClosed();
}

void BWOptionMenu::leaveTree() {
    rootMenu = nullptr;
    if (isOpen && owner) closeList();
}

void BWOptionMenu::looseFocus() { (rootMenu ? rootMenu : this)->closeList(); }

// --- drawing -------------------------------------------------------------------------

void BWOptionMenu::drawList(CDrawContext* context) {
    if (!context || !isOpen) return;
    const CRect& list = listRect;
    const bool framed = hasFramePictures && (framePicturesSimple
                                                 ? framePictures.bottomLeft && framePictures.bottomRight
                                                 : framePictures.topLeft && framePictures.topRight &&
                                                       framePictures.top && framePictures.bottomLeft &&
                                                       framePictures.bottomRight && framePictures.bottom &&
                                                       framePictures.left && framePictures.right);
    if (framed) {
        BWPictureFrame pictures = framePictures;
        pictures.enabled = true;
        pictures.simple = framePicturesSimple;
        pictures.fill = listFillColour;
        drawPictureFrame(pictures, context, list);
    } else if (background && background->getWidth() >= list.width() && background->getHeight() >= list.height()) {
        background->drawAlphaBlend(context, list, CPoint(), listAlpha);
    } else {
        context->setFillColor(listFillColour);
        context->drawRect(list, kDrawFilled);
    }

    const int32_t step = pitch();
    const int32_t left = list.left + (rowPicture ? 0 : insetLeft), right = rowRight();
    const bool tiledRows = (style & kStylePictureRows) && rowBackgroundPicture;
    context->setFont(font, textHeight() - fontReduction);
    int32_t top = list.top + insetTop;
    for (int32_t row = firstVisibleRow(); row < getNumEntries(); ++row) {
        const CRect rect(left, top, right, top + step);
        if (rect.bottom > list.bottom - insetBottom) break;
        drawRow(context, row, rect);
        top += tiledRows ? textHeight() - 2 : step;
    }

    if (scrollBarShown()) scrollBar->draw(context);
    if (listFrame) {
        context->setFrameColor(listFrameColour);
        context->drawRect(list, kDrawStroked);
    }
    if (!openSubMenu && (styleFlags & kShadowStyle)) drawShadow(context, list);
}

void BWOptionMenu::drawRow(CDrawContext* context, int32_t row, const CRect& rect) {
    BWOptionMenuEntryInfo& entry = entries[row];
    const bool hot = row == hovered || row == selectionSubMenu;
    if ((style & kStylePictureRows) && rowBackgroundPicture && row % 2 == 0) {
        const int32_t w = rowBackgroundPicture->getWidth(), h = rowBackgroundPicture->getHeight();
        for (int32_t x = rect.left - 3; w > 0 && x < rect.right; x += w)
            rowBackgroundPicture->draw(context, CRect(x, rect.top, std::min(x + w, rect.right), rect.top + h));
    }
    if (rowPicture) {
        // The hovered row shows its picture even when it is also the current one.
        CBitmap* picture = hot ? rowPicture : row == current ? currentRowPicture : background;
        if (picture)
            picture->drawAlphaBlend(context, CRect(rect.left, rect.top, rect.left + picture->getWidth(), rect.bottom),
                                    CPoint(0, textHeight() * row + insetTop), listAlpha);
        return;
    }
    if (rowDrawer) {
        rowDrawer(this, context, rect, &entry, hot, row);
        return;
    }
    std::string text = style & kStyleAudioList ? getBaseName(entry.text) : entry.text;
    if (style & kStyleNumbered) text = numbered(row, text);
    const int32_t alignment = row == 0 && has(kStyleSaveEntry | kStyleBracketed) ? kPictureCentre : kPictureLeft;
    if (hot && !entry.title) {
        if (!(style & kStyleNoHoverFill)) {
            context->setFillColor(hoverFillColour);
            context->drawRect(rect, kDrawFilled);
        }
        drawTextIn(context, hoverFont, text, rect, alignment, hoverTextColour);
    } else if (entry.title) {
        drawTextIn(context, titleFont, text, rect, kPictureCentre, textColour);
    } else {
        BWPictureFont* picture = (style & kStyleNumbered) && !entry.enabled && titleFont ? titleFont : pictureFont;
        const bool isValue = (style & kStyleCurrentColour) && row == truncated(value);
        drawTextIn(context, picture, text, rect, alignment, isValue ? currentEntryColour : textColour);
    }
    if (entry.subMenu && entry.subMenu->getNumEntries() > 0) drawRowArrow(context, entry, rect, hot);
}

void BWOptionMenu::drawRowArrow(CDrawContext* context, const BWOptionMenuEntryInfo&, const CRect& rect, bool hot) {
    if (subMenuArrowPicture) {
        const int32_t w = subMenuArrowPicture->getWidth(), h = subMenuArrowPicture->getHeight() / 2;
        const int32_t x = rect.right - 1 - w - (scrollBarShown() ? 13 : 0);
        const int32_t y = rect.top + (rect.height() - h) / 2;
        subMenuArrowPicture->draw(context, CRect(x, y, x + w, y + h), CPoint(0, hot ? h : 0));
        return;
    }
    const CColor colour = hot ? hoverTextColour : textColour;
    if (pictureFont) {
        BWPictureFont* arrowFont = hot && hoverFont ? hoverFont : pictureFont;
        drawPictureText(arrowFont, context, CRect(rect.left, rect.top, rect.right - insetRight, rect.bottom), ">  ",
                        kPictureRight, true, 0);
        return;
    }
    context->setFontColor(colour);
    if (style & kStyleTextWidth) {
        context->drawString(">", rect, false, kRightText);
        return;
    }
    const int32_t x = rect.right - context->getStringWidth(">  ") - insetRight;
    context->drawString(">  ", CRect(x, rect.top, rect.right, rect.bottom), false, kLeftText);
}

// --- mouse ---------------------------------------------------------------------------

int32_t BWOptionMenu::onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) {
    if (!isVisible()) return kMouseEventNotHandled;
    Retained keep(this);
    pendingSelectionSubMenu = -1;
    FlagScope pressing(inMouseDown);
    scrollDragging = false;
    if (!isOpen) {
        if (!mouseableArea.pointInside(where)) return kMouseEventNotHandled;
        if ((buttons & kRButton) && learnMenu) {
            CRect at = learnMenu->getViewSize();
            at.moveTo(where.x, where.y);
            learnMenu->setViewSizeWithMargins(at);
            learnMenu->popup(2, &where, tag, mouseableArea, false);
            learnMenu->setExtraInt1(tag);
            return kMouseHandledNoMoves;
        }
        openList(size.getTopLeft(), false);
        hideHint();
        return kMouseEventHandled;
    }
    if (scrollBarShown() && scrollBarArea.pointInside(where)) {
        scrollDragging = true;
        scrollBar->onMouseDown(where, buttons, index);
        return kMouseEventHandled;
    }
    if (listRect.pointInside(where) && pickOnPress(where) == kMouseEventHandled) return kMouseEventHandled;
    if (!rootMenu) {
        looseFocus();
        return kMouseEventHandled;
    }
    Retained keepRoot(rootMenu);
    return rootMenu->onMouseDown(where, buttons, index);
}

// Handled (1) when the press ends here; 0 when it was reported and goes on.
int32_t BWOptionMenu::pickOnPress(const CPoint& where) {
    const int32_t row = rowAt(where, true, false);
    if (row < 0) return kMouseEventHandled;
    setValue(static_cast<float>(row));
    if (!entries[row].enabled || entries[row].keepOpen) return kMouseEventHandled;
    pickedOnPress = true;
    if (style & kStyleMarkSelection) selectionSubMenu = row;
    valueChanged(this);
    return 0;
}

int32_t BWOptionMenu::onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) {
    Retained keep(this);
    FlagScope releasing(inMouseDown);
    if (ignoreNextMouseUp) {
        ignoreNextMouseUp = false;
        return kMouseEventHandled;
    }
    if (scrollDragging) {
        scrollDragging = false;
        scrollBar->onMouseUp(where, buttons, index);
        return kMouseEventHandled;
    }
    if (!isOpen) return kMouseHandledNoMoves;
    // The frame hands an open list its presses as releases: one on the scroll
    // bar starts a drag there instead of picking the row behind it.
    if (scrollBarShown() && scrollBarArea.pointInside(where)) {
        scrollDragging = true;
        scrollBar->onMouseDown(where, buttons, index);
        return kMouseEventHandled;
    }
    if (!listRect.pointInside(where)) return kMouseHandledNoMoves;
    return pickOnRelease(where);
}

int32_t BWOptionMenu::pickOnRelease(const CPoint& where) {
    if (firstVisibleRow() >= getNumEntries() || pickedOnPress) return kMouseEventHandled;
    const int32_t row = rowAt(where, false, true);
    if (row < 0) return kMouseEventHandled;
    setValue(static_cast<float>(row));
    const BWOptionMenuEntryInfo& entry = entries[row];
    if (entry.title || entry.subMenu || !entry.enabled) return kMouseEventHandled;
    const bool keepOpen = entry.keepOpen;
    valueChanged(this);
    pickedOnPress = !keepOpen;
    if (!keepOpen) looseFocus();
    return kMouseEventHandled;
}

int32_t BWOptionMenu::onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) {
    if (inMouseDown) return kMouseEventHandled;
    Retained keep(this);
    if (rootMenu) {
        Retained keepRoot(rootMenu);
        rootMenu->onMouseMoved(where, buttons, index);
    }
    if (!scrollDragging) return kMouseEventHandled;
    if (!(buttons & (kLButton | kMButton | kRButton))) {
        scrollDragging = false;
        return kMouseEventHandled;
    }
    const float before = scrollPos;
    scrollBar->onMouseMoved(where, buttons, index);
    if (scrollPos != before) overlay->invalid();
    return kMouseEventHandled;
}

void BWOptionMenu::onMouseCancel(int32_t) {
    Retained keep(this);
    scrollDragging = false;
    looseFocus();
    setDirty(true);
}

bool BWOptionMenu::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    Retained keep(this);
    if (!isOpen) return closedWheel(distance);
    const bool inList = listRect.pointInside(where);
    if (scrollBarShown() && inList) {
        const int32_t hidden = getNumEntries() - visibleRows();
        if (hidden != 0) {
            const float moved = (scrollPos * static_cast<float>(hidden) - kWheelRowsPerNotch * distance) /
                                static_cast<float>(hidden);
            scrollPos = std::isnan(moved) ? 0.0f : std::clamp(moved, 0.0f, 1.0f);
            overlay->invalid();
            if (owner) owner->setDirty(true);
        }
        return true;
    }
    if (!inList && rootMenu) {
        Retained keepRoot(rootMenu);
        return rootMenu->onWheel(where, distance, buttons);
    }
    return false;
}

// --- idle ----------------------------------------------------------------------------

void BWOptionMenu::idle(int32_t argument) {
    if (!isVisible() || inMouseDown || notifying) return;
    Retained keep(this);
    if (boundIndex) {
        const int32_t bound = truncated(loadShared(*boundIndex));
        if (bound != current) {
            setValue(static_cast<float>(bound));
            selectionSubMenu = -1;
        }
    }
    BWControl::idle(argument);
    if (!owner) return;
    CPoint mouse;
    const bool located = owner->getCurrentLocation(mouse);
    if (located && isOpen && listRect.pointInside(mouse) && !scrollDragging) {
        trackHover(mouse);
    } else if (located) {
        if (openSubMenu) {
            Retained keepSub(openSubMenu);
            openSubMenu->idle(argument);
        }
        if ((style & kStyleHoverOpen) && !isOpen && autoCloseCount == 0 && size.pointInside(mouse)) hoverOpen(mouse);
    }
    const bool over = located && hoverColour != colourNone && !isOpen && mouseableArea.pointInside(mouse);
    if (over != mouseOverClosed) {
        mouseOverClosed = over;
        setDirty(true);
    }
}

void BWOptionMenu::trackHover(const CPoint& mouse) {
    const int32_t right = (style & kStyleFolderTree) && scrollBarShown() ? scrollBarArea.left - 3 : listRect.right;
    if (mouse.x < listRect.left || mouse.x > right) return;
    const int32_t row = rowAt(mouse, false, false);
    if (row < 0 || row == hovered) return;
    BWOptionMenu* sub = entries[row].subMenu;
    if (!sub) {
        closeSubMenu();
        setDirty(true);
    } else if (sub != openSubMenu) {
        closeSubMenu();
        openSubMenuAt(row, mouse);
    } else {
        closeSubMenu();  // a second hover closes it
    }
    hovered = row;
    overlay->setDirty(true);
}

void BWOptionMenu::openSubMenuAt(int32_t row, const CPoint& mouse) {
    BWOptionMenu* sub = entries[row].subMenu;
    if (sub->getNumEntries() < 1 || !owner) return;
    sub->rootMenu = rootMenu ? rootMenu : this;
    const CRect place(listRect.right + 2, mouse.y, listRect.right + 20, mouse.y + 5);
    sub->CView::setViewSize(place, false);
    sub->setMouseableArea(place);
    if (!owner->addView(sub)) return;  // shown elsewhere already
    sub->remember();
    openSubMenu = sub;
    sub->openList(CPoint(listRect.right + subMenuOffsetX + 2, rowTop(row) + pitch() - 1 - insetTop), false);
    pendingSelectionSubMenu = row;
}

void BWOptionMenu::hoverOpen(const CPoint& mouse) {
    if (auto* top = dynamic_cast<BWMenuHelper*>(owner->getOverlay())) {
        BWOptionMenu* other = top->getMenu();
        if (other && (other->style & kStyleHoverOpen)) {
            Retained keepOther(other);
            other->looseFocus();
        }
    }
    // Another list that the user opened stays, and nothing opens over it.
    if (owner->getOverlay()) return;
    autoCloseCount = 0;
    openList(mouse, false);
}

}  // namespace VSTGUI
