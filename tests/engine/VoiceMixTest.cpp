#include "engine/VoiceMix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EngineTestContext.h"
#include "engine/BWRomplerHandler.h"

namespace {

// Three layers whose voice buffers the test writes itself, through the mix.
class VoiceMixTest : public testing::Test {
protected:
    VoiceMixTest() {
        mix.prepare(context.info.sampleRate);
        for (auto& layer : settings.layers) {
            layer.soundOn = true;
            layer.level = 1.0f;
            layer.envelope = layerEnvelopeTimes(0.0f, 0.0f, 1.0f, 0.0f);
        }
        gates[0] = 1.0f;
    }

    void fill(int layer, int voice, float value) {
        float* buffer = layerObjects[layer].reader(voice).left;
        std::fill(buffer, buffer + 16, value);
    }

    // One tick: envelopes, targets, then the tick's samples into out.
    void tick() {
        for (int layer = 0; layer < kLayerCount; ++layer)
            mix.chain(layer).tickEnvelopes(gates, settings.layers[layer].envelope, context.ticksPerMs());
        mix.tick(layers, settings);
        mix.render(layers, settings, 0, 16, left, right);
    }

    EngineTestContext context;
    VoiceLayer layerObjects[3] = {VoiceLayer(context.info), VoiceLayer(context.info), VoiceLayer(context.info)};
    std::array<const VoiceLayer*, 3> layers{&layerObjects[0], &layerObjects[1], &layerObjects[2]};
    VoiceMix mix{context.info};
    VoiceMix::Settings settings;
    VoiceValues gates{};
    float left[16], right[16];
};

// √(1 − p) to the left, √p to the right, in both filter modes; a level
// change reaches the signal as a 16-sample line.
TEST_F(VoiceMixTest, PanLawAndLevelRamp) {
    fill(1, 0, 0.5f);
    for (bool perVoice : {false, true}) {
        settings.perVoiceFilter = perVoice;
        for (float pan : {0.0f, 0.25f, 0.5f, 1.0f}) {
            settings.layers[1].pan = pan;
            for (int i = 0; i < 4; ++i) tick();
            EXPECT_FLOAT_EQ(left[15], 0.5f * std::sqrt(1.0f - pan));
            EXPECT_FLOAT_EQ(right[15], 0.5f * std::sqrt(pan));
        }
    }
    fill(1, 0, 0.0f);
    fill(0, 0, 0.5f);
    settings.perVoiceFilter = false;
    settings.layers[0].level = 0.5f;
    settings.layers[2].soundOn = false;  // its voices render on, silently
    for (int i = 0; i < 4; ++i) tick();
    settings.layers[0].level = 1.0f;
    tick();
    const float centre = std::sqrt(0.5f);
    for (int s = 0; s < 16; ++s) EXPECT_NEAR(left[s], 0.5f * centre * (0.5f + 0.5f * (s + 1) / 16), 1e-6);
}

// "Polycrush" renews each voice's held sample f(note) × 8 / (k² + 0.1) times
// a second, in whole samples (no carry): every ceil(2 / rate) samples, rate
// = f × 16 / ((k² + 0.1) × sample rate); at 0 every second sample.
TEST_F(VoiceMixTest, PolycrushRenewsAtARateThatFollowsThePitch) {
    const struct {
        float note, crush, hz;
    } cases[] = {{69, 0.0f, 440}, {69, 1.0f, 440}, {57, 0.5f, 220}, {45, 0.3f, 110}};
    BWRomplerHandler noInstrument(nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note);
        settings.layers[0].crush = c.crush;
        VoiceValues notes{};
        notes[0] = c.note;
        layerObjects[0].tick(noInstrument, notes, gates, 0.0f, {});
        int changes = 0, counter = 0;
        float previous = 0.0f;
        const int ticks = int(context.info.sampleRate) / 16;
        for (int t = 0; t < ticks; ++t) {
            float* voice = layerObjects[0].reader(0).left;
            for (int s = 0; s < 16; ++s) voice[s] = 1e-5f * float(++counter % 50000);
            tick();
            for (float value : left) changes += value != previous, previous = value;
        }
        const double rate = c.crush > 0 ? c.hz * 16 / ((c.crush * c.crush + 0.1) * 44100) : 1.0;
        const double renewals = 44100 / std::ceil(2 / rate);
        EXPECT_NEAR(changes, renewals, renewals * 0.005);
    }
}

// Unrouted layers pass as they are; routed ones through the filter, mixed
// in by "Filter Mix": at 0 they pass dry, at 0.97 a 45 Hz low pass leaves
// 3 % of a bright signal.
TEST_F(VoiceMixTest, RoutingAndFilterMix) {
    settings.filter.type = FilterType::LowPass;  // cutoff 0: 45 Hz
    settings.layers[1].routed = true;
    settings.layers[2].soundOn = false;
    for (bool perVoice : {false, true}) {
        settings.perVoiceFilter = perVoice;
        for (float mixValue : {0.0f, 1.0f}) {
            settings.mix = VoiceMix::filterMix(mixValue);
            double residue = 0.0, dry = 0.0;
            for (int t = 0; t < 400; ++t) {
                fill(0, 0, 0.25f);
                for (int s = 0; s < 16; ++s) layerObjects[1].reader(0).left[s] = (s & 2) ? 0.5f : -0.5f;
                tick();
                for (int s = 0; s < 16 && t > 100; ++s) {
                    const double routed = left[s] - 0.25 * std::sqrt(0.5);
                    residue += routed * routed;
                    dry += 0.125;  // (0.5 √0.5)²
                }
            }
            const double share = std::sqrt(residue / dry);
            if (mixValue == 0.0f) {
                EXPECT_NEAR(share, 1.0, 1e-6) << perVoice;
            } else {
                EXPECT_NEAR(share, 0.03, 0.003) << perVoice;
            }
        }
    }
}

}  // namespace
