// The sequencer's host parameters (74 to 83) and the engine-only key ranges
// and randomiser range (87 to 94).

#include <algorithm>
#include <cmath>

#include "plugin/BWUniClient.h"

namespace {

float truncated(float x) { return static_cast<float>(static_cast<int32_t>(x)); }

}  // namespace

void BWUniClient::applySequencerParameter(int32_t index, float v) {
    SequencerState& s = engine.sequencer;
    if (index >= 87 && index <= 92) {
        LayerState& layer = engine.layers[(index - 87) / 2];
        const float key = static_cast<float>(std::min(static_cast<int32_t>(128.0f * v), 127));
        ((index - 87) % 2 == 0 ? layer.keyA : layer.keyB) = key;
        layer.invertedRange = layer.keyB < layer.keyA ? 1.0f : 0.0f;
        return;
    }
    switch (index) {
        case 74:
            s.chordMode.setSteps(v, 3);
            applyChordSelection(index);
            break;
        case 75:
            s.manualChord = static_cast<float>(std::min(static_cast<int32_t>(16.0f * v), 15));
            applyChordSelection(index);
            break;
        case 76: {
            // 2 (divisor 4) only at the very top.
            const int32_t d = static_cast<int32_t>(2.0f * v);
            s.clockDivideStep = static_cast<float>(d);
            s.clockDivideRaw = v;
            s.stepDivisor = EngineState::kDivisors[std::clamp(d, 0, 2)];
            applyStepTiming(true);
            break;
        }
        case 77:
            s.swingAmount = std::pow(truncated(100.0f * v) * 0.01f, 0.9f);
            applyStepTiming(false);
            break;
        case 78: applyPatternKey(v); break;
        case 79:
            s.chordSequenceDivide.setSteps(v, 3);
            s.chordSequenceDivisor = EngineState::kDivisors[s.chordSequenceDivide.stepIndex];
            break;
        case 80:
            s.glideFraction = truncated(989.99994f * v + 9.999999f) * 0.001f;
            s.glideTime = s.glideFraction * s.glideBase;
            break;
        case 81: s.arpShift = truncated(7.0f * v); break;
        case 82:
            s.transpose = static_cast<float>(std::min(static_cast<int32_t>(49.0f * v), 48) - 24);
            applyPitchOffsets();
            break;
        case 83:
            s.masterTune = truncated(200.0f * v - 100.0f) * 0.01f;
            applyPitchOffsets();
            break;
        case 93:
            runPatternWideEdits();
            context.randomHigh = v;  // the minimum sets the high bound, as it always did
            break;
        case 94:
            runPatternWideEdits();
            context.randomLow = v;
            break;
        default: break;
    }
}

void BWUniClient::applyChordSelection(int32_t index) {
    SequencerState& s = engine.sequencer;
    const int32_t mode = s.chordMode.stepIndex;
    const bool fromHeldNotes = mode == 2;
    s.chordSequenceFlag = fromHeldNotes ? 1.0f : 0.0f;
    const float chord = mode == 0 || mode == 1 ? s.manualChord : 0.0f;
    models.eventTable.setCurrentPage(static_cast<uint64_t>(chord));
    engine.patterns.eventTablePage = chord;
    s.selectedChord = fromHeldNotes ? EngineState::kSequenceChord : chord;
    if (index != 74) return;

    const float sel1 = fromHeldNotes ? 0.0f : 1.0f;
    if (sel1 != s.lastSel1) {
        s.lastSel1 = sel1;
        setParameter(356, sel1);
    }
    const float sel2 = fromHeldNotes ? 1.0f : 0.0f;
    if (sel2 != s.lastSel2) {
        s.lastSel2 = sel2;
        if (sel2 > 0.0f) s.sequenceToggle = s.sequenceToggle == 0.0f ? 0.001f : 0.0f;
    }
    if (s.sequenceToggle != s.lastToggle) {
        s.lastToggle = s.sequenceToggle;
        setParameter(355, s.sequenceToggle);
    }
    const float sel3 = (fromHeldNotes ? 1.0f : 0.0f) + (mode == 1 ? 1.0f : 0.0f);
    if (sel3 != s.lastSel3) {
        s.lastSel3 = sel3;
        setParameter(340, sel3);
    }
}

void BWUniClient::applyStepTiming(bool fromClockDivide) {
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

void BWUniClient::applyPatternKey(float v) {
    SequencerState& s = engine.sequencer;
    models.patternKeysArea.setValue(v);
    s.patternKey = truncated(std::clamp(24.0f * v, 0.0f, 23.0f));
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

void BWUniClient::applyPitchOffsets() {
    SequencerState& s = engine.sequencer;
    s.globalPitchOffset = s.transpose + s.masterTune;
    for (LayerState& layer : engine.layers) layer.pitchOffset = layer.octaveSemitones + 12.0f + s.globalPitchOffset;
}
