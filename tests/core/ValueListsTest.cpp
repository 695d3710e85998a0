#include "core/ValueLists.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

std::vector<std::string> labelsOf(const ValueList& list) {
    std::vector<std::string> labels;
    for (const ValueEntry& entry : list.entries) labels.emplace_back(entry.label);
    return labels;
}

const ValueList& list(int number) { return ValueLists::instance().list(number); }

}  // namespace

TEST(ValueLists, CountsAndTheirFloatForms) {
    const int counts[ValueLists::kListCount] = {16, 16, 10, 7, 14, 8, 15, 10, 19, 22, 21, 9};
    for (int number = 1; number <= ValueLists::kListCount; ++number) {
        const ValueList& current = list(number);
        EXPECT_EQ(current.count, counts[number - 1]) << number;
        EXPECT_EQ(current.entries.size(), static_cast<size_t>(current.count)) << number;
        EXPECT_EQ(current.countF, static_cast<float>(current.count)) << number;
        EXPECT_EQ(current.invCount, 1.0f / static_cast<float>(current.count)) << number;
    }
    EXPECT_EQ(list(1).invCount, 0.0625f);
    EXPECT_EQ(list(4).invCount, 1.0f / 7.0f);
    EXPECT_THROW(list(13), std::out_of_range);
}

TEST(ValueLists, TripletsUseTheStoredDecimalsNotExactThirds) {
    const ValueList& withTriplets = list(2);
    EXPECT_STREQ(withTriplets.entries[1].label, "1/1T");
    EXPECT_EQ(withTriplets.entries[1].beats, 4.0 * 0.666666);
    EXPECT_NE(withTriplets.entries[1].beats, 8.0 / 3.0);
    EXPECT_EQ(withTriplets.entries[3].beats, 4.0 * 0.33333333);
    EXPECT_EQ(static_cast<float>(withTriplets.entries[5].beats), 0.66666664f);  // "1/4T"
    EXPECT_EQ(list(10).entries.back().beats, 4.0 * 0.00520833333);          // "1/128T"
}

TEST(ValueLists, EqualLabelsHaveEqualLengthsInEveryList) {
    const std::map<std::string, double> known = {
        {"Off", 0.0},      {"4 bars", 16.0}, {"1.5 bars", 6.0}, {"bar", 4.0},     {"1/2", 2.0},
        {"1/128", 0.03125}, {"1/2P", 3.0},   {"1/128P", 0.046875}, {"0.75 bar", 3.0}, {"10//16", 2.5}};
    std::map<std::string, double> seen;
    for (int number = 1; number <= ValueLists::kListCount; ++number) {
        for (const ValueEntry& entry : list(number).entries) {
            ASSERT_LT(std::strlen(entry.label), sizeof entry.label);
            auto [place, fresh] = seen.emplace(entry.label, entry.beats);
            if (!fresh) {
                EXPECT_EQ(place->second, entry.beats) << entry.label << " in list " << number;
            }
            auto expected = known.find(entry.label);
            if (expected != known.end()) {
                EXPECT_EQ(entry.beats, expected->second) << entry.label;
            }
        }
    }
}

TEST(ValueLists, ListsBuiltFromOthers) {
    const std::vector<std::string> list5 = labelsOf(list(5));
    EXPECT_EQ(list5.front(), "1/2");
    EXPECT_EQ(list5.back(), "1/128T");

    std::vector<std::string> list7 = labelsOf(list(7));
    EXPECT_EQ(list7.front(), "Off");
    EXPECT_EQ(std::vector<std::string>(list7.begin() + 1, list7.end()), list5);

    const std::vector<std::string> list9 = labelsOf(list(9));
    EXPECT_EQ(std::vector<std::string>(list9.begin(), list9.begin() + 5),
              (std::vector<std::string>{"Off", "2 bars", "1.5 bars", "bar", "0.75 bar"}));
    EXPECT_EQ(std::vector<std::string>(list9.begin() + 5, list9.end()), list5);

    const std::vector<std::string> list10 = labelsOf(list(10));
    EXPECT_EQ(std::vector<std::string>(list10.begin(), list10.begin() + 4),
              (std::vector<std::string>{"Off", "1/2P", "1/2", "1/2T"}));
    EXPECT_EQ(std::vector<std::string>(list10.begin() + 1, list10.end()), labelsOf(list(11)));

    EXPECT_EQ(labelsOf(list(12)), (std::vector<std::string>{"1//16", "2//16", "3//16", "4//16", "6//16", "8//16",
                                                          "10//16", "12//16", "16//16"}));
}

TEST(ValueLists, FamilyViewsOfListTwo) {
    const NoteDivisionLists* views = valueLists();
    ASSERT_NE(views, nullptr);
    EXPECT_EQ(views->parent, &list(2));
    const std::vector<std::string> straight = {"bar", "1/2", "1/4", "1/8", "1/16", "1/32", "1/64", "1/128"};
    EXPECT_EQ(labelsOf(views->straight), straight);
    EXPECT_EQ(labelsOf(views->withTriplets), labelsOf(list(2)));
    EXPECT_EQ(labelsOf(views->withDotted), straight);
    EXPECT_EQ(views->straight.invCount, 0.125f);
    EXPECT_EQ(&views->select(0), views->parent);
    EXPECT_EQ(&views->select(2), &views->withTriplets);
    EXPECT_EQ(&views->select(9), views->parent);
}

TEST(ValueLists, FamilyViewsOfListOne) {
    const NoteDivisionLists& views = ValueLists::instance().divisions(1);
    const std::vector<std::string> straight = {"bar", "1//2 bar", "1/4", "1//8", "1//16", "1//32"};
    EXPECT_EQ(labelsOf(views.straight), straight);
    // List one holds no triplet, so its triplet view is the straight one.
    EXPECT_EQ(labelsOf(views.withTriplets), straight);
    EXPECT_EQ(labelsOf(views.withDotted),
              (std::vector<std::string>{"1.5 bars", "bar", "3//4 bar", "1//2 bar", "3//8", "1/4", "3//16", "1//8",
                                        "3//32", "1//16", "3//64", "1//32"}));

    const NoteDivisionLists& third = ValueLists::instance().divisions(3);
    EXPECT_EQ(third.straight.count, 5);
    EXPECT_EQ(third.withTriplets.count, 10);
    EXPECT_EQ(third.withDotted.count, 5);
}

TEST(ValueLists, ControlPositionsMapOntoEntriesWithinTheList) {
    const ValueList& sizes = list(2);
    EXPECT_EQ(sizes.indexFor(0.0f), 0);
    EXPECT_EQ(sizes.indexFor(1.0f), 15);
    EXPECT_EQ(sizes.indexFor(0.5f), 8);       // trunc(15 * 0.5 + 0.5)
    EXPECT_EQ(sizes.indexFor(0.0333f), 0);    // 15 * 0.0333 + 0.5 < 1
    EXPECT_EQ(sizes.indexFor(0.0334f), 1);
    // Values from stored data or the host never index outside the list.
    EXPECT_EQ(sizes.indexFor(-3.0f), 0);
    EXPECT_EQ(sizes.indexFor(7.0f), 15);
    EXPECT_EQ(sizes.indexFor(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(sizes.indexFor(std::numeric_limits<float>::infinity()), 15);
    EXPECT_STREQ(sizes.entryFor(1.0f).label, "1/128T");
}

TEST(ValueLists, StraightNoteLengthTable) {
    const auto table = noteLengthTable();
    ASSERT_EQ(table.size(), 9u);
    EXPECT_EQ(table[0], 0.25);
    EXPECT_EQ(table[1], 1.0);
    EXPECT_EQ(table[5], 0.0625);
    EXPECT_EQ(table[8], 0.0078125);
}
