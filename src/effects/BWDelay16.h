#pragma once
// The fifth effect of the chain, the alternative to the double delay: a
// stereo delay whose times are whole numbers of sixteenth notes (1 to 16),
// with a soft saturator inside each feedback loop and a wet level that
// crossfades with the dry signal.  The lines always run, even at level 0, so
// that switching between the two delays finds this one's echoes in place.

#include <cstdint>

#include "core/TrackedFloatBuffer.h"
#include "effects/BWEffect.h"

class BWDelay16 : public BWEffect {
public:
    enum Parameter : uint32_t { kDelayLeft = 0, kDelayRight = 1, kFeedback = 2, kParameterCount = 3 };

    // Host thread.  Ready to run at the owner's rate and tempo afterwards.
    BWDelay16(uint32_t id, BWSystemInfo* owner, const NoteDivisionLists* valueLists = nullptr);
    ~BWDelay16() override;

    void updateTiming() override;  // audio thread (tempo change): lengths and times only
    // Host thread on a rate change: sizes the lines for the slowest tempo, so
    // that the audio thread's pass after a tempo change never allocates.
    void prepare() override;
    void process(float* left, float* right, int32_t frames) override;  // audio thread
    void tick() override;                                               // audio thread
    void setMix(float mix) override;  // host/GUI thread: the wet level the core computes
    void getParameterDisplay(int32_t index, float value, char* text) override;

    // The delay targets in samples, the loop gain and the ring in use, as the
    // audio side last derived them.
    double leftDelayTarget() const { return targetLeft; }
    double rightDelayTarget() const { return targetRight; }
    float feedbackGain() const { return feedback; }
    uint32_t ringSamples() const { return ringLength; }

private:
    void applyParameter(uint32_t index, float value) override;
    double sixteenthsDelay(float value) const;
    static constexpr int32_t kBlock = 16;  // the render routine's sub-block
    bool contiguousReads(uint32_t w, int32_t frames, float delay, uint32_t& first, float& fraction) const;
    // Blocks of kBlock frames (nearly all) take a copy compiled for that
    // count, whose loops need no remainders.
    template <int32_t FixedFrames, bool Wide = false>
    void steadyChannel(float* line, float* audio, int32_t frames, float delay, float& out,
                       const float* wetGains) const;
    // Both channels of a kBlock-frame block, as built for any x86-64 and as
    // built for AVX2 (the same operations in the same order, twice as many
    // frames a step, no fused multiply-adds), so the two agree bit for bit.
    void steadyBlock(float* left, float* right);
    void steadyBlockAvx2(float* left, float* right);
    void steadyBlockWide(float* left, float* right);  // AVX-512VL
    void wetLevels(float* wetGains, int32_t frames);

    double targetLeft = 0.0;
    double targetRight = 0.0;
    float feedback = 0.0f;
    std::atomic<float> wetTarget{0.0f};
    uint32_t writeIndex = 0;
    uint32_t ringLength = 0;
    float outLeft = 0.0f;
    float outRight = 0.0f;

    // Gliding values and their per-sample steps.
    float wet = 0.0f;
    float wetStep = 0.0f;
    float delayLeft = 0.0f;
    float delayLeftStep = 0.0f;
    float delayRight = 0.0f;
    float delayRightStep = 0.0f;

    TrackedFloatBuffer lineLeft;
    TrackedFloatBuffer lineRight;
};
