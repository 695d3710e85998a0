#include "plugin/ParamBinding.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "persistence/BWChunkableClass.h"
#include "persistence/Settings.h"
#include "support/SettingsSandbox.h"

namespace {

class NamedObject : public BWChunkableClass {
public:
    explicit NamedObject(const char* name) : name(name) {}
    int32_t readChunk(BWChunk*, bool) override { return kChunkReadOk; }
    void writeChunk(BWChunk*) override {}
    const char* getName() override { return name; }

private:
    const char* name;
};

class CountedCondition : public BindingLoadCondition {
public:
    explicit CountedCondition(int& deletions) : deletions(deletions) {}
    ~CountedCondition() override { ++deletions; }
    bool allowsLoad() override { return false; }

private:
    int& deletions;
};

std::string stored(const std::string& name) {
    std::string text = "<missing>";
    getSettingString(name, text);
    return text;
}

}  // namespace

TEST(ParamBinding, BuiltFromATableRowWithTheConstantArguments) {
    const ParamBinding binding(*findBindingByTag(93));
    EXPECT_EQ(binding.id, 146);
    EXPECT_EQ(binding.tag, 93);
    EXPECT_EQ(binding.name, "Random Minimal A ");
    EXPECT_EQ(binding.label, "");
    EXPECT_EQ(binding.valueWord, 1);
    EXPECT_EQ(binding.value, nullptr);
    EXPECT_EQ(binding.object, nullptr);
    EXPECT_EQ(binding.type, kBindingTypePlain);
    EXPECT_EQ(binding.randomDepth, 0.0f);
    EXPECT_EQ(binding.optionIndex, kNoOption);
    EXPECT_FALSE(binding.remember || binding.rememberAsText || binding.hostPrivateProperty);

    // The load condition goes with the binding, once, wherever it was moved.
    int deletions = 0;
    {
        ParamBinding first(-1, 209, 1, nullptr, nullptr, nullptr, "ms", kBindingTypeSwitch, 0.0f);
        EXPECT_EQ(first.name, "");
        EXPECT_TRUE(first.isAction() && first.isSwitch());
        first.loadCondition = std::make_unique<CountedCondition>(deletions);
        std::vector<ParamBinding> moved;
        moved.push_back(std::move(first));
        moved.emplace_back(*findBindingByTag(0));
    }
    EXPECT_EQ(deletions, 1);
}

TEST(ParamBinding, RemembersItsValueOrItsObjectsNameUnderItsName) {
    SettingsSandbox sandbox;
    float chord = 3.0f;
    ParamBinding chordSelect(*findBindingByTag(kChordSelectTag));
    chordSelect.value = &chord;
    chordSelect.rememberInSettings();
    EXPECT_EQ(stored("Chord Select"), "3.000000");
    chord = -0.1234567f;
    chordSelect.rememberInSettings();
    EXPECT_EQ(stored("Chord Select"), "-0.123457");

    NamedObject named("Warm Pad"), unnamed(nullptr);
    ParamBinding layer(*findBindingByTag(378));
    layer.rememberAsText = true;
    layer.rememberInSettings();  // no object: nothing
    layer.object = &unnamed;
    layer.rememberInSettings();  // no name: nothing
    EXPECT_EQ(stored("Rompler"), "<missing>");
    layer.object = &named;
    layer.rememberInSettings();
    EXPECT_EQ(stored("Rompler"), "Warm Pad");

    // A binding that was never given its float writes nothing rather than
    // reading through a null pointer.
    ParamBinding unbound(*findBindingByTag(0));
    unbound.rememberInSettings();
    EXPECT_EQ(stored("MasterLevel"), "<missing>");
}
