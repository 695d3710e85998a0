#include "effects/BWReverserX2.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/BWSystemInfo.h"
#include "core/ValueLists.h"
#include "effects/LineAhead.h"
#include "platform/Dialogs.h"

namespace {

constexpr uint32_t kBeatsInRing = 4;
// Slice lengths stay countable in 32 bits whatever the list and tempo.
constexpr double kLongestSlice = 1u << 30;

// A level that runs on from frame to frame, from start, each frame's value
// the one before it passed through next; answers the level after the last
// frame.  The values go to memory four frames to a store, as the frame loop
// loads them: a load takes its value straight from one store of its own
// size, but waits for four separate stores to reach the cache.
template <size_t N, typename Next>
float runLevel(float (&levels)[N], int32_t frames, float start, Next next) {
    float level = start;
    int32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        const float first = level;
        const float second = next(first);
        const float third = next(second);
        const float fourth = next(third);
        _mm_storeu_ps(levels + i, _mm_setr_ps(first, second, third, fourth));
        level = next(fourth);
    }
    for (; i < frames; ++i) {
        levels[i] = level;
        level = next(level);
    }
    return level;
}

}  // namespace

BWReverserX2::BWReverserX2(uint32_t id, BWSystemInfo* owner, const NoteDivisionLists* lists)
    : BWEffect(id, kParameterCount, owner, lists ? lists : ::valueLists()),
      bufferLeft(stateRegistry, true, true),
      bufferRight(stateRegistry, true, true) {
    setName("Reverser");
    setParameterName(kSize, "Size");
    setParameterName(kXFade, "XFade");
    setParameterName(kDec, "dec");
    setParameterName(kTrig, "trig");
    clear();
    prepare();
    joinOwnerList();
}

BWReverserX2::~BWReverserX2() { leaveOwnerList(); }

void BWReverserX2::updateTiming() {
    busyState.store(2, std::memory_order_release);
    // The ring never grows here: at tempos the capacity was not taken for,
    // the ring is as long as the capacity allows.
    const double beat = std::floor(std::max(0.0f, owner->samplesPerBeatF.load()));
    const double limit = std::max<double>(1.0, static_cast<double>(bufferLeft.getCapacity()) - 1.0);
    ringLength = static_cast<uint32_t>(std::clamp(beat * kBeatsInRing, 1.0, limit));
    if (writePos >= ringLength) writePos = 0;
    if (readPos >= ringLength) readPos = 0;
    busyState.store(0, std::memory_order_release);
    retakeParameter(kSize);
}

void BWReverserX2::prepare() {
    if (owner->sampleRate == preparedRate) {
        updateTiming();
        return;
    }
    preparedRate = owner->sampleRate;
    const uint64_t needed =
        static_cast<uint64_t>(owner->maxSamplesPerBeat()) * kBeatsInRing + 1;
    // A ring too small for the new rate is replaced by zeroed storage: its
    // capture belongs to the old rate, so nothing of it is kept.  Only the
    // ring of the tempo at hand is brought in: the render reaches the rest
    // only once the tempo slows.
    if (bufferLeft.getCapacity() < needed) {
        const auto resident = static_cast<uint64_t>(std::floor(std::max(0.0f, owner->samplesPerBeatF.load()))) *
                                  kBeatsInRing + 1;
        bufferLeft.reallocateZeroed(needed, resident);
        bufferRight.reallocateZeroed(needed, resident);
        captured = false;
    }
    updateTiming();
    zeroRing();
}

void BWReverserX2::clear() {
    zeroRing();
    writePos = 0;
    readPos = 0;
    currentMix = 0.0f;
    mixStep = 0.0f;
}

// A ring that holds nothing the render wrote since it was last silent is
// left alone: fresh storage reads zero, and most of a ring sized for the
// slowest tempo is not yet brought into memory, which a clear would do.
void BWReverserX2::zeroRing() {
    const uint64_t floats = bufferLeft.getCapacity();
    if (floats == 0 || !captured) return;
    captured = false;
    std::memset(bufferLeft.getData(), 0, floats * sizeof(float));
    std::memset(bufferRight.getData(), 0, floats * sizeof(float));
}

void BWReverserX2::tick() {
    mixGlide.span = 0;
    glide(wetGain.load(std::memory_order_relaxed), currentMix, mixStep, owner->glideFactor, 1e-7f);
}

void BWReverserX2::stop() { playing = false; }

void BWReverserX2::setMix(float level) { wetGain.store(unitRange(level), std::memory_order_relaxed); }

void BWReverserX2::setParameter(uint32_t index, float value) {
    if (index >= kParameterCount) {
        platform::reportNonBlocking("unknown parameter called in BWReverserX");
        return;
    }
    BWEffect::setParameter(index, value);
}

void BWReverserX2::applyParameter(uint32_t index, float value) {
    switch (index) {
        case kSize: applySize(value); break;
        case kXFade: fadeParameter = unitRange(value); break;
        case kDec:
            decayParameter = unitRange(value) * 0.97f + 0.03f;
            decayStep = decayStepFor(decayParameter);
            break;
        case kTrig: applyTrigger(value); break;
    }
}

void BWReverserX2::applySize(float value) {
    const ValueList* list = selectedValueList();
    if (!list || list->count <= 0) return;
    const uint32_t length = sliceSamples(list->entryFor(1.0f - unitRange(value)).beats);
    // The newest choice always wins, so that going back to the length in
    // force before the next slice boundary cancels an earlier change.
    pendingSliceLength = length;
    pendingRestart = length != sliceLength;
}

uint32_t BWReverserX2::sliceSamples(double beats) const {
    const double samples = std::trunc(owner->samplesPerBeat * beats);
    return static_cast<uint32_t>(std::clamp(samples, 1.0, kLongestSlice));
}

float BWReverserX2::decayStepFor(float decay) const {
    if (decay >= 0.99f) return 0.0f;
    return -0.00066666666f / (decay * owner->samplesPerMs);
}

void BWReverserX2::applyTrigger(float value) {
    if (value == trigValue) return;
    trigValue = value;
    if (value == 0.0f) {
        stop();
    } else if (!playing) {
        startPlayback();
    }
}

void BWReverserX2::startPlayback() {
    readPos = (writePos != 0 ? writePos : ringLength) - 1;  // the newest recorded sample
    slicePos = 0;
    pendingRestart = false;
    activeFade = fadeParameter;
    decayGain = 1.0f;
    decayStep = decayStepFor(decayParameter);
    sliceLength = pendingSliceLength;
    firstSlice = true;
    setSliceEnvelope();
    playing = true;
}

void BWReverserX2::setSliceEnvelope() {
    if (activeFade <= 0.0f) {
        fadeSlope = 0.0f;
        return;
    }
    const float length = static_cast<float>(sliceLength);
    const float half = activeFade * length * 0.5f;
    fadeSlope = 2.0f / (activeFade * length);
    riseEnd = static_cast<int64_t>(half);
    fallStart = static_cast<int64_t>(length - half);
}

float BWReverserX2::envelope(float wet, uint32_t inSlice) const {
    if (fadeSlope == 0.0f) return wet;
    const int64_t position = inSlice;
    if (position <= fallStart) return position < riseEnd ? wet * fadeSlope * position : wet;
    return (1.0f - static_cast<float>(position - fallStart) * fadeSlope) * wet;
}

void BWReverserX2::record(const float* left, const float* right, int32_t frames) {
    float* ringLeft = bufferLeft.getData();
    float* ringRight = bufferRight.getData();
    lineahead::upFrom(ringLeft, writePos, ringLength);
    lineahead::upFrom(ringRight, writePos, ringLength);
    if (frames == kChunk && writePos + kChunk < ringLength) {
        // The usual block, short of the ring's end: copies of a size known
        // here are a few moves instead of calls.
        std::memcpy(ringLeft + writePos, left, kChunk * sizeof(float));
        std::memcpy(ringRight + writePos, right, kChunk * sizeof(float));
        writePos += kChunk;
        return;
    }
    int32_t done = 0;
    while (done < frames) {
        const int32_t chunk =
            static_cast<int32_t>(std::min<uint32_t>(ringLength - writePos, frames - done));
        std::memcpy(ringLeft + writePos, left + done, chunk * sizeof(float));
        std::memcpy(ringRight + writePos, right + done, chunk * sizeof(float));
        done += chunk;
        writePos += chunk;
        if (writePos >= ringLength) writePos = 0;
    }
}

void BWReverserX2::process(float* left, float* right, int32_t frames) {
    takeParameters();
    if (frames <= 0 || bufferLeft.getCapacity() == 0) return;
    const uint32_t blockStart = writePos;
    captured = true;
    record(left, right, frames);
    if (!playing) return;

    if (mixGlide.done >= mixGlide.span) openMixGlide(frames);
    const int32_t glided = mixGlide.done;
    mixGlide.done += frames;
    const float dryStart = mixGlide.dryStart;
    const float dryDelta = mixGlide.dryDelta;
    float wet = mixGlide.wet;
    const float wetDelta = mixGlide.wetDelta;

    // The running values in locals: the channel buffers could alias the
    // members as far as the compiler knows.  A slice boundary takes them
    // back, and gives the new slice's values.
    const float* ringLeft = bufferLeft.getData();
    const float* ringRight = bufferRight.getData();
    const uint32_t ring = ringLength;
    const float step = decayStep;
    if (!firstSlice && frames <= kChunk && slicePos + static_cast<uint32_t>(frames) < sliceLength &&
        readPos >= static_cast<uint32_t>(frames) && readPos <= ring) {
        mixGlide.wet = playWithinSlice(left, right, frames, dryStart, dryDelta, wet, wetDelta, glided);
        return;
    }
    uint32_t position = readPos;
    uint32_t inSlice = slicePos;
    float decay = decayGain;
    for (int32_t i = 0; i < frames; ++i) {
        const float dry = dryStart + static_cast<float>(glided + i + 1) * dryDelta;
        left[i] *= dry;
        right[i] *= dry;
        position = (position == 0 || position > ring) ? ring - 1 : position - 1;
        if (!firstSlice) {
            wet += wetDelta;
            const float gain = envelope(wet, inSlice) * decay;
            left[i] += ringLeft[position] * gain;
            right[i] += ringRight[position] * gain;
        }
        if (++inSlice >= sliceLength) {
            readPos = position;
            beginSlice(blockStart, i);
            position = readPos;
            inSlice = slicePos;
            decay = decayGain;
        }
        decay = std::max(decay + step, 0.0f);
    }
    readPos = position;
    slicePos = inSlice;
    decayGain = decay;
    mixGlide.wet = wet;
}

// The equal-power pair glides linearly from the old level to the new one
// across the tick (or a call longer than a tick): frame i of the glide
// takes old + (i + 1) (new - old) / (frames + 1).
void BWReverserX2::openMixGlide(int32_t frames) {
    const int32_t span = std::max(frames, kChunk);
    const float oldMix = currentMix;
    const float newMix = std::clamp(oldMix + span * mixStep, 0.0f, 1.0f);
    currentMix = newMix;
    const float steps = static_cast<float>(span + 1);
    MixGlide& g = mixGlide;
    g.dryStart = safeSqrt(1.0f - oldMix);
    g.dryDelta = (safeSqrt(1.0f - newMix) - g.dryStart) / steps;
    g.wet = safeSqrt(oldMix);
    g.wetDelta = (safeSqrt(newMix) - g.wet) / steps;
    g.done = 0;
    g.span = span;
}

// A block that stays inside one slice and reads no sample across the
// ring's start: the levels that run on from frame to frame first, one
// chain each, then the frames four at a time, each lane as the frame loop
// of process works it out.
float BWReverserX2::playWithinSlice(float* left, float* right, int32_t frames, float dryStart, float dryDelta,
                                    float wet, float wetDelta, int32_t glided) {
    // Both chains wait on every frame, so the block waits on them: a level
    // at rest (or with a step too small to move it) is the same all block.
    float wets[kChunk];
    if (wet + wetDelta == wet) {
        std::fill_n(wets, kChunk, wet);
    } else {
        runLevel(wets, frames, wet + wetDelta, [wetDelta](float level) { return level + wetDelta; });
        wet = wets[frames - 1];
    }
    float decays[kChunk];
    decayGain = decayRun(decays, frames);
    // The frames read the ring backwards from the sample before readPos.
    const float* ringLeft = bufferLeft.getData() + readPos - 1;
    const float* ringRight = bufferRight.getData() + readPos - 1;
    const auto first = static_cast<int32_t>(slicePos);
    lineahead::downFrom(bufferLeft.getData(), readPos - 1);
    lineahead::downFrom(bufferRight.getData(), readPos - 1);
    int32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        const __m128 frame =
            _mm_cvtepi32_ps(_mm_add_epi32(_mm_set1_epi32(glided), _mm_setr_epi32(i + 1, i + 2, i + 3, i + 4)));
        const __m128 dry = _mm_add_ps(_mm_set1_ps(dryStart), _mm_mul_ps(frame, _mm_set1_ps(dryDelta)));
        const __m128i inSlice = _mm_add_epi32(_mm_set1_epi32(first + i), _mm_setr_epi32(0, 1, 2, 3));
        const __m128 gain = _mm_mul_ps(envelopes(_mm_loadu_ps(wets + i), inSlice), _mm_loadu_ps(decays + i));
        const __m128 fromLeft = _mm_shuffle_ps(_mm_loadu_ps(ringLeft - i - 3), _mm_loadu_ps(ringLeft - i - 3),
                                               _MM_SHUFFLE(0, 1, 2, 3));
        const __m128 fromRight = _mm_shuffle_ps(_mm_loadu_ps(ringRight - i - 3), _mm_loadu_ps(ringRight - i - 3),
                                                _MM_SHUFFLE(0, 1, 2, 3));
        _mm_storeu_ps(left + i, _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(left + i), dry), _mm_mul_ps(fromLeft, gain)));
        _mm_storeu_ps(right + i, _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(right + i), dry), _mm_mul_ps(fromRight, gain)));
    }
    for (; i < frames; ++i) {
        const float dry = dryStart + static_cast<float>(glided + i + 1) * dryDelta;
        const float gain = envelope(wets[i], static_cast<uint32_t>(first + i)) * decays[i];
        left[i] = left[i] * dry + ringLeft[-i] * gain;
        right[i] = right[i] * dry + ringRight[-i] * gain;
    }
    readPos -= static_cast<uint32_t>(frames);
    slicePos += static_cast<uint32_t>(frames);
    return wet;
}

// A block's decay gains from decayGain on, each frame's step held at 0 as
// process holds it; answers the gain after the block.  The steps all go one
// way, so where the last sum stays at or above 0 so does every one before
// it, and no hold is needed: the chain is then the sums alone, half as long.
// A decay that the step cannot move (no decay, or at rest at 0) is the same
// all block.
float BWReverserX2::decayRun(float (&decays)[kChunk], int32_t frames) const {
    const float step = decayStep;
    float decay = decayGain;
    if (decay + step == decay) {
        std::fill_n(decays, kChunk, decay);
        return decay;
    }
    decay = runLevel(decays, frames, decay, [step](float level) { return level + step; });
    if (!(decay < 0.0f)) return decay;
    return runLevel(decays, frames, decayGain, [step](float level) { return std::max(level + step, 0.0f); });
}

// envelope for four frames of the slice, lane by lane.
__m128 BWReverserX2::envelopes(__m128 wet, __m128i inSlice) const {
    if (fadeSlope == 0.0f) return wet;
    const __m128 slope = _mm_set1_ps(fadeSlope);
    const __m128 rise = _mm_mul_ps(_mm_mul_ps(wet, slope), _mm_cvtepi32_ps(inSlice));
    const __m128i fallStart32 = _mm_set1_epi32(static_cast<int32_t>(fallStart));
    const __m128 fallen = _mm_cvtepi32_ps(_mm_sub_epi32(inSlice, fallStart32));
    const __m128 fall = _mm_mul_ps(_mm_sub_ps(_mm_set1_ps(1.0f), _mm_mul_ps(fallen, slope)), wet);
    const __m128 rising = _mm_castsi128_ps(_mm_cmplt_epi32(inSlice, _mm_set1_epi32(static_cast<int32_t>(riseEnd))));
    const __m128 falling = _mm_castsi128_ps(_mm_cmpgt_epi32(inSlice, fallStart32));
    const __m128 held = _mm_or_ps(_mm_and_ps(rising, rise), _mm_andnot_ps(rising, wet));
    return _mm_or_ps(_mm_and_ps(falling, fall), _mm_andnot_ps(falling, held));
}

void BWReverserX2::beginSlice(uint32_t blockStart, int32_t frame) {
    slicePos = 0;
    if (!pendingRestart && !firstSlice) {
        // Back to the newest recorded sample: the slice just played ran back
        // sliceLength samples from the previous one.
        readPos = static_cast<uint32_t>((uint64_t{readPos} + 2 * uint64_t{sliceLength}) % ringLength);
    } else {
        sliceLength = pendingSliceLength;
        readPos = static_cast<uint32_t>((uint64_t{blockStart} + frame) % ringLength);
        pendingRestart = false;
    }
    firstSlice = false;
    activeFade = fadeParameter;
    decayGain = 1.0f;
    setSliceEnvelope();
}

float BWReverserX2::getSteps(int32_t index) const {
    const ValueList* list = selectedValueList();
    return index == kSize && list ? list->countF : 0.0f;
}

void BWReverserX2::getValueLabels(int32_t index, std::vector<std::string>& labels) const {
    const ValueList* list = selectedValueList();
    if (index != kSize || !list) return;
    // Last entry first, so that the labels follow rising values of "Size".
    labels.reserve(labels.size() + list->entries.size());
    for (auto entry = list->entries.rbegin(); entry != list->entries.rend(); ++entry)
        labels.emplace_back(entry->label);
}

void BWReverserX2::getParameterDisplay(int32_t index, float value, char* text) {
    const ValueList* list = selectedValueList();
    if (index == kSize && list && list->count > 0) {
        std::snprintf(text, kDisplayTextSize, "%s", list->entryFor(1.0f - unitRange(value)).label);
    } else if (index == kXFade) {
        std::snprintf(text, kDisplayTextSize, "%3.2f %%", value * 100.0f);
    }
}
