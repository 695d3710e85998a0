#include "guitoolkit/EditField.h"

#include <algorithm>

#include "guitoolkit/CDrawContext.h"
#include "guitoolkit/CFontDesc.h"

namespace VSTGUI {

namespace {
// The space the system's field keeps between its border and the text.
constexpr int32_t kMargin = 2;
const CColor kSelectionBack{0, 120, 215, 255};
}  // namespace

EditField::EditField(Owner& owner, const CRect& rect, std::string_view initial, bool multiLine,
                     Alignment alignment, const char* faceName, int32_t fontHeight)
    : owner(owner),
      rect(rect),
      text(initial.substr(0, kMaxLength)),
      multiLine(multiLine),
      alignment(alignment),
      fontHeight(fontHeight),
      font(new CFontDesc(faceName, fontHeight, 0)) {
    anchor = 0;
    caret = text.size();  // all selected
}

EditField::~EditField() { font->forget(); }

bool EditField::isEnter(const VstKeyCode& key) {
    return key.virt == kKeyReturn || key.virt == kKeyEnter || key.character == '\r';
}

void EditField::keyDown(const VstKeyCode& key) {
    if (!owner.editFieldKeyDown(key)) return;  // closed: this field is gone
    edit(key);
}

void EditField::keyUp(const VstKeyCode& key) { owner.editFieldKeyUp(key); }

void EditField::focusLost() { owner.editFieldFocusLost(); }

void EditField::moveCaret(size_t position, bool extend) {
    caret = std::min(position, text.size());
    if (!extend) anchor = caret;
}

void EditField::eraseSelection() {
    const size_t from = getSelectionStart();
    text.erase(from, getSelectionEnd() - from);
    anchor = caret = from;
}

void EditField::insert(std::string_view characters) {
    const size_t selected = getSelectionEnd() - getSelectionStart();
    if (text.size() - selected + characters.size() > kMaxLength) return;  // the limit refuses the key
    eraseSelection();
    text.insert(caret, characters);
    anchor = caret = caret + characters.size();
}

void EditField::edit(const VstKeyCode& key) {
    const bool shift = (key.modifier & kModifierShift) != 0;
    const bool control = (key.modifier & (kModifierControl | kModifierCommand)) != 0;
    const bool hasSelection = anchor != caret;
    switch (key.virt) {
        case kKeyBack:
            if (hasSelection)
                eraseSelection();
            else if (caret > 0)
                text.erase(--caret, 1), anchor = caret;
            return;
        case kKeyDelete:
            if (hasSelection)
                eraseSelection();
            else if (caret < text.size())
                text.erase(caret, 1);
            return;
        case kKeyLeft:
            if (hasSelection && !shift)
                moveCaret(getSelectionStart(), false);
            else
                moveCaret(caret > 0 ? caret - 1 : 0, shift);
            return;
        case kKeyRight:
            if (hasSelection && !shift)
                moveCaret(getSelectionEnd(), false);
            else
                moveCaret(caret + 1, shift);
            return;
        case kKeyHome:
            moveCaret(0, shift);
            return;
        case kKeyEnd:
            moveCaret(text.size(), shift);
            return;
        default:
            break;
    }
    if (isEnter(key)) {
        if (multiLine) insert("\r\n");
        return;
    }
    if (control) {
        if (key.character == 'a' || key.character == 'A') {
            anchor = 0;
            caret = text.size();
        }
        return;
    }
    int32_t character = key.character;
    if (character == 0 && key.virt == kKeySpace) character = ' ';
    if (character >= 32 && character <= 255 && character != 127) {
        const char c = static_cast<char>(character);
        insert(std::string_view(&c, 1));
    }
}

void EditField::draw(CDrawContext* context) {
    if (!context) return;
    CColor textColor, backColor;
    owner.editFieldColors(textColor, backColor);
    ScopedClip clip(*context, rect);
    context->setFillColor(backColor);
    context->drawRect(rect, kDrawFilled);
    context->setFont(font);

    // Keep the caret in view, as the field scrolls sideways.
    const int32_t inner = std::max(1, rect.width() - 2 * kMargin);
    const int32_t caretX = context->getStringWidth(text.substr(0, caret).c_str());
    const int32_t textWidth = context->getStringWidth(text.c_str());
    if (caretX - scroll > inner) scroll = caretX - inner;
    if (caretX < scroll) scroll = caretX;
    int32_t x = rect.left + kMargin - scroll;
    if (textWidth < inner) {
        if (alignment == Alignment::Center) x = rect.left + kMargin + (inner - textWidth) / 2;
        if (alignment == Alignment::Right) x = rect.right - kMargin - textWidth;
    }
    const int32_t lineHeight = context->getFontHeight();
    CRect line(x, rect.top + 1, x + textWidth + 1, rect.top + 1 + lineHeight);

    const std::string before = text.substr(0, getSelectionStart());
    const std::string selected = text.substr(getSelectionStart(), getSelectionEnd() - getSelectionStart());
    const int32_t selectionX = x + context->getStringWidth(before.c_str());
    const int32_t selectionWidth = context->getStringWidth(selected.c_str());
    context->setFontColor(textColor);
    context->drawString(text.c_str(), CRect(line.left - 1, line.top, line.right + 1, line.bottom), false, kLeftText);
    if (selectionWidth > 0) {
        context->setFillColor(kSelectionBack);
        context->setFontColor(colourWhite);
        context->drawString(selected.c_str(),
                            CRect(selectionX - 1, line.top, selectionX + selectionWidth + 1, line.bottom), true,
                            kLeftText);
    } else {
        context->setFrameColor(textColor);
        const int32_t cx = x + caretX;
        context->moveTo(CPoint(cx, line.top));
        context->lineTo(CPoint(cx, line.bottom));
    }
}

}  // namespace VSTGUI
