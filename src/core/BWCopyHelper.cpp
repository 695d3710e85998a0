#include "core/BWCopyHelper.h"

#include <algorithm>

#include "core/BWInitInterface.h"

BWCopyHelper::~BWCopyHelper() { clear(); }

int64_t BWCopyHelper::keyOf(const BWInitInterface& entry) const {
    return keyField == KeyField::own ? entry.clipboardKey : entry.sharedClipboardKey;
}

BWInitInterface* BWCopyHelper::find(int64_t key) const {
    if (key == -1) return nullptr;
    for (const auto& entry : entries)
        if (keyOf(*entry) == key) return entry.get();
    return nullptr;
}

void BWCopyHelper::destroy(int64_t key) {
    auto found = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) { return keyOf(*entry) == key; });
    if (found == entries.end()) return;
    // Out of the list before it dies: its destructor may look here.
    std::unique_ptr<BWInitInterface> old = std::move(*found);
    entries.erase(found);
}

void BWCopyHelper::store(std::unique_ptr<BWInitInterface> copy) {
    if (copy == nullptr) return;
    const int64_t key = keyOf(*copy);
    if (key == -1) return;
    destroy(key);
    entries.push_back(std::move(copy));
}

void BWCopyHelper::clear() {
    // Taken out of the member first, so that a destructor that consults this
    // clipboard sees a consistent (empty) list.
    std::vector<std::unique_ptr<BWInitInterface>> old;
    old.swap(entries);
    for (auto& entry : old) entry.reset();  // in list order
}
