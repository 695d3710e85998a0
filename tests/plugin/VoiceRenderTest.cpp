// The voices through the whole render routine: held keys played by the
// sequencer through the factory instruments sound at their pitch, and every
// parameter at its ends keeps the output finite and bounded at every rate.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include "RenderDriver.h"
#include "core/BWBtnLineGrids.h"
#include "core/BWFloatZoneHandler.h"
#include "core/BWZone.h"
#include "support/ChunkWords.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryCatalog.h"
#include "factory/FactoryContent.h"
#include "persistence/SettingNames.h"

namespace {

class VoiceRenderTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        content = new TempDir;
        std::string error;
        ASSERT_TRUE(writeFactoryContent(content->path(), error)) << error;
    }
    static void TearDownTestSuite() { delete content; }

    // An instance whose three layers play factory instruments, own clock,
    // two steps a beat, every step one retriggered event on the keys held.
    static std::unique_ptr<RenderDriver> playing(float rate, const int (&instruments)[3], bool neverSilent = true) {
        auto d = std::make_unique<RenderDriver>(neverSilent);
        setSettingString(SettingNames::kInstrumentsPath, (content->path() / kFactoryInstrumentsFolder).string());
        globalRomplerLibrary().scan(true);
        BWUniClient& c = *d->instance;
        c.setSampleRate(rate);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(c.soundLayer(i).loadInstrument(factoryInstruments()[size_t(instruments[i])].name, false));
        for (auto [index, value] : {std::pair<int32_t, float>{Tag::Clocksource, 0.0f}, {Tag::ClockDivide, 0.5f},
                                    {Tag::ChordSelect, 1.0f}, {Tag::Osc1TrigEach, 0.0f}, {Tag::Swingfactor, 0.0f},
                                    {Tag::RestartArp, 1.0f}, {Tag::Arpmode, 0.0f}}) {
            c.setParameter(index, value);
        }
        for (uint64_t step = 0; step < 32; ++step) {
            c.patterns().stepLine(0).setStepOnLine(0, step, 1.0f);
            c.patterns().stepLine(1).setStepOnLine(0, step, 1.0f);
        }
        return d;
    }

    // The period by autocorrelation: the shortest lag whose correlation comes
    // within 10 % of the best between 60 Hz and 2 kHz, refined by a parabola.
    static double fundamental(const std::vector<float>& x, double rate) {
        const size_t minLag = size_t(rate / 2000), maxLag = size_t(rate / 60), n = x.size() - maxLag - 1;
        std::vector<double> r(maxLag + 2);
        for (size_t lag = minLag - 1; lag <= maxLag + 1; ++lag) {
            double sum = 0;
            for (size_t i = 0; i < n; ++i) sum += double(x[i]) * x[i + lag];
            r[lag] = sum;
        }
        const double best = *std::max_element(r.begin() + long(minLag), r.begin() + long(maxLag));
        size_t lag = minLag;
        while (lag < maxLag && !(r[lag] >= 0.9 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1])) ++lag;
        const double shift = 0.5 * (r[lag - 1] - r[lag + 1]) / (r[lag - 1] - 2 * r[lag] + r[lag + 1]);
        return rate / (double(lag) + shift);
    }

    static TempDir* content;
};

TempDir* VoiceRenderTest::content = nullptr;

// A held key reaches the voices two octaves below its number, and the layer's
// octave switch at 1 with no transpose or tune adds them back: the voice
// plays the key's own pitch on every host rate.  Dry: no filter, effects,
// crush, drift or kick.
TEST_F(VoiceRenderTest, HeldKeyPlaysAtItsPitchThroughTheFactoryInstrument) {
    const struct {
        float rate;
        int key;
        int instrument;
    } cases[] = {{44100, 57, 1}, {44100, 69, 0}, {96000, 45, 3}, {96000, 62, 0}, {192000, 50, 0}};
    for (const auto& c : cases) {
        const int instruments[3] = {c.instrument, c.instrument, c.instrument};
        auto d = playing(c.rate, instruments);
        BWUniClient& client = *d->instance;
        for (auto [index, value] : {std::pair<int32_t, float>{Tag::Osc1Sound, 1.0f}, {Tag::Osc2Sound, 0.0f},
                                    {Tag::Osc3Sound, 0.0f}, {Tag::AssignOsc1, 0.0f}, {Tag::Osc1Octave, 0.3f},
                                    {Tag::Transpose, 0.5f}, {Tag::Mastertune, 0.5f}, {Tag::Osc1Polycrush, 0.0f},
                                    {Tag::Osc1Age, 0.0f}, {Tag::KickLevel, 0.0f}, {Tag::Osc1Level, 0.8f},
                                    {Tag::Osc1Attack, 0.0f}, {Tag::Osc1Sustain, 1.0f}, {Tag::RvsMix, 0.0f},
                                    {Tag::ChsMix, 0.0f}, {Tag::PhsMix, 0.0f}, {Tag::DlyMix, 0.0f}, {Tag::RvbMix, 0.0f}}) {
            client.setParameter(index, value);
        }
        std::vector<float> audio;
        d->run({noteOnAt(64, c.key)}, int64_t(c.rate * 0.6f), 256, &audio);
        audio.erase(audio.begin(), audio.begin() + long(c.rate * 0.15f));
        double energy = 0;
        for (float x : audio) energy += double(x) * x;
        const double rms = std::sqrt(energy / double(audio.size()));
        EXPECT_GT(rms, 0.01) << c.rate << " key " << c.key;
        const double expected = 440.0 * std::pow(2.0, (c.key - 69) / 12.0);
        EXPECT_NEAR(fundamental(audio, c.rate), expected, expected * 0.005) << c.rate << " key " << c.key;
        EXPECT_EQ(d->allocations, 0u);
    }
}

// Every host parameter at 0, at 1 and at noise, held chords on three
// instruments, the filter in each type and mode, at 44.1, 96 and 192 kHz: the
// output stays finite and within the master gain's reach of the clipped
// buses (the effects add their feedback on top).
TEST_F(VoiceRenderTest, StableWithEveryParameterAtItsExtremesAtEveryRate) {
    const int instruments[3] = {0, 1, 3};
    uint32_t seed = 99;
    for (float rate : {44100.0f, 96000.0f, 192000.0f}) {
        for (int extreme = 0; extreme < 3; ++extreme) {
            auto d = playing(rate, instruments);
            BWUniClient& c = *d->instance;
            for (int32_t index = 0; index <= Tag::LastHostIndex; ++index) {
                seed = seed * 1664525u + 1013904223u;
                c.setParameter(index, extreme == 2 ? float(seed >> 8) / 16777216.0f : float(extreme));
            }
            for (int32_t index : {Tag::Clocksource, Tag::ChordSelect, Tag::Swingfactor}) c.setParameter(index, 0.0f);
            for (int32_t index = Tag::RvsOnOff; index <= Tag::DlyOnOff; ++index) c.setParameter(index, 1.0f);
            for (int32_t index = Tag::Osc1Sound; index <= Tag::Osc3Sound; ++index) c.setParameter(index, 1.0f);
            c.setParameter(Tag::FilterType, 0.2f * float(extreme) + 0.1f);  // a different filter type each time
            std::vector<float> audio;
            d->run({noteOnAt(0, 36), noteOnAt(0, 48), noteOnAt(0, 55), noteOnAt(0, 64), noteOnAt(0, 71)},
                   int64_t(rate * 0.5f), 333, &audio);
            float loudest = 0.0f;
            bool finite = true;
            for (float x : audio) {
                finite = finite && std::isfinite(x);
                loudest = std::max(loudest, std::fabs(x));
            }
            EXPECT_TRUE(finite) << rate << " extreme " << extreme;
            EXPECT_LT(loudest, 16.0f) << rate << " extreme " << extreme;
            EXPECT_EQ(d->allocations, 0u);
        }
    }
}

}  // namespace

// An instance that played a phrase on three instruments (voices sounding,
// effects ringing, the sequencer stepping, a controller and a bend moved)
// and is then given its new state chunk and its running state back plays
// the phrase again sample for sample as it did when it was new.
TEST_F(VoiceRenderTest, AnInstanceGivenBackItsRunningStatePlaysAsWhenNew) {
    const int instruments[3] = {0, 1, 2};
    auto d = playing(44100.0f, instruments);
    BWUniClient& client = *d->instance;
    void* data = nullptr;
    const int32_t size = client.getChunk(&data, false);
    std::vector<uint8_t> fresh(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    const auto running = client.audioEngine().saveRunningState();
    ASSERT_NE(running, nullptr);

    const std::vector<MidiAt> phrase = {noteOnAt(100, 60), noteOnAt(900, 64), noteOnAt(5000, 67), noteOffAt(9000, 60),
                                        {12000, 0xB0, 1, 90}, {13000, 0xE0, 0, 80}, noteOffAt(15000, 64)};
    std::vector<float> first, second;
    d->run(phrase, 20000, 256, &first);
    const std::vector<MidiAt> firstNotes = d->sent;

    // Given back twice: the second time cutting into sounding voices.
    for (int64_t length : {int64_t(7000), int64_t(20000)}) {
        ASSERT_EQ(client.setChunk(fresh.data(), size, false), 1);
        client.audioEngine().restoreRunningState(*running);
        d->position = 0;
        d->sent.clear();
        second.clear();
        d->run(phrase, length, 256, &second);
    }
    EXPECT_EQ(first, second);
    EXPECT_EQ(d->sent, firstNotes);
    double energy = 0;
    for (float x : second) energy += double(x) * x;
    EXPECT_GT(energy, 1.0);  // the phrase sounds
}

// Idle ticks never look at the voices, so an engine falling idle lets go of
// the samples they hold: a writer waiting to replace one would otherwise
// wait in vain.  The next key takes them again.
TEST_F(VoiceRenderTest, AnIdleEngineHoldsNoSample) {
    const int instruments[3] = {0, 1, 2};
    auto d = playing(44100.0f, instruments, false);
    BWUniClient& c = *d->instance;
    const auto holding = [&c] {
        int voices = 0;
        for (int layer = 0; layer < kLayerCount; ++layer)
            for (int v = 0; v < kLayerVoices; ++v)
                voices += c.audioEngine().voiceChain().layer(layer).reader(v).isHolding();
        return voices;
    };
    d->run({noteOnAt(100, 60), noteOffAt(20000, 60)}, 30000, 256);
    EXPECT_GT(holding(), 0);
    d->run({}, 5 * 88200, 256);
    ASSERT_GT(c.renderState().idleTicks, 0u);
    EXPECT_EQ(holding(), 0);
    d->run({noteOnAt(d->position + 100, 64)}, 4096, 256);
    EXPECT_GT(holding(), 0);
}

// A value the voices take, set by a parameter or by an edit straight into a
// step lane, a step grid or the loop zone in the middle of a step while a
// chord plays, changes the sound from the next tick on: an instance playing
// alongside without the change tells when.  The tick that takes it is
// flushed at the start of the next.  The lane's steps differ, so that a
// loop that moves the step moves the pan; the arpeggio grid's steps are on,
// so that one switched off sounds the whole chord.
TEST_F(VoiceRenderTest, AnEditWhilePlayingIsHeardAtTheNextTick) {
    constexpr int64_t kEdit = 20000;  // a tick boundary between two steps
    constexpr int32_t kTick = 16;
    const auto laneToPan = [](BWUniClient& c) {
        for (int layer = 0; layer < 3; ++layer) c.setParameter(Tag::Osc1Sound + layer, 1.0f);
        c.setParameter(Tag::KickLevel, 0.0f);
        c.setParameter(Tag::Lane1Row, 0.15f);  // the first lane drives "Osc1 Pan"
        for (uint64_t step = 0; step < 32; ++step)
            c.patterns().cutoffLane(0).setValueOnPage(step, 0, 0.25f + static_cast<float>(step) / 64.0f);
    };
    const auto arpeggioOff = [](BWBtnLine& grid) {
        for (uint64_t step = 0; step < 32; ++step) grid.setStepOnLine(0, step, 0.0f);
    };
    const auto loopOn = [](BWUniClient& c, int32_t first, int32_t last) {
        BWFloatZoneHandler* lane = c.patterns().zones.audioLaneHandler();
        lane->deleteAllZones(false);
        std::unique_ptr<BWZone> zone = lane->createZone(0);
        zone->setRange(first, last);
        lane->insertZone(std::move(zone));
    };
    const std::vector<std::function<void(BWUniClient&)>> edits = {
        [](BWUniClient& c) { c.setParameter(Tag::Osc1Pan, 0.0f); },
        [](BWUniClient& c) { c.setParameter(Tag::Osc1Sound, 0.0f); },
        [](BWUniClient& c) { c.setParameter(Tag::FilterCutoff, 0.1f); },
        [](BWUniClient& c) {
            for (uint64_t step = 0; step < 32; ++step) c.patterns().cutoffLane(0).setValueOnPage(step, 0, 0.0f);
        },
        [&](BWUniClient& c) { arpeggioOff(c.patterns().stepLine(1)); },
        [&](BWUniClient& c) {  // a paste from an empty line
            BWBtnLine& grid = c.patterns().stepLine(1);
            grid.setCurrentLine(5);
            grid.copy(0, 0);
            grid.setCurrentLine(0);
            grid.paste(0, 0);
        },
        [&](BWUniClient& c) {  // a record loaded into the grid
            BWBtnLine empty(nullptr, kBtnLineGridSteps, kBtnLineGridLines);
            std::vector<uint32_t> words = wordsOf(empty);
            ASSERT_EQ(readWords(c.patterns().stepLine(1), words).result, 1);
        },
        [&](BWUniClient& c) { loopOn(c, 24, 27); },
        [&](BWUniClient& c) { c.patterns().zones.audioLaneHandler()->zoneList().front()->setRange(12, 15); },
        [](BWUniClient& c) { c.patterns().zones.setAudioLane(5); },  // an empty lane: the loop of its mirrors
    };
    for (size_t e = 0; e < edits.size(); ++e) {
        std::vector<float> audio[2];
        std::unique_ptr<RenderDriver> d[2];
        for (int i = 0; i < 2; ++i) {
            d[i] = playing(44100.0f, {0, 1, 2});
            laneToPan(*d[i]->instance);
            d[i]->run({noteOnAt(100, 60), noteOnAt(100, 64), noteOnAt(100, 67)}, kEdit, kTick, &audio[i]);
        }
        ASSERT_EQ(audio[0], audio[1]);
        ASSERT_GT(*std::max_element(audio[0].begin(), audio[0].end()), 0.01f) << "the chord sounds";
        edits[e](*d[1]->instance);
        for (int i = 0; i < 2; ++i) d[i]->run({}, 4 * kTick, kTick, &audio[i]);
        const int64_t first = std::mismatch(audio[0].begin(), audio[0].end(), audio[1].begin()).first - audio[0].begin();
        EXPECT_GE(first, kEdit) << e;
        EXPECT_LT(first, kEdit + 2 * kTick) << e;
    }
}
