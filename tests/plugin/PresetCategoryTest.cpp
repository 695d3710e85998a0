#include "plugin/PresetCategory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(PresetCategory, SevenCategoriesInOrderWithInstrumentsThreeTimes) {
    std::vector<std::string> described;
    for (const PresetCategoryRow& row : presetCategoryRows()) {
        const PresetCategory category = makePresetCategory(row);
        described.push_back(category.name + "|" + std::to_string(category.kind) + "|" +
                            category.pathSettingName + "|" + category.itemName + "|" +
                            std::to_string(category.hasPathSetting) + std::to_string(category.writeDefaultPath) +
                            std::to_string(category.saveToUserFolder) + std::to_string(category.retrigger));
    }
    EXPECT_EQ(described, (std::vector<std::string>{
                             "Global Presets|0||Global Preset|0010",
                             "Sequences|2||Sequence Preset|0010",
                             "Sounds|1||Sound Preset|0010",
                             "Chord Banks|-1|Chord BanksPath|Chord Banks|1110",
                             "Instruments|-1|InstrumentsPath|BW-Instrument|1110",
                             "Instruments|-1|InstrumentsPath|BW-Instrument|1110",
                             "Instruments|-1|InstrumentsPath|BW-Instrument|1110",
                         }));
    // Missing texts: no own folder value, and an item named like the category.
    const PresetCategory bare(nullptr, 1, false, nullptr, false, false, nullptr);
    EXPECT_EQ(bare.name, "");
    const PresetCategory unnamedItems("Sounds", 1, false, nullptr, false, false, nullptr);
    EXPECT_EQ(unnamedItems.itemName, "Sounds");
    EXPECT_EQ(unnamedItems.pathSettingName, "");
}
