#pragma once
// Where a message box puts its text and buttons: the text wrapped at word
// boundaries into lines no wider than kMaxTextWidth (a word wider than that
// is broken between characters, a line break of the text starts a new
// line, a tab reads as a blank), at most kMaxLines lines (the last one shown
// ends in "..."), and a row of buttons at the bottom right, the one that
// Return chooses first.  Pure: the caller measures text.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/WindowSystem.h"

namespace platform {

struct MessageBoxButton {
    const char* caption;
    MessageAnswer answer;
    WindowRect rect;
};

struct MessageBoxLayout {
    static constexpr int32_t kMargin = 16;
    static constexpr int32_t kLineHeight = 17;
    static constexpr int32_t kMaxTextWidth = 420;
    static constexpr int32_t kMinWidth = 260;
    static constexpr int32_t kMaxLines = 24;
    static constexpr int32_t kButtonWidth = 84;
    static constexpr int32_t kButtonHeight = 24;
    static constexpr int32_t kButtonGap = 8;
    // The band under the text that holds the buttons.
    static constexpr int32_t kButtonBand = kButtonHeight + 2 * 12;

    int32_t width = 0;
    int32_t height = 0;
    std::vector<std::string> lines;
    // The first line's top; each next one kLineHeight lower.
    int32_t textLeft = kMargin;
    int32_t textTop = kMargin;
    int32_t bandTop = 0;
    std::vector<MessageBoxButton> buttons;

    // The answer of Return (the first button) and of Escape and the window's
    // close button (the safe answer).
    MessageAnswer defaultAnswer() const { return buttons.front().answer; }
    // The button under the point, or null.
    const MessageBoxButton* buttonAt(int32_t x, int32_t y) const;
};

using TextWidth = std::function<double(const std::string&)>;

MessageBoxLayout layoutMessageBox(MessageKind kind, const std::string& text, const TextWidth& widthOf);

}  // namespace platform
