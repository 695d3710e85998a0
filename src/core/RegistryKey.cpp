#include "core/RegistryKey.h"

bool RegistryKey::readDword(std::string_view name, uint32_t* out) const {
    if (!key || !out) return false;
    const std::optional<platform::SettingsValue> value = key->read(name);
    if (!value || value->data.size() != sizeof(uint32_t)) return false;
    // The registry hands out the four bytes in little-endian order.
    const auto* bytes = reinterpret_cast<const unsigned char*>(value->data.data());
    *out = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return true;
}

bool RegistryKey::writeDword(std::string_view name, uint32_t value) {
    return key && key->write(platform::SettingsValue::dword(name, value));
}
