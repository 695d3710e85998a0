#include "plugin/MidiLearnMap.h"

#include <algorithm>

void MidiLearnMap::clearControllers() {
    for (std::vector<LearnEntry>& list : lists) list.clear();
}

int32_t MidiLearnMap::removeFromControllers(int32_t tag, int32_t subIndex) {
    size_t removed = 0;
    for (std::vector<LearnEntry>& list : lists) {
        removed += std::erase_if(list, [&](const LearnEntry& e) {
            return e.tag == tag && (subIndex < 0 || e.subIndex == subIndex);
        });
    }
    return static_cast<int32_t>(removed);
}

int32_t MidiLearnMap::controllerOf(const LearnEntry& entry) const {
    for (int32_t number = 0; number < kControllers; ++number) {
        const std::vector<LearnEntry>& list = lists[static_cast<size_t>(number)];
        if (std::find(list.begin(), list.end(), entry) != list.end()) return number;
    }
    return -1;
}

void MidiLearnMap::removeTag(int32_t tag, int32_t subIndex) {
    removeFromControllers(tag, subIndex);
    const auto first = std::find_if(pressureList.begin(), pressureList.end(),
                                    [&](const LearnEntry& e) { return e.tag == tag; });
    if (first != pressureList.end()) pressureList.erase(first);
}

void MidiLearnMap::copyFrom(const MidiLearnMap& other) {
    lists = other.lists;
    pressureList = other.pressureList;
    targetList = other.targetList;
}
