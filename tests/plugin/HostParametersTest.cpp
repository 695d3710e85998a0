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
        {Tag::MasterLevel, 0.5f, [](BWUniClient& c) { return out(c, &OutputStageState::masterGain); }, 1.0f, "master gain 2v"},
        {Tag::MasterAttack, 0.5f, [](BWUniClient& c) { return out(c, &OutputStageState::masterAttackMs); }, 1000.0f, "attack"},
        {Tag::MasterRelease, 0.5f, [](BWUniClient& c) { return out(c, &OutputStageState::masterReleaseMs); }, 2000.0f, "release"},
        {Tag::KickTone, 1.0f, [](BWUniClient& c) { return out(c, &OutputStageState::kickTone); }, 20.0f, "kick tone"},
        {Tag::KickToSidechain, 0.5f, [](BWUniClient& c) { return c.state().output.kickToSidechain.step; }, 1.0f, "sidechain 0.5"},
        {Tag::KickToSidechain, 0.49f, [](BWUniClient& c) { return c.state().output.kickToSidechain.step; }, 0.0f, "sidechain 0.49"},
        {Tag::CompressorDepth, 1.0f, depth, 0.8f, "depth top"},
        {Tag::CompressorDepth, 0.1f, depth, 0.0f, "depth 0.1"},
        {Tag::CompressorDepth, 0.5f, depth, 0.3f, "depth mid"},
        {Tag::CompressorSpeed, 0.0f, release, 1.0f / (800.0f * spms + 1e-9f), "slowest release 800 ms"},
        {Tag::CompressorSpeed, 1.0f, release, 1.0f / (100.0f * spms + 1e-9f), "fastest release 100 ms"},
        {Tag::Osc1TrigEach, 1.0f, layer1(&LayerState::triggerDivider), 8.0f, "divider top"},
        {Tag::Osc1TrigEach, 0.99f, layer1(&LayerState::triggerDivider), 7.0f, "divider below top"},
        {Tag::Osc1Octave, 1.0f, layer1(&LayerState::octaveSemitones), 48.0f, "octave step 4"},
        {Tag::Osc1Octave, 1.0f, layer1(&LayerState::pitchOffset), 60.0f, "pitch offset 60 + 0"},
        {Tag::Osc1Age, 1.0f, layer1(&LayerState::ageAmount), 0.0f, "age time at 100"},
        {Tag::Osc1Age, 1.0f, layer1(&LayerState::ageDepth), 4.0f, "age depth"},
        {Tag::Osc1Attack, 0.5f, layer1(&LayerState::attackMs), 250.0f, "attack 2000 v^3"},
        {Tag::Osc1Release, 1.0f, layer1(&LayerState::releaseMs), 2000.0f, "release"},
        {Tag::Osc1Level, 0.5f, layer1(&LayerState::outputGain), 0.5f, "level"},
        {Tag::Osc1Pan, 0.0f, [](BWUniClient& c) { return c.state().layers[0].pan[0]; }, 1.0f, "pan 0 left"},
        {Tag::Osc1Pan, 0.0f, [](BWUniClient& c) { return c.state().layers[0].panCopy[1]; }, 0.0f, "pan 0 right"},
        {Tag::Osc1Pan, 1.0f, [](BWUniClient& c) { return c.state().layers[0].pan[1]; }, 1.0f, "pan 1 right"},
        {Tag::Osc1Pan, 0.5f, [](BWUniClient& c) { return c.state().layers[0].pan[0]; }, std::sqrt(0.5f), "pan centre"},
        {Tag::Osc3Pan, 0.5f, [](BWUniClient& c) { return c.state().layers[2].pan[1]; }, std::sqrt(0.5f), "layer 3 pan"},
        {Tag::FilterInvert, 0.5f, [](BWUniClient& c) { return c.state().filter.invert.step; }, 1.0f, "invert 0.5"},
        {Tag::FilterInvert, 0.49f, [](BWUniClient& c) { return c.state().filter.invert.step; }, 0.0f, "invert 0.49"},
        {Tag::FilterVoiceMode, 0.5f, [](BWUniClient& c) { return c.state().filter.voiceMode.step; }, 1.0f, "voice mode 0.5"},
        {Tag::FilterVoiceMode, 0.49f, [](BWUniClient& c) { return c.state().filter.voiceMode.step; }, 0.0f, "voice mode 0.49"},
        {Tag::FilterAge, 0.5f, filter(&FilterState::ageDepth), 0.01f, "filter age depth"},
        {Tag::FilterAttack, 0.5f, filter(&FilterState::attackMs), 500.0f, "filter attack 4000 v^3"},
        {Tag::FilterMix, 1.0f, filter(&FilterState::mix), 0.97f, "filter mix"},
        {Tag::RvsSize, 0.0f, effect(reverser, BWReverserX2::kSize), 0.30f, "reverser size bottom"},
        {Tag::RvsSize, 1.0f, effect(reverser, BWReverserX2::kSize), 1.00f, "reverser size top"},
        {Tag::RvsDecay, 1.0f, effect(reverser, BWReverserX2::kDec), 1.0f, "reverser decay"},
        {Tag::RvsXfade, 0.3f, effect(reverser, BWReverserX2::kXFade), 0.3f, "reverser fade"},
        {Tag::ChsRate, 1.0f, effect(chorus, BWChorusXStereo::kRate), 0.5f, "chorus rate"},
        {Tag::PhsRate, 1.0f, effect(phaser, BWPhaser::kRate), 0.75f, "phaser rate"},
        {Tag::PhsDepth, 0.4f, effect(phaser, BWPhaser::kWidth), 0.4f, "phaser width follows depth"},
        {Tag::PhsFeed, 0.3f, effect(phaser, BWPhaser::kFeedback), 0.3f, "phaser feedback"},
        {Tag::DlyTime, 0.25f, effect(doubleDelay, BWDoubleDelay::kTimeLeft), 0.75f, "delay left time"},
        {Tag::DlyTime, 0.25f, effect(doubleDelay, BWDoubleDelay::kTimeRight), 0.75f, "delay right time"},
        {Tag::DlyWidth, 0.2f, effect(doubleDelay, BWDoubleDelay::kWidth), 0.2f, "delay width"},
        {Tag::DlyFeed, 0.6f, effect(doubleDelay, BWDoubleDelay::kFeedback), 0.6f, "delay feedback"},
        {Tag::RvbDamp, 0.25f, effect(reverb, RevTamselEcoShot::kReflectivity), 0.75f, "reverb damp"},
        {Tag::Dly16TimeL, 0.1f, effect(delay16, BWDelay16::kDelayRight), 0.1f, "DLY16Time L reaches the right time"},
        {Tag::Dly16TimeR, 0.2f, effect(delay16, BWDelay16::kDelayLeft), 0.2f, "DLY16Time R reaches the left time"},
        {Tag::Dly16Feed, 0.3f, effect(delay16, BWDelay16::kFeedback), 0.3f, "sixteenth feedback"},
        {Tag::ManualChordSel, 1.0f, seq(&SequencerState::manualChord), 15.0f, "manual chord"},
        {Tag::ClockDivide, 0.49f, seq(&SequencerState::stepDivisor), 1.0f, "divide 0.49"},
        {Tag::ClockDivide, 0.5f, seq(&SequencerState::stepDivisor), 2.0f, "divide 0.5"},
        {Tag::ClockDivide, 0.99f, seq(&SequencerState::stepDivisor), 2.0f, "divide 0.99"},
        {Tag::ClockDivide, 1.0f, seq(&SequencerState::stepDivisor), 4.0f, "divide 1"},
        {Tag::ClockDivide, 1.0f, seq(&SequencerState::stepLength), 22050.0f / 4.0f, "step length"},
        {Tag::Swingfactor, 0.5f, seq(&SequencerState::swingAmount), std::pow(0.5f, 0.9f), "swing amount"},
        {Tag::Swingfactor, 1.0f, seq(&SequencerState::swingTimeMs), 125.0f, "swing: a whole sixteenth at 120 bpm"},
        {Tag::Swingfactor, 1.0f, seq(&SequencerState::swingDelay), 5512.5f, "swing delay in samples"},
        {Tag::ChordSeqDivide, 1.0f, seq(&SequencerState::chordSequenceDivisor), 4.0f, "chord sequence divide"},
        {Tag::Glide, 0.0f, seq(&SequencerState::glideFraction), 0.009f, "glide bottom"},
        {Tag::Glide, 1.0f, seq(&SequencerState::glideFraction), 0.999f, "glide top"},
        {Tag::ShiftArp, 1.0f, seq(&SequencerState::arpShift), 7.0f, "arp shift"},
        {Tag::Transpose, 0.0f, seq(&SequencerState::transpose), -24.0f, "transpose bottom"},
        {Tag::Transpose, 1.0f, seq(&SequencerState::transpose), 24.0f, "transpose top"},
        {Tag::Transpose, 0.5f, seq(&SequencerState::transpose), 0.0f, "transpose centre"},
        {Tag::Mastertune, 0.25f, seq(&SequencerState::masterTune), -0.5f, "master tune"},
        {Tag::Mastertune, 0.25f, seq(&SequencerState::globalPitchOffset), -0.5f, "global offset"},
        {Tag::Mastertune, 0.25f, [](BWUniClient& c) { return c.state().layers[1].pitchOffset; }, 11.5f + 36.0f, "layer 2"},
        {Tag::Osc2KeyA, 1.0f, [](BWUniClient& c) { return c.state().layers[1].keyA; }, 127.0f, "key A"},
        {Tag::Osc2KeyA, 1.0f, [](BWUniClient& c) { return c.state().layers[1].invertedRange; }, 1.0f, "B below A"},
        {Tag::RandomMinimal, 0.3f, [](BWUniClient& c) { return c.getSystemInfo()->randomHigh; }, 0.3f, "minimum sets high"},
        {Tag::RandomMaximal, 0.6f, [](BWUniClient& c) { return c.getSystemInfo()->randomLow; }, 0.6f, "maximum sets low"},
        // Values outside 0..1 are limited before anything is derived.
        {Tag::MasterLevel, 5.0f, [](BWUniClient& c) { return out(c, &OutputStageState::masterGain); }, 2.0f, "gain above 1"},
        {Tag::MasterLevel, NAN, [](BWUniClient& c) { return out(c, &OutputStageState::masterGain); }, 0.0f, "gain NaN"},
        {Tag::CompressorDepth, 9.0f, depth, 0.8f, "depth above 1"},
        {Tag::Osc1TrigMode, -4.0f, [](BWUniClient& c) { return c.state().layers[0].triggerMode.step; }, 0.0f, "negative mode"},
    };
    for (const Case& c : cases) {
        set(c.index, c.value);
        EXPECT_NEAR(c.read(*instance), c.expected, 1e-5f * std::max(1.0f, std::fabs(c.expected)))
            << c.index << " = " << c.value << ": " << c.what;
    }
}

TEST_F(InstanceTest, TriggerModesAndPolycrushPickTheirSources) {
    for (int32_t s = 0; s < 3; ++s) {
        set(Tag::Osc1TrigMode, s / 3.0f + 0.01f);
        EXPECT_EQ(state.layers[0].triggerFirst, state.triggerSources[s].first.data());
        EXPECT_EQ(state.layers[0].triggerSecond, state.triggerSources[s].second.data());
        set(Tag::FilterTrigMode, s / 3.0f + 0.01f);
        EXPECT_EQ(state.filter.trigger, state.triggerSources[s].second.data());
    }
    set(Tag::Osc1Polycrush, 0.0f);
    EXPECT_EQ(state.layers[0].polycrushIncrement, state.passThroughIncrement.data());
    set(Tag::Osc1Polycrush, 0.001f);
    EXPECT_EQ(state.layers[0].polycrushIncrement, state.layers[0].ownIncrement.data());
}

TEST_F(InstanceTest, MixesFollowTheirSwitchesAndTheDelaySplit) {
    using S = PatternEditState;
    set(Tag::RvbOnOff, 1.0f);
    set(Tag::RvbMix, 0.5f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kReverb], 0.25f);
    set(Tag::RvbOnOff, 0.0f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kReverb], 0.0f);

    set(Tag::DlyOnOff, 1.0f);
    set(Tag::DlyMix, 0.5f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kDoubleDelay], 0.25f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kDelay16], 0.0f);
    state.patterns.delaySwitch = 1.0f;
    set(Tag::DlyMix, 0.5f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kDoubleDelay], 0.0f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kDelay16], 0.25f);

    set(Tag::RvsMix, 0.6f);
    set(Tag::RvsOnOff, 1.0f);
    EXPECT_FLOAT_EQ(state.patterns.effectMix[S::kReverser], 0.6f);
    set(Tag::PhsMix, 0.4f);
    set(Tag::PhsOnOff, 1.0f);
    EXPECT_FLOAT_EQ(state.patterns.phaserMixMirror, 0.4f);
}

TEST_F(InstanceTest, ChordSelectPassesItsModeOnOnlyWhenItChanges) {
    set(Tag::ManualChordSel, 0.5f);  // manual chord 8
    set(Tag::ChordSelect, 0.0f);
    EXPECT_FLOAT_EQ(state.sequencer.selectedChord, 8.0f);
    EXPECT_EQ(models.eventTable.getCurrentPage(), 8u);

    set(Tag::ChordSelect, 1.0f);  // step 2: chords from the held notes
    EXPECT_FLOAT_EQ(state.sequencer.selectedChord, 17.0f);
    EXPECT_EQ(models.eventTable.getCurrentPage(), 0u);
    EXPECT_FLOAT_EQ(state.patterns.records[356].raw, 0.0f);
    EXPECT_FLOAT_EQ(state.patterns.records[355].raw, state.sequencer.sequenceToggle);
    EXPECT_FLOAT_EQ(state.patterns.records[340].step, 1.0f);

    // The same step again passes nothing on.
    state.patterns.records[340].raw = 0.3f;
    state.patterns.records[356].raw = 0.7f;
    set(Tag::ChordSelect, 1.0f);
    EXPECT_FLOAT_EQ(state.patterns.records[340].raw, 0.3f);
    EXPECT_FLOAT_EQ(state.patterns.records[356].raw, 0.7f);
}

TEST_F(InstanceTest, IndicesOutsideTheCasesChangeNothing) {
    const std::array<float, 391> before = state.raw;
    for (int32_t index : {390, -1, 150, 95, 203, 1000, INT32_MIN}) set(index, 0.77f);
    EXPECT_EQ(state.raw, before);
}
