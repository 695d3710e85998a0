#include "persistence/Settings.h"

#include <gtest/gtest.h>

#include "persistence/SettingNames.h"
#include "support/SettingsSandbox.h"

TEST(Settings, MissingNumbersReadAsZeroOrKeepTheCallersDefault) {
    SettingsSandbox sandbox;
    EXPECT_EQ(getSettingDword(SettingNames::kNoSilentOptimisation), 0u);
    uint32_t resave = 1;
    EXPECT_FALSE(getSettingRaw(SettingNames::kResaveAllPresets, &resave));
    EXPECT_EQ(resave, 1u);

    ASSERT_TRUE(setSettingDword(indexedSettingName(SettingNames::kResizeFactorBase, 1), 150));
    EXPECT_EQ(getSettingDword("resizefactor1"), 150u);
    ASSERT_TRUE(setSettingDword(SettingNames::kResaveAllPresets, 0));
    EXPECT_TRUE(getSettingRaw("ResaveAllPresets", &resave));
    EXPECT_EQ(resave, 0u);
    // A number written over a string replaces it, and the other way round.
    ASSERT_TRUE(setSettingString(SettingNames::kUpdatePaths, "yes"));
    EXPECT_EQ(getSettingDword(SettingNames::kUpdatePaths), 0u);  // three bytes: not a number
    ASSERT_TRUE(setSettingDword(SettingNames::kUpdatePaths, 1));
    EXPECT_EQ(getSettingDword(SettingNames::kUpdatePaths), 1u);
    std::string text;
    EXPECT_TRUE(getSettingString("UPDATEPATHES", text));  // the type is not examined
    EXPECT_EQ(text, std::string("\1\0\0\0", 4));
    EXPECT_TRUE(std::filesystem::exists(sandbox.productKeyFile()));
}

TEST(Settings, IndexedStringsSkipMissingIndicesInOrder) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(setSettingString("presetuserpath2", "/two/"));
    ASSERT_TRUE(setSettingString("presetuserpath0", "/zero/"));
    ASSERT_TRUE(setSettingString("presetuserpath4", "/beyond the count/"));
    std::vector<std::string> list{"already there"};
    EXPECT_TRUE(readIndexedSettingStrings(SettingNames::kPresetUserPathBase, list, 4));
    EXPECT_EQ(list, (std::vector<std::string>{"already there", "/zero/", "/two/"}));
    EXPECT_TRUE(readIndexedSettingStrings("nothing", list, 3));
    EXPECT_EQ(list.size(), 3u);
}
