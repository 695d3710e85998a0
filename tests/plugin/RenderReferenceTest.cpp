// Whole renders through the instance against recordings of them: held
// chords with legato changes and a rate change, the host's clock through
// tempo changes in odd-sized blocks, every host parameter (and the engine's
// own and interface switches) swept to both ends and the middle while the
// dense patch plays, and a program change and a state load mid-phrase.  A
// recording keeps every 64th sample of both channels, every note the
// instance sent with its sample, and a hash of every output bit; a render
// must send the same notes on the same samples and match the audio within
// 1e-6 relative RMS.
//
// ZORVANE_RECORD_RENDER_REFERENCES=<folder> writes the recordings instead
// (the processor's own kernels where it has AVX2 and FMA, and the x86-64
// baseline).
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <tuple>

#include "RenderDriver.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryContent.h"
#include "host/demo/DemoState.h"
#include "host/demo/DensePatch.h"
#include "persistence/SettingNames.h"
#include "platform/CpuFeatures.h"
#include "support/RunLength.h"

namespace {

constexpr size_t kStride = 64;
constexpr uint32_t kMagic = 0x5a524e44;

struct Recording {
    std::vector<float> kept;  // left then right, every kStride-th sample
    std::vector<MidiAt> notes;
    uint64_t hash = 1469598103934665603ull;
};

void hashSamples(uint64_t& hash, const std::vector<float>& samples) {
    for (float sample : samples) {
        uint32_t bits;
        std::memcpy(&bits, &sample, sizeof bits);
        for (int byte = 0; byte < 4; ++byte) {
            hash ^= (bits >> (8 * byte)) & 0xffu;
            hash *= 1099511628211ull;
        }
    }
}

// A render in the making: the driver, both channels of everything it
// rendered, and the notes to play on the way.
class Take {
public:
    explicit Take(const std::filesystem::path& content) {
        setSettingString(SettingNames::kInstrumentsPath, (content / kFactoryInstrumentsFolder).string());
        globalRomplerLibrary().scan(true);
    }
    BWUniClient& client() { return *driver.instance; }
    RenderDriver& drive() { return driver; }

    // Renders n samples in blocks of `block`, sending the script's events
    // that fall into them (sample numbers from the start of the take).
    void render(int64_t n, int32_t block, const std::vector<MidiAt>& script = {}) {
        std::vector<MidiAt> now;
        for (const MidiAt& m : script)
            if (m.sample >= driver.position && m.sample < driver.position + n) now.push_back(m);
        const int64_t end = driver.position + n;
        while (driver.position < end) {
            const int32_t b = int32_t(std::min<int64_t>(block, end - driver.position));
            std::vector<MidiAt> due;
            for (const MidiAt& m : now)
                if (m.sample >= driver.position && m.sample < driver.position + b) due.push_back(m);
            runBlock(due, b);
        }
    }

    // Holds the keys until the given sample, then lets them go.
    static std::vector<MidiAt> chord(int64_t on, int64_t off, std::initializer_list<int> keys) {
        std::vector<MidiAt> script;
        for (int key : keys) script.push_back(noteOnAt(on, key));
        for (int key : keys) script.push_back(noteOffAt(off, key));
        return script;
    }

    Recording finish() {
        Recording r;
        hashSamples(r.hash, left);
        hashSamples(r.hash, right);
        for (const auto* channel : {&left, &right})
            for (size_t n = 0; n < channel->size(); n += kStride) r.kept.push_back((*channel)[n]);
        r.notes = driver.sent;
        return r;
    }

private:
    // One block through processEvents and processReplacing, keeping both
    // channels (the driver keeps only the left one).
    void runBlock(const std::vector<MidiAt>& due, int32_t n) {
        std::vector<float> l(static_cast<size_t>(n)), r(static_cast<size_t>(n));
        std::vector<VstMidiEvent> events(due.size());
        std::vector<VstEvent*> list(due.size() + 2);
        auto* vst = reinterpret_cast<VstEvents*>(list.data());
        vst->numEvents = 0;
        for (size_t i = 0; i < due.size(); ++i) {
            events[i] = {kVstMidiType, sizeof(VstMidiEvent), int32_t(due[i].sample - driver.position), 0, 0, 0,
                         {char(due[i].status), char(due[i].data1), char(due[i].data2), 0}, 0, 0, 0, 0};
            vst->events[vst->numEvents++] = reinterpret_cast<VstEvent*>(&events[i]);
        }
        RenderDriver& d = driver;
        d.time.ppqPos = d.playing ? d.ppqStart + double(d.position - d.playStart) * d.time.tempo / 2646000.0 : 0.0;
        d.time.flags = d.playing ? TimeInfoFlags::TransportPlaying : 0;
        float* outputs[2] = {l.data(), r.data()};
        client().processEvents(vst);
        client().processReplacing(outputs, outputs, n);
        left.insert(left.end(), l.begin(), l.end());
        right.insert(right.end(), r.begin(), r.end());
        d.position += n;
    }

    RenderDriver driver{true};  // the silence optimisation would cut the tails
    std::vector<float> left;
    std::vector<float> right;
};

// The demo as a host restores it: its state saved and applied again.
std::vector<uint8_t> demoState(BWUniClient& c) {
    setUpDemo(c);
    void* data = nullptr;
    const int32_t size = c.getChunk(&data, false);
    std::vector<uint8_t> state(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    EXPECT_EQ(c.setChunk(state.data(), size, false), 1);
    return state;
}

// C, then A minor and F major legato, released in the fifth bar; the rate
// moves to 48 kHz in the third bar and back in the fourth.
Recording heldChords(const std::filesystem::path& content) {
    Take t(content);
    demoState(t.client());
    std::vector<MidiAt> script = Take::chord(0, kBar, {48, 60, 64, 67});
    for (const MidiAt& m : Take::chord(kBar, 2 * kBar, {45, 57, 60, 64})) script.push_back(m);
    for (const MidiAt& m : Take::chord(2 * kBar, 4 * kBar, {41, 53, 57, 60})) script.push_back(m);
    t.render(2 * kBar + kBar / 2, 512, script);
    t.client().setSampleRate(48000.0f);
    t.render(kBar, 512, script);
    t.client().setSampleRate(44100.0f);
    t.render(kBar + kBar / 2, 512, script);
    return t.finish();
}

// The host's clock, playing from the start, in blocks of 137 samples while
// the tempo goes from 120 to 96 and 140.
Recording hostClockTempo(const std::filesystem::path& content) {
    Take t(content);
    demoState(t.client());
    t.client().setParameter(Tag::Clocksource, 1.0f);  // "Clocksource": the host's
    RenderDriver& d = t.drive();
    d.playing = true;
    const std::vector<MidiAt> script = Take::chord(100, 3 * kBar, {50, 62, 65, 69});
    t.render(kBar, 137, script);
    for (double tempo : {96.0, 140.0}) {
        d.ppqStart += double(d.position - d.playStart) * d.time.tempo / 2646000.0;
        d.playStart = d.position;
        d.time.tempo = tempo;
        t.render(kBar, 137, script);
    }
    t.render(kBar / 2, 137, script);
    return t.finish();
}

// The indices swept: every host parameter, the engine's own key ranges and
// random range, and the switches and selectors that move the engine.
std::vector<int32_t> sweptIndices() {
    std::vector<int32_t> indices;
    for (int32_t i = 0; i <= 94; ++i) indices.push_back(i);
    for (int32_t i : {217, 223, 224, 225, 226, 233, 234, 235, 276, 307, 308, 309, 310, 311, 326, 327, 328, 329, 332,
                      333, 334, 335, 336, 337, 339, 341, 342, 343, 348, 349, 350, 351, 352, 353, 354, 355, 356, 357, 358,
                      365, 366})
        indices.push_back(i);
    return indices;
}

// The dense patch playing on its own clock; each index goes to 0, 1 and
// 0.5 and back to its value, a thousand samples each, in blocks of 100, so
// that the changes land on and between the ticks.
Recording parameterSweep(const std::filesystem::path& content) {
    Take t(content);
    BWUniClient& c = t.client();
    densePatch(c, true);
    t.render(8000, 100);
    for (int32_t index : sweptIndices()) {
        const float before = c.rawValue(index);
        for (float v : {0.0f, 1.0f, 0.5f, before}) {
            c.setParameter(index, v);
            t.render(1000, 100);
        }
    }
    return t.finish();
}

// The demo with a program of the "MIDI PROGRAMS" bank asked for in its
// second bar (its own filter, arpeggio and echo) and another state loaded in
// its third (transposed, at another clock division).
Recording programAndState(const std::filesystem::path& content) {
    Take t(content);
    BWUniClient& c = t.client();
    const std::vector<uint8_t> demo = demoState(c);
    std::string root;
    EXPECT_TRUE(getSettingString("presetpath0", root));
    const std::filesystem::path bank = std::filesystem::path(root) / "MIDI PROGRAMS";
    std::filesystem::create_directories(bank);
    for (auto [index, value] : {std::pair<int32_t, float>{Tag::FilterCutoff, 0.2f}, {Tag::FilterReso, 0.8f},
                                {Tag::Arpmode, 1.0f}, {Tag::ShiftArp, 0.5f}, {Tag::DlyMix, 0.7f}, {Tag::DlyOnOff, 1.0f}})
        c.setParameter(index, value);
    EXPECT_TRUE(c.savePreset((bank / "P 0.zvp").string().c_str(), 0, nullptr, nullptr, nullptr));
    for (auto [index, value] : {std::pair<int32_t, float>{Tag::Transpose, 0.7f}, {Tag::ClockDivide, 1.0f},
                                {Tag::RvbMix, 0.6f}}) c.setParameter(index, value);
    void* data = nullptr;
    const int32_t size = c.getChunk(&data, false);
    std::vector<uint8_t> other(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    EXPECT_EQ(c.setChunk(const_cast<uint8_t*>(demo.data()), int32_t(demo.size()), false), 1);

    const std::vector<MidiAt> script = Take::chord(0, 3 * kBar, {43, 55, 59, 62});
    t.render(kBar, 256, script);
    VstMidiEvent event{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0, {char(0xC0), 0, 0, 0}, 0, 0, 0, 0};
    VstEvent* list[3] = {};
    auto* vst = reinterpret_cast<VstEvents*>(list);
    vst->numEvents = 1;
    vst->events[0] = reinterpret_cast<VstEvent*>(&event);
    c.processEvents(vst);
    RunLength::waitFor([&] { return !c.isLoaderBusy(); });
    EXPECT_FALSE(c.isLoaderBusy());
    EXPECT_EQ(c.presetName(0), "P 0");
    t.render(kBar, 256, script);
    EXPECT_EQ(c.setChunk(other.data(), int32_t(other.size()), false), 1);
    t.render(kBar + kBar / 2, 256, script);
    return t.finish();
}

using Scene = Recording (*)(const std::filesystem::path&);

struct Named {
    const char* name;
    Scene scene;
};

// Shown by its name where a failure names the case, not as its bytes.
void PrintTo(const Named& named, std::ostream* out) { *out << named.name; }

constexpr Named kScenes[] = {
    {"held_chords", heldChords},
    {"host_clock_tempo", hostClockTempo},
    {"parameter_sweep", parameterSweep},
    {"program_and_state", programAndState},
};

// Little-endian words: magic, count of kept samples, count of notes, the
// hash as two words (low first), the kept samples, then per note its sample
// and its three bytes in one word.
void write(const std::string& path, const Recording& r) {
    std::ofstream out(path, std::ios::binary);
    const uint32_t head[5] = {kMagic, uint32_t(r.kept.size()), uint32_t(r.notes.size()), uint32_t(r.hash),
                              uint32_t(r.hash >> 32)};
    out.write(reinterpret_cast<const char*>(head), sizeof head);
    out.write(reinterpret_cast<const char*>(r.kept.data()), std::streamsize(r.kept.size() * 4));
    for (const MidiAt& m : r.notes) {
        const uint32_t words[2] = {uint32_t(m.sample), uint32_t(m.status) | uint32_t(m.data1) << 8 | uint32_t(m.data2) << 16};
        out.write(reinterpret_cast<const char*>(words), sizeof words);
    }
}

bool read(const std::string& path, Recording& r) {
    std::ifstream in(path, std::ios::binary);
    uint32_t head[5] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    if (!in || head[0] != kMagic || head[1] > (1u << 22) || head[2] > (1u << 20)) return false;
    r.hash = head[3] | (uint64_t{head[4]} << 32);
    r.kept.resize(head[1]);
    in.read(reinterpret_cast<char*>(r.kept.data()), std::streamsize(r.kept.size() * 4));
    for (uint32_t i = 0; i < head[2]; ++i) {
        uint32_t words[2] = {};
        in.read(reinterpret_cast<char*>(words), sizeof words);
        r.notes.push_back({int64_t(words[0]), uint8_t(words[1]), uint8_t(words[1] >> 8), uint8_t(words[1] >> 16)});
    }
    return bool(in);
}

// The recording a path is held to: the processor's own kernels where it has
// the wider ones, else the baseline's.
std::string referenceFile(const std::string& folder, const std::string& name, bool baseline) {
    const bool wide = !baseline && platform::cpuHasAvx2() && platform::cpuHasFma();
    return folder + "/" + name + (wide ? ".ref" : ".baseline.ref");
}

class RenderReference : public ::testing::TestWithParam<std::tuple<Named, bool>> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(writeFactoryContent(content.path(), error)) << error;
        platform::restrictToBaselineCpu(std::get<1>(GetParam()));
    }
    void TearDown() override { platform::restrictToBaselineCpu(false); }
    TempDir content;
};

}  // namespace

TEST_P(RenderReference, SendsTheSameNotesAndMatchesTheRecordingWithinAMillionth) {
    const auto [scene, baseline] = GetParam();
    const Recording now = scene.scene(content.path());
    if (const char* folder = std::getenv("ZORVANE_RECORD_RENDER_REFERENCES")) {
        write(referenceFile(folder, scene.name, baseline), now);
        std::printf("%s%s: %zu notes, hash %016llx\n", scene.name, baseline ? " (baseline)" : "", now.notes.size(),
                    static_cast<unsigned long long>(now.hash));
        return;
    }
    Recording reference;
    ASSERT_TRUE(read(referenceFile(ZORVANE_SOURCE_DIR "/tests/plugin/references", scene.name, baseline), reference))
        << scene.name;
    EXPECT_EQ(now.notes, reference.notes) << scene.name;
    ASSERT_EQ(now.kept.size(), reference.kept.size());
    double error = 0.0;
    double energy = 0.0;
    for (size_t n = 0; n < now.kept.size(); ++n) {
        const double d = double(now.kept[n]) - reference.kept[n];
        error += d * d;
        energy += double(reference.kept[n]) * reference.kept[n];
    }
    ASSERT_GT(energy, 1.0);
    const double relative = std::sqrt(error / energy);
    EXPECT_LT(relative, 1e-6) << scene.name;
    std::printf("%s%s: relative error %.3g, %s\n", scene.name, baseline ? " (baseline)" : "", relative,
                now.hash == reference.hash ? "bit for bit the same" : "rounded differently");
}

INSTANTIATE_TEST_SUITE_P(Renders, RenderReference, ::testing::Combine(::testing::ValuesIn(kScenes), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_baseline" : "_native");
                         });
