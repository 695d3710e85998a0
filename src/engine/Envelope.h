#pragma once
// The engine's one envelope: linear, clocked once per 16-sample control tick,
// in the variants of the layer voices, the filter (per voice and shared), the
// kick's amplitude and pitch, and the master.  Times are milliseconds; a time
// of t ms lasts t × ticks-per-millisecond ticks (plus 1e-18, so that a time
// of 0 still divides).  Audio thread; plain arithmetic, no allocation.

#include <cstdint>

#include "engine/VoiceLanes.h"

struct EnvelopeTimes {
    float attackMs = 0.0f;
    float decayMs = 0.0f;
    float sustain = 0.0f;  // the layer variant scales it by the gate
    float releaseMs = 0.0f;
};

// The parameter mappings of the variants (v is the 0..1 parameter value).
EnvelopeTimes layerEnvelopeTimes(float attack, float decay, float sustain, float release);   // 2000 v³ ms
EnvelopeTimes filterEnvelopeTimes(float attack, float decay, float sustain, float release);  // 4000 v³ ms
EnvelopeTimes masterEnvelopeTimes(float attack, float release);  // 2000 v, no decay, 4000 v
EnvelopeTimes kickAmplitudeTimes();                              // falls over 160 ms
EnvelopeTimes kickPitchTimes();                                  // falls over 120 ms

inline float envelopeTicks(float ms, float ticksPerMs) { return ms * ticksPerMs + 1e-18f; }
// The times in ticks, as the eight-at-a-time kernels take them (inline:
// every tick of every layer that moves asks for them).
inline voicelanes::EnvelopeTicks envelopeTicksOf(const EnvelopeTimes& times, float ticksPerMs) {
    return {envelopeTicks(times.attackMs, ticksPerMs), envelopeTicks(times.decayMs, ticksPerMs),
            envelopeTicks(times.releaseMs, ticksPerMs), times.attackMs == 0.0f};
}

class Envelope {
public:
    enum class State : int32_t { Idle = 0, Attack = 1, Decay = 3, Sustain = 4, Release = 5, Finished = 6 };
    // The master variant ends its attack in sustain (it has no decay) and
    // continues an attack from its present level when re-opened; the others
    // restart from 0.
    enum class Kind : int32_t { Restarting, Master };

    explicit Envelope(Kind kind = Kind::Restarting) : kind(kind) {}

    // One tick with this tick's gate; peak and sustain level as the variant
    // gives them (a layer voice: peak = gate, sustain level = S × gate).  A
    // steady envelope whose gate stands holds still: checked here, inline,
    // so that most ticks of the master and the kick cost a comparison, not
    // a call (NaN never stands, and takes the whole tick).
    void tick(float gate, float peak, float sustainLevel, const EnvelopeTimes& times, float ticksPerMs) {
        if (gate == previousGate && isSteady()) return;
        advance(gate, peak, sustainLevel, times, ticksPerMs);
    }
    void clear();

    float getLevel() const { return level; }
    State getState() const { return state; }
    // Holding still until its gate moves: idle, sustaining or finished.
    bool isSteady() const { return state == State::Idle || state == State::Sustain || state == State::Finished; }
    // Steady at level 0.
    bool isClosed() const { return level == 0.0f && state != State::Attack && isSteady(); }

private:
    void advance(float gate, float peak, float sustainLevel, const EnvelopeTimes& times, float ticksPerMs);
    void startRelease(const EnvelopeTimes& times, float ticksPerMs);

    Kind kind;
    float level = 0.0f;
    float previousGate = 0.0f;
    float counter = 0.0f;  // ticks into the stage; the release step in Release
    State state = State::Idle;
};
