// The editor's commands that change what the render reads, while another
// thread renders: MIDI learn edits with controllers arriving, instrument
// changes under held notes, and a MIDI export.  Under ThreadSanitizer (make
// tsan) none of it may race.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "EditorScene.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryCatalog.h"
#include "factory/FactoryContent.h"
#include "persistence/Settings.h"
#include "platform/DragOut.h"
#include "support/TempDir.h"

namespace editor_test {
namespace {

TEST(EditorThreads, LearnInstrumentsAndExportWhileAnotherThreadRenders) {
    TempDir content;
    std::string error;
    ASSERT_TRUE(writeFactoryContent(content.path(), error)) << error;
    EditorScene scene(nullptr);  // the recording host is for one thread
    scene.client->setPresetName(0, "zorvane-export-threads");
    setSettingString("InstrumentsPath", (content.path() / kFactoryInstrumentsFolder).string());
    globalRomplerLibrary().scan(true);
    platform::setDragOutReceiver([](const platform::DragOutRequest&) { return platform::kDropEffectNone; });
    BWUniClientEditor& editor = *scene.editor;
    std::atomic<bool> done{false};
    std::atomic<int32_t> blocks{0};
    // Plays like a host: a held chord, then controller 7 on every block.
    std::thread audio([&] {
        VstMidiEvent events[4];
        VstEvent* list[6] = {};
        auto* vst = reinterpret_cast<VstEvents*>(list);
        const uint8_t bytes[4][3] = {{0x90, 60, 100}, {0x90, 64, 100}, {0x90, 67, 100}, {0xB0, 7, 64}};
        for (int i = 0; i < 4; ++i) {
            events[i] = {kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0,
                         {char(bytes[i][0]), char(bytes[i][1]), char(bytes[i][2]), 0}, 0, 0, 0, 0};
            vst->events[vst->numEvents++] = reinterpret_cast<VstEvent*>(&events[i]);
        }
        float left[256], right[256];
        float* outputs[2] = {left, right};
        while (!done) {
            scene.client->processEvents(vst);
            scene.client->processReplacing(outputs, outputs, 256);
            vst->events[0] = vst->events[3];
            vst->numEvents = 1;
            blocks.fetch_add(1);
        }
    });
    for (int round = 0; round < 40; ++round) {
        EXPECT_TRUE(editor.learnPair(40 + round % 3, 0));
        editor.learnMenuEntries(40, 0);
        if (round % 4 == 3) {
            EXPECT_TRUE(editor.removeMidiLearnTag(41));
        }
        editor.changeInstrument(round % 3, factoryInstruments()[size_t(round % 2)].name);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const MidiExportReport report = editor.exportMidi();
    const int32_t after = blocks.load();
    while (blocks.load() < after + 8) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    done = true;
    audio.join();
    platform::setDragOutReceiver({});
    std::filesystem::remove(report.path);
    EXPECT_EQ(report.outcome, MidiExportReport::Outcome::Dragged);
    EXPECT_TRUE(scene.messages.shown().empty());
    EXPECT_GT(scene.client->learnMap().changeCount, 0) << "controllers were learned meanwhile";
    for (int layer = 0; layer < 3; ++layer) EXPECT_NE(scene.client->soundLayer(layer).getInstrument(), nullptr);
    setSettingString("InstrumentsPath", "");
    globalRomplerLibrary().scan(true);
}

}  // namespace
}  // namespace editor_test
