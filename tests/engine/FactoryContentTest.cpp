#include "factory/FactoryContent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <set>

#include <sndfile.h>

#include "EngineTestContext.h"
#include "engine/BWRomplerHandler.h"
#include "engine/BWSampleZone.h"
#include "engine/VoiceLayer.h"
#include "factory/FactoryCatalog.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "support/SettingsSandbox.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The lag within +-10 % of `expected` frames at which the signal best
// matches itself, refined between whole frames by a parabola: its period.
double measuredPeriod(const std::vector<double>& signal, int32_t from, int32_t count, double expected) {
    auto score = [&](int32_t lag) {
        double sum = 0.0;
        for (int32_t i = from; i < from + count; ++i) sum += signal[i] * signal[i + lag];
        return sum;
    };
    int32_t best = int32_t(expected * 0.9);
    for (int32_t lag = best + 1; lag <= int32_t(expected * 1.1); ++lag)
        if (score(lag) > score(best)) best = lag;
    const double before = score(best - 1), at = score(best), after = score(best + 1);
    return best + 0.5 * (before - after) / (before - 2.0 * at + after);
}

// Both channels together: the pad's detuned voices lean to either side.
std::vector<double> monoSum(const BWSampleData& sample) {
    std::vector<double> signal(size_t(sample.getFrames()));
    for (size_t i = 0; i < signal.size(); ++i)
        signal[i] = double(sample.getLeft()[i]) + (sample.isStereo() ? sample.getRight()[i] : 0);
    return signal;
}

// The pitch of a played note, read from its fundamental's phase, which turns
// at the note's frequency whatever its level and colour do: the phase in a
// Hann window of eight periods (at least 512 frames) and in one `apart`
// frames later.  How much further it turned than `hz` predicts gives the
// frequency, without ambiguity while `hz` is within half a turn over
// `apart`: so it is refined over spans ten times longer each time, from one
// period to the whole span.
class NotePitch {
public:
    NotePitch(const std::vector<float>& audio, double rate, size_t from) : audio(audio), rate(rate), from(from) {}

    static size_t window(double hz, double rate) { return size_t(std::max(512.0, 8.0 * rate / hz)); }

    double frequency(double hz, size_t span) const {
        for (double apart = rate / hz;; apart *= 10.0) {
            const size_t frames = std::min(size_t(std::ceil(apart)), span);
            hz = refine(hz, frames);
            if (frames == span) return hz;
        }
    }

private:
    double phaseAt(size_t start, size_t count, double hz) const {
        double re = 0.0, im = 0.0;
        for (size_t i = 0; i < count; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (double(i) + 0.5) / double(count));
            const double angle = 2.0 * std::numbers::pi * hz * double(i) / rate;
            re += w * audio[start + i] * std::cos(angle);
            im -= w * audio[start + i] * std::sin(angle);
        }
        return std::atan2(im, re);
    }
    double refine(double hz, size_t apart) const {
        const size_t count = window(hz, rate);
        const double turned = phaseAt(from + apart, count, hz) - phaseAt(from, count, hz);
        const double beyond =
            std::remainder(turned - 2.0 * std::numbers::pi * hz * double(apart) / rate, 2.0 * std::numbers::pi);
        return hz + beyond * rate / (2.0 * std::numbers::pi * double(apart));
    }

    const std::vector<float>& audio;
    double rate;
    size_t from;
};

// The content is made once for all tests: the generator is what is tested.
class FactoryContent : public testing::Test {
protected:
    static void SetUpTestSuite() {
        output = new TempDir;
        std::string error;
        ASSERT_TRUE(writeFactoryContent(output->path(), error)) << error;
    }
    static void TearDownTestSuite() {
        delete output;
        output = nullptr;
    }

    static fs::path instruments() { return output->path() / kFactoryInstrumentsFolder; }
    static fs::path samples() { return output->path() / kFactorySamplesFolder; }

    static TempDir* output;
    SettingsSandbox settings;
};

TempDir* FactoryContent::output = nullptr;

TEST_F(FactoryContent, WritesEveryInstrumentAndSampleSmallAndTheSameEachRun) {
    size_t zones = 0, waves = 0, bytes = 0;
    for (const FactoryInstrument& instrument : factoryInstruments()) zones += instrument.zones.size();
    for (const auto& entry : fs::recursive_directory_iterator(output->path())) {
        if (!entry.is_regular_file()) continue;
        bytes += entry.file_size();
        waves += entry.path().parent_path() == samples() && entry.path().extension() == ".wav";
    }
    EXPECT_EQ(waves, zones);
    EXPECT_LT(bytes, 6u * 1024 * 1024);

    // The command line makes the same files again.
    const std::string program = std::string(ZORVANE_BINARY_DIR) + "/zorvane-factory";
    EXPECT_NE(std::system((program + " >/dev/null 2>&1").c_str()), 0);
    TempDir again;
    ASSERT_EQ(std::system(("'" + program + "' '" + again.str() + "'").c_str()), 0);
    for (const FactoryInstrument& instrument : factoryInstruments()) {
        const fs::path name = instrument.name + ".bwr";
        EXPECT_EQ(fileBytes(instruments() / name), fileBytes(again.path() / kFactoryInstrumentsFolder / name))
            << instrument.name;
        const fs::path wave = factorySampleName(instrument, instrument.zones[0]) + ".wav";
        EXPECT_EQ(fileBytes(samples() / wave), fileBytes(again.path() / kFactorySamplesFolder / wave));
    }
}

TEST_F(FactoryContent, InstrumentsLoadThroughTheLibraryAndTheLayerHandler) {
    ASSERT_TRUE(setSettingString(SettingNames::kInstrumentsPath, instruments().string()));
    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(false);
    EXPECT_EQ(library.getEntries().size(), factoryInstruments().size());

    for (const FactoryInstrument& expected : factoryInstruments()) {
        BWRomplerHandler handler(&library);
        ASSERT_TRUE(handler.loadInstrument(expected.name, false)) << expected.name;
        EXPECT_EQ(handler.getInstrumentName(), expected.name);
        const BWRompler& instrument = *handler.getInstrument();
        ASSERT_EQ(instrument.getZones().size(), expected.zones.size());

        // Every key finds exactly its zone, on both layers the voices use.
        std::set<const BWSampleZone*> used;
        BWRomplerHandler::ZoneAccess access(handler);
        for (int32_t key = 0; key < 128; ++key) {
            const BWSampleZone* zone = access.zoneFor(key, key % 2);
            ASSERT_NE(zone, nullptr) << expected.name << " key " << key;
            EXPECT_EQ(zone, handler.getTableZone(key, 0));
            used.insert(zone);
        }
        EXPECT_EQ(used.size(), expected.zones.size());
        for (const auto& zone : instrument.getZones()) {
            EXPECT_TRUE(zone->holdsKey(zone->getRootKey())) << expected.name;
            EXPECT_GT(zone->getSample().getFrames(), 10000);
        }
    }
}

// A sustained sound loops without a click: the step from the loop's end back
// to its start is no larger than the steps inside the loop.  Its pitch,
// with the zone's tune, is the root key's.
TEST_F(FactoryContent, LoopsAreSeamlessAndEveryZoneSoundsAtItsRootKey) {
    for (const FactoryInstrument& entry : factoryInstruments()) {
        const std::unique_ptr<BWRompler> instrument = buildFactoryInstrument(entry);
        ASSERT_NE(instrument, nullptr);
        for (const auto& zone : instrument->getZones()) {
            const BWSampleData& sample = zone->getSample();
            const std::string where = sample.getSampleName();
            const int16_t* values = sample.getLeft();
            const bool sustained = entry.voice == FactoryVoice::Pad || entry.voice == FactoryVoice::Bass;
            EXPECT_EQ(sample.isLoopOn(), sustained) << where;
            EXPECT_EQ(sample.isStereo(), entry.voice == FactoryVoice::Pad) << where;

            int32_t from = 100;
            if (sample.isLoopOn()) {
                const int32_t start = int32_t(sample.getLoopStart()), end = int32_t(sample.getLoopEnd());
                ASSERT_LT(start, end) << where;
                EXPECT_EQ(end, sample.getFrames()) << where;
                int largestStep = 0;
                for (int32_t i = start + 1; i < end; ++i)
                    largestStep = std::max(largestStep, std::abs(values[i] - values[i - 1]));
                EXPECT_LE(std::abs(values[start] - values[end - 1]), largestStep) << where;
                from = start;
            }

            const double wanted = keyFrequency(zone->getRootKey());
            const double recorded = wanted / std::pow(2.0, zone->getTune() / 12.0);
            const double expected = sample.getSampleRate() / recorded;
            const int32_t count = std::min(8192, sample.getFrames() - from - int32_t(expected * 1.2) - 2);
            // Within 5 cents.
            EXPECT_NEAR(measuredPeriod(monoSum(sample), from, count, expected) / expected, 1.0, 0.003) << where;
        }
    }
}

// Every zone of every instrument, played by a voice at the lowest and the
// highest key it covers, sounds at that key's pitch within a cent.  The
// measured span takes in three passes of a loop where they come within a
// second, so that a loop that loses or gains time at its wrap is heard.
TEST_F(FactoryContent, EveryZoneSoundsAtThePlayedKeyAtItsLowestAndHighestKey) {
    constexpr double kCent = 1.0;
    constexpr size_t kFrom = 1024;  // past the strike, before the shortest note (a pluck at key 127) ends
    ASSERT_TRUE(setSettingString(SettingNames::kInstrumentsPath, instruments().string()));
    BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    library.scan(false);
    EngineTestContext context;
    const double rate = context.info.sampleRate;
    for (const FactoryInstrument& entry : factoryInstruments()) {
        for (const FactoryZone& place : entry.zones) {
            for (int32_t key : {place.keyLow, place.keyHigh}) {
                // A voice of its own for each note; the handler goes first,
                // letting go of the voice.
                VoiceLayer layer(context.info);
                BWRomplerHandler handler(&library);
                ASSERT_TRUE(handler.loadInstrument(entry.name, false)) << entry.name;
                layer.attachTo(handler);
                const BWSampleZone* zone = BWRomplerHandler::ZoneAccess(handler).zoneFor(key, 1);
                ASSERT_NE(zone, nullptr) << entry.name << " at key " << key;
                const BWSampleData& sample = zone->getSample();
                const double hz = keyFrequency(key);
                const double speed = std::pow(2.0, (key - zone->getRootKey()) / 12.0) * sample.getSampleRate() / rate;
                size_t span = size_t(std::ceil(10.0 * rate / hz));
                const double loopPasses = 3.0 * (sample.getLoopEnd() - sample.getLoopStart()) / speed;
                if (sample.isLoopOn() && loopPasses <= rate) span = std::max(span, size_t(loopPasses));

                VoiceValues notes{}, gates{};
                notes[0] = float(key);
                gates[0] = 1.0f;
                std::vector<float> audio;
                while (audio.size() < kFrom + span + NotePitch::window(hz, rate)) {
                    layer.tick(handler, notes, gates, 0.0f, {});
                    audio.insert(audio.end(), layer.output(0), layer.output(0) + kEngineTick);
                }
                const double cents = 1200.0 * std::log2(NotePitch(audio, rate, kFrom).frequency(hz, span) / hz);
                EXPECT_NEAR(cents, 0.0, kCent) << sample.getSampleName() << " at key " << key;
            }
        }
    }
}

TEST_F(FactoryContent, TheSampleFilesHoldTheInstrumentsSamples) {
    const FactoryInstrument& pad = factoryInstruments()[1];
    const std::unique_ptr<BWRompler> instrument = buildFactoryInstrument(pad);
    const BWSampleData& sample = instrument->getZones()[0]->getSample();

    // Read by libsndfile, a reader that is not ours.
    const fs::path path = samples() / (factorySampleName(pad, pad.zones[0]) + ".wav");
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr) << path;
    EXPECT_EQ(info.samplerate, 44100);
    ASSERT_EQ(info.channels, 2);
    ASSERT_EQ(info.frames, sample.getFrames());
    std::vector<int16_t> frames(size_t(info.frames) * 2);
    EXPECT_EQ(sf_readf_short(file, frames.data(), info.frames), info.frames);
    sf_close(file);
    for (int32_t i = 0; i < sample.getFrames(); ++i) {
        ASSERT_EQ(frames[2 * size_t(i)], sample.getLeft()[i]) << i;
        ASSERT_EQ(frames[2 * size_t(i) + 1], sample.getRight()[i]) << i;
    }
}

}  // namespace
