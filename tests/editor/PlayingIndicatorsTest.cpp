// The open editor while the demo phrase plays through a real instance: the
// editor is idled every 30 ms of rendered audio, as a host's view timer
// does, and after each idle what the widgets drew is read back: where the
// play lines stand, the frames of the beat light, the chord number, the
// compressor's display and the meters, and where the voice markers and the
// key bars sit.  These are held against the clock of the music (the tempo
// and the phrase) and against the notes the instance sent to its MIDI
// output.  With ZORVANE_SNAPSHOT_DIR set, two PNGs a beat apart are written
// mid-phrase.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "EditorScene.h"
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
constexpr int64_t kIdle = 1323;   // 30 ms
constexpr int32_t kBlock = 441;
constexpr int32_t kCell = 21;     // a step cell of the lanes
constexpr int32_t kKeyViewLow = 36;  // the key view's first key with chords from the keys (C2)

// The host: no transport (the demo runs its own clock) and a MIDI input
// that records what the instance sends, at absolute samples.
struct PhraseHost {
    struct Note {
        int64_t sample;
        uint8_t status;
        uint8_t note;
    };
    static inline int64_t blockStart = 0;
    static inline std::vector<Note> sent;
    static intptr_t callback(AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float) {
        if (opcode != 8 || !ptr) return 0;
        const auto* list = static_cast<const VstEvents*>(ptr);
        for (int32_t i = 0; i < list->numEvents; ++i) {
            const auto* e = reinterpret_cast<const VstMidiEvent*>(list->events[i]);
            sent.push_back({blockStart + e->deltaFrames, uint8_t(e->midiData[0]), uint8_t(e->midiData[1])});
        }
        return 1;
    }
};

// What the widgets drew after one idle.
struct Shown {
    int64_t sample;
    int32_t playCell;  // image 363 over the lanes, by its place
    int32_t chordCell;  // image 364 over the chord lane
    int32_t beatFrame;
    int32_t chordFrame;
    int32_t reductionFrame;
    int32_t meterLeft;
    int32_t meterRight;
    int32_t objects;
    std::multiset<int32_t> markers;  // x of the sprites shown
    std::multiset<int32_t> bars;     // x of the key bars shown
    bool atRest;
};

int32_t frameOf(BWUniClientEditor& editor, int32_t tag) {
    auto* display = dynamic_cast<VSTGUI::BWDisplay*>(editor.widget(tag));
    return display && display->frameHeight > 0 ? display->getLastFrameOffset() / display->frameHeight : -1;
}

int32_t meterFrame(BWUniClientEditor& editor, int32_t tag) {
    auto* meter = dynamic_cast<VSTGUI::BWLevelMeterPic*>(editor.widget(tag));
    return meter ? meter->getLastFrame() : -1;
}

// The x of every object of a view that covers pixels and whose `input`
// (alpha or height) is above 0.
std::multiset<int32_t> objectsShown(BWUniClientEditor& editor, int32_t tag, BWPolyObjectView::Input input) {
    std::multiset<int32_t> xs;
    auto* view = dynamic_cast<BWPolyObjectView*>(editor.widget(tag));
    for (int32_t i = 0; view && i < view->objectCount(); ++i)
        if (view->cached(input, i) > 0 && !view->objectRect(i).isEmpty()) xs.insert(view->cached(BWPolyObjectView::kX, i));
    return xs;
}

// The x of a key (MIDI note) in the key view: 48 keys over 673 pixels.
int32_t keyX(int32_t key) { return int32_t(std::max(float(key - kKeyViewLow) * 0.020833334f * 673.0f, 0.0f)); }

class PlayingIndicators : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(writeFactoryContent(content.path(), error)) << error;
        PhraseHost::sent.clear();
        PhraseHost::sent.reserve(1 << 14);
        PhraseHost::blockStart = 0;
    }
    void TearDown() override {
        setSettingString("InstrumentsPath", "");
        globalRomplerLibrary().scan(true);
    }

    // The demo as a host restores it (the layers find their instruments by
    // name), each layer sending to a MIDI channel of its own.
    void setUpPhrase(BWUniClient& client, float chordSelect) {
        // After the instance's start-up, which points the setting at a
        // content folder of its own when it finds none.
        setSettingString("InstrumentsPath", (content.path() / kFactoryInstrumentsFolder).string());
        globalRomplerLibrary().scan(true);
        setUpDemo(client);
        client.setParameter(74, chordSelect);
        client.setParameter(329, 0.5f / 16.0f);
        client.setParameter(330, 1.5f / 16.0f);
        client.setParameter(331, 2.5f / 16.0f);
        void* data = nullptr;
        const int32_t size = client.getChunk(&data, false);
        std::vector<uint8_t> state(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        ASSERT_EQ(client.setChunk(state.data(), size, false), 1);
        for (int layer = 0; layer < 3; ++layer) ASSERT_NE(client.soundLayer(layer).getInstrument(), nullptr) << layer;
    }

    // The built-in phrase `times` over, then the tail until the engine
    // has rested for 300 ms (or `tail` samples); the editor idled every 30 ms.
    std::vector<Shown> play(EditorScene& scene, int times, int64_t tail,
                            const std::function<void(int64_t)>& atIdle = {}) {
        std::vector<std::pair<int64_t, TimedMidi>> script;
        for (int round = 0; round < times; ++round)
            for (const TimedMidi& m : builtInPhrase()) script.push_back({int64_t((m.quarters + 16.0 * round) * kBeat), m});
        const int64_t end = 16 * kBeat * times + tail;
        std::vector<VstMidiEvent> events(script.size());
        std::vector<VstEvent*> list(script.size() + 2);
        auto* vst = reinterpret_cast<VstEvents*>(list.data());
        float left[kBlock], right[kBlock];
        float* outputs[2] = {left, right};
        std::vector<Shown> shown;
        int64_t nextIdle = kIdle;
        int restingIdles = 0;
        for (int64_t at = 0, next = 0; at < end; at += kBlock) {
            for (vst->numEvents = 0; next < int64_t(script.size()) && script[size_t(next)].first < at + kBlock; ++next) {
                const auto& [sample, m] = script[size_t(next)];
                events[size_t(next)] = {kVstMidiType, sizeof(VstMidiEvent), int32_t(sample - at), 0, 0, 0,
                                        {char(m.bytes[0]), char(m.bytes[1]), char(m.bytes[2]), 0}, 0, 0, 0, 0};
                vst->events[vst->numEvents++] = reinterpret_cast<VstEvent*>(&events[size_t(next)]);
            }
            PhraseHost::blockStart = at;
            scene.client->processEvents(vst);
            scene.client->processReplacing(outputs, outputs, kBlock);
            if (at + kBlock < nextIdle) continue;
            nextIdle += kIdle;
            scene.windows.advance(30);
            scene.editor->idle();
            scene.client->idle();
            scene.windows.dispatchPendingPaint();
            shown.push_back(look(scene, at + kBlock));
            if (atIdle) atIdle(at + kBlock);
            restingIdles = shown.back().atRest ? restingIdles + 1 : 0;
            if (at > 16 * kBeat * times && restingIdles > 10) break;
        }
        return shown;
    }

    static Shown look(EditorScene& scene, int64_t sample) {
        BWUniClientEditor& e = *scene.editor;
        auto cellOf = [&](int32_t tag) {
            auto* line = dynamic_cast<VSTGUI::BWImage*>(e.widget(tag));
            return line ? (line->getViewSize().left - line->getOriginRect().left) / kCell : -1;
        };
        Shown s{sample,
                cellOf(363),
                cellOf(364),
                frameOf(e, 156),
                frameOf(e, 95),
                frameOf(e, 163),
                meterFrame(e, 197),
                meterFrame(e, 198),
                dynamic_cast<BWPolyObjectView*>(e.widget(370))->objectCount(),
                objectsShown(e, 370, BWPolyObjectView::kAlpha),
                objectsShown(e, 371, BWPolyObjectView::kHeight),
                false};
        s.atRest = scene.client->audioEngine().renderState().silent;
        return s;
    }

    TempDir content;
};

// Where the frames change, with the frames on either side.
struct Change {
    int64_t sample;
    int32_t from;
    int32_t to;
};
std::vector<Change> changesOf(const std::vector<Shown>& shown, int32_t Shown::*field, int64_t until) {
    std::vector<Change> changes;
    for (size_t i = 1; i < shown.size() && shown[i].sample <= until; ++i)
        if (shown[i].*field != shown[i - 1].*field) changes.push_back({shown[i].sample, shown[i - 1].*field, shown[i].*field});
    return changes;
}

// The notes a channel sounds after `until`, from what the instance sent.
std::multiset<int32_t> soundingOn(int channel, int64_t until) {
    std::map<int32_t, int32_t> on;
    for (const PhraseHost::Note& n : PhraseHost::sent) {
        if (n.sample >= until || (n.status & 0x0F) != channel) continue;
        on[n.note] += (n.status & 0xF0) == 0x90 ? 1 : -1;
    }
    std::multiset<int32_t> notes;
    for (auto [note, count] : on)
        for (int32_t k = 0; k < count; ++k) notes.insert(note);
    return notes;
}

// The phrase twice over with chords from the keys, then its tail.
TEST_F(PlayingIndicators, FollowTheDemoPhraseAndComeToRestAfterItsTail) {
    EditorScene scene(&PhraseHost::callback);
    setUpPhrase(*scene.client, 1.0f);
    ASSERT_TRUE(scene.open());
    const int64_t played = 32 * kBeat;
    const std::vector<Shown> shown = play(scene, 2, 40 * kBeat);
    ASSERT_FALSE(shown.empty());

    // The play line over the lanes: one cell a step, in time, wrapping from
    // the last of the 32 cells to the first.
    const std::vector<Change> steps = changesOf(shown, &Shown::playCell, played);
    ASSERT_GE(steps.size(), 60u);
    int wraps = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].to, (steps[i].from + 1) % 32) << "at " << steps[i].sample;
        wraps += steps[i].to == 0;
        if (i > 0) {
            EXPECT_NEAR(double(steps[i].sample - steps[i - 1].sample), double(kStep), double(kIdle)) << i;
        }
        // On the clock the keys started at sample 0.
        EXPECT_NEAR(double(steps[i].sample), double(int64_t(i + 1) * kStep), 2.0 * kIdle) << i;
    }
    EXPECT_EQ(wraps, 1);

    // The beat light lights up on every beat and dims between.
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

    // The markers sit at the notes the lead layer sounds (its MIDI output,
    // channel 1), the key bars at the keys held; no chord number shows
    // while the chord comes from the keys.
    const std::vector<std::multiset<int32_t>> chords = {{48, 64, 67, 72}, {45, 64, 69, 72}, {41, 65, 69, 72}, {43, 62, 67, 71}};
    int markedIdles = 0;
    for (const Shown& s : shown) {
        if (s.sample >= played) break;
        std::multiset<int32_t> expected;
        for (int32_t note : soundingOn(0, s.sample)) expected.insert(keyX(note));
        EXPECT_EQ(s.markers, expected) << "at " << s.sample;
        markedIdles += !s.markers.empty();
        const int64_t inBar = s.sample % kBar;
        if (inBar > 64) {
            std::multiset<int32_t> keys;
            for (int32_t key : chords[size_t((s.sample / kBar) % 4)]) keys.insert(keyX(key));
            EXPECT_EQ(s.bars, keys) << "at " << s.sample;
        }
        EXPECT_EQ(s.chordFrame, 0) << "at " << s.sample;
    }
    EXPECT_GT(markedIdles, int(shown.size()) / 4);

    // The meters and the compressor move while it plays.
    auto most = [&](int32_t Shown::*field) {
        int32_t top = 0;
        for (const Shown& s : shown)
            if (s.sample < played) top = std::max(top, s.*field);
        return top;
    };
    EXPECT_GE(most(&Shown::meterLeft), 8);
    EXPECT_GE(most(&Shown::meterRight), 8);
    EXPECT_GE(most(&Shown::reductionFrame), 1);

    // After the keys let go and the tail ends, everything is at rest.
    const Shown& last = shown.back();
    ASSERT_TRUE(last.atRest) << "the tail did not end within " << (last.sample - played) / kBeat << " beats";
    EXPECT_EQ(last.playCell, 0);
    EXPECT_EQ(last.beatFrame, 0);
    EXPECT_EQ(last.chordFrame, 0);
    EXPECT_EQ(last.reductionFrame, 0);
    EXPECT_EQ(last.meterLeft, 0);
    EXPECT_EQ(last.meterRight, 0);
    EXPECT_EQ(last.objects, 0);
    EXPECT_TRUE(last.markers.empty());
    EXPECT_TRUE(last.bars.empty());
    const DisplayBlock& block = scene.client->displayBlock();
    EXPECT_EQ(block.playBarAlpha, 0.0f);
    EXPECT_EQ(block.pageImageAlpha, 0.0f);
}

// With the chord sequence choosing the chords, one a bar, the chord number
// and the chord lane's play line follow it while the keys hold the phrase.
TEST_F(PlayingIndicators, ChordNumberFollowsTheChordSequence) {
    EditorScene scene(&PhraseHost::callback);
    setUpPhrase(*scene.client, 0.0f);
    constexpr int32_t kChords[4] = {0, 5, 3, 4};
    scene.client->setParameter(79, 0.0f);  // a chord step a step
    for (uint64_t step = 0; step < 32; ++step)
        scene.client->patterns().chordTable.setValueOnPage(step, 0, float(kChords[step / 8]));
    ASSERT_TRUE(scene.open());
    const std::vector<Shown> shown = play(scene, 1, 0);
    for (const Shown& s : shown) {
        const int64_t bar = s.sample / kBar;
        if (s.sample % kBar < 2 * kIdle || bar >= 4) continue;
        EXPECT_EQ(s.chordFrame, kChords[bar] + 1) << "at " << s.sample;
        EXPECT_EQ(s.chordCell, s.playCell) << "at " << s.sample;
    }
    EXPECT_EQ(changesOf(shown, &Shown::chordFrame, 16 * kBeat - 2 * kIdle).size(), 3u);
}

// Two moments a beat apart, mid-phrase, for a person to look at.
TEST_F(PlayingIndicators, SnapshotsMidPhrase) {
    const char* dir = std::getenv("ZORVANE_SNAPSHOT_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "set ZORVANE_SNAPSHOT_DIR to write the snapshots";
    std::filesystem::create_directories(dir);
    for (float chordSelect : {1.0f, 0.0f}) {
        EditorScene scene(&PhraseHost::callback);
        setUpPhrase(*scene.client, chordSelect);
        if (chordSelect == 0.0f)
            for (uint64_t step = 0; step < 32; ++step)
                scene.client->patterns().chordTable.setValueOnPage(step, 0, float(step / 8 * 3 % 16));
        ASSERT_TRUE(scene.open());
        int written = 0;
        const int64_t moments[2] = {5 * kBeat + kBeat / 8, 6 * kBeat + kBeat / 8};
        play(scene, 1, 0, [&](int64_t sample) {
            if (written < 2 && sample >= moments[written]) {
                const std::string name = std::string(chordSelect == 0.0f ? "sequence" : "keys") + "-beat" +
                                         std::to_string(5 + written) + ".png";
                EXPECT_TRUE(VSTGUI::writeWindowPng(scene.frame()->getWindow(), std::filesystem::path(dir) / name));
                ++written;
            }
        });
        EXPECT_EQ(written, 2);
    }
}

// One thread renders the phrase while another idles the open editor, as a
// host's audio and view timer do: ThreadSanitizer (make tsan) reports
// nothing.
TEST_F(PlayingIndicators, FollowAnotherThreadThatRenders) {
    EditorScene scene(nullptr);
    setUpPhrase(*scene.client, 1.0f);
    ASSERT_TRUE(scene.open());
    std::atomic<bool> done{false};
    std::atomic<int32_t> blocks{0};
    std::thread audio([&] {
        VstMidiEvent events[4];
        VstEvent* list[6] = {};
        auto* vst = reinterpret_cast<VstEvents*>(list);
        const uint8_t chord[4] = {48, 64, 67, 72};
        for (int i = 0; i < 4; ++i) {
            events[i] = {kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0, {char(0x90), char(chord[i]), 100, 0}, 0, 0, 0, 0};
            vst->events[vst->numEvents++] = reinterpret_cast<VstEvent*>(&events[i]);
        }
        float left[256], right[256];
        float* outputs[2] = {left, right};
        while (!done) {
            scene.client->processEvents(vst);
            scene.client->processReplacing(outputs, outputs, 256);
            vst->numEvents = 0;
            blocks.fetch_add(1);
        }
    });
    int moved = 0;
    int32_t lastCell = -1;
    for (int idle = 0; idle < 200 && (moved < 3 || blocks.load() < 400); ++idle) {
        scene.windows.advance(30);
        scene.editor->idle();
        scene.client->idle();
        scene.windows.dispatchPendingPaint();
        const int32_t cell = look(scene, 0).playCell;
        moved += lastCell >= 0 && cell != lastCell;
        lastCell = cell;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    done = true;
    audio.join();
    EXPECT_GE(moved, 1) << "the play line followed the other thread's render";
}

}  // namespace
}  // namespace editor_test
