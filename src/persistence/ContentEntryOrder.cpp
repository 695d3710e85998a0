#include "persistence/ContentEntryOrder.h"

#include <algorithm>

#include "persistence/NaturalOrder.h"

namespace {

bool isMakersFolder(std::string_view name) {
    return name.find("Brindlewick ") != std::string_view::npos;
}

}  // namespace

bool compareContentEntries(std::string_view a, std::string_view b) {
    const bool aMakers = isMakersFolder(a);
    if (aMakers != isMakersFolder(b)) return aMakers;
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char x = foldNameChar(a[i]);
        const char y = foldNameChar(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

void sortDirEntries(std::vector<BWDirHelper>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const BWDirHelper& x, const BWDirHelper& y) {
        return compareContentEntries(x.name, y.name);
    });
}
