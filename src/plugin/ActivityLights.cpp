#include "plugin/ActivityLights.h"

namespace {

constexpr float kHoldMs = 600.0f;
constexpr float kPeakMs = 200.0f;
constexpr float kFadeMs = 400.0f;

float ticksOf(float ms, float ticksPerMs) { return ms * ticksPerMs + 1e-18f; }

}  // namespace

void ActivityLight::tick(float voiceValue, float ticksPerMs) {
    // No gate change, no hold running and the voice unchanged: neither the
    // latch nor the brightness has a turn to take, only the brightness's
    // course runs on (off or following the voice it rests).
    if (gate == lastGate && !(hold > 0.0f) && voiceValue == lastVoice) {
        if (hold < 0.0f) latched = 0.0f;
        if (phase != Phase::Off && phase != Phase::Sustain) follow(voiceValue, ticksPerMs);
        display = source > 0.0f ? brightness * 255.0f : 0.0f;
        return;
    }
    latch(ticksPerMs);
    bright(voiceValue, ticksPerMs);
    display = source > 0.0f ? brightness * 255.0f : 0.0f;
}

void ActivityLight::latch(float ticksPerMs) {
    if (gate != lastGate) {
        lastGate = gate;
        latched = source;
        if (gate != 0.0f) {
            hold = 1.0f;
            holdStep = 1.0f / ticksOf(kHoldMs, ticksPerMs);
        }
        return;
    }
    if (hold > 0.0f) hold -= holdStep;
    if (hold < 0.0f) latched = 0.0f;
}

void ActivityLight::bright(float voice, float ticksPerMs) {
    if (voice > 0.0f && lastVoice == 0.0f) {
        brightness = 1.0f;
        phase = Phase::Hold;
        counter = ticksOf(kPeakMs, ticksPerMs);
    } else if (voice == 0.0f && lastVoice > 0.0f) {
        phase = Phase::Release;
        step = brightness / ticksOf(kFadeMs, ticksPerMs);
    }
    lastVoice = voice;
    follow(voice, ticksPerMs);
}

void ActivityLight::follow(float voice, float ticksPerMs) {
    switch (phase) {
        case Phase::Hold:
            if ((counter -= 1.0f) <= 0.0f) {
                phase = Phase::Decay;
                counter = ticksOf(kFadeMs, ticksPerMs);
                step = (brightness - voice) / counter;
            }
            break;
        case Phase::Decay:
            brightness -= step;
            if ((counter -= 1.0f) <= 0.0f) {
                brightness = voice;
                phase = Phase::Sustain;
            }
            break;
        case Phase::Sustain: brightness = voice; break;
        case Phase::Release:
            brightness -= step;
            if (brightness <= 0.0f) {
                brightness = 0.0f;
                phase = Phase::Off;
            }
            break;
        case Phase::Off: break;
    }
}
