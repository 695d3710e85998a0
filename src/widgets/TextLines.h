#pragma once
// Texts of labels and displays break into lines at a newline character or at
// the two characters backslash and n (as typed in the editor's layouts).

#include <string>
#include <string_view>
#include <vector>

namespace VSTGUI {

// The lines of a text; each at most 1023 characters, as a line buffer holds.
inline std::vector<std::string> splitLines(std::string_view text) {
    constexpr size_t kLongestLine = 1023;
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        const bool escaped = text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n';
        if (text[i] == '\n' || escaped) {
            if (escaped) ++i;
            lines.emplace_back();
        } else if (lines.back().size() < kLongestLine) {
            lines.back() += text[i];
        }
    }
    return lines;
}

}  // namespace VSTGUI
