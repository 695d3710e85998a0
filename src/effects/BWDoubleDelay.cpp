#include "effects/BWDoubleDelay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/BWSystemInfo.h"
#include "effects/Lanes4.h"
#include "effects/Lanes8.h"
#include "effects/LineAhead.h"
#include "platform/CpuFeatures.h"

namespace {

constexpr float kInitialValues[BWDoubleDelay::kParameterCount] = {0.7697f, 0.6498f, 1.0f, 0.64f, 1.0f};
constexpr const char* kParameterNames[BWDoubleDelay::kParameterCount] = {
    "Time_Left", "Time_Right", "Diff", "Feedback", "Width"};

// Line length at 44100 Hz, scaled with the rate: four beats at 45 bpm and the
// width offset fit.
constexpr float kLineSamplesAt44k = 250000.0f;
constexpr float kSlideMilliseconds = 32.0f;
constexpr float kMaxWidthSamples = 32.0f;
constexpr float kFeedbackScale = 0.8f;
// The wet factor follows the level up to just below 1: a full level leaves
// 1/10000 of the dry signal.
constexpr float kMaxWet = 0.9999f;
constexpr float kSnap = 1e-10f;

}  // namespace

const float BWDoubleDelay::kNoteDivisors[kNoteCount] = {
    42.666668f, 32.0f, 21.333334f, 16.0f, 10.666667f, 8.0f, 5.333333f, 4.0f,
    2.666667f,  2.0f,  1.333333f,  1.0f,  0.666667f,  0.5f, 0.333333f, 0.25f};

BWDoubleDelay::BWDoubleDelay(uint32_t id, BWSystemInfo* ownerInfo, const NoteDivisionLists* lists)
    : BWEffect(id, kParameterCount, ownerInfo, lists),
      lineLeft(stateRegistry, true, true),
      lineRight(stateRegistry, true, true) {
    setName("Doubledelay");
    listMemory(&outLeft, sizeof outLeft);
    listMemory(&outRight, sizeof outRight);
    prepare();
    installParameters(kParameterNames, kInitialValues);
    joinOwnerList();
}

BWDoubleDelay::~BWDoubleDelay() {
    unlistMemory(&outLeft);
    unlistMemory(&outRight);
    leaveOwnerList();
}

// The divisor table runs from 3/128 of a beat (value 1) to four beats (value 0).
float BWDoubleDelay::noteDelay(float value) const {
    const int32_t k = static_cast<int32_t>((1.0f - unitRange(value)) * 15.0f + 0.5f);
    return owner->samplesPerBeatF / kNoteDivisors[k];
}

// Even below the slowest tempo the lines are sized for, a time stays inside
// its line, one sample short of the end for the interpolation partner.
float BWDoubleDelay::clampToLine(float delay) const {
    const float longest = static_cast<float>(lineLength) - 2.0f;
    return delay < longest ? delay : longest;
}

void BWDoubleDelay::applyParameter(uint32_t index, float value) {
    switch (index) {
    case kTimeLeft:
        targetA = clampToLine(noteDelay(value));
        break;
    case kTimeRight:
        leftTime = noteDelay(value);
        targetB = clampToLine(leftTime + widthSamples);
        break;
    case kFeedback:
        feedback = unitRange(value) * kFeedbackScale;
        break;
    case kWidth:
        widthSamples = unitRange(value) * kMaxWidthSamples;
        targetB = clampToLine(leftTime + widthSamples);
        break;
    default:  // "Diff" is only stored: it leaves the sound as it is
        break;
    }
}

void BWDoubleDelay::updateTiming() {
    retakeParameter(kTimeLeft);
    retakeParameter(kTimeRight);
}

void BWDoubleDelay::prepare() {
    // The render routine prepares the effects again after every tempo
    // change, on the audio thread: at an unchanged rate the lines and their
    // echoes stay and only the times follow the tempo.
    if (owner->sampleRate == preparedRate) {
        updateTiming();
        return;
    }
    preparedRate = owner->sampleRate;
    const uint64_t length = static_cast<uint64_t>(owner->sampleRateFactor * kLineSamplesAt44k);
    for (TrackedFloatBuffer* line : {&lineLeft, &lineRight}) {
        if (line->getCapacity() < length) {
            line->reallocateZeroed(length);
        } else {
            line->resize(length);
            std::fill_n(line->getData(), line->getCapacity(), 0.0f);
        }
    }
    // The lines' last reads go with them, or the next writes would feed
    // them back into the silence.
    outLeft = 0.0f;
    outRight = 0.0f;
    lineLength = static_cast<uint32_t>(length);
    if (writeIndex >= lineLength) writeIndex = 0;
    updateTiming();  // the times in samples of the new rate
}

void BWDoubleDelay::setMix(float mix) { wetTarget.store(unitRange(mix), std::memory_order_relaxed); }

void BWDoubleDelay::getParameterDisplay(int32_t, float, char* text) { std::snprintf(text, kDisplayTextSize, "todo"); }

void BWDoubleDelay::Slide::advance(float target, float slideTicks) {
    if (target != lastTarget) {
        lastTarget = target;
        ticksLeft = slideTicks > 1.0f ? slideTicks : 1.0f;
        step = (smoothed - target) / ticksLeft;
    }
    if (smoothed == target) return;
    smoothed -= step;
    ticksLeft -= 1.0f;
    if (ticksLeft <= 0.0f) {
        smoothed = target;
        step = 0.0f;
    }
}

void BWDoubleDelay::tick() {
    inputRampFrames = kBlock;
    const float g = owner->glideFactor;
    glide(wetTarget.load(std::memory_order_relaxed), currentMix, mixStep, g, kSnap);
    const float slideTicks = owner->samplesPerMsPerTick * kSlideMilliseconds;

    slideA.advance(targetA, slideTicks);
    glide(slideA.smoothed, delayA, delayStepA, g, kSnap);

    slideB.advance(targetB, slideTicks);
    delayStepB = static_cast<double>(g) * (static_cast<double>(slideB.smoothed) - delayB);
    if (delayStepB > -kSnap && delayStepB < kSnap) {
        delayStepB = 0.0;
        delayB = slideB.smoothed;
    }
}

// While the level is and stays 0 the lines are flushed with silence, so that
// a delay switched on later starts from a clean line.
void BWDoubleDelay::idle(int32_t frames) {
    float* left = lineLeft.getData();
    float* right = lineRight.getData();
    for (int32_t i = 0; i < frames; ++i) {
        left[writeIndex] = 0.0f;
        right[writeIndex] = 0.0f;
        if (++writeIndex >= lineLength) writeIndex = 0;
    }
    outLeft = 0.0f;
    outRight = 0.0f;
}

// Linear interpolation between the samples `delay` and `delay` + 1 behind
// the one just written.
float BWDoubleDelay::readLine(const float* line, double delay) const {
    const double longest = static_cast<double>(lineLength) - 2.0;
    const double d = delay > 0.0 ? (delay < longest ? delay : longest) : 0.0;  // NaN to 0
    const uint32_t whole = static_cast<uint32_t>(d);
    const float nearWeight = 1.0f - static_cast<float>(d - whole);
    const uint32_t nearIndex = writeIndex >= whole ? writeIndex - whole : writeIndex + lineLength - whole;
    const uint32_t farIndex = nearIndex > 0 ? nearIndex - 1 : lineLength - 1;
    return line[farIndex] + (line[nearIndex] - line[farIndex]) * nearWeight;
}

uint32_t BWDoubleDelay::wholeBehind(double delay) const {
    const double longest = static_cast<double>(lineLength) - 2.0;
    const double d = delay > 0.0 ? (delay < longest ? delay : longest) : 0.0;  // NaN to 0
    return static_cast<uint32_t>(d);
}

namespace {

// Line values (fedBack fb + audio) ramp for a run of samples; the buffers
// never overlap, which the compiler is told so that the run vectorises.
template <int32_t FixedFrames>
[[gnu::always_inline]] inline void writeInput(float* __restrict to, const float* __restrict audio,
                                              const float* __restrict fedBack, const float* __restrict ramps,
                                              int32_t anyFrames, float fb) {
    const int32_t frames = FixedFrames > 0 ? FixedFrames : anyFrames;
    for (int32_t i = 0; i < frames; ++i) to[i] = (fedBack[i] * fb + audio[i]) * ramps[i];
}

}  // namespace

// One channel of a block in which the time holds still and reads lie at
// least a block behind the writes: the read positions only follow the write,
// so the reads, the line writes and the output each run as a loop of their
// own.  The same arithmetic as readLine, sample for sample.
template <int32_t FixedFrames, bool Wide>
[[gnu::always_inline]] inline void BWDoubleDelay::steadyChannel(float* line, float* audio, int32_t anyFrames, double delay, float& out,
                                  const float* ramps, const float* wets) const {
    const int32_t frames = FixedFrames > 0 ? FixedFrames : anyFrames;
    if (frames <= 0) return;  // no last read to feed back
    const double longest = static_cast<double>(lineLength) - 2.0;
    const double d = delay > 0.0 ? (delay < longest ? delay : longest) : 0.0;
    const uint32_t whole = static_cast<uint32_t>(d);
    const float nearWeight = 1.0f - static_cast<float>(d - whole);
    const uint32_t length = lineLength;
    uint32_t nearIndex = writeIndex >= whole ? writeIndex - whole : writeIndex + length - whole;
    lineahead::upFrom(line, nearIndex, length);
    lineahead::upFrom(line, writeIndex, length);
    alignas(16) float read[kBlock];
    if (nearIndex > 0 && nearIndex + static_cast<uint32_t>(frames) <= length) {
        // No wrap inside the block: both taps run on through the line.
        const float* nearTap = line + nearIndex;
        const float* farTap = nearTap - 1;
        for (int32_t i = 0; i < frames; ++i) read[i] = flushTiny(farTap[i] + (nearTap[i] - farTap[i]) * nearWeight);
    } else {
        for (int32_t i = 0; i < frames; ++i) {
            const uint32_t farIndex = nearIndex > 0 ? nearIndex - 1 : length - 1;
            read[i] = flushTiny(line[farIndex] + (line[nearIndex] - line[farIndex]) * nearWeight);
            if (++nearIndex >= length) nearIndex = 0;
        }
    }
    // Each write feeds back the read of the sample before it, the first
    // the last block's final read, so the block's writes take their
    // feedback in one run.
    alignas(16) float fedBack[kBlock];
    if constexpr (Wide)
        lanes8::shiftIn(out, read, fedBack, frames);
    else
        lanes4::shiftIn(out, read, fedBack, frames);
    const uint32_t w = writeIndex;
    const auto count = static_cast<uint32_t>(frames);
    if (w + count <= length) {
        writeInput<FixedFrames>(line + w, audio, fedBack, ramps, frames, feedback);
    } else {
        // Split at the line's end (w < length, so at least one write comes first).
        float written[kBlock];
        writeInput<FixedFrames>(written, audio, fedBack, ramps, frames, feedback);
        std::copy_n(written, length - w, line + w);
        std::copy_n(written + (length - w), count - (length - w), line);
    }
    out = read[frames - 1];
    for (int32_t i = 0; i < frames; ++i) audio[i] += (read[i] - audio[i]) * wets[i];
}

// A steady block's input ramp and wet levels.  Held values need no running
// sums.  The fills cover the whole block whatever its length, so that they
// are a few fixed stores; the frames past `frames` are never read.  Inline in
// each block routine, so that the fills' stores are as wide as the loads
// that read them back: eight values loaded from two four-value stores wait
// for both to reach the cache.
[[gnu::always_inline]] inline void BWDoubleDelay::blockLevels(float* ramps, float* wets, int32_t frames, float& ramp,
                                                             float rampStep) {
    if (rampStep == 0.0f)
        std::fill_n(ramps, kBlock, unitRange(ramp));
    else
        for (int32_t i = 0; i < frames; ++i) ramps[i] = ramp = unitRange(ramp + rampStep);
    // A step too small to move the level leaves it as it is on every
    // sample, as the end of a glide in float does.
    if (currentMix + mixStep == currentMix) {
        std::fill_n(wets, kBlock, currentMix < kMaxWet ? currentMix : kMaxWet);
    } else {
        for (int32_t i = 0; i < frames; ++i) {
            currentMix += mixStep;
            wets[i] = currentMix < kMaxWet ? currentMix : kMaxWet;
        }
    }
}

void BWDoubleDelay::steadyBlock(float* left, float* right, float& ramp, float rampStep) {
    alignas(32) float ramps[kBlock];
    alignas(32) float wets[kBlock];
    blockLevels(ramps, wets, kBlock, ramp, rampStep);
    steadyChannel<kBlock>(lineLeft.getData(), left, kBlock, delayB, outLeft, ramps, wets);
    steadyChannel<kBlock>(lineRight.getData(), right, kBlock, delayA, outRight, ramps, wets);
}

[[gnu::target("avx2")]] void BWDoubleDelay::steadyBlockAvx2(float* left, float* right, float& ramp, float rampStep) {
    alignas(32) float ramps[kBlock];
    alignas(32) float wets[kBlock];
    blockLevels(ramps, wets, kBlock, ramp, rampStep);
    steadyChannel<kBlock, true>(lineLeft.getData(), left, kBlock, delayB, outLeft, ramps, wets);
    steadyChannel<kBlock, true>(lineRight.getData(), right, kBlock, delayA, outRight, ramps, wets);
}

void BWDoubleDelay::process(float* left, float* right, int32_t frames) {
    takeParameters();
    if (currentMix == 0.0f && mixStep == 0.0f) {
        idle(frames);
        return;
    }
    float ramp = inputRamp;
    float rampStep = inputRampStep;
    if (inputRampFrames >= kBlock) {
        chooseInputRamp(ramp, rampStep);
        inputRampStep = rampStep;
        inputRampFrames = 0;
    }
    inputRampFrames += frames;
    // A glide in float ends in steps too small to move the value: adding
    // such a step leaves it as it is on every sample.
    const bool steady = frames <= kBlock && delayA + delayStepA == delayA && delayB + delayStepB == delayB &&
                        wholeBehind(delayA) >= static_cast<uint32_t>(frames) &&
                        wholeBehind(delayB) >= static_cast<uint32_t>(frames);
    if (steady) {
        if (frames == kBlock && platform::cpuHasAvx2()) {
            steadyBlockAvx2(left, right, ramp, rampStep);
        } else if (frames == kBlock) {
            steadyBlock(left, right, ramp, rampStep);
        } else {
            alignas(32) float ramps[kBlock];
            alignas(32) float wets[kBlock];
            blockLevels(ramps, wets, frames, ramp, rampStep);
            steadyChannel<0>(lineLeft.getData(), left, frames, delayB, outLeft, ramps, wets);
            steadyChannel<0>(lineRight.getData(), right, frames, delayA, outRight, ramps, wets);
        }
        writeIndex = (writeIndex + static_cast<uint32_t>(frames)) % lineLength;
        inputRamp = ramp;
        return;
    }
    float* lineL = lineLeft.getData();
    float* lineR = lineRight.getData();
    for (int32_t i = 0; i < frames; ++i) {
        ramp = unitRange(ramp + rampStep);

        delayB += delayStepB;
        lineL[writeIndex] = (outLeft * feedback + left[i]) * ramp;
        outLeft = flushTiny(readLine(lineL, delayB));

        delayA += delayStepA;
        lineR[writeIndex] = (outRight * feedback + right[i]) * ramp;
        outRight = flushTiny(readLine(lineR, delayA));

        if (++writeIndex >= lineLength) writeIndex = 0;

        currentMix += mixStep;
        const float wet = currentMix < kMaxWet ? currentMix : kMaxWet;
        left[i] += (outLeft - left[i]) * wet;
        right[i] += (outRight - right[i]) * wet;
    }
    inputRamp = ramp;
}

// The line input fades in through the first tick after a start and fades
// out through each tick while the level heads for 0, so that neither edge
// clicks.
void BWDoubleDelay::chooseInputRamp(float& ramp, float& rampStep) {
    const float g = owner->glideFactor;
    ramp = 1.0f;
    rampStep = 0.0f;
    if (currentMix == 0.0f) {
        ramp = 0.0f;
        rampStep = g;
    } else if (wetTarget.load(std::memory_order_relaxed) == 0.0f) {
        rampStep = -g;
    }
}
