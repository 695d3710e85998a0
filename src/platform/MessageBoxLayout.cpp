#include "platform/MessageBoxLayout.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace platform {
namespace {

constexpr const char* kEllipsis = "...";

std::vector<MessageBoxButton> buttonsOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::OkCancel: return {{"OK", MessageAnswer::Ok, {}}, {"Cancel", MessageAnswer::Cancel, {}}};
        case MessageKind::YesNo: return {{"Yes", MessageAnswer::Yes, {}}, {"No", MessageAnswer::No, {}}};
        case MessageKind::Ok: break;
    }
    return {{"OK", MessageAnswer::Ok, {}}};
}

// Bytes of one character of UTF-8 text from `at`: a break never splits one.
size_t characterLength(const std::string& text, size_t at) {
    size_t end = at + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    return end - at;
}

class Wrapper {
public:
    explicit Wrapper(const TextWidth& widthOf) : widthOf(widthOf) {}

    void paragraph(const std::string& text) {
        std::string line;
        std::istringstream words(text);
        for (std::string word; words >> word;) {
            const std::string joined = line.empty() ? word : line + " " + word;
            if (fits(joined)) {
                line = joined;
                continue;
            }
            if (!line.empty()) lines.push_back(line);
            line = breakLongWord(word);
        }
        lines.push_back(line);  // an empty paragraph is a blank line
    }

    std::vector<std::string> lines;

private:
    bool fits(const std::string& text) const { return widthOf(text) <= MessageBoxLayout::kMaxTextWidth; }

    // Lines of a word too wide for one; answers the rest, which fits.
    std::string breakLongWord(const std::string& word) {
        std::string line;
        for (size_t at = 0; at < word.size();) {
            const size_t length = characterLength(word, at);
            const std::string longer = line + word.substr(at, length);
            if (!line.empty() && !fits(longer)) {
                lines.push_back(line);
                line = word.substr(at, length);
            } else {
                line = longer;
            }
            at += length;
        }
        return line;
    }

    const TextWidth& widthOf;
};

// Cuts the lines to kMaxLines, the last one shown ending in the ellipsis.
void cutLines(std::vector<std::string>& lines, const TextWidth& widthOf) {
    if (lines.size() <= size_t(MessageBoxLayout::kMaxLines)) return;
    lines.resize(MessageBoxLayout::kMaxLines);
    std::string& last = lines.back();
    while (!last.empty() && widthOf(last + kEllipsis) > MessageBoxLayout::kMaxTextWidth) last.pop_back();
    // No character left half: drop continuation bytes at the end, then
    // the lead byte they belonged to.
    while (!last.empty() && (static_cast<unsigned char>(last.back()) & 0xC0) == 0x80) last.pop_back();
    if (!last.empty() && (static_cast<unsigned char>(last.back()) & 0x80)) last.pop_back();
    last += kEllipsis;
}

}  // namespace

const MessageBoxButton* MessageBoxLayout::buttonAt(int32_t x, int32_t y) const {
    for (const MessageBoxButton& button : buttons) {
        const WindowRect& r = button.rect;
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return &button;
    }
    return nullptr;
}

MessageBoxLayout layoutMessageBox(MessageKind kind, const std::string& text, const TextWidth& widthOf) {
    std::string plain = text;
    std::replace(plain.begin(), plain.end(), '\t', ' ');
    Wrapper wrapper(widthOf);
    std::istringstream paragraphs(plain);
    for (std::string paragraph; std::getline(paragraphs, paragraph);) wrapper.paragraph(paragraph);
    if (wrapper.lines.empty()) wrapper.lines.emplace_back();

    MessageBoxLayout layout;
    layout.lines = std::move(wrapper.lines);
    cutLines(layout.lines, widthOf);
    layout.buttons = buttonsOf(kind);

    double textWidth = 0;
    for (const std::string& line : layout.lines) textWidth = std::max(textWidth, widthOf(line));
    const auto count = static_cast<int32_t>(layout.buttons.size());
    const int32_t rowWidth = count * MessageBoxLayout::kButtonWidth + (count - 1) * MessageBoxLayout::kButtonGap;
    layout.width = std::max({MessageBoxLayout::kMinWidth, static_cast<int32_t>(std::ceil(textWidth)) + 2 * MessageBoxLayout::kMargin,
                             rowWidth + 2 * MessageBoxLayout::kMargin});
    layout.bandTop = MessageBoxLayout::kMargin + static_cast<int32_t>(layout.lines.size()) * MessageBoxLayout::kLineHeight +
                     MessageBoxLayout::kMargin;
    layout.height = layout.bandTop + MessageBoxLayout::kButtonBand;

    const int32_t top = layout.bandTop + (MessageBoxLayout::kButtonBand - MessageBoxLayout::kButtonHeight) / 2;
    int32_t left = layout.width - MessageBoxLayout::kMargin - rowWidth;
    for (MessageBoxButton& button : layout.buttons) {
        button.rect = {left, top, left + MessageBoxLayout::kButtonWidth, top + MessageBoxLayout::kButtonHeight};
        left += MessageBoxLayout::kButtonWidth + MessageBoxLayout::kButtonGap;
    }
    return layout;
}

}  // namespace platform
