// The host parameters 0 to 94 by their measured engine values.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "support/InstanceTestSupport.h"

namespace {

struct Case {
    int32_t index;
    float value;
    std::function<float(BWUniClient&)> read;
    float expected;
    const char* what;
};

float out(BWUniClient& c, float OutputStageState::*field) { return c.state().output.*field; }

}  // namespace

TEST_F(InstanceTest, HostParametersGiveTheirEngineValues) {
    const float spms = instance->audioEngine().rateConstants().samplesPerMs;
    auto layer1 = [](float LayerState::*field) {
        return [field](BWUniClient& c) { return c.state().layers[0].*field; };
    };
    auto seq = [](float SequencerState::*field) {
        return [field](BWUniClient& c) { return c.state().sequencer.*field; };
    };
    auto filter = [](float FilterState::*field) {
        return [field](BWUniClient& c) { return c.state().filter.*field; };
    };
    auto effect = [](BWEffect& (*pick)(BWUniClient&), uint32_t parameter) {
        return [pick, parameter](BWUniClient& c) { return pick(c).getValue(parameter); };
    };
    auto reverser = [](BWUniClient& c) -> BWEffect& { return c.audioEngine().effects().reverser; };
    auto doubleDelay = [](BWUniClient& c) -> BWEffect& { return c.audioEngine().effects().doubleDelay; };
    auto delay16 = [](BWUniClient& c) -> BWEffect& { return c.audioEngine().effects().delay16; };
    auto reverb = [](BWUniClient& c) -> BWEffect& { return c.audioEngine().effects().reverb; };
    auto phaser = [](BWUniClient& c) -> BWEffect& { return c.audioEngine().effects().phaser; };
    auto chorus = [](BWUniClient& c) -> BWEffect& { return c.audioEngine().effects().chorus; };
    auto depth = [](BWUniClient& c) { return c.state().output.compressor.maxReduction; };
    auto release = [](BWUniClient& c) { return c.state().output.compressor.releaseFactor; };

    const Case cases[] = {
        {0, 0.5f, [](BWUniClient& c) { return out(c, &OutputStageState::masterGain); }, 1.0f, "master gain 2v"},
        {1, 0.5f, [](BWUniClient& c) { return out(c, &OutputStageState::masterAttackMs); }, 1000.0f, "attack"},
        {2, 0.5f, [](BWUniClient& c) { return out(c, &OutputStageState::masterReleaseMs); }, 2000.0f, "release"},
        {4, 1.0f, [](BWUniClient& c) { return out(c, &OutputStageState::kickTone); }, 20.0f, "kick tone"},
        {5, 0.5f, [](BWUniClient& c) { return c.state().output.kickToSidechain.step; }, 1.0f, "sidechain 0.5"},
        {5, 0.49f, [](BWUniClient& c) { return c.state().output.kickToSidechain.step; }, 0.0f, "sidechain 0.49"},
        {6, 1.0f, depth, 0.8f, "depth top"},
        {6, 0.1f, depth, 0.0f, "depth 0.1"},
        {6, 0.5f, depth, 0.3f, "depth mid"},
        {7, 0.0f, release, 1.0f / (800.0f * spms + 1e-9f), "slowest release 800 ms"},
        {7, 1.0f, release, 1.0f / (100.0f * spms + 1e-9f), "fastest release 100 ms"},
        {9, 1.0f, layer1(&LayerState::triggerDivider), 8.0f, "divider top"},
        {9, 0.99f, layer1(&LayerState::triggerDivider), 7.0f, "divider below top"},
        {10, 1.0f, layer1(&LayerState::octaveSemitones), 48.0f, "octave step 4"},
        {10, 1.0f, layer1(&LayerState::pitchOffset), 60.0f, "pitch offset 60 + 0"},
        {12, 1.0f, layer1(&LayerState::ageAmount), 0.0f, "age time at 100"},
        {12, 1.0f, layer1(&LayerState::ageDepth), 4.0f, "age depth"},
        {13, 0.5f, layer1(&LayerState::attackMs), 250.0f, "attack 2000 v^3"},
        {16, 1.0f, layer1(&LayerState::releaseMs), 2000.0f, "release"},
        {17, 0.5f, layer1(&LayerState::outputGain), 0.5f, "level"},
        {18, 0.0f, [](BWUniClient& c) { return c.state().layers[0].pan[0]; }, 1.0f, "pan 0 left"},
        {18, 0.0f, [](BWUniClient& c) { return c.state().layers[0].panCopy[1]; }, 0.0f, "pan 0 right"},
        {18, 1.0f, [](BWUniClient& c) { return c.state().layers[0].pan[1]; }, 1.0f, "pan 1 right"},
        {18, 0.5f, [](BWUniClient& c) { return c.state().layers[0].pan[0]; }, std::sqrt(0.5f), "pan centre"},
        {40, 0.5f, [](BWUniClient& c) { return c.state().layers[2].pan[1]; }, std::sqrt(0.5f), "layer 3 pan"},
        {43, 0.5f, [](BWUniClient& c) { return c.state().filter.invert.step; }, 1.0f, "invert 0.5"},
        {43, 0.49f, [](BWUniClient& c) { return c.state().filter.invert.step; }, 0.0f, "invert 0.49"},
        {44, 0.5f, [](BWUniClient& c) { return c.state().filter.voiceMode.step; }, 1.0f, "voice mode 0.5"},
        {44, 0.49f, [](BWUniClient& c) { return c.state().filter.voiceMode.step; }, 0.0f, "voice mode 0.49"},
        {45, 0.5f, filter(&FilterState::ageDepth), 0.01f, "filter age depth"},
        {46, 0.5f, filter(&FilterState::attackMs), 500.0f, "filter attack 4000 v^3"},
        {53, 1.0f, filter(&FilterState::mix), 0.97f, "filter mix"},
        {54, 0.0f, effect(reverser, 0), 0.30f, "reverser size bottom"},
        {54, 1.0f, effect(reverser, 0), 1.00f, "reverser size top"},
        {55, 1.0f, effect(reverser, 2), 1.0f, "reverser decay"},
        {56, 0.3f, effect(reverser, 1), 0.3f, "reverser fade"},
        {58, 1.0f, effect(chorus, 0), 0.5f, "chorus rate"},
        {62, 1.0f, effect(phaser, 0), 0.75f, "phaser rate"},
        {63, 0.4f, effect(phaser, 4), 0.4f, "phaser width follows depth"},
        {64, 0.3f, effect(phaser, 1), 0.3f, "phaser feedback"},
        {66, 0.25f, effect(doubleDelay, 0), 0.75f, "delay left time"},
        {66, 0.25f, effect(doubleDelay, 1), 0.75f, "delay right time"},
        {67, 0.2f, effect(doubleDelay, 4), 0.2f, "delay width"},
        {68, 0.6f, effect(doubleDelay, 3), 0.6f, "delay feedback"},
        {72, 0.25f, effect(reverb, 2), 0.75f, "reverb damp"},
        {84, 0.1f, effect(delay16, 1), 0.1f, "DLY16Time L reaches the right time"},
        {85, 0.2f, effect(delay16, 0), 0.2f, "DLY16Time R reaches the left time"},
        {86, 0.3f, effect(delay16, 2), 0.3f, "sixteenth feedback"},
        {75, 1.0f, seq(&SequencerState::manualChord), 15.0f, "manual chord"},
        {76, 0.49f, seq(&SequencerState::stepDivisor), 1.0f, "divide 0.49"},
        {76, 0.5f, seq(&SequencerState::stepDivisor), 2.0f, "divide 0.5"},
        {76, 0.99f, seq(&SequencerState::stepDivisor), 2.0f, "divide 0.99"},
        {76, 1.0f, seq(&SequencerState::stepDivisor), 4.0f, "divide 1"},
        {76, 1.0f, seq(&SequencerState::stepLength), 22050.0f / 4.0f, "step length"},
        {77, 0.5f, seq(&SequencerState::swingAmount), std::pow(0.5f, 0.9f), "swing amount"},
        {77, 1.0f, seq(&SequencerState::swingTimeMs), 125.0f, "swing: a whole sixteenth at 120 bpm"},
        {77, 1.0f, seq(&SequencerState::swingDelay), 5512.5f, "swing delay in samples"},
        {79, 1.0f, seq(&SequencerState::chordSequenceDivisor), 4.0f, "chord sequence divide"},
        {80, 0.0f, seq(&SequencerState::glideFraction), 0.009f, "glide bottom"},
        {80, 1.0f, seq(&SequencerState::glideFraction), 0.999f, "glide top"},
        {81, 1.0f, seq(&SequencerState::arpShift), 7.0f, "arp shift"},
        {82, 0.0f, seq(&SequencerState::transpose), -24.0f, "transpose bottom"},
        {82, 1.0f, seq(&SequencerState::transpose), 24.0f, "transpose top"},
        {82, 0.5f, seq(&SequencerState::transpose), 0.0f, "transpose centre"},
        {83, 0.25f, seq(&SequencerState::masterTune), -0.5f, "master tune"},
        {83, 0.25f, seq(&SequencerState::globalPitchOffset), -0.5f, "global offset"},
        {83, 0.25f, [](BWUniClient& c) { return c.state().layers[1].pitchOffset; }, 11.5f + 36.0f, "layer 2"},
        {89, 1.0f, [](BWUniClient& c) { return c.state().layers[1].keyA; }, 127.0f, "key A"},
        {89, 1.0f, [](BWUniClient& c) { return c.state().layers[1].invertedRange; }, 1.0f, "B below A"},
        {93, 0.3f, [](BWUniClient& c) { return c.getSystemInfo()->randomHigh; }, 0.3f, "minimum sets high"},
        {94, 0.6f, [](BWUniClient& c) { return c.getSystemInfo()->randomLow; }, 0.6f, "maximum sets low"},
        // Values outside 0..1 are limited before anything is derived.
        {0, 5.0f, [](BWUniClient& c) { return out(c, &OutputStageState::masterGain); }, 2.0f, "gain above 1"},
        {0, NAN, [](BWUniClient& c) { return out(c, &OutputStageState::masterGain); }, 0.0f, "gain NaN"},
        {6, 9.0f, depth, 0.8f, "depth above 1"},
        {8, -4.0f, [](BWUniClient& c) { return c.state().layers[0].triggerMode.step; }, 0.0f, "negative mode"},
    };
    for (const Case& c : cases) {
        set(c.index, c.value);
        EXPECT_NEAR(c.read(*instance), c.expected, 1e-5f * std::max(1.0f, std::fabs(c.expected)))
            << c.index << " = " << c.value << ": " << c.what;
    }
}

TEST_F(InstanceTest, TriggerModesAndPolycrushPickTheirSources) {
    for (int32_t s = 0; s < 3; ++s) {
        set(8, s / 3.0f + 0.01f);
        EXPECT_EQ(state.layers[0].triggerFirst, state.triggerSources[s].first.data());
        EXPECT_EQ(state.layers[0].triggerSecond, state.triggerSources[s].second.data());
        set(41, s / 3.0f + 0.01f);
        EXPECT_EQ(state.filter.trigger, state.triggerSources[s].second.data());
    }
    set(11, 0.0f);
    EXPECT_EQ(state.layers[0].polycrushIncrement, state.passThroughIncrement.data());
    set(11, 0.001f);
    EXPECT_EQ(state.layers[0].polycrushIncrement, state.layers[0].ownIncrement.data());
}

TEST_F(InstanceTest, MixesFollowTheirSwitchesAndTheDelaySplit) {
    using S = PatternEditState;
    set(309, 1.0f);
    set(73, 0.5f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kReverb], 0.25f);
    set(309, 0.0f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kReverb], 0.0f);

    set(311, 1.0f);
    set(69, 0.5f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kDoubleDelay], 0.25f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kDelay16], 0.0f);
    state.patterns.delaySwitch = 1.0f;
    set(69, 0.5f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kDoubleDelay], 0.0f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kDelay16], 0.25f);

    set(57, 0.6f);
    set(307, 1.0f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kReverser], 0.6f);
    set(65, 0.4f);
    set(310, 1.0f);
    EXPECT_FLOAT_EQ(state.patterns.phaserMixMirror, 0.4f);
}

TEST_F(InstanceTest, ChordSelectPassesItsModeOnOnlyWhenItChanges) {
    set(75, 0.5f);  // manual chord 8
    set(74, 0.0f);
    EXPECT_FLOAT_EQ(state.sequencer.selectedChord, 8.0f);
    EXPECT_EQ(models.eventTable.getCurrentPage(), 8u);

    set(74, 1.0f);  // step 2: chords from the held notes
    EXPECT_FLOAT_EQ(state.sequencer.selectedChord, 17.0f);
    EXPECT_EQ(models.eventTable.getCurrentPage(), 0u);
    EXPECT_FLOAT_EQ(state.patterns.records[356].raw, 0.0f);
    EXPECT_FLOAT_EQ(state.patterns.records[355].raw, state.sequencer.sequenceToggle);
    EXPECT_FLOAT_EQ(state.patterns.records[340].step, 1.0f);

    // The same step again passes nothing on.
    state.patterns.records[340].raw = 0.3f;
    state.patterns.records[356].raw = 0.7f;
    set(74, 1.0f);
    EXPECT_FLOAT_EQ(state.patterns.records[340].raw, 0.3f);
    EXPECT_FLOAT_EQ(state.patterns.records[356].raw, 0.7f);
}

TEST_F(InstanceTest, IndicesOutsideTheCasesChangeNothing) {
    const std::array<float, 391> before = state.raw;
    for (int32_t index : {390, -1, 150, 95, 203, 1000, INT32_MIN}) set(index, 0.77f);
    EXPECT_EQ(state.raw, before);
}
