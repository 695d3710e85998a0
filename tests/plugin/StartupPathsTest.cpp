#include "plugin/StartupPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/InstanceTestSupport.h"
#include "support/PluginTestSupport.h"
#include "plugin/ParamBinding.h"
#include "support/RenameWatch.h"

namespace {

std::vector<PresetCategory> allCategories() {
    std::vector<PresetCategory> categories;
    for (const PresetCategoryRow& row : presetCategoryRows()) categories.push_back(makePresetCategory(row));
    return categories;
}

}  // namespace

TEST(StartupPaths, OptionsReachTheirBindingsAndNewContentGetsItsFolders) {
    UserFoldersSandbox sandbox;
    SettingsKey key("Zorvane");
    ASSERT_TRUE(key.writeDword("ignorePrgChange", 1));
    ASSERT_TRUE(key.setString("Chord BanksPath", "/mine/"));

    std::atomic<float> ignore{0.5f}, isolate{0.5f}, other{0.5f};
    ParamBinding ignoreBinding(*findBindingByTag(0)), isolateBinding(*findBindingByTag(1)),
        otherBinding(*findBindingByTag(2));
    ignoreBinding.value = &ignore;
    ignoreBinding.optionIndex = kOptionIgnoreProgramChange;
    isolateBinding.value = &isolate;
    isolateBinding.optionIndex = kOptionCcMapRecallIsolate;
    otherBinding.value = &other;
    ParamBinding* const optionBindings[] = {&ignoreBinding, &isolateBinding, &otherBinding, nullptr};

    TestPluginBase plugin;
    const StartupOptions options =
        setupStartupPaths(plugin, "Zorvane", true, true, allCategories(), optionBindings);
    EXPECT_EQ(options, (StartupOptions{1.0f, 0.0f}));
    EXPECT_EQ(ignore.load(), 1.0f);
    EXPECT_EQ(isolate.load(), 0.0f);
    EXPECT_EQ(other.load(), 0.5f);

    const std::string content = sandbox.documents() + "/Brindlewick/Zorvane/";
    const std::pair<const char*, std::string> written[] = {
        {"contentpath", content},
        {"presetpath0", content + "Global Presets/"},
        {"presetsavepath0", content + "Global Presets/User/"},
        {"presetpath1", content + "Sounds/"},
        {"presetsavepath1", content + "Sounds/User/"},
        {"presetpath2", content + "Sequences/"},
        {"presetsavepath2", content + "Sequences/User/"},
        {"Chord BanksPath", "/mine/"},  // present: kept, and no save folder beside it
        {"Chord BanksPathsave", "<missing>"},
        // Written by the base just before, so the category keeps it.
        {"InstrumentsPath", sandbox.documents() + "/Brindlewick/Zorvane Library/Instrument/"},
        {"InstrumentsPathsave", "<missing>"},
        {"cc savepath", content + "CC Maps/"},
        {"audiofilepath", content + "Samples/Factory/"},
        {"presetpath-1", "<missing>"},
    };
    for (const auto& [name, value] : written) EXPECT_EQ(sandbox.value(name), value) << name;
}

TEST(StartupPaths, FoldersAreWrittenAgainOnlyWhenAskedOrGone) {
    UserFoldersSandbox sandbox;
    TestPluginBase plugin;
    const std::vector<PresetCategory> categories = allCategories();
    const auto run = [&] { setupStartupPaths(plugin, "Zorvane", false, false, categories, {}); };
    SettingsKey key("Zorvane");

    EXPECT_TRUE(contentFoldersNeedSetup("Zorvane"));  // no content folder yet
    run();
    EXPECT_EQ(sandbox.value("Chord BanksPathsave"),
              sandbox.documents() + "/Brindlewick/Zorvane/Chord Banks/User/");
    EXPECT_EQ(sandbox.value("InstrumentsPath"), sandbox.documents() + "/Brindlewick/Zorvane/Instruments/");
    EXPECT_TRUE(contentFoldersNeedSetup("Zorvane"));  // the folder it names does not exist

    ASSERT_TRUE(std::filesystem::create_directories(sandbox.value("contentpath")));
    EXPECT_FALSE(contentFoldersNeedSetup("Zorvane"));
    ASSERT_TRUE(key.setString("presetpath0", "/elsewhere/"));
    run();
    EXPECT_EQ(sandbox.value("presetpath0"), "/elsewhere/");

    ASSERT_TRUE(key.writeDword("updatePathes", 1));
    EXPECT_TRUE(contentFoldersNeedSetup("Zorvane"));
    run();
    EXPECT_EQ(sandbox.value("presetpath0"), sandbox.documents() + "/Brindlewick/Zorvane/Global Presets/");
    EXPECT_FALSE(contentFoldersNeedSetup("Zorvane"));  // the set-up clears the request
}

// An instance made while the content folder does not exist yet sets up a
// dozen folder values: one rewrite of the key file, not one per value.
TEST(StartupPaths, ConstructionRewritesTheSettingsOnce) {
    UserFoldersSandbox sandbox;
    // Opening makes the key's folder, so that it can be watched.
    const std::filesystem::path keyFile = platform::SettingsStoreKey::open("Software\\Brindlewick\\Zorvane")->file();
    RenameWatch watch(keyFile.parent_path());
    auto instance = makeInstance();
    EXPECT_EQ(watch.renamesOnto(keyFile.filename().string()), 1);
    EXPECT_EQ(sandbox.value("cc savepath"), sandbox.documents() + "/Brindlewick/Zorvane/CC Maps/");
}
