#include "effects/BWChorusXStereo.h"

#include <algorithm>
#include <cstdio>

#include "core/BWSystemInfo.h"
#include "core/CurveTables.h"
#include "effects/Lanes4.h"
#include "effects/WideKernels.h"
#include "platform/CpuFeatures.h"

namespace {

constexpr float kLineSamplesAt44k = 1000.0f;  // line length at 44.1 kHz, in samples
constexpr float kSecondRateRatio = 3.236068f;
constexpr float kSecondCentreRatio = 4.76394f;
constexpr float kInputGain = 0.57735026f;  // 1/sqrt(3): room for the two voices
constexpr float kSnap = 1e-7f;

// Two neighbouring samples in the low lanes.
inline __m128 pairAt(const float* from) {
    return _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(from));
}

// A chunk's levels: at rest, or with a step too small to move them, no
// running sum.  The fill covers the whole chunk whatever its count, so that
// it is a few fixed stores; the levels past `count` are never read.
template <int32_t Chunk>
[[gnu::always_inline]] inline void fillLevels(float (&levels)[Chunk], int32_t count, float& mix, float step) {
    if (mix + step == mix) {
        std::fill_n(levels, Chunk, mix);
    } else {
        for (int32_t n = 0; n < count; ++n) levels[n] = mix += step;
    }
}

// A frame's input, scaled and through each channel's light filter: the
// values the lines take.
[[gnu::always_inline]] inline void filterFrame(float left, float right, float& fl, float& fr) {
    const float inLeft = left * kInputGain;
    const float inRight = right * kInputGain;
    fl = inLeft * 1.53846f - fl * 0.35f;
    fr = inRight * 1.53846f - fr * 0.35f;
}

}  // namespace

BWChorusXStereo::BWChorusXStereo(uint32_t id, BWSystemInfo* owner, const NoteDivisionLists* lists)
    : BWEffect(id, kParameterCount, owner, lists), sineTable(getLookupTable0()), sineSlope(getLookupTable9()) {
    setName("BWChorusXStereo");
    for (TrackedFloatBuffer& line : lines) {
        line.trackedList = stateRegistry;
        line.tracked = true;
        line.aligned = true;
    }
    listMemory(&filterLeft, sizeof filterLeft);
    listMemory(&filterRight, sizeof filterRight);
    prepare();  // allocates the lines
    setParameterName(kRate, "F");
    setDefault(kRate, 1.0f);
    setParameter(kRate, 1.0f);
    setParameterName(kDepth, "depth");
    setDefault(kDepth, 1.0f);
    setParameter(kDepth, 1.0f);
    takeParameters();
    joinOwnerList();
}

BWChorusXStereo::~BWChorusXStereo() {
    unlistMemory(&filterLeft);
    unlistMemory(&filterRight);
    leaveOwnerList();
}

void BWChorusXStereo::prepare() {
    samplesPerMs = owner->samplesPerMs;
    lineLength = std::max(2, static_cast<int32_t>(owner->sampleRateFactor * kLineSamplesAt44k));
    const auto length = static_cast<uint64_t>(lineLength);
    for (TrackedFloatBuffer& line : lines) {
        if (line.getCapacity() < length)
            line.reallocateZeroed(length);
        else
            line.resize(length);  // within capacity: only the length changes
    }
    if (writeIndex >= lineLength) writeIndex = 0;
    // The centre delays are kept in milliseconds: recomputed here, a rate
    // change moves them to the same time at the new rate.
    retakeParameter(kDepth);
}

void BWChorusXStereo::applyParameter(uint32_t index, float value) {
    if (index == kRate)
        applyRate(value);
    else
        applyDepth(value);
}

void BWChorusXStereo::applyRate(float value) {
    const float rate = unitRange(value) + 0.04f;
    lfoRate1 = 4.0f * rate;
    lfoRate2 = kSecondRateRatio * rate;
}

void BWChorusXStereo::applyDepth(float value) {
    // Never quite 0, so that the voices never collapse onto the dry signal.
    const float depth = unitRange(value) + 0.05f;
    centre1 = 4.0f * depth * samplesPerMs;
    swing1 = centre1 * 0.5f;
    centre2 = kSecondCentreRatio * depth * samplesPerMs;
    swing2 = centre2 * 0.5f;
}

void BWChorusXStereo::setMix(float level) { wetTarget.store(unitRange(level), std::memory_order_relaxed); }

void BWChorusXStereo::getParameterDisplay(int32_t, float, char* text) {
    std::snprintf(text, kDisplayTextSize, "todo");
}

float BWChorusXStereo::sine(float phase) const {
    const float* table = sineTable;
    const float* slope = sineSlope;
    const float position = phase * 1024.0f;
    const auto whole = static_cast<int32_t>(position);
    const int32_t index = whole & 1023;
    return table[index] + (position - static_cast<float>(whole)) * slope[index];
}

void BWChorusXStereo::tick() {
    const float g = owner->glideFactor;
    glide(wetTarget.load(std::memory_order_relaxed), currentMix, mixStep, g, kSnap);

    const float mod1 = advance(phase1, lfoRate1, swing1);
    const float mod2 = advance(phase2, lfoRate2, swing2);
    // The four delays glide side by side; no target below 0 (as
    // std::max(target, 0) takes them, NaN kept).
    const __m128 targets = _mm_setr_ps(centre1 + mod1, centre1 - mod1, centre2 + mod2, centre2 - mod2);
    lanes4::glide(_mm_max_ps(_mm_setzero_ps(), targets), currentDelay.data(), delayStep.data(), g, kSnap);
}

float BWChorusXStereo::advance(float& phase, float rate, float swing) const {
    phase += owner->tickPerRate * rate;
    while (phase > 1.0f) phase -= 1.0f;
    return sine(phase) * swing;
}

void BWChorusXStereo::process(float* left, float* right, int32_t frames) {
    using namespace lanes4;
    takeParameters();
    // Where every delay stays a sample clear of both limits from the start
    // of the block to its end (a glide's steps are the same all block, so
    // its values run straight between the two), holding them to the limits
    // changes nothing and can be left out of the chain from sample to sample.
    const Floats start = load(currentDelay.data());
    const Floats end = add(start, mul(load(delayStep.data()), splat(static_cast<float>(frames))));
    const Floats low = _mm_min_ps(start, end);
    const Floats high = _mm_max_ps(start, end);
    const Floats ceiling = splat(static_cast<float>(lineLength - 2) - 1.0f);
    const int inside = _mm_movemask_ps(_mm_and_ps(_mm_cmpge_ps(low, splat(1.0f)), _mm_cmple_ps(high, ceiling)));
    if (inside != 0xf) {
        run<true, true>(left, right, frames);
        return;
    }
    const bool reach = mayReachStart(low, high, frames);
    if (wideKernelsFor(heldToAvx2))
        reach ? runFreeWide<true>(left, right, frames) : runFreeWide<false>(left, right, frames);
    else if (platform::cpuHasAvx2())
        reach ? runFreeAvx2<true>(left, right, frames) : runFreeAvx2<false>(left, right, frames);
    else
        reach ? run<false, true>(left, right, frames) : run<false, false>(left, right, frames);
}

// Whether a near tap may sit at the line's start within the block: where a
// voice's whole delay meets the write index.  Each delay runs straight from
// `low` to `high` (within a sample, whatever its steps round to), and the
// write index from its place on by one a frame, unless it wraps.
bool BWChorusXStereo::mayReachStart(__m128 low, __m128 high, int32_t frames) const {
    const int32_t lastWrite = writeIndex + frames - 1;
    if (lastWrite >= lineLength) return true;
    const __m128i ones = _mm_set1_epi32(1);
    const __m128i fewest = _mm_sub_epi32(_mm_cvttps_epi32(low), ones);
    const __m128i most = _mm_add_epi32(_mm_cvttps_epi32(high), ones);
    // Apart where the fewest lie past the last write or the most before the first.
    const __m128i apart = _mm_or_si128(_mm_cmpgt_epi32(fewest, _mm_set1_epi32(lastWrite)),
                                       _mm_cmpgt_epi32(_mm_set1_epi32(writeIndex), most));
    return _mm_movemask_ps(_mm_castsi128_ps(apart)) != 0xf;
}

// Each channel's two voices join its scaled input, and the sum is mixed
// with the input at each frame's level: four frames a step, the four voices
// of four frames turned into one vector per voice, each lane as the scalar
// form of the tail.
// Inline in each block routine, so that the AVX2 one never calls code built
// for the baseline's encoding with its wide registers in use (a stall on
// every switch).
[[gnu::always_inline]] inline void BWChorusXStereo::mixVoices(float* left, float* right,
                                                             const float (*voices)[kVoices], const float* levels,
                                                             int32_t count) {
    using namespace lanes4;
    int32_t n = 0;
    for (; n + 4 <= count; n += 4) {
        Floats v0 = load(voices[n]);
        Floats v1 = load(voices[n + 1]);
        Floats v2 = load(voices[n + 2]);
        Floats v3 = load(voices[n + 3]);
        _MM_TRANSPOSE4_PS(v0, v1, v2, v3);
        const Floats level = load(levels + n);
        const Floats l = load(left + n);
        const Floats r = load(right + n);
        const Floats inLeft = mul(l, splat(kInputGain));
        const Floats inRight = mul(r, splat(kInputGain));
        store(left + n, add(l, mul(sub(add(add(inLeft, v0), v1), l), level)));
        store(right + n, add(r, mul(sub(add(add(inRight, v2), v3), r), level)));
    }
    for (; n < count; ++n) {
        const float inLeft = left[n] * kInputGain;
        const float inRight = right[n] * kInputGain;
        left[n] += ((inLeft + voices[n][0] + voices[n][1]) - left[n]) * levels[n];
        right[n] += ((inRight + voices[n][2] + voices[n][3]) - right[n]) * levels[n];
    }
}

template <bool Hold, bool MayReachStart>
void BWChorusXStereo::run(float* left, float* right, int32_t frames) {
    using namespace lanes4;
    // The running state in locals (the four delays in one vector) for the
    // block; each voice reads as readLine did, lane by lane.
    // Both voices of a channel read its one line: a line of its own for each
    // would hold the same samples, and cost a write a sample and its share
    // of the cache.
    float* const leftLine = lines[0].getData();
    float* const rightLine = lines[1].getData();
    float* const lineData[kVoices] = {leftLine, leftLine, rightLine, rightLine};
    const int32_t length = lineLength;
    // Two samples short of the line, so that both interpolation taps stay
    // inside it even while a delay still glides from a longer line.
    const Floats longest = splat(static_cast<float>(length - 2));
    const Floats step = load(delayStep.data());
    Floats delay = load(currentDelay.data());
    const __m128i lengths = _mm_set1_epi32(length);
    const __m128i ones = _mm_set1_epi32(1);
    float mix = currentMix;
    const float mixStepAll = mixStep;
    float fl = filterLeft;
    float fr = filterRight;
    int32_t w = writeIndex;
    // The voices and levels of a chunk are kept, and the chunk's output made
    // from them afterwards, four frames a step.
    alignas(16) float voices[kChunk][kVoices];
    float levels[kChunk];
    for (int32_t done = 0; done < frames; done += kChunk) {
        const int32_t count = std::min(kChunk, frames - done);
        float* const chunkLeft = left + done;
        float* const chunkRight = right + done;
        fillLevels(levels, count, mix, mixStepAll);
        for (int32_t n = 0; n < count; ++n) {
            filterFrame(chunkLeft[n], chunkRight[n], fl, fr);
            leftLine[w] = fl;
            rightLine[w] = fr;
            delay = add(delay, step);
            if constexpr (Hold) delay = _mm_min_ps(_mm_max_ps(delay, _mm_setzero_ps()), longest);
            const __m128i whole = _mm_cvttps_epi32(delay);
            const __m128i i = _mm_sub_epi32(_mm_set1_epi32(w), whole);
            // b = i <= 0 ? i - 1 + length : i - 1
            const __m128i back = _mm_sub_epi32(i, ones);
            const __m128i b = _mm_add_epi32(back, _mm_and_si128(_mm_cmplt_epi32(back, _mm_setzero_si128()), lengths));
            const Floats weight = sub(splat(1.0f), sub(delay, _mm_cvtepi32_ps(whole)));
            alignas(16) int32_t before[kVoices];
            _mm_store_si128(reinterpret_cast<__m128i*>(before), b);
            // Read back from memory, one load an index, rather than taken
            // out of the register two or three instructions apiece.
            asm("" : "+m"(before));
            Floats near;
            Floats far;
            // The near tap sits at the line's start only where i is 0: a
            // delay never reaches back a whole line, so i stays above -length.
            if (!MayReachStart || _mm_movemask_epi8(_mm_cmpeq_epi32(i, _mm_setzero_si128())) == 0) {
                // No tap at the line's start: each voice's two taps lie side by
                // side, one load apiece.
                const Floats taps01 = _mm_loadh_pi(pairAt(lineData[0] + before[0]),
                                                   reinterpret_cast<const __m64*>(lineData[1] + before[1]));
                const Floats taps23 = _mm_loadh_pi(pairAt(lineData[2] + before[2]),
                                                   reinterpret_cast<const __m64*>(lineData[3] + before[3]));
                far = _mm_shuffle_ps(taps01, taps23, _MM_SHUFFLE(2, 0, 2, 0));
                near = _mm_shuffle_ps(taps01, taps23, _MM_SHUFFLE(3, 1, 3, 1));
            } else {
                // a = i < 0 ? i + length : i
                const __m128i a = _mm_add_epi32(i, _mm_and_si128(_mm_cmplt_epi32(i, _mm_setzero_si128()), lengths));
                alignas(16) int32_t at[kVoices];
                _mm_store_si128(reinterpret_cast<__m128i*>(at), a);
                near = _mm_setr_ps(lineData[0][at[0]], lineData[1][at[1]], lineData[2][at[2]], lineData[3][at[3]]);
                far = _mm_setr_ps(lineData[0][before[0]], lineData[1][before[1]], lineData[2][before[2]],
                                  lineData[3][before[3]]);
            }
            store(voices[n], add(far, mul(sub(near, far), weight)));
            if (++w >= length) w = 0;
        }
        mixVoices(chunkLeft, chunkRight, voices, levels, count);
    }
    store(currentDelay.data(), delay);
    currentMix = mix;
    filterLeft = fl;
    filterRight = fr;
    writeIndex = w;
}

template <bool MayReachStart>
[[gnu::target("avx2"), gnu::always_inline]] inline void BWChorusXStereo::freeBlock(float* left, float* right,
                                                                                  int32_t frames) {
    using namespace lanes4;
    float* const leftLine = lines[0].getData();
    float* const rightLine = lines[1].getData();
    const int32_t length = lineLength;
    const Floats step = load(delayStep.data());
    Floats delay = load(currentDelay.data());
    const __m256i lengths = _mm256_set1_epi32(length);
    const __m256i ones = _mm256_set1_epi32(1);
    float mix = currentMix;
    const float mixStepAll = mixStep;
    float fl = filterLeft;
    float fr = filterRight;
    int32_t w = writeIndex;
    alignas(32) float voices[kChunk][kVoices];
    float levels[kChunk];
    for (int32_t done = 0; done < frames; done += kChunk) {
        const int32_t count = std::min(kChunk, frames - done);
        float* const chunkLeft = left + done;
        float* const chunkRight = right + done;
        fillLevels(levels, count, mix, mixStepAll);
        for (int32_t n = 0; n < count; n += 2) {
            // A lone last frame takes both halves of a pair, the second made
            // and never used.
            const bool pair = n + 1 < count;
            filterFrame(chunkLeft[n], chunkRight[n], fl, fr);
            leftLine[w] = fl;
            rightLine[w] = fr;
            const int32_t first = w;
            const Floats firstDelay = add(delay, step);
            delay = firstDelay;
            int32_t second = first;
            if (pair) {
                if (++w >= length) w = 0;
                second = w;
                delay = add(delay, step);
            }
            if (++w >= length) w = 0;
            // Frame n in the low half, n + 1 in the high one.
            const __m256 both = _mm256_set_m128(delay, firstDelay);
            const __m256i whole = _mm256_cvttps_epi32(both);
            const __m256i i = _mm256_sub_epi32(
                _mm256_set_m128i(_mm_set1_epi32(second), _mm_set1_epi32(first)), whole);
            const __m256i back = _mm256_sub_epi32(i, ones);
            const __m256i b =
                _mm256_add_epi32(back, _mm256_and_si256(_mm256_cmpgt_epi32(_mm256_setzero_si256(), back), lengths));
            const __m256 weight = _mm256_sub_ps(_mm256_set1_ps(1.0f), _mm256_sub_ps(both, _mm256_cvtepi32_ps(whole)));
            alignas(32) int32_t before[2 * kVoices];
            _mm256_store_si256(reinterpret_cast<__m256i*>(before), b);
            asm("" : "+m"(before));
            __m256 far;
            __m256 near;
            // As in run: the near tap sits at the line's start only where i is 0.
            if (!MayReachStart || _mm256_testz_si256(_mm256_cmpeq_epi32(i, _mm256_setzero_si256()),
                                                      _mm256_set1_epi32(-1)) != 0) {
                // Each voice's two taps side by side, one load apiece.
                const __m256 taps01 = _mm256_set_m128(
                    _mm_loadh_pi(pairAt(leftLine + before[4]), reinterpret_cast<const __m64*>(leftLine + before[5])),
                    _mm_loadh_pi(pairAt(leftLine + before[0]), reinterpret_cast<const __m64*>(leftLine + before[1])));
                const __m256 taps23 = _mm256_set_m128(
                    _mm_loadh_pi(pairAt(rightLine + before[6]), reinterpret_cast<const __m64*>(rightLine + before[7])),
                    _mm_loadh_pi(pairAt(rightLine + before[2]), reinterpret_cast<const __m64*>(rightLine + before[3])));
                far = _mm256_shuffle_ps(taps01, taps23, _MM_SHUFFLE(2, 0, 2, 0));
                near = _mm256_shuffle_ps(taps01, taps23, _MM_SHUFFLE(3, 1, 3, 1));
            } else {
                // a = i < 0 ? i + length : i
                const __m256i a =
                    _mm256_add_epi32(i, _mm256_and_si256(_mm256_cmpgt_epi32(_mm256_setzero_si256(), i), lengths));
                alignas(32) int32_t at[2 * kVoices];
                _mm256_store_si256(reinterpret_cast<__m256i*>(at), a);
                near = _mm256_setr_ps(leftLine[at[0]], leftLine[at[1]], rightLine[at[2]], rightLine[at[3]],
                                      leftLine[at[4]], leftLine[at[5]], rightLine[at[6]], rightLine[at[7]]);
                far = _mm256_setr_ps(leftLine[before[0]], leftLine[before[1]], rightLine[before[2]],
                                     rightLine[before[3]], leftLine[before[4]], leftLine[before[5]],
                                     rightLine[before[6]], rightLine[before[7]]);
            }
            // The second frame's input joins its line only now: the first
            // frame's reads reach back as far as a line holds.
            if (pair) {
                filterFrame(chunkLeft[n + 1], chunkRight[n + 1], fl, fr);
                leftLine[second] = fl;
                rightLine[second] = fr;
            }
            const __m256 voice = _mm256_add_ps(far, _mm256_mul_ps(_mm256_sub_ps(near, far), weight));
            if (pair)
                _mm256_store_ps(voices[n], voice);
            else
                _mm_store_ps(voices[n], _mm256_castps256_ps128(voice));
        }
        mixVoices(chunkLeft, chunkRight, voices, levels, count);
    }
    store(currentDelay.data(), delay);
    currentMix = mix;
    filterLeft = fl;
    filterRight = fr;
    writeIndex = w;
}

template <bool MayReachStart>
[[gnu::target("avx2")]] void BWChorusXStereo::runFreeAvx2(float* left, float* right, int32_t frames) {
    freeBlock<MayReachStart>(left, right, frames);
}

// The same block given AVX-512VL's thirty-two vector registers.
template <bool MayReachStart>
[[gnu::target(ZORVANE_WIDE_TARGET)]] void BWChorusXStereo::runFreeWide(float* left, float* right, int32_t frames) {
    freeBlock<MayReachStart>(left, right, frames);
}
