#pragma once
// An audio context at a chosen rate with the engine's 16-sample tick, and a
// noise source, for the tests of the voices and their chain.

#include <cstdint>

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

// White noise in -1..1 from a fixed seed.
class TestNoise {
public:
    float next() {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(static_cast<int32_t>(seed)) * 4.656613e-10f;
    }

private:
    uint32_t seed = 7;
};
