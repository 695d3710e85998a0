#include "plugin/PresetCategory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(PresetCategory, SevenCategoriesInOrderWithInstrumentsThreeTimes) {
    std::vector<std::string> described;
    for (const PresetCategoryRow& row : presetCategoryRows()) {
        const PresetCategory c = makePresetCategory(row);
        described.push_back(c.name + "|" + std::to_string(c.kind) + "|" + c.pathSettingName + "|" + c.itemName +
                            "|" + std::to_string(c.hasPathSetting + 2 * c.writeDefaultPath +
                                                 4 * c.saveToUserFolder + 8 * c.retrigger));
    }
    EXPECT_EQ(described, (std::vector<std::string>{
                             "Global Presets|0||Global Preset|4", "Sequences|2||Sequence Preset|4",
                             "Sounds|1||Sound Preset|4", "Chord Banks|-1|Chord BanksPath|Chord Banks|7",
                             "Instruments|-1|InstrumentsPath|BW-Instrument|7",
                             "Instruments|-1|InstrumentsPath|BW-Instrument|7",
                             "Instruments|-1|InstrumentsPath|BW-Instrument|7"}));
    EXPECT_EQ(PresetCategory("Sounds", 1, false, nullptr, false, false, nullptr).itemName, "Sounds");
}
