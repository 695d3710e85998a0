#include "persistence/NaturalOrder.h"

#include <gtest/gtest.h>

TEST(NaturalOrder, NumbersByValueCaseFoldedUnderscoreAsZero) {
    EXPECT_TRUE(compareNatural("a2", "a10"));
    EXPECT_FALSE(compareNatural("a10", "a2"));
    EXPECT_TRUE(compareNatural("ab", "abc"));
    EXPECT_FALSE(compareNatural("abc", "ab"));
    EXPECT_TRUE(compareNatural("a b", "a_b"));  // a blank sorts below "_", which is "0"
    EXPECT_TRUE(compareNatural("apple", "Banana"));
    EXPECT_FALSE(compareNatural("Same", "same"));
    EXPECT_FALSE(compareNatural("same", "Same"));
    // Runs of any length compare by value.
    EXPECT_TRUE(compareNatural("x99999999999999999999", "x100000000000000000000"));
    EXPECT_FALSE(compareNatural("x100000000000000000000", "x99999999999999999999"));
    // After equal runs the comparison goes on where the second name's run ends.
    EXPECT_TRUE(compareNatural("a01b", "a1c"));  // '1' of "01b" meets 'c'
    EXPECT_TRUE(compareNatural("7", "007"));
}

TEST(NaturalOrder, SortStringsOrdersABank) {
    std::vector<std::string> names{"pad_1.zvp", "Pad 10.zvp", "Pad 9.zvp", "Lead.zvp", "lead 2.zvp"};
    sortStrings(names);
    // A blank sorts below ".", so "lead 2" goes before "Lead.".
    EXPECT_EQ(names, (std::vector<std::string>{"lead 2.zvp", "Lead.zvp", "Pad 9.zvp", "Pad 10.zvp",
                                               "pad_1.zvp"}));

    std::vector<std::string> many;
    for (int i = 200; i > 0; --i) many.push_back("Preset " + std::to_string(i % 37) + (i % 2 ? "_x" : " X"));
    sortStrings(many);
    for (size_t i = 1; i < many.size(); ++i) EXPECT_FALSE(compareNatural(many[i], many[i - 1])) << many[i];
}
