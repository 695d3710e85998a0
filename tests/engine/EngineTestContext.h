#pragma once
// An audio context at a chosen rate with the engine's 16-sample tick, for
// the tests of the voices and their chain.

#include <span>
#include <vector>

#include "core/BWSystemInfo.h"
#include "engine/VoiceKernels.h"
#include "platform/CpuFeatures.h"

struct EngineTestContext {
    explicit EngineTestContext(float rate = 44100.0f) : info(8, nullptr, nullptr, nullptr) {
        info.setTickLength(16);
        info.takeSampleRate(rate);
        info.randomState = 12345;
    }
    float ticksPerMs() const { return info.samplesPerMsPerTick; }

    BWSystemInfo info;
};

// While it lives, the voices run the portable kernels when the processor's
// own set has its multiply-adds fused (the optimised build does that), so
// that a test holding them to the one-voice code to the bit runs on a set
// that rounds as that code does; otherwise it changes nothing.
class UnfusedVoiceKernels {
public:
    UnfusedVoiceKernels() : held(voiceKernels().fusesPlainMultiplyAdds()) { platform::restrictToBaselineCpu(held); }
    ~UnfusedVoiceKernels() {
        if (held) platform::restrictToBaselineCpu(false);
    }
    UnfusedVoiceKernels(const UnfusedVoiceKernels&) = delete;
    UnfusedVoiceKernels& operator=(const UnfusedVoiceKernels&) = delete;

private:
    const bool held;
};

// The filter's comb lines as the plug-in object sizes them (986 samples at
// 44.1 kHz), for a filter that no plug-in object owns.
struct TestCombLines {
    explicit TestCombLines(float rate, int count = 18)
        : lines(size_t(count), std::vector<float>(size_t(986.0f * rate / 44100.0f))) {}
    template <class Filter>
    void bind(Filter& filter) {
        for (size_t i = 0; i < lines.size(); ++i) filter.setCombLine(int(i), std::span<float>(lines[i]));
    }
    std::span<float> operator[](size_t i) { return lines[i]; }

    std::vector<std::vector<float>> lines;
};
