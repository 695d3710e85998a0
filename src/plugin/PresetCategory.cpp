#include "plugin/PresetCategory.h"

#include "persistence/SettingNames.h"

PresetCategory::PresetCategory(const char* name, int32_t kind, bool hasPathSetting,
                               const char* pathSettingName, bool writeDefaultPath, bool saveToUserFolder,
                               const char* itemName)
    : pathSettingName(pathSettingName ? pathSettingName : ""),
      name(name ? name : ""),
      itemName(itemName ? itemName : this->name),
      kind(kind),
      hasPathSetting(hasPathSetting),
      writeDefaultPath(writeDefaultPath),
      saveToUserFolder(saveToUserFolder) {}

std::span<const PresetCategoryRow> presetCategoryRows() {
    static constexpr PresetCategoryRow rows[] = {
        {"Global Presets", 0, false, nullptr, false, true, "Global Preset"},
        {"Sequences", 2, false, nullptr, false, true, "Sequence Preset"},
        {"Sounds", 1, false, nullptr, false, true, "Sound Preset"},
        {"Chord Banks", -1, true, SettingNames::kChordBanksPath, true, true, "Chord Banks"},
        {"Instruments", -1, true, SettingNames::kInstrumentsPath, true, true, "BW-Instrument"},
        {"Instruments", -1, true, SettingNames::kInstrumentsPath, true, true, "BW-Instrument"},
        {"Instruments", -1, true, SettingNames::kInstrumentsPath, true, true, "BW-Instrument"},
    };
    return rows;
}

PresetCategory makePresetCategory(const PresetCategoryRow& row) {
    return PresetCategory(row.name, row.kind, row.hasPathSetting, row.pathSettingName, row.writeDefaultPath,
                          row.saveToUserFolder, row.itemName);
}
