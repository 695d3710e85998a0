#pragma once
// A value that slides in a straight line to a target over a number of ticks:
// the filter envelope's 3 ms glide and the "Age" drift of pitch and cutoff.
// Audio thread; plain arithmetic.

struct LinearGlide {
    float value = 0.0f;
    float target = 0.0f;
    float step = 0.0f;
    float counter = 0.0f;

    // A new target restarts the slide from the present value; a target equal
    // to the present one changes nothing.  Over 0 ticks or less the value
    // jumps.
    void retarget(float newTarget, float ticks) {
        if (newTarget == target) return;
        target = newTarget;
        if (!(ticks > 0.0f)) {
            value = newTarget;
            step = 0.0f;
            counter = 0.0f;
            return;
        }
        counter = ticks;
        step = (value - newTarget) / ticks;
    }

    // One tick along the slide; lands on the target when the ticks run out.
    void advance() {
        if (value == target) return;
        value -= step;
        counter -= 1.0f;
        if (counter <= 0.0f) {
            value = target;
            step = 0.0f;
        }
    }
};
