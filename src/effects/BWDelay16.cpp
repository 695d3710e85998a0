#include "effects/BWDelay16.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/BWSystemInfo.h"
#include "effects/Lanes4.h"
#include "effects/Lanes8.h"
#include "effects/LineAhead.h"
#include "effects/WideKernels.h"
#include "platform/CpuFeatures.h"

namespace {

constexpr float kInitialValues[BWDelay16::kParameterCount] = {0.5f, 0.5f, 0.78f};
constexpr const char* kParameterNames[BWDelay16::kParameterCount] = {"Delay_Left", "Delay_Right", "Feedback"};

constexpr float kFeedbackScale = 0.99f;
constexpr float kSnap = 1e-7f;

// Four beats of a tempo plus four samples of slack.
uint32_t ringFor(double samplesPerBeat) { return static_cast<uint32_t>(samplesPerBeat * 4.0 + 4.0); }

// x (1 - |x| / 4) rises to its peak of 1 at |x| = 2 and falls back beyond it,
// into ever larger values of the other sign that would run away in the loop.
// Holding the input at the peak keeps every line value within +-1 whatever
// the input; NaN counts as silence so that one bad sample cannot poison the
// loop for good.
// Selects rather than a branch, so that the line writes vectorise.
inline float saturate(float x) {
    float held = x < -2.0f ? -2.0f : x;
    held = held > 2.0f ? 2.0f : held;
    held = held == held ? held : 0.0f;
    return (1.0f - std::fabs(held) * 0.25f) * held;
}

// Line values saturate(flushTiny(audio + fb * fedBack)) for a run of samples,
// four at a time where they can, each lane exactly as the scalar form.
[[gnu::always_inline]] inline void writeLine(float* to, const float* audio, const float* fedBack, int32_t count,
                                             float fb) {
    using namespace lanes4;
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        Floats x = lanes4::flushTiny(add(load(audio + i), mul(splat(fb), load(fedBack + i))));
        x = _mm_and_ps(_mm_cmpord_ps(x, x), x);
        x = _mm_min_ps(_mm_max_ps(x, splat(-2.0f)), splat(2.0f));
        const Floats magnitude = _mm_andnot_ps(splat(-0.0f), x);
        store(to + i, mul(sub(splat(1.0f), mul(magnitude, splat(0.25f))), x));
    }
    for (; i < count; ++i) {
        const float x = audio[i] + fb * fedBack[i];
        to[i] = saturate(std::fabs(x) < 1e-20f ? 0.0f : x);
    }
}

// writeLine eight at a time, each lane exactly as the four-lane form.
[[gnu::target("avx2")]] inline void writeLine8(float* to, const float* audio, const float* fedBack, int32_t count,
                                              float fb) {
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        __m256 x = lanes8::flushTiny(_mm256_add_ps(_mm256_loadu_ps(audio + i),
                                                   _mm256_mul_ps(_mm256_set1_ps(fb), _mm256_loadu_ps(fedBack + i))));
        x = _mm256_and_ps(_mm256_cmp_ps(x, x, _CMP_ORD_Q), x);
        x = _mm256_min_ps(_mm256_max_ps(x, _mm256_set1_ps(-2.0f)), _mm256_set1_ps(2.0f));
        const __m256 magnitude = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), x);
        _mm256_storeu_ps(to + i,
                         _mm256_mul_ps(_mm256_sub_ps(_mm256_set1_ps(1.0f), _mm256_mul_ps(magnitude, _mm256_set1_ps(0.25f))), x));
    }
    writeLine(to + i, audio + i, fedBack + i, count - i, fb);
}

}  // namespace

BWDelay16::BWDelay16(uint32_t id, BWSystemInfo* ownerInfo, const NoteDivisionLists* lists)
    : BWEffect(id, kParameterCount, ownerInfo, lists),
      lineLeft(stateRegistry, true, true),
      lineRight(stateRegistry, true, true) {
    setName("Delay16");
    listMemory(&outLeft, sizeof outLeft);
    listMemory(&outRight, sizeof outRight);
    prepare();
    installParameters(kParameterNames, kInitialValues);
    joinOwnerList();
}

BWDelay16::~BWDelay16() {
    unlistMemory(&outLeft);
    unlistMemory(&outRight);
    leaveOwnerList();
}

// One to sixteen sixteenth notes, kept one sample inside the ring in use.
double BWDelay16::sixteenthsDelay(float value) const {
    const int32_t sixteenths = static_cast<int32_t>(unitRange(value) * 15.0f + 0.5f) + 1;
    const double delay = sixteenths * 0.25 * owner->samplesPerBeatF;
    const double longest = static_cast<double>(ringLength) - 1.0;
    return delay < longest ? delay : longest;
}

void BWDelay16::applyParameter(uint32_t index, float value) {
    switch (index) {
    case kDelayLeft:
        targetLeft = sixteenthsDelay(value);
        break;
    case kDelayRight:
        targetRight = sixteenthsDelay(value);
        break;
    case kFeedback:
        feedback = unitRange(value) * kFeedbackScale;
        break;
    default:
        break;
    }
}

void BWDelay16::updateTiming() {
    const uint32_t capacity = static_cast<uint32_t>(lineLeft.getCapacity());
    const uint32_t wanted = ringFor(owner->samplesPerBeatF);
    // Below the slowest tempo the ring stays at its capacity and the times
    // are held inside it.
    ringLength = wanted < capacity ? wanted : capacity - 1;
    retakeParameter(kDelayLeft);
    retakeParameter(kDelayRight);
    const float ring = static_cast<float>(ringLength);
    if (delayLeft >= ring) delayLeft = static_cast<float>(targetLeft);
    if (delayRight >= ring) delayRight = static_cast<float>(targetRight);
    if (writeIndex >= ringLength) writeIndex = 0;
}

void BWDelay16::prepare() {
    const uint64_t capacity = ringFor(owner->maxSamplesPerBeat()) + 1;
    // The ring of the tempo at hand is all the render touches until the
    // tempo slows; the rest of the line stays unfaulted until then.
    const uint64_t resident = uint64_t{ringFor(owner->samplesPerBeatF)} + 1;
    for (TrackedFloatBuffer* line : {&lineLeft, &lineRight}) {
        if (line->getCapacity() < capacity) line->reallocateZeroed(capacity, resident);
    }
    updateTiming();
}

void BWDelay16::setMix(float mix) { wetTarget.store(unitRange(mix), std::memory_order_relaxed); }

void BWDelay16::getParameterDisplay(int32_t, float, char* text) { std::snprintf(text, kDisplayTextSize, "todo"); }

void BWDelay16::tick() {
    const float g = owner->glideFactor;
    glide(wetTarget.load(std::memory_order_relaxed), wet, wetStep, g, kSnap);
    glide(static_cast<float>(targetLeft), delayLeft, delayLeftStep, g, kSnap);
    glide(static_cast<float>(targetRight), delayRight, delayRightStep, g, kSnap);
}

namespace {

// Linear interpolation at `delay` samples behind the one just written at
// `write`: the sample at the whole position weighs 1 - fraction and its
// successor fraction, so that a gliding time moves the read point smoothly.
[[gnu::always_inline]] inline float readRing(const float* line, uint32_t write, float delay, uint32_t ringLength) {
    const float ring = static_cast<float>(ringLength);
    float position = static_cast<float>(write) - delay;
    if (position < 0.0f) position += ring;
    // A position that rounds onto the ring's end, or a NaN, reads the start.
    uint32_t index = 0;
    float fraction = 0.0f;
    if (position > 0.0f && position < ring) {
        index = static_cast<uint32_t>(position);
        fraction = position - static_cast<float>(index);
    }
    const uint32_t next = index + 1 < ringLength ? index + 1 : 0;
    const float a = line[index];
    const float b = line[next];
    return a + (b - a) * fraction;
}

}  // namespace

// Whether the block's read positions, float(w + i) - delay as readRing takes
// them, are the exact values w + i - delay, inside the ring without a wrap:
// then they share one fraction and their indices run on by one.  Exact at
// both ends (on the same side of the wrap) means exact in between, since
// the values in between need no finer resolution than the larger end.
inline bool BWDelay16::contiguousReads(uint32_t w, int32_t frames, float delay, uint32_t& first, float& fraction) const {
    const uint32_t ring = ringLength;
    const auto last = static_cast<uint32_t>(frames - 1);
    if (w + last >= ring) return false;
    // Both roundings, before and after the wrap, must be exact.
    const auto position = [&](uint32_t at, bool& exact) {
        float p = static_cast<float>(at) - delay;
        double e = static_cast<double>(at) - static_cast<double>(delay);
        exact = static_cast<double>(p) == e;
        if (p < 0.0f) {
            p += static_cast<float>(ring);
            e += static_cast<double>(ring);
            exact = exact && static_cast<double>(p) == e;
        }
        return p;
    };
    bool exactStart = false;
    bool exactEnd = false;
    const float start = position(w, exactStart);
    const float end = position(w + last, exactEnd);
    const bool sameSide = (static_cast<float>(w) - delay < 0.0f) == (static_cast<float>(w + last) - delay < 0.0f);
    if (!sameSide || !exactStart || !exactEnd) return false;
    if (!(start > 0.0f) || !(end + 1.0f < static_cast<float>(ring))) return false;
    first = static_cast<uint32_t>(start);
    fraction = start - static_cast<float>(first);
    return true;
}

// One channel of a block in which the time does not glide and reads lie more
// than a block behind the writes: the reads, the line writes and the output
// each run as a loop of their own, with no sample waiting for another.
template <int32_t FixedFrames, bool Wide>
[[gnu::always_inline]] inline void BWDelay16::steadyChannel(float* line, float* audio, int32_t anyFrames, float delay, float& out,
                              const float* wetGains) const {
    const int32_t frames = FixedFrames > 0 ? FixedFrames : anyFrames;
    if (frames <= 0) return;  // no last read to feed back
    const uint32_t ring = ringLength;
    const uint32_t w = writeIndex;
    lineahead::upFrom(line, w, ring);
    // The last block's final read before this block's reads: each write
    // feeds back the read of the sample before it, so the whole block's
    // writes take their feedback from here in one run, four at a time.
    alignas(16) float read[kBlock];
    alignas(16) float fedBack[kBlock];
    uint32_t first = 0;
    float fraction = 0.0f;
    if (contiguousReads(w, frames, delay, first, fraction)) {
        // One fraction for the block, the index advancing with the write.
        lineahead::upFrom(line, first, ring);
        const float* from = line + first;
        for (int32_t i = 0; i < frames; ++i) read[i] = from[i] + (from[i + 1] - from[i]) * fraction;
    } else {
        for (int32_t i = 0; i < frames; ++i) {
            const uint32_t at = w + static_cast<uint32_t>(i);
            read[i] = readRing(line, at < ring ? at : at - ring, delay, ring);
        }
    }
    if constexpr (Wide)
        lanes8::shiftIn(out, read, fedBack, frames);
    else
        lanes4::shiftIn(out, read, fedBack, frames);
    const auto write = [&](float* to) {
        if constexpr (Wide)
            writeLine8(to, audio, fedBack, frames, feedback);
        else
            writeLine(to, audio, fedBack, frames, feedback);
    };
    const auto count = static_cast<uint32_t>(frames);
    if (w + count <= ring) {
        write(line + w);
    } else {
        // Split at the ring's end (w < ring, so at least one write comes first).
        float written[kBlock];
        write(written);
        std::copy_n(written, ring - w, line + w);
        std::copy_n(written + (ring - w), count - (ring - w), line);
    }
    out = read[frames - 1];
    for (int32_t i = 0; i < frames; ++i) audio[i] = read[i] * wetGains[i] + audio[i] * (1.0f - wetGains[i]);
}

// A block's wet levels.  At rest the level needs no running sum.  The fill
// covers the whole block whatever its length, so that it is a few fixed
// stores; the frames past `frames` are never read.  Inline in each block
// routine, so that the fill's stores are as wide as the loads that read them
// back: eight levels loaded from two four-level stores wait for both to
// reach the cache (a third of the AVX-512VL block's time).
[[gnu::always_inline]] inline void BWDelay16::wetLevels(float* wetGains, int32_t frames) {
    if (wetStep == 0.0f)
        std::fill_n(wetGains, kBlock, wet);
    else
        for (int32_t i = 0; i < frames; ++i) wetGains[i] = wet += wetStep;
}

void BWDelay16::steadyBlock(float* left, float* right) {
    alignas(32) float wetGains[kBlock];
    wetLevels(wetGains, kBlock);
    steadyChannel<kBlock>(lineLeft.getData(), left, kBlock, delayLeft, outLeft, wetGains);
    steadyChannel<kBlock>(lineRight.getData(), right, kBlock, delayRight, outRight, wetGains);
}

[[gnu::target("avx2")]] void BWDelay16::steadyBlockAvx2(float* left, float* right) {
    alignas(32) float wetGains[kBlock];
    wetLevels(wetGains, kBlock);
    steadyChannel<kBlock, true>(lineLeft.getData(), left, kBlock, delayLeft, outLeft, wetGains);
    steadyChannel<kBlock, true>(lineRight.getData(), right, kBlock, delayRight, outRight, wetGains);
}

[[gnu::target(ZORVANE_WIDE_TARGET)]] void BWDelay16::steadyBlockWide(float* left, float* right) {
    alignas(32) float wetGains[kBlock];
    wetLevels(wetGains, kBlock);
    steadyChannel<kBlock, true>(lineLeft.getData(), left, kBlock, delayLeft, outLeft, wetGains);
    steadyChannel<kBlock, true>(lineRight.getData(), right, kBlock, delayRight, outRight, wetGains);
}

void BWDelay16::process(float* left, float* right, int32_t frames) {
    takeParameters();
    const auto block = static_cast<float>(kBlock + 1);
    // A glide in float ends in steps too small to move the value: adding such
    // a step leaves it as it is on every sample.
    if (frames <= kBlock && delayLeft + delayLeftStep == delayLeft && delayRight + delayRightStep == delayRight &&
        delayLeft > block && delayRight > block) {
        if (frames == kBlock && wideKernelsFor(heldToAvx2)) {
            steadyBlockWide(left, right);
        } else if (frames == kBlock && platform::cpuHasAvx2()) {
            steadyBlockAvx2(left, right);
        } else if (frames == kBlock) {
            steadyBlock(left, right);
        } else {
            alignas(32) float wetGains[kBlock];
            wetLevels(wetGains, frames);
            steadyChannel<0>(lineLeft.getData(), left, frames, delayLeft, outLeft, wetGains);
            steadyChannel<0>(lineRight.getData(), right, frames, delayRight, outRight, wetGains);
        }
        writeIndex = (writeIndex + static_cast<uint32_t>(frames)) % ringLength;
        return;
    }
    // The running state in locals for the block: the channel buffers could
    // alias the members as far as the compiler knows, which would send every
    // value through memory on every sample.
    float* lineL = lineLeft.getData();
    float* lineR = lineRight.getData();
    const uint32_t ring = ringLength;
    const float fb = feedback;
    uint32_t w = writeIndex;
    float g = wet;
    float dl = delayLeft;
    float dr = delayRight;
    float ol = outLeft;
    float orr = outRight;
    for (int32_t i = 0; i < frames; ++i) {
        g += wetStep;
        dl += delayLeftStep;
        dr += delayRightStep;

        lineL[w] = saturate(flushTiny(left[i] + fb * ol));
        ol = readRing(lineL, w, dl, ring);
        left[i] = ol * g + left[i] * (1.0f - g);

        lineR[w] = saturate(flushTiny(fb * orr + right[i]));
        orr = readRing(lineR, w, dr, ring);
        right[i] = orr * g + (1.0f - g) * right[i];

        if (++w >= ring) w = 0;
    }
    writeIndex = w;
    wet = g;
    delayLeft = dl;
    delayRight = dr;
    outLeft = ol;
    outRight = orr;
}
