#include "persistence/SettingsKey.h"

#include <cstring>

SettingsKey::SettingsKey(std::string_view productName, std::string_view subKey) {
    open(productName, subKey);
}

bool SettingsKey::open(std::string_view productName, std::string_view subKey) {
    std::string path = "Software\\";
    path += kMakerName;
    path += '\\';
    path += productName;
    if (!subKey.empty()) {
        path += '\\';
        path += subKey;
    }
    key = platform::SettingsStoreKey::open(path);
    return isOpen();
}

bool SettingsKey::getString(std::string_view name, std::string& out) const {
    if (!key) return false;
    const std::optional<platform::SettingsValue> value = key->read(name);
    if (!value || value->data.size() > kSettingTextSize) return false;
    out = value->data.substr(0, kSettingTextSize - 1);
    return true;
}

bool SettingsKey::getString(std::string_view name, char* out, size_t capacity) const {
    std::string text;
    if (!out || !getString(name, text) || text.size() >= capacity) return false;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    return true;
}

bool SettingsKey::setString(std::string_view name, std::string_view text) {
    return key && key->write(platform::SettingsValue::string(name, text));
}
