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

void BWCopyHelper::store(std::unique_ptr<BWInitInterface> copy) {
    // Whatever leaves the list dies here, after the lock is let go.
    std::unique_ptr<BWInitInterface> old;
    if (copy == nullptr || keyOf(*copy) == -1) {
        old = std::move(copy);
        return;
    }
    const int64_t key = keyOf(*copy);
    const std::lock_guard<std::mutex> locked(lock);
    auto found = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) { return keyOf(*entry) == key; });
    if (found != entries.end()) {
        old = std::move(*found);
        entries.erase(found);
    }
    entries.push_back(std::move(copy));  // a new copy comes last
}

void BWCopyHelper::clear() {
    // Taken out of the member first, so that a destructor that consults this
    // clipboard sees a consistent (empty) list, and outside the lock.
    std::vector<std::unique_ptr<BWInitInterface>> old;
    {
        const std::lock_guard<std::mutex> locked(lock);
        old.swap(entries);
    }
    for (auto& entry : old) entry.reset();  // in list order
}

size_t BWCopyHelper::size() const {
    const std::lock_guard<std::mutex> locked(lock);
    return entries.size();
}
