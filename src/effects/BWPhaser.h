#pragma once
// The third effect of the chain: a stereo phaser of up to eight first-order
// all-pass stages per channel with feedback from the cascade's output to its
// input.  One oscillator sweeps the break frequency of every stage between
// 880 Hz and 3200 Hz, the right channel's a settable phase ahead; it runs
// freely or locked to a tempo value list.  The phased signal joins 0.75 times
// the input and is cross-faded with the dry input by a gliding wet level.
// While the wet level is and stays at 0 the phaser does no work at all.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <immintrin.h>

#include "effects/BWEffect.h"

class BWPhaser : public BWEffect {
public:
    enum Parameter : uint32_t {
        kRate = 0, kFeedback = 1, kDepth = 2, kStages = 3, kWidth = 4, kParameterCount = 5
    };
    static constexpr int kMaxStages = 8;

    // Host thread.  Null valueLists selects the family views of list 1.
    BWPhaser(uint32_t id, BWSystemInfo* owner, const NoteDivisionLists* valueLists = nullptr);
    ~BWPhaser() override;

    void updateTiming() override;  // re-applies "Rate"; audio thread
    // At a new rate: sweep limits, rate, cleared stages.  At the rate already
    // prepared only "Rate" follows the tempo.
    void prepare() override;
    void clear() override;    // stages and feedback to silence
    int32_t reset() override; // oscillator to phase 0, stages cleared, one tick; answers 1
    void tick() override;     // audio thread
    void process(float* left, float* right, int32_t frames) override;           // audio thread
    void processAlternate(float* left, float* right, int32_t frames) override;  // audio thread
    // Mode 1 locks "Rate" to the tempo from the next time "Rate" is derived.
    void setSyncMode(int32_t index, int32_t mode) override;   // host/GUI thread
    void setMix(float level) override;                        // the wet target

    float getSteps(int32_t index) const override;
    void getValueLabels(int32_t index, std::vector<std::string>& labels) const override;
    void getParameterDisplay(int32_t index, float value, char* text) override;

    // For tests: the audio side's values.
    int32_t getStageCount() const { return stageCount; }
    float getFeedback() const { return feedback; }
    float getLfoIncrement() const { return lfoIncrement; }
    float getLfoPhase() const { return lfoPhase; }
    float getCoefficient(int channel, int stage) const {
        return channel == 0 ? coeffLeft[stage] : coeffRight[stage];
    }

private:
    void applyParameter(uint32_t index, float value) override;
    void applyRate(float value);
    void applyStages(float value);
    __m128 coefficientsAt(float leftPhase, float rightPhase) const;  // left in lane 0, right in lane 1
    // A block through both cascades, crossfaded with the dry input or not;
    // with fused multiply-adds where the machine has them, given AVX-512VL's
    // registers where it has those too (the same bits out).
    void runBlock(float* left, float* right, int32_t frames, bool crossfade);
    template <bool Fused>
    void run(float* left, float* right, int32_t frames, bool crossfade);
    template <bool Fused, int32_t Stages>
    void runStages(float* left, float* right, int32_t frames, bool crossfade);
    void runFused(float* left, float* right, int32_t frames, bool crossfade);
    template <int32_t Stages>
    void runPaired(float* left, float* right, int32_t frames, bool crossfade);
    template <int32_t Stages>
    void runPairedWide(float* left, float* right, int32_t frames, bool crossfade);  // AVX-512VL
    template <int32_t Stages>
    void runPairedOn(bool wide, float* left, float* right, int32_t frames, bool crossfade);
    template <int32_t Stages, bool ConstantsInRegisters>
    void pairedBlock(float* left, float* right, int32_t frames, bool crossfade);
    void mixPhased(float* left, float* right, const float* phased, int32_t count, bool crossfade);
    void registerState();
    void unregisterState();

    std::array<float, kMaxStages> coeffLeft{};
    std::array<float, kMaxStages> stateLeft{};
    std::array<float, kMaxStages> coeffRight{};
    std::array<float, kMaxStages> stateRight{};
    float sweepMin = 0.0f;
    float sweepMax = 0.0f;
    float feedback = 0.0f;
    float lfoPhase = 0.0f;
    float lfoIncrement = 0.0f;
    float depth = 0.0f;
    float width = 0.0f;
    float feedbackLeft = 0.0f;
    float feedbackRight = 0.0f;
    std::atomic<int32_t> syncMode{0};
    int32_t stageCount = 0;
    float currentMix = 0.0f;
    float mixStep = 0.0f;
    float preparedRate = 0.0f;
};
