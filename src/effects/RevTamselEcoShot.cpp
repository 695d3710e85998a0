#include "effects/RevTamselEcoShot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <utility>

#include "core/BWSystemInfo.h"
#include "effects/Lanes4.h"
#include "effects/RevTamselLanes.h"
#include "effects/RevTamselPrimeTables.h"
#include "platform/CpuFeatures.h"

namespace {

constexpr float kInitialValues[RevTamselEcoShot::kParameterCount] = {0.61f, 0.5f, 0.5489f, 1.0f};
constexpr const char* kParameterNames[RevTamselEcoShot::kParameterCount] = {
    "Room Size", "Reverb Time", "Reflectivity", "Input"};

// A value no parameter takes, so that the first comparison sees a change.
constexpr float kUnset = -1234.1234f;

constexpr float kSecondsPerMetre = 0.002994012f;
constexpr float kRoomSlideMilliseconds = 35.0f;
constexpr float kLongestT60 = 60.0f;
constexpr float kDiffuserSamplesAt44k = 3500.0f;
constexpr float kLongSamplesAt44k = 8900.0f;
using revtamsel::kCoupling;
using revtamsel::kDiffuserCoefficient;
using revtamsel::kDiffuserInput;
constexpr float kInputGain = 0.25f;
constexpr float kSnap = 1e-8f;
// The damping filter's own pole sits at -b: at b = 1 it would ring at half
// the rate for ever, a tone that no silence ends.  Just below 1 it dies
// within milliseconds.
constexpr float kLargestDamping = 0.999f;

// Note offsets (in eighths of the room's spread) of the long lines, and the
// fractions of those periods that the diffusers take.
constexpr float kNotesA[4] = {4.0f, 5.0f, 6.0f, 7.0f};
constexpr float kFractionsB[4] = {0.30025390f, 0.32533741f, 0.35251642f, 0.38196599f};
constexpr float kNotesC[4] = {0.0f, 1.0f, 2.0f, 3.0f};
constexpr float kFractionsD[4] = {0.21782477f, 0.23602207f, 0.25573960f, 0.27710432f};

// The rings' rows (a sample of the eight lines, 32 bytes) start on 32-byte
// boundaries, so that no row the AVX2 kernel writes or reads whole spans
// two cache lines: the heap's blocks are 16-byte aligned, and each ring
// takes one row more than its samples to leave room for the step up.
constexpr uintptr_t kRowBytes = revtamsel::kLanes * sizeof(float);

float* firstRow(float* block) {
    return reinterpret_cast<float*>((reinterpret_cast<uintptr_t>(block) + kRowBytes - 1) & ~(kRowBytes - 1));
}

// Note number of a frequency: 12 semitones per octave above 8.1758 Hz; the
// second form takes the frequency scaled by 8/11 in its constant.
float noteOf(float frequency, float scale) { return 39.884094f * std::log10(frequency * scale + 1.2231218e-09f); }

}  // namespace

RevTamselEcoShot::RevTamselEcoShot(uint32_t id, BWSystemInfo* ownerInfo, const NoteDivisionLists* lists)
    : BWEffect(id, kParameterCount, ownerInfo, lists), lastRoomSize(kUnset) {
    setName("Reverb HQ");
    for (int32_t s = 0; s < 2; ++s) {
        Section& section = sections[s];
        const int32_t first = kLinesPerSection * s;
        section.diffLength = lanes.diffLength + first;
        section.diffStep = lanes.diffStep + first;
        section.longLength = lanes.longLength + first;
        section.longStep = lanes.longStep + first;
        section.diffNewer = lanes.diffNewer + first;
        section.diffOlder = lanes.diffOlder + first;
        section.dampB = lanes.dampB + first;
        section.inputA = lanes.inputA + first;
        section.damped = lanes.damped + first;
        section.feedback = lanes.feedback + first;
    }
    for (TrackedFloatBuffer* ring : {&diffRing, &longRing}) {
        ring->trackedList = stateRegistry;
        ring->tracked = true;
        ring->aligned = true;
    }
    for (float* memory : runningMemories()) listMemory(memory, sizeof(float) * revtamsel::kLanes);
    lanes.keepReads = true;
    prepare();
    installParameters(kParameterNames, kInitialValues);
    joinOwnerList();
}

RevTamselEcoShot::~RevTamselEcoShot() {
    for (float* memory : runningMemories()) unlistMemory(memory);
    leaveOwnerList();
}

void RevTamselEcoShot::prepare() {
    // The render routine prepares the effects again after every tempo
    // change, on the audio thread; the lines only change with the rate.
    if (owner->sampleRate == preparedRate) return;
    preparedRate = owner->sampleRate;
    const float rateFactor = owner->sampleRateFactor;
    diffLineLength = std::max<uint32_t>(static_cast<uint32_t>(rateFactor * kDiffuserSamplesAt44k), 2);
    longLineLength = std::max<uint32_t>(static_cast<uint32_t>(rateFactor * kLongSamplesAt44k), 2);
    for (auto [ring, length] : {std::pair{&diffRing, diffLineLength}, std::pair{&longRing, longLineLength}}) {
        const uint64_t floats = (uint64_t{length} + 1) * revtamsel::kLanes;
        if (ring->getCapacity() < floats) {
            ring->reallocateZeroed(floats);
        } else {
            ring->resize(floats);
            clearRing(*ring);
        }
    }
    lanes.diffRing = firstRow(diffRing.getData());
    lanes.longRing = firstRow(longRing.getData());
    for (int32_t s = 0; s < 2; ++s) {
        Section& section = sections[s];
        section.diffData = lanes.diffRing + kLinesPerSection * s;
        section.longData = lanes.longRing + kLinesPerSection * s;
    }
    lanes.diffSize = diffLineLength;
    lanes.longSize = longLineLength;
    lanes.diffLast = static_cast<float>(diffLineLength - 1);
    lanes.longLast = static_cast<float>(longLineLength - 1);
    lanes.diffSpan = static_cast<int32_t>(diffLineLength * revtamsel::kLanes);
    lanes.longSpan = static_cast<int32_t>(longLineLength * revtamsel::kLanes);
    if (lanes.diffWrite >= diffLineLength) lanes.diffWrite = 0;
    if (lanes.longWrite >= longLineLength) lanes.longWrite = 0;
    retakeParameters();
    // The lengths in samples belong to the old rate: the next tick computes
    // the room afresh for this one.
    lastRoomSize = kUnset;
    silenceAllButRings();  // each ring is zeroed above, fresh or cleared
}

void RevTamselEcoShot::clearRing(TrackedFloatBuffer& ring) { std::fill_n(ring.getData(), ring.getCapacity(), 0.0f); }

void RevTamselEcoShot::stop() {
    clearRing(diffRing);
    clearRing(longRing);
    silenceAllButRings();
}

std::array<float*, 4> RevTamselEcoShot::runningMemories() {
    return {lanes.diffNewer, lanes.diffOlder, lanes.damped, lanes.feedback};
}

void RevTamselEcoShot::silenceAllButRings() {
    for (float* memory : runningMemories()) std::fill_n(memory, revtamsel::kLanes, 0.0f);
    // prepare ends here too, where the rings' sizes and the writes may have
    // moved under the kernel's kept reads.
    lanes.readsKept = false;
}

void RevTamselEcoShot::applyParameter(uint32_t index, float value) {
    const float v = unitRange(value);
    switch (index) {
    case kRoomSize:
        roomSizeValue = v;
        break;
    case kReverbTime:
        timeFactor = owner->noteFrequency(v * 24.0f - 12.0f) / owner->noteFrequency(0.0f);
        updateT60();
        updateDecay();
        break;
    case kReflectivity: {
        const int32_t q = static_cast<int32_t>(v * 999.99994f);
        const float a = static_cast<float>(q) * 0.00091f + 0.09f;
        dampingFactor = (1.0f - 1.0f / a) * 0.575646f;
        updateDecay();
        break;
    }
    case kInput:
        inputGain = value > 0.5f ? kInputGain : 0.0f;
        break;
    default:
        break;
    }
}

// Anything outside 0..1 holds at the nearer end: at or above 1 the output is
// the reverb alone.
void RevTamselEcoShot::setMix(float mix) { mixLevel.store(unitRange(mix), std::memory_order_relaxed); }

void RevTamselEcoShot::getParameterDisplay(int32_t index, float value, char* text) {
    if (index < 0 || index > 2) return;
    std::snprintf(text, kDisplayTextSize, "%8.2f", value * 100.0f);
}

void RevTamselEcoShot::updateT60() {
    const float t = timeFactor * roomTime * 40.0f;
    t60 = std::max(std::min(t, kLongestT60), owner->invRate);
}

// Each long line loses 60 dB in t60 seconds: its gain per pass is
// 10^(-3 time / t60).  The damping pole grows with the loss per pass.
void RevTamselEcoShot::updateDecay() {
    for (Section& section : sections) {
        for (int32_t k = 0; k < kLinesPerSection; ++k) {
            const float seconds = section.longChosen[k] * owner->invRate;
            const float x = -3.0f * seconds / t60;
            section.gain[k] = std::pow(10.0f, x);
            section.dampB[k] = std::clamp(x * dampingFactor, 0.0f, kLargestDamping);
            section.inputA[k] = (1.0f - section.dampB[k]) * section.gain[k];
        }
    }
}

// A length in samples snapped down to a prime, held inside its line.
float RevTamselEcoShot::snapLength(float seconds, uint32_t capacity) const {
    const float samples = owner->sampleRate * seconds;
    float snapped = samples > 0.0f ? samples : 0.0f;  // NaN to 0
    if (snapped <= RevTamselPrimes::kPrimeCountSize - 1) {
        const int32_t n = static_cast<int32_t>(snapped);
        snapped = RevTamselPrimes::primeTable()[static_cast<int32_t>(RevTamselPrimes::primeCountTable()[n])];
    }
    return std::min(snapped, static_cast<float>(capacity - 1));
}

void RevTamselEcoShot::computeRoom() {
    roomDb = smoothedRoomSize * 20.0f + 14.0f;
    roomMetres = std::pow(10.0f, roomDb / 20.0f);
    roomTime = roomMetres * kSecondsPerMetre;
    const float roomFrequency = 1.0f / roomTime;
    updateT60();
    baseNote = noteOf(roomFrequency, 0.12231219f);
    const float spread = noteOf(roomFrequency, 0.08895432f) - baseNote;
    noteStep = spread * 0.125f;
}

void RevTamselEcoShot::computeLengths() {
    float periodA[4], periodB[4], periodC[4], periodD[4];
    for (int32_t k = 0; k < 4; ++k) {
        periodA[k] = 1.0f / owner->noteFrequency(baseNote + kNotesA[k] * noteStep);
        periodB[k] = periodA[k] * kFractionsB[k];
        periodC[k] = 1.0f / owner->noteFrequency(baseNote + kNotesC[k] * noteStep);
        periodD[k] = periodC[k] * kFractionsD[k];
    }
    // The left section takes the even members of each group, the right the odd.
    const float longPeriods[2][4] = {{periodA[0], periodA[2], periodC[0], periodC[2]},
                                     {periodA[1], periodA[3], periodC[1], periodC[3]}};
    const float diffPeriods[2][4] = {{periodB[0], periodB[2], periodD[0], periodD[2]},
                                     {periodB[1], periodB[3], periodD[1], periodD[3]}};
    for (int32_t s = 0; s < 2; ++s) {
        Section& section = sections[s];
        for (int32_t k = 0; k < kLinesPerSection; ++k) {
            section.longChosen[k] = snapLength(longPeriods[s][k], longLineLength);
            section.longTarget[k] = section.longChosen[k] - owner->invRate;
            section.diffChosen[k] = snapLength(diffPeriods[s][k], diffLineLength);
            section.diffTarget[k] = section.diffChosen[k] - owner->invRate;
        }
    }
    lengthsAtRest = false;
    updateDecay();
}

// Room-size changes slide over 35 ms; the first value after construction or
// a rate change is taken at once, lengths included, as there is nothing to
// slide from.
void RevTamselEcoShot::slideRoom() {
    const float target = roomSizeValue;
    const bool first = lastRoomSize == kUnset;
    bool changed = false;
    if (target != lastRoomSize) {
        lastRoomSize = target;
        changed = true;
        if (first) {
            smoothedRoomSize = target;
        } else {
            roomSlideTicks = std::max(owner->samplesPerMsPerTick * kRoomSlideMilliseconds, 1.0f);
            roomSlideStep = (smoothedRoomSize - target) / roomSlideTicks;
        }
    }
    if (smoothedRoomSize != target) {
        changed = true;
        smoothedRoomSize -= roomSlideStep;
        roomSlideTicks -= 1.0f;
        if (roomSlideTicks <= 0.0f) smoothedRoomSize = target;
    }
    if (!changed) return;
    computeRoom();
    computeLengths();
    if (!first) return;
    for (Section& section : sections) {
        std::copy_n(section.longTarget, kLinesPerSection, section.longLength);
        std::copy_n(section.diffTarget, kLinesPerSection, section.diffLength);
    }
}

namespace {

// Whether adding its step moves any of the four lengths.
bool movesAny(const float* length, const float* step) {
    using namespace lanes4;
    const Floats x = load(length);
    return _mm_movemask_ps(_mm_cmpneq_ps(add(x, load(step)), x)) != 0;
}

}  // namespace

bool RevTamselEcoShot::glideLengths() {
    using lanes4::glide, lanes4::load;
    const float g = owner->glideFactor;
    int still = 0xf;
    for (Section& section : sections) {
        still &= glide(load(section.longTarget), section.longLength, section.longStep, g, kSnap);
        still &= glide(load(section.diffTarget), section.diffLength, section.diffStep, g, kSnap);
    }
    return still == 0xf;
}

void RevTamselEcoShot::tick() {
    slideRoom();
    // At rest a glide would give each length and step the values they
    // already hold.
    if (lengthsAtRest) return;
    lengthsAtRest = glideLengths();
    // The kernel's kept reads were for the lengths before this glide.
    lanes.readsKept = false;
}

namespace revtamsel {

// A section's running state in registers for the length of a block, one
// lane per line.
struct SectionLanes {
    lanes4::Floats diffLength, diffStep, longLength, longStep;
    lanes4::Floats diffNewer, diffOlder, inputA, dampB, damped, feedback;
    float* diffData;
    float* longData;
};

}  // namespace revtamsel

namespace {

using revtamsel::SectionLanes;

// Where each lane reads in an interleaved ring: while a block's lengths hold
// still, the whole samples behind the write stay the same and the read
// offsets only follow the write; while they glide, each sample takes its
// lengths afresh.
struct ReadOffsets {
    __m128i diffBack;  // in floats of the interleaved rings, lane offset taken off
    __m128i longBack;
};

inline __m128i interleavedBack(lanes4::Floats length, uint32_t size) {
    const __m128i whole = lanes4::wholeSamplesBehind(length, size);
    return _mm_sub_epi32(_mm_slli_epi32(whole, 3), _mm_setr_epi32(0, 1, 2, 3));
}

// The float positions of the four reads: write minus offset, wrapped.
inline void interleavedIndices(uint32_t write, __m128i back, uint32_t size, int32_t out[4]) {
    constexpr uint32_t lanes = revtamsel::kLanes;
    __m128i index = _mm_sub_epi32(_mm_set1_epi32(static_cast<int32_t>(write * lanes)), back);
    const __m128i wrapped = _mm_cmplt_epi32(index, _mm_setzero_si128());
    index = _mm_add_epi32(index, _mm_and_si128(wrapped, _mm_set1_epi32(static_cast<int32_t>(size * lanes))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), index);
}

// One sample through the four lines of a section: diffuser, then long delay.
template <bool Gliding>
[[gnu::always_inline]] inline void runSection(SectionLanes& s, ReadOffsets& offsets, float input, uint32_t dw,
                                              uint32_t diffSize, uint32_t lw, uint32_t longSize) {
    using namespace lanes4;
    if constexpr (Gliding) {
        s.diffLength = add(s.diffLength, s.diffStep);
        s.longLength = add(s.longLength, s.longStep);
        offsets.diffBack = interleavedBack(s.diffLength, diffSize);
        offsets.longBack = interleavedBack(s.longLength, longSize);
    }
    const Floats u = add(splat(input), s.feedback);
    const Floats v = flushTiny(add(mul(u, splat(kDiffuserInput)), s.diffOlder));
    // Each line is written before it is read, so a length of 0 reads the
    // sample just written.
    store(s.diffData + revtamsel::kLanes * dw, add(mul(splat(kDiffuserCoefficient), v), u));
    store(s.longData + revtamsel::kLanes * lw, v);
    alignas(16) int32_t diffAt[4];
    alignas(16) int32_t longAt[4];
    interleavedIndices(dw, offsets.diffBack, diffSize, diffAt);
    interleavedIndices(lw, offsets.longBack, longSize, longAt);
    const Floats diffOut = _mm_setr_ps(s.diffData[diffAt[0]], s.diffData[diffAt[1]], s.diffData[diffAt[2]],
                                       s.diffData[diffAt[3]]);
    const Floats longOut = _mm_setr_ps(s.longData[longAt[0]], s.longData[longAt[1]], s.longData[longAt[2]],
                                       s.longData[longAt[3]]);
    s.diffOlder = s.diffNewer;
    s.diffNewer = diffOut;
    s.damped = flushTiny(sub(mul(longOut, s.inputA), mul(s.damped, s.dampB)));
}

}  // namespace

revtamsel::SectionLanes RevTamselEcoShot::lanesOf(Section& section) {
    using lanes4::load;
    return SectionLanes{load(section.diffLength), load(section.diffStep),  load(section.longLength),
                        load(section.longStep),   load(section.diffNewer), load(section.diffOlder),
                        load(section.inputA),     load(section.dampB),     load(section.damped),
                        load(section.feedback),   section.diffData,        section.longData};
}

void RevTamselEcoShot::keepLanes(const SectionLanes& s, Section& section) {
    using lanes4::store;
    store(section.diffLength, s.diffLength);
    store(section.longLength, s.longLength);
    store(section.diffNewer, s.diffNewer);
    store(section.diffOlder, s.diffOlder);
    store(section.damped, s.damped);
    store(section.feedback, s.feedback);
}

void RevTamselEcoShot::process(float* left, float* right, int32_t frames) {
    // A glide in float ends in steps too small to move a length: adding such
    // a step leaves it as it is on every sample.
    bool gliding = false;
    if (!lengthsAtRest)
        for (const Section& section : sections)
            gliding = gliding || movesAny(section.diffLength, section.diffStep) ||
                      movesAny(section.longLength, section.longStep);
    if (platform::cpuHasAvx2AndFma())
        runLanes(left, right, frames, gliding);
    else if (gliding)
        run<true>(left, right, frames);
    else
        run<false>(left, right, frames);
}

// The same block through the AVX2 and FMA kernel, which runs the eight lanes
// where they stand.
void RevTamselEcoShot::runLanes(float* left, float* right, int32_t frames, bool gliding) {
    takeParameters();
    lanes.inputGain = inputGain;
    const float level = mixLevel.load(std::memory_order_relaxed);
    lanes.mixMode = level == kNoMix ? revtamsel::kMixSilent
                    : level < 1.0f  ? revtamsel::kMixFromDry
                                    : revtamsel::kMixReverbOnly;
    lanes.mixFraction = level < 1.0f ? level : 0.0f;
    lanes.rowReads = rowReadsAllowed && platform::cpuHasSlowGathers();
    revtamsel::runLanesAvx2(lanes, left, right, frames, gliding);
}

template <bool Gliding>
void RevTamselEcoShot::run(float* left, float* right, int32_t frames) {
    using namespace lanes4;
    takeParameters();
    // The output's two endpoints (dry or reverb) and the fraction between them.
    const float level = mixLevel.load(std::memory_order_relaxed);
    const bool mixSet = level != kNoMix;
    const bool mixFromDry = level < 1.0f;
    const float mixFraction = mixFromDry ? level : 0.0f;
    const float gain = inputGain;
    const uint32_t diffSize = diffLineLength;
    const uint32_t longSize = longLineLength;
    // Both sections write their lines in step.
    uint32_t dw = lanes.diffWrite;
    uint32_t lw = lanes.longWrite;
    SectionLanes sl = lanesOf(sections[0]);
    SectionLanes sr = lanesOf(sections[1]);
    ReadOffsets ol{interleavedBack(sl.diffLength, diffSize), interleavedBack(sl.longLength, longSize)};
    ReadOffsets orr{interleavedBack(sr.diffLength, diffSize), interleavedBack(sr.longLength, longSize)};
    const Floats coupling = splat(kCoupling);
    for (int32_t i = 0; i < frames; ++i) {
        const float dryL = left[i];
        const float dryR = right[i];
        runSection<Gliding>(sl, ol, dryL * gain, dw, diffSize, lw, longSize);
        runSection<Gliding>(sr, orr, dryR * gain, dw, diffSize, lw, longSize);
        dw = dw + 1 < diffSize ? dw + 1 : 0;
        lw = lw + 1 < longSize ? lw + 1 : 0;

        // Householder mix within each section, rotated by one line: the left
        // section's line k takes line k + 1, the right's line k - 1.
        alignas(16) float dL[4];
        alignas(16) float dR[4];
        store(dL, sl.damped);
        store(dR, sr.damped);
        const float hL = (dL[0] + dL[1] + dL[2] + dL[3]) * 0.5f;
        const float hR = (dR[0] + dR[1] + dR[2] + dR[3]) * 0.5f;
        const Floats mL = sub(rotateDown(sl.damped), splat(hL));
        const Floats mR = sub(rotateUp(sr.damped), splat(hR));
        sr.feedback = lanes4::flushTiny(mul(sub(mL, mR), coupling));
        sl.feedback = lanes4::flushTiny(mul(add(mR, mL), coupling));
        alignas(16) float fL[4];
        alignas(16) float fR[4];
        store(fL, sl.feedback);
        store(fR, sr.feedback);
        const float wetL = fL[3] + fR[0] + fL[2] + fR[1];
        const float wetR = fL[1] + fL[0] + fR[3] + fR[2];

        if (!mixSet) {
            left[i] = 0.0f;
            right[i] = 0.0f;
        } else if (mixFromDry) {
            left[i] = dryL + (wetL - dryL) * mixFraction;
            right[i] = dryR + (wetR - dryR) * mixFraction;
        } else {
            left[i] = wetL;
            right[i] = wetR;
        }
    }
    keepLanes(sl, sections[0]);
    keepLanes(sr, sections[1]);
    lanes.diffWrite = dw;
    lanes.longWrite = lw;
    lanes.readsKept = false;  // the kernel's kept reads were for the writes before
}
