#include "plugin/ConsistencyPass.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "support/InstanceTestSupport.h"
#include "persistence/BWChunk.h"
#include "persistence/BWFileio.h"
#include "persistence/ConsistencyReport.h"
#include "persistence/Settings.h"
#include "support/TempDir.h"

namespace {

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Points the desktop at a folder of the test.
struct DesktopSandbox {
    TempDir folder;
    DesktopSandbox() { setenv("ZORVANE_DESKTOP_DIR", (folder / "Desktop").c_str(), 1); }
    ~DesktopSandbox() { unsetenv("ZORVANE_DESKTOP_DIR"); }
    std::string report() const { return readText(folder / "Desktop" / "Consistency.txt"); }
};

}  // namespace

TEST_F(InstanceTest, ConsistencyPassResavesPresetsAndReportsWhatItCouldNotUse) {
    DesktopSandbox desktop;
    TempDir presets;
    std::filesystem::create_directories(presets / "Bank");
    const std::string good = (presets / "Bank" / "Good.zvp").string();
    instance->getSystemInfo()->setTempo(97.0);
    ASSERT_TRUE(instance->savePreset(good.c_str(), 0, "zvp", "t", nullptr));
    // A whole preset under another extension is reported, not applied.
    std::filesystem::copy_file(good, presets / "notes.txt");
    // A preset whose body is refused must not be overwritten by the pass.
    BWChunk chunk;
    ASSERT_TRUE(chunk.loadFromFile(good.c_str(), true));
    std::vector<uint32_t> words(static_cast<const uint32_t*>(chunk.getWords()),
                                static_cast<const uint32_t*>(chunk.getWords()) + chunk.getCapacityWords());
    words[8] = 12345;  // body marker
    const std::string refused = (presets / "Bank" / "Refused.zvp").string();
    ASSERT_TRUE(BWFileio::writeWhole(refused.c_str(), words.data(), words.size() * 4));
    ASSERT_TRUE(setSettingString("presetpath0", presets.str()));

    instance->getSystemInfo()->setTempo(120.0);
    const auto before = std::filesystem::last_write_time(good);
    instance->checkPresetConsistency();

    const std::string text = desktop.report();
    EXPECT_EQ(text, "Missing:\n\nFiles in use:\n\nMissing per Preset:\n \n Wrong Format " + presets.str() +
                        "/notes.txt");
    ASSERT_TRUE(chunk.loadFromFile(good.c_str(), true));
    EXPECT_EQ(chunk.getTempo(), 97.0f);  // rewritten with its own tempo
    EXPECT_GE(std::filesystem::last_write_time(good), before);
    BWChunk kept;
    ASSERT_TRUE(kept.loadFromFile(refused.c_str(), true));
    EXPECT_EQ(static_cast<const uint32_t*>(kept.getWords())[8], 12345u);

    // The second pass looks at the sound presets' folder and their extension.
    std::filesystem::create_directories(presets / "Sounds");
    ASSERT_TRUE(instance->savePreset((presets / "Sounds" / "Pad.zvq").c_str(), 1, "zvq", "t", nullptr));
    std::ofstream((presets / "Sounds" / "Lead.zvp").string()) << "short";
    ASSERT_TRUE(setSettingString("presetpath1", (presets / "Sounds").string()));
    instance->checkPresetConsistency1();
    EXPECT_EQ(desktop.report(), "Missing:\n\nFiles in use:\n\nMissing per Preset:\n \n LoadFail " + presets.str() +
                                    "/Sounds/Lead.zvp");
}

TEST(ConsistencyReport, ListsEachFileOnceAndEveryPresetThatMissesIt) {
    DesktopSandbox desktop;
    ConsistencyReport::Pass report(ConsistencyReport::process());
    report->clear();
    for (const char* preset : {"/p/A.zvp", "/p/B.zvp"}) {
        BWChunk chunk;
        chunk.setSourcePath(preset);
        chunk.missingFiles() = {"kick.wav"};
        chunk.usedFiles() = {"snare.wav", "hat.wav"};
        chunk.setTempo(133.0f);
        report->collect(chunk);
    }
    ASSERT_TRUE(report->write((desktop.folder / "out").string()) == false);  // no such folder
    std::filesystem::create_directories(desktop.folder / "out");
    ASSERT_TRUE(report->write((desktop.folder / "out").string()));
    EXPECT_EQ(readText(desktop.folder / "out" / "Consistency.txt"),
              "Missing:\nmissing kick.wav\n\nFiles in use:\nused hat.wav\nused snare.wav\n\n"
              "Missing per Preset:\n \n/p/A.zvp kick.wav \n/p/B.zvp kick.wav ");
    EXPECT_EQ(report->lastTempo(), 133.0f);
    EXPECT_EQ(formatString("%s-%d", std::string(300, 'x').c_str(), 7), std::string(300, 'x') + "-7");
}
