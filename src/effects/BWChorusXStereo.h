#pragma once
// The second effect of the chain: a four-voice stereo chorus.  Each channel,
// scaled by 1/sqrt(3) and lightly filtered, feeds a short delay line read by
// two voices whose read positions swing around a centre delay under two slow
// sine oscillators of unrelated rates; a channel's two voices join its scaled
// dry signal and the sum is mixed with the input by a gliding wet level.

#include <array>
#include <cstdint>

#include <immintrin.h>

#include "core/TrackedFloatBuffer.h"
#include "effects/BWEffect.h"
#include "effects/WideKernels.h"

class alignas(16) BWChorusXStereo : public BWEffect {
public:
    enum Parameter : uint32_t { kRate = 0, kDepth = 1, kParameterCount = 2 };
    static constexpr int kVoices = 4;  // voices 0 and 1 read the left channel's line, 2 and 3 the right's
    static constexpr int kLines = 2;   // one line a channel, left first

    // Host thread.  The chorus uses no value list.
    BWChorusXStereo(uint32_t id, BWSystemInfo* owner, const NoteDivisionLists* valueLists = nullptr);
    ~BWChorusXStereo() override;

    // Lines of 1000 samples at 44.1 kHz scaled to the rate; they grow (and are
    // cleared) only when the rate needs more than they hold, and otherwise
    // keep their contents.  Host thread, or the audio thread at an unchanged rate.
    void prepare() override;
    void tick() override;                                              // audio thread
    void process(float* left, float* right, int32_t frames) override;  // audio thread
    void setMix(float level) override;                                 // host/GUI thread
    void getParameterDisplay(int32_t index, float value, char* text) override;  // "todo"; GUI thread

    // For tests.  Any thread.
    int32_t getLineLength() const { return lineLength; }
    const float* lineData(int line) const { return lines[line].getData(); }

private:
    // A block, with the delays held to the line's limits or (where they
    // cannot reach them) not, and with a check for a near tap at the line's
    // start or (where none can sit there) without.
    template <bool Hold, bool MayReachStart>
    void run(float* left, float* right, int32_t frames);
    // run<false, MayReachStart> on machines with AVX2: two frames' voices a
    // step in one vector, each lane with the operations of run's, nothing
    // fused, so that both give the same bits.
    template <bool MayReachStart>
    [[gnu::target("avx2")]] void runFreeAvx2(float* left, float* right, int32_t frames);
    // The same block given AVX-512VL's registers (the same bits out).  Its
    // target stands on this declaration too: without it GCC 12 built the
    // template for the baseline and refused to inline the AVX2 body.
    template <bool MayReachStart>
    [[gnu::target(ZORVANE_WIDE_TARGET)]] void runFreeWide(float* left, float* right, int32_t frames);
    // The body of both, inlined into each.
    template <bool MayReachStart>
    [[gnu::target("avx2")]] void freeBlock(float* left, float* right, int32_t frames);
    bool mayReachStart(__m128 low, __m128 high, int32_t frames) const;
    static constexpr int32_t kChunk = 16;  // the render routine's sub-block
    static void mixVoices(float* left, float* right, const float (*voices)[kVoices], const float* levels,
                          int32_t count);
    void applyParameter(uint32_t index, float value) override;
    void applyRate(float value);
    void applyDepth(float value);
    float sine(float phase) const;
    // Advances an oscillator by one tick and answers its swing at the new phase.
    float advance(float& phase, float rate, float swing) const;

    // The shared sine table and its slopes, which live as long as the
    // program: looked up once here instead of twice an oscillator a tick.
    const float* sineTable;
    const float* sineSlope;
    std::atomic<float> wetTarget{1.0f};
    float currentMix = 0.0f;
    float mixStep = 0.0f;
    float samplesPerMs = 0.0f;
    float lfoRate1 = 0.0f;  // cycles per second
    float centre1 = 0.0f;   // samples
    float swing1 = 0.0f;
    float phase1 = 0.0f;    // 0..1
    float lfoRate2 = 0.0f;
    float centre2 = 0.0f;
    float swing2 = 0.0f;
    float phase2 = 0.0f;
    alignas(16) std::array<float, kVoices> currentDelay{};
    alignas(16) std::array<float, kVoices> delayStep{};
    float filterLeft = 0.0f;
    float filterRight = 0.0f;
    int32_t writeIndex = 0;
    int32_t lineLength = 1000;
    std::array<TrackedFloatBuffer, kLines> lines;
};
