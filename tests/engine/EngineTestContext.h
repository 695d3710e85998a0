#pragma once
// An audio context at a chosen rate with the engine's 16-sample tick, for
// the tests of the voices and their chain.

#include "core/BWSystemInfo.h"

struct EngineTestContext {
    explicit EngineTestContext(float rate = 44100.0f) : info(8, nullptr, nullptr, nullptr) {
        info.setTickLength(16);
        info.takeSampleRate(rate);
        info.randomState = 12345;
    }
    float ticksPerMs() const { return info.samplesPerMsPerTick; }

    BWSystemInfo info;
};
