#include "plugin/MidiLearnMap.h"

#include <algorithm>

void MidiLearnMap::clearControllers() {
    for (std::vector<LearnEntry>& list : lists) list.clear();
}

void MidiLearnMap::removeTag(int32_t tag, int32_t subIndex) {
    for (std::vector<LearnEntry>& list : lists) {
        std::erase_if(list, [&](const LearnEntry& e) {
            return e.tag == tag && (subIndex < 0 || e.subIndex == subIndex);
        });
    }
    const auto first = std::find_if(pressureList.begin(), pressureList.end(),
                                    [&](const LearnEntry& e) { return e.tag == tag; });
    if (first != pressureList.end()) pressureList.erase(first);
}
