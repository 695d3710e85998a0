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

void KickGenerator::render(float* out, int32_t n, const BWSystemInfo& system) {
    const float* sine = sineTables().sineTable.data();
    const float* slope = sineTables().sineSlopeTable.data();
    const float step = frequency * system.invRate;
    // Between beats the amplitude rests at 0: the kick is silent, but its
    // phase and level run on (a restart always comes with a rising amplitude).
    if (amplitude.current == 0.0f && amplitude.step == 0.0f) {
        for (int32_t i = 0; i < n; ++i) {
            phase += step;
            if (phase > 1.0f) phase -= std::floor(phase);
        }
        levelRamp.advance(n);
        previousPulse = pulse;
        std::fill_n(out, n, 0.0f);
        return;
    }
    // At level 0 every sample is 0; the phase and the amplitude run on,
    // restarts and all, so that a level turned up finds them where they
    // would be.
    if (levelRamp.current == 0.0f && levelRamp.step == 0.0f) {
        for (int32_t i = 0; i < n; ++i) {
            phase += step;
            if (phase > 1.0f) phase -= std::floor(phase);
            if (pulse > 0.0f && !(previousPulse > 0.0f)) phase = 1024.0f;
            previousPulse = pulse;
        }
        amplitude.advance(n);
        std::fill_n(out, n, 0.0f);
        return;
    }
    for (int32_t i = 0; i < n; ++i) {
        const float a = amplitude.next();
        const float d = levelRamp.next();
        phase += step;
        if (phase > 1.0f) phase -= std::floor(phase);  // one wrap, however far the restart put it
        const bool restart = pulse > 0.0f && !(previousPulse > 0.0f);
        // The restart sample is the new stroke's zero: its attack's first
        // gain on the old stroke's phase was a one-sample spike, which at
        // high rates stands far above the smooth wave around it.
        const float s = restart ? 0.0f : lookupWave(sine, slope, phase * 1024.0f);
        if (restart) phase = 1024.0f;  // restart from 0 at the next sample
        previousPulse = pulse;
        out[i] = softClip(a * s * ((s - 1.0f) * tone + 1.0f) * d);
    }
}
