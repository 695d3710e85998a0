#include "plugin/BindingTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Positions of the list's ids in the kind-0 list; ascending when the list
// keeps kind 0's order.
std::vector<size_t> positionsInGlobalList(std::span<const int32_t> ids) {
    const std::span<const int32_t> global = presetKindMemberIds(kPresetKindGlobal);
    std::vector<size_t> positions;
    for (int32_t id : ids)
        positions.push_back(static_cast<size_t>(std::find(global.begin(), global.end(), id) - global.begin()));
    return positions;
}

}  // namespace

TEST(BindingTable, TagsIdsAndConstructionOrderAgree) {
    const auto byTag = bindingsByTag();
    ASSERT_EQ(byTag.size(), 214u);
    EXPECT_TRUE(std::is_sorted(byTag.begin(), byTag.end(),
                               [](const BindingRow& a, const BindingRow& b) { return a.tag <= b.tag; }))
        << "tags ascend strictly, so each is unique";
    // Every host slot holds exactly one binding, the one with that tag.
    for (int32_t tag = 0; tag < kHostParameterCount; ++tag) {
        ASSERT_NE(findBindingByTag(tag), nullptr) << tag;
        EXPECT_EQ(findBindingByTag(tag)->tag, tag);
        EXPECT_EQ(&byTag[static_cast<size_t>(tag)], findBindingByTag(tag));
    }
    // The construction order holds the same rows, each once.
    std::map<int32_t, std::string> fromTable, fromOrder;
    for (const BindingRow& row : byTag) fromTable[row.tag] = std::to_string(row.id) + row.name;
    for (const BindingRow& row : bindingsInConstructionOrder())
        EXPECT_TRUE(fromOrder.emplace(row.tag, std::to_string(row.id) + row.name).second) << row.tag;
    EXPECT_EQ(fromOrder, fromTable);
    EXPECT_STREQ(bindingsInConstructionOrder().front().name, "ManualChordSel");
    EXPECT_EQ(bindingsInConstructionOrder().back().tag, kHighestBindingTag);

    // Ids 1 to 155 but 107 once each; the other 60 bindings are actions.
    std::set<int32_t> ids;
    int actions = 0;
    for (const BindingRow& row : byTag) {
        if (row.id == kActionId) {
            ++actions;
            continue;
        }
        EXPECT_TRUE(ids.insert(row.id).second) << row.id;
        EXPECT_EQ(findBindingById(row.id), &row);
    }
    EXPECT_EQ(actions, 60);
    EXPECT_EQ(ids.size(), 154u);
    EXPECT_TRUE(*ids.begin() == 1 && *ids.rbegin() == 155 && !ids.count(107));
    for (int32_t missing : {kActionId, 0, 107, 156}) EXPECT_EQ(findBindingById(missing), nullptr) << missing;
    for (int32_t missing : {-1, 95, 208, 391}) EXPECT_EQ(findBindingByTag(missing), nullptr) << missing;
}

TEST(BindingTable, NamesStandAsWrittenTyposAndBlanksIncluded) {
    struct Case {
        int32_t tag;
        int32_t id;
        const char* name;
    };
    const Case cases[] = {
        {21, 53, "Osc2 Ocatve"},     {36, 46, "Osc3 Deacy"},        {74, 6, "Chord Select"},
        {84, 140, "DLY16Time L"},    {86, 142, "Dly Feed 16"},      {93, 146, "Random Minimal A "},
        {224, 40, "TieOs2"},         {237, -1, "paste c c c c c  "}, {244, -1, "copy c c c c c c "},
        {307, 130, "RVSon off"},     {329, 143, "channel"},         {390, 98, "EventTableXY"},
    };
    for (const Case& c : cases) {
        const BindingRow* row = findBindingByTag(c.tag);
        ASSERT_NE(row, nullptr) << c.tag;
        EXPECT_EQ(row->id, c.id) << c.tag;
        EXPECT_STREQ(row->name, c.name) << c.tag;
    }
}

TEST(BindingTable, PresetKindListsFollowTheConstructionOrder) {
    const auto global = presetKindMemberIds(kPresetKindGlobal);
    const auto sound = presetKindMemberIds(kPresetKindSound);
    const auto sequence = presetKindMemberIds(kPresetKindSequence);
    EXPECT_EQ(global.size(), 154u);
    EXPECT_EQ(sound.size(), 88u);
    EXPECT_EQ(sequence.size(), 47u);
    EXPECT_TRUE(presetKindMemberIds(3).empty() && presetKindMemberIds(-1).empty());

    // Kind 0 is every binding with an id, registered in construction order.
    std::vector<int32_t> registered;
    for (const BindingRow& row : bindingsInConstructionOrder())
        if (row.id != kActionId) registered.push_back(row.id);
    EXPECT_EQ(std::vector<int32_t>(global.begin(), global.end()), registered);
    // Kinds 1 and 2 are disjoint and keep kind 0's order.
    std::set<int32_t> soundIds(sound.begin(), sound.end()), shared;
    for (int32_t id : sequence)
        if (soundIds.count(id)) shared.insert(id);
    EXPECT_TRUE(shared.empty());
    for (auto list : {sound, sequence}) {
        const std::vector<size_t> positions = positionsInGlobalList(list);
        EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
        EXPECT_LT(positions.back(), global.size());
        EXPECT_EQ(std::adjacent_find(positions.begin(), positions.end()), positions.end());
    }
    // Master, kick, compressor, effect switches and two event tables are
    // only in global presets.
    for (int32_t id : {71, 72, 73, 74, 108, 109, 130, 134, 135, 139, 148, 155, 2, 98}) {
        EXPECT_EQ(std::count(sound.begin(), sound.end(), id) + std::count(sequence.begin(), sequence.end(), id),
                  0)
            << id;
    }
}

TEST(BindingTable, SwitchesObjectsAndDefaults) {
    // Every action is a switch, and sixteen values are.
    int switches = 0;
    for (const BindingRow& row : bindingsByTag()) {
        if (row.id == kActionId) {
            EXPECT_TRUE(isSwitchTag(row.tag)) << row.tag;
        }
        switches += isSwitchTag(row.tag);
    }
    EXPECT_EQ(switches, 76);
    EXPECT_EQ(switchTags().size(), 76u);
    for (int32_t tag : {5, 43, 217, 223, 226, 233, 235, 276, 307, 311}) EXPECT_TRUE(isSwitchTag(tag)) << tag;
    for (int32_t tag : {4, 44, 218, 313, 390}) EXPECT_FALSE(isSwitchTag(tag)) << tag;

    // The 22 objects: ids agree with the table, and each kind's objects are
    // numbered 0 to n-1 once.
    ASSERT_EQ(objectBindings().size(), 22u);
    std::map<BindingObjectKind, std::set<int32_t>> indices;
    const auto global = presetKindMemberIds(kPresetKindGlobal);
    for (const ObjectBindingRow& row : objectBindings()) {
        ASSERT_NE(findBindingByTag(row.tag), nullptr) << row.tag;
        EXPECT_EQ(findBindingByTag(row.tag)->id, row.id) << row.tag;
        EXPECT_EQ(findObjectBinding(row.tag), &row);
        EXPECT_FALSE(isSwitchTag(row.tag)) << row.tag;
        EXPECT_NE(std::find(global.begin(), global.end(), row.id), global.end()) << row.id;
        EXPECT_TRUE(indices[row.kind].insert(row.index).second) << row.tag;
    }
    const std::map<BindingObjectKind, size_t> counts = {
        {BindingObjectKind::MouseArea, 3}, {BindingObjectKind::ZoneContainer, 1},
        {BindingObjectKind::StepLine, 5},  {BindingObjectKind::SoundLayer, 3},
        {BindingObjectKind::PagedTable, 10}};
    for (const auto& [kind, count] : counts) {
        ASSERT_EQ(indices[kind].size(), count);
        EXPECT_EQ(*indices[kind].rbegin(), static_cast<int32_t>(count) - 1);
    }
    EXPECT_EQ(findObjectBinding(78)->kind, BindingObjectKind::MouseArea);  // "PatternKeys", a host parameter
    EXPECT_EQ(findObjectBinding(77), nullptr);

    // Defaults: the rows repeat the ids of the binding table, all within 0..1.
    ASSERT_EQ(hostParameterDefaults().size(), 87u);
    for (size_t tag = 0; tag < hostParameterDefaults().size(); ++tag) {
        const DefaultRow& row = hostParameterDefaults()[tag];
        EXPECT_EQ(row.tag, static_cast<int32_t>(tag));
        EXPECT_EQ(row.id, findBindingByTag(row.tag)->id) << tag;
        EXPECT_GE(row.value, 0.0f);
        EXPECT_LE(row.value, 1.0f);
    }
    for (const DefaultRow& row : furtherNonZeroDefaults()) {
        EXPECT_EQ(row.id, findBindingByTag(row.tag)->id) << row.tag;
        EXPECT_EQ(findObjectBinding(row.tag), nullptr) << row.tag;
        EXPECT_GT(row.value, 0.0f);
    }
    const std::pair<int32_t, float> defaults[] = {
        {0, 0.5098f},  {41, 0.6666667f}, {42, 0.285714f}, {53, 0.999794f}, {74, 0.0f},   {79, 0.33333334f},
        {80, 0.998889f}, {86, 0.1998f},  {90, 0.370079f}, {93, 0.7816f},   {94, 0.3057f}, {330, 0.0625f},
        {87, 0.0f},    {329, 0.0f},      {-1, 0.0f},      {999, 0.0f}};
    for (const auto& [tag, value] : defaults) EXPECT_EQ(factoryDefault(tag), value) << tag;
}
