// The voices' kernels, eight lanes at a time, written once with the
// compiler's vector extension and compiled three times: for the x86-64
// baseline (VoiceKernelsPortable.cpp), for AVX2 with FMA
// (VoiceKernelsAvx2.cpp) and for AVX2 with FMA given AVX-512VL's 32
// registers (VoiceKernelsAvx512.cpp).  Everything here has internal linkage
// and calls nothing but builtins and intrinsics, so that no file's code can
// stand in for another's.
//
// The arithmetic is the engine's own, operation for operation and lane by
// lane, wherever a value feeds back: positions, phases, gains, drifts,
// envelopes, coefficients and the filter cores round exactly as one voice
// at a time does in every set whose multiply-adds the compiler left alone:
// the portable one always, the AVX2 and AVX-512 ones below -O2 (make test's
// build).  From -O2 on GCC fuses the plain multiply-adds it finds in those
// two files (the filter cores' among them, whose chains that shortens), so
// that in the optimised build they round apart from the one-voice code in
// the last bits; fusesPlainMultiplyAdds says which a set does.  (Built
// without fusing, the voices ran 2-9 % slower.)  Only a sample's
// interpolation asks for a fused multiply-add by name, so there the AVX2
// path rounds apart from the baseline in every build (in the last bit), and
// whole renders on it have references of their own.
//
// Include only from those three files, after VoiceLanes.h.

#include <cstdint>
#include <cstring>

#if defined(__AVX2__)
#include <immintrin.h>
#endif

#include "platform/CpuFeatures.h"

namespace voicelanes {
namespace {

using Float8 = float __attribute__((vector_size(32)));
using Int8 = int32_t __attribute__((vector_size(32)));
using UInt8 = uint32_t __attribute__((vector_size(32)));

inline Float8 load(const float* p) {
    Float8 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline Int8 loadInt(const int32_t* p) {
    Int8 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void store(float* p, Float8 v) { std::memcpy(p, &v, sizeof v); }
inline void storeInt(int32_t* p, Int8 v) { std::memcpy(p, &v, sizeof v); }
inline Float8 splat(float x) { return Float8{x, x, x, x, x, x, x, x}; }
inline Int8 splatInt(int32_t x) { return Int8{x, x, x, x, x, x, x, x}; }
inline Float8 toFloat(Int8 x) { return __builtin_convertvector(x, Float8); }
inline Int8 truncated(Float8 x) { return __builtin_convertvector(x, Int8); }
inline Float8 magnitude(Float8 x) { return reinterpret_cast<Float8>(reinterpret_cast<Int8>(x) & splatInt(0x7fffffff)); }
// The lanes of a mask as bits, lane k at bit k.
inline uint32_t bits(Int8 mask) {
#if defined(__AVX2__)
    return static_cast<uint32_t>(_mm256_movemask_ps(reinterpret_cast<__m256>(mask)));
#else
    uint32_t b = 0;
    for (int k = 0; k < kLanes; ++k) b |= mask[k] ? 1u << k : 0u;
    return b;
#endif
}
inline bool any(Int8 mask) { return bits(mask) != 0; }

// a < b ? a : b and a > b ? a : b, lane by lane, NaNs and signed zeros
// included: the processor's min and max answer exactly these (their second
// operand where the comparison fails), in one instruction where the
// compiler would compare and then blend, which lengthens the chains that
// feed the voices' reads and the filter's coefficients.  The same for
// whole numbers, where no operand order matters.
inline Float8 lesserOf(Float8 a, Float8 b) {
#if defined(__AVX2__)
    return reinterpret_cast<Float8>(_mm256_min_ps(reinterpret_cast<__m256>(a), reinterpret_cast<__m256>(b)));
#else
    return a < b ? a : b;
#endif
}
inline Float8 greaterOf(Float8 a, Float8 b) {
#if defined(__AVX2__)
    return reinterpret_cast<Float8>(_mm256_max_ps(reinterpret_cast<__m256>(a), reinterpret_cast<__m256>(b)));
#else
    return a > b ? a : b;
#endif
}

inline Int8 lesserOf(Int8 a, Int8 b) {
#if defined(__AVX2__)
    return reinterpret_cast<Int8>(_mm256_min_epi32(reinterpret_cast<__m256i>(a), reinterpret_cast<__m256i>(b)));
#else
    return a < b ? a : b;
#endif
}
inline Int8 greaterOf(Int8 a, Int8 b) {
#if defined(__AVX2__)
    return reinterpret_cast<Int8>(_mm256_max_epi32(reinterpret_cast<__m256i>(a), reinterpret_cast<__m256i>(b)));
#else
    return a > b ? a : b;
#endif
}

// table[index[k]] for each lane.
inline Float8 gather(const float* table, Int8 index) {
#if defined(__AVX2__)
    return reinterpret_cast<Float8>(_mm256_i32gather_ps(table, reinterpret_cast<__m256i>(index), 4));
#else
    Float8 out;
    for (int k = 0; k < kLanes; ++k) out[k] = table[index[k]];
    return out;
#endif
}

// a × b + c; fused (rounded once) where the processor has it.
inline Float8 mulAdd(Float8 a, Float8 b, Float8 c) {
#if defined(__FMA__)
    return reinterpret_cast<Float8>(
        _mm256_fmadd_ps(reinterpret_cast<__m256>(a), reinterpret_cast<__m256>(b), reinterpret_cast<__m256>(c)));
#else
    return a * b + c;
#endif
}

// A product and the sum it feeds, written as two operations as the kernels
// write theirs, on values whose product alone rounds: (1 + 2^-12)^2 =
// 1 + 2^-11 + 2^-24 rounds to 1 + 2^-11, so the sum is 0 when the product
// was rounded first and 2^-24 when the compiler fused the two.  Read
// through a volatile, so that nothing is worked out while compiling.
volatile float fusionProbe[3] = {1.0f + 0x1p-12f, 1.0f + 0x1p-12f, -(1.0f + 0x1p-11f)};
bool fusesPlainMultiplyAdds() {
    const Float8 sum = splat(fusionProbe[0]) * splat(fusionProbe[1]) + splat(fusionProbe[2]);
    return sum[0] != 0.0f;
}

// 16807^k mod 2^32: k steps of the generator in one multiplication.
constexpr uint32_t randomPower(int32_t k) {
    uint32_t power = 1;
    for (int32_t i = 0; i < k; ++i) power *= 16807u;
    return power;
}
constexpr uint32_t kRandomPowers[17] = {
    randomPower(0),  randomPower(1),  randomPower(2),  randomPower(3),  randomPower(4),  randomPower(5),
    randomPower(6),  randomPower(7),  randomPower(8),  randomPower(9),  randomPower(10), randomPower(11),
    randomPower(12), randomPower(13), randomPower(14), randomPower(15), randomPower(16)};
static_assert(kRandomPowers[4] == 3095271137u && kRandomPowers[16] == 2585392001u);

// 16807^(2k) for the lanes k: times 16807^first, the powers of every second
// draw from `first` (mod 2^32 the product is the power itself).
constexpr UInt8 kEvenPowers = {kRandomPowers[0], kRandomPowers[2],  kRandomPowers[4],  kRandomPowers[6],
                               kRandomPowers[8], kRandomPowers[10], kRandomPowers[12], kRandomPowers[14]};

void random(uint32_t& state, int32_t first, int32_t stride, int32_t count, float* out) {
    UInt8 powers;
    if (stride == 2) {
        powers = kEvenPowers * kRandomPowers[first];
    } else {
        for (int k = 0; k < kLanes; ++k) powers[k] = kRandomPowers[first + k * stride];
    }
    const UInt8 s = powers * state;
    store(out, toFloat(reinterpret_cast<Int8>(s)) * splat(4.656613e-10f));
    state *= kRandomPowers[count];
}

void glide(Glides& g, const float* targets, float ticks) {
    const Float8 newTarget = load(targets);
    Float8 value = load(g.value), target = load(g.target), step = load(g.step), counter = load(g.counter);
    const Int8 moved = newTarget != target;
    target = moved ? newTarget : target;
    if (!(ticks > 0.0f)) {
        value = moved ? newTarget : value;
        step = moved ? splat(0.0f) : step;
        counter = moved ? splat(0.0f) : counter;
    } else {
        step = moved ? (value - newTarget) / splat(ticks) : step;
        counter = moved ? splat(ticks) : counter;
    }
    const Int8 sliding = value != target;
    value = sliding ? value - step : value;
    counter = sliding ? counter - splat(1.0f) : counter;
    const Int8 landed = sliding & (counter <= splat(0.0f));
    value = landed ? target : value;
    step = landed ? splat(0.0f) : step;
    store(g.value, value);
    store(g.target, target);
    store(g.step, step);
    store(g.counter, counter);
}

// The envelope's states (Envelope::State): 0 idle, 1 attack, 3 decay, 4
// sustain, 5 release, 6 finished.
bool envelope(Envelopes& e, const float* gates, float sustainShare, bool byGate, const EnvelopeTicks& t) {
    const Float8 gate = load(gates);
    const Float8 peak = byGate ? gate : splat(1.0f);
    const Float8 sustain = byGate ? splat(sustainShare) * gate : splat(sustainShare);
    Float8 level = load(e.level), previous = load(e.previousGate), counter = load(e.counter);
    Int8 state = loadInt(e.state);
    const Float8 zero = splat(0.0f), one = splat(1.0f);
    const Float8 attackTicks = splat(t.attack), decayTicks = splat(t.decay), releaseTicks = splat(t.release);

    const Int8 edge = gate != previous;
    previous = edge ? gate : previous;
    const Int8 on = gate > zero;
    // Attack: count up to the peak.
    const Float8 attackCount = counter + one;
    const Int8 attackDone = attackCount >= attackTicks;
    // Decay: count down to the sustain level; a gate of 0 releases.
    const Float8 decayCount = counter + one;
    const Int8 decayDone = decayCount >= decayTicks;
    const Int8 released = gate == zero;
    const Float8 decayLevel = (peak - sustain) * (one - decayCount / decayTicks) + sustain;
    // Release: fall by the step the counter holds.
    const Float8 releaseLevel = level - counter;
    const Float8 releaseStep = level / releaseTicks;

    const Int8 inAttack = ~edge & (state == 1);
    const Int8 inDecay = ~edge & (state == 3);
    const Int8 inRelease = ~edge & (state == 5);
    const Int8 toRelease = (edge & ~on) | (inDecay & released);

    Float8 newLevel = level;
    Float8 newCounter = counter;
    Int8 newState = state;
    // A rising gate.
    const Int8 rise = edge & on;
    newState = rise ? (t.attackIsZero ? splatInt(3) : splatInt(1)) : newState;
    newCounter = rise ? zero : newCounter;
    if (t.attackIsZero) newLevel = rise ? peak : newLevel;
    // The stages.
    newLevel = inAttack ? (attackDone ? peak : attackCount * peak / attackTicks) : newLevel;
    newCounter = inAttack ? (attackDone ? zero : attackCount) : newCounter;
    newState = inAttack & attackDone ? splatInt(3) : newState;
    const Int8 decaying = inDecay & ~released;
    newLevel = decaying ? (decayDone ? sustain : decayLevel) : newLevel;
    newCounter = decaying ? (decayDone ? zero : decayCount) : newCounter;
    newState = decaying & decayDone ? splatInt(4) : newState;
    const Int8 finished = inRelease & (releaseLevel <= zero);
    newLevel = inRelease ? (finished ? zero : releaseLevel) : newLevel;
    newState = finished ? splatInt(6) : newState;
    // The release starts from wherever the level stands.
    newState = toRelease ? splatInt(5) : newState;
    newCounter = toRelease ? releaseStep : newCounter;

    store(e.level, newLevel);
    store(e.previousGate, previous);
    store(e.counter, newCounter);
    storeInt(e.state, newState);
    const Int8 still = (newState == splatInt(0)) | (newState == splatInt(4)) | (newState == splatInt(6));
    return bits(still) == (1u << kLanes) - 1;
}

// The filter lanes' envelopes (peak 1), then the glides that follow them.
bool filterEnvelopes(Envelopes& e, Glides& g, const float* gates, float sustain, const EnvelopeTicks& t,
                     float glideTicks) {
    const bool still = envelope(e, gates, sustain, false, t);
    glide(g, e.level, glideTicks);
    return still;
}

// From here down, the AVX-512 set compiles the kernels with AVX-512VL, for
// its sixteen more vector registers: a frame of three layers' holds and
// gains beside both channels' cores needs some thirty, and with sixteen the
// cores' state went through the stack on every frame; the coefficients and
// the increments keep more of their chains in registers too.  The kernels
// above stay as the AVX2 set compiles them: with AVX-512, GCC if-converts
// the envelopes into masked operations and fuses their multiply-adds
// elsewhere, which rounds apart from the AVX2 set.  The set keeps to 256-bit
// vectors: on some processors with AVX-512 a 512-bit instruction lowers the
// core's clock for a while, and the host's own work on that core with it (a
// tick's reads as one sixteen-lane gather measured 1.7 ns a frame faster
// here, and was given up for that).  (Clang builds, the fuzzers', keep the
// AVX2 code here too.)
#if defined(ZORVANE_KERNELS_AVX512) && !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx512f,avx512vl,avx512bw,prefer-vector-width=256")
#endif

constexpr int kColumns = 11;

// row[column[k]] for each lane, columns 0 to 15 (`high` where 8 or more):
// the row's two blocks of eight read whole and permuted, instead of a
// gather's eight reads one after another.
inline Float8 fromRow(const float* row, Int8 column, Int8 high) {
#if defined(__AVX2__)
    const __m256i index = reinterpret_cast<__m256i>(column);  // the low three bits pick the lane
    const __m256 low = _mm256_permutevar8x32_ps(_mm256_loadu_ps(row), index);
    const __m256 upper = _mm256_permutevar8x32_ps(_mm256_loadu_ps(row + 8), index);
    return reinterpret_cast<Float8>(_mm256_blendv_ps(low, upper, reinterpret_cast<__m256>(high)));
#else
    (void)high;
    Float8 out;
    for (int k = 0; k < kLanes; ++k) out[k] = row[column[k]];
    return out;
#endif
}

// The four table entries around each lane's cell (its column in the row
// that starts at `start`), weighted by its column fraction and the shared
// row fraction (FilterChannel's bilinear).  `values` holds the table's
// values alone, its last entry repeated past the grid.
inline Float8 bilinear(const float* values, int32_t start, Int8 column, Float8 fx, float fy) {
    const Int8 high = column > splatInt(7);
    const float* row = values + start;
    const float* nextRow = row + kColumns;
    const Float8 a = fromRow(row, column, high), b = fromRow(row + 1, column, high);
    const Float8 c = fromRow(nextRow, column, high), d = fromRow(nextRow + 1, column, high);
    const Float8 rest = splat(1.0f) - fx;
    const Float8 below = a * rest + b * fx;
    const Float8 above = c * rest + d * fx;
    return below * splat(1.0f - fy) + above * splat(fy);
}

// filterCoefficients for eight frequencies at one resonance row, kept inside
// the core's stable region.
[[gnu::always_inline]] inline void coefficients(Float8 hz, float row, float rate, const float* tableF, const float* tableQ, Float8& f,
                         Float8& q) {
    const Float8 v = hz * splat(20.0f) / splat(rate);
    const Float8 held = lesserOf(splat(1000.0f), greaterOf(splat(-1.0f), v - splat(0.5f)));
    const Int8 i = truncated(held);
    const Int8 column = lesserOf(splatInt(kColumns - 1), greaterOf(splatInt(0), i));
    const Float8 fx = i < splatInt(kColumns - 1) ? v - toFloat(i) : splat(0.0f);
    const float y = row < 0.0f ? 0.0f : (9.9f < row ? 9.9f : row);
    const int32_t r = static_cast<int32_t>(y - 0.5f);
    const float fy = y - static_cast<float>(r);
    f = bilinear(tableF, r * kColumns, column, fx, fy);
    q = bilinear(tableQ, r * kColumns, column, fx, fy);
    const Float8 q0 = greaterOf(splat(0.0f), q);
    const Int8 inside = (f >= splat(0.0f)) & (f * (q0 + splat(1.0f)) <= splat(1.9f));
    if (!any(~inside)) return;
    const Float8 radicand = q0 * q0 + splat(4.0f);
#if defined(__AVX2__)
    const Float8 root = reinterpret_cast<Float8>(_mm256_sqrt_ps(reinterpret_cast<__m256>(radicand)));
#else
    Float8 root;
    for (int k = 0; k < kLanes; ++k) root[k] = __builtin_sqrtf(radicand[k]);
#endif
    const Float8 limit = splat(0.999f) * (root - q0);
    Float8 held2 = f < splat(0.0f) ? splat(0.0f) : (limit < f ? limit : f);
    f = inside ? f : held2;
}

// 20 kHz × x², at least 45 Hz (NaN the floor), at most 1 MHz.
inline Float8 frequencyOf(Float8 x) {
    const Float8 hz = splat(20000.0f) * x * x;
    return greaterOf(lesserOf(splat(1e6f), hz), splat(45.0f));
}

uint32_t cutoffs(SvfLanes& s, const CutoffInput& in) {
    glide(s.drift, in.driftTargets, in.driftTicks);
    const Float8 share = in.invert ? splat(1.0f) - load(in.envelope) : load(in.envelope);
    const Float8 x = splat(in.cut) + splat(in.peak - in.cut) * share + load(s.drift.value) * splat(in.depth);
    const Float8 position = load(s.position), lastRow = load(s.lastRow);
    const Int8 lastType = loadInt(s.lastType);
    const Int8 moved = (x != position) | (splat(in.row) != lastRow) | (splatInt(in.type) != lastType);
    if (!any(moved)) return 0;
    store(s.position, moved ? x : position);
    store(s.lastRow, moved ? splat(in.row) : lastRow);
    storeInt(s.lastType, moved ? splatInt(in.type) : lastType);
    store(s.frequency, moved ? frequencyOf(x) : load(s.frequency));
    return bits(moved);
}

// Both channels' drift draws (lane k's left takes draw 2k + 1 of the tick,
// its right draw 2k + 2), then their cutoffs, or their drift alone.
void laneCutoffs(SvfLanes* sides, uint32_t& state, const CutoffInput& in, bool driftOnly, uint32_t* moved) {
    alignas(32) float targets[2][kLanes];
    uint32_t leftDraws = state;
    random(leftDraws, 1, 2, 0, targets[0]);
    random(state, 2, 2, 2 * kLanes, targets[1]);
    for (int c = 0; c < 2; ++c) {
        if (driftOnly) {
            glide(sides[c].drift, targets[c], in.driftTicks);
            moved[c] = 0;
            continue;
        }
        CutoffInput side = in;
        side.invert = c == 1 ? in.invert : 0;
        side.driftTargets = targets[c];
        moved[c] = cutoffs(sides[c], side);
    }
}

// Every lane (Every), or those given as bits; a lane left out keeps what
// it holds.
template <bool Every>
void takeCoefficients(SvfLanes& s, uint32_t which, float row, int32_t type, float rate, const float* tableF,
                      const float* tableQ) {
    Int8 moved;
    for (int k = 0; k < kLanes; ++k) moved[k] = which >> k & 1u ? -1 : 0;
    const auto keep = [&](float* into, Float8 value) __attribute__((always_inline)) {
        store(into, Every ? value : (moved ? value : load(into)));
    };
    const Float8 hz = load(s.frequency);
    Float8 f, q;
    if (type == 3) {
        const Float8 twice = hz * splat(2.0f);
        coefficients(lesserOf(twice, splat(16000.0f)), row, rate, tableF, tableQ, f, q);
        keep(s.fUpper, f);
        keep(s.qUpper, q);
        const Float8 half = hz * splat(0.5f);
        coefficients(greaterOf(splat(45.0f), half), row, rate, tableF, tableQ, f, q);
        keep(s.fLower, f);
        keep(s.qLower, q);
        return;
    }
    coefficients(hz, row, rate, tableF, tableQ, f, q);
    keep(s.f, f);
    keep(s.q, q);
}

// A playing lane's cutoff moves every tick, with the envelope and the
// drift, so that all eight are usually taken: those need no blend with
// what the lanes held.
void laneCoefficients(SvfLanes& s, uint32_t which, float row, int32_t type, float rate, const float* tableF,
                      const float* tableQ) {
    if (which == 0 || type == 4) return;
    if (which == (1u << kLanes) - 1) return takeCoefficients<true>(s, which, row, type, rate, tableF, tableQ);
    takeCoefficients<false>(s, which, row, type, rate, tableF, tableQ);
}

inline void ramp(float* current, float* step, Float8 target, float tickReciprocal) {
    Float8 c = load(current);
    Float8 s = (target - c) * splat(tickReciprocal);
    const Int8 small = magnitude(s) < splat(1e-7f);
    s = small ? splat(0.0f) : s;
    c = small ? target : c;
    store(current, c);
    store(step, s);
}

void gains(LayerMix& m, const float* envelopeLevels, float level, float panLeft, float panRight, bool perVoice,
           float tickReciprocal) {
    const Float8 gain = load(envelopeLevels) * splat(level);
    if (!perVoice) {
        // The right gains are not heard in the shared mode: they stand where
        // the per-voice mode left them, so that its ramps start from there
        // again and do not run off with a step left over from its last tick.
        store(m.stepRight, splat(0.0f));
        return ramp(m.gainLeft, m.stepLeft, gain, tickReciprocal);
    }
    ramp(m.gainLeft, m.stepLeft, gain * splat(panLeft), tickReciprocal);
    ramp(m.gainRight, m.stepRight, gain * splat(panRight), tickReciprocal);
}

// Each lane's (value, slope) pair of a table of pairs as two vectors, the
// pairs read whole, a 64-bit load each, and split: the values come sooner
// than from two gathers, the second waiting on the first, at more
// instructions.
[[gnu::always_inline]] inline void pairsAt(const float* table, Int8 index, Float8& value, Float8& slope) {
#if defined(__AVX2__)
    __m128 pairs[kLanes];
    for (int k = 0; k < kLanes; ++k) {
        int64_t bits;
        std::memcpy(&bits, table + 2 * index[k], sizeof bits);
        pairs[k] = _mm_castsi128_ps(_mm_cvtsi64_si128(bits));  // value, slope, 0, 0
    }
    // Lanes 0, 1 | 4, 5 and 2, 3 | 6, 7 side by side as (value, slope, value, slope).
    const __m256 low = _mm256_set_m128(_mm_movelh_ps(pairs[4], pairs[5]), _mm_movelh_ps(pairs[0], pairs[1]));
    const __m256 high = _mm256_set_m128(_mm_movelh_ps(pairs[6], pairs[7]), _mm_movelh_ps(pairs[2], pairs[3]));
    value = reinterpret_cast<Float8>(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
    slope = reinterpret_cast<Float8>(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
#else
    value = gather(table, index * 2);
    slope = gather(table, index * 2 + 1);
#endif
}

template <bool ByPairs>
[[gnu::always_inline]] inline void noteTableOf(const float* table, int32_t size, float offset, const float* notes,
                                               float* out) {
    const Float8 last = splat(static_cast<float>(size - 1));
    const Float8 position = lesserOf(last, greaterOf(load(notes) + splat(offset), splat(0.0f)));
    const Int8 index = truncated(position);
    Float8 value, slope;
    if (ByPairs) {
        pairsAt(table, index, value, slope);
    } else {
        value = gather(table, index * 2);
        slope = gather(table, index * 2 + 1);
    }
    store(out, value + (position - toFloat(index)) * slope);
}

void noteTable(const float* table, int32_t size, float offset, const float* notes, float* out) {
    noteTableOf<false>(table, size, offset, notes, out);
}

void voiceNotes(const float* notes, float offset, const float* drift, float depth, float* held, float* now) {
    const Float8 x = load(notes) + splat(offset);
    const Float8 h = lesserOf(greaterOf(x, splat(0.0f)), splat(127.0f));
    store(held, h);
    store(now, h + load(drift) * splat(depth));
}

// A layer's drift draws (lane k takes draw k + 1), its drift gliding to
// them, and its notes with the drift.
void driftNotes(uint32_t& state, Glides& drift, float ticks, const float* notes, float offset, float depth,
                float* held, float* now) {
    alignas(32) float targets[kLanes];
    random(state, 1, 1, kLanes, targets);
    glide(drift, targets, ticks);
    voiceNotes(notes, offset, drift.value, depth, held, now);
}

template <bool ByPairs>
void incrementsOf(const float* pitchTable, const float* notes, const float* roots, const float* tunes,
                  const float* dataRates, float hostRate, float* out) {
    alignas(32) float positions[kLanes];
    store(positions, load(notes) + splat(128.0f) - load(roots) + load(tunes));
    alignas(32) float ratios[kLanes];
    noteTableOf<ByPairs>(pitchTable, 257, 0.0f, positions, ratios);
    const Float8 result = load(ratios) * load(dataRates) / splat(hostRate);
    const Int8 usable = (result > splat(0.0f)) & (result < splat(1e9f));
    store(out, usable ? result : splat(0.0f));
}

// From here down, the frame kernels (the reads, the mixes and the filter
// cores).

// Each lane's two frames, as a 32-bit word (the frame at the index in the
// low half, the next in the high half), interpolated at frac.
inline Float8 interpolateWords(Int8 word, Float8 frac) {
    const Float8 a = toFloat((word << 16) >> 16);
    const Float8 b = toFloat(word >> 16);
    return mulAdd(b - a, frac, a) * splat(3.0517578e-5f);
}

#if defined(ZORVANE_KERNELS_AVX512) && !defined(__clang__)
// The values two 32-byte loads bring.
constexpr int32_t kWordsPerWindow = 32;

// The eight lanes' pairs (as interpolate's gather reads them) from two loads
// of the 32 values from `first` on, each lane's two picked with one
// two-source permute of 16-bit words.  For indices that rise from lane to
// lane and lie within the window (first <= index[0], index[7] + 1 = first +
// 31), which a tick's frames do for steps below about 3.9 once a voice is
// 30 frames into its sample.  The window ends where the gather's last read
// would, so it reaches nothing the gather would not.  On some processors a
// gather costs several times this.
struct Window {
    __m256i low, high;
};

inline Window windowAt(const int16_t* data, int32_t first) {
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + first)),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + first + kWordsPerWindow / 2))};
}

inline Int8 pairsFromWindow(const Window& window, Int8 index, int32_t first) {
    const Int8 offset = index - splatInt(first);
    const Int8 picks = offset | ((offset + splatInt(1)) << 16);
    return reinterpret_cast<Int8>(_mm256_permutex2var_epi16(window.low, reinterpret_cast<__m256i>(picks), window.high));
}
#endif

// Both frames around each position in one 32-bit read: the low half is the
// frame at the index, the high half the next.
inline Float8 interpolate(const int16_t* data, Int8 index, Float8 frac, Int8 valid) {
#if defined(__AVX2__)
    const __m256i pairs = _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int*>(data),
                                                      reinterpret_cast<__m256i>(index),
                                                      reinterpret_cast<__m256i>(valid), 2);
    const Int8 word = reinterpret_cast<Int8>(pairs);
#else
    Int8 word;
    for (int k = 0; k < kLanes; ++k) {
        uint32_t pair = 0;
        if (valid[k]) std::memcpy(&pair, data + index[k], sizeof pair);
        word[k] = static_cast<int32_t>(pair);
    }
#endif
    return interpolateWords(word, frac);
}

void readFrames(const int16_t* data, float start, float step, float* out, int32_t n) {
    Float8 frame = {0, 1, 2, 3, 4, 5, 6, 7};
    Int8 lane = {0, 1, 2, 3, 4, 5, 6, 7};
    for (int32_t k = 0; k < n; k += kLanes) {
        const Float8 position = frame * splat(step) + splat(start);
        const Int8 index = truncated(position);
        const Float8 frac = position - toFloat(index);
        const Int8 valid = lane < splatInt(n - k);
        const Float8 value = interpolate(data, index, frac, valid);
        if (n - k >= kLanes) {
            store(out + k, value);
        } else {
            for (int32_t j = 0; j < n - k; ++j) out[k + j] = value[j];
        }
        frame += splat(8.0f);
    }
}

// The AVX2 set gathers: on an Intel core an eight-lane gather costs about
// six cycles of throughput, and a tick's sixteen reads of independent voices
// hide its latency.  Two gather-free forms read the same values and were
// slower there in isolation (6.3 ns a call with gathers): one 32-byte load
// of the sixteen values ending at the last lane's pair, picked with two
// permutes and shifts (11 ns), and one four-lane gather of four values each
// for a pair of frames (9.2 ns).  With AVX-512BW two such loads need one
// word permute (pairsFromWindow), and that route is taken where gathers are
// slow: on an AMD Zen 4 core, where they took two thirds of the reads' time,
// it took 24 voices from 47 to 45 ns a frame and 8 from 29.5 to 27 (one load
// of sixteen values, which leaves the steps above two to the gather, 45 and
// 29).  Where the whole tick's frames lie within one window (steps up to
// about 2, the usual case), both blocks pick from the same two loads: 24
// voices 42.2 -> 41.2 ns, 8 voices 27.2 -> 26.3 ns against FluidSynth's
// 63.4.  Intel's cores keep the gathers, which measured faster there.
[[gnu::always_inline]] inline void readTick(const int16_t* data, float start, float step, float* out) {
    constexpr int kBlocks = kFrames / kLanes;  // of eight frames, a lane each
    static_assert(kBlocks * kLanes == kFrames, "a tick is whole blocks of eight frames");
    const Int8 every = splatInt(-1);
    Float8 position[kBlocks], frac[kBlocks];
    Int8 index[kBlocks];
    for (int b = 0; b < kBlocks; ++b) {
        const Float8 frame = Float8{0, 1, 2, 3, 4, 5, 6, 7} + splat(static_cast<float>(b * kLanes));
        position[b] = frame * splat(step) + splat(start);
        index[b] = truncated(position[b]);
        frac[b] = position[b] - toFloat(index[b]);
    }
#if defined(ZORVANE_KERNELS_AVX512) && !defined(__clang__)
    if (platform::cpuHasSlowGathers()) {
        // The whole tick in one window (steps below about 2), else a window
        // for each block of eight where it fits.
        const int32_t tickFirst = index[kBlocks - 1][kLanes - 1] - kWordsPerWindow + 2;
        if (tickFirst >= 0 && index[0][0] >= tickFirst) {
            const Window window = windowAt(data, tickFirst);
            for (int b = 0; b < kBlocks; ++b)
                store(out + b * kLanes, interpolateWords(pairsFromWindow(window, index[b], tickFirst), frac[b]));
            return;
        }
        for (int b = 0; b < kBlocks; ++b) {
            const int32_t first = index[b][kLanes - 1] - kWordsPerWindow + 2;
            if (first >= 0 && index[b][0] >= first) {
                const Int8 pairs = pairsFromWindow(windowAt(data, first), index[b], first);
                store(out + b * kLanes, interpolateWords(pairs, frac[b]));
            } else {
                store(out + b * kLanes, interpolate(data, index[b], frac[b], every));
            }
        }
        return;
    }
#endif
    for (int b = 0; b < kBlocks; ++b) store(out + b * kLanes, interpolate(data, index[b], frac[b], every));
}

// One call a layer rather than one a voice: the voices' reads stay in this
// loop, with no call's spills around each.  The next position lands on the
// reader's own bits whether or not the compiler fuses it: 16 × step is
// exact.  (The eight voices' positions, steps and bounds kept side by side
// in the layer, checked and stepped eight at a time, took 14 M fewer
// instructions on 20 s of the dense song but were 4 to 8 ns a frame slower
// at 8 and 24 voices, with the steps moved back to scalar stores as well.
// A prefetch of each voice's data four ticks ahead measured no faster.)
uint32_t readClearTicks(VoiceRead* const* reads, uint32_t voices, const float* steps) {
    uint32_t read = 0;
    for (; voices != 0; voices &= voices - 1) {
        const int k = __builtin_ctz(voices);
        VoiceRead& voice = *reads[k];
        const float step = steps[k];
        const float next = voice.position + static_cast<float>(kFrames) * step;
        if (!(next < voice.clearUntil)) continue;
        voice.step = step;
        readTick(voice.data, voice.position, step, voice.out);
        voice.position = next;
        read |= 1u << k;
    }
    return read;
}

// Rows r[0..7] turned into columns.
// (Inlined into every caller, so that the rows stay in registers.)
[[gnu::always_inline]] inline void transpose(Float8 (&r)[8]) {
    Float8 t[8], u[8];
    for (int i = 0; i < 8; i += 2) {
        t[i] = __builtin_shufflevector(r[i], r[i + 1], 0, 8, 1, 9, 4, 12, 5, 13);
        t[i + 1] = __builtin_shufflevector(r[i], r[i + 1], 2, 10, 3, 11, 6, 14, 7, 15);
    }
    for (int i = 0; i < 8; i += 4) {
        for (int j = 0; j < 2; ++j) {
            u[i + j] = __builtin_shufflevector(t[i + j], t[i + j + 2], 0, 1, 8, 9, 4, 5, 12, 13);
            u[i + j + 2] = __builtin_shufflevector(t[i + j], t[i + j + 2], 2, 3, 10, 11, 6, 7, 14, 15);
        }
    }
    // u[0] holds columns 0 and 4 of rows 0-3 in its halves, u[4] of rows 4-7.
    const int order[4] = {0, 2, 1, 3};
    for (int i = 0; i < 4; ++i) {
        r[i] = __builtin_shufflevector(u[order[i]], u[order[i] + 4], 0, 1, 2, 3, 8, 9, 10, 11);
        r[i + 4] = __builtin_shufflevector(u[order[i]], u[order[i] + 4], 4, 5, 6, 7, 12, 13, 14, 15);
    }
}

// The blocks of eight frames around the span; silence in all of them and
// in the holds is told before anything is turned (a quiet layer's rows are
// never read).  (Reading a layer's clear voices side by side straight into
// rows, a gather of all eight voices a frame, saves this and the eight
// calls, but its per-frame positions, the data's offsets and the rows'
// bookkeeping cost more: 9,750 instructions a tick against 8,925 for 24
// voices, and slower.)
// A whole tick's rows, the span nearly every tick takes: the silence told
// in one pass over the buffers, then each block turned as it is read, so
// that no block waits on the stack while the other is looked at.
inline bool takeTick(const float* const* voices, LaneRows& rows, const float* held) {
    Int8 loud = loadInt(reinterpret_cast<const int32_t*>(held));
    for (int v = 0; v < kLanes; ++v)
        loud |= loadInt(reinterpret_cast<const int32_t*>(voices[v])) |
                loadInt(reinterpret_cast<const int32_t*>(voices[v] + kLanes));
    if (!any((loud & splatInt(0x7fffffff)) != splatInt(0))) return false;
    for (int b = 0; b < kFrames / kLanes; ++b) {
        Float8 r[kLanes];
        for (int v = 0; v < kLanes; ++v) r[v] = load(voices[v] + kLanes * b);
        transpose(r);
        for (int s = 0; s < kLanes; ++s) store(rows[kLanes * b + s], r[s]);
    }
    return true;
}

bool takeRows(const float* const* voices, int32_t from, int32_t n, LaneRows& rows, const float* held) {
    if (from == 0 && n == kFrames) return takeTick(voices, rows, held);
    const Int8 magnitude = splatInt(0x7fffffff);
    const int32_t first = from / 8, last = (from + n - 1) / 8;
    if (n <= 0) return any((reinterpret_cast<Int8>(load(held)) & magnitude) != splatInt(0));
    Float8 r[2][8];
    Int8 loud = reinterpret_cast<Int8>(load(held));
    for (int32_t b = first; b <= last; ++b) {
        for (int v = 0; v < kLanes; ++v) {
            r[b - first][v] = load(voices[v] + 8 * b);
            loud |= reinterpret_cast<Int8>(r[b - first][v]);
        }
    }
    if (!any((loud & magnitude) != splatInt(0))) return false;
    for (int32_t b = first; b <= last; ++b) {
        transpose(r[b - first]);
        for (int s = 0; s < 8; ++s) store(rows[8 * b + s], r[b - first][s]);
    }
    // A span of whole blocks holds every frame read: it is as loud as they.
    if (from % 8 == 0 && n % 8 == 0) return true;
    Int8 seen = reinterpret_cast<Int8>(load(held));
    for (int32_t frame = from; frame < from + n; ++frame) seen |= reinterpret_cast<Int8>(load(rows[frame]));
    return any((seen & magnitude) != splatInt(0));
}

// One step of the holds' phases: phase + rate, or 0 where that reaches 2.
// The wrap is told from the phase before the step (LayerMix::wrapAt), so a
// step waits on one comparison-free add and a select, not on both in turn.
inline Float8 holdStep(Float8 phase, Float8 rate, Float8 wrapAt) {
    return phase >= wrapAt ? splat(0.0f) : phase + rate;
}

// One frame of the holds and gains; x the voices' samples.
struct Voices {
    Float8 phase, rate, wrapAt, held, gainLeft, stepLeft, gainRight, stepRight;

    Voices() = default;
    explicit Voices(const LayerMix& m)
        : phase(load(m.phase)), rate(load(m.rate)), wrapAt(load(m.wrapAt)), held(load(m.held)),
          gainLeft(load(m.gainLeft)), stepLeft(load(m.stepLeft)), gainRight(load(m.gainRight)),
          stepRight(load(m.stepRight)) {}
    // gainsMoved false: the gains stood still and are left as they stand.
    void keep(LayerMix& m, bool gainsMoved = true) const {
        store(m.phase, phase);
        store(m.held, held);
        if (!gainsMoved) return;
        store(m.gainLeft, gainLeft);
        store(m.gainRight, gainRight);
    }
    // The hold renews when its phase passes 2 (no carry).
    void hold(Float8 x) {
        phase = holdStep(phase, rate, wrapAt);
        held = phase == splat(0.0f) ? x : held;
    }
    // hold, for a steady layer (steadyLayer): the phase is 0 after a step
    // exactly when it wrapped.
    // (The comparison written through an intrinsic with the phase first, so
    // that the wrap point might be read from memory, gave a loop of 51
    // instructions a frame instead of 43 on the dense patch: the registers
    // fell out worse.)
    void holdAtWrap(Float8 x) {
        const Int8 wraps = phase >= wrapAt;
        phase = wraps ? splat(0.0f) : phase + rate;
        held = wraps ? x : held;
    }
    void moveGains() {
        gainLeft += stepLeft;
        gainRight += stepRight;
    }
};

// A layer whose frames need neither the gains' steps nor a look at the
// phase after each step.  Its gains stand still: a step leaves each as it
// is, to the bit (steps of 0, or too small to move them), and so does every
// frame's.  Its rates are above 0 and its phases at or above 0 (not NaN):
// a step that does not wrap then lands at or above its rate, never on 0,
// and a phase stays at or above 0.
inline bool steadyLayer(const LayerMix& m) {
    const Float8 left = load(m.gainLeft), right = load(m.gainRight);
    const Int8 still = (reinterpret_cast<Int8>(left + load(m.stepLeft)) == reinterpret_cast<Int8>(left)) &
                       (reinterpret_cast<Int8>(right + load(m.stepRight)) == reinterpret_cast<Int8>(right));
    const Int8 renewAtWraps = (load(m.rate) > splat(0.0f)) & (load(m.phase) >= splat(0.0f));
    return bits(still & renewAtWraps) == (1u << kLanes) - 1;
}

// Lane k's entry `index` of its own hold cycle.
inline Int8 cycleEntries(Int8 index) {
    const Int8 lane = {0, 1, 2, 3, 4, 5, 6, 7};
    return lane * splatInt(kHoldCycle) + index;
}

// The lanes whose cycle was made for their rate and wrap point and is kept.
inline Int8 cyclesKept(const LayerMix& m) {
    const Int8 length = loadInt(m.cycleLength);
    const Int8 sameRate = reinterpret_cast<Int8>(load(m.cycleRate)) == reinterpret_cast<Int8>(load(m.rate));
    const Int8 sameWrap = reinterpret_cast<Int8>(load(m.cycleWrapAt)) == reinterpret_cast<Int8>(load(m.wrapAt));
    return sameRate & sameWrap & (length > splatInt(0)) & (length <= splatInt(kHoldCycle));
}

// The lanes whose phase is, to the bit, the cycle entry its index names:
// from there on the phase follows the cycle, whatever brought it there.  (An
// index is set only on a kept cycle, and every new rate makes the cycles
// anew with no index.)
inline Int8 onCycle(const LayerMix& m, Float8 phase) {
    const Int8 at = loadInt(m.cycleAt), length = loadInt(m.cycleLength);
    // (The length checked too, so that no index can reach past the table.)
    const Int8 usable = (at >= splatInt(0)) & (at < length) & (length <= splatInt(kHoldCycle));
    const Float8 entry = gather(&m.cycle[0][0], cycleEntries(usable ? at : splatInt(0)));
    return usable & (reinterpret_cast<Int8>(phase) == reinterpret_cast<Int8>(entry));
}

// A layer whose phases all stand on their cycles, or were left in them
// (LayerMix::phasesInCycle), moves n steps along them (n mod the length
// further on; n / length in floats is exact in its whole part, n being at
// most a tick and the length at most kHoldCycle) and leaves its phases in
// them; answers whether it did.  (Its phases read from the table every
// tick, the reads reaching eight lines of it that the effects had pushed
// out of the cache, were nearly 4 % of a render with the layers at rest.)
inline bool alongCycles(LayerMix& m, int32_t n) {
    if (!m.phasesInCycle && bits(onCycle(m, load(m.phase))) != (1u << kLanes) - 1) return false;
    const Int8 length = loadInt(m.cycleLength);
    const Int8 laps = truncated(splat(static_cast<float>(n)) / toFloat(length));
    Int8 at = loadInt(m.cycleAt) + (splatInt(n) - laps * length);
    at = at >= length ? at - length : at;
    storeInt(m.cycleAt, at);
    m.phasesInCycle = 1;
    return true;
}

// The phases a layer left in its cycles written out, before anything reads
// them (settleHoldPhases, for the code outside the kernels).  Out of line
// and cold: it runs once as a layer starts playing, and the mixes that
// check for it keep their own code as it was.
[[gnu::noinline, gnu::cold]] void settleNow(LayerMix& m) { settlePhases(m); }

inline void settle(LayerMix& m) {
    if (m.phasesInCycle) settleNow(m);
}

// The layers' phases step by step, side by side in one pass (each sample
// waits for the one before), and learn their place in their cycles as they
// wrap.
template <int Count>
void stepPhases(LayerMix* const (&layers)[kLayers], int32_t n) {
    Float8 phase[Count], rate[Count], wrapAt[Count];
    Int8 kept[Count], known[Count], since[Count];
    for (int j = 0; j < Count; ++j) {
        const LayerMix& m = *layers[j];
        phase[j] = load(m.phase);
        rate[j] = load(m.rate);
        wrapAt[j] = load(m.wrapAt);
        kept[j] = cyclesKept(m);
        known[j] = onCycle(m, phase[j]);
        since[j] = loadInt(m.cycleAt);
    }
    for (int32_t s = 0; s < n; ++s) {
        for (int j = 0; j < Count; ++j) {
            phase[j] = holdStep(phase[j], rate[j], wrapAt[j]);
            const Int8 wrapped = reinterpret_cast<Int8>(phase[j]) == splatInt(0);
            since[j] = wrapped ? splatInt(0) : since[j] + splatInt(1);
            known[j] |= wrapped;
        }
    }
    for (int j = 0; j < Count; ++j) {
        store(layers[j]->phase, phase[j]);
        storeInt(layers[j]->cycleAt, known[j] & kept[j] ? since[j] : splatInt(-1));
    }
}

// A resting layer (off, or on with nothing in its rows or holds) gives
// nothing: its holds stay at 0 while its phases run on (while it is on),
// and its gains move by their steps, if any.  Phases on their cycles move
// along them; the others step.
template <int Count>
void restPhases(LayerMix* const (&layers)[kLayers], const bool (&on)[kLayers], int32_t n) {
    LayerMix* stepping[kLayers] = {};
    int count = 0;
    for (int j = 0; j < Count; ++j)
        if (on[j] && !alongCycles(*layers[j], n)) stepping[count++] = layers[j];
    if (count == 1) stepPhases<1>(stepping, n);
    if (count == 2) stepPhases<2>(stepping, n);
    if (count == 3) stepPhases<3>(stepping, n);
}

void restGains(LayerMix* const (&layers)[kLayers], int count, int32_t n) {
    for (int j = 0; j < count; ++j) {
        const Float8 stepLeft = load(layers[j]->stepLeft), stepRight = load(layers[j]->stepRight);
        if (!any((stepLeft != splat(0.0f)) | (stepRight != splat(0.0f)))) continue;
        Float8 gainLeft = load(layers[j]->gainLeft), gainRight = load(layers[j]->gainRight);
        for (int32_t s = 0; s < n; ++s) {
            gainLeft += stepLeft;
            gainRight += stepRight;
        }
        store(layers[j]->gainLeft, gainLeft);
        store(layers[j]->gainRight, gainRight);
    }
}

// The span's layers sorted: those resting, and of them those on (whose
// phases run); answers whether any layer plays.
struct Resting {
    LayerMix* layers[kLayers] = {};
    bool on[kLayers] = {};
    int count = 0;
    LayerMix* running[kLayers] = {};
    int runningCount = 0;

    Resting(LayerMix* const* mixes, const LayerRole* roles) {
        for (int i = 0; i < kLayers; ++i) {
            if (roles[i].on && !roles[i].quiet) continue;
            on[count] = roles[i].on;
            layers[count++] = mixes[i];
            if (roles[i].on) running[runningCount++] = mixes[i];
        }
    }
    bool anyPlays() const { return count < kLayers; }
    // Every resting layer's phases and gains, when none plays.
    void restAll(int32_t n) const {
        if (count == 3) restPhases<3>(layers, on, n);
        restGains(layers, count, n);
    }
};

// A playing layer's frames with the phases of the resting layers that are
// on run beside them, in the same loop, so that the two chains of waiting
// samples overlap instead of following each other.
template <int Count, typename Frame>
inline void framesBeside(LayerMix* const (&running)[kLayers], int32_t n, Frame frame) {
    Float8 phase[Count + 1], rate[Count + 1], wrapAt[Count + 1];
    for (int j = 0; j < Count; ++j) {
        phase[j] = load(running[j]->phase);
        rate[j] = load(running[j]->rate);
        wrapAt[j] = load(running[j]->wrapAt);
    }
    for (int32_t s = 0; s < n; ++s) {
        frame(s);
        for (int j = 0; j < Count; ++j) phase[j] = holdStep(phase[j], rate[j], wrapAt[j]);
    }
    for (int j = 0; j < Count; ++j) store(running[j]->phase, phase[j]);
}

template <typename Frame>
inline void framesBeside(const Resting& resting, int32_t n, Frame frame) {
    if (resting.runningCount == 0) return framesBeside<0>(resting.running, n, frame);
    if (resting.runningCount == 1) return framesBeside<1>(resting.running, n, frame);
    framesBeside<2>(resting.running, n, frame);
}

// How a frame's eight lanes are added up: one after another in lane order
// (from 0), or in pairs across the halves:
// ((v0 + v4) + (v1 + v5)) + ((v2 + v6) + (v3 + v7)).
enum class LaneSum { InOrder, InPairs };

// Within each half of a and b, neighbours added up: a0 + a1, a2 + a3,
// b0 + b1, b2 + b3, then the same of the upper halves.
inline Float8 neighbourSums(Float8 a, Float8 b) {
    return __builtin_shufflevector(a, b, 0, 2, 8, 10, 4, 6, 12, 14) +
           __builtin_shufflevector(a, b, 1, 3, 9, 11, 5, 7, 13, 15);
}

// Eight rows' sums in pairs across the halves, in row order: each row's
// halves added first, then neighbours twice, which is the pairs' order
// operand for operand, with about two thirds of a transpose's shuffles.
inline Float8 sumRowsInPairs(const Float8 (&r)[kLanes]) {
    Float8 halves[4];  // rows 2i and 2i + 1: v0 + v4 .. v3 + v7 of each
    for (int i = 0; i < 4; ++i) {
        const Float8 low = __builtin_shufflevector(r[2 * i], r[2 * i + 1], 0, 1, 2, 3, 8, 9, 10, 11);
        const Float8 high = __builtin_shufflevector(r[2 * i], r[2 * i + 1], 4, 5, 6, 7, 12, 13, 14, 15);
        halves[i] = low + high;
    }
    // Rows 0, 2 | 1, 3 and 4, 6 | 5, 7 as (v0 + v4) + (v1 + v5) and
    // (v2 + v6) + (v3 + v7); then each row's two added.
    const Float8 sums = neighbourSums(neighbourSums(halves[0], halves[1]), neighbourSums(halves[2], halves[3]));
    return __builtin_shufflevector(sums, sums, 0, 4, 1, 5, 2, 6, 3, 7);
}

// Eight rows' lanes added up in the order given: in pairs without turning
// them; in lane order as columns of the turned block, added side by side
// instead of one after another within a row.  Either way each sum rounds as
// a row's own sum does, operand for operand.
template <LaneSum Order>
inline Float8 sumRows(Float8 (&r)[kLanes]) {
    if constexpr (Order == LaneSum::InPairs) {
        return sumRowsInPairs(r);
    } else {
        transpose(r);
        Float8 sum = splat(0.0f);
        for (int v = 0; v < kLanes; ++v) sum += r[v];
        return sum;
    }
}

// Each of n frames' eight lanes (frame(s), s < n) added up, eight frames
// at a time.
template <LaneSum Order, typename Frame>
inline void sumFrames(Frame frame, int32_t n, float* out) {
    int32_t k = 0;
    for (; k + kLanes <= n; k += kLanes) {
        Float8 block[kLanes];
        for (int j = 0; j < kLanes; ++j) block[j] = frame(k + j);
        store(out + k, sumRows<Order>(block));
    }
    if (k == n) return;
    Float8 block[kLanes];
    for (int j = 0; j < kLanes; ++j) block[j] = k + j < n ? frame(k + j) : splat(0.0f);
    const Float8 sum = sumRows<Order>(block);
    for (int32_t j = 0; j < n - k; ++j) out[k + j] = sum[j];
}

// A playing layer's frames in the shared mode, each its voices' gain × held
// (left gains alone); the first with the resting layers' phases beside it.
// Steady: the layer is (steadyLayer), and the frames leave out the gains'
// steps and the look at each phase after its step.
template <bool Steady>
void sharedFrames(Voices& v, const LayerMix& m, const Resting& resting, bool first, int32_t from, int32_t n,
                  Float8 (&voices)[kFrames]) {
    const auto frame = [&](int32_t s) __attribute__((always_inline)) {
        if (Steady) {
            v.holdAtWrap(load(m.rows[from + s]));
        } else {
            v.hold(load(m.rows[from + s]));
            v.moveGains();
        }
        voices[s] = v.gainLeft * v.held;
    };
    if (first)
        framesBeside(resting, n, frame);
    else
        for (int32_t s = 0; s < n; ++s) frame(s);
}

void mixShared(LayerMix* const* mixes, const LayerRole* roles, int32_t from, int32_t n, float (*sums)[kFrames]) {
    const Resting resting(mixes, roles);
    if (!resting.anyPlays()) {
        resting.restAll(n);
        for (int i = 0; i < kLayers; ++i)
            for (int32_t s = 0; s < n; ++s) sums[i][s] = 0.0f;
        return;
    }
    for (int i = 0; i < kLayers; ++i) settle(*mixes[i]);
    restGains(resting.layers, resting.count, n);
    bool first = true;
    for (int i = 0; i < kLayers; ++i) {
        if (!roles[i].on || roles[i].quiet) {
            for (int32_t s = 0; s < n; ++s) sums[i][s] = 0.0f;
            continue;
        }
        Voices v(*mixes[i]);
        Float8 voices[kFrames];
        const bool steady = steadyLayer(*mixes[i]);
        if (steady)
            sharedFrames<true>(v, *mixes[i], resting, first, from, n, voices);
        else
            sharedFrames<false>(v, *mixes[i], resting, first, from, n, voices);
        first = false;
        v.keep(*mixes[i], !steady);
        sumFrames<LaneSum::InOrder>([&](int32_t s) { return voices[s]; }, n, sums[i]);
    }
}

// Where a per-voice span's lane rows go as each frame's are made.  Into
// the rows themselves, for a filter that reads them later (the combs); a
// span that no routed layer reaches leaves them as they stand.
struct IntoRows {
    static constexpr bool kEveryFrame = false;
    LaneRows& left;
    LaneRows& right;
    void operator()(int32_t s, Float8 rowLeft, Float8 rowRight) const {
        store(left[s], rowLeft);
        store(right[s], rowRight);
    }
};

// The playing layers of a per-voice span side by side, a frame of all of
// them at a time, so that their chains of waiting samples overlap: each
// frame's lane rows are made once, as the sum of the routed layers' voices
// in layer order (from 0, as into cleared rows), and handed to the sink;
// the voices of a layer around the filter are kept and added up after the
// loop.  Steady: every playing layer is (steadyLayer; most spans, as a
// voice's gain ramps only while its envelope does), and the frame leaves out
// the gains' steps and the look at each phase after its step.
template <int Playing, bool AllRouted, bool Steady, typename Sink>
void mixPlaying(LayerMix* const* mixes, const LayerRole* roles, const Resting& resting, int32_t from, int32_t n,
                Sink& sink, float* dryLeft, float* dryRight) {
    LayerMix* playing[Playing] = {};
    bool routed[Playing] = {};
    bool anyRouted = false;
    for (int i = 0, j = 0; i < kLayers; ++i) {
        if (!roles[i].on || roles[i].quiet) continue;
        playing[j] = mixes[i];
        routed[j] = roles[i].routed;
        anyRouted = anyRouted || routed[j];
        ++j;
    }
    Voices v[Playing];
    for (int j = 0; j < Playing; ++j) v[j] = Voices(*playing[j]);
    Float8 around[Playing][2][kFrames];
    // (The frame inlined into the loop, so that its state stays in registers.)
    framesBeside(resting, n, [&](int32_t s) __attribute__((always_inline)) {
        Float8 rowLeft = splat(0.0f), rowRight = splat(0.0f);
        for (int j = 0; j < Playing; ++j) {
            if (Steady) {
                v[j].holdAtWrap(load(playing[j]->rows[from + s]));
            } else {
                v[j].hold(load(playing[j]->rows[from + s]));
                v[j].moveGains();
            }
            const Float8 voiceLeft = v[j].gainLeft * v[j].held, voiceRight = v[j].gainRight * v[j].held;
            if (AllRouted || routed[j]) {
                rowLeft += voiceLeft;
                rowRight += voiceRight;
            } else {
                around[j][0][s] = voiceLeft;
                around[j][1][s] = voiceRight;
            }
        }
        if (!AllRouted && !anyRouted && !Sink::kEveryFrame) return;
        sink(s, rowLeft, rowRight);
    });
    for (int j = 0; j < Playing; ++j) {
        v[j].keep(*playing[j], !Steady);
        if (AllRouted || routed[j]) continue;
        float* dry[2] = {dryLeft, dryRight};
        for (int c = 0; c < 2; ++c) {
            alignas(32) float sums[kFrames];
            sumFrames<LaneSum::InOrder>([&](int32_t s) { return around[j][c][s]; }, n, sums);
            for (int32_t s = 0; s < n; ++s) dry[c][s] += sums[s];
        }
    }
}

template <bool AllRouted, bool Steady, typename Sink>
void mixPlayingOf(int playing, LayerMix* const* mixes, const LayerRole* roles, const Resting& resting, int32_t from,
                  int32_t n, Sink& sink, float* dryLeft, float* dryRight) {
    if (playing == 1)
        return mixPlaying<1, AllRouted, Steady>(mixes, roles, resting, from, n, sink, dryLeft, dryRight);
    if (playing == 2)
        return mixPlaying<2, AllRouted, Steady>(mixes, roles, resting, from, n, sink, dryLeft, dryRight);
    mixPlaying<3, AllRouted, Steady>(mixes, roles, resting, from, n, sink, dryLeft, dryRight);
}

template <typename Sink>
void mixLanes(LayerMix* const* mixes, const LayerRole* roles, int32_t from, int32_t n, Sink& sink, float* dryLeft,
              float* dryRight) {
    const Resting resting(mixes, roles);
    if (!resting.anyPlays()) {
        resting.restAll(n);
        if constexpr (Sink::kEveryFrame)
            for (int32_t s = 0; s < n; ++s) sink(s, splat(0.0f), splat(0.0f));
        return;
    }
    for (int i = 0; i < kLayers; ++i) settle(*mixes[i]);
    restGains(resting.layers, resting.count, n);
    // Layers around the filter are rare: the usual span of layers all
    // through it keeps no voices aside.
    bool allRouted = true;
    for (int i = 0; i < kLayers; ++i) allRouted = allRouted && (!roles[i].on || roles[i].quiet || roles[i].routed);
    const int playing = kLayers - resting.count;
    bool steady = true;
    for (int i = 0; i < kLayers; ++i) steady = steady && (!roles[i].on || roles[i].quiet || steadyLayer(*mixes[i]));
    if (allRouted && steady)
        return mixPlayingOf<true, true>(playing, mixes, roles, resting, from, n, sink, dryLeft, dryRight);
    if (allRouted) return mixPlayingOf<true, false>(playing, mixes, roles, resting, from, n, sink, dryLeft, dryRight);
    mixPlayingOf<false, false>(playing, mixes, roles, resting, from, n, sink, dryLeft, dryRight);
}

void mixPerVoice(LayerMix* const* mixes, const LayerRole* roles, int32_t from, int32_t n, LaneRows& left,
                 LaneRows& right, float* dryLeft, float* dryRight) {
    IntoRows rows{left, right};
    mixLanes(mixes, roles, from, n, rows, dryLeft, dryRight);
}

struct Core {
    Float8 f, q, h, b, l;
};

// (Two forms with a shorter chain were measured: h = (u − l) − (q + f) × b,
// with l's step beside it (8 cycles a frame instead of 16), and h =
// (u − q × b) − l (12).  The first was 1.7 ns a frame faster with one layer
// playing and no faster with three; but both round differently, moving the
// dense song's render by 2.3e-7 relative RMS and a render at full resonance
// by 4e-7, so this form stays.)
inline Float8 run(Core& c, Float8 u) {
    c.b = c.f * c.h + c.b;
    c.l = c.f * c.b + c.l;
    c.h = u - (c.q * c.b + c.l);
    return c.h;
}

// The eight lanes of both channels through their cores a frame at a time.
// Each core's chain of waiting operations is all a frame waits on: the
// lanes' outputs and inputs are kept and added up after the last frame,
// and whatever makes the frames (the voices' mix) runs beside the chains.
// (Measured slower here, side by side in one process, with the same sums
// to the bit: the first block's sums between the loop's two halves, or at
// its eighth frame; the four sums of a frame made in the loop with
// horizontal adds; the row pairs' halves inserted from memory; the gains'
// ramps made before the frame loop; the layers but the last mixed into
// rows first.  Each left the loop less room than it gave.)
template <int Type>
class LaneCores {
public:
    static constexpr bool kEveryFrame = true;

    LaneCores(SvfLanes& left, SvfLanes& right) : sides{&left, &right} {
        for (int c = 0; c < 2; ++c) {
            const SvfLanes& s = *sides[c];
            main[c] = {Type == 3 ? load(s.fUpper) : load(s.f), Type == 3 ? load(s.qUpper) : load(s.q), load(s.hp),
                       load(s.bp), load(s.lp)};
            second[c] = {load(s.fLower), load(s.qLower), load(s.hp2), load(s.bp2), load(s.lp2)};
        }
    }

    [[gnu::always_inline]] void operator()(int32_t s, Float8 inLeft, Float8 inRight) {
        const Float8 in[2] = {inLeft, inRight};
        for (int c = 0; c < 2; ++c) {
            const Float8 u = in[c];
            inputs[c][s] = u;
            const Float8 h = run(main[c], u);
            if (Type == 0) outs[c][s] = main[c].l;
            if (Type == 1) outs[c][s] = main[c].b;
            if (Type == 2) outs[c][s] = h;
            if (Type == 3) {
                run(second[c], u);
                outs[c][s] = h + second[c].l;
            }
        }
    }

    // The n frames' sums, and the cores' state kept.
    void finish(int32_t n, float* sumLeft, float* sumRight, float* inputLeft, float* inputRight) {
        // The band reject's lanes were once filtered one after another and
        // summed in their order.
        constexpr LaneSum order = Type == 3 ? LaneSum::InOrder : LaneSum::InPairs;
        sumFrames<order>([&](int32_t s) { return outs[0][s]; }, n, sumLeft);
        sumFrames<order>([&](int32_t s) { return outs[1][s]; }, n, sumRight);
        sumFrames<LaneSum::InPairs>([&](int32_t s) { return inputs[0][s]; }, n, inputLeft);
        sumFrames<LaneSum::InPairs>([&](int32_t s) { return inputs[1][s]; }, n, inputRight);
        for (int c = 0; c < 2; ++c) {
            SvfLanes& s = *sides[c];
            store(s.hp, main[c].h);
            store(s.bp, main[c].b);
            store(s.lp, main[c].l);
            if (Type == 3) {
                store(s.hp2, second[c].h);
                store(s.bp2, second[c].b);
                store(s.lp2, second[c].l);
            }
        }
    }

private:
    SvfLanes* sides[2];
    Core main[2], second[2];
    Float8 inputs[2][kFrames], outs[2][kFrames];
};

template <int Type>
void filterCores(SvfLanes& left, SvfLanes& right, const LaneRows& inLeft, const LaneRows& inRight, int32_t n,
                 float* sumLeft, float* sumRight, float* inputLeft, float* inputRight) {
    LaneCores<Type> cores(left, right);
    for (int32_t s = 0; s < n; ++s) cores(s, load(inLeft[s]), load(inRight[s]));
    cores.finish(n, sumLeft, sumRight, inputLeft, inputRight);
}

void filterLanes(SvfLanes& left, SvfLanes& right, const LaneRows& inLeft, const LaneRows& inRight, int32_t n,
                 int32_t type, float* sumLeft, float* sumRight, float* inputLeft, float* inputRight) {
    switch (type) {
        case 0: return filterCores<0>(left, right, inLeft, inRight, n, sumLeft, sumRight, inputLeft, inputRight);
        case 1: return filterCores<1>(left, right, inLeft, inRight, n, sumLeft, sumRight, inputLeft, inputRight);
        case 2: return filterCores<2>(left, right, inLeft, inRight, n, sumLeft, sumRight, inputLeft, inputRight);
        default: return filterCores<3>(left, right, inLeft, inRight, n, sumLeft, sumRight, inputLeft, inputRight);
    }
}

template <int Type>
void mixThroughCores(LayerMix* const* mixes, const LayerRole* roles, int32_t from, int32_t n,
                     const LaneFiltering& lanes, float* dryLeft, float* dryRight) {
    LaneCores<Type> cores(*lanes.left, *lanes.right);
    mixLanes(mixes, roles, from, n, cores, dryLeft, dryRight);
    cores.finish(n, lanes.sumLeft, lanes.sumRight, lanes.inputLeft, lanes.inputRight);
}

void mixFiltered(LayerMix* const* mixes, const LayerRole* roles, int32_t from, int32_t n, const LaneFiltering& lanes,
                 float* dryLeft, float* dryRight) {
    switch (lanes.type) {
        case 0: return mixThroughCores<0>(mixes, roles, from, n, lanes, dryLeft, dryRight);
        case 1: return mixThroughCores<1>(mixes, roles, from, n, lanes, dryLeft, dryRight);
        case 2: return mixThroughCores<2>(mixes, roles, from, n, lanes, dryLeft, dryRight);
        default: return mixThroughCores<3>(mixes, roles, from, n, lanes, dryLeft, dryRight);
    }
}

#if defined(ZORVANE_KERNELS_AVX512) && !defined(__clang__)
#pragma GCC pop_options
#endif

constexpr VoiceKernels kKernels = {random,     glide,      envelope,   filterEnvelopes, cutoffs,  laneCutoffs, driftNotes, laneCoefficients,
                                   gains,      noteTable,  voiceNotes, incrementsOf<false>, incrementsOf<true>, takeRows,
                                   readFrames, mixShared,  mixPerVoice, filterLanes, mixFiltered, readTick,
                                   readClearTicks, fusesPlainMultiplyAdds};

}  // namespace
}  // namespace voicelanes
