#pragma once
// What the sequencer's parameters leave for the render routine: chord
// selection, step timing, swing, glide, keys, pitch offsets, key ranges, the
// run state and the memories by which the parameter cases notice changes.

#include <array>
#include <cstdint>

#include "plugin/SteppedValue.h"

// A memory's start value that no parameter takes, so that the first
// comparison always finds a change.
constexpr float kNoValueYet = -1234.1234f;

struct SequencerState {
    // Chord selection (74, 75).
    SteppedValue chordMode;              // 3 steps: 2 = chords from the held notes
    float manualChord = 0.0f;            // 0 .. 15
    float selectedChord = 0.0f;
    float chordSequenceFlag = 0.0f;
    float lastSel1 = kNoValueYet;        // passed on to 356
    float lastSel2 = kNoValueYet;
    float sequenceToggle = 0.0f;         // flips between 0 and 0.001
    float lastToggle = kNoValueYet;      // passed on to 355
    float lastSel3 = kNoValueYet;        // passed on to 340

    // Step timing (76, 77).
    float clockDivideStep = 0.0f;
    float clockDivideRaw = 0.0f;
    float stepDivisor = 1.0f;
    float stepLength = 0.0f;             // samples
    double stepLengthD = 0.0;
    double stepsPerSecond = 0.0;
    double stepsPerTick = 0.0;
    float stepsPerTickF = 0.0f;
    float stepLengthMs = 0.0f;
    float swingAmount = 0.0f;
    float swingTimeMs = 0.0f;
    float swingDelay = 0.0f;             // samples
    double swingDelayTicks = 0.0;        // in double ticks

    SteppedValue chordSequenceDivide;    // 3 steps (79)
    float chordSequenceDivisor = 1.0f;

    float glideFraction = 0.0f;          // 0.009 .. 0.999
    float glideBase = 0.0f;              // 0.94 × step length, ms
    float glideTime = 0.0f;
    float arpShift = 0.0f;               // 0 .. 7

    float transpose = 0.0f;              // semitones
    float masterTune = 0.0f;
    float globalPitchOffset = 0.0f;

    // Keys: the pattern key (78), the key last set from MIDI, the current one.
    float patternKey = 0.0f;
    float lastPatternKeySeen = kNoValueYet;
    float midiKey = 0.0f;
    float lastMidiKeySeen = kNoValueYet;
    float currentKey = 0.0f;
    float effectivePatternKey = 0.0f;
    float keyFollow = 0.0f;              // set by 355 and 356
    float octaveFactor = 0.0f;           // state of 356 × state of 355
    float octaveStep = 0.0f;
    std::array<float, 2> octaveSteps{0.0f, 12.0f};
    int32_t octaveSourceChoice = 0;      // by 356: which source two readers use

    // Run state (276, 279) and the held-note refresh.
    float runSource = kNoValueYet;       // last passed to 279
    float runGate = 0.0f;
    float runMemory = kNoValueYet;
    float loadCountMemory = kNoValueYet;
    float retrigger = 0.0f;
    float lastRetrigger = 0.0f;          // given to the reverser
    float reverserTrigger = 1.0f;        // toggles 1.0 / 0.98
    float loadPresetCount = 0.0f;        // raised by preset loads
    float internalRunFlag = 0.0f;        // 1 while keys are held
    float noteGate = 0.0f;
    float heldRun = 0.0f;
    float lastHeldRun = kNoValueYet;
    float lastHeldRoot = kNoValueYet;
    float noteLevel = 0.0f;
};
