#pragma once
// The filter's comb type on one channel: a delay line of half a period of
// the cutoff, fed back inverted by the resonance through a soft clip, read
// between two taps and smoothed by a one-pole low pass at 6 kHz.  A new
// delay is reached over 56 ms.  The line belongs to whoever owns the engine
// (sized with its rate preparation, off the audio thread); the comb only
// writes into the line it is given.
//
// setLine and prepare are for the host thread; the rest for the audio thread.

#include <algorithm>
#include <cstdint>
#include <span>

#include "engine/SoftClip.h"

class BWSystemInfo;

class CombFilter {
public:
    // An empty or tiny line gives a silent comb.
    void setLine(std::span<float> storage);
    // The output low pass for the rate (min(rate, 6000) Hz, bilinear).
    void prepare(float sampleRate);
    void clear();

    // Once per tick: the glide's count, before a new delay is asked for.
    void tick(float resonanceFeedback) {
        feedback = resonanceFeedback;
        if (delayTicks > 0.0f) {
            delayTicks -= 1.0f;
            if (delayTicks <= 0.0f) {
                delay = delayTarget;
                delayStep = 0.0f;
            }
        }
    }
    // Half a period of hz, reached over 56 ms.
    void follow(float hz, const BWSystemInfo& system);

    bool hasLine() const { return line != nullptr; }
    // Still on its way to a new delay: its ticks count down.
    bool isGliding() const { return delayTicks > 0.0f; }
    // One sample through the comb.  Only with a line.
    float process(float u) {
        const int32_t length = lineLength;
        delay += delayStep;
        const float w = u + feedback * previousOutput;
        line[writeIndex] = softClip(w);
        const float d = std::clamp(delay, 0.0f, static_cast<float>(length - 2));
        const int32_t whole = static_cast<int32_t>(d);
        int32_t read = writeIndex - whole;
        if (read < 0) read += length;
        const int32_t before = read == 0 ? length - 1 : read - 1;
        const float v = line[read] + (line[before] - line[read]) * (d - static_cast<float>(whole));
        if (++writeIndex >= length) writeIndex = 0;
        const float t = (v - lowPassState * gMinusOne) * invOnePlusG;
        const float out = (t + lowPassState) * g;
        lowPassState = t;
        previousOutput = out;
        return out;
    }

    float getDelay() const { return delay; }

private:
    float* line = nullptr;
    int32_t lineLength = 0;
    int32_t writeIndex = 0;
    float delay = 1.0f;       // samples
    float delayTarget = 1.0f;
    float delayStep = 0.0f;   // per sample
    float delayTicks = 0.0f;  // ticks left in the glide
    float feedback = 0.0f;
    float previousOutput = 0.0f;
    float lowPassState = 0.0f;
    float g = 0.0f, invOnePlusG = 1.0f, gMinusOne = -1.0f;
};
