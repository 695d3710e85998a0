// The reverb's block with its eight lines in one AVX2 vector: the state in
// registers, one store per ring and sample, one gather per ring and sample.
// Lane by lane the arithmetic of RevTamselEcoShot's own path, in its order.
// This file alone is compiled for AVX2 and uses nothing but the intrinsics,
// so that no code built for AVX2 can stand in for code the rest runs.
#include "effects/RevTamselLanes.h"

#include <immintrin.h>

namespace revtamsel {
namespace {

// Values below 1e-20 in magnitude become 0, NaN stays NaN.
inline __m256 flushTiny(__m256 x) {
    const __m256 magnitude = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), x);
    return _mm256_and_ps(_mm256_cmp_ps(magnitude, _mm256_set1_ps(1e-20f), _CMP_NLT_US), x);
}

// Floats of the interleaved ring between a write and each lane's read: the
// length held within 0..size-1 (NaN as 0) and truncated, lane offset taken off.
inline __m256i backOf(__m256 length, uint32_t size) {
    const __m256 held = _mm256_min_ps(_mm256_max_ps(length, _mm256_setzero_ps()),
                                      _mm256_set1_ps(static_cast<float>(size - 1)));
    return _mm256_sub_epi32(_mm256_slli_epi32(_mm256_cvttps_epi32(held), 3), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

inline __m256i readIndices(uint32_t write, __m256i back, uint32_t size) {
    const __m256i index = _mm256_sub_epi32(_mm256_set1_epi32(static_cast<int32_t>(write * 8)), back);
    const __m256i wrapped = _mm256_cmpgt_epi32(_mm256_setzero_si256(), index);
    return _mm256_add_epi32(index, _mm256_and_si256(wrapped, _mm256_set1_epi32(static_cast<int32_t>(size * 8))));
}

template <bool Gliding>
void run(Lanes& s, float* left, float* right, int32_t frames) {
    __m256 diffLength = _mm256_loadu_ps(s.diffLength);
    __m256 longLength = _mm256_loadu_ps(s.longLength);
    const __m256 diffStep = _mm256_loadu_ps(s.diffStep);
    const __m256 longStep = _mm256_loadu_ps(s.longStep);
    __m256 diffNewer = _mm256_loadu_ps(s.diffNewer);
    __m256 diffOlder = _mm256_loadu_ps(s.diffOlder);
    const __m256 inputA = _mm256_loadu_ps(s.inputA);
    const __m256 dampB = _mm256_loadu_ps(s.dampB);
    __m256 damped = _mm256_loadu_ps(s.damped);
    __m256 feedback = _mm256_loadu_ps(s.feedback);
    float* const diffRing = s.diffRing;
    float* const longRing = s.longRing;
    const uint32_t diffSize = s.diffSize;
    const uint32_t longSize = s.longSize;
    uint32_t dw = s.diffWrite;
    uint32_t lw = s.longWrite;
    __m256i diffBack = backOf(diffLength, diffSize);
    __m256i longBack = backOf(longLength, longSize);
    const float gain = s.inputGain;
    const float fraction = s.mixFraction;
    const MixMode mode = s.mixMode;
    // The left section's line k takes line k + 1, the right's line k - 1.
    const __m256i rotation = _mm256_setr_epi32(1, 2, 3, 0, 3, 0, 1, 2);

    for (int32_t i = 0; i < frames; ++i) {
        const float dryL = left[i];
        const float dryR = right[i];
        if constexpr (Gliding) {
            diffLength = _mm256_add_ps(diffLength, diffStep);
            longLength = _mm256_add_ps(longLength, longStep);
            diffBack = backOf(diffLength, diffSize);
            longBack = backOf(longLength, longSize);
        }
        const __m256 input = _mm256_set_m128(_mm_set1_ps(dryR * gain), _mm_set1_ps(dryL * gain));
        const __m256 u = _mm256_add_ps(input, feedback);
        const __m256 v = flushTiny(_mm256_add_ps(_mm256_mul_ps(u, _mm256_set1_ps(kDiffuserInput)), diffOlder));
        // Each line is written before it is read, so a length of 0 reads the
        // sample just written.
        _mm256_storeu_ps(diffRing + 8 * dw, _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(kDiffuserCoefficient), v), u));
        _mm256_storeu_ps(longRing + 8 * lw, v);
        const __m256 diffOut = _mm256_i32gather_ps(diffRing, readIndices(dw, diffBack, diffSize), 4);
        const __m256 longOut = _mm256_i32gather_ps(longRing, readIndices(lw, longBack, longSize), 4);
        diffOlder = diffNewer;
        diffNewer = diffOut;
        damped = flushTiny(_mm256_sub_ps(_mm256_mul_ps(longOut, inputA), _mm256_mul_ps(damped, dampB)));
        dw = dw + 1 < diffSize ? dw + 1 : 0;
        lw = lw + 1 < longSize ? lw + 1 : 0;

        // Householder mix within each section: h = (((d0 + d1) + d2) + d3) / 2
        // in the first lane of each half, then in all of them.
        __m256 sum = _mm256_add_ps(damped, _mm256_permute_ps(damped, 1));
        sum = _mm256_add_ps(sum, _mm256_permute_ps(damped, 2));
        sum = _mm256_add_ps(sum, _mm256_permute_ps(damped, 3));
        const __m256 h = _mm256_mul_ps(_mm256_permute_ps(sum, 0), _mm256_set1_ps(0.5f));
        const __m256 m = _mm256_sub_ps(_mm256_permutevar_ps(damped, rotation), h);  // mL | mR
        const __m256 swapped = _mm256_permute2f128_ps(m, m, 0x01);                // mR | mL
        const __m256 toRight = _mm256_sub_ps(m, swapped);                           // mL - mR in the low half
        const __m256 toLeft = _mm256_add_ps(swapped, m);                            // mR + mL in the low half
        feedback = flushTiny(_mm256_mul_ps(_mm256_permute2f128_ps(toLeft, toRight, 0x20),
                                           _mm256_set1_ps(kCoupling)));
        alignas(32) float f[kLanes];
        _mm256_store_ps(f, feedback);
        const float wetL = f[3] + f[4] + f[2] + f[5];
        const float wetR = f[1] + f[0] + f[7] + f[6];

        if (mode == kMixSilent) {
            left[i] = 0.0f;
            right[i] = 0.0f;
        } else if (mode == kMixFromDry) {
            left[i] = dryL + (wetL - dryL) * fraction;
            right[i] = dryR + (wetR - dryR) * fraction;
        } else {
            left[i] = wetL;
            right[i] = wetR;
        }
    }
    _mm256_storeu_ps(s.diffLength, diffLength);
    _mm256_storeu_ps(s.longLength, longLength);
    _mm256_storeu_ps(s.diffNewer, diffNewer);
    _mm256_storeu_ps(s.diffOlder, diffOlder);
    _mm256_storeu_ps(s.damped, damped);
    _mm256_storeu_ps(s.feedback, feedback);
    s.diffWrite = dw;
    s.longWrite = lw;
}

}  // namespace

void runLanesAvx2(Lanes& lanes, float* left, float* right, int32_t frames, bool gliding) {
    if (gliding)
        run<true>(lanes, left, right, frames);
    else
        run<false>(lanes, left, right, frames);
}

}  // namespace revtamsel
