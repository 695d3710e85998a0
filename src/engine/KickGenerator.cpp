#include "engine/KickGenerator.h"

#include <algorithm>
#include <cmath>

#include "core/BWSystemInfo.h"
#include "core/CurveTables.h"
#include "engine/SoftClip.h"

void KickGenerator::tick(double beatPosition, const BWSystemInfo& system) {
    // A position that is not a number, or beyond any song, counts as beat 0.
    const bool usable = std::fabs(beatPosition) < 1e15;
    const int64_t beat = usable ? static_cast<int64_t>(beatPosition) : 0;
    const float newGate = static_cast<float>(beat & 1) + 1.0f;
    pulse = newGate != gate ? newGate : 0.0f;
    gate = newGate;
    const float ticksPerMs = system.samplesPerMsPerTick;
    amplitudeEnvelope.tick(gate, 1.0f, 0.0f, kickAmplitudeTimes(), ticksPerMs);
    pitchEnvelope.tick(gate, 1.0f, 0.0f, kickPitchTimes(), ticksPerMs);
    const float a = amplitudeEnvelope.getLevel();
    amplitude.setTarget(a * a * ((beat & 1) ? 0.9f : 1.0f), system.tickReciprocal);
    levelRamp.setTarget(level, system.tickReciprocal);
    const float p = pitchEnvelope.getLevel();
    const float note = std::clamp(p * p * 36.0f + 8.0f * tone + 12.0f, 1.0f, 120.0f);
    frequency = system.noteFrequency(note);
}

// The running values live in locals while a tick's samples are made: kept in
// members, each store to `out` might have changed them as far as the
// compiler knows, and every sample would wait on memory.
void KickGenerator::render(float* out, int32_t n, const BWSystemInfo& system) {
    const float* sine = sineTables().sineTable.data();
    const float* slope = sineTables().sineSlopeTable.data();
    const float step = frequency * system.invRate;
    float p = phase;
    // Between beats the amplitude rests at 0: the kick is silent, but its
    // phase and level run on (a restart always comes with a rising amplitude).
    if (amplitude.current == 0.0f && amplitude.step == 0.0f) {
        for (int32_t i = 0; i < n; ++i) {
            p += step;
            if (p > 1.0f) p -= std::floor(p);
        }
        phase = p;
        levelRamp.advance(n);
        previousPulse = pulse;
        std::fill_n(out, n, 0.0f);
        return;
    }
    // A restart comes at the first sample of a tick whose pulse rose, if at
    // all: afterwards the previous pulse is this one.
    bool restart = pulse > 0.0f && !(previousPulse > 0.0f);
    if (n > 0) previousPulse = pulse;
    // At level 0 every sample is 0; the phase and the amplitude run on,
    // restarts and all, so that a level turned up finds them where they
    // would be.
    if (levelRamp.current == 0.0f && levelRamp.step == 0.0f) {
        for (int32_t i = 0; i < n; ++i) {
            p += step;
            if (p > 1.0f) p -= std::floor(p);
            if (restart) p = 1024.0f;
            restart = false;
        }
        phase = p;
        amplitude.advance(n);
        std::fill_n(out, n, 0.0f);
        return;
    }
    SampleRamp a = amplitude;
    SampleRamp d = levelRamp;
    const float t = tone;
    for (int32_t i = 0; i < n; ++i) {
        const float gain = a.next();
        const float level = d.next();
        p += step;
        if (p > 1.0f) p -= std::floor(p);  // one wrap, however far the restart put it
        // The restart sample is the new stroke's zero: its attack's first
        // gain on the old stroke's phase was a one-sample spike, which at
        // high rates stands far above the smooth wave around it.
        const float s = restart ? 0.0f : lookupWave(sine, slope, p * 1024.0f);
        if (restart) p = 1024.0f;  // restart from 0 at the next sample
        restart = false;
        out[i] = softClip(gain * s * ((s - 1.0f) * t + 1.0f) * level);
    }
    phase = p;
    amplitude = a;
    levelRamp = d;
}
