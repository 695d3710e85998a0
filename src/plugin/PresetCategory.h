#pragma once
// One category of preset or content files: its folder under the content
// folder (named after the category), where the settings keep that folder,
// and what one item is called.  The instance keeps seven, in the order of
// presetCategoryRows(); the content-folder set-up and the preset writer walk
// them in that order.

#include <cstdint>
#include <span>
#include <string>

struct PresetCategory {
    // Null pathSettingName gives an empty one; null itemName gives the name.
    PresetCategory(const char* name, int32_t kind, bool hasPathSetting, const char* pathSettingName,
                   bool writeDefaultPath, bool saveToUserFolder, const char* itemName);

    std::string pathSettingName;  // the category's own folder value; empty: "presetpath<kind>"
    std::string name;             // also the folder's name under the content folder
    std::string itemName;         // what one item is called ("Sound Preset")
    int32_t kind;                 // preset kind 0 to 2, or -1 for files that are not parameter presets
    bool hasPathSetting;          // the folder lives under pathSettingName
    bool writeDefaultPath;        // write the default folder there when that value is missing
    bool saveToUserFolder;        // items are saved into the folder's "User" sub-folder
    bool retrigger = false;       // a load of this kind restarts the reverser's trigger
};

struct PresetCategoryRow {
    const char* name;
    int32_t kind;
    bool hasPathSetting;
    const char* pathSettingName;
    bool writeDefaultPath;
    bool saveToUserFolder;
    const char* itemName;
};

// The seven categories in the order the instance appends them.  The last
// three are "Instruments", once for each sound layer, so every walk over the
// list meets that category three times.
std::span<const PresetCategoryRow> presetCategoryRows();

PresetCategory makePresetCategory(const PresetCategoryRow& row);
