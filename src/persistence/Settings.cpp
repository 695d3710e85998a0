#include "persistence/Settings.h"

#include "platform/Framework.h"
#include "persistence/SettingsKey.h"

namespace {

SettingsKey openProductKey() { return SettingsKey(getProductName()); }

}  // namespace

std::string indexedSettingName(std::string_view base, int index) {
    return std::string(base) + std::to_string(index);
}

bool getSettingString(std::string_view name, std::string& out) {
    return openProductKey().getString(name, out);
}

bool getSettingString(std::string_view name, char* out, size_t capacity) {
    return openProductKey().getString(name, out, capacity);
}

bool setSettingString(std::string_view name, std::string_view text) {
    return openProductKey().setString(name, text);
}

bool getSettingRaw(std::string_view name, uint32_t* value) {
    return openProductKey().readDword(name, value);
}

uint32_t getSettingDword(std::string_view name) {
    uint32_t value = 0;
    openProductKey().readDword(name, &value);
    return value;
}

bool setSettingDword(std::string_view name, uint32_t value) {
    return openProductKey().writeDword(name, value);
}

bool readIndexedSettingStrings(std::string_view baseName, std::vector<std::string>& list, int count) {
    const SettingsKey key = openProductKey();
    for (int i = 0; i < count; ++i) {
        std::string text;
        if (key.getString(indexedSettingName(baseName, i), text)) list.push_back(std::move(text));
    }
    return true;
}
