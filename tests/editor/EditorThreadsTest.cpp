// The editor's commands that change what the render reads, while another
// thread renders: MIDI learn edits with controllers arriving, instrument
// changes under held notes, and a MIDI export.  Built with ThreadSanitizer
// (make tsan), none of it may race.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "EditorScene.h"
#include "editor/MidiExport.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryCatalog.h"
#include "factory/FactoryContent.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "platform/DragOut.h"
#include "support/TempDir.h"

namespace editor_test {
namespace {

// Plays like a host: a held chord, then controller 7 on every block.
class AudioThread {
public:
    explicit AudioThread(BWUniClient& client) : client(client), thread([this] { run(); }) {}
    ~AudioThread() {
        done = true;
        thread.join();
    }
    int32_t blocks() const { return count; }

private:
    void run() {
        VstMidiEvent events[4];
        VstEvent* list[6] = {};
        auto* vst = reinterpret_cast<VstEvents*>(list);
        const uint8_t keys[4][3] = {{0x90, 60, 100}, {0x90, 64, 100}, {0x90, 67, 100}, {0xB0, 7, 64}};
        for (int i = 0; i < 4; ++i) {
            events[i] = {kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0,
                         {char(keys[i][0]), char(keys[i][1]), char(keys[i][2]), 0}, 0, 0, 0, 0};
            vst->events[i] = reinterpret_cast<VstEvent*>(&events[i]);
        }
        float left[256], right[256];
        float* outputs[2] = {left, right};
        vst->numEvents = 4;
        while (!done) {
            client.processEvents(vst);
            client.processReplacing(outputs, outputs, 256);
            vst->events[0] = vst->events[3];  // from now on the controller only
            vst->numEvents = 1;
            count.fetch_add(1);
        }
    }

    BWUniClient& client;
    std::atomic<bool> done{false};
    std::atomic<int32_t> count{0};
    std::thread thread;
};

TEST(EditorThreads, LearnInstrumentsAndExportWhileAnotherThreadRenders) {
    TempDir content;
    std::string error;
    ASSERT_TRUE(writeFactoryContent(content.path(), error)) << error;
    EditorScene scene(nullptr);  // the recording host is for one thread
    scene.client->setPresetName(0, "zorvane-export-threads");
    setSettingString(SettingNames::kInstrumentsPath, (content.path() / kFactoryInstrumentsFolder).string());
    globalRomplerLibrary().scan(true);
    platform::setDragOutReceiver([](const platform::DragOutRequest&) { return platform::kDropEffectNone; });
    const std::string first = factoryInstruments()[0].name;
    const std::string second = factoryInstruments()[1].name;
    BWUniClientEditor& editor = *scene.editor;
    MidiLearnMap& map = scene.client->learnMap();
    {
        AudioThread audio(*scene.client);
        for (int round = 0; round < 40; ++round) {
            EXPECT_TRUE(editor.learnPair(40 + round % 3, 0));
            editor.learnMenuEntries(40, 0);
            if (round % 4 == 3) {
                EXPECT_TRUE(editor.removeMidiLearnTag(41));
            }
            editor.changeInstrument(round % 3, round % 2 ? first : second);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const MidiExportReport report = editor.exportMidi();
        EXPECT_EQ(report.outcome, MidiExportReport::Outcome::Dragged);
        std::filesystem::remove(report.path);
        const int32_t before = audio.blocks();
        while (audio.blocks() < before + 8) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    platform::setDragOutReceiver({});
    EXPECT_TRUE(scene.messages.shown().empty()) << scene.messages.texts()[0];
    EXPECT_GT(map.changeCount, 0) << "controllers were learned meanwhile";
    for (int layer = 0; layer < 3; ++layer) EXPECT_NE(scene.client->soundLayer(layer).getInstrument(), nullptr);
    setSettingString(SettingNames::kInstrumentsPath, "");
    globalRomplerLibrary().scan(true);
}

}  // namespace
}  // namespace editor_test
