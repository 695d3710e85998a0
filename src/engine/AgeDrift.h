#pragma once
// "Age": a random drift that each voice's pitch (or each filter channel's
// cutoff) follows.  Every tick a new random target in [-1, 1) is drawn from
// the instance's shared noise generator, and the drift slides towards it over
// the drift time, so the drift is white noise smoothed with that time
// constant.  Audio thread.

#include "engine/LinearGlide.h"

class BWSystemInfo;

struct AgeSetting {
    float timeMs = 100.0f;  // 100 − 100 a^0.6, a = the value in steps of 0.01
    float depth = 0.0f;

    static AgeSetting forLayer(float value);   // depth 4 a semitones
    static AgeSetting forFilter(float value);  // depth 0.02 a of the cutoff range
};

class AgeDrift {
public:
    // Draws this tick's target from the generator and moves one tick.
    void tick(BWSystemInfo& system, const AgeSetting& setting);
    // The drift times the depth.
    float offset(const AgeSetting& setting) const { return glide.value * setting.depth; }
    float value() const { return glide.value; }

private:
    LinearGlide glide;
};
