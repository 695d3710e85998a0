#pragma once
// The eight activity lights of the interface, clocked by the render
// routine's ticks.  The editor sets each light's gate and source value and
// reads back the latched value and the displayed value; the render routine
// drives the brightness from the voice each light stands for.
//
// Audio thread (tick); the editor's fields are plain floats read and written
// from the GUI thread.

#include <array>
#include <cstdint>

struct ActivityLight {
    // Set by the editor.
    float gate = 0.0f;
    float source = 0.0f;
    // Read by the editor.
    float latched = 0.0f;
    float display = 0.0f;

    float lastGate = 0.0f;
    float hold = 0.0f;
    float holdStep = 0.0f;
    // Brightness: instant rise to 1, 200 ms at 1, 400 ms down to the voice's
    // value, 400 ms down to 0 once the voice is silent.
    enum class Phase : int32_t { Off, Hold, Decay, Sustain, Release } phase = Phase::Off;
    float brightness = 0.0f;
    float lastVoice = 0.0f;
    float counter = 0.0f;
    float step = 0.0f;

    // Inline with its course: the render ticks eight lights every tick, and
    // most ticks take only the check and a step of the course.
    void tick(float voiceValue, float ticksPerMs) {
        // No gate change, no hold running and the voice unchanged: neither
        // the latch nor the brightness has a turn to take, only the
        // brightness's course runs on (off or following the voice it rests).
        if (gate == lastGate && !(hold > 0.0f) && voiceValue == lastVoice) {
            if (hold < 0.0f) latched = 0.0f;
            if (phase != Phase::Off && phase != Phase::Sustain) follow(voiceValue, ticksPerMs);
        } else {
            latch(ticksPerMs);
            bright(voiceValue, ticksPerMs);
        }
        display = source > 0.0f ? brightness * 255.0f : 0.0f;
    }

private:
    void latch(float ticksPerMs);
    void bright(float voiceValue, float ticksPerMs);
    // The brightness's course through its phases for a tick.
    void follow(float voiceValue, float ticksPerMs) {
        switch (phase) {
            case Phase::Hold:
                if ((counter -= 1.0f) <= 0.0f) startDecay(voiceValue, ticksPerMs);
                break;
            case Phase::Decay:
                brightness -= step;
                if ((counter -= 1.0f) <= 0.0f) {
                    brightness = voiceValue;
                    phase = Phase::Sustain;
                }
                break;
            case Phase::Sustain: brightness = voiceValue; break;
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
    void startDecay(float voiceValue, float ticksPerMs);
};

// The lights are kept one by one: as side-by-side arrays taken four at a
// time where nothing new reaches them (the same bits), they spared about 50
// of some 280 instructions a tick and no time that could be measured, since
// while a phrase plays most lights are in a course that moves.
struct ActivityLights {
    static constexpr int kLights = 8;
    std::array<ActivityLight, kLights> lights{};

    void tick(const std::array<float, kLights>& voices, float ticksPerMs) {
        for (int i = 0; i < kLights; ++i) lights[i].tick(voices[i], ticksPerMs);
    }
};
