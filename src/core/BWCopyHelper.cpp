#include "core/BWCopyHelper.h"

#include <algorithm>

#include "core/BWInitInterface.h"

BWCopyHelper::~BWCopyHelper() { clear(); }

int64_t BWCopyHelper::keyOf(const BWInitInterface& entry) const {
    return keyField == KeyField::own ? entry.clipboardKey : entry.sharedClipboardKey;
}

BWInitInterface* BWCopyHelper::find(int64_t key) const {
    if (key == -1) return nullptr;
    for (BWInitInterface* entry : entries)
        if (entry != nullptr && keyOf(*entry) == key) return entry;
    return nullptr;
}

void BWCopyHelper::destroy(int64_t key) {
    auto found = std::find_if(entries.begin(), entries.end(), [&](BWInitInterface* entry) {
        return entry != nullptr && keyOf(*entry) == key;
    });
    if (found == entries.end()) return;
    BWInitInterface* old = *found;
    entries.erase(found);  // out of the list first: its destructor may look here
    delete old;
}

void BWCopyHelper::store(BWInitInterface* copy) {
    if (copy == nullptr) return;
    const int64_t key = keyOf(*copy);
    if (key == -1) {
        delete copy;
        return;
    }
    destroy(key);
    entries.push_back(copy);
}

void BWCopyHelper::clear() {
    // Taken out of the member first, so that a destructor that consults this
    // clipboard sees a consistent (empty) list.
    std::vector<BWInitInterface*> old;
    old.swap(entries);
    for (BWInitInterface* entry : old) delete entry;
}
