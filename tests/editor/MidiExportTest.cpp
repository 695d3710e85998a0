// The MIDI export: the ticks it renders, the file it writes (read back by
// mido), the drag to the host, the file name, and an audio side that never
// leaves its block.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <tuple>

#include "EditorScene.h"
#include "plugin/BindingTable.h"
#include "editor/MidiExport.h"
#include "persistence/BWFileio.h"
#include "platform/DragOut.h"

namespace editor_test {
namespace {

using namespace std::chrono_literals;
using Note = std::tuple<int32_t, std::string, int>;  // file tick, "note_on"/"note_off", key

// What mido reads: the resolution and tempo, then the notes in order.
std::string readBack(const std::string& path) {
    std::string out;
    FILE* pipe = popen(("/usr/bin/python3 -c \"import mido,sys\nf=mido.MidiFile(sys.argv[1])\n"
                        "print(f.ticks_per_beat, [m.tempo for m in f.tracks[0] if m.type=='set_tempo'])\n"
                        "notes=[]\nfor t in f.tracks:\n n=0\n for m in t:\n  n+=m.time\n"
                        "  if m.type in ('note_on','note_off'): notes.append((n,m.type,m.note,m.channel))\n"
                        "for n in sorted(notes): print(*n)\n\" '" + path + "' 2>&1")
                           .c_str(),
                       "r");
    char buffer[512];
    while (size_t n = pipe ? std::fread(buffer, 1, sizeof buffer, pipe) : 0) out.append(buffer, n);
    if (pipe) pclose(pipe);
    return out;
}

struct DragCatcher {
    DragCatcher() {
        platform::setDragOutReceiver([this](const platform::DragOutRequest& request) {
            paths.push_back(request.path);
            return platform::kDropEffectCopy;
        });
    }
    ~DragCatcher() { platform::setDragOutReceiver({}); }
    std::vector<std::string> paths;
};

// Own clock, two steps a beat, chords from the keys, layer 1 sounding on
// every step, the arpeggio walking up; C, E and G taken in one block of
// four ticks.
void holdChord(BWUniClient& c) {
    for (auto [index, value] : {std::pair<int32_t, float>{Tag::Clocksource, 0.0f}, {Tag::ClockDivide, 0.5f},
                                {Tag::ChordSelect, 1.0f}, {Tag::Osc1Sound, 1.0f}, {Tag::Osc1TrigEach, 0.0f},
                                {Tag::Swingfactor, 0.0f}, {Tag::RestartArp, 1.0f}, {Tag::Arpmode, 0.0f}})
        c.setParameter(index, value);
    for (uint64_t step = 0; step < 32; ++step) {
        c.patterns().stepLine(0).setStepOnLine(0, step, 1.0f);
        c.patterns().stepLine(1).setStepOnLine(0, step, 1.0f);
    }
    VstMidiEvent keys[3];
    VstEvent* list[5] = {};
    auto* events = reinterpret_cast<VstEvents*>(list);
    for (int i = 0; i < 3; ++i) {
        keys[i] = {kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0, {char(0x90), char(60 + 4 * (i > 0) + 3 * (i > 1)), 100, 0},
                   0, 0, 0, 0};
        events->events[events->numEvents++] = reinterpret_cast<VstEvent*>(&keys[i]);
    }
    float left[64], right[64];
    float* outputs[2] = {left, right};
    c.processEvents(events);
    c.processReplacing(outputs, outputs, 64);
}

// Worked out by hand.  A bar is 4 beats = 5512.5 ticks of 16 samples at
// 120 bpm and 44.1 kHz: the loop renders the ticks at 0, 16/22050 beat, ...
// up to 4.0, that is 5513, after the restart tick.  The restart starts the
// run; the arpeggio, which took C when the keys came, goes on with E at
// once.  Every step retriggers when its phase (2 x 16/11025 a tick) passes
// 1 and 2: ticks 345 j - 1 counted from the keys' first tick, and the keys
// took four ticks and the restart one, so note j sounds at loop tick
// 345 j - 6.  Positions go to the grid of 1/240 beat (4 file ticks); each
// note ends where the next begins, the last at the end of the bar.
std::string handWorkedBar() {
    std::vector<Note> notes;
    const int walk[3] = {64, 67, 60};
    for (int j = 0; j < 16; ++j) {
        const int32_t tick = j == 0 ? 0 : int32_t(4 * std::llround((345.0 * j - 6.0) * 16.0 / 22050.0 * 240.0));
        notes.emplace_back(tick, "note_on", walk[j % 3]);
        notes.emplace_back(j == 15 ? 3840 : 0, "note_off", walk[j % 3]);
    }
    for (int j = 0; j < 15; ++j) std::get<0>(notes[size_t(2 * j + 1)]) = std::get<0>(notes[size_t(2 * j + 2)]);
    std::sort(notes.begin(), notes.end());
    std::string text = "960 [500000]\n";
    for (const auto& [tick, type, key] : notes) text += std::to_string(tick) + " " + type + " " + std::to_string(key) + " 0\n";
    return text;
}

TEST(MidiExport, AnOpenEditorExportsTheBarItPlays) {
    EditorScene scene;
    DragCatcher drags;
    ASSERT_TRUE(scene.open());
    scene.client->setPresetName(0, "zorvane-export-bar");  // tests run side by side
    holdChord(*scene.client);
    scene.host.clear();
    Edit press(kMidiExportTag, 1.0f);
    scene.editor->valueChanged(&press);
    ASSERT_EQ(drags.paths, std::vector<std::string>{getTempPath() + "zorvane-export-bar.mid"});
    EXPECT_EQ(readBack(drags.paths[0]), handWorkedBar());
    EXPECT_EQ(scene.editor->getPendingCursorResets(), 3);
    EXPECT_TRUE(scene.requests(HostOpcode::ProcessEvents).empty()) << "no note of the export goes to the host";
    float left[64], right[64];
    float* outputs[2] = {left, right};
    scene.client->processReplacing(outputs, outputs, 64);
    EXPECT_FALSE(scene.requests(HostOpcode::GetTime).empty()) << "the host's calls render again";
    const MidiExportReport report = scene.editor->exportMidi();
    EXPECT_EQ(std::tuple(report.renderCalls, report.lengthBeats), std::tuple(5514, 4.0));
    std::filesystem::remove(report.path);
}

// Logs the parameters set, by whomever.
struct ParameterLog : BWUniClient {
    using BWUniClient::BWUniClient;
    void setParameter(int32_t index, float value) override {
        log.emplace_back(index, value);
        BWUniClient::setParameter(index, value);
    }
    std::vector<std::pair<int32_t, float>> log;
};

TEST(MidiExport, NeverOpenedTheExportSetsNoParameterFirst) {
    EditorSceneOf<ParameterLog> scene;
    DragCatcher drags;
    scene.client->setPresetName(0, "zorvane-export-two-bars");
    scene.client->getSystemInfo()->setTempo(127.9);
    scene.client->setParameter(Tag::ExportLength, 1.0f / stepCount(Tag::ExportLength) + 0.00001f);  // two bars
    scene.client->log.clear();
    const MidiExportReport report = scene.editor->exportMidi();
    EXPECT_EQ(report.tempo, 127u) << "truncated";
    // 8 beats of ticks of 16 / (44100 x 60 / 127.9) beat, no restart tick.
    EXPECT_EQ(report.renderCalls, int32_t(std::floor(8.0 / (16.0 / double(float(44100.0 * 60.0 / 127.9))))) + 1);
    const auto& log = scene.client->log;
    EXPECT_EQ(std::count(log.begin(), log.end(), std::pair(279, 0.0f)), 0) << "the run switch is not released";
    EXPECT_EQ(log.back(), std::pair(-1, 0.0f)) << "the closing release goes nowhere";
    const std::string read = readBack(report.path);
    EXPECT_EQ(read.substr(0, read.find('\n')), "960 [472440]");
    std::filesystem::remove(report.path);
}

TEST(MidiExport, TheFileStaysInTheTemporaryFolderOrIsReportedUnwritten) {
    for (auto [program, file] : {std::pair{"Bright.Pad", "Bright.Pad.mid"}, {"../x", "___x.mid"},
                                 {"a\\b/c", "a_b_c.mid"}, {"..", "__.mid"}, {"tab\there\n", "tab_here_.mid"}})
        EXPECT_EQ(midiExportFileName(program), file) << program;
    EditorScene scene;
    DragCatcher drags;
    // A folder where the file would go: not written, and said.
    scene.client->setPresetName(0, "../zorvane-export-blocked");
    const std::string blocked = getTempPath() + "___zorvane-export-blocked.mid";
    std::filesystem::create_directories(blocked + "/inside");
    EXPECT_EQ(runMidiExport(*scene.client, -1).outcome, MidiExportReport::Outcome::NotWritten);
    std::filesystem::remove_all(blocked);
    EXPECT_EQ(scene.messages.texts(), std::vector<std::string>{"Could not open Midi File for writing!!!"});
    EXPECT_TRUE(drags.paths.empty());
}

// A host whose transport request does not return while `stuck` is set: the
// audio thread stays inside its block.
std::atomic<bool> stuck{false};
std::atomic<bool> inside{false};
intptr_t stickyHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    if (opcode != HostOpcode::GetTime) return 0;
    inside = true;
    while (stuck) std::this_thread::sleep_for(1ms);
    return 0;
}

TEST(MidiExport, AnAudioSideThatStaysInItsBlockEndsTheWait) {
    EditorScene scene(&stickyHost);
    DragCatcher drags;
    scene.client->setPresetName(0, "zorvane-export-busy");
    stuck = true;
    inside = false;
    std::thread audio([&] {
        float left[64], right[64];
        float* outputs[2] = {left, right};
        scene.client->processReplacing(outputs, outputs, 64);
    });
    while (!inside) std::this_thread::sleep_for(1ms);
    const auto start = std::chrono::steady_clock::now();
    const MidiExportReport report = runMidiExport(*scene.client, 279);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 400ms);
    stuck = false;
    audio.join();
    EXPECT_EQ(std::tuple(report.outcome, report.renderCalls), std::tuple(MidiExportReport::Outcome::AudioBusy, 0));
    EXPECT_TRUE(drags.paths.empty());
    ASSERT_EQ(scene.messages.texts().size(), 1u);
    EXPECT_NE(scene.messages.texts()[0].find("stayed busy"), std::string::npos);
    const MidiExportReport next = runMidiExport(*scene.client, 279);
    EXPECT_EQ(next.outcome, MidiExportReport::Outcome::Dragged) << "nothing is left stopped";
    std::filesystem::remove(next.path);
}

}  // namespace
}  // namespace editor_test
