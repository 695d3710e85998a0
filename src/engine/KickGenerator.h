#pragma once
// The built-in sine kick: it restarts on every beat boundary, starts 36
// semitones above its base note (12 to 20, set by the tone) and falls onto it
// over 120 ms (squared), while its amplitude falls over 160 ms (squared),
// 0.9 times as loud on odd beats.  The tone blends the sine into its square
// (an octave up, one-sided).  Per tick it takes the beat position; per sample
// it writes the soft-clipped kick, which goes to the kick bus and into the
// compressor's detector.  Audio thread.

#include <cstdint>
#include <cstring>

#include "engine/Envelope.h"
#include "engine/SampleRamp.h"

class BWSystemInfo;

class KickGenerator {
public:
    // "Kicklevel" v: level 2 v; "Kicktone" v: tone v.
    void setLevel(float parameter) { level = 2.0f * parameter; }
    void setTone(float parameter) { tone = parameter; }

    // Once per tick with the beat position (the host's song position while
    // it plays, else the engine's own beat counter).
    void tick(double beatPosition, const BWSystemInfo& system);
    // n samples of the soft-clipped kick.
    void render(float* out, int32_t n, const BWSystemInfo& system);

    float getFrequency() const { return frequency; }
    float getTriggerPulse() const { return pulse; }
    // Between strokes: the amplitude stands at 0 and is not moving, so
    // every sample is 0.
    bool isResting() const { return amplitude.current == 0.0f && amplitude.step == 0.0f; }

private:
    void shape(float* out, const float* gains, const float* waves, const float* levels, int32_t n) const;

    // What a tick that changed nothing was given, as bits (a NaN matches
    // itself); all zero bits when the last tick moved something.  Gate 0
    // never comes from a beat, so the zeros never match.
    struct RestInputs {
        float gate = 0.0f, level = 0.0f, tone = 0.0f, ticksPerMs = 0.0f, tickReciprocal = 0.0f;
        bool operator==(const RestInputs& other) const { return std::memcmp(this, &other, sizeof other) == 0; }
    };

    Envelope amplitudeEnvelope;
    Envelope pitchEnvelope;
    SampleRamp amplitude;
    SampleRamp levelRamp;
    float level = 0.0f;
    float tone = 0.0f;
    float gate = 0.0f;
    float pulse = 0.0f;
    float previousPulse = 0.0f;
    float phase = 0.0f;
    float frequency = 0.0f;
    RestInputs restsFor;
};
