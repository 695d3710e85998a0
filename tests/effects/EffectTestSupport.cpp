#include "EffectTestSupport.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <ctime>
#include <numbers>

#include "effects/BWEffect.h"

EffectTestContext::EffectTestContext(float rate, double bpm)
    : info(8, &resetList, &listeners, nullptr), preparation(info, *this) {
    info.setTickLength(static_cast<int32_t>(kTickFrames));
    info.setTempo(bpm);
    preparation.prepareSampleRate(rate);
}

void EffectTestContext::changeRate(float rate) { preparation.prepareSampleRate(rate); }

void EffectTestContext::changeTempo(double bpm) { preparation.changeTempo(bpm); }

void render(BWEffect& effect, float* left, float* right, size_t frames) {
    for (size_t done = 0; done < frames; done += kTickFrames) {
        const auto block = static_cast<int32_t>(std::min(kTickFrames, frames - done));
        effect.process(left + done, right + done, block);
        effect.tick();
    }
}

void settle(BWEffect& effect, size_t frames) {
    float left[kTickFrames];
    float right[kTickFrames];
    for (size_t done = 0; done < frames; done += kTickFrames) {
        std::fill_n(left, kTickFrames, 0.0f);
        std::fill_n(right, kTickFrames, 0.0f);
        render(effect, left, right, kTickFrames);
    }
}

double toneAmplitude(const std::vector<float>& signal, size_t start, size_t length,
                     double frequency, double rate) {
    std::complex<double> sum = 0.0;
    const double step = 2.0 * std::numbers::pi * frequency / rate;
    for (size_t n = 0; n < length; ++n)
        sum += static_cast<double>(signal[start + n]) * std::polar(1.0, -step * static_cast<double>(n));
    return 2.0 * std::abs(sum) / static_cast<double>(length);
}

namespace {

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

void inspect(const float* samples, size_t count, bool silence, StabilityReport& report) {
    for (size_t n = 0; n < count; ++n) {
        const float sample = samples[n];
        if (!std::isfinite(sample)) report.finite = false;
        report.peak = std::max(report.peak, std::fabs(sample));
        if (silence && std::fpclassify(sample) == FP_SUBNORMAL) ++report.subnormals;
    }
}

// Renders frames of noise (or silence) in blocks of a few ticks.
void runSegment(BWEffect& effect, NoiseSource& noise, size_t frames, bool silence,
                StabilityReport& report) {
    constexpr size_t kBlock = 8 * kTickFrames;
    float left[kBlock];
    float right[kBlock];
    const double start = threadCpuSeconds();
    for (size_t done = 0; done < frames; done += kBlock) {
        const size_t block = std::min(kBlock, frames - done);
        for (size_t n = 0; n < block; ++n) {
            left[n] = silence ? 0.0f : noise.next();
            right[n] = silence ? 0.0f : noise.next();
        }
        render(effect, left, right, block);
        inspect(left, block, silence, report);
        inspect(right, block, silence, report);
    }
    (silence ? report.silenceCpuSeconds : report.noiseCpuSeconds) += threadCpuSeconds() - start;
}

}  // namespace

std::vector<float> stabilityRates() {
    if (std::getenv("ZORVANE_SOAK")) return {44100.0f, 48000.0f, 96000.0f, 192000.0f};
    return {44100.0f};
}

StabilityReport runStability(BWEffect& effect, EffectTestContext& context,
                             const std::vector<Corner>& corners, double seconds) {
    StabilityReport report;
    NoiseSource noise;
    const auto frames =
        static_cast<size_t>(seconds * context.info.sampleRate / static_cast<double>(corners.size()));
    for (const Corner& corner : corners) {
        if (corner.tempo != context.info.tempo) context.changeTempo(corner.tempo);
        for (const ParameterSetting& setting : corner.settings)
            effect.setParameter(setting.index, setting.value);
        effect.setMix(corner.mix);
        runSegment(effect, noise, frames, false, report);
        runSegment(effect, noise, frames, true, report);
    }
    return report;
}
