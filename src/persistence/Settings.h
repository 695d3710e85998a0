#pragma once
// Reading and writing one value of the product's settings key.  Each call
// opens the key and closes it before it returns, so a store that cannot be
// reached makes every read answer false or 0 and every write fail.  Every
// write replaces a value of the same name whatever its type.  All functions:
// host/GUI thread, never the audio thread.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The name "<base><index>" of an indexed value, such as "presetpath0".
std::string indexedSettingName(std::string_view base, int index);

// A string value's bytes exactly as stored (at most 1024 of them); false, with
// out untouched, when it is missing.
bool getSettingString(std::string_view name, std::string& out);
// The same into a buffer of the given capacity (normally kSettingTextSize),
// zero-terminated; false, with the buffer untouched, also when it would not fit.
bool getSettingString(std::string_view name, char* out, size_t capacity);

// Stores the text's bytes without a terminating zero; false when it failed.
bool setSettingString(std::string_view name, std::string_view text);

// A four-byte value of any type into *value; false, with *value untouched,
// when it is missing.  For values that keep a default of their own.
bool getSettingRaw(std::string_view name, uint32_t* value);

// The 32-bit value; 0 when it is missing.
uint32_t getSettingDword(std::string_view name);

// Stores a 32-bit value; false when it failed.
bool setSettingDword(std::string_view name, uint32_t value);

// Appends the string values "<base>0" to "<base><count - 1>" that exist to
// the list, in index order; missing indices are passed over.  Always true.
bool readIndexedSettingStrings(std::string_view baseName, std::vector<std::string>& list, int count);
