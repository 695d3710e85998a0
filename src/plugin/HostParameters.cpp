// What the host parameters 0 to 86 derive: master, kick and compressor, the
// sound layers, the filter and the effects (the sequencer's are in
// SequencerParameters.cpp).  Audio side: every case stores plain values and
// calls nothing that allocates, locks or waits.

#include <algorithm>
#include <cmath>

#include "core/BWSystemInfo.h"
#include "plugin/BindingTable.h"
#include "plugin/ParameterCurves.h"
#include "plugin/Engine.h"
#include "plugin/InterfaceRequests.h"

namespace {

// Layer parameter slots: the layer's index minus its first.
enum LayerSlot : int32_t {
    kTrigMode = Tag::Osc1TrigMode - Tag::Osc1TrigMode,
    kTrigEach = Tag::Osc1TrigEach - Tag::Osc1TrigMode,
    kOctave = Tag::Osc1Octave - Tag::Osc1TrigMode,
    kPolycrush = Tag::Osc1Polycrush - Tag::Osc1TrigMode,
    kAge = Tag::Osc1Age - Tag::Osc1TrigMode,
    kAttack = Tag::Osc1Attack - Tag::Osc1TrigMode,
    kDecay = Tag::Osc1Decay - Tag::Osc1TrigMode,
    kSustain = Tag::Osc1Sustain - Tag::Osc1TrigMode,
    kRelease = Tag::Osc1Release - Tag::Osc1TrigMode,
    kLevel = Tag::Osc1Level - Tag::Osc1TrigMode,
    kPan = Tag::Osc1Pan - Tag::Osc1TrigMode,
};

using curve::cubedTime;
using curve::kFilterEnvelopeMs;
using curve::kLayerEnvelopeMs;
using curve::truncated;
// 100 − 100 (a / 100)^0.6 ms: the age drift time for a = trunc(100 v).
float ageTime(float a) { return 100.0f - 100.0f * std::pow(0.01f * a, 0.6f); }

}  // namespace

void Engine::applyHostParameter(int32_t index, float v) {
    OutputStageState& out = engine.output;
    if (index >= Tag::Osc1TrigMode && index <= Tag::Osc3Pan) {
        const int32_t offset = index - Tag::Osc1TrigMode;
        applyLayerParameter(offset / Tag::LayerStride, offset % Tag::LayerStride, v);
        return;
    }
    if (index >= Tag::FilterTrigMode && index <= Tag::FilterMix) return applyFilterParameter(index, v);
    if ((index >= Tag::RvsSize && index <= Tag::RvbMix) || (index >= Tag::Dly16TimeL && index <= Tag::Dly16Feed)) {
        return applyEffectParameter(index, v);
    }
    if (index >= Tag::ChordSelect) return applySequencerParameter(index, v);
    switch (index) {
        case Tag::MasterLevel: out.masterGain = 2.0f * v; break;
        case Tag::MasterAttack: out.masterAttackMs = curve::masterAttackMs(v); break;
        case Tag::MasterRelease: out.masterReleaseMs = curve::masterReleaseMs(v); break;
        case Tag::KickLevel: out.kickGain = 2.0f * v; break;
        case Tag::KickTone: out.kickTone = curve::kickTone(v); break;
        case Tag::KickToSidechain: out.kickToSidechain.setSwitch(v); break;
        case Tag::CompressorDepth:
            out.compressorDepthSwitch.setSteps(v, stepCount(Tag::CompressorDepth));
            out.compressor.setDepth(out.compressorDepthSwitch.stepIndex);
            break;
        case Tag::CompressorSpeed:
            out.compressorSpeedSwitch.setSteps(v, stepCount(Tag::CompressorSpeed));
            out.compressor.setSpeed(out.compressorSpeedSwitch.stepIndex, context.sampleRate);
            break;
        default: break;
    }
}

void Engine::applyLayerParameter(int layer, int32_t slot, float v) {
    LayerState& l = engine.layers[layer];
    switch (slot) {
        case kTrigMode: {
            l.triggerMode.setSteps(v, stepCount(Tag::Osc1TrigMode));
            const TriggerSource& source = engine.triggerSources[l.triggerMode.stepIndex];
            l.triggerFirst = source.first.data();
            l.triggerSecond = source.second.data();
            break;
        }
        case kTrigEach: l.triggerDivider = truncated(7.0f * v + 1.0f); break;
        case kOctave: {
            const int32_t octave = curve::octaveStep(v);
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
            const float a = curve::wholePercent(v);
            l.ageAmount = ageTime(a);
            l.ageDepth = 0.04f * a;
            break;
        }
        case kAttack: l.attackMs = cubedTime(v, kLayerEnvelopeMs); break;
        case kDecay: l.decayMs = cubedTime(v, kLayerEnvelopeMs); break;
        case kSustain: l.sustain = v; break;
        case kRelease: l.releaseMs = cubedTime(v, kLayerEnvelopeMs); break;
        case kLevel: l.outputGain = v * l.levelFactor; break;
        case kPan:
            l.pan = {std::sqrt(1.0f - v), std::sqrt(v)};
            l.panCopy = l.pan;
            break;
        default: break;
    }
}

void Engine::applyFilterParameter(int32_t index, float v) {
    FilterState& f = engine.filter;
    switch (index) {
        case Tag::FilterTrigMode:
            f.triggerMode.setSteps(v, stepCount(Tag::FilterTrigMode));
            f.trigger = engine.triggerSources[f.triggerMode.stepIndex].second.data();
            break;
        case Tag::FilterTrigEach: f.triggerDivider = truncated(7.0f * v + 1.0f); break;
        case Tag::FilterInvert:
            f.invert.setSwitch(v);
            f.settings.invert = f.invert.stepIndex == 1;
            break;
        case Tag::FilterVoiceMode:
            f.voiceMode.setSwitchWithMargin(v);
            requests.requestRefresh();
            break;
        case Tag::FilterAge: {
            const float a = curve::wholePercent(v);
            f.ageAmount = ageTime(a);
            f.ageDepth = 0.00019999999f * a;
            f.settings.age = {f.ageAmount, f.ageDepth};
            break;
        }
        case Tag::FilterAttack: f.attackMs = cubedTime(v, kFilterEnvelopeMs); break;
        case Tag::FilterDecay: f.decayMs = cubedTime(v, kFilterEnvelopeMs); break;
        case Tag::FilterSustain: f.sustain = v; break;
        case Tag::FilterRelease: f.releaseMs = cubedTime(v, kFilterEnvelopeMs); break;
        case Tag::FilterCutoff: f.settings.cut = v; break;
        case Tag::FilterReso:
            f.resonance = curve::resonance(v);
            f.settings.setResonance(v);
            break;
        case Tag::FilterPeak: f.settings.peak = v; break;
        case Tag::FilterMix: f.mix = curve::filterMix(v); break;
        default: break;
    }
}

void Engine::applyEffectParameter(int32_t index, float v) {
    const PatternEditState& p = engine.patterns;
    switch (index) {
        case Tag::RvsSize:
            chain.reverser.setParameter(BWReverserX2::kSize, curve::reverserSize(v));
            break;
        case Tag::RvsDecay: chain.reverser.setParameter(BWReverserX2::kDec, curve::reverserDecay(v)); break;
        case Tag::RvsXfade: chain.reverser.setParameter(BWReverserX2::kXFade, v); break;
        case Tag::RvsMix: giveMix(chain.reverser, PatternEditState::kReverser, v * p.reverserOn); break;
        case Tag::ChsRate: chain.chorus.setParameter(BWChorusXStereo::kRate, 0.5f * v); break;
        case Tag::ChsDepth: chain.chorus.setParameter(BWChorusXStereo::kDepth, v); break;
        case Tag::ChsShape: break;  // read only by the interface and the state
        case Tag::ChsMix: giveMix(chain.chorus, PatternEditState::kChorus, v * p.chorusOn); break;
        case Tag::PhsRate: chain.phaser.setParameter(BWPhaser::kRate, 0.75f * v); break;
        case Tag::PhsDepth:
            chain.phaser.setParameter(BWPhaser::kDepth, v);
            chain.phaser.setParameter(BWPhaser::kWidth, v);
            break;
        case Tag::PhsFeed: chain.phaser.setParameter(BWPhaser::kFeedback, v); break;
        case Tag::PhsMix: {
            const float mix = v * p.phaserOn;
            engine.patterns.phaserMix = mix;
            engine.patterns.phaserMixMirror = mix;
            giveMix(chain.phaser, PatternEditState::kPhaser, mix);
            break;
        }
        case Tag::DlyTime:
            chain.doubleDelay.setParameter(BWDoubleDelay::kTimeLeft, 1.0f - v);
            chain.doubleDelay.setParameter(BWDoubleDelay::kTimeRight, 1.0f - v);
            break;
        case Tag::DlyWidth: chain.doubleDelay.setParameter(BWDoubleDelay::kWidth, v); break;
        case Tag::DlyFeed:
            chain.doubleDelay.setParameter(BWDoubleDelay::kDiff, v);
            chain.doubleDelay.setParameter(BWDoubleDelay::kFeedback, v);
            break;
        case Tag::DlyMix: applyDelayMixes(); break;
        case Tag::RvbSize: chain.reverb.setParameter(RevTamselEcoShot::kRoomSize, v); break;
        case Tag::RvbWidth: chain.reverb.setParameter(RevTamselEcoShot::kReverbTime, v); break;
        case Tag::RvbDamp: chain.reverb.setParameter(RevTamselEcoShot::kReflectivity, 1.0f - v); break;
        case Tag::RvbMix: giveMix(chain.reverb, PatternEditState::kReverb, v * v * p.reverbOn); break;
        // "DLY16Time L" sets the right time and "DLY16Time R" the left one.
        case Tag::Dly16TimeL: chain.delay16.setParameter(BWDelay16::kDelayRight, v); break;
        case Tag::Dly16TimeR: chain.delay16.setParameter(BWDelay16::kDelayLeft, v); break;
        case Tag::Dly16Feed: chain.delay16.setParameter(BWDelay16::kFeedback, v); break;
        default: break;
    }
}

void Engine::applyDelayMixes() {
    const PatternEditState& p = engine.patterns;
    const float mix = engine.raw[Tag::DlyMix] * engine.raw[Tag::DlyMix] * p.delayOn;
    giveMix(chain.doubleDelay, PatternEditState::kDoubleDelay, mix * (1.0f - p.delaySwitch));
    giveMix(chain.delay16, PatternEditState::kDelay16, p.delaySwitch * mix);
}

void Engine::giveMix(BWEffect& effect, int slot, float mix) {
    engine.patterns.effectMix[slot] = mix;
    effect.setMix(mix);
}
