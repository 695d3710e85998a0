#pragma once
// The handle through which every access to the product's settings goes: the
// key "Software\Brindlewick\<product>" of the user's settings store, opened
// for one access and closed when the handle goes out of scope.

#include <cstddef>
#include <string>
#include <string_view>

#include "persistence/RegistryKey.h"

inline constexpr char kMakerName[] = "Brindlewick";

// String values are read through buffers of this size: at most 1024 bytes of
// a value are used, always followed by a terminating zero.
inline constexpr size_t kSettingTextSize = 1025;

class SettingsKey : public RegistryKey {
public:
    SettingsKey() = default;  // no key: reads answer false, writes do nothing
    explicit SettingsKey(std::string_view productName, std::string_view subKey = {});

    // Opens or creates the product's key (or its sub-key); false, with no key
    // open, when the store cannot be reached.  Host/GUI thread.
    bool open(std::string_view productName, std::string_view subKey = {});

    // The string value's bytes exactly as stored, cut to 1024 bytes.  False,
    // with out untouched, when there is no key or the value is missing or
    // longer than 1025 bytes.  The type is not examined.  Host/GUI thread.
    bool getString(std::string_view name, std::string& out) const;

    // The same into a caller's buffer of the given capacity, terminated by a
    // zero; false, with the buffer untouched, also when the text and its zero
    // do not fit.  Host/GUI thread.
    bool getString(std::string_view name, char* out, size_t capacity) const;

    // Replaces the named value, of whatever type, by the text's bytes without
    // a terminating zero.  False when there is no key or the value could not
    // be stored.  Host/GUI thread.
    bool setString(std::string_view name, std::string_view text);
};
