#include "persistence/RegistryKey.h"

bool RegistryKey::readDword(std::string_view name, uint32_t* out) const {
    if (!key || !out) return false;
    const std::optional<platform::SettingsValue> value = key->read(name);
    if (!value || value->data.size() != sizeof(uint32_t)) return false;
    *out = value->number();
    return true;
}

bool RegistryKey::writeDword(std::string_view name, uint32_t value) {
    return key && key->write(platform::SettingsValue::dword(name, value));
}
