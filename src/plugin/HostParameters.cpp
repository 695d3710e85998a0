// setParameter's frame and the host parameters 0 to 94: master, kick and
// compressor, the sound layers, the filter, the effects and the sequencer.
// Every case stores plain values and calls nothing that allocates, locks or
// waits: the audio thread runs them from the step lanes at every tick.

#include <algorithm>
#include <cmath>

#include "plugin/BWUniClient.h"

namespace {

constexpr int32_t kLastHostIndex = 94;
constexpr int32_t kFirstPatternIndex = 204;
constexpr int32_t kLastPatternIndex = 306;

// Layer parameter slots: the layer's index minus its first (8, 19, 30).
enum LayerSlot : int32_t {
    kTrigMode, kTrigEach, kOctave, kPolycrush, kAge, kAttack, kDecay, kSustain, kRelease, kLevel, kPan
};
constexpr int32_t kFirstLayerIndex = 8;
constexpr int32_t kLayerIndices = 11;

float truncated(float x) { return static_cast<float>(static_cast<int32_t>(x)); }
float cubedTime(float v, float scale) { return v * v * scale * v; }
// 100 − 100 (a / 100)^0.6 ms: the age drift time for a = trunc(100 v).
float ageTime(float a) { return 100.0f - 100.0f * std::pow(0.01f * a, 0.6f); }

}  // namespace

void BWUniClient::setParameter(int32_t index, float value) {
    if (static_cast<uint32_t>(index) > static_cast<uint32_t>(kHighestParameterIndex)) return;
    // Whoever calls, the cases below see 0..1: every step, table row and
    // range bound they derive then stays inside what exists.
    const float v = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
    if (index <= kLastHostIndex) {
        engine.raw[index] = v;
        applyHostParameter(index, v);
    } else if (index < kFirstPatternIndex) {
        return;
    } else if (index <= kLastPatternIndex) {
        engine.raw[index] = v;
        applyPatternEdit(index, v);
    } else {
        engine.raw[index] = v;
        applyInterfaceParameter(index, v);
    }
}

void BWUniClient::applyHostParameter(int32_t index, float v) {
    OutputStageState& out = engine.output;
    if (index >= kFirstLayerIndex && index < kFirstLayerIndex + 3 * kLayerIndices) {
        const int32_t offset = index - kFirstLayerIndex;
        applyLayerParameter(offset / kLayerIndices, offset % kLayerIndices, v);
        return;
    }
    if (index >= 41 && index <= 53) return applyFilterParameter(index, v);
    if ((index >= 54 && index <= 73) || (index >= 84 && index <= 86)) return applyEffectParameter(index, v);
    if (index >= 74) return applySequencerParameter(index, v);
    switch (index) {
        case 0: out.masterGain = 2.0f * v; break;
        case 1: out.masterAttackMs = 2000.0f * v; break;
        case 2: out.masterReleaseMs = 4000.0f * v; break;
        case 3: out.kickGain = 2.0f * v; break;
        case 4: out.kickTone = 8.0f * v + 12.0f; break;
        case 5: out.kickToSidechain.setSwitch(v); break;
        case 6:
            out.compressorDepthSwitch.setSteps(v, 5);
            out.compressor.setDepth(out.compressorDepthSwitch.stepIndex);
            break;
        case 7:
            out.compressorSpeedSwitch.setSteps(v, 5);
            out.compressor.setSpeed(out.compressorSpeedSwitch.stepIndex, context.sampleRate);
            break;
        default: break;
    }
}

void BWUniClient::applyLayerParameter(int layer, int32_t slot, float v) {
    LayerState& l = engine.layers[layer];
    switch (slot) {
        case kTrigMode: {
            l.triggerMode.setSteps(v, 3);
            const TriggerSource& source = engine.triggerSources[l.triggerMode.stepIndex];
            l.triggerFirst = source.first.data();
            l.triggerSecond = source.second.data();
            break;
        }
        case kTrigEach: l.triggerDivider = truncated(7.0f * v + 1.0f); break;
        case kOctave: {
            const int32_t octave = std::min(static_cast<int32_t>(5.0f * v), 4);
            l.octaveSemitones = static_cast<float>(12 * octave);
            l.pitchOffset = l.octaveSemitones + 12.0f + engine.sequencer.globalPitchOffset;
            break;
        }
        case kPolycrush: {
            const float x = v * v;
            l.polycrushHoldScale = 1.0f / ((x + 0.1f) / preparation.engine().secondsPerTick);
            l.polycrushIncrement = v > 0.0f ? l.ownIncrement.data() : engine.passThroughIncrement.data();
            break;
        }
        case kAge: {
            const float a = truncated(100.0f * v);
            l.ageAmount = ageTime(a);
            l.ageDepth = 0.04f * a;
            break;
        }
        case kAttack: l.attackMs = cubedTime(v, 2000.0f); break;
        case kDecay: l.decayMs = cubedTime(v, 2000.0f); break;
        case kSustain: l.sustain = v; break;
        case kRelease: l.releaseMs = cubedTime(v, 2000.0f); break;
        case kLevel: l.outputGain = v * l.levelFactor; break;
        case kPan:
            l.pan = {std::sqrt(1.0f - v), std::sqrt(v)};
            l.panCopy = l.pan;
            break;
        default: break;
    }
}

void BWUniClient::applyFilterParameter(int32_t index, float v) {
    FilterState& f = engine.filter;
    switch (index) {
        case 41:
            f.triggerMode.setSteps(v, 3);
            f.trigger = engine.triggerSources[f.triggerMode.stepIndex].second.data();
            break;
        case 42: f.triggerDivider = truncated(7.0f * v + 1.0f); break;
        case 43:
            f.invert.setSwitch(v);
            f.settings.invert = f.invert.stepIndex == 1;
            break;
        case 44:
            f.voiceMode.setSwitchWithMargin(v);
            requests.requestRefresh();
            break;
        case 45: {
            const float a = truncated(100.0f * v);
            f.ageAmount = ageTime(a);
            f.ageDepth = 0.00019999999f * a;
            f.settings.age = {f.ageAmount, f.ageDepth};
            break;
        }
        case 46: f.attackMs = cubedTime(v, 4000.0f); break;
        case 47: f.decayMs = cubedTime(v, 4000.0f); break;
        case 48: f.sustain = v; break;
        case 49: f.releaseMs = cubedTime(v, 4000.0f); break;
        case 50: f.settings.cut = v; break;
        case 51:
            f.resonance = truncated(10000.0f * v) * 0.0001f;
            f.settings.setResonance(v);
            break;
        case 52: f.settings.peak = v; break;
        case 53: f.mix = truncated(9700.0f * v) * 0.0001f; break;
        default: break;
    }
}

void BWUniClient::applyEffectParameter(int32_t index, float v) {
    const PatternEditState& p = engine.patterns;
    switch (index) {
        case 54: chain.reverser.setParameter(BWReverserX2::kSize, truncated(70.0f * v + 30.000002f) * 0.01f); break;
        case 55: chain.reverser.setParameter(BWReverserX2::kDec, 0.8f * v + 0.2f); break;
        case 56: chain.reverser.setParameter(BWReverserX2::kXFade, v); break;
        case 57: giveMix(chain.reverser, PatternEditState::kReverser, v * p.reverserOn); break;
        case 58: chain.chorus.setParameter(BWChorusXStereo::kRate, 0.5f * v); break;
        case 59: chain.chorus.setParameter(BWChorusXStereo::kDepth, v); break;
        case 60: break;  // read only by the interface and the state
        case 61: giveMix(chain.chorus, PatternEditState::kChorus, v * p.chorusOn); break;
        case 62: chain.phaser.setParameter(BWPhaser::kRate, 0.75f * v); break;
        case 63:
            chain.phaser.setParameter(BWPhaser::kDepth, v);
            chain.phaser.setParameter(BWPhaser::kWidth, v);
            break;
        case 64: chain.phaser.setParameter(BWPhaser::kFeedback, v); break;
        case 65: {
            const float mix = v * p.phaserOn;
            engine.patterns.phaserMix = mix;
            engine.patterns.phaserMixMirror = mix;
            giveMix(chain.phaser, PatternEditState::kPhaser, mix);
            break;
        }
        case 66:
            chain.doubleDelay.setParameter(0, 1.0f - v);
            chain.doubleDelay.setParameter(1, 1.0f - v);
            break;
        case 67: chain.doubleDelay.setParameter(4, v); break;
        case 68:
            chain.doubleDelay.setParameter(2, v);
            chain.doubleDelay.setParameter(3, v);
            break;
        case 69: applyDelayMixes(); break;
        case 70: chain.reverb.setParameter(0, v); break;
        case 71: chain.reverb.setParameter(1, v); break;
        case 72: chain.reverb.setParameter(2, 1.0f - v); break;
        case 73: giveMix(chain.reverb, PatternEditState::kReverb, v * v * p.reverbOn); break;
        // "DLY16Time L" sets the right time and "DLY16Time R" the left one.
        case 84: chain.delay16.setParameter(1, v); break;
        case 85: chain.delay16.setParameter(0, v); break;
        case 86: chain.delay16.setParameter(2, v); break;
        default: break;
    }
}

void BWUniClient::applyDelayMixes() {
    const PatternEditState& p = engine.patterns;
    const float mix = engine.raw[69] * engine.raw[69] * p.delayOn;
    giveMix(chain.doubleDelay, PatternEditState::kDoubleDelay, mix * (1.0f - p.delaySwitch));
    giveMix(chain.delay16, PatternEditState::kDelay16, p.delaySwitch * mix);
}

void BWUniClient::giveMix(BWEffect& effect, int slot, float mix) {
    engine.patterns.effectMix[slot] = mix;
    effect.setMix(mix);
}
