#include "core/SampleRatePreparation.h"

#include <algorithm>
#include <array>

#include "core/BWSystemInfo.h"
#include "core/PointerList.h"

namespace {

// Every parameter whose engine value depends on rate or tempo, ordered so that
// each one finds the values it derives from already applied.
constexpr std::array<int32_t, 145> kReappliedIndices = {
    340, 341, 342, 343, 44,  344, 345, 346, 347, 348, 349, 350, 351, 352, 353, 354, 355, 356, 357, 358,
    0,   2,   77,  276, 76,  279, 79,  1,   4,   3,   5,   338, 74,  75,  78,  337, 94,  93,  17,  28,
    39,  83,  45,  18,  29,  40,  51,  53,  327, 326, 217, 328, 81,  80,  223, 8,   9,   87,  88,  224,
    19,  20,  89,  90,  225, 30,  31,  91,  92,  226, 41,  42,  46,  47,  48,  49,  50,  52,  43,  10,
    11,  82,  12,  329, 13,  14,  15,  16,  24,  25,  26,  27,  35,  36,  37,  38,  21,  22,  23,  330,
    32,  33,  34,  331, 365, 366, 332, 333, 334, 335, 336, 6,   7,   233, 234, 235, 54,  55,  56,  57,
    59,  60,  61,  62,  63,  64,  65,  66,  68,  67,  69,  70,  72,  71,  73,  58,  85,  84,  86,  307,
    308, 310, 311, 309, 339};

}  // namespace

SampleRatePreparation::SampleRatePreparation(BWSystemInfo& context, SampleRateOwner& owner)
    : context(context), owner(owner) {}

std::span<const int32_t> SampleRatePreparation::reappliedIndices() { return kReappliedIndices; }

void SampleRatePreparation::prepareSampleRate(float hostRate) {
    context.takeSampleRate(hostRate);  // a rate out of range keeps the stored one
    prepareAtStoredRate();
}

bool SampleRatePreparation::changeTempo(double bpm) {
    // A refused tempo skips the whole refresh; otherwise a host stuck above
    // the limit would clear the effects at every tick.
    if (!context.setTempo(bpm)) return false;
    if (context.listeners) context.listeners->notifyTiming();
    // The stored rate, not the host's: a new host rate is taken by the host
    // thread, which also gives the buffers their new capacity.
    context.deriveRateConstants();
    prepareAtStoredRate();
    return true;
}

void SampleRatePreparation::prepareAtStoredRate() {
    deriveEngineConstants();
    owner.resizeDelayLines(constants);
    deriveLowPass();
    if (context.listeners) context.listeners->notifyPrepare();
    const bool rateChanged = context.sampleRate != preparedRate;
    preparedRate = context.sampleRate;
    owner.effectsPrepared(rateChanged);
    for (int32_t index : kReappliedIndices) owner.reapplyParameter(index);
    owner.refreshHeldNotes();
}

void SampleRatePreparation::deriveEngineConstants() {
    const float rate = context.sampleRate;
    const float tick = context.tickLength;
    constants.tickDuration = 1.0 / (static_cast<double>(rate) / tick);
    constants.samplesPerMs = 0.001f * rate;
    constants.msPerSample = 999.99994f / rate;
    constants.doubleTick = 2.0f * tick;
    constants.secondsPerTick = tick / rate;
    constants.twentyOverRate = 20.0f / rate;
    constants.longLineLength = static_cast<int32_t>(context.sampleRateFactor * 44100.0f);
    constants.shortLineLength = static_cast<int32_t>(context.sampleRateFactor * 986.0f);
}

void SampleRatePreparation::deriveLowPass() {
    const float rate = context.sampleRate;
    filter.piOverRate = 3.14159f / rate;
    const float x = filter.piOverRate * std::min(6000.0f, rate);
    const float g = x + x * x * x * (0.333333f + 1.333333f * x * x);
    filter.g = g;
    filter.invOnePlusG = 1.0f / (1.0f + g);
    filter.gMinusOne = g - 1.0f;
}
