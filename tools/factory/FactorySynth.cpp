#include "factory/FactorySynth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using Signal = std::vector<double>;

constexpr double kRate = kFactoryRate;
constexpr double kPeak = 0.7;  // of full scale, leaving room for the layers to add up

int32_t frames(double seconds) { return int32_t(std::lround(seconds * kRate)); }

// Partials that make whole numbers of cycles in a loop, read from one sine
// period of the loop's length: exact, and far cheaper than std::sin.  The
// loop is as near the wanted length as holds a whole number of the wanted
// frequency's cycles, so that the recorded pitch is the wanted one to a
// fraction of a frame in the loop (well under a tenth of a cent) and the
// zone needs no tune: a tune reads the voices' pitch table between its
// semitone entries, whose straight line strays from the curve by up to
// 0.7 cents.
class LoopGrid {
public:
    LoopGrid(double seconds, double frequency)
        : cycles(std::max<int64_t>(1, std::llround(frequency * seconds))),
          length(int32_t(std::lround(double(cycles) * kRate / frequency))),
          sine(size_t(length)) {
        for (int32_t i = 0; i < length; ++i) sine[size_t(i)] = std::sin(2.0 * std::numbers::pi * i / length);
    }

    // sin of the partial that makes `partialCycles` cycles per loop, at frame n.
    double partial(int64_t partialCycles, int64_t n) const { return sine[size_t((partialCycles * n) % length)]; }
    int64_t fundamentalCycles() const { return cycles; }
    int32_t frames() const { return length; }
    // The semitones from the grid's fundamental to the wanted frequency.
    double tuneTo(double frequency) const { return 12.0 * std::log2(frequency * length / (kRate * double(cycles))); }

private:
    int64_t cycles;
    int32_t length;
    std::vector<double> sine;
};

// Scales the signal to kPeak and rounds it to 16 bits.
std::vector<int16_t> toInt16(const Signal& signal, double peak) {
    const double scale = peak > 0.0 ? kPeak * 32767.0 / peak : 0.0;
    std::vector<int16_t> values(signal.size());
    std::transform(signal.begin(), signal.end(), values.begin(),
                   [scale](double x) { return int16_t(std::clamp(std::lround(x * scale), -32767L, 32767L)); });
    return values;
}

double peakOf(const Signal& signal) {
    double peak = 0.0;
    for (double x : signal) peak = std::max(peak, std::fabs(x));
    return peak;
}

// The last frames of a sound that plays through fade to silence, so that it
// never ends on a click.
void fadeOut(Signal& signal, double seconds) {
    const size_t n = std::min(signal.size(), size_t(frames(seconds)));
    for (size_t k = 0; k < n; ++k) signal[signal.size() - 1 - k] *= double(k) / double(n);
}

// The partial weights of a band-limited sawtooth, softened toward the top:
// as many harmonics as stay below the limit.
std::vector<double> sawWeights(double frequency, double limit, int32_t most) {
    const int32_t harmonics = std::clamp(int32_t(limit / frequency), 1, most);
    std::vector<double> weights(harmonics);
    for (int32_t h = 1; h <= harmonics; ++h) weights[h - 1] = std::pow(0.8, h) / h;
    return weights;
}

double gridSaw(const LoopGrid& grid, int64_t cycles, const std::vector<double>& weights, int64_t n) {
    double sum = 0.0;
    for (size_t h = 1; h <= weights.size(); ++h) sum += weights[h - 1] * grid.partial(int64_t(h) * cycles, n);
    return sum;
}

// A slow swell into three saws, the outer two detuned evenly above and
// below the middle one; loops over its last half second.  The voices play
// a sample's left channel: each channel holds the middle saw and half of
// each outer one, so that either alone sounds at the middle saw's pitch
// (two partials evenly either side of a third only swell and fade it, they
// do not move it).  The outer saws beat against the middle one in opposite
// phase on the two sides, which spreads the pad across them.
SynthesizedSample pad(int32_t rootKey) {
    const double frequency = keyFrequency(rootKey);
    const int32_t attack = frames(0.25);
    const LoopGrid grid(0.5, frequency);
    const int64_t cycles = grid.fundamentalCycles();
    const int64_t detune = std::max<int64_t>(1, std::llround(double(cycles) / 150.0));
    const std::vector<double> weights = sawWeights(frequency, 6000.0, 24);
    const int32_t length = attack + grid.frames();

    Signal left(length), right(length);
    for (int32_t n = 0; n < length; ++n) {
        const double swell = n < attack ? 0.5 - 0.5 * std::cos(std::numbers::pi * n / attack) : 1.0;
        const double centre = gridSaw(grid, cycles, weights, n);
        const double outer =
            0.5 * (gridSaw(grid, cycles + detune, weights, n) + gridSaw(grid, cycles - detune, weights, n));
        left[n] = swell * (centre + outer);
        right[n] = swell * (centre - outer);
    }
    // The outer pair at half weight each leaves the peak where two whole
    // saws put it, but a quarter less power: the pad is scaled to carry the
    // power of two whole saws (its peak then stands at 0.81 of full scale).
    const double peak = std::max(peakOf(left), peakOf(right)) / std::sqrt(4.0 / 3.0);
    SynthesizedSample sample{toInt16(left, peak), toInt16(right, peak), uint32_t(attack), uint32_t(length), true,
                             float(grid.tuneTo(frequency))};
    return sample;
}

// A round bass: a bright thump that settles, by the loop start, into a
// steady tone of six harmonics.
SynthesizedSample bass(int32_t rootKey) {
    static constexpr double kWeights[] = {1.0, 0.5, 0.3, 0.15, 0.08, 0.04};
    const double frequency = keyFrequency(rootKey);
    const int32_t settle = frames(0.25);
    const LoopGrid grid(0.5, frequency);
    const int64_t cycles = grid.fundamentalCycles();
    const int32_t length = settle + grid.frames();
    const int32_t attack = frames(0.005);

    Signal signal(length);
    for (int32_t n = 0; n < length; ++n) {
        const double rest = n < settle ? 1.0 - double(n) / settle : 0.0;  // 1 -> 0 over the settling part
        const double level = std::min(1.0, double(n) / attack) * (0.65 + 0.35 * rest * rest);
        double tone = 0.0;
        for (int32_t h = 1; h <= 6; ++h) tone += kWeights[h - 1] * grid.partial(h * cycles, n);
        double thump = 0.0;
        for (int32_t h = 7; h <= 12; ++h) thump += grid.partial(h * cycles, n) / h;
        signal[n] = level * tone + std::pow(rest, 4) * thump;
    }
    return {toInt16(signal, peakOf(signal)), {}, uint32_t(settle), uint32_t(length), true,
            float(grid.tuneTo(frequency))};
}

// An electric piano: a 1:1 frequency-modulated tone whose brightness and
// level decay, with a short metallic tine on top.  Plays through.
SynthesizedSample keys(int32_t rootKey) {
    const double frequency = keyFrequency(rootKey);
    const int32_t length = frames(1.2);
    const double step = 2.0 * std::numbers::pi * frequency / kRate;
    const int32_t attack = frames(0.002);

    Signal signal(length);
    for (int32_t n = 0; n < length; ++n) {
        const double t = n / kRate;
        const double index = 1.5 * std::exp(-t / 0.3) + 0.2;
        const double level = std::min(1.0, double(n) / attack) * std::exp(-t / 0.9);
        const double tone = std::sin(step * n + index * std::sin(step * n));
        const double tine = 0.1 * std::exp(-t / 0.02) * std::sin(14.0 * step * n);
        signal[n] = level * (tone + tine);
    }
    fadeOut(signal, 0.03);
    return {toInt16(signal, peakOf(signal)), {}, 0, uint32_t(length), false, 0.0f};
}

// A plucked string (Karplus-Strong) excited by a fixed noise burst.  The
// delay line's period (N + 1/2 frames) is rounded; the tune makes up for it.
SynthesizedSample pluck(int32_t rootKey) {
    const double frequency = keyFrequency(rootKey);
    const int32_t delay = std::max(2, int32_t(kRate / frequency - 0.5));
    const int32_t length = frames(0.9);

    Signal signal(length);
    uint32_t noise = 0x2545F491u;  // a fixed seed: the same pluck every run
    double previous = 0.0;
    for (int32_t n = 0; n < delay; ++n) {
        noise = noise * 1664525u + 1013904223u;
        const double white = double(noise >> 8) / double(1u << 24) * 2.0 - 1.0;
        previous = 0.5 * (previous + white);  // a softer, nylon-like burst
        signal[n] = previous;
    }
    for (int32_t n = delay; n < length; ++n) {
        const double older = n > delay ? signal[n - delay - 1] : 0.0;
        signal[n] = 0.996 * 0.5 * (signal[n - delay] + older);
    }
    fadeOut(signal, 0.03);
    const double played = kRate / (delay + 0.5);
    return {toInt16(signal, peakOf(signal)), {}, 0, uint32_t(length), false,
            float(12.0 * std::log2(frequency / played))};
}

}  // namespace

double keyFrequency(int32_t key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

SynthesizedSample synthesize(FactoryVoice voice, int32_t rootKey) {
    switch (voice) {
        case FactoryVoice::Keys: return keys(rootKey);
        case FactoryVoice::Pad: return pad(rootKey);
        case FactoryVoice::Pluck: return pluck(rootKey);
        case FactoryVoice::Bass: return bass(rootKey);
    }
    return {};
}
