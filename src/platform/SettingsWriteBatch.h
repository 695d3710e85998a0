#pragma once
// Gathers the settings writes of one thread into one write per key file.
//
// While a batch lives, every SettingsStoreKey::write on its thread is kept
// in the batch instead of rewriting the key file, and reads on that thread
// see the kept values first; when the batch ends (or commit runs), each key
// file that was written is read, changed and replaced once, under its lock.
// The file ends exactly as the same writes one by one would have left it,
// values in the order of their last writes.  Other threads see the new
// values when the batch ends.
//
// A write kept in a batch answers true; whether the store took it is the
// commit's answer.  A batch opened inside another adds to the outer one.
// Host/GUI thread; never the audio thread.

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/SettingsKeyFile.h"
#include "platform/SettingsStoreKey.h"

namespace platform {

class SettingsWriteBatch {
public:
    SettingsWriteBatch();
    // Commits what is still kept.
    ~SettingsWriteBatch();
    SettingsWriteBatch(const SettingsWriteBatch&) = delete;
    SettingsWriteBatch& operator=(const SettingsWriteBatch&) = delete;

    // Writes the kept values now, one write per key file; false when any key
    // file could not be written.  A batch inside another keeps its values
    // for the outer one and answers true.
    bool commit();

    // The batch that keeps this thread's writes; null when there is none.
    static SettingsWriteBatch* current();
    void keep(const SettingsStoreKey& key, const SettingsValue& value);
    std::optional<SettingsValue> kept(const SettingsStoreKey& key, std::string_view name) const;

private:
    struct KeyWrites {
        SettingsStoreKey key;
        std::vector<SettingsValue> values;  // in the order of their last writes
    };
    std::vector<KeyWrites> writes;
    SettingsWriteBatch* outer;
};

}  // namespace platform
