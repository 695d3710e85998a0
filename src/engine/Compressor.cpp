#include "engine/Compressor.h"

#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "engine/Float4.h"
#include "engine/SoftClip.h"

namespace {

constexpr float kMaxReduction[5] = {0.0f, 0.2f, 0.3f, 0.6f, 0.8f};
constexpr float kAttackShare[5] = {0.3f, 0.35f, 0.4f, 0.5f, 0.6f};
constexpr float kReleaseMs[5] = {100.0f, 200.0f, 400.0f, 600.0f, 800.0f};

// Whether every sample compares equal to 0 (-0 too; NaN does not), four at
// a time.  A sounding layer answers at its first four samples: the look
// stops at the first that compares unequal, and the lanes' answers are read
// at once as a mask instead of one by one.
bool allZero(const float* x, int32_t n) {
    const __m128 zero = _mm_setzero_ps();
    int32_t i = 0;
    for (; i + 4 <= n; i += 4)
        if (_mm_movemask_ps(_mm_cmpneq_ps(_mm_loadu_ps(x + i), zero)) != 0) return false;
    for (; i < n; ++i)
        if (x[i] != 0.0f) return false;
    return true;
}

// l[i] = softClip(l[i] * (1 - reduction[i])) and the same for r: both
// channels in one pass, so each gain is formed and loaded once.
void applyReduction(float* l, float* r, const float* reduction, int32_t n) {
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const Float4 gain = 1.0f - load4(reduction + i);
        store4(l + i, softClip4(load4(l + i) * gain));
        store4(r + i, softClip4(load4(r + i) * gain));
    }
    for (; i < n; ++i) {
        const float gain = 1.0f - reduction[i];
        l[i] = softClip(l[i] * gain);
        r[i] = softClip(r[i] * gain);
    }
}

// Samples a detector pass takes at once.
constexpr int32_t kBlock = 64;

// What the detector hears of the layers and the kick bus.
constexpr float kKeyLevel = 0.6f;

// The detector's key for count samples: the louder layer channel plus the
// kick, four at a time.  std::max(l, r) keeps l unless r compares greater,
// as the processor's maximum of (r, l) does, NaN and signed zeros included.
void keyInto(float* key, const float* l, const float* r, const float* k, int32_t count) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const Float4 louder = (Float4)_mm_max_ps((__m128)load4(r + i), (__m128)load4(l + i));
        store4(key + i, (louder + load4(k + i)) * kKeyLevel);
    }
    for (; i < count; ++i) key[i] = (std::max(l[i], r[i]) + k[i]) * kKeyLevel;
}

// Where no reduction reaches the layers: the detector's key of count samples
// as keyInto makes it, and both layer channels soft-clipped in place (a gain
// of 1, to the bit), in one pass that loads each sample once.  The clip
// takes nothing from the detector, so it need not wait for it.
void keyAndClip(float* key, float* l, float* r, const float* k, int32_t count) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const Float4 left = load4(l + i), right = load4(r + i);
        store4(key + i, ((Float4)_mm_max_ps((__m128)right, (__m128)left) + load4(k + i)) * kKeyLevel);
        store4(l + i, softClip4(left));
        store4(r + i, softClip4(right));
    }
    for (; i < count; ++i) {
        key[i] = (std::max(l[i], r[i]) + k[i]) * kKeyLevel;
        l[i] = softClip(l[i]);
        r[i] = softClip(r[i]);
    }
}

}  // namespace

float compressorCurve(float position) {
    position = std::clamp(position, 0.0f, 16.0f);
    const int32_t i = static_cast<int32_t>(position);
    auto value = [](int32_t k) { return k < 8 ? 0.2f + 0.1f * static_cast<float>(k) : std::ldexp(1.0f, k - 8); };
    const float slope = i < 8 ? 0.1f : i < 16 ? value(i) : 0.0f;
    return value(i) + (position - static_cast<float>(i)) * slope;
}

void CompressorCoefficients::setDepth(int32_t index) { maxReduction = kMaxReduction[std::clamp(index, 0, 4)]; }

void CompressorCoefficients::setSpeed(int32_t index, float sampleRate) {
    const int32_t k = 4 - std::clamp(index, 0, 4);
    releaseFactor = 1.0f / (kReleaseMs[k] * sampleRate * 0.001f + 1e-9f);
    smoothingHz = std::clamp(compressorCurve(16.0f * (1.0f - kAttackShare[k])), 0.0f, sampleRate);
    const float w = smoothingHz * std::numbers::pi_v<float> / sampleRate;
    g = w + 0.333333f * w * w * w + 1.333333f * w * w * w * w * w;
    invOnePlusG = 1.0f / (1.0f + g);
    gMinusOne = g - 1.0f;
    pole = -gMinusOne * invOnePlusG;
}

// At rest (no peak held, the smoothing at 0) silence in keeps it at rest
// and comes out as it went in.  The detector's recursion runs on its own, a
// block at a time, so that the keying and the gains around it run eight
// samples at once instead of waiting on it.
void Compressor::process(float* left, float* right, const float* kick, int32_t n, const CompressorCoefficients& c) {
    if (allZero(left, n) && allZero(right, n)) return detectOnly(kick, n, c);
    if (c.maxReduction == 0.0f) return passUnreduced(left, right, kick, n, c);
    Detector d = detector(c);
    for (int32_t done = 0; done < n; done += kBlock) {
        const int32_t count = std::min(kBlock, n - done);
        float* l = left + done;
        float* r = right + done;
        const float* k = kick + done;
        alignas(32) float reduction[kBlock];
        keyInto(reduction, l, r, k, count);
        for (int32_t i = 0; i < count; ++i) reduction[i] = d.reductionAfter(reduction[i]);
        applyReduction(l, r, reduction, count);
    }
    keep(d);
}

// At depth 0 no reduction reaches the layers: they come out soft-clipped as
// they went in, and only the detector's state moves on.  Measured no faster
// on a Zen 4 (one voice at depth 0, the same bits): the peak hold without
// branches (its new-peak choice by mask lengthens the peak's recursion to
// seven cycles a sample, 7 % slower), the peaks in a pass of their own
// before the smoothing (3 % slower), and this file built for AVX2 (the
// compressor alone 13 % slower).
void Compressor::passUnreduced(float* left, float* right, const float* kick, int32_t n,
                               const CompressorCoefficients& c) {
    for (int32_t done = 0; done < n; done += kBlock) {
        const int32_t count = std::min(kBlock, n - done);
        alignas(32) float keyed[kBlock];
        keyAndClip(keyed, left + done, right + done, kick + done, count);
        detectKeyed(keyed, count, c);
    }
}

// With the layers silent the reduction acts on zeros (the outputs stay as
// they are): only the detector runs on, keyed by the kick.  At rest and with
// a silent kick it stays at rest.
void Compressor::detectOnly(const float* kick, int32_t n, const CompressorCoefficients& c) {
    if (n <= 0) return;
    if (peak == 0.0f && allZero(kick, n)) {
        if (smoothed == 0.0f) {
            reduction = 0.0f;
            return;
        }
        if (std::bit_cast<uint32_t>(peak) == 0u) return settle(n, c);
    }
    for (int32_t done = 0; done < n; done += kBlock) {
        const int32_t count = std::min(kBlock, n - done);
        alignas(32) float keyed[kBlock];
        for (int32_t i = 0; i < count; ++i) keyed[i] = (0.0f + kick[done + i]) * kKeyLevel;
        detectKeyed(keyed, count, c);
    }
}

// The detector through count (1..kBlock) keyed samples where its reduction
// reaches no output (silent layers, depth 0): nothing but its state comes
// out, so the smoothing takes its shorter form, s = invOnePlusG × peak +
// pole × s, one multiply and one add on the recursion's path a sample where
// the sample loop waits on two multiplies and a subtraction.  Its state
// differs from the loop's by rounding only, and that difference dies away
// with the smoothing once the reduction is heard again.
void Compressor::detectKeyed(const float* keyed, int32_t count, const CompressorCoefficients& c) {
    Detector d = detector(c);
    const float invOnePlusG = c.invOnePlusG, pole = c.pole;
    float s = smoothed, before = s;
    auto step = [&](float x) {
        d.holdPeak(x);
        before = s;
        s = invOnePlusG * d.peak + pole * s;
    };
    // Four samples to each check of the count: the step is a dozen
    // instructions, and the loop's own count, compare and branch were a
    // quarter of them.
    int32_t i = 0;
    for (; i + 4 <= count; i += 4)
        for (int32_t j = i; j < i + 4; ++j) step(keyed[j]);
    for (; i < count; ++i) step(keyed[i]);
    d.smoothed = s;
    d.reduction = std::clamp(c.g * (s + before), 0.0f, c.maxReduction);
    keep(d);
}

// With no peak held (it is never -0) and a silent kick, the held peak stays
// at +0 and takes no new one, and only the smoothing's own recursion moves;
// with the peak 0 its step is pole × s to the bit (s is never negative), so
// the state comes out as detectKeyed would leave it, at a third of the work.
void Compressor::settle(int32_t n, const CompressorCoefficients& c) {
    const float pole = c.pole;
    float s = smoothed, before = s;
    for (int32_t i = 0; i < n; ++i) {
        before = s;
        s *= pole;
    }
    smoothed = s;
    reduction = std::clamp(c.g * (s + before), 0.0f, c.maxReduction);
}

// The state and the coefficients in locals: kept in members, every sample's
// store might have changed the coefficients as far as the compiler knows,
// and the recursion would wait on memory.
Compressor::Detector Compressor::detector(const CompressorCoefficients& c) const {
    return {peak, fall, smoothed, reduction, 0.0f, c.releaseFactor, c.g, c.invOnePlusG, c.gMinusOne, c.maxReduction};
}

void Compressor::keep(const Detector& d) {
    peak = d.peak;
    fall = d.fall;
    smoothed = d.smoothed;
    reduction = d.reduction;
}
