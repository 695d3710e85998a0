#pragma once
// An open key of the user's settings, or none.  Opened by SettingsKey for
// one access and closed when it goes out of scope; this part reads and
// writes the key's 32-bit values.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/SettingsStoreKey.h"

class RegistryKey {
public:
    bool isOpen() const { return key.has_value(); }
    void close() { key.reset(); }

    // The named value into out when it is exactly four bytes long, whatever
    // its type; false, with out untouched, when the key is not open or the
    // value is missing or of another length.  Host/GUI thread.
    bool readDword(std::string_view name, uint32_t* out) const;

    // Replaces the named value, of whatever type, by a 32-bit value.  False
    // when the key is not open or the value could not be stored.
    // Host/GUI thread.
    bool writeDword(std::string_view name, uint32_t value);

protected:
    std::optional<platform::SettingsStoreKey> key;
};
