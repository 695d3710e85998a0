// The reverb's block with its eight lines in one AVX2 vector: the state in
// registers, one store per ring and sample, one gather per ring and sample.
// Lane by lane the arithmetic of RevTamselEcoShot's own path, in its order.
// This file alone is compiled for AVX2 and uses nothing but the intrinsics,
// so that no code built for AVX2 can stand in for code the rest runs.
#include "effects/RevTamselLanes.h"

#include <immintrin.h>

namespace revtamsel {
namespace {

// Values below 1e-20 in magnitude become 0, NaN stays NaN.  The magnitudes
// compare as integers (their bit patterns order as the values do, NaN above
// all), which takes a third of a float compare's latency on the lines'
// recursive paths.
inline __m256 flushTiny(__m256 x) {
    const __m256i magnitude = _mm256_castps_si256(_mm256_andnot_ps(_mm256_set1_ps(-0.0f), x));
    const __m256i belowTiny = _mm256_set1_epi32(0x1e3ce507);  // the bits of 1e-20f, less one
    return _mm256_and_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(magnitude, belowTiny)), x);
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

// The next sample's read indices at lengths holding still: one further on,
// back to the start past the end of the ring.
inline __m256i nextIndices(__m256i index, uint32_t size) {
    const __m256i advanced = _mm256_add_epi32(index, _mm256_set1_epi32(8));
    const __m256i past = _mm256_cmpgt_epi32(advanced, _mm256_set1_epi32(static_cast<int32_t>(size * 8 - 1)));
    return _mm256_sub_epi32(advanced, _mm256_and_si256(past, _mm256_set1_epi32(static_cast<int32_t>(size * 8))));
}

// Both sections' outputs from the lines' feedback, as the pair (left, right)
// in the low lanes: left f3 + f4 + f2 + f5, right f1 + f0 + f7 + f6.
inline __m128 wetPair(__m256 f) {
    const __m128 low = _mm256_castps256_ps128(f);
    const __m128 high = _mm_permute_ps(_mm256_extractf128_ps(f, 1), _MM_SHUFFLE(0, 1, 2, 3));
    const __m128 ends = _mm_add_ps(low, high);  // f0+f7, f1+f6, f2+f5, f3+f4
    const __m128 sums = _mm_add_ps(ends, _mm_permute_ps(ends, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_permute_ps(sums, _MM_SHUFFLE(0, 0, 0, 2));
}

inline void storePair(float* left, float* right, __m128 pair) {
    _mm_store_ss(left, pair);
    *right = _mm_cvtss_f32(_mm_movehdup_ps(pair));
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
    const __m256i spread = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
    const __m128 fractions = _mm_set1_ps(fraction);
    __m256i diffIndex = readIndices(dw, diffBack, diffSize);
    __m256i longIndex = readIndices(lw, longBack, longSize);

    for (int32_t i = 0; i < frames; ++i) {
        const __m128 dry = _mm_insert_ps(_mm_load_ss(left + i), _mm_load_ss(right + i), 0x10);
        if constexpr (Gliding) {
            diffLength = _mm256_add_ps(diffLength, diffStep);
            longLength = _mm256_add_ps(longLength, longStep);
            diffBack = backOf(diffLength, diffSize);
            longBack = backOf(longLength, longSize);
            diffIndex = readIndices(dw, diffBack, diffSize);
            longIndex = readIndices(lw, longBack, longSize);
        }
        const __m256 input =
            _mm256_permutevar8x32_ps(_mm256_castps128_ps256(_mm_mul_ps(dry, _mm_set1_ps(gain))), spread);
        const __m256 u = _mm256_add_ps(input, feedback);
        const __m256 v = flushTiny(_mm256_add_ps(_mm256_mul_ps(u, _mm256_set1_ps(kDiffuserInput)), diffOlder));
        // Each line is written before it is read, so a length of 0 reads the
        // sample just written.
        _mm256_storeu_ps(diffRing + 8 * dw, _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(kDiffuserCoefficient), v), u));
        _mm256_storeu_ps(longRing + 8 * lw, v);
        const __m256 diffOut = _mm256_i32gather_ps(diffRing, diffIndex, 4);
        const __m256 longOut = _mm256_i32gather_ps(longRing, longIndex, 4);
        if constexpr (!Gliding) {
            diffIndex = nextIndices(diffIndex, diffSize);
            longIndex = nextIndices(longIndex, longSize);
        }
        diffOlder = diffNewer;
        diffNewer = diffOut;
        damped = flushTiny(_mm256_fnmadd_ps(damped, dampB, _mm256_mul_ps(longOut, inputA)));
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
        const __m128 wet = wetPair(feedback);
        if (mode == kMixSilent) {
            left[i] = 0.0f;
            right[i] = 0.0f;
        } else if (mode == kMixFromDry) {
            storePair(left + i, right + i, _mm_fmadd_ps(_mm_sub_ps(wet, dry), fractions, dry));
        } else {
            storePair(left + i, right + i, wet);
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
