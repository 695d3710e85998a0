#pragma once
// The fourth effect of the chain: a tempo-synced stereo delay, one line per
// channel with feedback of its own output, read at fractional positions.  Its
// times come from a table of note values; "Width" lengthens the left channel's
// time by up to 32 samples.  Time changes slide over 32 ms so that a new tempo
// or a turned knob bends the echoes instead of clicking.

#include <cstdint>

#include "core/TrackedFloatBuffer.h"
#include "effects/BWEffect.h"

class BWDoubleDelay : public BWEffect {
public:
    enum Parameter : uint32_t {
        kTimeLeft = 0, kTimeRight = 1, kDiff = 2, kFeedback = 3, kWidth = 4, kParameterCount = 5
    };

    // Host thread.  Ready to run at the owner's rate and tempo afterwards.
    BWDoubleDelay(uint32_t id, BWSystemInfo* owner, const NoteDivisionLists* valueLists = nullptr);
    ~BWDoubleDelay() override;

    void updateTiming() override;  // audio thread (tempo change): times only, nothing allocated
    // Host thread on a rate change: sizes and clears the lines.  At an
    // unchanged rate (the audio thread's pass after a tempo change) only the
    // times are re-applied.
    void prepare() override;
    void process(float* left, float* right, int32_t frames) override;  // audio thread
    void tick() override;                                               // audio thread
    void setMix(float mix) override;  // host/GUI thread: the wet level the core computes
    void getParameterDisplay(int32_t index, float value, char* text) override;

    // The delay targets in samples (right line, left line) and the loop gain,
    // as the audio side last derived them.
    float rightDelayTarget() const { return targetA; }
    float leftDelayTarget() const { return targetB; }
    float feedbackGain() const { return feedback; }
    uint32_t lineCapacity() const { return lineLength; }

private:
    // A time change that reaches its new value in a straight line.
    struct Slide {
        float lastTarget = 0.0f;
        float ticksLeft = 0.0f;
        float step = 0.0f;
        float smoothed = 0.0f;
        void advance(float target, float slideTicks);
    };

    static constexpr int32_t kNoteCount = 16;
    static const float kNoteDivisors[kNoteCount];

    void applyParameter(uint32_t index, float value) override;
    float noteDelay(float value) const;
    float clampToLine(float delay) const;
    void idle(int32_t frames);
    float readLine(const float* line, double delay) const;
    static constexpr int32_t kBlock = 16;  // the render routine's sub-block
    uint32_t wholeBehind(double delay) const;
    // Blocks of kBlock frames (nearly all) take a copy compiled for that
    // count, whose loops need no remainders.
    template <int32_t FixedFrames, bool Wide = false>
    void steadyChannel(float* line, float* audio, int32_t frames, double delay, float& out, const float* ramps,
                       const float* wets) const;
    // Both channels of a kBlock-frame block, as built for any x86-64 and as
    // built for AVX2 (the same operations in the same order, twice as many
    // frames a step, no fused multiply-adds), so the two agree bit for bit.
    void steadyBlock(float* left, float* right, float& ramp, float rampStep);
    void steadyBlockAvx2(float* left, float* right, float& ramp, float rampStep);
    void blockLevels(float* ramps, float* wets, int32_t frames, float& ramp, float rampStep);
    void chooseInputRamp(float& ramp, float& rampStep);

    std::atomic<float> wetTarget{0.48f};
    float currentMix = 0.0f;
    float mixStep = 0.0f;

    float targetA = 0.0f;
    Slide slideA;
    float delayA = 0.0f;
    float delayStepA = 0.0f;

    float feedback = 0.0f;

    float leftTime = 0.0f;  // samples, from "Time_Right"
    float widthSamples = 0.0f;
    float targetB = 0.0f;
    Slide slideB;
    double delayB = 0.0;
    double delayStepB = 0.0;

    // The line input's ramp runs through a tick however many calls the tick
    // takes: chosen at the tick's first call, carried on by the others.
    float inputRamp = 1.0f;
    float inputRampStep = 0.0f;
    int32_t inputRampFrames = kBlock;  // frames the ramp has run (kBlock: choose anew)

    float outLeft = 0.0f;
    float outRight = 0.0f;
    TrackedFloatBuffer lineLeft;
    TrackedFloatBuffer lineRight;
    uint32_t writeIndex = 0;
    uint32_t lineLength = 0;
    float preparedRate = 0.0f;  // the rate the lines were last sized for
};
