#pragma once
// What the effect tests share: an audio context at a chosen rate and tempo,
// changed the way the plug-in object changes it; the render routine's rhythm
// of 16-sample sub-blocks; test signals and measurements; and the long
// stability run over a set of parameter extremes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/BWSystemInfo.h"
#include "core/PointerList.h"
#include "core/SampleRatePreparation.h"
#include "core/StateResetList.h"

class BWEffect;

class EffectTestContext : private SampleRateOwner {
public:
    explicit EffectTestContext(float rate = 44100.0f, double bpm = 120.0);

    // A new host rate: the listeners prepare for it (host thread).
    void changeRate(float rate);
    // A host tempo change as the render routine applies it: updateTiming,
    // then the preparation at the stored rate (audio thread).
    void changeTempo(double bpm);

    StateResetList resetList;
    PointerList listeners;
    BWSystemInfo info;

private:
    void resizeDelayLines(const EngineRateConstants&) override {}
    void reapplyParameter(int32_t) override {}
    void refreshHeldNotes() override {}

    SampleRatePreparation preparation;
};

constexpr size_t kTickFrames = 16;

// Processes frames in 16-sample sub-blocks, each followed by the per-tick
// update, as the render routine drives the chain.
void render(BWEffect& effect, float* left, float* right, size_t frames);

struct StereoSignal {
    explicit StereoSignal(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    size_t size() const { return left.size(); }
    void render(BWEffect& effect) { ::render(effect, left.data(), right.data(), size()); }

    std::vector<float> left;
    std::vector<float> right;
};

// Renders silence for a while, so that glided levels settle.
void settle(BWEffect& effect, size_t frames);

// Uniform white noise in -1..1 from a fixed seed.
class NoiseSource {
public:
    explicit NoiseSource(uint32_t seed = 12345u) : state(seed) {}
    float next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(static_cast<int32_t>(state)) * 4.656613e-10f;
    }

private:
    uint32_t state;
};

// Amplitude of the component at frequency in signal[start, start + length):
// one bin of a discrete Fourier transform, exact for a whole number of cycles.
double toneAmplitude(const std::vector<float>& signal, size_t start, size_t length,
                     double frequency, double rate);

// The stability run: for every corner in turn, noise then silence at the
// corner's settings; the report covers every output sample.
struct ParameterSetting {
    uint32_t index;
    float value;
};

struct Corner {
    std::vector<ParameterSetting> settings;
    float mix = 1.0f;
    double tempo = 120.0;
};

struct StabilityReport {
    bool finite = true;
    float peak = 0.0f;
    size_t subnormals = 0;       // subnormal output samples during silence
    double noiseCpuSeconds = 0;  // thread CPU time spent on noise
    double silenceCpuSeconds = 0;
};

// seconds of noise and as many of silence in all, shared out over the corners.
StabilityReport runStability(BWEffect& effect, EffectTestContext& context,
                             const std::vector<Corner>& corners, double seconds);

// The rates the stability runs take: 44.1 kHz in the everyday run, every rate
// from 44.1 to 192 kHz when ZORVANE_SOAK is set (make soak).
std::vector<float> stabilityRates();

// The stability tests are named by their rate ("Rates/PhaserStability.X/44100Hz").
struct StabilityRateName {
    template <class Info>
    std::string operator()(const Info& info) const {
        return std::to_string(static_cast<int>(info.param)) + "Hz";
    }
};
