// What the sequencer's host parameters (74 to 83) and the engine's own key
// ranges and randomiser range (87 to 94) derive.  Audio side.

#include <algorithm>
#include <cmath>

#include "core/BWSystemInfo.h"
#include "plugin/BindingTable.h"
#include "plugin/Engine.h"
#include "plugin/ParameterCurves.h"
#include "plugin/PatternModels.h"

namespace {

using curve::truncated;

}  // namespace

void Engine::applySequencerParameter(int32_t index, float v) {
    SequencerState& s = engine.sequencer;
    if (index >= Tag::Osc1KeyA && index <= Tag::Osc3KeyB) {
        LayerState& layer = engine.layers[(index - Tag::Osc1KeyA) / 2];
        const float key = static_cast<float>(std::min(static_cast<int32_t>(128.0f * v), 127));
        ((index - Tag::Osc1KeyA) % 2 == 0 ? layer.keyA : layer.keyB) = key;
        layer.invertedRange = layer.keyB < layer.keyA ? 1.0f : 0.0f;
        return;
    }
    switch (index) {
        case Tag::ChordSelect:
            s.chordMode.setSteps(v, stepCount(Tag::ChordSelect));
            applyChordSelection(index);
            break;
        case Tag::ManualChordSel:
            s.manualChord = static_cast<float>(std::min(static_cast<int32_t>(16.0f * v), 15));
            applyChordSelection(index);
            break;
        case Tag::ClockDivide: {
            // 2 (divisor 4) only at the very top.
            const int32_t d = static_cast<int32_t>(2.0f * v);
            s.clockDivideStep = static_cast<float>(d);
            s.clockDivideRaw = v;
            s.stepDivisor = EngineState::kDivisors[std::clamp(d, 0, 2)];
            applyStepTiming(true);
            break;
        }
        case Tag::Swingfactor:
            s.swingAmount = std::pow(curve::wholePercent(v) * 0.01f, 0.9f);
            applyStepTiming(false);
            break;
        case Tag::PatternKeys: applyPatternKey(v); break;
        case Tag::ChordSeqDivide:
            s.chordSequenceDivide.setSteps(v, stepCount(Tag::ChordSeqDivide));
            s.chordSequenceDivisor = EngineState::kDivisors[s.chordSequenceDivide.stepIndex];
            break;
        case Tag::Glide:
            s.glideFraction = curve::glideFraction(v);
            s.glideTime = s.glideFraction * s.glideBase;
            break;
        case Tag::ShiftArp: s.arpShift = truncated(7.0f * v); break;
        case Tag::Transpose:
            s.transpose = static_cast<float>(std::min(static_cast<int32_t>(49.0f * v), 48) - 24);
            applyPitchOffsets();
            break;
        case Tag::Mastertune:
            s.masterTune = curve::masterTune(v);
            applyPitchOffsets();
            break;
        case Tag::RandomMinimal:
            runPatternWideEdits();
            // The index named the minimum sets the high bound and the maximum
            // the low one; stored presets keep the ranges they were made with.
            context.randomHigh = v;
            break;
        case Tag::RandomMaximal:
            runPatternWideEdits();
            context.randomLow = v;
            break;
        default: break;
    }
}

void Engine::applyChordSelection(int32_t index) {
    SequencerState& s = engine.sequencer;
    const int32_t mode = s.chordMode.stepIndex;
    const bool fromHeldNotes = mode == 2;
    s.chordSequenceFlag = fromHeldNotes ? 1.0f : 0.0f;
    const float chord = mode == 0 || mode == 1 ? s.manualChord : 0.0f;
    models.eventTable.setCurrentPage(static_cast<uint64_t>(chord));
    engine.patterns.eventTablePage = chord;
    s.selectedChord = fromHeldNotes ? EngineState::kSequenceChord : chord;
    if (index != Tag::ChordSelect) return;

    const float sel1 = fromHeldNotes ? 0.0f : 1.0f;
    if (sel1 != s.lastSel1) {
        s.lastSel1 = sel1;
        send(Tag::OctavePages, sel1);
    }
    const float sel2 = fromHeldNotes ? 1.0f : 0.0f;
    if (sel2 != s.lastSel2) {
        s.lastSel2 = sel2;
        if (sel2 > 0.0f) s.sequenceToggle = s.sequenceToggle == 0.0f ? 0.001f : 0.0f;
    }
    if (s.sequenceToggle != s.lastToggle) {
        s.lastToggle = s.sequenceToggle;
        send(Tag::PatternOctave, s.sequenceToggle);
    }
    const float sel3 = (fromHeldNotes ? 1.0f : 0.0f) + (mode == 1 ? 1.0f : 0.0f);
    if (sel3 != s.lastSel3) {
        s.lastSel3 = sel3;
        send(Tag::ChordModePages, sel3);
    }
}

void Engine::applyStepTiming(bool fromClockDivide) {
    SequencerState& s = engine.sequencer;
    const EngineRateConstants& rate = preparation.engine();
    if (fromClockDivide) {
        s.stepLength = context.samplesPerBeatF / s.stepDivisor;
        s.stepLengthD = s.stepLength;
        s.stepsPerSecond = s.stepLength > 0.0f ? context.sampleRate / s.stepLengthD : 0.0;
        s.stepsPerTick = s.stepsPerSecond * rate.tickDuration;
        s.stepsPerTickF = static_cast<float>(s.stepsPerTick);
        s.stepLengthMs = s.stepLength * rate.msPerSample;
        s.glideBase = 0.94f * s.stepLengthMs;
        s.glideTime = s.glideBase * s.glideFraction;
    }
    s.swingTimeMs = s.stepLengthMs * s.swingAmount;
    s.swingDelay = s.swingTimeMs * rate.samplesPerMs;
    s.swingDelayTicks = rate.doubleTick > 0.0f ? s.swingDelay / rate.doubleTick : 0.0;
}

void Engine::applyPatternKey(float v) {
    SequencerState& s = engine.sequencer;
    s.patternKey = curve::patternKey(v);
    if (s.midiKey != s.lastMidiKeySeen) {
        s.lastMidiKeySeen = s.midiKey;
        s.currentKey = s.midiKey;
    }
    if (s.patternKey != s.lastPatternKeySeen) {
        s.lastPatternKeySeen = s.patternKey;
        s.currentKey = s.patternKey;
    }
    s.effectivePatternKey = s.keyFollow == 0.0f ? s.patternKey : s.currentKey;
}

void Engine::applyPitchOffsets() {
    SequencerState& s = engine.sequencer;
    s.globalPitchOffset = s.transpose + s.masterTune;
    for (LayerState& layer : engine.layers) layer.pitchOffset = layer.octaveSemitones + 12.0f + s.globalPitchOffset;
}
