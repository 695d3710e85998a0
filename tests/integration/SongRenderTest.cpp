// MIDI files with what real songs hold (program changes at the start, in a
// bar and in bursts; many sample rates) rendered with `zorvane-host render`
// as a user renders them, and measured as a listener hears them: the same
// file every time, the first note on its time, the sound after a program
// change that of the program, and no click at any rate.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "ProgramRuns.h"
#include "factory/FactoryContent.h"
#include "host/Render.h"
#include "support/AudioMeasure.h"
#include "support/TempDir.h"

namespace {

constexpr int kQuarter = 480;  // ticks
constexpr int kBarTicks = 4 * kQuarter;

struct Event {
    int tick;
    std::vector<uint8_t> bytes;
};

// A format-0 file at 120 bpm of the events, in time order.
std::vector<uint8_t> midiFile(std::vector<Event> events) {
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.tick < b.tick; });
    std::vector<uint8_t> track = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
    int last = 0;
    for (const Event& e : events) {
        const uint32_t delta = uint32_t(e.tick - last);
        last = e.tick;
        for (int shift = 21; shift > 0; shift -= 7)
            if (delta >> shift) track.push_back(uint8_t(0x80 | ((delta >> shift) & 0x7F)));
        track.push_back(uint8_t(delta & 0x7F));
        track.insert(track.end(), e.bytes.begin(), e.bytes.end());
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, kQuarter >> 8, kQuarter & 0xFF, 'M', 'T', 'r', 'k'};
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(uint8_t(track.size() >> shift));
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

// C, A minor, F and G, a bar each from `firstBar`, each let go just before
// the next.
std::vector<Event> chords(int firstBar, int bars) {
    static const uint8_t kChords[4][4] = {{48, 60, 64, 67}, {45, 57, 60, 64}, {41, 53, 57, 60}, {43, 55, 59, 62}};
    std::vector<Event> events;
    for (int bar = firstBar; bar < firstBar + bars; ++bar) {
        for (uint8_t key : kChords[bar % 4]) events.push_back({bar * kBarTicks, {0x90, key, 100}});
        for (uint8_t key : kChords[bar % 4]) events.push_back({(bar + 1) * kBarTicks - 20, {0x80, key, 0}});
    }
    return events;
}

std::vector<Event> with(std::vector<Event> events, std::initializer_list<std::pair<int, uint8_t>> programs) {
    for (auto [tick, program] : programs) events.push_back({tick, {0xC0, program}});
    return events;
}

// The factory content, the demo's state, and two programs in the "MIDI
// PROGRAMS" bank: the demo as it is, and the demo with a resonant filter
// and a louder master (also kept as a state, to be loaded beforehand).
class SongRenderTest : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(writeFactoryContent(folder.path() / "content", error)) << error;
        std::string output;
        // As `make demo` does: the settings get the preset folders too.
        ASSERT_EQ(run(environment + kDemoStateProgram + " " + dir + "/demo.state", output), 0) << output;
        // The bank where --content points the global presets, holding only
        // the two programs of this test in place of the factory's.
        const std::string bank = dir + "/content/Global Presets/MIDI PROGRAMS";
        std::filesystem::remove_all(bank);
        std::filesystem::create_directories(bank);
        ASSERT_EQ(run(host + "params --state " + dir + "/demo.state set MasterLevel 0.65 --save '" + bank + "/P 0.zvp'", output), 0) << output;
        ASSERT_EQ(run(host + "params --state '" + bank + "/P 0.zvp' set \"Filter Reso\" 0.8 --save " + dir + "/p1.state", output), 0) << output;
        ASSERT_EQ(run(host + "params --state " + dir + "/p1.state set MasterLevel 0.8 --save " + dir + "/p1.state", output), 0) << output;
        std::filesystem::copy_file(dir + "/p1.state", bank + "/P 1.zvp");
    }

    // Renders the events with the state; the channels, or none.
    std::vector<std::vector<float>> render(const std::vector<Event>& events, const std::string& state, const std::string& name,
                                           double seconds, int rate = 44100, int block = 512) {
        const std::string midi = dir + "/" + name + ".mid";
        EXPECT_TRUE(writeFile(midi, midiFile(events)));
        std::string output;
        const std::string wav = dir + "/" + name + ".wav";
        EXPECT_EQ(run(host + "render --midi " + midi + " --state " + dir + "/" + state + " --seconds " + std::to_string(seconds) +
                          " --rate " + std::to_string(rate) + " --block " + std::to_string(block) + " -o " + wav,
                      output),
                  0)
            << output;
        std::vector<std::vector<float>> channels;
        double read = 0;
        EXPECT_TRUE(readAudioFile(wav, channels, read)) << wav;
        return channels;
    }

    TempDir folder;
    std::string dir = folder.str();
    std::string environment = "ZORVANE_SETTINGS_DIR=" + dir + "/settings ZORVANE_DOCUMENTS_DIR=" + dir + "/Documents ";
    std::string host = environment + kHostProgram + " --content " + dir + "/content ";
};

float largestDifference(const std::vector<float>& a, const std::vector<float>& b, size_t from) {
    float largest = 0.0f;
    for (size_t i = from; i < std::min(a.size(), b.size()); ++i) largest = std::max(largest, std::fabs(a[i] - b[i]));
    return largest;
}

}  // namespace

// A program change at the very start renders the file exactly as with the
// program loaded beforehand.  One in the second bar, and a burst there that
// ends on the same program, render the same file as each other every time;
// the chords after it sound on their time (within a tick) and, once the
// new program's values have glided in (50 ms), within -60 dB of the render
// with the program loaded beforehand.  Before, a load took as much of the
// render as its wall time covered, different each time.
TEST_F(SongRenderTest, ProgramChangesActAtTheirPointTheSameEveryTime) {
    constexpr int kRate = 44100;
    const auto preloaded = render(chords(0, 2), "p1.state", "preloaded", 4.0);
    const auto atStart = render(with(chords(0, 2), {{0, 1}}), "demo.state", "at-start", 4.0);
    ASSERT_FALSE(preloaded.empty());
    EXPECT_EQ(atStart, preloaded);

    const int change = kBarTicks + 3 * kQuarter / 2;  // the second bar, half way through its second beat
    const std::vector<Event> later = chords(2, 1);
    const auto loadedBefore = render(later, "p1.state", "later-preloaded", 5.0);
    const auto once = render(with(later, {{0, 0}, {change, 1}}), "demo.state", "once", 5.0);
    const auto burst = render(with(later, {{0, 0}, {change, 1}, {change, 0}, {change, 1}}), "demo.state", "burst", 5.0);
    ASSERT_FALSE(once.empty());
    EXPECT_EQ(burst, once);
    for (int take = 0; take < 8; ++take) EXPECT_EQ(render(with(later, {{0, 0}, {change, 1}}), "demo.state", "again", 5.0), once) << take;

    const size_t chord = size_t(4 * kRate);  // the third bar
    const size_t heard = firstSoundAfter(once[0], 0, 1e-6f);
    EXPECT_GE(heard, chord);
    EXPECT_LT(heard - chord, 16u);
    EXPECT_EQ(firstSoundAfter(loadedBefore[0], 0, 1e-6f), heard);
    for (size_t c = 0; c < 2; ++c) EXPECT_LT(largestDifference(once[c], loadedBefore[c], chord + kRate / 20), 1e-3f) << c;
}

// The chord file at every rate a host runs: no sample stands off the wave
// as a click (at 96 and 192 kHz the kick's restart made one on each beat).
// The voices' onset (without the kick, the compressor and the effects),
// 2 ms at a time over its first 80 ms, is as loud at 192 kHz as at 48 kHz
// within 1 dB, with host buffers of the same length in time; the kick's own
// onset is measured in the engine's tests.
TEST_F(SongRenderTest, NoClickAtAnyRateAndOnsetsAlikeAcrossRates) {
    for (int rate : {44100, 48000, 88200, 96000, 176400, 192000}) {
        SCOPED_TRACE(rate);
        const auto audio = render(with(chords(0, 1), {{0, 1}}), "demo.state", "rate" + std::to_string(rate), 2.25, rate);
        ASSERT_EQ(audio.size(), 2u);
        for (const std::vector<float>& channel : audio) {
            const std::vector<size_t> spikes = oneSampleSpikes(channel);
            EXPECT_TRUE(spikes.empty()) << spikes.size() << " clicks, the first at " << double(spikes.front()) / rate << " s";
        }
    }
    std::string output;
    ASSERT_TRUE(writeFile(dir + "/voices.state", readAll(dir + "/demo.state")));
    for (const char* alone : {"Kicklevel", "CompressorDepth", "\"RVS Mix\"", "\"CHS Mix\"", "\"PHS Mix\"", "\"DLY Mix\"", "\"RVB Mix\""})
        ASSERT_EQ(run(host + "params --state " + dir + "/voices.state set " + alone + " 0 --save " + dir + "/voices.state", output), 0)
            << output;
    std::vector<double> onsets[2];
    for (int slow = 0; slow < 2; ++slow) {
        const int rate = slow ? 48000 : 192000;
        const auto audio = render(chords(0, 1), "voices.state", "onset" + std::to_string(rate), 0.2, rate, rate / 48000 * 256);
        ASSERT_EQ(audio.size(), 2u);
        onsets[slow] = levelShape(audio[0], 0, rate, 0.002, 40);
    }
    for (size_t w = 0; w < onsets[0].size(); ++w) EXPECT_NEAR(onsets[0][w], onsets[1][w], 1.0) << w * 2 << " ms";
}

// The same music at every host buffer: a chord file whose second phrase
// starts off the beat after the engine fell silent, and a song with program
// changes, a burst of short notes off the grid and a tempo change, rendered
// in buffers of 1, 16, 64, 100, 512 and 4096 frames.  Every render is the
// same within -90 dB from the first sample: the master gain, the kick's gain,
// the silence test, the song position and the effects' ramps all run on the
// tick grid.  (Before, the master gain ramped over each host buffer: a
// phrase's first 2.5 ms peaked at 0.67 in buffers of 16 and at 0.06 in
// buffers of 4096.)
TEST_F(SongRenderTest, TheSameMusicAtEveryHostBuffer) {
    const float kMinus90dB = std::pow(10.0f, -90.0f / 20.0f);
    std::string output;
    // A short master release and no hall, so that the engine falls silent
    // within the second of quiet between the phrases.
    ASSERT_EQ(run(host + "params --state " + dir + "/demo.state set MasterRelease 0.05 --save " + dir + "/quick.state", output), 0)
        << output;
    ASSERT_EQ(run(host + "params --state " + dir + "/quick.state set \"RVB Mix\" 0 --save " + dir + "/quick.state", output), 0)
        << output;
    // A beat of C, and a beat of A minor 173 ticks after the third bar's start.
    std::vector<Event> phrases;
    for (uint8_t key : {48, 60, 64, 67}) phrases.push_back({0, {0x90, key, 100}}), phrases.push_back({kQuarter, {0x80, key, 0}});
    for (uint8_t key : {45, 57, 60, 64}) {
        phrases.push_back({2 * kBarTicks + 173, {0x90, key, 100}});
        phrases.push_back({2 * kBarTicks + 173 + kQuarter, {0x80, key, 0}});
    }
    std::vector<Event> song = with(chords(0, 2), {{0, 0}, {kBarTicks + 240, 1}});
    for (int n = 0; n < 24; ++n) {
        const int at = kQuarter + n * 37;  // a burst off the sixteenths
        song.push_back({at, {0x90, uint8_t(72 + n % 12), uint8_t(60 + n)}});
        song.push_back({at + 25, {0x80, uint8_t(72 + n % 12), 0}});
    }
    song.push_back({kBarTicks / 2 + 7, {0xFF, 0x51, 0x03, 0x08, 0xB8, 0x25}});  // 105 bpm
    const struct {
        const char* name;
        std::vector<Event> events;
        const char* state;
        double seconds;
    } files[] = {{"phrases", phrases, "quick.state", 4.6}, {"song", song, "demo.state", 3.0}};
    for (const auto& file : files) {
        const auto reference = render(file.events, file.state, std::string(file.name) + "-4096", file.seconds, 44100, 4096);
        ASSERT_EQ(reference.size(), 2u);
        ASSERT_GT(*std::max_element(reference[0].begin(), reference[0].end()), 0.1f) << file.name;
        // The phrase off the beat after silence starts from zero: no click.
        // (The song's program change cuts the sound, which clicks.)
        if (std::string(file.name) == "phrases") {
            for (const std::vector<float>& channel : reference) EXPECT_TRUE(oneSampleSpikes(channel).empty()) << file.name;
        }
        for (int block : {1, 16, 64, 100, 512}) {
            const auto other = render(file.events, file.state, std::string(file.name) + "-" + std::to_string(block), file.seconds,
                                      44100, block);
            ASSERT_EQ(other.size(), 2u);
            // Within -90 dB at every sample (the phrases are the same to the
            // bit; the song in buffers of 1 rounds a few samples apart, by
            // about 1e-7).
            for (size_t c = 0; c < 2; ++c)
                EXPECT_LE(largestDifference(other[c], reference[c], 0), kMinus90dB)
                    << file.name << ", buffers of " << block << ", channel " << c;
        }
    }
}

// The render's wait for a load has a bound in wall time: a plug-in that never
// becomes ready is given up on after it, one that does is waited for.
TEST(RenderWait, GivesUpAfterItsBoundAndWaitsForAReadyPlugIn) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(waitUntil([] { return false; }, 0.05));
    const double waited = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_GE(waited, 0.05);
    EXPECT_LT(waited, 1.0);
    int asked = 0;
    EXPECT_TRUE(waitUntil([&] { return ++asked == 5; }, 10.0));
    EXPECT_EQ(asked, 5);
}
