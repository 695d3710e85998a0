#pragma once
// The single-line (or multi-line) text field that a text edit opens over
// itself: it stands in for the system's edit control.  It lies in window
// pixels (the zoomed rectangle), starts with all text selected, holds at most
// 4095 characters, takes printable keys, BackSpace, Delete, the arrows, Home,
// End and Enter, and draws itself in its owner's colours.
//
// The window hands it keys and the loss of the keyboard focus.  Every key
// first goes to the owner (which may close the field: the owner deletes it
// then, and the field does nothing more); focus loss goes only to the owner.
// GUI thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "guitoolkit/CColor.h"
#include "guitoolkit/CRect.h"
#include "guitoolkit/KeyCodes.h"

namespace VSTGUI {

class CDrawContext;
class CFontDesc;

class EditField {
public:
    static constexpr size_t kMaxLength = 4095;

    enum class Alignment { Left, Center, Right };

    class Owner {
    public:
        virtual ~Owner() = default;
        // Each answers whether the field is still open afterwards.
        virtual bool editFieldKeyDown(const VstKeyCode& key) = 0;
        virtual bool editFieldKeyUp(const VstKeyCode& key) = 0;
        virtual void editFieldFocusLost() = 0;
        virtual void editFieldColors(CColor& text, CColor& back) const = 0;
    };

    // The font is the face name at fontHeight pixels, normal weight.
    EditField(Owner& owner, const CRect& rect, std::string_view text, bool multiLine, Alignment alignment,
              const char* faceName, int32_t fontHeight);
    ~EditField();
    EditField(const EditField&) = delete;
    EditField& operator=(const EditField&) = delete;

    void keyDown(const VstKeyCode& key);
    void keyUp(const VstKeyCode& key);
    void focusLost();
    // Draws into a context whose coordinates are window pixels.
    void draw(CDrawContext* context);

    const std::string& getText() const { return text; }
    const CRect& getRect() const { return rect; }
    bool isMultiLine() const { return multiLine; }
    Alignment getAlignment() const { return alignment; }
    int32_t getFontHeight() const { return fontHeight; }
    CFontDesc* getFont() const { return font; }
    size_t getSelectionStart() const { return std::min(anchor, caret); }
    size_t getSelectionEnd() const { return std::max(anchor, caret); }
    size_t getCaret() const { return caret; }

    static bool isEnter(const VstKeyCode& key);

private:
    void edit(const VstKeyCode& key);
    void insert(std::string_view characters);
    void eraseSelection();
    void moveCaret(size_t position, bool extend);

    Owner& owner;
    CRect rect;
    std::string text;
    bool multiLine;
    Alignment alignment;
    int32_t fontHeight;
    CFontDesc* font;
    size_t anchor = 0;
    size_t caret = 0;
    int32_t scroll = 0;
};

}  // namespace VSTGUI
