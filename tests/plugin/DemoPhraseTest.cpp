// The demo set-up played as a musician plays it: chords held on the keys
// keep the phrase sounding for as long as they are held, on either clock and
// at every clock division, and legato chord changes are followed.  Measured
// in the audio, half a second at a time.

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "RenderDriver.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryContent.h"
#include "host/demo/DemoState.h"
#include "persistence/SettingNames.h"
#include "support/AudioMeasure.h"

namespace {

constexpr double kRate = 44100;

class DemoPhraseTest : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(writeFactoryContent(content.path(), error)) << error;
    }

    // The demo's state, restored as a host restores it: the layers find
    // their instruments by name.
    std::unique_ptr<RenderDriver> demo(float clockSource, float clockDivide) {
        auto d = std::make_unique<RenderDriver>();
        // After the instance's start-up, which points the setting at a
        // content folder of its own when it finds none.
        setSettingString(SettingNames::kInstrumentsPath, (content.path() / kFactoryInstrumentsFolder).string());
        globalRomplerLibrary().scan(true);
        BWUniClient& c = *d->instance;
        setUpDemo(c);
        c.setParameter(Tag::Clocksource, clockSource);
        c.setParameter(Tag::ClockDivide, clockDivide);
        void* data = nullptr;
        const int32_t size = c.getChunk(&data, false);
        std::vector<uint8_t> state(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        EXPECT_EQ(c.setChunk(state.data(), size, false), 1);
        for (int layer = 0; layer < 3; ++layer) EXPECT_NE(c.soundLayer(layer).getInstrument(), nullptr) << layer;
        return d;
    }

    TempDir content;
};

// Every half second of the audio holds a pitched sound a listener hears: a
// component 20 dB above the median of 300 Hz .. 4 kHz and no quieter than
// -45 dBFS (the kick's faint overtones, alone, are neither).
void expectSoundingThroughout(const std::vector<float>& audio, const std::string& what) {
    const size_t window = size_t(kRate / 2);
    for (size_t start = 0; start + window <= audio.size(); start += window) {
        const TonalPeak peak = strongestTonalPeak(spectrumOf(audio.data() + start, window, kRate), 300, 4000);
        EXPECT_TRUE(peak.aboveMedianDb >= 20 && peak.dbfs >= -45)
            << what << " at " << double(start) / kRate << " s: " << peak.hz << " Hz, " << peak.aboveMedianDb << " dB above the band, "
            << peak.dbfs << " dBFS";
    }
}

}  // namespace

// C, E and G held for eight bars at 120 bpm, on the instrument's own clock
// and on the host's (playing from the start), at each clock division.
TEST_F(DemoPhraseTest, AChordHeldEightBarsSoundsInEveryHalfSecond) {
    for (float clockSource : {0.0f, 1.0f}) {
        for (float clockDivide : {0.0f, 0.5f, 1.0f}) {
            auto d = demo(clockSource, clockDivide);
            d->playing = true;
            std::vector<float> audio;
            d->run({noteOnAt(0, 60), noteOnAt(0, 64), noteOnAt(0, 67)}, 8 * kBar, 512, &audio);
            expectSoundingThroughout(audio, "clock " + std::to_string(clockSource) + " divide " + std::to_string(clockDivide));
            EXPECT_EQ(d->allocations, 0u);
        }
    }
}

// Chords changed legato (the next struck on the beat that lets the last go,
// with notes in common) keep the phrase going, and each bar sounds its own
// chord: its three strongest pitch classes are the chord's.  The demo's own
// progression is those four chords: with "Chord Select" at SEQUENCE and one
// key held it plays them, a bar each, as the hands would.
TEST_F(DemoPhraseTest, LegatoChordChangesKeepSoundingAndFollowTheChords) {
    const int chords[4][3] = {{60, 64, 67}, {60, 64, 69}, {60, 65, 69}, {59, 62, 67}};
    std::vector<MidiAt> legato;
    for (int bar = 0; bar < 4; ++bar) {
        if (bar > 0)
            for (int note : chords[bar - 1]) legato.push_back(noteOffAt(bar * kBar, note));
        for (int note : chords[bar]) legato.push_back(noteOnAt(bar * kBar, note));
    }
    for (bool fromTheSequence : {false, true}) {
        const std::string take = fromTheSequence ? "the demo's progression" : "legato";
        auto d = demo(0.0f, 0.5f);
        if (fromTheSequence) d->instance->setParameter(Tag::ChordSelect, 0.0f);
        std::vector<float> audio;
        d->run(fromTheSequence ? std::vector<MidiAt>{noteOnAt(0, 60)} : legato, 4 * kBar, 256, &audio);
        expectSoundingThroughout(audio, take);
        for (int bar = 0; bar < 4; ++bar) {
            const size_t from = size_t(bar * kBar + kBar / 8);  // past the change
            const Spectrum spectrum = spectrumOf(audio.data() + from, size_t(kBar - kBar / 8), kRate);
            std::set<int> chord;
            for (int note : chords[bar]) chord.insert(note % 12);
            EXPECT_EQ(strongestPitchClasses(spectrum, 250, 2100, 3), chord) << take << ", bar " << bar + 1;
        }
    }
}

// A low C held through the demo set-up keeps its low end at every rate: the
// level between 25 and 50 Hz (the kick's body and the note's fundamental)
// within 1 dB of 44.1 kHz's at 48, 96 and 192 kHz.  With the DC blocker's
// pole fixed it lost 1.8 dB at 96 kHz and 5.3 dB at 192.
TEST_F(DemoPhraseTest, AHeldLowNoteKeepsItsLowEndAtEveryRate) {
    const auto lowEnd = [&](float rate) {
        auto d = demo(0.0f, 0.5f);
        d->instance->setSampleRate(rate);
        d->rate = rate;
        std::vector<float> audio;
        d->run({noteOnAt(0, 36)}, int64_t(3.5 * rate), 512, &audio);
        return bandLevelDb(audio, size_t(0.5 * rate), size_t(3.0 * rate), rate, 25, 50);
    };
    const double reference = lowEnd(44100.0f);
    EXPECT_GT(reference, -60.0);  // the low end is there to be kept
    for (float rate : {48000.0f, 96000.0f, 192000.0f}) EXPECT_NEAR(lowEnd(rate), reference, 1.0) << rate << " Hz";
}

// With "allnotesoffafterload" set, a state load lets go of the keys held,
// in the first block after it, though the host passes no MIDI there (hosts
// call processEvents only when MIDI arrives).  Without it they stay held.
TEST(AllNotesOffAfterLoad, AHeldNoteIsReleasedInTheFirstBlockAfterTheLoad) {
    for (const bool option : {true, false}) {
        RenderDriver d;
        // The option is read when an instance is made: in the driver's settings.
        setSettingDword(SettingNames::kAllNotesOffAfterLoad, option ? 1 : 0);
        d.instance = std::make_unique<BWUniClient>(&RenderDriver::callback, 1, false);
        BWUniClient& c = *d.instance;
        d.run({noteOnAt(0, 60), noteOnAt(0, 64)}, 4096, 512);
        ASSERT_GT(float(c.getSystemInfo()->lastVelocity), 0.0f);
        void* data = nullptr;
        const int32_t size = c.getChunk(&data, false);
        std::vector<uint8_t> state(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        ASSERT_EQ(c.setChunk(state.data(), size, false), 1);
        std::vector<float> left(512), right(512);
        float* outputs[2] = {left.data(), right.data()};
        c.processReplacing(outputs, outputs, 512);
        EXPECT_EQ(c.getSystemInfo()->lastVelocity == 0.0f, option) << option;
    }
}
