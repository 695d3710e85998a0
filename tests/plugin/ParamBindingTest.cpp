#include "plugin/ParamBinding.h"

#include <gtest/gtest.h>

#include <string>

#include "persistence/BWChunkableClass.h"
#include "support/PluginTestSupport.h"

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

}  // namespace

TEST(ParamBinding, RemembersItsValueOrItsObjectsNameUnderItsName) {
    UserFoldersSandbox sandbox;
    std::atomic<float> chord{3.0f};
    ParamBinding chordSelect(*findBindingByTag(kChordSelectTag));
    EXPECT_EQ(chordSelect.optionIndex, kNoOption);
    chordSelect.value = &chord;
    chordSelect.rememberInSettings();
    EXPECT_EQ(sandbox.value("Chord Select"), "3.000000");
    chord = -0.1234567f;
    chordSelect.rememberInSettings();
    EXPECT_EQ(sandbox.value("Chord Select"), "-0.123457");

    NamedObject named("Warm Pad"), unnamed(nullptr);
    ParamBinding layer(*findBindingByTag(378));
    layer.rememberAsText = true;
    layer.rememberInSettings();  // no object: nothing
    layer.object = &unnamed;
    layer.rememberInSettings();  // no name: nothing
    EXPECT_EQ(sandbox.value("Rompler"), "<missing>");
    layer.object = &named;
    layer.rememberInSettings();
    EXPECT_EQ(sandbox.value("Rompler"), "Warm Pad");

    // A binding that was never given its float writes nothing rather than
    // reading through a null pointer.
    ParamBinding(*findBindingByTag(0)).rememberInSettings();
    EXPECT_EQ(sandbox.value("MasterLevel"), "<missing>");
}
