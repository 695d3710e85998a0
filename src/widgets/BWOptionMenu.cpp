// The option menu: construction, the entry table, the value, the closed
// control, the closed wheel and what the menu does with the reports it hears
// (its own picks, its sub-menus', its scroll bar's and its companions').
#include "widgets/BWOptionMenu.h"

#include <algorithm>

#include "core/SharedFloat.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/BWPictureFont.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/CDrawContext.h"
#include "guitoolkit/CFontDesc.h"
#include "persistence/PathStrings.h"
#include "platform/Framework.h"
#include "platform/GuiThread.h"
#include "platform/WindowSystem.h"
#include "widgets/BWMenuHelper.h"
#include "widgets/BWScrollbarY.h"
#include "widgets/PictureText.h"
#include "widgets/StripFrames.h"

namespace VSTGUI {

namespace {

// One step of the closed wheel per 330 ms, shared by every menu of every
// editor: a notch's burst of wheel events steps once.
constexpr uint32_t kWheelInterval = 330;

struct WheelStamp {
    bool set = false;
    uint32_t at = 0;
};
WheelStamp valueWheelStamp;
WheelStamp fileWheelStamp;

bool takeWheelStep(WheelStamp& stamp) {
    const uint32_t now = platform::windowSystem().tickCount();
    // A clock that went back (a new clock) counts as long ago.
    if (stamp.set && now - stamp.at < kWheelInterval) return false;
    stamp.set = true;
    stamp.at = now;
    return true;
}

constexpr int32_t kLongestCopiedText = 1023;

}  // namespace

// The menu's own parts (scroll bar, overlay, folder sub-menus) belong to the
// menu alone: the frame's widget list lets go of them, so that a refilled
// folder menu frees what it replaced.  The menu passes the frame's closing on.
void BWOptionMenu::adoptPart(BWFrame* frame, BWControl* part) {
    if (!frame) return;
    frame->removeWidget(part);
    part->forget();
}

BWOptionMenu::BWOptionMenu(const CRect& rect, CControlListener* listener, int32_t tag, BWFrame* owner,
                           const char* titleText, uint64_t style)
    : BWOptionMenuBase(rect, listener, tag, owner), style(style) {
    controlType = kOptionMenu;
    if (titleText) {
        title = titleText;
        hasTitle = true;
    }
    scrollBar = new BWScrollbarY(CRect(rect.right - 13, rect.top + 19, rect.right - 2, rect.bottom - 18), this, 0,
                                 owner, &thumbSize, &scrollPos);
    scrollBar->setVisible(false);
    adoptPart(owner, scrollBar);
    overlay = new BWMenuHelper(this, owner, this);
    adoptPart(owner, overlay);
}

BWOptionMenu::~BWOptionMenu() {
    // The list closes without telling its button: the button may be gone.
    extraCallBack = nullptr;
    if (isOpen && owner) closeTree();
    letGo(0, getNumEntries());
    entries.clear();
    overlay->detachMenu();
    overlay->forget();
    scrollBar->forget();
}

void BWOptionMenu::ownerClosing() {
    BWControl::ownerClosing();
    scrollBar->ownerClosing();
    overlay->ownerClosing();
    for (BWOptionMenuEntryInfo& entry : entries)
        if (entry.subMenu) entry.subMenu->ownerClosing();
}

// --- value ---------------------------------------------------------------------------

void BWOptionMenu::setValue(float v) {
    value = v;
    const int32_t index = truncated(v);
    if (index < 0) return;
    current = index;
    setDirty(true);
}

int32_t BWOptionMenu::headerCount() const {
    int32_t count = 0;
    for (uint64_t bit : {kStyleSelectFolder, kStyleSaveEntry, kStyleTitleEntry, kStyleLoadEntry})
        if (style & bit) ++count;
    return count;
}

int32_t BWOptionMenu::firstSelectable() const {
    return (style & kStyleSaveEntry ? 1 : 0) + (style & kStyleLoadEntry ? 1 : 0);
}

int32_t BWOptionMenu::textHeight() const {
    if (fontSize > 0) return fontSize;
    return font ? font->getSize() : 10;
}

int32_t BWOptionMenu::pitch() const { return std::max(1, textHeight() + rowGap + rowExtra); }

// --- entries -------------------------------------------------------------------------

bool BWOptionMenu::addEntry(const std::string& text, int32_t index, bool titleRow, int32_t* outIndex,
                            bool inSubFolder) {
    const int32_t count = getNumEntries();
    if (count >= kMaxEntries) return false;
    const int32_t was = current;
    const int32_t at = index < 0 || index >= count ? count : index;
    BWOptionMenuEntryInfo entry;
    entry.text = text;
    entry.title = titleRow;
    entry.inSubFolder = inSubFolder;
    entries.insert(entries.begin() + at, std::move(entry));
    // The same entry stays current when one is inserted before it.
    if (at < count && current >= at) ++current;
    if (was < 0 || was > count) current = 0;
    if (outIndex) *outIndex = at;
    return true;
}

bool BWOptionMenu::addSubMenu(BWOptionMenu* subMenu, const std::string& text, bool inSubFolder) {
    // A menu that holds this one (or is it) would hold itself.
    if (!subMenu || subMenu == this || subMenu->indexOfSubMenu(this) >= 0) return false;
    BWOptionMenuEntryInfo entry;
    entry.text = text;
    entry.inSubFolder = inSubFolder;
    entry.holdSubMenu(subMenu);
    entries.push_back(std::move(entry));
    return true;
}

void BWOptionMenu::addEntries(std::vector<std::string> texts) {
    for (const std::string& text : texts) addEntry(text);
}

bool BWOptionMenu::addEntryWithLong(const std::string& text, int32_t index, int32_t number) {
    int32_t at = -1;
    if (!addEntry(text, index, false, &at)) return false;
    entries[at].userData = std::make_unique<BWOptionMenuUserEntryLong>(number);
    return true;
}

bool BWOptionMenu::removeEntry(int32_t index) {
    if (!entryExists(index)) return false;
    letGo(index, index + 1);
    entries.erase(entries.begin() + index);
    if (entries.empty())
        current = -1;
    else if (current >= index)
        --current;
    return true;
}

bool BWOptionMenu::removeAllEntries() {
    letGo(0, getNumEntries());
    entries.clear();
    current = -1;
    return true;
}

// A sub-menu that something else keeps alive must not go on reporting to
// this menu, which may go before it.
void BWOptionMenu::letGo(int32_t from, int32_t to) {
    for (int32_t i = from; i < to; ++i) {
        BWOptionMenu* sub = entries[i].subMenu;
        if (!sub) continue;
        if (sub == currentSubMenu) currentSubMenu = nullptr;
        if (sub->getListener() == this) sub->setListener(nullptr);
    }
}

bool BWOptionMenu::isCounted(int32_t index) const {
    const std::string& text = entries[index].text;
    return text != "-" && text.rfind("-T", 0) != 0;
}

int32_t BWOptionMenu::getCurrentText(std::string* destination, bool raw) {
    if (entries.empty()) {
        if (destination) *destination = "Empty";
        current = -1;
        return -1;
    }
    if (current < 0) return -1;
    if (!entryExists(current)) return raw ? current : -1;
    if (destination) *destination = entries[current].text;
    if (raw) return current;
    int32_t counted = 0;
    for (int32_t i = 0; i < current; ++i)
        if (isCounted(i)) ++counted;
    return counted;
}

bool BWOptionMenu::setCurrent(int32_t index, bool raw) {
    if (!entryExists(index)) return false;
    if (raw) {
        if (entries[index].text == "-") return false;
        current = index;
    } else {
        const int32_t count = getNumEntries();
        int32_t counted = 0, at = count - 1;
        for (int32_t i = 0; i < count; ++i) {
            if (isCounted(i)) ++counted;
            if (counted > index) {
                at = i;
                break;
            }
        }
        current = at;
    }
    setDirty(true);
    return true;
}

bool BWOptionMenu::selectEntryByText(const std::string& text) {
    const int32_t at = findEntry(text);
    if (at < 0) return false;
    current = at;
    setValue(static_cast<float>(at));
    return true;
}

int32_t BWOptionMenu::findEntry(const std::string& text) const {
    for (int32_t i = 0; i < getNumEntries(); ++i)
        if (entries[i].text == text) return i;
    return -1;
}

int32_t BWOptionMenu::findEntryByBaseName(const std::string& name) const {
    for (int32_t i = 0; i < getNumEntries(); ++i)
        if (getBaseName(entries[i].text) == name) return i;
    return -1;
}

bool BWOptionMenu::getEntryText(int32_t index, std::string& text) const {
    if (!entryExists(index)) return false;
    text = entries[index].text;
    return true;
}

bool BWOptionMenu::copyEntryText(int32_t index, std::string* destination) const {
    if (!entryExists(index) || entries[index].text.size() > kLongestCopiedText) return false;
    if (destination) *destination = entries[index].text;
    return true;
}

BWOptionMenuEntryInfo* BWOptionMenu::getEntry(int32_t index) { return entryExists(index) ? &entries[index] : nullptr; }

bool BWOptionMenu::setEntryText(int32_t index, const std::string& text) {
    if (!entryExists(index)) return false;
    entries[index].text = text;
    return true;
}

bool BWOptionMenu::setEntryChecked(int32_t index, bool checked) {
    if (!entryExists(index)) return false;
    entries[index].checked = checked;
    return true;
}

bool BWOptionMenu::setEntryEnabled(int32_t index, bool enabled) {
    if (!entryExists(index)) return false;
    entries[index].enabled = enabled;
    return true;
}

bool BWOptionMenu::checkOnlyEntry(int32_t index) {
    if (!entryExists(index)) return false;
    for (BWOptionMenuEntryInfo& entry : entries) entry.checked = 0;
    entries[index].checked = 1;
    return true;
}

bool BWOptionMenu::isEntryChecked(int32_t index) const { return entryExists(index) && entries[index].checked; }

int32_t BWOptionMenu::indexOfSubMenu(const BWOptionMenu* subMenu) const {
    for (int32_t i = 0; i < getNumEntries(); ++i) {
        const BWOptionMenu* held = entries[i].subMenu;
        if (!held) continue;
        if (held == subMenu || held->indexOfSubMenu(subMenu) >= 0) return i;
    }
    return -1;
}

int32_t BWOptionMenu::flattenedCount(int32_t from, int32_t to) const {
    int32_t count = 0;
    for (int32_t i = std::max(0, from); i < std::min(to, getNumEntries()); ++i)
        count += entries[i].subMenu ? entries[i].subMenu->getNumEntries() : 1;
    return count;
}

void BWOptionMenu::getFontInfo(std::string* fontName, int32_t* height, CColor* fill, CColor* text) const {
    if (fontName) *fontName = font ? font->getName() : "ArialMT";
    if (height) *height = textHeight();
    if (fill) *fill = listFillColour;
    if (text) *text = textColour;
}

bool BWOptionMenu::getDisplayText(std::string& text) const {
    if (!(style & kStyleFileMenu)) return false;
    if ((style & kStyleFolderTree) && pickedFullPath != "none") {
        text = pickedName;
        return true;
    }
    const int32_t at = truncated(value);
    if (!entryExists(at)) return false;
    text = entries[at].text;
    return true;
}

void BWOptionMenu::copyLookTo(BWOptionMenu* sub) const {
    if (!sub) return;
    sub->subMenuArrowPicture = subMenuArrowPicture;
    sub->listFillColour = listFillColour;
    sub->hoverFillColour = hoverFillColour;
    sub->hoverTextColour = hoverTextColour;
    sub->listFrameColour = listFrameColour;
    sub->scrollBarColour = scrollBarColour;
    sub->scrollBarThumbColour = scrollBarThumbColour;
    sub->textColour = textColour;
    sub->insetTop = insetTop;
    sub->insetBottom = insetBottom;
    sub->insetLeft = insetLeft;
    sub->insetRight = insetRight;
    sub->fontSize = fontSize;
    sub->font = font;
    sub->pictureFont = pictureFont;
    sub->textFont = textFont;
    sub->hoverFont = hoverFont;
    sub->titleFont = titleFont;
    sub->framePictures = framePictures;
    sub->hasFramePictures = hasFramePictures;
    sub->framePicturesSimple = framePicturesSimple;
    sub->listFrame = listFrame;
    sub->rowGap = rowGap;
    sub->rowExtra = rowExtra;
    sub->arrowGap = arrowGap;
    sub->scrollBarWidth = scrollBarWidth;
    sub->scrollBar->thumbTopPicture = scrollBar->thumbTopPicture;
    sub->scrollBar->thumbMiddlePicture = scrollBar->thumbMiddlePicture;
    sub->scrollBar->thumbBottomPicture = scrollBar->thumbBottomPicture;
}

// --- the closed control --------------------------------------------------------------

const std::string* BWOptionMenu::closedText() const {
    int32_t remaining = current;
    if (remaining >= 0)
        for (const BWOptionMenuEntryInfo& entry : entries) {
            if (!entry.subMenu) {
                if (remaining == 0) return &entry.text;
                --remaining;
                continue;
            }
            const int32_t n = entry.subMenu->getNumEntries();
            if (remaining < n) return &entry.subMenu->entries[remaining].text;
            remaining -= n;
        }
    return entryExists(current) ? &entries[current].text : nullptr;
}

int32_t BWOptionMenu::closedAlignment() const {
    if (style & kStyleAlignRight) return 3;
    if (style & kStyleAlignCentreWider) return 2;
    if (style & kStyleAlignLeft) return 0;
    return 1;
}

void BWOptionMenu::drawTextIn(CDrawContext* context, BWPictureFont* picture, const std::string& text,
                              const CRect& rect, int32_t alignment, const CColor& colour) {
    if (picture) {
        drawPictureText(picture, context, rect, text.c_str(), alignment, true, 0);
        return;
    }
    context->setFontColor(colour);
    // The same code means centred (1) or right (2) to the context and left otherwise.
    context->drawString(text.c_str(), rect, false, alignment);
}

void BWOptionMenu::draw(CDrawContext* context) {
    ZORVANE_ASSERT_GUI_THREAD();
    setDirty(false);
    if (!context || !isVisible() || size.width() <= 0) return;
    const int32_t alignment = closedAlignment();
    const bool arrowLeft = style & kStyleArrowLeft;
    const bool plain = style & kStylePlain;
    const int32_t arrowWidth = arrowPicture ? arrowPicture->getWidth() : 0;
    CRect textRect(size.left + textInsetX, size.top, size.right, size.bottom);
    if (arrowLeft && !isOpen && !plain) textRect.left += arrowWidth;

    const CColor closedColour = mouseOverClosed && hoverColour != colourNone ? hoverColour
                                : valueColour != colourNone                  ? valueColour
                                                                             : hoverTextColour;
    auto valueText = [&](const std::string& text, const CRect& r) {
        if (textFont) {
            drawPictureText(textFont, context, r, text.c_str(), alignment, true, 0);
            return;
        }
        context->setFont(valueFont ? valueFont : font, textHeight() - fontReduction);
        context->setCharacterSpacing(textOffset);
        drawTextIn(context, nullptr, text, r, alignment, closedColour);
        context->setCharacterSpacing(0.0f);
    };

    if ((style & kStyleShowCurrent) && current >= 0) {
        CBitmap* strip = closedPicture ? closedPicture : rowPicture && background ? background : nullptr;
        if (strip) {
            const int32_t frameHeight = closedPicture ? closedPictureFrameHeight : textHeight();
            const int64_t offset = static_cast<int64_t>(current) * frameHeight;
            // A value past the strip's last frame shows no frame.
            if (frameHeight > 0 && offset + frameHeight <= strip->getHeight()) {
                const int32_t left = size.left + (arrowLeft ? arrowWidth : 0);
                const int32_t width = closedPicture ? strip->getWidth() : size.width();
                const int32_t height = closedPicture ? frameHeight : size.height();
                strip->draw(context, CRect(left, size.top, left + width, size.top + height),
                            CPoint(0, static_cast<int32_t>(offset)));
            }
        } else if (const std::string* text = closedText()) {
            valueText(*text, textRect);
        }
    } else if ((style & kStyleShowFileName) && fileName) {
        if (showLine2 && fileNameLine2) {
            const int32_t middle = size.top + size.height() / 2;
            valueText(*fileNameLine2, CRect(textRect.left, size.top, textRect.right, middle));
            valueText(*fileName, CRect(textRect.left, middle, textRect.right, size.bottom));
        } else {
            valueText(*fileName, textRect);
        }
    } else if (!(style & kStylePictureRows) && !plain) {
        const char* text = hasTitle ? title.c_str() : "MENU";
        if (textFont) {
            drawPictureText(textFont, context, textRect, text, alignment, true, 0);
        } else {
            context->setFont(font, textHeight() - fontReduction);
            drawTextIn(context, nullptr, text, textRect, alignment, textColour);
        }
    }

    if (plain || !arrowPicture) return;
    const CRect arrow = arrowLeft ? CRect(size.left, size.top, size.left + arrowWidth, size.bottom)
                                  : CRect(size.right - arrowWidth, size.top, size.right, size.bottom);
    if (!isOpen) {
        arrowPicture->draw(context, arrow);
        return;
    }
    ScopedClip clip(*context, arrow);
    arrowPicture->draw(context, arrow, CPoint(0, size.height()));
}

bool BWOptionMenu::checkUpdate(const CRect& rect) const {
    return size.rectOverlap(rect) || (isOpen && listRect.rectOverlap(rect));
}

void BWOptionMenu::getTotalBounds(CRect& rect) const {
    rect = size;
    if (!openSubMenu) return;
    CRect covered;
    openSubMenu->getTotalBounds(covered);
    rect.unite(covered);
    rect.unite(openSubMenu->listRect);
}

int32_t BWOptionMenu::getHeight() const { return listRect.height() - insetTop - insetBottom; }

void BWOptionMenu::setViewSizeWithMargins(CRect& rect) {
    if (rowPicture && background && isOpen && owner) {
        // A picture-row list is as large as its background picture, and
        // stays 5 pixels inside the frame.
        const CRect& frame = owner->getViewSize();
        rect.right = rect.left + background->getWidth();
        rect.bottom = rect.top + background->getHeight();
        const int32_t dx = std::min(0, frame.right - 5 - rect.right);
        const int32_t dy = std::min(0, frame.bottom - 5 - rect.bottom);
        rect.offset(dx, dy);
    }
    BWControl::setViewSizeWithMargins(rect);
}

bool BWOptionMenu::closedWheel(float distance) {
    if (!(style & kStyleShowFileName)) {
        const int32_t count = getNumEntries();
        if (count == 0 || !takeWheelStep(valueWheelStamp)) return false;
        stepValue(distance > 0 ? 1 : -1);
        return true;
    }
    if (distance == 0 || !(style & kStyleFolderTree)) return false;
    if (!takeWheelStep(fileWheelStamp)) return true;
    stepFolderSelection(distance < 0 ? 1 : -1);
    return true;
}

void BWOptionMenu::stepValue(int32_t step) {
    const int32_t count = getNumEntries();
    if (count == 0) return;
    int32_t next = truncated(value) + step;
    if (next >= count)
        next = firstSelectable();
    else if (next < 0)
        next = count - 1;
    setValue(static_cast<float>(next));
    report(this, false);
    setDirty(true);
}

// --- reports -------------------------------------------------------------------------

void BWOptionMenu::setWaitCursor(bool wait) {
    if (owner) owner->setCursor(wait ? 1 : 0);
}

void BWOptionMenu::report(CControl* control, bool waitCursor) {
    Retained keep(this);
    notifying = true;
    if (waitCursor) setWaitCursor(true);
    if (listener) listener->valueChanged(control);
    if (waitCursor) setWaitCursor(false);
    notifying = false;
}

void BWOptionMenu::valueChanged(CControl* control) {
    if (!control) return;
    Retained keep(this);
    Retained keepControl(control);
    // The scroll bar first: a menu may carry the tag 0 itself.
    if (control == scrollBar) {
        overlay->setDirty(true);
        return;
    }
    if (control->getTag() == tag) {
        ownChoice(control);
        return;
    }
    companionChanged(control);
}

void BWOptionMenu::ownChoice(CControl* control) {
    const bool self = control == this;
    if (self && (has(kStyleFileMenu | kStyleFolderTree) || (style & kStyleSelectFolder))) {
        // An entry that holds a sub-menu is no choice of its own.
        if (!has(kStyleFileMenu | kStyleFolderTree) || truncated(value) < firstSelectable() + 1) report(this, false);
        setDirty(true);
        return;
    }
    auto* sub = self ? nullptr : dynamic_cast<BWOptionMenu*>(control);
    if (!(style & kStyleFolderTree)) {
        if (style & kStyleFlatIndex) {
            if (self) {
                value = static_cast<float>(flattenedCount(0, current));
            } else if (const int32_t at = indexOfSubMenu(sub); sub && at >= 0) {
                value = static_cast<float>(flattenedCount(0, at)) + sub->getValue();
            }
        }
    } else if (sub) {
        const bool samples = sub->style & kStyleSamples;
        const bool chosenFile = samples && sub->getValue() > 0;
        std::string path;
        if (sub->getFilePath(path, chosenFile ? nullptr : fileExtension.c_str())) {
            pickedFullPath = path;
            pickedName = getBaseName(path);
        }
        if (samples && !chosenFile) sub->setValue(static_cast<float>(kSampleFolderChoice));
        value = static_cast<float>(chosenFile ? (style & kStyleSelectFolder ? 2 : 1) : firstSelectable() + 1);
    }
    if (style & kStyleMarkSelection) {
        for (int32_t i = 0; i < getNumEntries(); ++i)
            if (entries[i].subMenu && i != pendingSelectionSubMenu) entries[i].subMenu->selectionSubMenu = -1;
        selectionSubMenu = pendingSelectionSubMenu;
    }
    const bool subReports = sub && (sub->style & (kStyleSamples | kStyleSubMenusReport));
    report(subReports ? sub : this, true);
    setDirty(true);
}

void BWOptionMenu::companionChanged(CControl* control) {
    const int32_t companion = control->getTag();
    const float state = control->getValue();
    switch (companion) {
        case 10051:
        case 10052: {
            if (state != 0.0f) return;  // steps on the release
            const int32_t step = companion == 10051 ? 1 : -1;
            if (boundIndex) setValue(static_cast<float>(truncated(loadShared(*boundIndex))));
            if (style & kStyleShowFileName)
                stepFolderSelection(step);
            else
                stepValue(step);
            return;
        }
        case 10054:
            if (state == 1.0f) {
                pickRandomFile(boundCategory ? truncated(loadShared(*boundCategory)) : -1, false);
                return;
            }
            [[fallthrough]];
        case 10053:
            if (state != 0.0f) return;
            value = static_cast<float>(companion);
            report(this, false);
            return;
        default:
            AlertPrintf("unknown value in BWOptionMenu::valueChanged : val:");
            return;
    }
}

}  // namespace VSTGUI
