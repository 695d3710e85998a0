// The open editor while the demo phrase plays through a real instance, idled
// every 30 ms of rendered audio as a host's view timer does.  After each idle
// what the widgets drew is read back (where the play lines stand, the frames
// of the beat light, chord number, compressor display and meters, where the
// markers and key bars sit) and held against the tempo, the phrase and the
// notes the instance sent to its MIDI output.  With ZORVANE_SNAPSHOT_DIR
// set, PNGs of two moments a beat apart mid-phrase are written too.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "EditorScene.h"
#include "editor/DisplayTags.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryCatalog.h"
#include "factory/FactoryContent.h"
#include "guitoolkit/WindowSnapshot.h"
#include "host/MidiFile.h"
#include "host/demo/DemoState.h"
#include "persistence/Settings.h"
#include "support/TempDir.h"
#include "widgets/BWDisplay.h"
#include "widgets/BWImage.h"
#include "widgets/BWPolyObjectView.h"

namespace editor_test {
namespace {

using VSTGUI::BWPolyObjectView;

constexpr int64_t kBeat = 22050;  // 120 bpm at 44.1 kHz
constexpr int64_t kStep = kBeat / 2;
constexpr int64_t kBar = 4 * kBeat;
constexpr int64_t kIdle = 1323;  // 30 ms
constexpr int32_t kBlock = 441;

// No transport (the demo runs its own clock); what the instance sends to
// its MIDI output, at absolute samples.
struct PhraseHost {
    static inline int64_t blockStart = 0;
    static inline std::vector<std::array<int64_t, 3>> sent;  // sample, status, note
    static intptr_t callback(AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
        const auto* list = static_cast<const VstEvents*>(ptr);
        for (int32_t i = 0; opcode == 8 && list && i < list->numEvents; ++i) {
            const auto* e = reinterpret_cast<const VstMidiEvent*>(list->events[i]);
            sent.push_back({blockStart + e->deltaFrames, uint8_t(e->midiData[0]), uint8_t(e->midiData[1])});
        }
        return opcode == 8;
    }
};

// The notes MIDI channel 1 sounds after `until`.
std::multiset<int32_t> soundingOnChannelOne(int64_t until) {
    std::map<int32_t, int32_t> on;
    for (auto [sample, status, note] : PhraseHost::sent)
        if (sample < until && (status & 0x0F) == 0) on[int32_t(note)] += (status & 0xF0) == 0x90 ? 1 : -1;
    std::multiset<int32_t> notes;
    for (auto [note, count] : on)
        for (int32_t k = 0; k < count; ++k) notes.insert(note);
    return notes;
}

// The x of a key in the key view while chords come from the keys: 48 keys
// from C2 over 673 pixels.
int32_t keyX(int32_t key) { return int32_t(std::max(float(key - 36) * 0.020833334f * 673.0f, 0.0f)); }

// What the widgets drew after one idle.
struct Shown {
    int64_t sample;
    int32_t playCell, chordCell, beatFrame, chordFrame, reductionFrame, meterLeft, meterRight, objects;
    std::multiset<int32_t> markers, bars;  // x of the sprites and key bars that cover pixels
    bool atRest;
};

// The step cell (21 pixels) a play line stands over.
int32_t cell(BWUniClientEditor& e, int32_t tag) {
    auto* line = dynamic_cast<VSTGUI::BWImage*>(e.widget(tag));
    return (line->getViewSize().left - line->getOriginRect().left) / 21;
}

Shown look(EditorScene& scene, int64_t sample) {
    BWUniClientEditor& e = *scene.editor;
    auto frame = [&](int32_t tag) {
        auto* display = dynamic_cast<VSTGUI::BWDisplay*>(e.widget(tag));
        return display->getLastFrameOffset() / display->frameHeight;
    };
    auto meter = [&](int32_t tag) { return dynamic_cast<VSTGUI::BWLevelMeterPic*>(e.widget(tag))->getLastFrame(); };
    auto shown = [&](int32_t tag, BWPolyObjectView::Input input) {
        std::multiset<int32_t> xs;
        auto* view = dynamic_cast<BWPolyObjectView*>(e.widget(tag));
        for (int32_t i = 0; i < view->objectCount(); ++i)
            if (view->cached(input, i) > 0 && !view->objectRect(i).isEmpty()) xs.insert(view->cached(BWPolyObjectView::kX, i));
        return xs;
    };
    return {sample,
            cell(e, Display::LanePlayBar),
            cell(e, Display::ChordPlayBar),
            frame(Display::Beat),
            frame(Display::ChordNumber),
            frame(Display::CompressorReduction),
            meter(Display::PeakLeft),
            meter(Display::PeakRight),
            dynamic_cast<BWPolyObjectView*>(e.widget(Widget::KeyStrip))->objectCount(),
            shown(Widget::KeyStrip, BWPolyObjectView::kAlpha),
            shown(Widget::BarStrip, BWPolyObjectView::kHeight), scene.client->audioEngine().renderState().silent};
}

void idle(EditorScene& scene) {
    scene.windows.advance(30);
    scene.editor->idle();
    scene.client->idle();
    scene.windows.dispatchPendingPaint();
}

// The built-in phrase `times` over as the host's MIDI, block by block.
struct Phrase {
    explicit Phrase(int times) {
        for (int round = 0; round < times; ++round)
            for (const TimedMidi& m : builtInPhrase())
                events.push_back({kVstMidiType, sizeof(VstMidiEvent), int32_t((m.quarters + 16.0 * round) * kBeat), 0, 0, 0,
                                  {char(m.bytes[0]), char(m.bytes[1]), char(m.bytes[2]), 0}, 0, 0, 0, 0});
        list.resize(events.size() + 2);
    }
    void render(BWUniClient& client, int64_t at) {
        auto* vst = reinterpret_cast<VstEvents*>(list.data());
        for (vst->numEvents = 0; next < events.size() && events[next].deltaFrames < at + kBlock; ++next) {
            block[size_t(vst->numEvents)] = events[next];
            block[size_t(vst->numEvents)].deltaFrames -= int32_t(at);
            vst->events[vst->numEvents] = reinterpret_cast<VstEvent*>(&block[size_t(vst->numEvents)]);
            ++vst->numEvents;
        }
        PhraseHost::blockStart = at;
        client.processEvents(vst);
        client.processReplacing(outputs, outputs, kBlock);
    }
    std::vector<VstMidiEvent> events;
    std::array<VstMidiEvent, 16> block{};
    std::vector<VstEvent*> list;
    size_t next = 0;
    float left[kBlock], right[kBlock];
    float* outputs[2] = {left, right};
};

class PlayingIndicators : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(writeFactoryContent(content.path(), error)) << error;
        PhraseHost::sent.clear();
        PhraseHost::sent.reserve(1 << 14);
    }
    void TearDown() override {
        setSettingString("InstrumentsPath", "");
        globalRomplerLibrary().scan(true);
    }

    // The demo as a host restores it, its editor open; each layer sends on
    // a MIDI channel of its own.
    void open(EditorScene& scene, float chordSelect) {
        // After the instance's start-up, which points the setting at a
        // content folder of its own when it finds none.
        setSettingString("InstrumentsPath", (content.path() / kFactoryInstrumentsFolder).string());
        globalRomplerLibrary().scan(true);
        BWUniClient& client = *scene.client;
        setUpDemo(client);
        for (auto [tag, value] : {std::pair<int32_t, float>{Tag::ChordSelect, chordSelect}, {Tag::ChordSeqDivide, 0.0f},
                                  {Tag::Osc1Channel, 0.5f / 16}, {Tag::Osc2Channel, 1.5f / 16},
                                  {Tag::Osc3Channel, 2.5f / 16}})
            client.setParameter(tag, value);
        for (uint64_t step = 0; step < 32; ++step) client.patterns().chordTable.setValueOnPage(step, 0, float(kChords[step / 8]));
        void* data = nullptr;
        const int32_t size = client.getChunk(&data, false);
        std::vector<uint8_t> state(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        ASSERT_EQ(client.setChunk(state.data(), size, false), 1);
        for (int layer = 0; layer < 3; ++layer) ASSERT_NE(client.soundLayer(layer).getInstrument(), nullptr) << layer;
        ASSERT_TRUE(scene.open());
    }

    // The phrase, then its tail until the engine has rested for 300 ms.
    std::vector<Shown> play(EditorScene& scene, int times, const char* snapshotName) {
        Phrase phrase(times);
        const char* dir = std::getenv("ZORVANE_SNAPSHOT_DIR");
        std::vector<Shown> shown;
        int resting = 0, written = 0;
        for (int64_t at = 0; at < (16 * times + 80) * kBeat && resting <= 10; at += kBlock) {
            phrase.render(*scene.client, at);
            if ((at + kBlock) / kIdle == at / kIdle) continue;
            idle(scene);
            shown.push_back(look(scene, at + kBlock));
            resting = at > 16 * times * kBeat && shown.back().atRest ? resting + 1 : 0;
            if (dir && *dir && written < 2 && at > (5 + written) * kBeat + kBeat / 8) {
                const auto file = std::filesystem::path(dir) / (snapshotName + std::to_string(5 + written++) + ".png");
                std::filesystem::create_directories(dir);
                EXPECT_TRUE(VSTGUI::writeWindowPng(scene.frame()->getWindow(), file));
            }
        }
        return shown;
    }

    static constexpr int32_t kChords[4] = {0, 5, 3, 4};  // the chord sequence: a chord-list entry a bar
    TempDir content;
};

// Where a field changes, with its values on either side.
struct Change {
    int64_t sample;
    int32_t from, to;
};
std::vector<Change> changesOf(const std::vector<Shown>& shown, int32_t Shown::*field, int64_t until) {
    std::vector<Change> changes;
    for (size_t i = 1; i < shown.size() && shown[i].sample <= until; ++i)
        if (shown[i].*field != shown[i - 1].*field) changes.push_back({shown[i].sample, shown[i - 1].*field, shown[i].*field});
    return changes;
}

// The phrase twice over with chords from the keys, then its tail.
TEST_F(PlayingIndicators, FollowTheDemoPhraseAndComeToRestAfterItsTail) {
    EditorScene scene(&PhraseHost::callback);
    open(scene, 1.0f);
    const int64_t played = 32 * kBeat;
    const std::vector<Shown> shown = play(scene, 2, "keys-beat");

    // The play line over the lanes: one cell a step on the clock the keys
    // started at sample 0, wrapping from the last of 32 cells to the first.
    const std::vector<Change> steps = changesOf(shown, &Shown::playCell, played);
    ASSERT_GE(steps.size(), 60u);
    int wraps = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].to, (steps[i].from + 1) % 32) << "at " << steps[i].sample;
        EXPECT_NEAR(double(steps[i].sample), double(int64_t(i + 1) * kStep), 2.0 * kIdle) << i;
        wraps += steps[i].to == 0;
    }
    EXPECT_EQ(wraps, 1);

    // The beat light lights up on every beat and goes dark between.
    std::vector<int64_t> lit;
    for (const Change& c : changesOf(shown, &Shown::beatFrame, played))
        if (c.to >= c.from + 5) lit.push_back(c.sample);
    ASSERT_GE(lit.size(), 30u);
    for (size_t i = 1; i < lit.size(); ++i) {
        EXPECT_NEAR(double(lit[i] - lit[i - 1]), double(kBeat), double(kIdle)) << i;
        int32_t dimmest = 10;
        for (const Shown& s : shown)
            if (s.sample > lit[i - 1] && s.sample < lit[i]) dimmest = std::min(dimmest, s.beatFrame);
        EXPECT_LE(dimmest, 1) << "between beats " << i << " and " << i + 1;
    }

    // The markers sit at the notes the lead layer sounds (channel 1), the
    // key bars at the keys held; no chord number while chords come from the
    // keys; meters and the compressor's display move.
    const int32_t chords[4][4] = {{48, 64, 67, 72}, {45, 64, 69, 72}, {41, 65, 69, 72}, {43, 62, 67, 71}};
    int marked = 0;
    Shown most{};
    for (const Shown& s : shown) {
        if (s.sample >= played) break;
        std::multiset<int32_t> markers, keys;
        for (int32_t note : soundingOnChannelOne(s.sample)) markers.insert(keyX(note));
        for (int32_t key : chords[(s.sample / kBar) % 4]) keys.insert(keyX(key));
        EXPECT_EQ(s.markers, markers) << "at " << s.sample;
        if (s.sample % kBar > 64) {
            EXPECT_EQ(s.bars, keys) << "at " << s.sample;
        }
        EXPECT_EQ(s.chordFrame, 0) << "at " << s.sample;
        marked += !s.markers.empty();
        for (int32_t Shown::*field : {&Shown::meterLeft, &Shown::meterRight, &Shown::reductionFrame})
            most.*field = std::max(most.*field, s.*field);
    }
    EXPECT_GT(marked, int(shown.size()) / 4);
    EXPECT_GE(most.meterLeft, 8);
    EXPECT_GE(most.meterRight, 8);
    EXPECT_GE(most.reductionFrame, 1);

    // After the keys let go and the tail ends, everything is at rest.
    const Shown& last = shown.back();
    ASSERT_TRUE(last.atRest) << "the tail did not end within " << (last.sample - played) / kBeat << " beats";
    for (int32_t Shown::*field : {&Shown::playCell, &Shown::beatFrame, &Shown::chordFrame, &Shown::reductionFrame,
                                  &Shown::meterLeft, &Shown::meterRight, &Shown::objects})
        EXPECT_EQ(last.*field, 0);
    EXPECT_TRUE(last.markers.empty() && last.bars.empty());
    EXPECT_EQ(scene.client->displayBlock().playBarAlpha, 0.0f);
}

// With the chord sequence choosing the chords, a chord-list entry a bar,
// the chord number follows it and the chord lane's play line keeps step.
TEST_F(PlayingIndicators, ChordNumberFollowsTheChordSequence) {
    EditorScene scene(&PhraseHost::callback);
    open(scene, 0.0f);
    const std::vector<Shown> shown = play(scene, 1, "sequence-beat");
    for (const Shown& s : shown) {
        if (s.sample % kBar < 2 * kIdle || s.sample >= 4 * kBar) continue;
        EXPECT_EQ(s.chordFrame, kChords[s.sample / kBar] + 1) << "at " << s.sample;
        EXPECT_EQ(s.chordCell, s.playCell) << "at " << s.sample;
    }
    EXPECT_EQ(changesOf(shown, &Shown::chordFrame, 16 * kBeat - 2 * kIdle).size(), 3u);
}

// One thread renders the phrase while another idles the open editor, as a
// host's audio thread and view timer do: ThreadSanitizer (make tsan)
// reports nothing.
TEST_F(PlayingIndicators, FollowAnotherThreadThatRenders) {
    EditorScene scene(nullptr);
    open(scene, 1.0f);
    std::atomic<bool> done{false};
    // The audio thread plays the phrase over and over and the editor idles
    // until it has seen three cells or a minute has passed, so neither
    // side's speed decides the outcome.
    std::thread audio([&] {
        while (!done) {
            Phrase phrase(1);
            for (int64_t at = 0; !done && at < 16 * kBeat; at += kBlock) phrase.render(*scene.client, at);
        }
    });
    std::set<int32_t> cells;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (cells.size() < 3 && std::chrono::steady_clock::now() < deadline) {
        idle(scene);
        cells.insert(cell(*scene.editor, 363));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    done = true;
    audio.join();
    EXPECT_GE(cells.size(), 3u) << "the play line followed the other thread's render";
}

}  // namespace
}  // namespace editor_test
