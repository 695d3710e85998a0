#include "engine/Envelope.h"

namespace {

float cubed(float v) { return v * v * v; }

}  // namespace

EnvelopeTimes layerEnvelopeTimes(float attack, float decay, float sustain, float release) {
    return {2000.0f * cubed(attack), 2000.0f * cubed(decay), sustain, 2000.0f * cubed(release)};
}

EnvelopeTimes filterEnvelopeTimes(float attack, float decay, float sustain, float release) {
    return {4000.0f * cubed(attack), 4000.0f * cubed(decay), sustain, 4000.0f * cubed(release)};
}

EnvelopeTimes masterEnvelopeTimes(float attack, float release) {
    return {2000.0f * attack, 0.0f, 1.0f, 4000.0f * release};
}

EnvelopeTimes kickAmplitudeTimes() { return {0.0f, 160.0f, 0.0f, 160.0f}; }

EnvelopeTimes kickPitchTimes() { return {0.0f, 120.0f, 0.0f, 120.0f}; }

void Envelope::clear() {
    level = 0.0f;
    previousGate = 0.0f;
    counter = 0.0f;
    state = State::Idle;
}

// The release falls from wherever the level stands, in the release time.
void Envelope::startRelease(const EnvelopeTimes& times, float ticksPerMs) {
    state = State::Release;
    counter = level / envelopeTicks(times.releaseMs, ticksPerMs);
}

void Envelope::advance(float gate, float peak, float sustainLevel, const EnvelopeTimes& times, float ticksPerMs) {
    const State attackEnd = kind == Kind::Master ? State::Sustain : State::Decay;
    if (gate != previousGate) {
        previousGate = gate;
        if (!(gate > 0.0f)) {
            startRelease(times, ticksPerMs);
            return;
        }
        state = State::Attack;
        counter = 0.0f;
        if (times.attackMs == 0.0f) {
            level = peak;
            state = attackEnd;
        } else if (kind == Kind::Master && level > 0.0f) {
            counter = level * envelopeTicks(times.attackMs, ticksPerMs);
        }
        return;
    }
    switch (state) {
    case State::Attack: {
        counter += 1.0f;
        const float attackTicks = envelopeTicks(times.attackMs, ticksPerMs);
        if (counter >= attackTicks) {
            state = attackEnd;
            counter = 0.0f;
            level = peak;
        } else {
            level = counter * peak / attackTicks;
        }
        break;
    }
    case State::Decay: {
        counter += 1.0f;
        const float decayTicks = envelopeTicks(times.decayMs, ticksPerMs);
        if (gate == 0.0f) {
            startRelease(times, ticksPerMs);
        } else if (counter >= decayTicks) {
            state = State::Sustain;
            counter = 0.0f;
            level = sustainLevel;
        } else {
            level = (peak - sustainLevel) * (1.0f - counter / decayTicks) + sustainLevel;
        }
        break;
    }
    case State::Release:
        level -= counter;
        if (level <= 0.0f) {
            level = 0.0f;
            state = State::Finished;
        }
        break;
    default:
        break;
    }
}
