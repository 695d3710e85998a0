// The reverb's block with its eight lines in one AVX2 vector: the state in
// registers, one store per ring and sample, one gather (or eight row loads)
// per ring and sample.
// Lane by lane the operations of RevTamselEcoShot's own path, in its order,
// except that the output's four feedback values are summed in pairs; and
// built for FMA, the compiler fuses products into the sums they feed.  So it
// rounds differently from the portable path, and machines with and without
// AVX2 have renders of their own to match.
// Eight plain row loads per ring, each lane's value blended from its own
// row, read the same values as the gathers.  On a core with fast gathers
// (Intel Xeon) they ran slower: 9.7 -> 11.5 ns a frame with the loads in the
// frame loop, 13.5 with a block's reads made ahead of its frames.  On a Zen
// 4 EPYC, whose gathers are slow, every block reads rows (Lanes::rowReads):
// reverb/44100 12.3 -> 9.5 ns a frame with the wrapless blocks on rows, and
// (the rings aligned) 9.0 -> 8.8 with the other blocks on rows too.
// Two other forms gave the same bits with fewer instructions and ran slower:
// the ring writes addressed from the frame's index (9.9 -> 10.5 ns a
// frame), and the Householder sum started from the rotated lines to save a
// shuffle (9.7 -> 18 ns: the frame's order of work matters more here than
// its count).
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
// length held within 0..last (NaN as 0) and truncated, lane offset taken off.
inline __m256i backOf(__m256 length, float last) {
    const __m256 held = _mm256_min_ps(_mm256_max_ps(length, _mm256_setzero_ps()), _mm256_set1_ps(last));
    return _mm256_sub_epi32(_mm256_slli_epi32(_mm256_cvttps_epi32(held), 3), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

// span: the ring's floats.
inline __m256i readIndices(uint32_t write, __m256i back, int32_t span) {
    const __m256i index = _mm256_sub_epi32(_mm256_set1_epi32(static_cast<int32_t>(write * 8)), back);
    const __m256i wrapped = _mm256_cmpgt_epi32(_mm256_setzero_si256(), index);
    return _mm256_add_epi32(index, _mm256_and_si256(wrapped, _mm256_set1_epi32(span)));
}

// The next sample's read indices at lengths holding still: one further on,
// back to the start past the end of the ring.
inline __m256i nextIndices(__m256i index, int32_t span) {
    const __m256i advanced = _mm256_add_epi32(index, _mm256_set1_epi32(8));
    const __m256i spans = _mm256_set1_epi32(span);
    const __m256i inside = _mm256_cmpgt_epi32(spans, advanced);
    return _mm256_sub_epi32(advanced, _mm256_andnot_si256(inside, spans));
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

// A gather writes into its result register, and the core waits for that
// register's last value first.  Left to itself, the compiler gave the long
// line's gather the register of the frame's diffuser sum: each frame's
// reads then waited for the sums before them (the "fewer instructions, twice
// as slow" forms: 8.6 -> 20 ns a frame).  The mask is full, so the compiler
// drops the zero as an input, but the zero made here (where it cannot see
// it) takes a register of its own just before the reads, and the gather
// gets it: the long line's reads start as soon as their indices are known.
// The diffuser's gathers can still be handed a register that last held the
// frame's sum or the previous gather's result; making their mask out of the
// compiler's sight too measured no faster, since that wait falls in slack
// the frame has anyway.
inline __m256 gather(const float* ring, __m256i index) {
    __m256 fresh;
    asm volatile("vxorps %0, %0, %0" : "=x"(fresh));
    return _mm256_mask_i32gather_ps(fresh, ring, index, _mm256_castsi256_ps(_mm256_set1_epi32(-1)), 4);
}

// Each lane's value from its own row of the ring: the eight rows (their
// first floats) loaded whole, lane l taken from row l by blends three deep.
inline __m256 rowReads(const float* ring, const int32_t* rows) {
    const __m256 lanes01 = _mm256_blend_ps(_mm256_loadu_ps(ring + rows[0]), _mm256_loadu_ps(ring + rows[1]), 0x02);
    const __m256 lanes23 = _mm256_blend_ps(_mm256_loadu_ps(ring + rows[2]), _mm256_loadu_ps(ring + rows[3]), 0x08);
    const __m256 lanes45 = _mm256_blend_ps(_mm256_loadu_ps(ring + rows[4]), _mm256_loadu_ps(ring + rows[5]), 0x20);
    const __m256 lanes67 = _mm256_blend_ps(_mm256_loadu_ps(ring + rows[6]), _mm256_loadu_ps(ring + rows[7]), 0x80);
    return _mm256_blend_ps(_mm256_blend_ps(lanes01, lanes23, 0x0c), _mm256_blend_ps(lanes45, lanes67, 0xc0), 0xf0);
}

// The first floats of the rows that hold each lane's read: sample j of lane
// l is at 8 j + l.
inline void rowsOf(__m256i index, int32_t* rows) {
    _mm256_store_si256(reinterpret_cast<__m256i*>(rows), _mm256_and_si256(index, _mm256_set1_epi32(~7)));
}

// The frames a block keeps the lines' feedback for before it makes their
// output: the render routine's sub-block.
constexpr int32_t kChunk = 16;

// The output of one frame from its feedback, as wetPair and the mix make it.
inline void outputFrame(const Lanes& s, const float* fed, float* left, float* right) {
    if (s.mixMode == kMixSilent) {
        *left = 0.0f;
        *right = 0.0f;
        return;
    }
    const __m128 wet = wetPair(_mm256_load_ps(fed));
    if (s.mixMode == kMixReverbOnly) {
        storePair(left, right, wet);
        return;
    }
    const __m128 dry = _mm_insert_ps(_mm_load_ss(left), _mm_load_ss(right), 0x10);
    storePair(left, right, _mm_fmadd_ps(_mm_sub_ps(wet, dry), _mm_set1_ps(s.mixFraction), dry));
}

// wetPair's two sums for frames n and n + 1 side by side: the left output
// in lanes 2 and 6, the right in lanes 0 and 4.
inline __m256 wetSums(const float* fedN, const float* fedM) {
    const __m256 fn = _mm256_load_ps(fedN);
    const __m256 fm = _mm256_load_ps(fedM);
    const __m256 low = _mm256_permute2f128_ps(fn, fm, 0x20);
    const __m256 high = _mm256_permute_ps(_mm256_permute2f128_ps(fn, fm, 0x31), _MM_SHUFFLE(0, 1, 2, 3));
    const __m256 ends = _mm256_add_ps(low, high);
    return _mm256_add_ps(ends, _mm256_permute_ps(ends, _MM_SHUFFLE(2, 3, 0, 1)));
}

// The outputs of a block's frames from their feedback, eight frames a step:
// each frame's sums as wetPair makes them, gathered into eight-frame vectors
// of each channel, then mixed as outputFrame mixes them.
void outputFrames(const Lanes& s, const float (*fed)[kLanes], float* left, float* right, int32_t count) {
    int32_t n = 0;
    const __m256i inOrder = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    for (; n + 8 <= count; n += 8) {
        // [r0 l0 r2 l2 | r1 l1 r3 l3] and the same for frames 4 to 7.
        const __m256 firstFour = _mm256_shuffle_ps(wetSums(fed[n], fed[n + 1]), wetSums(fed[n + 2], fed[n + 3]),
                                                   _MM_SHUFFLE(2, 0, 2, 0));
        const __m256 lastFour = _mm256_shuffle_ps(wetSums(fed[n + 4], fed[n + 5]), wetSums(fed[n + 6], fed[n + 7]),
                                                  _MM_SHUFFLE(2, 0, 2, 0));
        const __m256 wetRight = _mm256_permutevar8x32_ps(
            _mm256_shuffle_ps(firstFour, lastFour, _MM_SHUFFLE(2, 0, 2, 0)), inOrder);
        const __m256 wetLeft = _mm256_permutevar8x32_ps(
            _mm256_shuffle_ps(firstFour, lastFour, _MM_SHUFFLE(3, 1, 3, 1)), inOrder);
        if (s.mixMode == kMixSilent) {
            _mm256_storeu_ps(left + n, _mm256_setzero_ps());
            _mm256_storeu_ps(right + n, _mm256_setzero_ps());
        } else if (s.mixMode == kMixReverbOnly) {
            _mm256_storeu_ps(left + n, wetLeft);
            _mm256_storeu_ps(right + n, wetRight);
        } else {
            const __m256 fraction = _mm256_set1_ps(s.mixFraction);
            const __m256 dryLeft = _mm256_loadu_ps(left + n);
            const __m256 dryRight = _mm256_loadu_ps(right + n);
            _mm256_storeu_ps(left + n, _mm256_fmadd_ps(_mm256_sub_ps(wetLeft, dryLeft), fraction, dryLeft));
            _mm256_storeu_ps(right + n, _mm256_fmadd_ps(_mm256_sub_ps(wetRight, dryRight), fraction, dryRight));
        }
    }
    for (; n < count; ++n) outputFrame(s, fed[n], left + n, right + n);
}

// The read indices of a block's first frame at the lengths in force.
struct FirstReads {
    __m256i diff;
    __m256i longLine;
};

inline FirstReads firstReads(const Lanes& s) {
    // At lengths holding still, the last block's stepped reads are the ones
    // worked out here: the same write less the same whole samples, wrapped.
    if (s.readsKept)
        return {_mm256_load_si256(reinterpret_cast<const __m256i*>(s.diffRead)),
                _mm256_load_si256(reinterpret_cast<const __m256i*>(s.longRead))};
    return {readIndices(s.diffWrite, backOf(_mm256_loadu_ps(s.diffLength), s.diffLast), s.diffSpan),
            readIndices(s.longWrite, backOf(_mm256_loadu_ps(s.longLength), s.longLast), s.longSpan)};
}

// Up to kChunk frames from the first frame's read indices.  Wrapless: the
// lengths hold still and neither the writes nor any read reach the end of
// their ring within the block, so that each steps on by one without a check.
// Rows: the reads come from whole rows instead of gathers.  In a wrapless
// block the rows are taken once and move a row on every frame; in any other
// each frame's reads are stored and their rows loaded back.  (That in
// wrapless blocks too ran 8.9 -> 11.3 ns a frame; the rows of a gliding or
// wrapping block's frames all worked out ahead of them, 8.7 -> 9.1.)
template <bool Gliding, bool Wrapless, bool Rows>
[[gnu::always_inline]] inline void runFrames(Lanes& s, FirstReads reads, float* left, float* right, int32_t frames) {
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
    const float gain = s.inputGain;
    // The left section's line k takes line k + 1, the right's line k - 1.
    const __m256i rotation = _mm256_setr_epi32(1, 2, 3, 0, 3, 0, 1, 2);
    // The sign of the right section's lanes.
    const __m256 rightSign = _mm256_setr_ps(1.0f, 1.0f, 1.0f, 1.0f, -1.0f, -1.0f, -1.0f, -1.0f);
    __m256i diffIndex = reads.diff;
    __m256i longIndex = reads.longLine;
    alignas(32) float fed[kChunk][kLanes];
    alignas(32) int32_t diffRows[kLanes];
    alignas(32) int32_t longRows[kLanes];
    if constexpr (Rows && Wrapless) {
        rowsOf(diffIndex, diffRows);
        rowsOf(longIndex, longRows);
    }

    // The shuffles share one port with each other and with the gathers, so
    // the frame loop takes its input from broadcasting loads and blends,
    // and turns the sections' mix with a sign instead of a shuffle.
    // Two frames a turn: the loop's count and branch once a pair, and the
    // scheduler sees two frames' gathers together (measured faster).
#pragma GCC unroll 2
    for (int32_t i = 0; i < frames; ++i) {
        if constexpr (Gliding) {
            diffLength = _mm256_add_ps(diffLength, diffStep);
            longLength = _mm256_add_ps(longLength, longStep);
            diffIndex = readIndices(dw, backOf(diffLength, s.diffLast), s.diffSpan);
            longIndex = readIndices(lw, backOf(longLength, s.longLast), s.longSpan);
        }
        const __m256 dry = _mm256_blend_ps(_mm256_broadcast_ss(left + i), _mm256_broadcast_ss(right + i), 0xf0);
        __m256 input = _mm256_mul_ps(dry, _mm256_set1_ps(gain));
        // Rounded as a product of its own, as in the portable path: the
        // compiler would otherwise fuse it into the sum below.
        asm("" : "+x"(input));
        const __m256 u = _mm256_add_ps(input, feedback);
        const __m256 v = flushTiny(_mm256_add_ps(_mm256_mul_ps(u, _mm256_set1_ps(kDiffuserInput)), diffOlder));
        // Each line is written before it is read, so a length of 0 reads the
        // sample just written.
        _mm256_storeu_ps(diffRing + 8 * dw, _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(kDiffuserCoefficient), v), u));
        _mm256_storeu_ps(longRing + 8 * lw, v);
        __m256 diffOut;
        __m256 longOut;
        if constexpr (Rows && Wrapless) {
            diffOut = rowReads(diffRing + 8 * i, diffRows);
            longOut = rowReads(longRing + 8 * i, longRows);
        } else if constexpr (Rows) {
            rowsOf(diffIndex, diffRows);
            rowsOf(longIndex, longRows);
            diffOut = rowReads(diffRing, diffRows);
            longOut = rowReads(longRing, longRows);
        } else {
            diffOut = gather(diffRing, diffIndex);
            longOut = gather(longRing, longIndex);
        }
        if constexpr (Wrapless) {
            // Rows steps the reads on once, after the block.
            if constexpr (!Rows) {
                diffIndex = _mm256_add_epi32(diffIndex, _mm256_set1_epi32(8));
                longIndex = _mm256_add_epi32(longIndex, _mm256_set1_epi32(8));
            }
            ++dw;
            ++lw;
        } else {
            if constexpr (!Gliding) {
                diffIndex = nextIndices(diffIndex, s.diffSpan);
                longIndex = nextIndices(longIndex, s.longSpan);
            }
            dw = dw + 1 < diffSize ? dw + 1 : 0;
            lw = lw + 1 < longSize ? lw + 1 : 0;
        }
        diffOlder = diffNewer;
        diffNewer = diffOut;
        damped = flushTiny(_mm256_fnmadd_ps(damped, dampB, _mm256_mul_ps(longOut, inputA)));

        // Householder mix within each section: h = (((d0 + d1) + d2) + d3) / 2
        // in the first lane of each half, then in all of them.
        __m256 sum = _mm256_add_ps(damped, _mm256_permute_ps(damped, 1));
        sum = _mm256_add_ps(sum, _mm256_permute_ps(damped, 2));
        sum = _mm256_add_ps(sum, _mm256_permute_ps(damped, 3));
        const __m256 h = _mm256_mul_ps(_mm256_permute_ps(sum, 0), _mm256_set1_ps(0.5f));
        const __m256 m = _mm256_sub_ps(_mm256_permutevar_ps(damped, rotation), h);  // mL | mR
        const __m256 swapped = _mm256_permute2f128_ps(m, m, 0x01);                // mR | mL
        // mR + mL to the left section, mL - mR to the right: the product with
        // the sign is exact, so the multiply-add rounds as the sum alone.
        const __m256 toBoth = _mm256_fmadd_ps(m, rightSign, swapped);
        feedback = flushTiny(_mm256_mul_ps(toBoth, _mm256_set1_ps(kCoupling)));
        _mm256_store_ps(fed[i], feedback);
    }
    // The state is kept before the output is made, so that none of it has
    // to be held across the call.
    _mm256_storeu_ps(s.diffLength, diffLength);
    _mm256_storeu_ps(s.longLength, longLength);
    _mm256_storeu_ps(s.diffNewer, diffNewer);
    _mm256_storeu_ps(s.diffOlder, diffOlder);
    _mm256_storeu_ps(s.damped, damped);
    _mm256_storeu_ps(s.feedback, feedback);
    s.diffWrite = dw;
    s.longWrite = lw;
    if constexpr (Rows && Wrapless) {
        diffIndex = _mm256_add_epi32(diffIndex, _mm256_set1_epi32(8 * frames));
        longIndex = _mm256_add_epi32(longIndex, _mm256_set1_epi32(8 * frames));
    }
    // A gliding block leaves the last frame's reads, not the next one's.
    if constexpr (!Gliding) {
        _mm256_store_si256(reinterpret_cast<__m256i*>(s.diffRead), diffIndex);
        _mm256_store_si256(reinterpret_cast<__m256i*>(s.longRead), longIndex);
    }
    s.readsKept = !Gliding && s.keepReads;
    outputFrames(s, fed, left, right, frames);
}

// How many frames at lengths holding still run from these reads without a
// wrap: the writes stop short of their rings' ends, and so does every read
// (index + 8 frames < span).
int32_t framesWithoutWrap(const Lanes& s, const FirstReads& reads) {
    const __m256i diffLeft = _mm256_srli_epi32(_mm256_sub_epi32(_mm256_set1_epi32(s.diffSpan - 1), reads.diff), 3);
    const __m256i longLeft =
        _mm256_srli_epi32(_mm256_sub_epi32(_mm256_set1_epi32(s.longSpan - 1), reads.longLine), 3);
    __m128i least = _mm_min_epi32(_mm256_castsi256_si128(diffLeft), _mm256_extracti128_si256(diffLeft, 1));
    least = _mm_min_epi32(least, _mm256_castsi256_si128(longLeft));
    least = _mm_min_epi32(least, _mm256_extracti128_si256(longLeft, 1));
    least = _mm_min_epi32(least, _mm_shuffle_epi32(least, _MM_SHUFFLE(1, 0, 3, 2)));
    least = _mm_min_epi32(least, _mm_shuffle_epi32(least, _MM_SHUFFLE(2, 3, 0, 1)));
    const auto reads8 = static_cast<uint32_t>(_mm_cvtsi128_si32(least));
    const uint32_t diffWrites = s.diffSize - 1 - s.diffWrite;
    const uint32_t longWrites = s.longSize - 1 - s.longWrite;
    const uint32_t frames = reads8 < diffWrites ? reads8 : diffWrites;
    return static_cast<int32_t>(frames < longWrites ? frames : longWrites);
}

// Whether a block of `frames` at lengths holding still runs without a wrap,
// counted once for the blocks up to the next wrap rather than every block.
bool wrapless(Lanes& s, const FirstReads& reads, int32_t frames) {
    if (!s.readsKept || s.wraplessFrames < 0) s.wraplessFrames = framesWithoutWrap(s, reads);
    if (frames > s.wraplessFrames) {
        s.wraplessFrames = -1;  // the block wraps: counted again from its reads
        return false;
    }
    s.wraplessFrames -= frames;
    return true;
}

// One named routine for each kind of block.  (One template choosing among
// them, the same frame loops inlined the same way, ran 8.8 -> 9.5 ns a frame
// on a Zen 4 core.)
void runGliding(Lanes& s, FirstReads reads, float* left, float* right, int32_t frames) {
    runFrames<true, false, false>(s, reads, left, right, frames);
}
void runHolding(Lanes& s, FirstReads reads, float* left, float* right, int32_t frames) {
    runFrames<false, false, false>(s, reads, left, right, frames);
}
void runWrapless(Lanes& s, FirstReads reads, float* left, float* right, int32_t frames) {
    runFrames<false, true, false>(s, reads, left, right, frames);
}
void runRows(Lanes& s, FirstReads reads, float* left, float* right, int32_t frames) {
    runFrames<false, true, true>(s, reads, left, right, frames);
}
void runGlidingRows(Lanes& s, FirstReads reads, float* left, float* right, int32_t frames) {
    runFrames<true, false, true>(s, reads, left, right, frames);
}
void runHoldingRows(Lanes& s, FirstReads reads, float* left, float* right, int32_t frames) {
    runFrames<false, false, true>(s, reads, left, right, frames);
}

}  // namespace

void runLanesAvx2(Lanes& lanes, float* left, float* right, int32_t frames, bool gliding) {
    for (int32_t done = 0; done < frames; done += kChunk) {
        const int32_t count = frames - done < kChunk ? frames - done : kChunk;
        // Taken once for the check and the block alike.
        const FirstReads reads = firstReads(lanes);
        if (gliding) {
            if (lanes.rowReads)
                runGlidingRows(lanes, reads, left + done, right + done, count);
            else
                runGliding(lanes, reads, left + done, right + done, count);
        } else if (!wrapless(lanes, reads, count)) {
            if (lanes.rowReads)
                runHoldingRows(lanes, reads, left + done, right + done, count);
            else
                runHolding(lanes, reads, left + done, right + done, count);
        } else if (lanes.rowReads) {
            runRows(lanes, reads, left + done, right + done, count);
        } else {
            runWrapless(lanes, reads, left + done, right + done, count);
        }
    }
}

}  // namespace revtamsel
