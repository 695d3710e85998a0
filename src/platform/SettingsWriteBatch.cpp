#include "platform/SettingsWriteBatch.h"

#include <algorithm>

namespace platform {
namespace {

thread_local SettingsWriteBatch* currentBatch = nullptr;

}  // namespace

SettingsWriteBatch::SettingsWriteBatch() : outer(currentBatch) {
    if (!outer) currentBatch = this;
}

SettingsWriteBatch::~SettingsWriteBatch() {
    commit();
    if (currentBatch == this) currentBatch = nullptr;
}

SettingsWriteBatch* SettingsWriteBatch::current() { return currentBatch; }

void SettingsWriteBatch::keep(const SettingsStoreKey& key, const SettingsValue& value) {
    auto file = std::find_if(writes.begin(), writes.end(), [&](const KeyWrites& w) { return w.key.file() == key.file(); });
    if (file == writes.end()) file = writes.insert(writes.end(), KeyWrites{key, {}});
    std::erase_if(file->values, [&](const SettingsValue& old) { return sameValueName(old.name, value.name); });
    file->values.push_back(value);
}

std::optional<SettingsValue> SettingsWriteBatch::kept(const SettingsStoreKey& key, std::string_view name) const {
    for (const KeyWrites& file : writes) {
        if (file.key.file() != key.file()) continue;
        for (const SettingsValue& value : file.values)
            if (sameValueName(value.name, name)) return value;
    }
    return std::nullopt;
}

bool SettingsWriteBatch::commit() {
    if (outer || currentBatch != this) return true;
    // Written with the batch out of the way, so the key writes reach the files.
    currentBatch = nullptr;
    bool written = true;
    for (KeyWrites& file : writes) written = file.key.write(file.values) && written;
    writes.clear();
    currentBatch = this;
    return written;
}

}  // namespace platform
