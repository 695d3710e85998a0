#include "effects/BWPhaser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/BWSystemInfo.h"
#include "core/StateResetList.h"
#include "core/ValueLists.h"
#include "platform/CpuFeatures.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kSweepLowHz = 880.0f;
constexpr float kSweepHighHz = 3200.0f;
// Added in the stages and at the output so that the recursive states never
// decay into denormal values.
constexpr float kStageOffset = 1e-10f;
constexpr float kOutputOffset = 7.5e-11f;
constexpr float kDryInPhased = 0.75f;

}  // namespace

BWPhaser::BWPhaser(uint32_t id, BWSystemInfo* owner, const NoteDivisionLists* lists)
    : BWEffect(id, kParameterCount, owner, lists ? lists : &ValueLists::instance().divisions(1)) {
    setName("Phaser");
    setParameterName(kRate, "Rate");
    setParameterName(kFeedback, "Feedback");
    setParameterName(kDepth, "Depth");
    setParameterName(kStages, "Stages");
    setParameterName(kWidth, "Width");
    syncMode.store(0, std::memory_order_relaxed);
    setParameter(kRate, 0.2f);
    setParameter(kFeedback, 0.7f);
    setParameter(kDepth, 0.7f);
    setParameter(kStages, 0.7f);
    setParameter(kWidth, 0.5f);
    takeParameters();
    lfoPhase = 0.0f;
    lfoIncrement = 0.0f;
    width = 0.0f;
    currentMix = 0.0f;
    mixStep = 0.0f;
    clear();
    prepare();
    setMix(0.0f);
    registerState();
    joinOwnerList();
}

BWPhaser::~BWPhaser() {
    unregisterState();
    leaveOwnerList();
}

void BWPhaser::registerState() {
    if (!stateRegistry) return;
    for (auto* block : {&coeffLeft, &stateLeft, &coeffRight, &stateRight})
        stateRegistry->append(block->data(), sizeof(*block), 0.0f);
    stateRegistry->append(&feedbackLeft, sizeof(feedbackLeft), 0.0f);
    stateRegistry->append(&feedbackRight, sizeof(feedbackRight), 0.0f);
}

void BWPhaser::unregisterState() {
    if (!stateRegistry) return;
    for (auto* block : {&coeffLeft, &stateLeft, &coeffRight, &stateRight})
        stateRegistry->remove(block->data());
    stateRegistry->remove(&feedbackLeft);
    stateRegistry->remove(&feedbackRight);
}

void BWPhaser::updateTiming() { retakeParameter(kRate); }

void BWPhaser::prepare() {
    if (owner->sampleRate == preparedRate) {
        updateTiming();
        return;
    }
    preparedRate = owner->sampleRate;
    sweepMin = kSweepLowHz / owner->sampleRate;
    sweepMax = kSweepHighHz / owner->sampleRate;
    updateTiming();
    clear();
}

void BWPhaser::clear() {
    coeffLeft.fill(0.0f);
    stateLeft.fill(0.0f);
    coeffRight.fill(0.0f);
    stateRight.fill(0.0f);
    feedbackLeft = 0.0f;
    feedbackRight = 0.0f;
}

int32_t BWPhaser::reset() {
    lfoPhase = 0.0f;
    clear();
    tick();
    return 1;
}

void BWPhaser::applyParameter(uint32_t index, float value) {
    switch (index) {
        case kRate: applyRate(value); break;
        case kFeedback: feedback = unitRange(value) * 0.85f; break;
        case kDepth: depth = unitRange(value); break;
        case kStages: applyStages(value); break;
        case kWidth: width = unitRange(value) * 0.5f; break;
    }
}

void BWPhaser::applyRate(float value) {
    const float position = unitRange(value);
    const float tickRadians = owner->tickLength * kTwoPi;
    if (syncMode.load(std::memory_order_relaxed) != 1) {
        const float period = (1.0001f - position) * owner->sampleRate;
        lfoIncrement = std::min(tickRadians / period, kPi);
        return;
    }
    const ValueList* list = selectedValueList();
    double period = 0.0;
    if (list && list->count > 0) period = std::trunc(owner->samplesPerBeat * list->entryFor(position).beats);
    // An entry that rounds to no samples ("Off") stops the oscillator.
    lfoIncrement = period >= 1.0 ? static_cast<float>(tickRadians / period) : 0.0f;
}

void BWPhaser::applyStages(float value) {
    const auto count = static_cast<int32_t>(unitRange(value) * 6.0f + 1.5f);
    if (count == stageCount) return;
    stageCount = count;
    clear();
}

void BWPhaser::setSyncMode(int32_t index, int32_t mode) {
    if (index == kRate) syncMode.store(mode, std::memory_order_relaxed);
}

void BWPhaser::setMix(float level) { wetGain.store(unitRange(level), std::memory_order_relaxed); }

float BWPhaser::coefficientAt(float phase) const {
    // A parabolic sine of the phase, refined once, sweeps the normalised
    // break frequency between its limits.
    float s = phase * 1.2732395f - std::fabs(phase) * phase * 0.4052847f;
    s = (std::fabs(s) * s - s) * 0.225f + s;
    const float frequency = (s * 0.5f + 0.5f) * (sweepMax - sweepMin) + sweepMin;
    return (1.0f - frequency) / (1.0f + frequency);
}

void BWPhaser::tick() {
    const float target = wetGain.load(std::memory_order_relaxed);
    if (currentMix == 0.0f && target == 0.0f && mixStep == 0.0f) return;
    lfoPhase += lfoIncrement;
    if (lfoPhase >= kPi) lfoPhase -= kTwoPi;
    if (stageCount > 0) {
        float rightPhase = width * kPi + lfoPhase;
        if (rightPhase >= kPi) rightPhase -= kTwoPi;
        const float left = coefficientAt(lfoPhase);
        const float right = coefficientAt(rightPhase);
        std::fill_n(coeffLeft.begin(), stageCount, left);
        std::fill_n(coeffRight.begin(), stageCount, right);
    }
    mixStep = (target - currentMix) * owner->glideFactor;
    if (mixStep < 1e-8f && mixStep > -1e-7f) {
        mixStep = 0.0f;
        currentMix = target;
    }
}

namespace {

// The cascade's arithmetic is one serial chain per channel (each stage waits
// for the one before, each sample for the last one's output), so its speed is
// the latency of a multiply-add: fused on machines that have it, two
// operations elsewhere.
template <bool Fused>
[[gnu::always_inline]] inline float multiplyAdd(float a, float b, float c) {
    if constexpr (Fused) return __builtin_fmaf(a, b, c);
    return a * b + c;
}

// One sample through a channel's cascade, feedback included.  The stage
// count is a constant of each instance, so that the stages unroll and their
// states stay in registers.
//
// The cascade's output is linear in its input x: out = c + gain x, with c
// from the states alone (stage k turns c into s_k - a_k c) and gain the
// product of the -a_k.  Taken that way, only one multiply-add waits for the
// last sample's output instead of one per stage; the stages' own chain, which
// only the state updates need, runs beside it.
template <bool Fused, int32_t Stages>
[[gnu::always_inline]] inline float cascade(float input, const float* coefficients, float* state, float& fedBack,
                                          float feedback, float gain) {
    // The offset joins the input first, off the chain that waits for the
    // last sample's output.
    float x = multiplyAdd<Fused>(fedBack, feedback, input + kStageOffset);
    if constexpr (Stages == 0) {
        fedBack = x;
        return x;
    }
    float c = state[0];
    for (int32_t k = 1; k < Stages; ++k) c = multiplyAdd<Fused>(-coefficients[k], c, state[k]);
    const float out = multiplyAdd<Fused>(gain, x, c);
    for (int32_t k = 0; k < Stages; ++k) {
        const float a = coefficients[k];
        const float y = multiplyAdd<Fused>(-a, x, state[k]);
        state[k] = multiplyAdd<Fused>(y, a, x) + kStageOffset;
        x = y;
    }
    fedBack = out;
    return out;
}

// The cascade's gain for its input: the product of the stages' -a.
template <int32_t Stages>
float cascadeGain(const float* coefficients) {
    float gain = 1.0f;
    for (int32_t k = 0; k < Stages; ++k) gain *= -coefficients[k];
    return gain;
}

}  // namespace

template <bool Fused>
[[gnu::always_inline]] inline void BWPhaser::run(float* left, float* right, int32_t frames, bool crossfade) {
    switch (stageCount) {
        case 1: runStages<Fused, 1>(left, right, frames, crossfade); break;
        case 2: runStages<Fused, 2>(left, right, frames, crossfade); break;
        case 3: runStages<Fused, 3>(left, right, frames, crossfade); break;
        case 4: runStages<Fused, 4>(left, right, frames, crossfade); break;
        case 5: runStages<Fused, 5>(left, right, frames, crossfade); break;
        case 6: runStages<Fused, 6>(left, right, frames, crossfade); break;
        case 7: runStages<Fused, 7>(left, right, frames, crossfade); break;
        case kMaxStages: runStages<Fused, kMaxStages>(left, right, frames, crossfade); break;
        default: runStages<Fused, 0>(left, right, frames, crossfade); break;
    }
}

template <bool Fused, int32_t Stages>
[[gnu::always_inline]] inline void BWPhaser::runStages(float* left, float* right, int32_t frames, bool crossfade) {
    // The stages in locals, so that they stay in registers for the block.
    std::array<float, kMaxStages> sl = stateLeft;
    std::array<float, kMaxStages> sr = stateRight;
    float fl = feedbackLeft;
    float fr = feedbackRight;
    const std::array<float, kMaxStages> cl = coeffLeft;
    const std::array<float, kMaxStages> cr = coeffRight;
    const float gainLeft = cascadeGain<Stages>(cl.data());
    const float gainRight = cascadeGain<Stages>(cr.data());
    for (int32_t n = 0; n < frames; ++n) {
        const float phasedLeft = cascade<Fused, Stages>(left[n], cl.data(), sl.data(), fl, feedback, gainLeft);
        const float phasedRight = cascade<Fused, Stages>(right[n], cr.data(), sr.data(), fr, feedback, gainRight);
        if (!crossfade) {
            left[n] = phasedLeft * depth + left[n] * kDryInPhased + kOutputOffset;
            right[n] = phasedRight * depth + right[n] * kDryInPhased + kOutputOffset;
            continue;
        }
        currentMix += mixStep;
        const float m = currentMix;
        left[n] = left[n] * (1.0f - m) + (phasedLeft * depth + left[n] * kDryInPhased + kOutputOffset) * m;
        right[n] = (1.0f - m) * right[n] + (right[n] * kDryInPhased + kOutputOffset + depth * phasedRight) * m;
    }
    stateLeft = sl;
    stateRight = sr;
    feedbackLeft = fl;
    feedbackRight = fr;
}

[[gnu::target("fma")]] void BWPhaser::runFused(float* left, float* right, int32_t frames, bool crossfade) {
    run<true>(left, right, frames, crossfade);
}

void BWPhaser::runBlock(float* left, float* right, int32_t frames, bool crossfade) {
    if (platform::cpuHasFma())
        runFused(left, right, frames, crossfade);
    else
        run<false>(left, right, frames, crossfade);
}

void BWPhaser::process(float* left, float* right, int32_t frames) {
    takeParameters();
    if (currentMix == 0.0f) {
        if (mixStep == 0.0f) return;
        // Starting from idle: the stages begin from silence, the oscillator
        // from phase 0.
        stateLeft.fill(0.0f);
        stateRight.fill(0.0f);
        feedbackLeft = 0.0f;
        feedbackRight = 0.0f;
        lfoPhase = 0.0f;
    }
    runBlock(left, right, frames, true);
}

void BWPhaser::processAlternate(float* left, float* right, int32_t frames) {
    takeParameters();
    runBlock(left, right, frames, false);
}

float BWPhaser::getSteps(int32_t index) const {
    if (index == kStages) return 8.0f;
    const ValueList* list = selectedValueList();
    return index == kRate && list ? list->countF : 0.0f;
}

void BWPhaser::getValueLabels(int32_t index, std::vector<std::string>& labels) const {
    if (index == kStages) {
        for (int stage = 1; stage <= kMaxStages; ++stage)
            labels.push_back(std::to_string(stage) + " Stage");
        return;
    }
    const ValueList* list = selectedValueList();
    if (index != kRate || !list) return;
    labels.reserve(labels.size() + list->entries.size());
    for (const ValueEntry& entry : list->entries) labels.emplace_back(entry.label);
}

void BWPhaser::getParameterDisplay(int32_t index, float value, char* text) {
    switch (index) {
        case kRate: {
            const ValueList* list = selectedValueList();
            if (syncMode.load(std::memory_order_relaxed) == 1 && list && list->count > 0)
                std::snprintf(text, kDisplayTextSize, "%s", list->entryFor(unitRange(value)).label);
            else
                std::snprintf(text, kDisplayTextSize, "%3.2f", value * 100.0f);
            break;
        }
        case kFeedback:
        case kDepth:
        case kWidth: std::snprintf(text, kDisplayTextSize, "%3.2f %%", value * 100.0f); break;
        case kStages:
            std::snprintf(text, kDisplayTextSize, "%d Stages",
                          static_cast<int>(unitRange(value) * 6.0f + 1.5f));
            break;
        default: break;
    }
}
