#include "engine/VoiceChain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "EngineTestContext.h"
#include "engine/BWRomplerHandler.h"
#include "engine/BWRomplerLibrary.h"
#include "factory/FactoryCatalog.h"
#include "factory/FactoryContent.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "support/AllocationCounter.h"
#include "support/SettingsSandbox.h"
#include "support/TempDir.h"

namespace {

// The three layers play the first three factory instruments.
class VoiceChainTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        content = new TempDir;
        std::string error;
        ASSERT_TRUE(writeFactoryContent(content->path(), error)) << error;
    }
    static void TearDownTestSuite() {
        delete content;
        content = nullptr;
    }

    VoiceChainTest() {
        setSettingString(SettingNames::kInstrumentsPath, (content->path() / kFactoryInstrumentsFolder).string());
        library.scan(false);
        for (int i = 0; i < kLayerCount; ++i) {
            handlerObjects[i] = std::make_unique<BWRomplerHandler>(&library);
            EXPECT_TRUE(handlerObjects[i]->loadInstrument(factoryInstruments()[size_t(i)].name, false));
            handlers[i] = handlerObjects[i].get();
        }
    }

    static TempDir* content;
    SettingsSandbox settings;
    BWRomplerLibrary library{SettingNames::kInstrumentsPath};
    std::unique_ptr<BWRomplerHandler> handlerObjects[kLayerCount];
    VoiceChain::Handlers handlers{};
};

TempDir* VoiceChainTest::content = nullptr;

// A held chord on every voice of every layer, retriggered in turns, with a
// noise voice on layer 3; every tick of a tick's inputs at 120 bpm.
VoiceChainTick chordTick(int tick, float rate) {
    VoiceChainTick input;
    const float chord[kLayerVoices] = {36, 40, 43, 47, 50, 53, 57, 60};
    for (int layer = 0; layer < kLayerCount; ++layer) {
        for (int v = 0; v < kLayerVoices; ++v) {
            input.notes[layer][v] = chord[v] - 12.0f * layer;
            input.gates[layer][v] = ((tick + 7 * v + 13 * layer) / 90) % 3 == 2 ? 0.0f : 1.0f;
        }
    }
    input.filterGates = input.gates[0];
    input.beatPosition = tick * 16.0 / (rate / 2.0);
    return input;
}

struct Extremes {
    float value;  // every 0..1 parameter
    FilterType type;
    bool perVoice, invert, routed;
};

VoiceChainSettings settingsFor(const Extremes& e, float rate) {
    VoiceChainSettings s;
    for (int layer = 0; layer < kLayerCount; ++layer) {
        auto& l = s.mix.layers[size_t(layer)];
        l.soundOn = true;
        l.crush = e.value;
        l.level = 1.0f;
        l.pan = e.value;
        l.routed = e.routed;
        l.envelope = layerEnvelopeTimes(1.0f - e.value, e.value, 1.0f, e.value);  // loud soon
        s.pitchOffset[size_t(layer)] = e.value > 0.5f ? 72.0f : -24.0f;  // octave 4, transpose and tune at the ends
        s.age[size_t(layer)] = AgeSetting::forLayer(e.value);
    }
    s.mix.perVoiceFilter = e.perVoice;
    s.mix.mix = VoiceMix::filterMix(e.value);
    s.mix.filter.type = e.type;
    s.mix.filter.cut = s.mix.filter.peak = e.value;
    s.mix.filter.peak = 1.0f - e.value;
    s.mix.filter.setResonance(e.value);
    s.mix.filter.invert = e.invert;
    s.mix.filter.age = AgeSetting::forFilter(e.value);
    s.filterEnvelope = filterEnvelopeTimes(1.0f - e.value, e.value, e.value, e.value);
    s.compressor.setDepth(e.value > 0.5f ? 4 : 0);
    s.compressor.setSpeed(e.value > 0.5f ? 4 : 0, rate);
    return s;
}

// Every parameter at its ends, held chords and noise, at 44.1, 96 and
// 192 kHz: the layer mix stays finite and bounded, the buses within ±1.
TEST_F(VoiceChainTest, StableAtTheExtremesOfEveryParameterAndRate) {
    const Extremes cases[] = {
        {0.0f, FilterType::LowPass, false, false, true},  {1.0f, FilterType::LowPass, false, true, true},
        {1.0f, FilterType::BandPass, true, true, true},   {1.0f, FilterType::HighPass, true, false, true},
        {1.0f, FilterType::BandReject, false, true, true}, {1.0f, FilterType::Comb, true, true, true},
        {0.0f, FilterType::Comb, false, false, true},     {1.0f, FilterType::LowPass, true, false, false},
    };
    TestNoise noise;
    for (float rate : {44100.0f, 96000.0f, 192000.0f}) {
        for (const Extremes& e : cases) {
            SCOPED_TRACE(testing::Message() << rate << " value " << e.value << " type " << int(e.type));
            EngineTestContext context(rate);
            VoiceChain chain(context.info);
            chain.attach(handlers);
            chain.prepare(rate);
            const VoiceChainSettings s = settingsFor(e, rate);
            chain.kick().setLevel(e.value);
            chain.kick().setTone(e.value);
            float left[16], right[16], kick[16], loudest = 0.0f;
            for (int tick = 0; tick < int(rate / 16 / 2); ++tick) {
                chain.tick(handlers, chordTick(tick, rate), s);
                float* noisy = chain.layer(2).reader(7).left;
                for (int k = 0; k < 16; ++k) noisy[k] = noise.next();
                chain.kick().render(kick, 16, context.info);
                chain.mix().render({&chain.layer(0), &chain.layer(1), &chain.layer(2)}, s.mix, 0, 16, left, right);
                for (int k = 0; k < 16; ++k) {
                    ASSERT_TRUE(std::isfinite(left[k]) && std::isfinite(right[k]));
                    loudest = std::max({loudest, std::fabs(left[k]), std::fabs(right[k])});
                }
                chain.compressor().process(left, right, kick, 16, s.compressor);
                for (int k = 0; k < 16; ++k) ASSERT_LE(std::max({std::fabs(left[k]), std::fabs(right[k]), std::fabs(kick[k])}), 1.0f);
            }
            EXPECT_LT(loudest, 1000.0f);  // full resonance rings some 34 dB above its input
            EXPECT_GT(loudest, 0.0f);
        }
    }
}

// Voice starts, cross-fades, envelopes, filter lanes, kick and compressor
// run without a single allocation once prepared.
TEST_F(VoiceChainTest, TicksAndSamplesAllocateNothing) {
    EngineTestContext context;
    VoiceChain chain(context.info);
    chain.attach(handlers);
    chain.prepare(44100.0f);
    const VoiceChainSettings s = settingsFor({0.5f, FilterType::Comb, true, true, true}, 44100.0f);
    float left[16], right[16], kick[16];
    AllocationCounter allocations;
    for (int tick = 0; tick < 2000; ++tick) {
        chain.tick(handlers, chordTick(tick, 44100.0f), s);
        chain.render(0, 7, s, left, right, kick);
        chain.render(7, 9, s, left + 7, right + 7, kick + 7);
    }
    EXPECT_EQ(allocations.count(), 0u);
    int sounding = 0;
    for (int layer = 0; layer < kLayerCount; ++layer)
        for (int v = 0; v < kLayerVoices; ++v) sounding += chain.layer(layer).reader(v).isActive();
    EXPECT_GT(sounding, 12);
}

}  // namespace
