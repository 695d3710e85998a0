#pragma once
// The plain text widget: a text in a font, size, colour and alignment, in one
// piece or line by line in bands of a fixed height.  Takes no mouse input.
// GUI thread only.

#include <string>

#include "widgets/BWControl.h"

namespace VSTGUI {

class BWLabel : public BWControl {
public:
    BWLabel(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner, const char* text,
            CFontDesc* font, int32_t fontSize, const CColor& textColour, int32_t lineHeight = 0,
            int32_t alignment = 1);

    void draw(CDrawContext* context) override;

    void setText(const char* value) { text = value ? value : ""; }
    const std::string& getText() const { return text; }

    // 0: the whole text in one call; otherwise one band of this height per line.
    int32_t lineHeight = 0;
    int32_t alignment = 1;  // drawString's alignment

private:
    std::string text;
};

}  // namespace VSTGUI
