#pragma once
// The first effect of the chain: records the stereo signal into a ring of four
// beats and, once triggered, plays it back reversed in tempo-synced slices.
// Each slice plays the audio recorded just before it, backwards, shaped by a
// crossfade at its edges ("XFade") and a linear fade-out ("dec"), added to the
// dry signal with an equal-power mix that glides to its target.  Untriggered
// it leaves the signal alone but keeps recording.
//
// The ring's capacity is taken when the rate is prepared, for four beats at
// the slowest tempo, so that a tempo change only moves the ring's end.  The
// ring is listed with the owner's StateResetList, as the other effects'
// lines are: a load (a program change, the host's state, a preset) or a
// suspend clears it, so that nothing recorded before plays back after.

#include <immintrin.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/TrackedFloatBuffer.h"
#include "effects/BWEffect.h"

class BWReverserX2 : public BWEffect {
public:
    enum Parameter : uint32_t { kSize = 0, kXFade = 1, kDec = 2, kTrig = 3, kParameterCount = 4 };

    // Host thread.  Null valueLists selects the family views of list 2.
    BWReverserX2(uint32_t id, BWSystemInfo* owner, const NoteDivisionLists* valueLists = nullptr);
    ~BWReverserX2() override;

    void updateTiming() override;  // audio thread; allocates nothing
    // At a new rate: capacity for the slowest tempo, ring end, ring cleared.
    // At the rate already prepared only the tempo-dependent values follow.
    void prepare() override;
    void clear() override;  // host thread, or the audio thread between blocks
    void tick() override;   // audio thread
    void stop() override;   // playback ends at once; recording goes on
    void process(float* left, float* right, int32_t frames) override;  // audio thread
    // Indices 0 to 3; any other one changes nothing and is reported in the log.
    // "trig" comes from the engine on the audio thread.  Stores the raw value.
    void setParameter(uint32_t index, float value) override;
    void setMix(float level) override;  // the wet target; the mix law is applied in process

    float getSteps(int32_t index) const override;
    void getValueLabels(int32_t index, std::vector<std::string>& labels) const override;
    void getParameterDisplay(int32_t index, float value, char* text) override;

    // For the editor and tests: the audio side's state.
    bool isPlaying() const { return playing; }
    uint32_t getSliceLength() const { return sliceLength; }
    uint32_t getPendingSliceLength() const { return pendingSliceLength; }
    uint32_t getRingLength() const { return ringLength; }
    uint64_t getRingCapacity() const { return bufferLeft.getCapacity(); }
    const float* ringData() const { return bufferLeft.getData(); }

private:
    void applyParameter(uint32_t index, float value) override;
    void applySize(float value);
    void applyTrigger(float value);
    void startPlayback();
    void record(const float* left, const float* right, int32_t frames);
    void beginSlice(uint32_t blockStart, int32_t frame);
    void setSliceEnvelope();
    float envelope(float wet, uint32_t inSlice) const;
    static constexpr int32_t kChunk = 16;  // the render routine's sub-block
    float playWithinSlice(float* left, float* right, int32_t frames, float dryStart, float dryDelta, float wet,
                          float wetDelta, int32_t glided);
    void openMixGlide(int32_t frames);
    __m128 envelopes(__m128 wet, __m128i inSlice) const;
    float decayRun(float (&decays)[kChunk], int32_t frames) const;
    float decayStepFor(float decay) const;
    uint32_t sliceSamples(double beats) const;
    void zeroRing();

    float currentMix = 0.0f;
    float mixStep = 0.0f;
    // The equal-power pair's glide through a tick, however many calls the
    // tick takes: opened by the tick's first call (over the tick, or over a
    // longer call), carried on by the others.
    struct MixGlide {
        float dryStart = 1.0f;
        float dryDelta = 0.0f;
        float wet = 0.0f;       // the wet level of the last frame played
        float wetDelta = 0.0f;
        int32_t done = 0;       // frames of the glide played
        int32_t span = 0;       // frames it glides over; all played: open anew
    } mixGlide;
    TrackedFloatBuffer bufferLeft;
    TrackedFloatBuffer bufferRight;
    uint32_t ringLength = 1;
    // The render wrote into the ring since it was last silent.  Set by the
    // audio thread, read and cleared where the ring is cleared (the engine
    // held or not running), like the ring itself.
    bool captured = false;
    uint32_t writePos = 0;
    uint32_t readPos = 0;
    uint32_t slicePos = 0;
    float activeFade = 0.0f;
    uint32_t sliceLength = 100;
    uint32_t pendingSliceLength = 100;
    float trigValue = 0.0f;
    float fadeParameter = 0.0f;
    float decayParameter = 1.0f;
    float decayGain = 1.0f;
    float decayStep = 0.0f;
    bool playing = false;
    bool pendingRestart = false;
    bool firstSlice = true;
    // The crossfade of the slice in force: rise until riseEnd, fall after
    // fallStart, by slope per sample; a zero slope means no crossfade.
    int64_t riseEnd = 0;
    int64_t fallStart = 0;
    float fadeSlope = 0.0f;
    float preparedRate = 0.0f;
};
