#include "engine/VoiceChain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "EngineTestContext.h"
#include "engine/BWRomplerHandler.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryCatalog.h"
#include "factory/FactoryContent.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "support/AllocationCounter.h"
#include "support/AudioMeasure.h"
#include "support/SettingsSandbox.h"
#include "support/TempDir.h"

namespace {

// The three layers play the first three factory instruments, made once.
class VoiceChainTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        content = new TempDir;
        std::string error;
        ASSERT_TRUE(writeFactoryContent(content->path(), error)) << error;
    }
    static void TearDownTestSuite() { delete content; }

    VoiceChainTest() {
        setSettingString(SettingNames::kInstrumentsPath, (content->path() / kFactoryInstrumentsFolder).string());
        library.scan(false);
        for (int i = 0; i < kLayerCount; ++i) {
            owned[i] = std::make_unique<BWRomplerHandler>(&library);
            EXPECT_TRUE(owned[i]->loadInstrument(factoryInstruments()[size_t(i)].name, false));
            handlers[size_t(i)] = owned[i].get();
        }
    }

    // A held chord on every voice, each retriggered in its turn; 120 bpm.
    static VoiceChainTick chordTick(int tick, float rate) {
        VoiceChainTick input;
        for (int layer = 0; layer < kLayerCount; ++layer) {
            for (int v = 0; v < kLayerVoices; ++v) {
                input.notes[size_t(layer)][size_t(v)] = float(36 + 3 * v + 12 * layer);
                input.gates[size_t(layer)][size_t(v)] = ((tick + 7 * v + 13 * layer) / 90) % 3 == 2 ? 0.0f : 1.0f;
            }
        }
        input.filterGates = input.gates[0];
        input.beatPosition = tick * 32.0 / rate;
        return input;
    }

    // Every 0..1 parameter at `value`, the attacks at the other end so that
    // the voices are loud soon.
    static VoiceChainSettings settingsFor(float value, FilterType type, bool perVoice, bool routed, float rate) {
        VoiceChainSettings s;
        for (int i = 0; i < kLayerCount; ++i) {
            s.mix.layers[size_t(i)] = {true, value, 1.0f, value, routed, layerEnvelopeTimes(1 - value, value, 1, value)};
            s.pitchOffset[size_t(i)] = value > 0.5f ? 72.0f : -24.0f;  // octave, transpose and tune at their ends
            s.age[size_t(i)] = AgeSetting::forLayer(value);
        }
        s.mix.perVoiceFilter = perVoice;
        s.mix.mix = VoiceMix::filterMix(value);
        s.mix.filter = {type, value, 1 - value, 0, 0, perVoice, AgeSetting::forFilter(value)};
        s.mix.filter.setResonance(value);
        s.filterEnvelope = filterEnvelopeTimes(1 - value, value, value, value);
        s.compressor.setDepth(value > 0.5f ? 4 : 0);
        s.compressor.setSpeed(value > 0.5f ? 4 : 0, rate);
        return s;
    }

    static TempDir* content;
    SettingsSandbox settings;
    BWRomplerLibrary library{SettingNames::kInstrumentsPath};
    std::unique_ptr<BWRomplerHandler> owned[kLayerCount];
    VoiceChain::Handlers handlers{};
};

TempDir* VoiceChainTest::content = nullptr;

// Every parameter at its ends, held chords and a noise voice, at 44.1, 96 and
// 192 kHz: the layer mix stays finite and bounded, the buses within ±1; and
// nothing on the way allocates once the chain is prepared.
TEST_F(VoiceChainTest, StableAtTheExtremesOfEveryParameterAndRateAndAllocatesNothing) {
    const struct {
        float value;
        FilterType type;
        bool perVoice, routed;
    } cases[] = {{0, FilterType::LowPass, false, true},    {1, FilterType::LowPass, false, true},
                 {1, FilterType::BandPass, true, true},    {1, FilterType::HighPass, true, true},
                 {1, FilterType::BandReject, false, true}, {1, FilterType::Comb, true, true},
                 {0, FilterType::Comb, false, true},       {1, FilterType::LowPass, true, false}};
    uint32_t seed = 7;  // white noise in -1..1
    for (float rate : {44100.0f, 96000.0f, 192000.0f}) {
        for (const auto& c : cases) {
            EngineTestContext context(rate);
            VoiceChain chain(context.info);
            chain.attach(handlers);
            TestCombLines lines(rate);
            lines.bind(chain);
            chain.prepare(rate);
            const VoiceChainSettings s = settingsFor(c.value, c.type, c.perVoice, c.routed, rate);
            chain.kick().setLevel(c.value);
            chain.kick().setTone(c.value);
            float left[16], right[16], kick[16], loudest = 0.0f, loudestBus = 0.0f;
            int sounding = 0;
            AllocationCounter allocations;
            for (int tick = 0; tick < int(rate / 32); ++tick) {
                chain.tick(handlers, chordTick(tick, rate), s);
                for (float& x : chain.layer(2).reader(7).left) x = float(int32_t(seed = seed * 1664525u + 1013904223u)) * 4.6e-10f;
                chain.kick().render(kick, 16, context.info);
                chain.mix().render({&chain.layer(0), &chain.layer(1), &chain.layer(2)}, s.mix, 0, 7, left, right);
                chain.mix().render({&chain.layer(0), &chain.layer(1), &chain.layer(2)}, s.mix, 7, 9, left + 7, right + 7);
                for (int k = 0; k < 16; ++k) loudest = std::max({loudest, std::fabs(left[k]), std::fabs(right[k])});
                chain.compressor().process(left, right, kick, 16, s.compressor);
                for (int k = 0; k < 16; ++k)
                    loudestBus = std::max({loudestBus, std::fabs(left[k]), std::fabs(right[k]), std::fabs(kick[k])});
                sounding += chain.layer(tick % 3).reader(tick % 8).isActive();
            }
            EXPECT_EQ(allocations.count(), 0u);
            EXPECT_GT(sounding, rate / 64);
            EXPECT_TRUE(loudest > 0.0f && loudest < 1000.0f)  // full resonance rings some 34 dB over its input
                << rate << " value " << c.value << " type " << int(c.type) << ": " << loudest;
            EXPECT_LE(loudestBus, 1.0f);
        }
    }
}

// A note that takes over a sounding voice of the piano (with the demo's
// touch of "Polycrush", at 192 kHz, where the hold is renewed every third
// or fourth sample) lets the old sound fade in the tick of the take-over
// at the gain it had, released nearly to silence: the new note's envelope,
// whose attack is 0, comes with the new sound at the next tick.  No sample
// of the fade tick goes beyond that gain times the fading sound, and no
// sample of the render stands off the wave.  (The new envelope lifted the
// fading sound toward full level, and the hold cut the fade into a few
// steps and dropped the rest at the next tick: steps of 0.02 to 0.05 at
// onsets, and a lone sample where two met.)
TEST_F(VoiceChainTest, ANoteTakingOverAVoiceFadesTheOldSoundAtItsOwnGain) {
    constexpr float kRate = 192000.0f;
    constexpr int kTicksPerSecond = int(kRate) / 16;
    constexpr int kReleased = kTicksPerSecond / 5, kTakeOver = kReleased + kTicksPerSecond / 20, kEnd = kTakeOver + kTicksPerSecond / 10;
    EngineTestContext context(kRate);
    VoiceChain chain(context.info);
    chain.attach(handlers);
    TestCombLines lines(kRate);
    lines.bind(chain);
    chain.prepare(kRate);
    VoiceChainSettings s;
    s.mix.layers[0] = {true, 0.05f, 1.0f, 0.5f, false, layerEnvelopeTimes(0.0f, 0.45f, 0.55f, 0.3f)};
    const std::array<const VoiceLayer*, kLayerCount> views = {&chain.layer(0), &chain.layer(1), &chain.layer(2)};
    std::vector<float> out;
    float fadeLimit = 0.0f, fadePeak = 0.0f;
    for (int tick = 0; tick < kEnd; ++tick) {
        VoiceChainTick input;
        input.notes[0][0] = tick < kTakeOver ? 72.0f : 76.0f;
        input.gates[0][0] = tick < kReleased || tick >= kTakeOver ? 1.0f : 0.0f;
        const float gainBefore = chain.mix().chain(0).envelopeLevel(0);  // where the last tick's ramp ended
        chain.tick(handlers, input, s);
        float left[16], right[16];
        chain.mix().render(views, s.mix, 0, 16, left, right);
        if (tick == kTakeOver) {
            for (int k = 0; k < 16; ++k) {
                fadeLimit = std::max(fadeLimit, gainBefore * std::sqrt(0.5f) * std::fabs(chain.layer(0).reader(0).left[k]));
                fadePeak = std::max(fadePeak, std::fabs(left[k]));
            }
        }
        out.insert(out.end(), left, left + 16);
    }
    ASSERT_GT(fadeLimit, 0.0f) << "the old note has rung out: nothing to fade";
    EXPECT_LE(fadePeak, fadeLimit * 1.001f);
    const std::vector<size_t> spikes = oneSampleSpikes(out);
    EXPECT_TRUE(spikes.empty()) << spikes.size() << ", the first at sample " << spikes.front();
}

}  // namespace
