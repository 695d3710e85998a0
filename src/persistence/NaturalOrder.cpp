#include "persistence/NaturalOrder.h"

#include <algorithm>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

size_t digitRunEnd(std::string_view text, size_t start) {
    size_t end = start;
    while (end < text.size() && isDigit(text[end])) ++end;
    return end;
}

// Compares two digit runs by value: -1, 0 or 1.  Done on the digits
// themselves, so that runs of any length compare without overflow.
int compareNumbers(std::string_view x, std::string_view y) {
    const size_t xStart = std::min(x.find_first_not_of('0'), x.size());
    const size_t yStart = std::min(y.find_first_not_of('0'), y.size());
    x.remove_prefix(xStart);
    y.remove_prefix(yStart);
    if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
    const int order = x.compare(y);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

char foldNameChar(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    return c == '_' ? '0' : c;
}

bool compareNatural(std::string_view a, std::string_view b) {
    const size_t shorter = std::min(a.size(), b.size());
    size_t i = 0;
    while (i < shorter) {
        if (isDigit(a[i]) && isDigit(b[i])) {
            const size_t aEnd = digitRunEnd(a, i);
            const size_t bEnd = digitRunEnd(b, i);
            const int order = compareNumbers(a.substr(i, aEnd - i), b.substr(i, bEnd - i));
            if (order != 0) return order < 0;
            i = bEnd;
            continue;
        }
        const char x = foldNameChar(a[i]);
        const char y = foldNameChar(b[i]);
        if (x != y) return x < y;
        ++i;
    }
    return a.size() < b.size();
}

void sortStrings(std::vector<std::string>& names) {
    // A stable merge sort stays within bounds even though the quirks above
    // do not make a strict weak order, which std::sort would need.
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return compareNatural(a, b); });
}
