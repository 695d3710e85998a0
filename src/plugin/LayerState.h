#pragma once
// What the parameters of one sound layer ("Osc1" to "Osc3") leave for the
// render routine: trigger choice, pitch, polycrush, age, envelope, level,
// pan, key range and routing.

#include <array>
#include <cstdint>

#include "plugin/SteppedValue.h"

constexpr int kVoicesPerLayer = 8;
using VoiceFloats = std::array<float, kVoicesPerLayer>;

// One of the three trigger sources the render routine keeps per voice.
struct TriggerSource {
    VoiceFloats first{};
    VoiceFloats second{};
};

struct LayerState {
    SteppedValue triggerMode;                // 3 steps
    const float* triggerFirst = nullptr;     // the chosen source's arrays
    const float* triggerSecond = nullptr;
    float triggerDivider = 1.0f;             // 1 .. 8

    float octaveSemitones = 0.0f;            // 0, 12 .. 48
    float pitchOffset = 0.0f;                // octave + 12 + global offset

    float polycrushHoldScale = 0.0f;
    const float* polycrushIncrement = nullptr;  // own array, or the shared pass-through
    VoiceFloats ownIncrement{};              // the render routine fills it

    float ageAmount = 0.0f;
    float ageDepth = 0.0f;

    float attackMs = 0.0f;
    float decayMs = 0.0f;
    float sustain = 0.0f;
    float releaseMs = 0.0f;

    float outputGain = 0.0f;                 // level × level factor
    float voiceScale = 127.0f;               // multiplies the layer's per-voice values
    std::array<float, 2> pan{};              // √(1 − v), √v
    std::array<float, 2> panCopy{};

    float keyA = 0.0f;                       // key range, 0 .. 127
    float keyB = 0.0f;
    float invertedRange = 0.0f;              // 1 when keyB < keyA

    // Routing set by the sound, assign and run switches.
    SteppedValue soundSwitch;
    int32_t soundSource = 0;                 // which of the layer's two sources sounds
    float gain = 0.0f;                       // run state × sound switch
    bool gainFromOwnSource = false;          // else the zero source
    float levelFactor = 1.0f;
    float scaledLevel = 0.0f;
    // Readers 1 and 2 take sources A and B while the assign switch is off,
    // readers 3 and 4 while it is on; the others read the zero source.
    enum Source : int32_t { kZeroSource = 0, kSourceA = 1, kSourceB = 2 };
    std::array<int32_t, 4> assignReaders{kSourceA, kSourceB, kZeroSource, kZeroSource};
};
