#include "engine/VoiceMix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

#include "EngineTestContext.h"
#include "engine/BWRomplerHandler.h"

namespace {

// A mix over three layers whose voice buffers the tests write themselves.
struct MixRig {
    MixRig() {
        combLines.bind(mix.getFilter());
        mix.prepare(44100.0f);
    }

    EngineTestContext context;
    VoiceLayer voices[3] = {VoiceLayer(context.info), VoiceLayer(context.info), VoiceLayer(context.info)};
    std::array<const VoiceLayer*, 3> layers{&voices[0], &voices[1], &voices[2]};
    VoiceMix mix{context.info};
    TestCombLines combLines{44100.0f};
    VoiceMix::Settings settings;
};

// Three layers whose voice buffers the test writes itself; every voice's
// envelope is at 1 while its gate is (voice 0's only).
class VoiceMixTest : public testing::Test, protected MixRig {
protected:
    VoiceMixTest() {
        for (auto& layer : settings.layers) layer = {true, 0.0f, 1.0f, 0.5f, false, layerEnvelopeTimes(0, 0, 1, 0)};
        gates[0] = 1.0f;
    }
    void fill(int layer, float value) { std::fill_n(voices[layer].reader(0).left, 16, value); }
    void tick(int ticks = 1) {
        for (int t = 0; t < ticks; ++t) {
            for (int layer = 0; layer < kLayerCount; ++layer)
                mix.chain(layer).tickEnvelopes(gates, settings.layers[layer].envelope, context.ticksPerMs());
            mix.tick(layers, settings);
            mix.render(layers, settings, 0, 16, left, right);
        }
    }

    VoiceValues gates{};
    float left[16], right[16];
};

// √(1 − p) to the left, √p to the right, in both filter modes; a level
// change reaches the signal as a 16-sample line; a layer switched off is
// silent.
TEST_F(VoiceMixTest, PanLawLevelRampAndSoundSwitch) {
    fill(1, 0.5f);
    for (bool perVoice : {false, true}) {
        settings.perVoiceFilter = perVoice;
        for (float pan : {0.0f, 0.25f, 0.5f, 1.0f}) {
            settings.layers[1].pan = pan;
            tick(4);
            EXPECT_FLOAT_EQ(left[15], 0.5f * std::sqrt(1.0f - pan));
            EXPECT_FLOAT_EQ(right[15], 0.5f * std::sqrt(pan));
        }
    }
    settings.layers[1].soundOn = false;
    settings.layers[0].level = 0.5f;
    fill(0, 0.5f);
    tick(4);
    settings.layers[0].level = 1.0f;
    tick();
    for (int s = 0; s < 16; ++s) EXPECT_NEAR(left[s], 0.5f * std::sqrt(0.5f) * (0.5f + 0.5f * (s + 1) / 16), 1e-6);
}

// While a layer's envelopes rest its gains stay put, and each change of its
// level, its pan, the filter mode or its gate still reaches the signal: a
// table of changes, each heard in both channels once its line has run.
TEST_F(VoiceMixTest, RestingGainsFollowEveryChange) {
    struct Change {
        bool perVoice;
        float level, pan, gate;
    };
    const Change changes[] = {{false, 1.0f, 0.5f, 1.0f}, {false, 0.5f, 0.5f, 1.0f}, {false, 0.5f, 0.2f, 1.0f},
                              {true, 0.5f, 0.2f, 1.0f},  {true, 0.25f, 0.2f, 1.0f}, {true, 0.25f, 0.9f, 1.0f},
                              {true, 0.25f, 0.9f, 0.0f}, {true, 0.75f, 0.9f, 0.0f}, {true, 0.75f, 0.9f, 1.0f},
                              {false, 0.75f, 0.9f, 1.0f}, {false, 0.0f, 0.9f, 1.0f}, {false, 1.0f, 0.0f, 1.0f}};
    fill(1, 0.5f);
    for (const Change& c : changes) {
        settings.perVoiceFilter = c.perVoice;
        settings.layers[1].level = c.level;
        settings.layers[1].pan = c.pan;
        gates[0] = c.gate;
        tick(3);
        const float gain = 0.5f * c.level * c.gate;
        EXPECT_NEAR(left[15], gain * std::sqrt(1.0f - c.pan), 1e-6) << c.perVoice << " " << c.level << " " << c.pan;
        EXPECT_NEAR(right[15], gain * std::sqrt(c.pan), 1e-6) << c.perVoice << " " << c.level << " " << c.pan;
    }
}

// A right gain caught mid-ramp by a switch to the shared mode, which does
// not hear it, waits there: back in the per-voice mode its line runs from
// there to the new gain, never past either end, however long the shared
// mode lasted.
TEST_F(VoiceMixTest, SharedModeLeavesTheRightGainsWhereTheyStood) {
    fill(1, 0.5f);
    settings.perVoiceFilter = true;
    tick(3);
    settings.layers[1].level = 0.5f;  // this tick's line has a step
    tick();
    settings.perVoiceFilter = false;
    tick(2000);
    settings.perVoiceFilter = true;
    settings.layers[1].level = 0.25f;
    tick();
    const float before = 0.5f * 0.5f * std::sqrt(0.5f), after = 0.5f * 0.25f * std::sqrt(0.5f);
    for (int s = 0; s < 16; ++s) {
        EXPECT_LE(right[s], before + 1e-6f) << s;
        EXPECT_GE(right[s], after - 1e-6f) << s;
    }
    EXPECT_NEAR(right[15], after, 1e-6f);
}

// "Polycrush" renews each voice's held sample f(note) × 8 / (k² + 0.1) times
// a second, in whole samples (no carry): every ceil(2 / rate) samples, rate
// = f × 16 / ((k² + 0.1) × sample rate); at 0 every second sample.
TEST_F(VoiceMixTest, PolycrushRenewsAtARateThatFollowsThePitch) {
    const float cases[][3] = {{69, 0.0f, 440}, {69, 1.0f, 440}, {57, 0.5f, 220}, {45, 0.3f, 110}};
    BWRomplerHandler noInstrument(nullptr);
    for (const auto& c : cases) {
        settings.layers[0].crush = c[1];
        VoiceValues notes{};
        notes[0] = c[0];
        voices[0].tick(noInstrument, notes, gates, 0.0f, {});
        int changes = 0, counter = 0;
        float previous = 0.0f;
        for (int t = 0; t < 44100 / 16; ++t) {
            for (float& x : voices[0].reader(0).left) x = 1e-5f * float(++counter % 50000);
            tick();
            for (float value : left) changes += value != previous, previous = value;
        }
        const double rate = c[1] > 0 ? c[2] * 16 / ((c[1] * c[1] + 0.1) * 44100) : 1.0;
        EXPECT_NEAR(changes, 44100 / std::ceil(2 / rate), 44100 / std::ceil(2 / rate) * 0.005) << c[0];
    }
}

// Unrouted layers pass as they are; routed ones through the filter, mixed
// in by "Filter Mix": at 0 they pass dry, at 0.97 a 45 Hz low pass leaves
// 3 % of a bright signal.
TEST_F(VoiceMixTest, RoutingAndFilterMix) {
    settings.layers[1].routed = true;
    settings.layers[2].soundOn = false;
    for (bool perVoice : {false, true}) {
        settings.perVoiceFilter = perVoice;
        for (float mixValue : {0.0f, 1.0f}) {
            settings.mix = VoiceMix::filterMix(mixValue);
            double residue = 0.0;
            for (int t = 0; t < 400; ++t) {
                fill(0, 0.25f);
                for (int s = 0; s < 16; ++s) voices[1].reader(0).left[s] = (s & 2) ? 0.5f : -0.5f;
                tick();
                for (int s = 0; s < 16 && t >= 100; ++s) residue += std::pow(left[s] - 0.25 * std::sqrt(0.5), 2);
            }
            const double share = std::sqrt(residue / (300 * 16 * 0.125));  // of (0.5 √0.5)²
            EXPECT_NEAR(share, mixValue == 0.0f ? 1.0 : 0.03, mixValue == 0.0f ? 1e-6 : 0.003) << perVoice;
        }
    }
}

// A mix with its own context, layers and filter, driven tick by tick: one
// with the shortcut for spans that can only give silence, one without.
struct MixTwin : MixRig {
    explicit MixTwin(bool shortcut) {
        mix.setRestShortcut(shortcut);
        settings.perVoiceFilter = true;
        settings.filter.cut = 0.4f;
        settings.filter.peak = 0.9f;
        settings.filter.setResonance(0.5f);
        settings.filter.age = {40.0f, 0.3f};  // the lanes' drift reaches their cutoffs
        settings.layers[0] = {true, 0.3f, 0.8f, 0.3f, true, layerEnvelopeTimes(0.1f, 0.2f, 0.7f, 0.2f)};
        settings.layers[1] = {true, 0.0f, 0.5f, 0.7f, false, layerEnvelopeTimes(0, 0, 1, 0)};
        settings.layers[2] = {false, 0.0f, 1.0f, 0.5f, true, layerEnvelopeTimes(0, 0, 1, 0)};
    }
    // Voices 0 to 3 of layers 0 and 1 play a tone from tick t, or fall
    // silent (their buffers cleared, the layers ticked so that they know).
    void play(bool on, int t) {
        BWRomplerHandler noInstrument(nullptr);
        for (int layer = 0; layer < 2; ++layer) {
            for (int v = 0; v < 4; ++v)
                for (int s = 0; s < 16; ++s)
                    voices[layer].reader(v).left[s] = on ? 0.3f * std::sin(0.05f * float((t * 16 + s) * (v + 1))) : 0.0f;
            if (!on) voices[layer].tick(noInstrument, notes, gates, 0.0f, {});
        }
    }
    // One tick with the gates of tick t: the layers' envelopes, the
    // filter's, the mix and its render (in two spans every third tick).
    void tick(int t) {
        for (int v = 0; v < kLayerVoices; ++v) gates[v] = ((t / (3 + v)) & 1) ? 0.5f + 0.05f * float(v) : 0.0f;
        for (int layer = 0; layer < kLayerCount; ++layer)
            mix.chain(layer).tickEnvelopes(gates, settings.layers[layer].envelope, context.ticksPerMs());
        mix.getFilter().tickEnvelopes(gates, filterTimes, context.ticksPerMs());
        mix.tick(layers, settings);
        const int split = t % 3 == 0 ? 5 : 16;
        mix.render(layers, settings, 0, split, left, right);
        if (split < 16) mix.render(layers, settings, split, 16 - split, left + split, right + split);
    }

    EnvelopeTimes filterTimes = layerEnvelopeTimes(0.2f, 0.3f, 0.5f, 0.3f);
    VoiceValues notes{60, 64, 67, 71, 72, 76, 79, 83};
    VoiceValues gates{};
    float left[16] = {}, right[16] = {};
};

// Spans that can only give silence skip the mix and the filter, and are
// heard exactly as the whole path would give them: the first playing tick
// after a rest, and every tick through rest, wake-up and the filter ringing
// out, bit for bit, for each filter type and a setting moved during the
// rest.
TEST(VoiceMixRestTest, ShortcutSoundsAsTheWholePath) {
    struct Case {
        FilterType type;
        float mix;
        std::function<void(MixTwin&)> move;
    };
    const Case cases[] = {
        {FilterType::LowPass, 0.5f, [](MixTwin& m) { m.settings.filter.cut = 0.8f; }},
        {FilterType::BandPass, 1.0f, [](MixTwin& m) { m.settings.filter.setResonance(0.9f); }},
        {FilterType::HighPass, 0.3f, [](MixTwin& m) { m.filterTimes = layerEnvelopeTimes(0.5f, 0.1f, 0.2f, 0.6f); }},
        {FilterType::LowPass, 0.0f, [](MixTwin& m) { m.settings.layers[0].envelope = layerEnvelopeTimes(0.3f, 0.3f, 0.4f, 0.1f); }},
        {FilterType::LowPass, 0.8f, [](MixTwin& m) { m.settings.filter.invert = true; m.settings.layers[0].pan = 0.9f; }},
        {FilterType::BandReject, 0.7f, [](MixTwin& m) { m.settings.filter.cut = 0.1f; }},
        {FilterType::Comb, 0.7f, [](MixTwin& m) { m.settings.filter.setResonance(0.2f); }},
        {FilterType::BandPass, 0.6f, [](MixTwin& m) { m.settings.filter.age = {5.0f, 0.8f}; }},
        {FilterType::HighPass, 0.9f, [](MixTwin& m) { m.settings.filter.peak = 0.4f; }},
    };
    for (const Case& c : cases) {
        auto fast = std::make_unique<MixTwin>(true), whole = std::make_unique<MixTwin>(false);
        double heard = 0.0;
        int t = 0;
        const auto run = [&](int ticks) {
            for (int end = t + ticks; t < end; ++t) {
                for (MixTwin* m : {fast.get(), whole.get()}) {
                    m->settings.filter.type = c.type;
                    m->settings.mix = VoiceMix::filterMix(c.mix);
                    m->tick(t);
                }
                ASSERT_EQ(std::memcmp(fast->left, whole->left, sizeof fast->left), 0) << int(c.type) << " tick " << t;
                ASSERT_EQ(std::memcmp(fast->right, whole->right, sizeof fast->right), 0) << int(c.type) << " tick " << t;
                for (float x : fast->left) heard += x * x;
            }
        };
        run(20);
        EXPECT_EQ(fast->mix.getFilter().restsUnfed(c.type), c.type <= FilterType::HighPass) << int(c.type);
        c.move(*fast);
        c.move(*whole);
        run(20);
        for (MixTwin* m : {fast.get(), whole.get()}) m->play(true, t);
        run(1);
        EXPECT_GT(heard, 0.0) << "the first tick after the rest is heard";
        for (int tone = 0; tone < 10; ++tone) {
            for (MixTwin* m : {fast.get(), whole.get()}) m->play(true, t);
            run(1);
        }
        for (MixTwin* m : {fast.get(), whole.get()}) m->play(false, t);
        run(2);  // the holds let go
        heard = 0.0;
        run(20);
        if (c.mix > 0.0f) {
            EXPECT_GT(heard, 0.0) << int(c.type) << ": the filter rings on after the voices";
        }
        run(400);
    }
}

// A layer that comes to the resting lanes with no voice sounding, only the
// holds of a tone it played around the filter, is heard through the cutoffs
// the whole path has: the lanes count as fed while a hold is left.
TEST(VoiceMixRestTest, HoldsLeftFeedTheLanes) {
    auto fast = std::make_unique<MixTwin>(true), whole = std::make_unique<MixTwin>(false);
    for (MixTwin* m : {fast.get(), whole.get()}) {
        m->settings.layers[0].soundOn = false;  // layer 1 alone plays
        m->settings.layers[1].crush = 0.3f;
        m->settings.layers[1].envelope = layerEnvelopeTimes(0, 0, 1, 1);  // gains held up through the gates
        m->settings.mix = VoiceMix::filterMix(1.0f);
    }
    int t = 0;
    const auto run = [&](int ticks) {
        for (int end = t + ticks; t < end; ++t) {
            fast->tick(t);
            whole->tick(t);
            ASSERT_EQ(std::memcmp(fast->left, whole->left, sizeof fast->left), 0) << "tick " << t;
            ASSERT_EQ(std::memcmp(fast->right, whole->right, sizeof fast->right), 0) << "tick " << t;
        }
    };
    run(20);
    for (int tone = 0; tone < 5; ++tone) {
        for (MixTwin* m : {fast.get(), whole.get()}) m->play(true, t);
        run(1);
    }
    for (MixTwin* m : {fast.get(), whole.get()}) {
        m->play(false, t);
        m->settings.layers[1].routed = true;
    }
    run(1);
    double heard = 0.0;
    for (float x : whole->left) heard += x * x;
    EXPECT_GT(heard, 0.0) << "the holds left reach the filter";
    run(40);
}

}  // namespace
