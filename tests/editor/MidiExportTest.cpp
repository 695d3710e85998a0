// The MIDI export: the ticks it renders, the file it writes (read back by
// mido), the drag to the host, the file name, and an audio side that never
// leaves its block.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>
#include <tuple>

#include "EditorScene.h"
#include "editor/MidiExport.h"
#include "persistence/BWFileio.h"
#include "platform/DragOut.h"
#include "plugin/PatternModels.h"

namespace editor_test {
namespace {

using namespace std::chrono_literals;

std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// The notes of the file as mido reads them: "<tick> <type> <note>" a line.
std::string notesOf(const std::string& path) {
    return run("/usr/bin/python3 -c \"import mido,sys\n"
               "f=mido.MidiFile(sys.argv[1])\n"
               "print(f.ticks_per_beat, [m.tempo for m in f.tracks[0] if m.type=='set_tempo'])\n"
               "for t in f.tracks:\n"
               " n=0\n"
               " for m in t:\n"
               "  n+=m.time\n"
               "  if m.type in ('note_on','note_off'): print(n, m.type, m.note, m.channel)\n\" '" +
               path + "' 2>&1");
}

// Catches the drags the export starts.
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
// every step, the arpeggio walking up; C, E and G held.
void holdChord(EditorScene& scene) {
    BWUniClient& c = *scene.client;
    for (auto [index, value] : {std::pair{276, 0.0f}, {76, 0.5f}, {74, 1.0f}, {341, 1.0f}, {9, 0.0f}, {77, 0.0f},
                                {328, 1.0f}, {217, 0.0f}}) {
        c.setParameter(index, value);
    }
    for (uint64_t step = 0; step < 32; ++step) {
        c.patterns().stepLine(0).setStepOnLine(0, step, 1.0f);
        c.patterns().stepLine(1).setStepOnLine(0, step, 1.0f);
    }
    VstMidiEvent keys[3];
    VstEvent* list[5] = {};
    auto* events = reinterpret_cast<VstEvents*>(list);
    for (int i = 0; i < 3; ++i) {
        keys[i] = {kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0, {char(0x90), char(60 + (i == 1) * 4 + (i == 2) * 7), 100, 0},
                   0, 0, 0, 0};
        events->events[i] = reinterpret_cast<VstEvent*>(&keys[i]);
    }
    events->numEvents = 3;
    float left[64], right[64];
    float* outputs[2] = {left, right};
    c.processEvents(events);
    c.processReplacing(outputs, outputs, 64);
}

struct Note {
    int32_t tick;
    bool on;
    int note;
    bool operator<(const Note& o) const { return std::tie(tick, on, note) < std::tie(o.tick, o.on, o.note); }
    bool operator==(const Note&) const = default;
};

std::vector<Note> parseNotes(const std::string& text) {
    std::vector<Note> notes;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);  // resolution and tempo
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        Note n{};
        std::string type;
        int channel = -1;
        fields >> n.tick >> type >> n.note >> channel;
        n.on = type == "note_on";
        EXPECT_EQ(channel, 0) << line;
        notes.push_back(n);
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}

// Worked out by hand.  The bar is 4 beats = 5512.5 ticks of 16 samples at
// 120 bpm and 44.1 kHz; the loop renders ticks at 0, 16/22050 beat, ...
// while the position is at most 4.0: 5513 ticks, after the restart tick.
// The restart starts the run, and the arpeggio, which took C when the keys
// arrived, goes on with E at once.  Every step retriggers when the phase
// (2 x 16/11025 a tick) passes 1 and 2, that is at ticks 345 j - 1 counted
// from the keys' first tick: the keys took four ticks and the restart one,
// so note j comes at loop tick 345 j - 6.  Positions go to the grid of
// 1/240 beat (4 of the file's 960 ticks); each note ends where the next
// begins, the last at the end of the bar.
std::vector<Note> handWorkedBar() {
    std::vector<Note> notes;
    const int walk[3] = {64, 67, 60};
    auto onGrid = [](int64_t loopTick) { return int32_t(4 * std::llround(double(loopTick) * 16.0 / 22050.0 * 240.0)); };
    for (int j = 0; j < 16; ++j) {
        const int32_t tick = j == 0 ? 0 : onGrid(345 * j - 6);
        notes.push_back({tick, true, walk[j % 3]});
        if (j > 0) notes.push_back({tick, false, walk[(j - 1) % 3]});
    }
    notes.push_back({3840, false, walk[15 % 3]});
    std::sort(notes.begin(), notes.end());
    return notes;
}

TEST(MidiExport, AnOpenEditorExportsTheBarItPlays) {
    EditorScene scene;
    DragCatcher drags;
    ASSERT_TRUE(scene.open());
    ASSERT_EQ(scene.editor->getExportRestartTag(), 279);
    scene.client->setPresetName(0, "zorvane-export-bar");  // tests run side by side
    holdChord(scene);
    scene.host.clear();
    // The export button reports its press; the file goes to the host's receiver.
    Edit press(kMidiExportTag, 1.0f);
    scene.editor->valueChanged(&press);
    ASSERT_EQ(drags.paths.size(), 1u);
    const std::string path = drags.paths[0];
    EXPECT_EQ(path, getTempPath() + "zorvane-export-bar.mid");
    EXPECT_EQ(scene.editor->getPendingCursorResets(), 3);
    EXPECT_TRUE(scene.requests(HostOpcode::ProcessEvents).empty()) << "no note of the export goes to the host";

    const std::string read = notesOf(path);
    EXPECT_EQ(read.substr(0, read.find('\n')), "960 [500000]");
    EXPECT_EQ(parseNotes(read), handWorkedBar()) << read;
    std::filesystem::remove(path);

    // The host's process calls run again afterwards.
    float left[64] = {1.0f}, right[64];
    float* outputs[2] = {left, right};
    scene.client->processReplacing(outputs, outputs, 64);
    EXPECT_FALSE(scene.requests(HostOpcode::GetTime).empty());

    // Called directly: 5513 ticks of the loop and the restart tick.
    const MidiExportReport report = scene.editor->exportMidi();
    EXPECT_EQ(report.renderCalls, 5514);
    EXPECT_EQ(report.lengthBeats, 4.0);
    std::filesystem::remove(report.path);
}

// Logs the parameters set, by whom ever.
struct ParameterLog : BWUniClient {
    using BWUniClient::BWUniClient;
    void setParameter(int32_t index, float value) override {
        if (logging) log.emplace_back(index, value);
        BWUniClient::setParameter(index, value);
    }
    bool logging = false;
    std::vector<std::pair<int32_t, float>> log;
};

TEST(MidiExport, WithoutAnOpenEditorNoParameterIsSetFirst) {
    EditorSceneOf<ParameterLog> scene;
    DragCatcher drags;
    scene.client->setPresetName(0, "zorvane-export-two-bars");
    scene.client->getSystemInfo()->setTempo(127.9);
    scene.client->setParameter(339, 1.0f / 14.0f + 0.00001f);  // two bars
    scene.client->logging = true;
    const MidiExportReport report = runMidiExport(*scene.client, scene.editor->getExportRestartTag());
    EXPECT_EQ(report.outcome, MidiExportReport::Outcome::Dragged);
    EXPECT_EQ(report.tempo, 127u) << "the tempo is truncated";
    EXPECT_EQ(report.lengthBeats, 8.0);
    // 8 beats at 127.9 bpm: 16 / (44100 x 60 / 127.9) beat a tick, no restart tick.
    const double step = 16.0 / double(float(44100.0 * 60.0 / 127.9));
    EXPECT_EQ(report.renderCalls, int32_t(std::floor(8.0 / step)) + 1);
    const auto& log = scene.client->log;
    EXPECT_EQ(std::count(log.begin(), log.end(), std::pair(279, 0.0f)), 0) << "the run switch is not released";
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), std::pair(-1, 0.0f)) << "the closing release goes nowhere";
    const std::string read = notesOf(report.path);
    EXPECT_EQ(read.substr(0, read.find('\n')), "960 [472440]");
    std::filesystem::remove(report.path);

    // Opened, the export releases and presses the run switch around its restart tick.
    ASSERT_TRUE(scene.editor->open(toolkit_test::handleOf(scene.parent)));
    scene.client->log.clear();
    std::filesystem::remove(scene.editor->exportMidi().path);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), std::pair(279, 0.0f));
    EXPECT_EQ(log.back(), std::pair(279, 0.0f));
}

TEST(MidiExport, TheFileStaysInTheTemporaryFolder) {
    const std::pair<const char*, const char*> names[] = {
        {"default", "default.mid"}, {"Bright.Pad", "Bright.Pad.mid"}, {"../x", "___x.mid"},
        {"a\\b/c", "a_b_c.mid"},    {"..", "__.mid"},                 {"tab\there\n", "tab_here_.mid"},
    };
    for (auto [program, file] : names) EXPECT_EQ(midiExportFileName(program), file) << program;

    EditorScene scene;
    DragCatcher drags;
    scene.client->setPresetName(0, "../zorvane-export-x");
    const MidiExportReport report = runMidiExport(*scene.client, -1);
    EXPECT_EQ(std::filesystem::path(report.path).parent_path(), std::filesystem::path(getTempPath()).parent_path());
    EXPECT_TRUE(std::filesystem::exists(report.path));
    std::filesystem::remove(report.path);

    // A folder where the file should be: it cannot be written, and it is said.
    scene.client->setPresetName(0, "zorvane-export-blocked");
    const std::string blocked = getTempPath() + "zorvane-export-blocked.mid";
    std::filesystem::create_directories(blocked + "/inside");
    EXPECT_EQ(runMidiExport(*scene.client, -1).outcome, MidiExportReport::Outcome::NotWritten);
    std::filesystem::remove_all(blocked);
    EXPECT_EQ(scene.messages.texts(), (std::vector<std::string>{"Could not open Midi File for writing!!!"}));
    EXPECT_EQ(drags.paths.size(), 1u);
}

// A host whose transport request never returns while `stuck` is set: the
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
    EXPECT_EQ(report.outcome, MidiExportReport::Outcome::AudioBusy);
    EXPECT_EQ(report.renderCalls, 0);
    EXPECT_TRUE(drags.paths.empty());
    ASSERT_EQ(scene.messages.texts().size(), 1u);
    EXPECT_NE(scene.messages.texts()[0].find("stayed busy"), std::string::npos);
    // Nothing is left stopped: the next export runs.
    const MidiExportReport next = runMidiExport(*scene.client, 279);
    EXPECT_EQ(next.outcome, MidiExportReport::Outcome::Dragged);
    std::filesystem::remove(next.path);
}

}  // namespace
}  // namespace editor_test
