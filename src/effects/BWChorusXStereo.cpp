#include "effects/BWChorusXStereo.h"

#include <algorithm>
#include <cstdio>

#include "core/BWSystemInfo.h"
#include "core/CurveTables.h"

namespace {

constexpr float kLineSamplesAt44k = 1000.0f;  // line length at 44.1 kHz, in samples
constexpr float kSecondRateRatio = 3.236068f;
constexpr float kSecondCentreRatio = 4.76394f;
constexpr float kInputGain = 0.57735026f;  // 1/sqrt(3): room for the two voices
constexpr float kSnap = 1e-7f;

}  // namespace

BWChorusXStereo::BWChorusXStereo(uint32_t id, BWSystemInfo* owner, const NoteDivisionLists* lists)
    : BWEffect(id, kParameterCount, owner, lists) {
    setName("BWChorusXStereo");
    for (TrackedFloatBuffer& line : lines) {
        line.trackedList = stateRegistry;
        line.tracked = true;
        line.aligned = true;
    }
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

BWChorusXStereo::~BWChorusXStereo() { leaveOwnerList(); }

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

float BWChorusXStereo::sine(float phase) {
    const float* table = getLookupTable0();
    const float* slope = getLookupTable9();
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
    const std::array<float, kLines> targets = {centre1 + mod1, centre1 - mod1, centre2 + mod2,
                                               centre2 - mod2};
    for (int k = 0; k < kLines; ++k) glide(std::max(targets[k], 0.0f), currentDelay[k], delayStep[k], g, kSnap);
}

float BWChorusXStereo::advance(float& phase, float rate, float swing) const {
    phase += owner->tickPerRate * rate;
    while (phase > 1.0f) phase -= 1.0f;
    return sine(phase) * swing;
}

float BWChorusXStereo::readLine(int line, float delay) const {
    const float* data = lines[line].getData();
    const auto whole = static_cast<int32_t>(delay);
    const int32_t i = writeIndex - whole;
    const int32_t a = i < 0 ? i + lineLength : i;
    const int32_t b = i <= 0 ? i - 1 + lineLength : i - 1;
    return data[b] + (data[a] - data[b]) * (1.0f - (delay - static_cast<float>(whole)));
}

void BWChorusXStereo::process(float* left, float* right, int32_t frames) {
    takeParameters();
    // Two samples short of the line, so that both interpolation taps stay
    // inside it even while a delay still glides from a longer line.
    const float longest = static_cast<float>(lineLength - 2);
    float* lineData[kLines] = {lines[0].getData(), lines[1].getData(), lines[2].getData(),
                               lines[3].getData()};
    for (int32_t n = 0; n < frames; ++n) {
        currentMix += mixStep;
        const float inLeft = left[n] * kInputGain;
        const float inRight = right[n] * kInputGain;
        filterLeft = inLeft * 1.53846f - filterLeft * 0.35f;
        filterRight = inRight * 1.53846f - filterRight * 0.35f;
        lineData[0][writeIndex] = filterLeft;
        lineData[1][writeIndex] = filterLeft;
        lineData[2][writeIndex] = filterRight;
        lineData[3][writeIndex] = filterRight;
        float voice[kLines];
        for (int k = 0; k < kLines; ++k) {
            currentDelay[k] = std::clamp(currentDelay[k] + delayStep[k], 0.0f, longest);
            voice[k] = readLine(k, currentDelay[k]);
        }
        if (++writeIndex >= lineLength) writeIndex = 0;
        left[n] += ((inLeft + voice[0] + voice[1]) - left[n]) * currentMix;
        right[n] += ((inRight + voice[2] + voice[3]) - right[n]) * currentMix;
    }
}
