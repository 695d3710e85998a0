#include "engine/KickGenerator.h"

#include <algorithm>
#include <cmath>

#include "core/BWSystemInfo.h"
#include "core/CurveTables.h"
#include "engine/SoftClip.h"

namespace {

constexpr int32_t kChunk = 16;

}  // namespace

void KickGenerator::tick(double beatPosition, const BWSystemInfo& system) {
    // A position that is not a number, or beyond any song, counts as beat 0.
    const bool usable = std::fabs(beatPosition) < 1e15;
    const int64_t beat = usable ? static_cast<int64_t>(beatPosition) : 0;
    const float newGate = static_cast<float>(beat & 1) + 1.0f;
    pulse = newGate != gate ? newGate : 0.0f;
    gate = newGate;
    // Between strokes, with nothing else moved, a tick would leave every
    // value as it stands: the envelopes hold, the ramps stay at their targets.
    const RestInputs inputs = {gate, level, tone, system.samplesPerMsPerTick, system.tickReciprocal};
    if (restsFor == inputs) return;
    restsFor = {};
    const float ticksPerMs = system.samplesPerMsPerTick;
    amplitudeEnvelope.tick(gate, 1.0f, 0.0f, kickAmplitudeTimes(), ticksPerMs);
    pitchEnvelope.tick(gate, 1.0f, 0.0f, kickPitchTimes(), ticksPerMs);
    const float a = amplitudeEnvelope.getLevel();
    amplitude.setTarget(a * a * ((beat & 1) ? 0.9f : 1.0f), system.tickReciprocal);
    levelRamp.setTarget(level, system.tickReciprocal);
    const float p = pitchEnvelope.getLevel();
    const float note = std::clamp(p * p * 36.0f + 8.0f * tone + 12.0f, 1.0f, 120.0f);
    frequency = system.noteFrequency(note);
    if (amplitudeEnvelope.isSteady() && pitchEnvelope.isSteady() && amplitude.step == 0.0f && levelRamp.step == 0.0f)
        restsFor = inputs;
}

// The running values live in locals while a tick's samples are made: kept in
// members, each store to `out` might have changed them as far as the
// compiler knows, and every sample would wait on memory.
void KickGenerator::render(float* out, int32_t n, const BWSystemInfo& system) {
    const float step = frequency * system.invRate;
    // Between beats the amplitude rests at 0: the kick is silent and its
    // level runs on.  Its phase is left where it stands: the amplitude rises
    // again only with a new stroke, whose restart sample drops the phase
    // unheard (see the restart below), so no sample could tell.
    if (amplitude.current == 0.0f && amplitude.step == 0.0f) {
        levelRamp.advance(n);
        previousPulse = pulse;
        std::fill_n(out, n, 0.0f);
        return;
    }
    // Fetched once and only when sounding: each call checks the table's
    // first use, and a resting kick needs no table at all.
    const SineTables& tables = sineTables();
    const float* sine = tables.sineTable.data();
    const float* slope = tables.sineSlopeTable.data();
    float p = phase;
    // A restart comes at the first sample of a tick whose pulse rose, if at
    // all: afterwards the previous pulse is this one.
    bool restart = pulse > 0.0f && !(previousPulse > 0.0f);
    if (n > 0) previousPulse = pulse;
    // At level 0 every sample is 0; the phase and the amplitude run on,
    // restarts and all, so that a level turned up finds them where they
    // would be.
    if (levelRamp.current == 0.0f && levelRamp.step == 0.0f) {
        int32_t i = 0;
        if (restart && n > 0) p = 1024.0f, i = 1;  // see the restart below
        for (; i < n; ++i) {
            p += step;
            if (p > 1.0f) p -= std::floor(p);
        }
        phase = p;
        amplitude.advance(n);
        std::fill_n(out, n, 0.0f);
        return;
    }
    // The recursions and the table reads first, sample by sample; then the
    // shaping, four samples at a time.
    SampleRamp a = amplitude;
    SampleRamp d = levelRamp;
    for (int32_t done = 0; done < n; done += kChunk) {
        const int32_t count = std::min(kChunk, n - done);
        alignas(16) float gains[kChunk], waves[kChunk], levels[kChunk];
        int32_t i = 0;
        if (restart) {
            // The restart sample is the new stroke's zero: its attack's first
            // gain on the old stroke's phase was a one-sample spike, which at
            // high rates stands far above the smooth wave around it.  The
            // phase starts from 0 at the next sample.
            gains[0] = a.next();
            levels[0] = d.next();
            waves[0] = 0.0f;
            p = 1024.0f;
            restart = false;
            i = 1;
        }
        // The table reads stay in this loop: taken four at a time in a pass
        // of their own (the same bits) they measured slower, the stores and
        // loads between the passes costing more than the shared conversions
        // spare.
        for (; i < count; ++i) {
            gains[i] = a.next();
            levels[i] = d.next();
            p += step;
            if (p > 1.0f) p -= std::floor(p);  // one wrap, however far the restart put it
            waves[i] = lookupWave(sine, slope, p * 1024.0f);
        }
        shape(out + done, gains, waves, levels, count);
    }
    phase = p;
    amplitude = a;
    levelRamp = d;
}

// softClip(gain s ((s - 1) tone + 1) level), the tone blending the sine
// into its square.
void KickGenerator::shape(float* out, const float* gains, const float* waves, const float* levels, int32_t n) const {
    const float t = tone;
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const Float4 s = load4(waves + i);
        store4(out + i, softClip4(load4(gains + i) * s * ((s - 1.0f) * t + 1.0f) * load4(levels + i)));
    }
    for (; i < n; ++i) out[i] = softClip(gains[i] * waves[i] * ((waves[i] - 1.0f) * t + 1.0f) * levels[i]);
}
