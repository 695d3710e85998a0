#include "plugin/ActivityLights.h"

namespace {

constexpr float kHoldMs = 600.0f;
constexpr float kPeakMs = 200.0f;
constexpr float kFadeMs = 400.0f;

float ticksOf(float ms, float ticksPerMs) { return ms * ticksPerMs + 1e-18f; }

}  // namespace

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

void ActivityLight::startDecay(float voice, float ticksPerMs) {
    phase = Phase::Decay;
    counter = ticksOf(kFadeMs, ticksPerMs);
    step = (brightness - voice) / counter;
}
