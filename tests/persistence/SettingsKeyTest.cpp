#include "persistence/SettingsKey.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "support/SettingsSandbox.h"

namespace {

// The value as the store holds it, bypassing the key's own reading rules.
std::optional<platform::SettingsValue> stored(const char* name,
                                              const char* keyPath = "Software\\Brindlewick\\Zorvane") {
    return platform::SettingsStoreKey::open(keyPath)->read(name);
}

}  // namespace

TEST(SettingsKey, StringsAreStoredWithoutTerminatorAndReadBackExactly) {
    SettingsSandbox sandbox;
    SettingsKey key("Zorvane");
    ASSERT_TRUE(key.isOpen());
    ASSERT_TRUE(key.setString("contentpath", "abc"));
    EXPECT_EQ(stored("contentpath")->data, "abc");  // 3 bytes, no zero
    EXPECT_EQ(stored("contentpath")->type, platform::SettingsType::String);

    // A buffer full of leftovers: the text ends right after the stored bytes.
    char buffer[kSettingTextSize];
    std::memset(buffer, 'Z', sizeof buffer);
    ASSERT_TRUE(key.getString("contentpath", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "abc");

    const std::string anyBytes("\x01\xFF\0\n\\x", 6);
    ASSERT_TRUE(key.setString("odd", anyBytes));
    std::string text;
    ASSERT_TRUE(key.getString("ODD", text));
    EXPECT_EQ(text, anyBytes);
}

TEST(SettingsKey, StringLengthLimitsAndSmallBuffers) {
    SettingsSandbox sandbox;
    SettingsKey key("Zorvane");
    std::string text = "untouched";
    ASSERT_TRUE(key.setString("long", std::string(1026, 'a')));
    EXPECT_FALSE(key.getString("long", text));  // longer than 1025 bytes: missing
    EXPECT_EQ(text, "untouched");
    ASSERT_TRUE(key.setString("long", std::string(1024, 'b') + "c"));
    ASSERT_TRUE(key.getString("long", text));
    EXPECT_EQ(text, std::string(1024, 'b'));  // at most 1024 bytes are used
    EXPECT_FALSE(key.getString("missing", text));

    char small[8] = "keepme";
    ASSERT_TRUE(key.setString("path", "/home/ann"));
    EXPECT_FALSE(key.getString("path", small, sizeof small));  // would not fit
    EXPECT_STREQ(small, "keepme");
    EXPECT_FALSE(key.getString("path", nullptr, 100));
    ASSERT_TRUE(key.setString("path", "/home/a"));
    ASSERT_TRUE(key.getString("path", small, sizeof small));
    EXPECT_STREQ(small, "/home/a");
}

TEST(SettingsKey, DwordsReplaceStringsAndNeedFourBytes) {
    SettingsSandbox sandbox;
    SettingsKey key("Zorvane");
    ASSERT_TRUE(key.setString("forceresize", "text"));
    ASSERT_TRUE(key.writeDword("forceresize", 1));
    EXPECT_EQ(stored("forceresize")->type, platform::SettingsType::Dword);
    uint32_t value = 7;
    ASSERT_TRUE(key.readDword("FORCERESIZE", &value));
    EXPECT_EQ(value, 1u);
    ASSERT_TRUE(key.setString("forceresize", "on"));
    EXPECT_EQ(stored("forceresize")->type, platform::SettingsType::String);

    value = 7;
    EXPECT_FALSE(key.readDword("forceresize", &value));  // two bytes: reads as missing
    EXPECT_FALSE(key.readDword("missing", &value));
    EXPECT_EQ(value, 7u);
    // The stored type is not examined: four bytes of any value read as a number.
    ASSERT_TRUE(key.setString("raw", std::string("\x96\0\0\0", 4)));
    ASSERT_TRUE(key.readDword("raw", &value));
    EXPECT_EQ(value, 150u);
}

TEST(SettingsKey, KeysOfOtherProductsAndSubKeysAreSeparate) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(SettingsKey("Zorvane").setString("installpath", "/opt/zorvane"));
    ASSERT_TRUE(SettingsKey("Velmora").setString("installpath", "/opt/velmora"));
    std::string text;
    EXPECT_FALSE(SettingsKey("Zorvane", "Window").getString("installpath", text));
    EXPECT_EQ(stored("installpath", "Software\\Brindlewick\\Velmora")->data, "/opt/velmora");
    EXPECT_EQ(stored("installpath")->data, "/opt/zorvane");
    EXPECT_TRUE(std::filesystem::exists(sandbox.productKeyFile()));
}

TEST(SettingsKey, AClosedOrUnreachableKeyReadsNothingAndWritesNothing) {
    SettingsSandbox sandbox;
    std::ofstream(sandbox.root() / "software") << "a file where the folder belongs";
    SettingsKey unreachable("Zorvane");
    SettingsKey closed;
    for (SettingsKey* key : {&unreachable, &closed}) {
        EXPECT_FALSE(key->isOpen());
        EXPECT_FALSE(key->setString("a", "x"));
        EXPECT_FALSE(key->writeDword("a", 1));
        std::string text = "same";
        uint32_t value = 3;
        EXPECT_FALSE(key->getString("a", text));
        EXPECT_FALSE(key->readDword("a", &value));
        EXPECT_EQ(text, "same");
        EXPECT_EQ(value, 3u);
    }
}
