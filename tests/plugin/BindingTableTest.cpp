#include "plugin/BindingTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

TEST(BindingTable, TagsIdsNamesAndConstructionOrderAgree) {
    const auto byTag = bindingsByTag();
    ASSERT_EQ(byTag.size(), 214u);
    // Strictly ascending tags: each is unique, and host slot n holds tag n.
    EXPECT_TRUE(std::adjacent_find(byTag.begin(), byTag.end(), [](auto& a, auto& b) {
                    return a.tag >= b.tag;
                }) == byTag.end());
    for (int32_t tag = 0; tag < kHostParameterCount; ++tag) EXPECT_EQ(findBindingByTag(tag), &byTag[tag]) << tag;
    for (int32_t missing : {-1, 95, 208, 391}) EXPECT_EQ(findBindingByTag(missing), nullptr) << missing;

    // The construction order holds the same rows, each once.
    std::map<int32_t, std::string> fromTable, fromOrder;
    for (const BindingRow& row : byTag) fromTable[row.tag] = std::to_string(row.id) + row.name;
    for (const BindingRow& row : bindingsInConstructionOrder())
        EXPECT_TRUE(fromOrder.emplace(row.tag, std::to_string(row.id) + row.name).second) << row.tag;
    EXPECT_EQ(fromOrder, fromTable);
    EXPECT_STREQ(bindingsInConstructionOrder().front().name, "ManualChordSel");

    // Ids 1 to 155 but 107, once each; the other 60 bindings are actions.
    std::set<int32_t> ids;
    for (const BindingRow& row : byTag) {
        if (row.id == kActionId) continue;
        EXPECT_TRUE(ids.insert(row.id).second) << row.id;
        EXPECT_EQ(findBindingById(row.id), &row);
    }
    EXPECT_EQ(ids.size(), 154u);
    EXPECT_TRUE(*ids.begin() == 1 && *ids.rbegin() == 155 && !ids.count(107));
    for (int32_t missing : {kActionId, 0, 107, 156}) EXPECT_EQ(findBindingById(missing), nullptr) << missing;

    // Names stand as written: typos, and blanks at the end.
    const std::pair<int32_t, const char*> names[] = {
        {21, "Osc2 Ocatve"}, {36, "Osc3 Deacy"}, {93, "Random Minimal A "}, {224, "TieOs2"},
        {237, "paste c c c c c  "}, {307, "RVSon off"}, {84, "DLY16Time L"}};
    for (const auto& [tag, name] : names) EXPECT_STREQ(findBindingByTag(tag)->name, name);
}

TEST(BindingTable, PresetKindListsFollowTheConstructionOrder) {
    const auto global = presetKindMemberIds(kPresetKindGlobal);
    const auto sound = presetKindMemberIds(kPresetKindSound);
    const auto sequence = presetKindMemberIds(kPresetKindSequence);
    EXPECT_EQ(sound.size(), 88u);
    EXPECT_EQ(sequence.size(), 47u);
    EXPECT_TRUE(presetKindMemberIds(3).empty() && presetKindMemberIds(-1).empty());

    // Kind 0 is every binding with an id, registered in construction order.
    std::vector<int32_t> registered;
    for (const BindingRow& row : bindingsInConstructionOrder())
        if (row.id != kActionId) registered.push_back(row.id);
    EXPECT_EQ(std::vector<int32_t>(global.begin(), global.end()), registered);

    // Kinds 1 and 2 are disjoint and keep kind 0's order.
    std::map<int32_t, int> kindOf;
    for (auto [list, kind] : {std::pair{sound, 1}, std::pair{sequence, 2}}) {
        std::vector<size_t> positions;
        for (int32_t id : list) {
            EXPECT_TRUE(kindOf.emplace(id, kind).second) << id;
            positions.push_back(static_cast<size_t>(std::find(global.begin(), global.end(), id) - global.begin()));
        }
        EXPECT_TRUE(std::adjacent_find(positions.begin(), positions.end(), std::greater_equal<>()) ==
                    positions.end());
        EXPECT_LT(positions.back(), global.size());
    }
    // Master, kick, compressor, effect switches and two event tables are
    // stored by global presets only.
    for (int32_t id : {71, 72, 73, 74, 108, 109, 130, 134, 135, 139, 148, 155, 2, 98}) EXPECT_FALSE(kindOf.count(id));
}

TEST(BindingTable, SwitchesObjectsAndDefaults) {
    // Every action is a switch, and sixteen values are.
    for (const BindingRow& row : bindingsByTag())
        EXPECT_TRUE(row.id != kActionId || isSwitchTag(row.tag)) << row.tag;
    EXPECT_EQ(switchTags().size(), 76u);
    for (int32_t tag : {5, 43, 217, 226, 233, 276, 311}) EXPECT_TRUE(isSwitchTag(tag)) << tag;
    for (int32_t tag : {4, 44, 218, 313, 390}) EXPECT_FALSE(isSwitchTag(tag)) << tag;

    // The 22 objects carry the table's ids, are stored by global presets, and
    // each kind numbers its objects 0 to n-1 once.
    ASSERT_EQ(objectBindings().size(), 22u);
    std::map<BindingObjectKind, std::set<int32_t>> indices;
    const auto global = presetKindMemberIds(kPresetKindGlobal);
    for (const ObjectBindingRow& row : objectBindings()) {
        EXPECT_EQ(findBindingByTag(row.tag)->id, row.id) << row.tag;
        EXPECT_EQ(findObjectBinding(row.tag), &row);
        EXPECT_FALSE(isSwitchTag(row.tag)) << row.tag;
        EXPECT_NE(std::find(global.begin(), global.end(), row.id), global.end()) << row.id;
        EXPECT_TRUE(indices[row.kind].insert(row.index).second) << row.tag;
    }
    using enum BindingObjectKind;
    for (auto [kind, count] : {std::pair{MouseArea, 3}, {ZoneContainer, 1}, {StepLine, 5}, {SoundLayer, 3},
                               {PagedTable, 10}})
        EXPECT_TRUE(indices[kind].size() == size_t(count) && *indices[kind].rbegin() == count - 1);
    EXPECT_EQ(findObjectBinding(77), nullptr);

    // The defaults repeat the table's ids and lie within 0..1.
    ASSERT_EQ(hostParameterDefaults().size(), 87u);
    for (int32_t tag = 0; tag < kHostParameterCount; ++tag) {
        const DefaultRow& row = hostParameterDefaults()[tag];
        EXPECT_TRUE(row.tag == tag && row.id == findBindingByTag(tag)->id) << tag;
        EXPECT_TRUE(row.value >= 0.0f && row.value <= 1.0f) << tag;
    }
    for (const DefaultRow& row : furtherNonZeroDefaults())
        EXPECT_TRUE(row.id == findBindingByTag(row.tag)->id && !findObjectBinding(row.tag)) << row.tag;
    const std::pair<int32_t, float> defaults[] = {
        {0, 0.5098f},    {41, 0.6666667f}, {53, 0.999794f}, {74, 0.0f},     {79, 0.33333334f}, {80, 0.998889f},
        {90, 0.370079f}, {93, 0.7816f},    {330, 0.0625f},  {329, 0.0f},    {-1, 0.0f},        {999, 0.0f}};
    for (const auto& [tag, value] : defaults) EXPECT_EQ(factoryDefault(tag), value) << tag;
}
