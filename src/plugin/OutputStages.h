#pragma once
// The stages that work on the finished output: the master gain, the peak
// meter and the DC blocker on each flushed sub-block, the bypass fade on
// the host's block.  Plain loops; audio thread.

#include <cstdint>
#include <limits>

// y = x − x1 + pole × y1.  At 44.1 kHz the pole is 0.998, just inside the
// unit circle, which puts the blocker's corner near 14 Hz, below the kick's
// body (16 to 26 Hz).  At other rates the pole is 0.998^(44100 / rate), so
// that the corner stays there: a fixed pole would move it up with the rate
// (to 61 Hz at 192 kHz) and take the kick's body out with the DC.
struct DcBlocker {
    static constexpr float kPole = 0.998f;  // at kPoleRate
    static constexpr double kPoleRate = 44100.0;
    float x1 = 0.0f;
    float y1 = 0.0f;
    float pole = kPole;
    float poleRate = static_cast<float>(kPoleRate);  // the rate `pole` was worked out for

    // The pole for `sampleRate`; kPole itself at 44.1 kHz and at a rate that
    // is none.
    static float poleAt(float sampleRate);
    // Asked every host buffer: the pole is worked out again only when the
    // rate moves.
    void setRate(float sampleRate) {
        if (sampleRate != poleRate) {
            poleRate = sampleRate;
            pole = poleAt(sampleRate);
        }
    }
    void run(float* x, int32_t n);
    void clear() { x1 = y1 = 0.0f; }
    // Both channels in one pass, at the left one's pole: each sample waits
    // for the one before, so the two chains run side by side.
    static void runPair(DcBlocker& left, DcBlocker& right, float* l, float* r, int32_t n);
};

// A gain that follows a control value tick by tick: each tick it moves
// linearly from where the last tick left it to the tick's target, a step a
// sample, the tick's first sample already one step on.  A sample's gain
// depends only on its place in its tick, never on where a host block began
// or ended.  Audio thread.
struct TickRamp {
    float start = 0.0f;   // the target of the tick before
    float step = 0.0f;    // (target - start) / tick length
    float target = 0.0f;

    // Called once a tick, before its samples.
    void moveTo(float next, float tickReciprocal) {
        start = target;
        target = next;
        step = (target - start) * tickReciprocal;
    }
    bool steady() const { return start == target; }
    // The gain at sample `index` of the tick (0 is its first).
    float at(int32_t index) const { return start + step * static_cast<float>(index + 1); }
};

// Multiplies both channels by `gain` from sample `first` of its tick on
// (n samples, all in that tick).  A steady gain of 1 leaves them as they are.
void rampGain(float* left, float* right, int32_t n, const TickRamp& gain, int32_t first);

// The largest magnitude in the block; 0 for an empty one.
float peakOf(const float* x, int32_t n);

// Each channel's largest magnitude after the gain.
struct OutputEnd {
    float peakLeft;
    float peakRight;
};

// rampGain, peakOf on each channel and DcBlocker::runPair in one pass over
// two separate channels.  The blocker waits on a multiply and an add a
// sample; the gain and the peaks run in that wait instead of in passes of
// their own.  Sample by sample the arithmetic of the three stages in turn,
// to the bit.  (One buffer for both channels takes the stages in turn.)
OutputEnd gainMeterAndBlockDc(DcBlocker& left, DcBlocker& right, float* l, float* r, int32_t n, const TickRamp& gain,
                              int32_t first);

// Fades the output out when bypass is switched on and in when it is switched
// off, over `step`'s reciprocal samples; while bypassed the output is zero.
struct BypassFade {
    int32_t state = 0;  // 0 running, 1 bypassed
    bool fading = false;
    float position = 0.0f;
    float step = 1.0f / 512.0f;
    float stepRate = std::numeric_limits<float>::quiet_NaN();  // the rate `step` was worked out for (none yet)

    // 10 ms at the rate.  Asked every host buffer: the step is worked out
    // again only when the rate moves.
    void setRate(float sampleRate) {
        if (sampleRate != stepRate) stepFor(sampleRate);
    }
    // Starts a fade when the request differs from the state and none runs.
    void follow(bool bypassed);
    // Running and not fading, as nearly always, leaves the buffer as it is
    // without a call.
    void run(float* left, float* right, int32_t n) {
        if (state != 0 || fading) fade(left, right, n);
    }

private:
    void stepFor(float sampleRate);
    void fade(float* left, float* right, int32_t n);
};
