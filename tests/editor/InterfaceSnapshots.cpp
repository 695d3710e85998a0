// Not a check: with ZORVANE_SNAPSHOT_DIR set, writes a PNG of the open
// editor for each page set at zoom 1.0 and 1.5, for a person to look at
// (the pages reached through the switches' parameters).  Skipped otherwise.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "EditorScene.h"
#include "guitoolkit/WindowSnapshot.h"

namespace editor_test {
namespace {

struct PageSet {
    const char* name;
    std::vector<std::pair<int32_t, float>> switches;
};

const PageSet kPageSets[] = {
    {"sound-lane1",
     {{Tag::SoundDelayPages, 0.0f}, {Tag::ModulationTracks, 0.0f}, {Tag::OctavePages, 1.0f},
      {Tag::ChordModePages, 0.0f}}},
    {"sound-lane2-objects",
     {{Tag::SoundDelayPages, 0.0f}, {Tag::ModulationTracks, 0.25f}, {Tag::OctavePages, 0.0f},
      {Tag::ChordModePages, 1.0f}}},
    {"sound-lane3", {{Tag::SoundDelayPages, 0.0f}, {Tag::ModulationTracks, 0.5f}}},
    {"sound-lane4-octave",
     {{Tag::SoundDelayPages, 0.0f}, {Tag::ModulationTracks, 0.75f}, {Tag::PatternOctavePage, 0.0f}}},
    {"sound-lane5", {{Tag::SoundDelayPages, 0.0f}, {Tag::ModulationTracks, 1.0f}}},
    {"effects-delay", {{Tag::SoundDelayPages, 1.0f}, {Tag::DelaySwitch, 0.0f}}},
    {"effects-delay16", {{Tag::SoundDelayPages, 1.0f}, {Tag::DelaySwitch, 1.0f}}},
};

void settleForSnapshot(EditorScene& scene) {
    for (int i = 0; i < 4; ++i) {
        scene.windows.advance(40);
        scene.editor->idle();
        scene.client->idle();
    }
    scene.windows.dispatchPendingPaint();
}

TEST(InterfaceSnapshots, WritesEveryPageSetAtTwoZooms) {
    const char* dir = std::getenv("ZORVANE_SNAPSHOT_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "set ZORVANE_SNAPSHOT_DIR to write the snapshots";
    std::filesystem::create_directories(dir);
    for (float zoom : {1.0f, 1.5f}) {
        EditorScene scene;
        // Something in the lanes, and what the render would publish.
        PatternModels& models = scene.client->patterns();
        for (int i = 0; i < PatternModels::kStepLines; ++i) models.stepLine(i).randomize();
        for (int i = 0; i < PatternModels::kCutoffLanes; ++i) models.cutoffLane(i).randomize();
        models.chordTable.randomize();
        models.eventTable.randomize();
        DisplayBlock& block = scene.client->displayBlock();
        block.counter1 = 5.0f;
        block.counter2 = 5.0f;
        block.playBarAlpha = 160.0f;
        block.pageImageAlpha = 255.0f;
        block.objectCount = 3.0f;
        block.objectAlpha.fill(255.0f);
        for (int i = 0; i < 3; ++i) {
            block.positions[i] = 6.0f + 9.0f * i;
            block.activity[i] = 1.0f;
            block.positions2[i] = 6.0f + 9.0f * i;
            block.activity2[i] = 1.0f;
            block.objectSpriteY[i] = 7.0f * i;
        }
        block.beatIndicator = 1.0f;
        block.compressorReduction = 0.5f;
        block.chordNumber = 3.0f;
        scene.client->displayBlock().peakLeft = 0.5f;
        scene.client->displayBlock().peakRight = 0.25f;
        ASSERT_TRUE(scene.open());
        if (zoom != 1.0f) scene.editor->zoom(zoom, true);
        for (const PageSet& set : kPageSets) {
            if (VSTGUI::CView* panel = scene.frame()->getOverlay()) panel->looseFocus();
            for (auto [tag, value] : set.switches) scene.client->setParameter(tag, value);
            settleForSnapshot(scene);
            const auto file = std::filesystem::path(dir) / (std::string(set.name) + (zoom == 1.0f ? "-100" : "-150") + ".png");
            EXPECT_TRUE(VSTGUI::writeWindowPng(scene.frame()->getWindow(), file)) << file;
        }
        // A held value: the pointer resting on the level knob and on a layer's attack.
        scene.client->setParameter(Tag::SoundDelayPages, 0.0f);
        for (auto [x, y, name] : {std::tuple{914, 125, "hint-level"}, std::tuple{28, 181, "hint-attack"}}) {
            scene.windows.move(scene.frame()->getWindow(), int32_t(x * zoom), int32_t(y * zoom));
            settleForSnapshot(scene);
            EXPECT_TRUE(VSTGUI::writeWindowPng(scene.frame()->getWindow(),
                                               std::filesystem::path(dir) / (std::string(name) + (zoom == 1.0f ? "-100" : "-150") + ".png")));
        }
        // The panel the logo button opens.
        scene.client->openHookMenu();
        settleForSnapshot(scene);
        EXPECT_TRUE(VSTGUI::writeWindowPng(scene.frame()->getWindow(),
                                           std::filesystem::path(dir) / (std::string("about") + (zoom == 1.0f ? "-100" : "-150") + ".png")));
        if (VSTGUI::CView* panel = scene.frame()->getOverlay()) panel->looseFocus();
        // The locate panel as an empty library shows it.
        scene.editor->close();
        ASSERT_TRUE(scene.open());
        settleForSnapshot(scene);
        const auto file = std::filesystem::path(dir) / (std::string("locate") + (zoom == 1.0f ? "-100" : "-150") + ".png");
        EXPECT_TRUE(VSTGUI::writeWindowPng(scene.frame()->getWindow(), file));
    }
}

}  // namespace
}  // namespace editor_test
