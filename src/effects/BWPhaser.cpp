#include "effects/BWPhaser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <immintrin.h>

#include "core/BWSystemInfo.h"
#include "core/StateResetList.h"
#include "core/ValueLists.h"
#include "effects/WideKernels.h"
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

namespace {

// |x| lane by lane.
inline __m128 magnitude(__m128 x) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), x); }

// x at the stages below `count`, the old values above: the stage count's
// part of a coefficient array filled at once.
inline void fillStages(float* coefficients, float x, int32_t count) {
    const __m128 value = _mm_set1_ps(x);
    const __m128i below = _mm_set1_epi32(count);
    for (int32_t k = 0; k < BWPhaser::kMaxStages; k += 4) {
        const __m128 inside = _mm_castsi128_ps(_mm_cmpgt_epi32(below, _mm_setr_epi32(k, k + 1, k + 2, k + 3)));
        const __m128 old = _mm_loadu_ps(coefficients + k);
        _mm_storeu_ps(coefficients + k, _mm_or_ps(_mm_and_ps(inside, value), _mm_andnot_ps(inside, old)));
    }
}

}  // namespace

// Both channels' coefficients at once, lane by lane as the scalar form
// rounds: a parabolic sine of the phase, refined once, sweeps the
// normalised break frequency between its limits.
__m128 BWPhaser::coefficientsAt(float leftPhase, float rightPhase) const {
    const __m128 phase = _mm_setr_ps(leftPhase, rightPhase, 0.0f, 0.0f);
    __m128 s = _mm_sub_ps(_mm_mul_ps(phase, _mm_set1_ps(1.2732395f)),
                          _mm_mul_ps(_mm_mul_ps(magnitude(phase), phase), _mm_set1_ps(0.4052847f)));
    s = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(_mm_mul_ps(magnitude(s), s), s), _mm_set1_ps(0.225f)), s);
    const __m128 frequency =
        _mm_add_ps(_mm_mul_ps(_mm_add_ps(_mm_mul_ps(s, _mm_set1_ps(0.5f)), _mm_set1_ps(0.5f)),
                              _mm_set1_ps(sweepMax - sweepMin)),
                   _mm_set1_ps(sweepMin));
    const __m128 one = _mm_set1_ps(1.0f);
    return _mm_div_ps(_mm_sub_ps(one, frequency), _mm_add_ps(one, frequency));
}

void BWPhaser::tick() {
    const float target = wetGain.load(std::memory_order_relaxed);
    if (currentMix == 0.0f && target == 0.0f && mixStep == 0.0f) return;
    lfoPhase += lfoIncrement;
    if (lfoPhase >= kPi) lfoPhase -= kTwoPi;
    if (stageCount > 0) {
        float rightPhase = width * kPi + lfoPhase;
        if (rightPhase >= kPi) rightPhase -= kTwoPi;
        alignas(16) float both[4];
        _mm_store_ps(both, coefficientsAt(lfoPhase, rightPhase));
        fillStages(coeffLeft.data(), both[0], stageCount);
        fillStages(coeffRight.data(), both[1], stageCount);
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

namespace {

// Both channels side by side in one vector (lane 0 left, lane 1 right, the
// other two idle at zero), for the machines with fused multiply-adds.
using Pair = __m128;

[[gnu::target("fma"), gnu::always_inline]] inline Pair fused(Pair a, Pair b, Pair c) {
    return _mm_fmadd_ps(a, b, c);
}

[[gnu::target("fma"), gnu::always_inline]] inline Pair pairOf(float left, float right) {
    return _mm_setr_ps(left, right, 0.0f, 0.0f);
}

// The cascade for a block at fixed coefficients, arranged so that a sample
// waits for the output two samples back through a short chain only.
//
// All stages share the coefficient a; with b = -a, stage k takes y(k-1)
// (y(-1) = x, the cascade input) to y(k) = b y(k-1) + s(k) and its state to
// s'(k) = a y(k) + y(k-1) + offset.  Measured from the shifted values
// t(k) = s(k) - d(k) and y(k) - e(k), e(k) = (k + 1) offset / (1 + b),
// d(k) = e(k) - b e(k-1), the offsets drop out: t' = A t + m x with
//   A(k, j) = b^(k-1-j) (1 - b^2) for j < k, A(k, k) = -b,  m(k) = b^k (1 - b^2).
// The states' part of the output, c = w.s with w(k) = b^(S-1-k), then follows
// from the states two samples back and the two inputs since:
//   c(n+1) = r2.t(n-1) + q1 x(n-1) + q0 x(n) + w.d,
// r = w A, r2 = r A, q0 = w.m, q1 = r.m.  The sums over states run while the
// inputs are still on their way.
template <int32_t Stages>
struct PairedCascade {
    Pair a, b, gain, q0, q1, wd, feedback, offset;
    Pair w[Stages], r[Stages], r2[Stages], d[Stages];

    [[gnu::target("fma"), gnu::always_inline]] PairedCascade(float left, float right, float fb) {
        const Pair one = _mm_set1_ps(1.0f);
        feedback = _mm_set1_ps(fb);
        offset = _mm_set1_ps(kStageOffset);
        a = pairOf(left, right);
        b = _mm_sub_ps(_mm_setzero_ps(), a);
        Pair power[Stages + 1];
        power[0] = one;
        for (int32_t k = 1; k <= Stages; ++k) power[k] = _mm_mul_ps(power[k - 1], b);
        gain = power[Stages];
        const Pair loss = _mm_sub_ps(one, _mm_mul_ps(b, b));
        const Pair shift = _mm_div_ps(_mm_set1_ps(kStageOffset), _mm_add_ps(one, b));
        Pair m[Stages];
        for (int32_t k = 0; k < Stages; ++k) {
            w[k] = power[Stages - 1 - k];
            m[k] = _mm_mul_ps(power[k], loss);
            // d(k) = (k + 1 - b k) offset / (1 + b)
            const Pair kk = _mm_set1_ps(static_cast<float>(k));
            d[k] = _mm_mul_ps(_mm_sub_ps(_mm_add_ps(kk, one), _mm_mul_ps(b, kk)), shift);
        }
        rowTimesA(w, m, r);
        rowTimesA(r, m, r2);
        q0 = dot(w, m);
        q1 = dot(r, m);
        wd = dot(w, d);
    }

    // out = in A, column by column; below its diagonal A(k, j) is m(k-1-j).
    [[gnu::target("fma"), gnu::always_inline]] void rowTimesA(const Pair* in, const Pair* m, Pair* out) const {
        for (int32_t j = 0; j < Stages; ++j) {
            Pair sum = _mm_mul_ps(in[j], a);
            for (int32_t k = j + 1; k < Stages; ++k) sum = fused(in[k], m[k - 1 - j], sum);
            out[j] = sum;
        }
    }

    [[gnu::target("fma"), gnu::always_inline]] static Pair dot(const Pair* x, const Pair* y) {
        Pair sum = _mm_setzero_ps();
        for (int32_t k = 0; k < Stages; ++k) sum = fused(x[k], y[k], sum);
        return sum;
    }
};

}  // namespace

// With sixteen vector registers the block's constants stay in memory (below);
// with AVX-512VL's thirty-two they fit beside the states.
template <int32_t Stages, bool ConstantsInRegisters>
[[gnu::target("fma"), gnu::always_inline]] inline void BWPhaser::pairedBlock(float* left, float* right, int32_t frames,
                                                                             bool crossfade) {
    const PairedCascade<Stages> k(coeffLeft[0], coeffRight[0], feedback);
    Pair t[Stages];
    for (int32_t j = 0; j < Stages; ++j) t[j] = _mm_sub_ps(pairOf(stateLeft[j], stateRight[j]), k.d[j]);
    // The first sample's state part from the states, the second's less its input.
    Pair c = _mm_add_ps(PairedCascade<Stages>::dot(k.w, t), k.wd);
    Pair partial = _mm_add_ps(PairedCascade<Stages>::dot(k.r, t), k.wd);
    Pair fedBack = pairOf(feedbackLeft, feedbackRight);
    constexpr int32_t kChunk = 16;
    alignas(16) float phased[2 * kChunk];
    for (int32_t done = 0; done < frames; done += kChunk) {
        const int32_t count = std::min(kChunk, frames - done);
        float* l = left + done;
        float* r = right + done;
        // The states in a copy of the chunk's own: kept in `t` across the
        // chunks, they were stored back on every sample (seven stores of
        // fifty-nine instructions at seven stages).
        Pair s[Stages];
        for (int32_t j = 0; j < Stages; ++j) s[j] = t[j];
        for (int32_t n = 0; n < count; ++n) {
            // With sixteen registers the block's constants are read from
            // memory on every sample (as operands of the multiply-adds), so
            // that the registers hold the states instead: a state spilled to
            // the stack would lengthen the chain of every sample.  With
            // thirty-two both fit, and the thirteen loads a sample go.
            const PairedCascade<Stages>* kc = &k;
            if constexpr (!ConstantsInRegisters) asm("" : "+r"(kc));
            const Pair x = fused(kc->feedback, fedBack, _mm_add_ps(pairOf(l[n], r[n]), kc->offset));
            fedBack = fused(kc->gain, x, c);
            c = fused(kc->q0, x, partial);
            partial = fused(kc->q1, x, kc->wd);
            for (int32_t j = 0; j < Stages; ++j) partial = fused(kc->r2[j], s[j], partial);
            Pair in = x;
            for (int32_t j = 0; j < Stages; ++j) {
                const Pair y = fused(kc->b, in, s[j]);
                s[j] = fused(kc->a, y, in);
                in = y;
            }
            _mm_storel_pi(reinterpret_cast<__m64*>(phased + 2 * n), fedBack);
        }
        for (int32_t j = 0; j < Stages; ++j) t[j] = s[j];
        mixPhased(l, r, phased, count, crossfade);
    }
    alignas(16) float lanes[4];
    for (int32_t j = 0; j < Stages; ++j) {
        _mm_store_ps(lanes, _mm_add_ps(t[j], k.d[j]));
        stateLeft[j] = lanes[0];
        stateRight[j] = lanes[1];
    }
    _mm_store_ps(lanes, fedBack);
    feedbackLeft = lanes[0];
    feedbackRight = lanes[1];
}

// The same block, the same operations in the same order, for AVX2 with FMA
// and, in a second build, for AVX-512VL's register file (WideKernels.h).

template <int32_t Stages>
[[gnu::target("fma")]] void BWPhaser::runPaired(float* left, float* right, int32_t frames, bool crossfade) {
    pairedBlock<Stages, false>(left, right, frames, crossfade);
}

template <int32_t Stages>
[[gnu::target(ZORVANE_WIDE_TARGET ",fma")]] void BWPhaser::runPairedWide(float* left, float* right, int32_t frames,
                                                                  bool crossfade) {
    pairedBlock<Stages, true>(left, right, frames, crossfade);
}

template <int32_t Stages>
[[gnu::target("fma")]] inline void BWPhaser::runPairedOn(bool wide, float* left, float* right, int32_t frames,
                                                         bool crossfade) {
    if (wide)
        runPairedWide<Stages>(left, right, frames, crossfade);
    else
        runPaired<Stages>(left, right, frames, crossfade);
}

// The phased pairs joined to the input, crossfaded with it or not.
[[gnu::always_inline]] inline void BWPhaser::mixPhased(float* left, float* right, const float* phased, int32_t count,
                                                      bool crossfade) {
    // The members in locals: the channels could alias them as far as the
    // compiler knows, which would cost a check of the buffers before each
    // run and, while the level glides, a store of it on every sample.
    const float d = depth;
    if (!crossfade) {
        for (int32_t n = 0; n < count; ++n) {
            left[n] = phased[2 * n] * d + left[n] * kDryInPhased + kOutputOffset;
            right[n] = phased[2 * n + 1] * d + right[n] * kDryInPhased + kOutputOffset;
        }
        return;
    }
    // At rest the level needs no running sum, and the loop vectorises.  A
    // glide in float can end in a step too small to move the level: adding
    // it leaves the level as it is on every sample, which is rest as well.
    const float step = mixStep;
    float mix = currentMix;
    if (mix + step == mix) {
        for (int32_t n = 0; n < count; ++n) {
            left[n] = left[n] * (1.0f - mix) + (phased[2 * n] * d + left[n] * kDryInPhased + kOutputOffset) * mix;
            right[n] =
                (1.0f - mix) * right[n] + (right[n] * kDryInPhased + kOutputOffset + d * phased[2 * n + 1]) * mix;
        }
        return;
    }
    for (int32_t n = 0; n < count; ++n) {
        mix += step;
        left[n] = left[n] * (1.0f - mix) + (phased[2 * n] * d + left[n] * kDryInPhased + kOutputOffset) * mix;
        right[n] = (1.0f - mix) * right[n] + (right[n] * kDryInPhased + kOutputOffset + d * phased[2 * n + 1]) * mix;
    }
    currentMix = mix;
}

[[gnu::target("fma")]] void BWPhaser::runFused(float* left, float* right, int32_t frames, bool crossfade) {
    const bool wide = wideKernelsFor(heldToAvx2);
    switch (stageCount) {
        case 1: runPairedOn<1>(wide, left, right, frames, crossfade); break;
        case 2: runPairedOn<2>(wide, left, right, frames, crossfade); break;
        case 3: runPairedOn<3>(wide, left, right, frames, crossfade); break;
        case 4: runPairedOn<4>(wide, left, right, frames, crossfade); break;
        case 5: runPairedOn<5>(wide, left, right, frames, crossfade); break;
        case 6: runPairedOn<6>(wide, left, right, frames, crossfade); break;
        case 7: runPairedOn<7>(wide, left, right, frames, crossfade); break;
        case kMaxStages: runPairedOn<kMaxStages>(wide, left, right, frames, crossfade); break;
        default: run<true>(left, right, frames, crossfade); break;
    }
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
